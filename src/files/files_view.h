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

class FilesView {
  public:
    virtual ~FilesView() = default;

    // Makam frame: the name box Text1 and the file list File2 ("*.mkm" of the program folder).
    virtual std::string Text1() const = 0;
    virtual void setText1(const std::string& text) = 0;
    // Shows File2 with the files as they are now.
    virtual void showFile2() = 0;
    virtual void hideFile2() = 0;
    virtual void refreshFile2() = 0;

    // Option5 (1 untransposed, 2 transposed setting) and Option1 (pitch levels 1..8). Selecting a
    // button that is not selected runs its click handler before the call returns.
    virtual bool settingSwitchSelected(int index) const = 0;
    virtual void selectSetting(int index) = 0;
    virtual bool option1Selected(int index) const = 0;
    virtual void selectOption1(int index) = 0;
    // HScroll1, the degree shift. Moving it runs the transposition before the call returns;
    // setting the value it already has runs nothing.
    virtual void setDegreeShift(int value) = 0;

    // Recording frame.
    virtual void setButtonEnabled(RecordButton button, bool enabled) = 0;
    // Picture9 red while recording, white otherwise.
    virtual void setRecordLamp(bool on) = 0;
    // Picture8 green while replaying, white otherwise.
    virtual void setReplayLamp(bool on) = 0;
    // The selected option of Option3 (1 "çalgı", 2 "şartlı", 3 "dosya"); 0 when none.
    virtual int option3Index() const = 0;

    // Melody frame: the name box Text2, the file list File3 ("*.ses"), the start/stop button
    // aç_kapa_buton, the counter Picture7 and the option group Option2.
    virtual std::string Text2() const = 0;
    virtual void setText2(const std::string& text) = 0;
    virtual void showFile3() = 0;
    virtual void hideFile3() = 0;
    virtual void setStartStopCaption(const std::string& caption) = 0;
    // Clears Picture7 and prints `text` on it at font size 12.
    virtual void showCounter(const std::string& text) = 0;
    // Paints Picture7 white over its whole area.
    virtual void blankCounter() = 0;
    virtual int option2Index() const = 0;

    // Frame1, Frame2, Frame3, Frame4, Frame5, Frame7, Frame10 by their number.
    virtual void setFrameEnabled(int frame, bool enabled) = 0;

    // Gives the keyboard focus back to the instrument picture, so the keys go on playing.
    virtual void focusInstrument() = 0;
};

} // namespace zembera
