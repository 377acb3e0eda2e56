#pragma once
// What the makam, recording and melody handlers touch in the window besides the instrument views:
// the name boxes, file lists, buttons, lamps, option groups, the counter and the frames. The
// window implements it; tests fake it.
//
// Thread: UI thread only.

#include <string>

namespace zembera {

// The buttons of the recording frame.
enum class RecordButton { rec_buton, Play_buton, pause_buton, stop_buton };

// The frames a recording, a replay or the melody player disable and enable again: recording,
// pitch levels, resets and exit, makam files, melody files, the empty frame of the top row and
// the octave division.
enum class WindowFrame { record, pitchLevel, reset, makam, melody, empty, octave };
inline constexpr int kWindowFrames = 7;

class FilesView {
  public:
    virtual ~FilesView() = default;

    // Makam frame: the makam name box and the makam list ("*.mkm" of the program folder).
    virtual std::string makamName() const = 0;
    virtual void setMakamName(const std::string& text) = 0;
    // Shows the makam list with the files as they are now.
    virtual void showMakamList() = 0;
    virtual void hideMakamList() = 0;
    virtual void refreshMakamList() = 0;

    // The setting switch (1 untransposed, 2 transposed setting) and the pitch-level buttons (1..8).
    // Selecting a button that is not selected runs its click handler before the call returns.
    virtual bool settingSwitchSelected(int index) const = 0;
    virtual void selectSetting(int index) = 0;
    virtual bool pitchLevelSelected(int index) const = 0;
    virtual void selectPitchLevel(int index) = 0;
    // The degree-shift bar. Moving it runs the transposition before the call returns;
    // setting the value it already has runs nothing.
    virtual void setDegreeShift(int value) = 0;

    // Recording frame.
    virtual void setButtonEnabled(RecordButton button, bool enabled) = 0;
    // The recording lamp red while recording, white otherwise.
    virtual void setRecordLamp(bool on) = 0;
    // The replay lamp green while replaying, white otherwise.
    virtual void setReplayLamp(bool on) = 0;
    // The selected mandal mode of the replay (1 "çalgı", 2 "şartlı", 3 "dosya"); 0 when none.
    virtual int replayModeIndex() const = 0;

    // Melody frame: the melody name box, the melody list ("*.ses"), the start/stop button
    // aç_kapa_buton, the melody counter and the mandal-mode buttons.
    virtual std::string melodyName() const = 0;
    virtual void setMelodyName(const std::string& text) = 0;
    virtual void showMelodyList() = 0;
    virtual void hideMelodyList() = 0;
    virtual void setStartStopCaption(const std::string& caption) = 0;
    // Clears the melody counter and prints `text` on it at font size 12.
    virtual void showCounter(const std::string& text) = 0;
    // Paints the melody counter white over its whole area.
    virtual void blankCounter() = 0;
    virtual int melodyModeIndex() const = 0;
    // The tempo scroll bar: the length of a melody's time unit in milliseconds (30..60).
    virtual int tempo() const = 0;

    virtual void setFrameEnabled(WindowFrame frame, bool enabled) = 0;

    // Gives the keyboard focus back to the instrument picture, so the keys go on playing.
    virtual void focusInstrument() = 0;
};

} // namespace zembera
