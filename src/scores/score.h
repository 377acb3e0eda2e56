#pragma once
// A score read from another program's file: one melodic line of notes and rests, ties already
// merged, each with its written natural (the string a kanun player reads it on), its pitch in
// cents above C4 and its length in beats (quarter notes) and milliseconds at the written tempo.
//
// Thread: any (pure).

#include <stdexcept>
#include <string>
#include <vector>

namespace zembera::scores {

// The Holdrian comma, a 53rd of the octave, in which Turkish accidentals are counted.
inline constexpr double kCommaCents = 1200.0 / 53.0;
// Tempo when the score gives none, in quarter notes per minute.
inline constexpr double kDefaultTempo = 90.0;
// Longest file read, so that a huge file is refused before it is parsed.
inline constexpr long long kMaxScoreBytes = 8LL * 1024 * 1024;
// Most notes and rests kept from one score.
inline constexpr std::size_t kMaxScoreNotes = 100000;

struct ScoreNote {
    bool rest = false;
    int step = 0;     // written natural: 0..6 for C..B
    int octave = 4;   // scientific octave, C4 being the middle C
    double cents = 0; // sounding pitch above C4 (notes only)
    double beats = 0; // length in quarter notes
    double ms = 0;    // length at the tempo in force
    int measure = 0;  // where it stands in the file (measure number or line), for messages
    // A further note of a chord: it starts with the note before and takes no time of its own.
    bool chord = false;
    // Diatonic index of the written natural, counted from C4 = 0.
    int diatonic() const { return (octave - 4) * 7 + step; }
};

struct Score {
    std::string title;
    std::vector<ScoreNote> notes;
    int noteCount() const;
};

// A score that cannot be read. The message is Turkish and names the file and the reason.
class ScoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "<file>: <reason>" as every reader reports it.
[[noreturn]] void throwScoreError(const std::string& fileName, const std::string& reason);

// The natural of step 0..6 in commas above C: C 0, D 9, E 18, F 22, G 31, A 40, B 49.
int naturalCommas(int step);

// The comma value of a MusicXML accidental name in its Turkish (Arel-Ezgi-Uzdilek) meaning;
// false for a name outside the table. "natural" is 0; the numbered signs of Turkish folk music
// ("flat-1".."flat-5", "sharp-1".."sharp-5") count their commas.
bool turkishAccidentalCommas(const std::string& name, int& commas);

// Cents above C4 of a written natural raised by `commas`.
double pitchCents(int step, int octave, double commas);

// The step 0..6 of a note letter (either case), or -1.
int stepOfLetter(char letter);

} // namespace zembera::scores
