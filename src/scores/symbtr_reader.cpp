#include "scores/symbtr_reader.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace zembera::scores {
namespace {

constexpr int kNoteCode = 9;

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return cells;
        start = tab + 1;
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool wholeNumber(std::string_view s, long long& value) {
    s = trimmed(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

bool decimal(std::string_view s, double& value) {
    s = trimmed(s);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty() && std::isfinite(value);
}

// "A4", "B4b1", "F5#4"; false for anything else.
bool parseNota53(std::string_view s, int& step, int& octave, int& commas) {
    s = trimmed(s);
    if (s.size() < 2) return false;
    step = stepOfLetter(s[0]);
    if (step < 0 || s[1] < '0' || s[1] > '9') return false;
    octave = s[1] - '0';
    commas = 0;
    if (s.size() == 2) return true;
    const char sign = s[2];
    if (sign != 'b' && sign != '#') return false;
    long long c = 0;
    if (!wholeNumber(s.substr(3), c) || c < 0 || c > 53) return false;
    commas = static_cast<int>(sign == 'b' ? -c : c);
    return true;
}

} // namespace

Score parseSymbTr(std::string_view text, const std::string& fileName) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Score score;
    int kod = -1, nota = -1, pay = -1, payda = -1, ms = -1;
    std::size_t columns = 0;
    int lineNo = 0;
    std::size_t start = 0;
    auto failAt = [&](const std::string& reason) {
        throwScoreError(fileName, "satır " + std::to_string(lineNo) + ": " + reason);
    };
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (trimmed(line).empty()) continue;
        const std::vector<std::string_view> cells = splitTabs(line);
        if (columns == 0) {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                const std::string_view c = trimmed(cells[i]);
                const int index = static_cast<int>(i);
                if (c == "Kod") kod = index;
                if (c == "Nota53") nota = index;
                if (c == "Pay") pay = index;
                if (c == "Payda") payda = index;
                if (c == "Ms") ms = index;
            }
            if (kod < 0 || nota < 0 || pay < 0 || payda < 0)
                failAt("SymbTr başlığı (Kod, Nota53, Pay, Payda sütunları) yok");
            columns = cells.size();
            continue;
        }
        const std::size_t needed =
            static_cast<std::size_t>(std::max(std::max(kod, nota), std::max(pay, payda))) + 1;
        if (cells.size() < needed) failAt("sütunlar eksik");
        long long code = 0;
        if (!wholeNumber(cells[static_cast<std::size_t>(kod)], code)) failAt("Kod okunamadı");
        if (code != kNoteCode) continue;
        long long numerator = 0, denominator = 0;
        if (!wholeNumber(cells[static_cast<std::size_t>(pay)], numerator) ||
            !wholeNumber(cells[static_cast<std::size_t>(payda)], denominator) || numerator < 0 ||
            denominator <= 0 || numerator > 100000 || denominator > 100000)
            failAt("notanın süresi okunamadı");
        if (numerator == 0) continue; // a grace note
        ScoreNote note;
        note.measure = lineNo;
        note.beats = 4.0 * static_cast<double>(numerator) / static_cast<double>(denominator);
        if (note.beats > 1000) failAt("nota çok uzun");
        double millis = 0;
        if (ms >= 0 && static_cast<std::size_t>(ms) < cells.size() &&
            decimal(cells[static_cast<std::size_t>(ms)], millis) && millis > 0 && millis < 6e5)
            note.ms = millis;
        else
            note.ms = note.beats * 60000.0 / kDefaultTempo;
        const std::string_view name = trimmed(cells[static_cast<std::size_t>(nota)]);
        int step = 0, octave = 0, commas = 0;
        if (name == "Es" || name == "es") {
            note.rest = true;
        } else if (parseNota53(name, step, octave, commas)) {
            note.step = step;
            note.octave = octave;
            note.cents = pitchCents(step, octave, commas);
        } else {
            failAt("notanın perdesi okunamadı (\"" + std::string(name) + "\")");
        }
        if (score.notes.size() >= kMaxScoreNotes) throwScoreError(fileName, "çok fazla nota");
        score.notes.push_back(note);
    }
    if (columns == 0) throwScoreError(fileName, "boş dosya");
    if (score.noteCount() == 0) throwScoreError(fileName, "partisyonda nota yok");
    return score;
}

} // namespace zembera::scores
