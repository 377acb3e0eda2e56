#include "pitch_table/scale.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace zembera::pitchtool {
namespace {

// Scala lets a count or a pitch line run up to several thousand; more is a broken file.
constexpr long kMaxPitches = 100000;

class Lines {
  public:
    Lines(std::string_view text, std::string fileName)
        : text_(text), fileName_(std::move(fileName)) {}

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

    [[noreturn]] void fail(const std::string& detail) const {
        throw std::runtime_error(fileName_ + ":" + std::to_string(lineNo_) + ": " + detail);
    }
    [[noreturn]] void failAtEnd(const std::string& detail) const {
        throw std::runtime_error(fileName_ + ": " + detail);
    }

  private:
    std::string_view text_;
    std::string fileName_;
    std::size_t pos_ = 0;
    int lineNo_ = 0;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The first blank-separated word of a line.
std::string_view firstWord(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    std::size_t end = start;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    return line.substr(start, end - start);
}

template <typename T> bool parseWhole(std::string_view s, T& value) {
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size();
}

// Cents of one pitch word; false when the word is neither cents nor a positive ratio.
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

} // namespace

Scale parseScale(std::string_view text, const std::string& fileName) {
    Lines lines(text, fileName);
    Scale scale;
    std::string_view line;
    if (!lines.next(line)) lines.failAtEnd("no description line (is this a .scl file?)");
    scale.description = std::string(line);

    // Blank lines between the items are tolerated.
    auto nextItem = [&](std::string_view what) {
        while (lines.next(line)) {
            const std::string_view word = firstWord(line);
            if (!word.empty()) return word;
        }
        lines.failAtEnd("the file ends before " + std::string(what));
    };

    const std::string_view countWord = nextItem("the number of pitches");
    long count = 0;
    if (!parseWhole(countWord, count) || count < 1 || count > kMaxPitches) {
        lines.fail("number of pitches expected, found \"" + std::string(countWord) + "\"");
    }
    scale.steps.push_back(0.0);
    double previous = 0.0;
    for (long i = 1; i <= count; ++i) {
        const std::string_view word =
            nextItem("pitch " + std::to_string(i) + " of " + std::to_string(count));
        double cents = 0;
        if (!pitchCents(word, cents)) {
            lines.fail("pitch in cents or as a ratio expected, found \"" + std::string(word) +
                       "\"");
        }
        if (cents <= previous) {
            lines.fail("pitch " + std::to_string(i) + " does not rise above the one before it");
        }
        previous = cents;
        if (i < count) {
            scale.steps.push_back(cents);
        } else {
            scale.period = cents;
        }
    }
    while (lines.next(line)) {
        if (!firstWord(line).empty()) {
            lines.fail("more pitch lines than the " + std::to_string(count) + " announced");
        }
    }
    return scale;
}

double degreeCents(const Scale& scale, int degree) {
    const int n = static_cast<int>(scale.steps.size());
    int period = degree / n;
    int step = degree % n;
    if (step < 0) {
        step += n;
        --period;
    }
    return period * scale.period + scale.steps[static_cast<std::size_t>(step)];
}

} // namespace zembera::pitchtool
