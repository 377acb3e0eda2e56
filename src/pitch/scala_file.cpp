#include "pitch/scala_file.h"

#include <charconv>
#include <cmath>

#include "common/text_fields.h"

namespace zembera {
namespace {

// Reads the lines of a Scala file, skipping comments, and counts them for the messages.
class ScalaLines {
  public:
    ScalaLines(std::string_view text, const std::string& fileName)
        : text_(text), fileName_(fileName) {}

    // The next line without its line end, skipping comment lines; false at the end of the text.
    bool next(std::string_view& line) {
        while (pos_ < text_.size()) {
            const std::size_t end = text_.find('\n', pos_);
            std::string_view raw = text_.substr(
                pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            ++lineNo_;
            if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
            if (raw.starts_with('!')) continue;
            line = raw;
            return true;
        }
        return false;
    }

    // The first word of the next line that is not blank; empty at the end of the text.
    std::string_view nextWordOrEnd() {
        std::string_view line;
        while (next(line)) {
            std::size_t start = 0;
            while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
                ++start;
            std::size_t end = start;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t')
                ++end;
            if (end > start) return line.substr(start, end - start);
        }
        return {};
    }

    std::string_view nextWord(std::string_view what) {
        const std::string_view word = nextWordOrEnd();
        if (word.empty()) failAtEnd(std::string(what));
        return word;
    }

    [[noreturn]] void fail(const std::string& reason) const {
        throw FormatError(fileName_, lineNo_, reason);
    }
    [[noreturn]] void failAtEnd(const std::string& what) const {
        throw FormatError(fileName_, lineNo_, "dosya bitti, " + what + " bekleniyordu");
    }

  private:
    std::string_view text_;
    const std::string& fileName_;
    std::size_t pos_ = 0;
    int lineNo_ = 0;
};

template <typename T> bool parseWhole(std::string_view s, T& value) {
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size() && !s.empty();
}

// Cents of one pitch word; false when the word is neither finite cents nor a positive ratio.
bool pitchCents(std::string_view word, double& cents) {
    if (word.find('.') != std::string_view::npos) {
        if (word.starts_with('+')) word.remove_prefix(1);
        return parseWhole(word, cents) && std::isfinite(cents);
    }
    const std::size_t slash = word.find('/');
    unsigned long long num = 0;
    unsigned long long den = 1;
    if (!parseWhole(word.substr(0, slash), num)) return false;
    if (slash != std::string_view::npos && !parseWhole(word.substr(slash + 1), den)) return false;
    if (num == 0 || den == 0) return false;
    cents = 1200.0 * (std::log2(static_cast<double>(num)) - std::log2(static_cast<double>(den)));
    return true;
}

std::string quoted(std::string_view word) {
    return "\"" + std::string(word) + "\"";
}

long readWhole(ScalaLines& lines, long min, long max, const std::string& what) {
    const std::string_view word = lines.nextWord(what);
    long value = 0;
    if (!parseWhole(word, value)) lines.fail(what + " bekleniyordu, " + quoted(word) + " bulundu");
    if (value < min || value > max) {
        lines.fail(what + " " + std::to_string(min) + " ile " + std::to_string(max) +
                   " arasında olmalı, " + std::to_string(value) + " bulundu");
    }
    return value;
}

} // namespace

Scale parseScale(std::string_view bytes, const std::string& fileName) {
    const std::string text = decodeText(bytes);
    ScalaLines lines(text, fileName);
    Scale scale;
    std::string_view line;
    if (!lines.next(line)) lines.failAtEnd("açıklama satırı");
    scale.description = std::string(line);

    const std::string_view countWord = lines.nextWord("perde sayısı");
    long count = 0;
    if (!parseWhole(countWord, count)) {
        lines.fail("perde sayısı bekleniyordu, " + quoted(countWord) + " bulundu");
    }
    if (count < kScaleDegreesMin || count > kScaleDegreesMax) {
        lines.fail("perde sayısı " + std::to_string(kScaleDegreesMin) + " ile " +
                   std::to_string(kScaleDegreesMax) + " arasında olmalı, " + std::to_string(count) +
                   " bulundu");
    }
    scale.steps.push_back(0.0);
    double previous = 0.0;
    for (long i = 1; i <= count; ++i) {
        const std::string_view word = lines.nextWord(std::to_string(i) + ". perde");
        double cents = 0;
        if (!pitchCents(word, cents)) {
            lines.fail("sent ya da oran bekleniyordu, " + quoted(word) + " bulundu");
        }
        if (cents <= previous) {
            lines.fail(std::to_string(i) + ". perde bir öncekinden yüksek değil");
        }
        previous = cents;
        if (i < count) {
            scale.steps.push_back(cents);
        } else if (std::abs(cents - 1200.0) > kPeriodToleranceCents) {
            lines.fail("son perde bir oktav (1200 sent) olmalı, " + std::to_string(cents) +
                       " sent bulundu");
        } else {
            scale.period = cents;
        }
    }
    while (lines.next(line)) {
        if (line.find_first_not_of(" \t") != std::string_view::npos) {
            lines.fail("bildirilen " + std::to_string(count) + " perdeden fazla satır var");
        }
    }
    return scale;
}

double degreeCents(const Scale& scale, int degree) {
    const int n = scale.size();
    int period = degree / n;
    int step = degree % n;
    if (step < 0) {
        step += n;
        --period;
    }
    return period * scale.period + scale.steps[static_cast<std::size_t>(step)];
}

KeyboardMapping parseKeyboardMapping(std::string_view bytes, const std::string& fileName) {
    const std::string text = decodeText(bytes);
    ScalaLines lines(text, fileName);
    KeyboardMapping m;
    m.size = static_cast<int>(readWhole(lines, 0, 128, "eşleme uzunluğu"));
    m.firstKey = static_cast<int>(readWhole(lines, 0, 127, "ilk tuş"));
    m.lastKey = static_cast<int>(readWhole(lines, m.firstKey, 127, "son tuş"));
    m.middleKey = static_cast<int>(readWhole(lines, 0, 127, "orta tuş"));
    m.referenceKey = static_cast<int>(readWhole(lines, 0, 127, "referans tuşu"));
    const std::string_view hzWord = lines.nextWord("referans frekansı");
    if (!parseWhole(hzWord, m.referenceHz) || !std::isfinite(m.referenceHz) ||
        m.referenceHz <= 0.0) {
        lines.fail("referans frekansı (Hz) bekleniyordu, " + quoted(hzWord) + " bulundu");
    }
    m.octaveDegree = static_cast<int>(readWhole(lines, 0, kScaleDegreesMax, "oktav derecesi"));
    for (int i = 0; i < m.size; ++i) {
        // Keys at the end of the mapping may be left out: they are unmapped.
        const std::string_view word = lines.nextWordOrEnd();
        if (word.empty() || word == "x" || word == "X") {
            m.keys.emplace_back();
            continue;
        }
        int degree = 0;
        if (!parseWhole(word, degree) || degree < 0 || degree > kScaleDegreesMax) {
            lines.fail("derece ya da x bekleniyordu, " + quoted(word) + " bulundu");
        }
        m.keys.emplace_back(degree);
    }
    std::string_view line;
    while (lines.next(line)) {
        if (line.find_first_not_of(" \t") != std::string_view::npos) {
            lines.fail("bildirilen " + std::to_string(m.size) + " tuştan fazla satır var");
        }
    }
    return m;
}

std::optional<int> degreeOfKey(const KeyboardMapping& mapping, int key) {
    const int offset = key - mapping.middleKey;
    if (mapping.size == 0) return offset;
    int octave = offset / mapping.size;
    int index = offset % mapping.size;
    if (index < 0) {
        index += mapping.size;
        --octave;
    }
    const std::optional<int> degree = mapping.keys[static_cast<std::size_t>(index)];
    if (!degree) return std::nullopt;
    return *degree + octave * mapping.octaveDegree;
}

} // namespace zembera
