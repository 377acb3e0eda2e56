#include "scores/symbtr_reader.h"

#include "scores/ornaments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

namespace zembera::scores {
namespace {

// What a row's code plays (the corpus's code table).
enum class Sound { none, note, grace };
struct CodeMeaning {
    Sound sound = Sound::none;
    Ornament ornament = Ornament::none;
    bool below = false;   // the ornament's neighbour is the degree below
    bool natural = false; // the neighbour is the natural of its degree
};

CodeMeaning meaningOf(long long code) {
    using O = Ornament;
    switch (code) {
    case 0:  // rest
    case 9:  // note
    case 1:  // small note (performance ornament)
    case 2:  // note that rests on the first pass
    case 3:  // note that rests on the second pass
    case 10: // note followed by a grace note (which takes its time)
    case 11: // note with a silent grace note
    case 22: // natural silent grace note
    case 33: // triplet with grace note
    case 34:
    case 47: // vibrato
        return {Sound::note, O::none, false, false};
    case 4:  // glissando
    case 27: // portamento
        return {Sound::note, O::glissando, false, false};
    case 5: // tremolo: fading, swelling, plain, swell-fade, fade-swell
    case 6:
    case 7:
    case 15:
    case 16:
        return {Sound::note, O::tremolo, false, false};
    case 8:  // grace note
    case 17: // after-grace note
        return {Sound::grace, O::none, false, false};
    case 12:
        return {Sound::note, O::trill, false, false};
    case 13:
        return {Sound::note, O::trill, false, true};
    case 32:
        return {Sound::note, O::trill, true, false};
    case 23:
        return {Sound::note, O::mordent, false, false};
    case 24:
        return {Sound::note, O::mordent, true, false};
    case 25:
        return {Sound::note, O::mordent, false, true};
    case 26:
        return {Sound::note, O::mordent, true, true};
    case 28:
        return {Sound::note, O::turn, false, false};
    case 29:
        return {Sound::note, O::turn, true, false};
    case 30:
        return {Sound::note, O::turn, false, true};
    case 31:
        return {Sound::note, O::turn, true, true};
    case 43:
        return {Sound::note, O::lateMordent, false, false};
    case 44:
        return {Sound::note, O::lateMordent, true, false};
    case 45:
        return {Sound::note, O::lateMordent, false, true};
    case 46:
        return {Sound::note, O::lateMordent, true, true};
    default: // repeat marks, makam, usul and tempo changes, layout and metadata
        return {};
    }
}

// The degree `by` steps above note `at`: in the piece's makam, the pitch of the nearest note on
// that degree (before, else after it, in any octave), or its natural.
ScorePitch degreeOf(const std::vector<ScoreNote>& notes, std::size_t at, int by, bool natural) {
    const ScoreNote& n = notes[at];
    const int diatonic = n.diatonic() + by;
    ScorePitch p;
    p.octave = 4 + (diatonic >= 0 ? diatonic / 7 : -((6 - diatonic) / 7));
    p.step = diatonic - (p.octave - 4) * 7;
    double commas = 0;
    if (!natural) {
        auto matches = [&](const ScoreNote& m) { return !m.rest && m.step == p.step; };
        bool found = false;
        for (std::size_t k = at; k-- > 0 && !found;)
            if (matches(notes[k])) {
                commas = notes[k].cents / kCommaCents - (notes[k].octave - 4) * 53 -
                         naturalCommas(p.step);
                found = true;
            }
        for (std::size_t k = at + 1; k < notes.size() && !found; ++k)
            if (matches(notes[k])) {
                commas = notes[k].cents / kCommaCents - (notes[k].octave - 4) * 53 -
                         naturalCommas(p.step);
                found = true;
            }
    }
    p.cents = pitchCents(p.step, p.octave, commas);
    return p;
}

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

// "2 süresiz nota satırı atlandı (satır 82, 90)", naming the first few lines.
std::string untimedRemark(const std::vector<int>& lines) {
    constexpr std::size_t kNamed = 5;
    std::string text = std::to_string(lines.size()) + " süresiz nota satırı atlandı (satır ";
    for (std::size_t i = 0; i < lines.size() && i < kNamed; ++i)
        text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
    return text + (lines.size() > kNamed ? ", ...)" : ")");
}

} // namespace

Score parseSymbTr(std::string_view text, const std::string& fileName) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Score score;
    int kod = -1, nota53 = -1, notaAE = -1, koma53 = -1, pay = -1, payda = -1, ms = -1;
    std::size_t columns = 0;
    int lineNo = 0;
    int lastCode = -1;
    std::vector<int> untimed; // lines of sounding rows without time, left out
    // Ornamented notes, whose neighbours are found once every pitch of the piece is known.
    std::vector<std::pair<std::size_t, CodeMeaning>> neighbours;
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
        const CodeMeaning meaning = meaningOf(code);
        long long numerator = 0, denominator = 0;
        if (!wholeNumber(cells[static_cast<std::size_t>(pay)], numerator) ||
            !wholeNumber(cells[static_cast<std::size_t>(payda)], denominator) || numerator < 0 ||
            denominator < 0 || numerator > 100000 || denominator > 100000)
            failAt("notanın süresi okunamadı");
        ScoreNote note;
        note.measure = lineNo;
        note.beats = denominator > 0
                         ? 4.0 * static_cast<double>(numerator) / static_cast<double>(denominator)
                         : 0.0;
        if (note.beats > 1000) failAt("nota çok uzun");
        // Every row with a duration takes its time, whatever its code; without the Ms column
        // the written length of a sounding row does. Payda 0 writes no length (whatever Pay
        // says): such a row has only its Ms.
        double millis = 0;
        const bool hasMs = ms >= 0 && decimal(cellOf(cells, ms), millis);
        if (hasMs && (millis < 0 || millis >= 6e5)) failAt("Ms geçersiz");
        const bool timed = hasMs ? millis > 0 : (meaning.sound != Sound::none && note.beats > 0);
        const bool grace = meaning.sound == Sound::grace && !timed;
        const int previousCode = lastCode;
        lastCode = static_cast<int>(code);
        if (!timed && !grace) {
            // A sounding row without time: no length to play, named in the report.
            if (meaning.sound == Sound::note && code != 0) untimed.push_back(lineNo);
            continue;
        }
        if (timed) {
            if (!(note.beats > 0)) note.beats = millis * kDefaultTempo / 60000.0;
            note.ms = hasMs ? millis : note.beats * 60000.0 / kDefaultTempo;
        } else {
            note.beats = 0;
            note.ms = 0;
            note.grace = true;
            // A grace note after a note that gives it time (code 10) and an after-grace note
            // take their time from the note before; others from the note after.
            note.onBeat = code == 8 && previousCode != 10;
        }

