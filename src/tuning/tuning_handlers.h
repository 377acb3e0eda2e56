#pragma once
// The handlers of the tuning controls: pitch level (pitchLevelButtons), degree shift
// (degreeShiftBar), octave division (octaveDivisionButtons), untransposed/transposed switch
// (settingSwitch), AKORD RESET (tuningResetButton) and MANDAL RESET (mandalResetButton), and the
// transposition of the whole instrument, trans_çalgı.
//
// Thread: UI thread only. Handlers may run nested inside one another, as the window raises them
// synchronously when the transposition moves the degree-shift bar or selects a button of the
// setting switch.

#include "common/messages.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "model/tuning_state.h"
#include "pitch/pitch_table.h"
#include "tuning/tuning_view.h"

namespace zembera {

struct TuningParts {
    InstrumentState& instrument;
    TuningState& tuning;
    const PitchTables& tables;
    InstrumentView& view; // mandal_at, porte, etiket, arıza_yaz
    TuningView& controls;
    MessageService& messages;
};

class TuningHandlers {
  public:
    explicit TuningHandlers(TuningParts parts) : p_(parts) {}

    // Chooses pitch level 1..8: its string shift, then one transposition with degree shift 0.
    void pitchLevelClick(int index);
    // Shows the new degree shift in its box and transposes by it at the chosen level.
    void degreeShiftChange();
    // The octave division changes no pitch.
    void octaveDivisionClick(int index);
    // 1: the untransposed setting sounds again; 2: it is saved and the transposed one sounds.
    void settingSwitchClick(int index);
    // AKORD RESET: clears the fine tuning of every string.
    void tuningResetClick();
    // MANDAL RESET: every sounding mandal back to position 0.
    void mandalResetClick();

    // Computes transposedMandal for pitch level `ahenk` (1..8) and degree shift `dereceFarkı`
    // from the untransposed setting, writes the red column and makes the result sound.
    // Problems are reported string by string; a target degree with no place on its target
    // string cancels the run (and reruns it with degree shift 0 when the degree-shift bar was not
    // at 0).
    void trans_çalgı(int ahenk, int dereceFarkı);

  private:
    // One source string of the walk; false when the transposition was cancelled.
    bool transposeString(int t, int levelOffset, int stringShift, int dereceFarkı, int total);
    void copyTransposed(int to, int from);

    TuningParts p_;
};

} // namespace zembera
