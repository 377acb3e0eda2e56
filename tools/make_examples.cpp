// Writes the example makam files and melody files of data/ from a pitch table:
//     make_examples <Dizek.txt> <output folder>
//
// A makam is given as the alteration of each natural note in degrees of the table (79 to the
// octave): Rast lowers B by one (Segâh) and raises F by six (Eviç). On strings 8-26 a mandal step
// is one degree, so the position is the alteration itself; strings 1-7 have fewer, wider steps
// and take the nearest position, a tie going to the altered side, as a player lowering a mandal
// for Segâh would.
//
// A melody is written note by note (letter, octave, length) for the makam whose setting it is
// played in. Each note's file mandal is the position the tune asks of its string: the makam's,
// or one given with "@". The condition field is set wherever that position is not 0 or not the
// makam's, so the mode "şartlı" plays the tune right both with all mandals at 0 and with the
// makam loaded. Every bar must add up to the metre, or nothing is written.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "pitch/pitch_table.h"

namespace {

using namespace zembera;

// Letter of string s: C on string 17, one letter per string upwards. 0 = C ... 6 = B.
int letterOf(int s) {
    return ((17 - s) % 7 + 7) % 7;
}

struct Makam {
    const char* name;
    std::array<int, 7> alteration; // degrees for C D E F G A B
};

const Makam kMakams[] = {
    {"Rast", {0, 0, 0, 6, 0, 0, -1}},      // Segâh, Eviç
    {"Uşşak", {0, 0, 0, 0, 0, 0, -1}},     // Segâh
    {"Hicaz", {6, 0, 0, 6, 0, 0, -6}},     // Dik Kürdî, Nim Hicâz, Eviç
    {"Hüzzam", {0, 0, -6, 6, 0, 0, -1}},   // Segâh, Hisâr, Eviç
    {"Nihavent", {0, 0, -7, 0, 0, 0, -7}}, // Kürdî, Nim Hisâr
};

using Setting = PerString<int>;

Setting settingOf(const Makam& makam, const PitchTables& t) {
    Setting pos{};
    for (int s = 1; s <= 26; ++s) {
        const int want = makam.alteration[static_cast<std::size_t>(letterOf(s))];
        const int open = t.stringDegree(s, 0);
        int best = 0;
        int bestMiss = 1000;
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m) {
            const int got = t.stringDegree(s, m) - open;
            const int miss = std::abs(got - want);
            const int bestGot = t.stringDegree(s, best) - open;
            if (miss < bestMiss || (miss == bestMiss && std::abs(got) > std::abs(bestGot))) {
                best = m;
                bestMiss = miss;
            }
        }
        pos[static_cast<std::size_t>(s)] = best;
    }
    return pos;
}

struct Melody {
    const char* file;
    const char* makam;
    int barUnits; // the metre: 64 units a whole note
    int pickup;   // units before the first full bar
    const char* notes;
};

// Letter+octave ("Bb" and "C#" spell the makam's altered notes, which take the makam's mandal),
// optional "@position", ":" and the length: w h q 8 16 32, "." for a dotted one; "r:q" is a rest.
// "|" checks a bar line.
const Melody kMelodies[] = {
    {"korobeiniki.ses", "Nihavent", 64, 0,
     "D5:q A4:8 Bb4:8 C5:q Bb4:8 A4:8 | G4:q G4:8 Bb4:8 D5:q C5:8 Bb4:8 | "
     "A4:q. Bb4:8 C5:q D5:q | Bb4:q G4:q G4:h | "
     "C5:q. Eb5:8 G5:q F5:8 Eb5:8 | D5:q. Bb4:8 D5:q C5:8 Bb4:8 | "
     "A4:q A4:8 Bb4:8 C5:q D5:q | Bb4:q G4:q G4:q r:q |"},
    {"hava_nagila.ses", "Hicaz", 64, 0,
     "A4:q A4:q C#5:8 Bb4:8 A4:q | C#5:q C#5:q E5:8 D5:8 C#5:q | "
     "D5:q D5:q F5@0:8 E5:8 D5:q | E5:8 D5:8 C#5:8 Bb4:8 A4:h | "
     "A4:q A4:q C#5:8 Bb4:8 A4:q | C#5:q C#5:q E5:8 D5:8 C#5:q | "
     "D5:q D5:q F5@0:8 E5:8 D5:q | E5:8 D5:8 C#5:8 Bb4:8 A4:h |"},
    {"god_rest_ye.ses", "Nihavent", 64, 16,
     "G4:q | G4:q D5:q D5:q C5:q | Bb4:q A4:q G4:q F4:q | G4:q A4:q Bb4:q C5:q | D5:h. G4:q | "
     "G4:q D5:q D5:q C5:q | Bb4:q A4:q G4:q F4:q | G4:q A4:q Bb4:q C5:q | D5:h. r:q |"},
};

