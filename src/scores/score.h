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

// A written note's pitch: its natural (the string) and its sounding pitch in cents above C4.
struct ScorePitch {
    int step = 0;
    int octave = 4;
    double cents = 0;
};

// How a note is played beyond its plain stroke. The readers mark it; playOut (ornaments.h)
// turns it into the plain notes of its figure.
enum class Ornament {
    none,
    trill,       // alternates with `aux`, ending on the note
    mordent,     // the note, `aux`, the note, quickly at its start
    lateMordent, // the note for half its value, then `aux` and the note
    turn,        // `aux`, the note, `aux2`, then the note
    delayedTurn, // the note, then `aux`, the note, `aux2` and the note at its end
    tremolo,     // repeated strokes of `strokeBeats` filling the note
    alternation, // strokes of `strokeBeats` alternating the note and `aux` (two-note tremolo)
    glissando,   // a slide to the next note, played as the plain note
};

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
    // A grace note (çarpma): no written time; played short, its time taken from the note before
    // it, or from the note after it when `onBeat`.
    bool grace = false;
    bool onBeat = false;
    double stealPercent = 0; // the share of that note a grace note takes, 0 for the usual length
    // A note of a chord that only continues a tied note sounding before it: it is drawn with its
    // chord and keeps sounding, not struck again, while the chord's other notes are struck.
    bool held = false;
    Ornament ornament = Ornament::none;
    ScorePitch aux, aux2;   // the neighbours an ornament alternates with
    double strokeBeats = 0; // a tremolo's stroke length in quarter notes
    // Diatonic index of the written natural, counted from C4 = 0.
    int diatonic() const { return (octave - 4) * 7 + step; }
};

// How the accidentals of a MusicXML score are read.
enum class PitchReading {
    automatic, // decided by the score (see musicxml_reader.h)
    exact,     // <alter> in semitones over equal-tempered naturals, as the standard defines
    commas,    // the accidental glyphs in their Arel-Ezgi-Uzdilek comma values
    keyCommas, // as commas, the key signature's <key-alter> for notes with its sign
};

struct Score {
    std::string title;
    std::vector<ScoreNote> notes;
    // The places in `measure` are lines of the file (SymbTr), not measures.
    bool placesAreLines = false;
    // MusicXML: the reading used, why it was chosen, the parts ("P1: Keman") and the voices of
    // the part played, the part and voice played (indices into those lists).
    PitchReading reading = PitchReading::exact;
    std::string readingReason;
    std::string keySignature;     // the first key signature as read, for the report ("" for none)
    bool keyAltersDiffer = false; // reading the key's <key-alter> would change a note or a key
    double tempo = 0;             // the written tempo at the start, 0 when the score gives none
    std::vector<std::string> parts;
    std::vector<std::string> voices;
    int part = 0;
    int voice = 0;
    // What playOut did: grace notes played, ornaments played as figures, glissandi played as
    // plain notes; measures played through repeats and jumps (0 when the score has none).
    int graceNotes = 0;
    int ornaments = 0;
    int glissandi = 0;
    int playedMeasures = 0;
    // MIDI: the parts are the file's tracks that have notes ("iz 2: Kanun"), the voices the
    // channels of the track played ("kanal 1"); what its pitches are tuned to, for the report.
    bool midi = false;
    std::string tuning;
    // What the reader read otherwise than written, or left out, one line each for the report.
    std::vector<std::string> remarks;
    int noteCount() const;
};

// A tempo in quarter notes a minute as the report shows it: "90", "66.67", "1153".
std::string tempoText(double tempo);

// "ölçü 3" or, for a file whose places are lines, "satır 3".
std::string placeText(int place, bool lines);

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
