#pragma once
// The pitch panel: seven lines about the current string (its mandal position, its number, the
// name of its note, cents above C4, frequency ratio to C4, frequency in hertz, fine tuning).

#include <array>
#include <optional>
#include <string>

#include "canvas/canvas_image.h"
#include "model/instrument_state.h"
#include "model/tuning_state.h"
#include "pitch/degree_span.h"
#include "pitch/pitch_table.h"

namespace zembera {

inline constexpr QRgb kPitchPanelBack = qRgb(255, 224, 192);
inline constexpr const char* kNoNoteName = "----------";

// The degree of `span` (the bundled table's 104..196 unless told) whose cents lie nearest to
// `cents`, the distance rounded to whole cents (halves to even); the lowest degree wins a tie,
// and 0 is the answer when none lies within 4000 cents.
int nearestDegree(const PitchTables& tables, double cents,
                  DegreeSpan span = kTableNarrowStringDegrees);

// The degree of the current note as written before the transposition (the transposed setting
// sounds): the sounding degree less totalDegreeShift. Strings 1..7 play their transposed notes
// only approximately on their shorter mandal rows, so their sounding degree is that of the full
// scale target: the degree of the string an octave below at fullRangeTransposed, raised by the
// octave between the two open strings. Nothing when the degree has no name (outside -104..196
// in the bundled table) or the position lies outside the table. `degreesPerOctave` is that of
// the pitch system the tables belong to.
std::optional<int> writtenDegree(const InstrumentState& state, const PitchTables& tables,
                                 int totalDegreeShift, int degreesPerOctave = kTableOctaveDegrees);

// The name on line 3, all 30 characters, or "----------".
std::string noteName(const InstrumentState& state, const PitchTables& tables, int totalDegreeShift,
                     int degreesPerOctave = kTableOctaveDegrees);

// One line of the panel: a label in blue, a value in black and a unit in blue (may be empty).
struct PanelLine {
    std::string label;
    std::string value;
    std::string unit;
};

// The seven lines for currentString (1..26). The hertz of line 6 belong to the cents of line 4,
// fine tuning included, so the panel names the note the string sounds, whichever string was
// prepared last.
std::array<PanelLine, 7> panelLines(const InstrumentState& state, const TuningState& tuning,
                                    const PitchTables& tables);

// Redraws the panel for currentString; does nothing at all while no string is selected.
void etiket(CanvasImage& canvas, const InstrumentState& state, const TuningState& tuning,
            const PitchTables& tables);

} // namespace zembera
