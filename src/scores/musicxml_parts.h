#pragma once
// What a MusicXML score says, read element by element before the line played is drawn from it
// (musicxml_reader.h): its parts, each a list of measures holding the notes with their places
// in the measure, the key signatures in force and the marks of repeats, endings and jumps.
//
// Thread: any (Qt Core only).

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scores/repeat_order.h"
#include "scores/score.h"

namespace zembera::scores {

// Tempo marks taken, in quarter notes a minute: a quarter note of 6 s to one of 25 ms.
inline constexpr double kSlowestTempo = 10;
inline constexpr double kFastestTempo = 2400;

// A key signature's alteration of one step, as written.
struct KeyStep {
    bool set = false;
    double alter = 0; // <key-alter>, or the sharps or flats <fifths> puts on the step
    bool fromFifths = false;
    std::string glyph; // <key-accidental>, or the sign <fifths> stands for
};

struct KeySignature {
    std::array<KeyStep, 7> steps{};
    std::optional<long long> fifths; // a traditional key: its <fifths>
    const KeyStep& operator[](std::size_t step) const { return steps.at(step); }
    KeyStep& operator[](std::size_t step) { return steps.at(step); }
};

struct Transpose {
    int diatonic = 0;
    double chromatic = 0;
    int octaveChange = 0;
};

// What one <note> element says.
struct RawNote {
    bool rest = false;
    bool unpitched = false; // a percussion note: heard as a rest
    bool chord = false;
    bool grace = false;
    bool onBeat = false;     // a grace note taking its time from the note after it
    double stealPercent = 0; // of the note it takes its time from, 0 for the usual length
    bool cue = false;
    int step = -1;
    int octave = -1000;
    std::optional<double> alter;
    std::string accidental;
    std::optional<double> duration;
    std::string type;
    int dots = 0;
    int actual = 0;
    int normal = 0;
    bool tieStart = false;
    bool tieStop = false;
    std::string voice;
    Ornament ornament = Ornament::none;
    bool below = false; // the ornament's first neighbour is the lower one
    // The <accidental-mark>s of the ornament: for the upper neighbour ("above"), the lower one
    // ("below"), and one without placement, for the neighbour the ornament starts with.
    std::string markAbove, markBelow, mark;
    int tremoloMarks = 0;
    int tremoloPair = 0; // a two-note tremolo: 1 on its first note, 2 on its second
    // Filled in as the note is placed in its measure.
    double onset = 0; // quarter notes from the start of the measure
    double beats = 0;
    int key = 0; // index of the key signature in force
    Transpose transpose;
};

struct Measure {
    int number = 0;
    double length = 0;
    MeasureMarks marks;
    std::vector<RawNote> notes;
    std::vector<std::pair<double, double>> tempos; // tempo marks by their place in the measure
    // Tempo marks not taken (outside kSlowestTempo..kFastestTempo), as written, by their place.
    std::vector<std::pair<double, std::string>> refusedTempos;
};

struct Part {
    std::string id;
    std::vector<Measure> measures;
    std::vector<KeySignature> keys{KeySignature{}};
    bool hasPitches() const;
};

struct MusicXmlParts {
    std::string title;
    std::vector<Part> parts;
    std::map<std::string, std::string> partNames;
    bool symbtrConverter = false; // written by SymbTr's converter
    bool keyInCommas = false;     // a <key-alter> beyond ±2.5: commas, not semitones
    bool turkishGlyphs = false;   // signs that exist only in Turkish notation
    bool lyricist = false;        // a <creator> of the words is named
    bool lyrics = false;          // a <lyric> has text
};

// Reads the parts of a partwise score. Throws ScoreError naming `fileName` when the text is not
// well-formed XML, is not a partwise score, has no part, or has a note whose pitch or length
// cannot be told. A <duration> before the part's first <divisions> counts in those divisions, in
// a part without any in those of the part before.
MusicXmlParts readMusicXmlParts(std::string_view xml, const std::string& fileName);

} // namespace zembera::scores