        // The name in letters, else in solfège; Koma53 where given.
        std::string_view name = cellOf(cells, notaAE);
        if (name.empty()) name = cellOf(cells, nota53);
        long long koma = 0;
        const bool hasKoma = wholeNumber(cellOf(cells, koma53), koma);
        if (hasKoma && (koma < -1 || koma > 11 * 53)) failAt("Koma53 geçersiz");
        int step = 0, octave = 0, commas = 0;
        if (meaning.sound == Sound::none || code == 0 || isRestName(name) ||
            (hasKoma && koma == -1) || (name.empty() && !hasKoma)) {
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
        if (note.rest && grace) continue;
        if (!note.rest) {
            note.ornament = meaning.ornament;
            neighbours.push_back({score.notes.size(), meaning});
            if (meaning.ornament == Ornament::tremolo)
                note.strokeBeats = note.ms / note.beats > 60000.0 / 90 ? 0.125 : 0.0625;
        }
        if (score.notes.size() >= kMaxScoreNotes) throwScoreError(fileName, "çok fazla nota");
        score.notes.push_back(note);
    }
    if (columns == 0) throwScoreError(fileName, "boş dosya");
    if (!untimed.empty()) score.remarks.push_back(untimedRemark(untimed));
    if (score.noteCount() == 0) throwScoreError(fileName, "partisyonda nota yok");
    for (const auto& [index, meaning] : neighbours) {
        ScoreNote& n = score.notes[index];
        if (n.ornament == Ornament::none || n.ornament == Ornament::tremolo ||
            n.ornament == Ornament::glissando)
            continue;
        n.aux = degreeOf(score.notes, index, meaning.below ? -1 : 1, meaning.natural);
        n.aux2 = degreeOf(score.notes, index, meaning.below ? 1 : -1, meaning.natural);
    }
    score.placesAreLines = true;
    playOut(score);
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
