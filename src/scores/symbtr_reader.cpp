#include "scores/symbtr_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>
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

// The letter or solfège name at the start of a note name, as a step 0..6, and its length.
bool nameStep(std::string_view s, int& step, std::size_t& length) {
    static constexpr std::pair<std::string_view, int> solfege[] = {
        {"Do", 0}, {"Re", 1}, {"Mi", 2}, {"Fa", 3}, {"Sol", 4}, {"La", 5}, {"Si", 6}};
    for (const auto& [name, value] : solfege)
        if (s.substr(0, name.size()) == name) {
            step = value;
            length = name.size();
            return true;
        }
    step = stepOfLetter(s.empty() ? ' ' : s[0]);
    length = 1;
    return step >= 0;
}

// "A4", "B4b1", "F5#4", "La4", "Si4b5"; false for anything else.
bool parseNoteName(std::string_view s, int& step, int& octave, int& commas) {
    s = trimmed(s);
    std::size_t at = 0;
    if (!nameStep(s, step, at) || at >= s.size() || s[at] < '0' || s[at] > '9') return false;
    octave = s[at] - '0';
    ++at;
    commas = 0;
    if (s.size() == at) return true;
    const char sign = s[at];
    if (sign != 'b' && sign != '#') return false;
    long long c = 0;
    if (!wholeNumber(s.substr(at + 1), c) || c < 0 || c > 53) return false;
    commas = static_cast<int>(sign == 'b' ? -c : c);
    return true;
}

bool isRestName(std::string_view name) {
    return name == "Es" || name == "es" || name == "Sus" || name == "sus";
}

// The header's column of `name`, or -1.
int columnOf(const std::vector<std::string_view>& header, std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (trimmed(header[i]) == name) return static_cast<int>(i);
    return -1;
}

} // namespace

Score parseSymbTr(std::string_view text, const std::string& fileName) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Score score;
    int kod = -1, nota53 = -1, notaAE = -1, koma53 = -1, pay = -1, payda = -1, ms = -1;
    std::size_t columns = 0;
    int lineNo = 0;
    std::size_t start = 0;
    auto failAt = [&](const std::string& reason) {
        throwScoreError(fileName, "satır " + std::to_string(lineNo) + ": " + reason);
    };
    // The cell of column `c` on this line, empty when the line is short or the column missing.
    auto cellOf = [](const std::vector<std::string_view>& cells, int c) {
        return c >= 0 && static_cast<std::size_t>(c) < cells.size()
                   ? trimmed(cells[static_cast<std::size_t>(c)])
                   : std::string_view{};
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
            kod = columnOf(cells, "Kod");
            nota53 = columnOf(cells, "Nota53");
            notaAE = columnOf(cells, "NotaAE");
            koma53 = columnOf(cells, "Koma53");
            pay = columnOf(cells, "Pay");
            payda = columnOf(cells, "Payda");
            ms = columnOf(cells, "Ms");
            if (kod < 0 || pay < 0 || payda < 0 || (nota53 < 0 && notaAE < 0 && koma53 < 0))
                failAt("SymbTr başlığı (Kod, Nota53/NotaAE/Koma53, Pay, Payda sütunları) yok");
            columns = cells.size();
            continue;
        }
        const std::size_t needed =
            static_cast<std::size_t>(std::max(kod, std::max(pay, payda))) + 1;
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
        if (decimal(cellOf(cells, ms), millis) && millis > 0 && millis < 6e5)
            note.ms = millis;
        else
            note.ms = note.beats * 60000.0 / kDefaultTempo;

        // The name in letters, else in solfège; Koma53 where given.
        std::string_view name = cellOf(cells, notaAE);
        if (name.empty()) name = cellOf(cells, nota53);
        long long koma = 0;
        const bool hasKoma = wholeNumber(cellOf(cells, koma53), koma);
        if (hasKoma && (koma < -1 || koma > 11 * 53)) failAt("Koma53 geçersiz");
        int step = 0, octave = 0, commas = 0;
        if (isRestName(name) || (hasKoma && koma == -1)) {
            note.rest = true;
        } else if (parseNoteName(name, step, octave, commas)) {
            note.step = step;
            note.octave = octave;
            note.cents = hasKoma ? (static_cast<double>(koma) - kSymbTrC4) * kCommaCents
                                 : pitchCents(step, octave, commas);
        } else if (name.empty() && hasKoma) {
            // Only the commas: the natural at or below them is the written one.
            const int above = static_cast<int>(koma) - kSymbTrC4;
            octave = 4 + (above >= 0 ? above / 53 : -((52 - above) / 53));
            const int within = above - (octave - 4) * 53;
            step = 6;
            while (step > 0 && naturalCommas(step) > within)
                --step;
            note.step = step;
            note.octave = octave;
            note.cents = above * kCommaCents;
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

namespace zembera::scores {

bool looksLikeSymbTr(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // The first line that is not blank, as the reader takes it for the header.
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (!trimmed(line).empty()) return columnOf(splitTabs(line), "Kod") >= 0;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return false;
}

} // namespace zembera::scores
