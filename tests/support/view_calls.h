#pragma once
// A view of the instrument that records each redraw it is asked for, in order, as a short text:
// "tel_çiz", "arıza_yaz 12", "black 3" (a key letter shown held) or "green 3" (released).

#include <string>
#include <vector>

#include "model/instrument_ports.h"

namespace zembera::test {

class ViewCalls : public InstrumentView {
  public:
    void tel_çiz() override { record("tel_çiz"); }
    void mandal_at() override { record("mandal_at"); }
    void porte() override { record("porte"); }
    void etiket() override { record("etiket"); }
    void arıza_yaz(int s) override { record("arıza_yaz " + std::to_string(s)); }
    void keyLetter(int s, bool held) override {
        record((held ? "black " : "green ") + std::to_string(s));
    }
    bool nameFieldFocused() const override { return typing; }
    bool detailShown() const override { return detail; }
    std::vector<std::string> calls;
    bool typing = false; // a name box has the focus
    bool detail = false; // "detay göster" is checked

  protected:
    virtual void record(std::string call) { calls.push_back(std::move(call)); }
};

} // namespace zembera::test