// String of a natural letter and octave: C4 is string 17, each letter one string higher.
int stringOf(char letter, int octave) {
    static const std::string letters = "CDEFGAB";
    const auto k = letters.find(letter);
    if (k == std::string::npos) return 0;
    return 17 - (static_cast<int>(k) + 7 * (octave - 4));
}

int noteOf(int s) {
    if (s >= 4 && s <= 18) return s - 4;
    if (s >= 19 && s <= 22) return s + 3;
    return -1;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "make_examples: %s\n", what.c_str());
    std::exit(1);
}

std::string melodyText(const Melody& melody, const Setting& makam) {
    static const std::map<std::string, int> codes = {{"w", 1}, {"h", 2},  {"q", 3},
                                                     {"8", 4}, {"16", 5}, {"32", 6}};
    std::istringstream in(melody.notes);
    std::string token, text;
    int bar = 0;
    int barLength = melody.pickup > 0 ? melody.pickup : melody.barUnits;
    while (in >> token) {
        if (token == "|") {
            if (bar != barLength) fail(std::string(melody.file) + ": a bar does not add up");
            bar = 0;
            barLength = melody.barUnits;
            continue;
        }
        const auto colon = token.find(':');
        if (colon == std::string::npos) fail("no length in " + token);
        std::string length = token.substr(colon + 1);
        const bool dotted = !length.empty() && length.back() == '.';
        if (dotted) length.pop_back();
        const auto code = codes.find(length);
        if (code == codes.end()) fail("unknown length in " + token);
        const int units = (128 >> code->second) * (dotted ? 3 : 2) / 2;
        bar += units;
        std::array<int, 10> f{};
        const std::string pitch = token.substr(0, colon);
        if (pitch == "r") {
            if (dotted) fail("dotted rest " + token);
            f[1] = 26 + (6 - code->second); // 2 units for a 32nd ... 64 for a whole
        } else {
            const auto at = pitch.find('@');
            const std::string name = pitch.substr(0, at);
            const int s = stringOf(name[0], name.back() - '0');
            const int note = noteOf(s);
            if (note < 0) fail("no note for " + token);
            const int position = at == std::string::npos ? makam[static_cast<std::size_t>(s)]
                                                         : std::stoi(pitch.substr(at + 1));
            // A spelled accidental must be one the makam gives its string.
            const bool spelled = name.size() == 3;
            if (spelled != (makam[static_cast<std::size_t>(s)] != 0) && at == std::string::npos)
                fail(std::string(melody.file) + ": " + token + " is not the makam's note");
            if (!isPlayablePosition(s, position)) fail("position out of range in " + token);
            f[1] = note;
            f[2] = code->second;
            f[3] = position;
            f[4] = dotted ? 1 : 0;
            f[9] = position != 0 || position != makam[static_cast<std::size_t>(s)] ? 1 : 0;
        }
        for (std::size_t i = 0; i < f.size(); ++i)
            text += std::to_string(f[i]) + (i + 1 < f.size() ? "," : "\r\n");
    }
    if (bar != 0) fail(std::string(melody.file) + ": the last bar is not closed");
    return text;
}

void write(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) fail("cannot write " + file.string());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) fail("usage: make_examples <Dizek.txt> <output folder>");
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const PitchTables tables = parsePitchTable(decodeText(bytes.str()), argv[1]);
    const std::filesystem::path out = argv[2];
    std::map<std::string, Setting> settings;
    for (const Makam& makam : kMakams) {
        const Setting pos = settingOf(makam, tables);
        settings[makam.name] = pos;
        PerString<std::int16_t> p{};
        for (int s = 1; s <= 26; ++s)
            p[static_cast<std::size_t>(s)] =
                static_cast<std::int16_t>(pos[static_cast<std::size_t>(s)]);
        write(out / (std::string(makam.name) + kMakamExtension), makamFileText(p));
    }
    for (const Melody& melody : kMelodies)
        write(out / melody.file, melodyText(melody, settings.at(melody.makam)));
    return 0;
}
