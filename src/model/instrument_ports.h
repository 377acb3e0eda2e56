#pragma once
// What the playing handlers need from the rest of the program: the sound output (declared by the
// sound, which implements it) and the views they redraw. The window implements the views; tests
// record the calls.

#include <string>

namespace zembera {

class InstrumentView {
  public:
    virtual ~InstrumentView() = default;
    // tel_çiz: redraws the 26 strings, the selected one black.
    virtual void tel_çiz() = 0;
    // mandal_at: redraws the mandal strip of the selected string and moves it into place.
    virtual void mandal_at() = 0;
    // porte: redraws the staff with the note of the selected string and its accidentals.
    virtual void porte() = 0;
    // etiket: redraws the pitch panel (note name, cents, ratio, hertz) of the selected string.
    virtual void etiket() = 0;
    // arıza_yaz: rewrites the mandal number of string s in the mandal column.
    virtual void arıza_yaz(int s) = 0;
    // Repaints the key letter of string s in the key map: black while held, green otherwise.
    virtual void keyLetter(int s, bool held) = 0;

    // What the window shows that the players read. Whether a name or number box has the keyboard
    // focus: the letter keys then type instead of playing.
    virtual bool nameFieldFocused() const = 0;
    // "detay göster": whether a right-button sweep redraws the strings, the mandal strip, the
    // panel and the staff at each string it passes.
    virtual bool detailShown() const = 0;
};

// A view that draws nothing, for players driven without a window (benchmarks, fuzzing).
class SilentInstrumentView : public InstrumentView {
  public:
    void tel_çiz() override {}
    void mandal_at() override {}
    void porte() override {}
    void etiket() override {}
    void arıza_yaz(int) override {}
    void keyLetter(int, bool) override {}
    bool nameFieldFocused() const override { return false; }
    bool detailShown() const override { return false; }
};

} // namespace zembera
