#pragma once
// A program folder and recording fakes for the makam, recording and melody handlers, on a fake
// clock that only the fakes move: the note player's wake-ups come when due (or late by what a
// test sets), redraws cost what a test sets.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "files/files_parts.h"
#include "files/note_player.h"
#include "loader/startup_loader.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera::test {

using Calls = std::vector<std::string>;
using Plays = std::vector<std::pair<int, int>>; // string, mandal

struct FakeClock {
    double now = 1000.0;
    double wakeSlack = 0.0;       // each wake-up of the player comes this late
    double redrawCost = 0.0;      // each redraw of the instrument views
    std::optional<double> wakeAt; // the player's pending wake-up
    int wakeUps = 0;
};

// How long before its onset the rig's player draws a note.
inline constexpr double kRigLeadMs = 10.0;

// Messages kept as shown; `onShow` runs while one is open (a modal box the user reads).
class HeldMessages : public RecordedMessages {
  public:
    void show(const std::string& text) override {
        RecordedMessages::show(text);
        if (onShow) onShow(text);
    }
    std::function<void(const std::string&)> onShow;
};

// Logs on the fake clock each sample started, each stop of every sound, the chord notes sounded
// beside the memory channel and the aliases closed; keeps the (string, mandal) of each sample.
class ClockedSound : public SoundOutput {
  public:
    struct Event {
        double at = 0;
        std::string what;
    };
    explicit ClockedSound(FakeClock& clock) : clock_(clock) {}
    void PlayImage(const SoundImagePtr&, std::uint32_t) override {}
    bool MciOpenPlay(const std::string&, const std::string&) override { return true; }
    void MciStopClose(const std::string& alias) override {
        events.push_back({clock_.now, alias + " kapandı"});
    }
    void PlayPatchedSample(const PatchedSampleSource&, int s, int m) override {
        plays.emplace_back(s, m);
        events.push_back(
            {clock_.now, "çal tel " + std::to_string(s) + " mandal " + std::to_string(m)});
    }
    void StopAllSound() override { events.push_back({clock_.now, "dur"}); }
    void PlayPreparedBeside(const PatchedSampleSource&, const PreparedNote& note,
                            const std::string& alias) override {
        events.push_back({clock_.now, alias + ": yanında tel " + std::to_string(note.s)});
    }

    std::vector<Event> events;
    Plays plays;

  private:
    FakeClock& clock_;
};

// Each redraw costs the clock its redraw time; each staff drawn is kept as "string/mandal".
class LoggedView : public ViewCalls {
  public:
    explicit LoggedView(FakeClock& clock) : clock_(clock) {}
    const InstrumentState* state = nullptr;
    Calls staff; // string/mandal

  private:
    void record(std::string call) override {
        if (call == "porte" && state != nullptr)
            staff.push_back(std::to_string(state->currentString) + "/" +
                            std::to_string(state->mandalPos[state->currentString]));
        calls.push_back(std::move(call));
        clock_.now += clock_.redrawCost;
    }
    FakeClock& clock_;
};

// The window's controls as plain state.
class FakeFilesView : public FilesView {
  public:
    std::string makamName() const override { return makamNameBox; }
    void setMakamName(const std::string& t) override { makamNameBox = t; }
    void showMakamList() override {}
    void hideMakamList() override {}
    void refreshMakamList() override {}
    bool settingSwitchSelected(int index) const override { return settingSwitch == index; }
    void selectSetting(int index) override { settingSwitch = index; }
    bool pitchLevelSelected(int index) const override { return pitchLevel == index; }
    void selectPitchLevel(int index) override { pitchLevel = index; }
    void setDegreeShift(int value) override { hscroll = value; }
    void setButtonEnabled(RecordButton b, bool on) override { buttons[static_cast<int>(b)] = on; }
    void setRecordLamp(bool on) override { recordLamp = on; }
    void setReplayLamp(bool on) override { replayLamp = on; }
    int replayModeIndex() const override { return replayMode; }
    std::string melodyName() const override { return melodyNameBox; }
    void setMelodyName(const std::string& t) override { melodyNameBox = t; }
    void showMelodyList() override {}
    void hideMelodyList() override {}
    void setStartStopCaption(const std::string& c) override { caption = c; }
    void showCounter(const std::string& text) override { counters.push_back(text); }
    void blankCounter() override { counters.push_back("blank"); }
    int melodyModeIndex() const override { return melodyMode; }
    int tempo() const override { return tempoBar; }
    void setFrameEnabled(WindowFrame frame, bool on) override {
        frames[static_cast<std::size_t>(frame)] = on;
    }
    void focusInstrument() override {}

