#include "files/played_note.h"

namespace zembera {

void showPlayedNote(InstrumentState& state, InstrumentView& view, PlayedNote note) {
    const auto s = static_cast<std::size_t>(note.string);
    const std::int16_t savedString = state.currentString;
    const std::int16_t savedMandal = state.mandalPos[s];
    state.currentString = static_cast<std::int16_t>(note.string);
    state.mandalPos[s] = static_cast<std::int16_t>(note.mandal);
    view.porte();
    view.etiket();
    state.mandalPos[s] = savedMandal;
    state.currentString = savedString;
}

StringNote playerNote(const PitchTables& tables, const PerString<float>& tuningOffset,
                      PlayedNote note) {
    return StringNote{note.string, note.mandal,
                      soundingCents(tables, tuningOffset, note.string, note.mandal),
                      Resampling::interpolated};
}

} // namespace zembera
