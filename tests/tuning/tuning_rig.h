#pragma once
// The tuning handlers wired to fakes of the window: a scroll bar and a setting-switch pair that
// raise their handlers synchronously on a real change, as the window's controls do, a real canvas
// for the mandal number columns, a recorder of the instrument views and of the messages.

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "instrument/instrument_ports.h"
#include "pitch/pitch_table.h"
#include "support/gui_application.h"
#include "support/view_calls.h"
#include "tuning/tuning_handlers.h"

namespace zembera::test {

class FakeTuningControls : public TuningView {
  public:
    int degreeShift() const override { return hscroll; }
    void setDegreeShift(int value) override {
        value = std::clamp(value, -8, 12);
        if (value == hscroll) return;
        hscroll = value;
        handlers->degreeShiftChange();
    }
    void setDegreeShiftText(const std::string& text) override { degreeShiftBox = text; }
    bool settingSwitchSelected(int index) const override { return settingSwitch == index; }
    void selectSetting(int index) override {
        if (index == settingSwitch) return;
        settingSwitch = index;
        handlers->settingSwitchClick(index);
    }
    CanvasImage& numberColumns() override { return column; }
    void refreshNumberColumns() override {}
    void focusInstrument() override { ++focusCount; }

    TuningHandlers* handlers = nullptr;
    int hscroll = 0;
    std::string degreeShiftBox = "0";
    int settingSwitch = 1;
    CanvasImage column{90, 396};
    int focusCount = 0;
};

// Sample names of 262 Hz sines, as the test program folder writes them.
inline std::array<std::string, 27> sineSampleNames() {
    std::array<std::string, 27> names;
    for (int s = 1; s <= 26; ++s)
        names[s] = (s < 10 ? "0" : "") + std::to_string(s) + "_026200_xx.wav";
    return names;
}

struct TuningRig {
    explicit TuningRig(const PitchTables& t,
                       std::filesystem::path sampleFolder = "/nonexistent-zembera-samples")
        : tables(t), sounds(std::move(sampleFolder), sineSampleNames(), messages),
          handlers(TuningParts{instrument, tuning, tables, sounds, view, controls, messages}) {
        ensureGuiApplication(); // the number columns print text
        controls.handlers = &handlers;
        setMandalRanges(instrument);
    }

    const PitchTables& tables;
    InstrumentState instrument;
    TuningState tuning;
    RecordedMessages messages;
    StringSounds sounds;
    ViewCalls view;
    FakeTuningControls controls;
    TuningHandlers handlers;
};

// The pitch table the program ships with.
inline const PitchTables& bundledTables() {
    static const PitchTables tables = tablo_oku_txt(ZEMBERA_PROGRAM_DIR);
    return tables;
}

// Whether row s of the mandal number column holds a red pixel: a transposed position is shown.
inline bool redCell(const CanvasImage& c, int s) {
    const int top = 2 + 15 * (s - 1);
    for (int y = top; y <= top + 16 && y < c.height(); ++y) {
        for (int x = 60; x < 90; ++x) {
            if (c.pixel(x, y) == qRgb(255, 0, 0)) return true;
        }
    }
    return false;
}

} // namespace zembera::test