    std::string makamNameBox, melodyNameBox, caption = ">";
    int pitchLevel = 5, melodyMode = 2, replayMode = 1, settingSwitch = 1, hscroll = 0;
    int tempoBar = 40; // the window's starting value
    // rec, Play, pause, stop as the window starts.
    std::array<bool, 4> buttons = {true, true, false, false};
    bool recordLamp = false, replayLamp = false;
    // In the order of WindowFrame: record, pitchLevel, reset, makam, melody, empty, octave.
    std::array<bool, kWindowFrames> frames = {true, true, true, true, true, true, true};
    Calls counters;
};

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A loaded program folder and the parts of the handlers over fakes.
class FilesRig : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zembera_files_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        makeProgramFolder(dir, sampleFrames);
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        view.state = &program->instrument;
        notePlayer = std::make_unique<NotePlayer>(
            TickSource{[this] { return clock.now; },
                       [this](double ms) { clock.wakeAt = clock.now + ms; },
                       [this] { clock.wakeAt.reset(); }},
            kRigLeadMs);
        parts = std::make_unique<FilesParts>(FilesParts{
            program->instrument, program->tuning, program->recording, view, controls, *output,
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset},
            messages, program->programFolder, program->sampleFolder, *notePlayer});
        mark = clock.now;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs the window's event loop on the fake clock until nothing is pending: each wake-up of
    // the player comes when due (plus the slack), `betweenTicks` running first as the clicks
    // the window handles between two ticks.
    void runPlayer() {
        while (clock.wakeAt) {
            clock.now = std::max(clock.now, *clock.wakeAt + clock.wakeSlack);
            clock.wakeAt.reset();
            ++clock.wakeUps;
            if (betweenTicks) betweenTicks();
            notePlayer->tick();
        }
    }

    InstrumentState& st() { return program->instrument; }
    // Neither recording nor replaying, and the controls show it.
    bool finished() {
        return !st().playingBack && !st().recording && !controls.recordLamp &&
               !controls.replayLamp && controls.buttons == std::array{true, true, false, false} &&
               controls.frames == std::array{true, true, true, true, true, true, true};
    }
    // What a step did, for an approved dump: sounds started and stopped (ms since the last step),
    // redraws, staff, counter, messages and controls. Clears the logs for the next step.
    std::string transcript(const std::string& title) {
        std::ostringstream out;
        out << std::fixed << std::setprecision(1) << "# " << title << '\n';
        for (const auto& e : sound.events)
            out << std::setw(8) << e.at - mark << ' ' << e.what << '\n';
        const auto list = [&](const char* name, const Calls& items) {
            out << name << ':';
            for (const auto& item : items)
                out << ' ' << item;
            out << '\n';
        };
        list("çizim", view.calls);
        list("porte", view.staff);
        list("sayaç", controls.counters);
        for (std::string m : messages.shown) {
            // The test's own folder, which differs from run to run.
            for (auto at = m.find(dir.string()); at != std::string::npos; at = m.find(dir.string()))
                m.replace(at, dir.string().size(), "<dir>");
            std::replace(m.begin(), m.end(), '\n', '|');
            out << "ileti: " << m << '\n';
        }
        out << "süre " << clock.now - mark << ", tel " << st().currentString << ", düğme "
            << controls.caption << (finished() ? ", bitti" : ", sürüyor") << '\n';
        sound.events.clear();
        sound.plays.clear();
        view.calls.clear();
        view.staff.clear();
        messages.shown.clear();
        controls.counters.clear();
        mark = clock.now;
        return out.str();
    }

    std::filesystem::path dir;
    FakeClock clock;
    ClockedSound sound{clock};
    LoggedView view{clock};
    FakeFilesView controls;
    HeldMessages messages;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<NotePlayer> notePlayer;
    std::unique_ptr<FilesParts> parts;
    double mark = 0;                    // the time of the last step
    std::function<void()> betweenTicks; // runs before each wake-up of the player
    // Set before SetUp: the samples' length and the output the handlers play to.
    std::size_t sampleFrames = 400;
    SoundOutput* output = &sound;
};

} // namespace zembera::test
