#pragma once
// Playing the instrument from the keyboard and the mouse: the key and mouse handlers of the main
// window, free of any toolkit. Coordinates are pixels of the picture that got the event.
//
// Thread: UI thread only.

#include <array>
#include <string>

#include "common/messages.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "model/recording_state.h"
#include "model/tuning_state.h"
#include "pitch/pitch_table.h"
#include "sound/note_listener.h"
#include "sound/sound_output.h"
#include "sound/string_sounds.h"

namespace zembera {

// Key codes as the window passes them: letters 65 ('A') .. 90 ('Z'), arrows 37..40.
enum KeyCode : int { kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40 };
// Mouse buttons, summed when several are held.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// The string a letter key plays (Q W E ... on the top row is string 1..10), or 0.
int stringOfKey(int key);

struct PlayerParts {
    InstrumentState& instrument;
    TuningState& tuning;
    RecordingState& recording;
    const PitchTables& tables;
    StringSounds& sounds;
    const PerString<std::string>& mciAlias;
    SoundOutput& sound;
    InstrumentView& view;
    MessageService& messages;
    PluckRecorder* recorder = nullptr; // set while a recording file is open
    // Told of each note the player starts from a string's image and of each letter key's voice it
    // closes (the sound service announces the ends on its memory channel itself).
    NoteListener* notes = nullptr;
};

class InstrumentPlayer {
  public:
    explicit InstrumentPlayer(PlayerParts parts) : p_(parts) {}

    // Form_KeyDown: an arrow key moves the string or its mandal, a letter key sounds its string.
    void Form_KeyDown(int key);
    // Form_KeyUp: a letter key released stops the sound of its string.
    void Form_KeyUp(int key);
    void instrumentMouseDown(int button, double x, double y);  // pluck
    void instrumentMouseMove(int button, double x, double y);  // right-button sweep
    void mandalStripMouseDown(int button, double x, double y); // mandal editing
    void fineTuningMouseDown(int button, double x, double y);  // fine tuning

    // Plays string s at its mandal position: from memory, cutting the note before, or on its own
    // voice while the strings ring (stringsRing).
    void soundString(int s);

    void setRecorder(PluckRecorder* recorder) { p_.recorder = recorder; }

  private:
    bool mandalKey(int key);
    void selectionKey(int key);
    void letterDown(int s);
    // The image of string s brought to the pitch it has now, wherever that was changed.
    void refreshSound(int s);
    void ringString(int s);
    // Stops and closes the voice of string s's letter key (and its ringing pluck).
    void closeLetterVoice(int s);
    // Tells the listeners that string s started sounding on `voice` at its current pitch.
    void announce(int voice, int s);

    PlayerParts p_;
    // Strings whose voice a ringing pluck opened: a letter key reopens it, a held key's repeats
    // find their own note open and leave it.
    PerString<bool> ringing_{};
};

} // namespace zembera
