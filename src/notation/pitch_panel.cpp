#include "notation/pitch_panel.h"

#include <cmath>

#include "common/basic_print.h"
#include "common/format_picture.h"
#include "common/text_fields.h"

namespace zembera {
namespace {

constexpr QRgb kLabelColor = qRgb(0, 0, 255);
constexpr QRgb kValueColor = qRgb(0, 0, 0);
constexpr double kNoDegreeDistance = 4000;

std::string nameOf(const PitchTables& tables, int degree) {
    return fitToWidth(tables.degreeTable(degree).ad, kNameWidth);
}

// An integer as the toolkit prints it: a leading blank unless negative, one trailing blank.
std::string integerText(long value) {
    return numberText(static_cast<double>(value)) + " ";
}

} // namespace

int nearestDegree(const PitchTables& tables, double cents, DegreeSpan span) {
    int best = 0;
    double bestDistance = kNoDegreeDistance;
    for (int d = span.low; d <= span.high; ++d) {
        const double distance =
            std::nearbyint(std::fabs(static_cast<double>(tables.degreeTable(d).cent) - cents));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = d;
        }
    }
    return best;
}

std::optional<int> writtenDegree(const InstrumentState& state, const PitchTables& tables,
                                 int totalDegreeShift, int degreesPerOctave) {
    const int s = state.currentString;
    if (s < 1 || s > kStringCount) return std::nullopt;
    int sounding = 0;
    if (s >= 8) {
        const int m = state.mandalPos[s];
        if (!tables.stringDegree.contains(s, m)) return std::nullopt;
        sounding = tables.stringDegree(s, m);
    } else {
        const int target = state.fullRangeTransposed[s];
        const int below = s + 7;
        if (!tables.stringDegree.contains(below, target)) return std::nullopt;
        const int octave = tables.stringDegree(s, 0) - tables.stringDegree(below, 0);
        sounding = tables.stringDegree(below, target) + octave;
    }
    const int d = sounding - totalDegreeShift;
    if (!isNamedWrittenDegree(tables, degreesPerOctave, d)) return std::nullopt;
    return d;
}

std::string noteName(const InstrumentState& state, const PitchTables& tables, int totalDegreeShift,
                     int degreesPerOctave) {
    const int s = state.currentString;
    if (s < 1 || s > kStringCount) return kNoNoteName;
    const int m = state.mandalPos[s];
    if (!tables.centTable.contains(s, m)) return kNoNoteName;
    if (!state.untransposedShown) {
        const std::optional<int> d =
            writtenDegree(state, tables, totalDegreeShift, degreesPerOctave);
        return d ? nameOf(tables, *d) : kNoNoteName;
    }
    if (s >= 8) return nameOf(tables, tables.stringDegree(s, m));
    return nameOf(tables, nearestDegree(tables, tables.centTable(s, m),
                                        narrowStringDegrees(tables, degreesPerOctave)));
}

std::array<PanelLine, 7> panelLines(const InstrumentState& state, const TuningState& tuning,
                                    const PitchTables& tables) {
    const int s = state.currentString;
    const int m = state.mandalPos[s];
    // A position beyond the table (a makam file may hold any number) has no pitch to show.
    const bool known = tables.centTable.contains(s, m);
    const double cents =
        known ? static_cast<double>(tuning.tuningOffset[s]) + tables.centTable(s, m) : 0;
    return {{
        {" eşik mandal : ", integerText(m), ""},
        {" tel no :           ", integerText(s), ""},
        {" Ton :              ",
         noteName(state, tables, tuning.totalDegreeShift, tuning.degreesPerOctave), ""},
        {" C4 ten :         ", known ? formatPicture(cents, "########0.0000") : kNoNoteName,
         " Cent"},
        {" bağıl frekans :",
         known ? formatPicture(std::exp2(cents / 1200), "0.00000000") : kNoNoteName, ""},
        {" frekans :        ",
         known ? formatPicture(kReferenceHz * std::exp2(cents / 1200), "######0.0000")
               : kNoNoteName,
         " Hertz"},
        {" Akord fark :    ", formatPicture(tuning.tuningOffset[s], "##.00"), " Cent"},
    }};
}

void etiket(CanvasImage& canvas, const InstrumentState& state, const TuningState& tuning,
            const PitchTables& tables) {
    const int s = state.currentString;
    if (s < 1 || s > kStringCount) return;
    canvas.filledBox(0, 0, canvas.width() - 1, canvas.height() - 1, kPitchPanelBack);
    canvas.setCurrentX(0);
    canvas.setCurrentY(0);
    canvas.setBold(false);
    for (const PanelLine& line : panelLines(state, tuning, tables)) {
        canvas.setForeColor(kLabelColor);
        canvas.print(line.label);
        canvas.setForeColor(kValueColor);
        canvas.print(line.value, line.unit.empty());
        if (line.unit.empty()) continue;
        canvas.setForeColor(kLabelColor);
        canvas.print(line.unit, true);
    }
}

} // namespace zembera
