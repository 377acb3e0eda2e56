#pragma once
// What the window keeps between runs, in the user's settings: the pitch system (a Scala file by
// its path), the makam last loaded or the positions last set, "Teller tınlasın", the tempo and
// the MIDI input chosen (the folders of the file dialogs and "Son açılanlar" are kept as they
// change, by the window). Restoring goes through the window's own controls, as the user would
// have set them: the system list, the makam loading, the check box, the scroll bars.
//
// Thread: UI thread only.

#include "session/remembered_settings.h"

namespace zembera {

class MainWindow;
class MidiControl;

// Words of the status line when the Scala file of the last run is gone.
inline constexpr const char* kScaleFileGone = " bulunamadı: Yarman 79";

class SessionMemory {
  public:
    SessionMemory(MainWindow& window, SettingsStore& store, MidiControl* midi = nullptr);

    // Puts back what the last run left (nothing at all on a first start).
    void restore();
    // Keeps what the window shows now.
    void save();

  private:
    MainWindow& window_;
    SettingsStore& store_;
    MidiControl* midi_;
};

} // namespace zembera
