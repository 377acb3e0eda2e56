#pragma once
// A program folder and recording fakes for the makam, recording and melody handlers, on a fake
// clock that only the fakes move: the note player's wake-ups come when due.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/files_parts.h"
#include "files/note_player.h"
#include "files/played_note.h"
#include "loader/startup_loader.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera::test {

using Calls = std::vector<std::string>;
using Plays = std::vector<std::pair<int, int>>; // string, mandal

struct FakeClock {
    double now = 1000.0;
    std::optional<double> wakeAt; // the player's pending wake-up
};

// How long before its onset the rig's player hands a note over and shows it.
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

// Logs on the fake clock each player's note started on the memory channel, each end of it, the
// chord notes sounded beside it and their ends, each when its frame comes (a note handed over
// ahead and dropped by a stop never sounds); keeps the (string, mandal) of each note. The notes of
// the keys and the mouse go unlogged.
class ClockedSound : public SoundPort {
  public:
    struct Event {
        double at = 0;
        std::string what;
    };
    explicit ClockedSound(FakeClock& clock) : clock_(clock) {}
    bool startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) override {
        // The keys' and the mouse's own notes are not the players'.
        if (note.resampling == Resampling::stepped) return true;
        if (voice == Voice::memoryChannel())
            hand(at,
                 "çal tel " + std::to_string(note.string) + " mandal " +
                     std::to_string(note.position),
                 PlayedNote{note.string, note.position});
        else
            hand(at, "akor" + std::to_string(voice.number) + ": yanında tel " +
                         std::to_string(note.string));
        return true;
    }
    void endNote(Voice voice, std::optional<SoundFrame> at) override {
        hand(at, voice == Voice::memoryChannel()
                     ? std::string("dur")
                     : "akor" + std::to_string(voice.number) + " kapandı");
    }
    // What is handed over for a frame not played yet is dropped, also on the very frame played to:
    // it would have started with the next block.
    void cancelScheduled() override {
        std::erase_if(pending_,
                      [&](const Pending& p) { return !p.now && p.frame >= playedFrame(); });
        settle();
    }
    SoundFrame playedFrame() override { return std::llround(clock_.now * 44.1); }
    SoundFrame nextFrame() override { return playedFrame(); }
    double frameRate() const override { return 44100; }

    // Logs what has come by now, in frame order; with `all`, also what is still to come (a piece
    // over: nothing can drop it any more).
    void settle(bool all = false) {
        std::stable_sort(pending_.begin(), pending_.end(),
                         [](const Pending& a, const Pending& b) { return a.frame < b.frame; });
        // A note handed over for a frame sounds once the sound has played that frame; one asked for
        // at once, with the next block.
        std::size_t n = 0;
        for (; n < pending_.size() && (all || pending_[n].now || pending_[n].frame < playedFrame());
             ++n) {
            events.push_back({static_cast<double>(pending_[n].frame) / 44.1, pending_[n].what});
            if (pending_[n].note)
                plays.emplace_back(pending_[n].note->string, pending_[n].note->mandal);
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    }

    std::vector<Event> events;
    Plays plays;

  private:
    struct Pending {
        SoundFrame frame = 0;
        bool now = false;
        std::string what;
        std::optional<PlayedNote> note;
    };
    void hand(std::optional<SoundFrame> at, std::string what,
              std::optional<PlayedNote> note = std::nullopt) {
        pending_.push_back({at.value_or(playedFrame()), !at, std::move(what), note});
        settle();
    }
    FakeClock& clock_;
    std::vector<Pending> pending_;
};

// Each staff drawn is kept as "string/mandal".
class LoggedView : public ViewCalls {
  public:
    const InstrumentState* state = nullptr;
    Calls staff; // string/mandal

  private:
    void record(std::string call) override {
        if (call == "porte" && state != nullptr)
            staff.push_back(std::to_string(state->currentString) + "/" +
                            std::to_string(state->mandalPos[state->currentString]));
        calls.push_back(std::move(call));
    }
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
        SoundPort& out = output();
        notePlayer = std::make_unique<NotePlayer>(
            TickSource{[this](double ms) { clock.wakeAt = clock.now + ms; },
                       [this] { clock.wakeAt.reset(); }},
            out, kRigLeadMs, kRigLeadMs);
        parts = std::make_unique<FilesParts>(FilesParts{
            program->instrument, program->tuning, program->recording, view, controls, out,
            program->tables, messages, program->programFolder, program->sampleFolder, *notePlayer});
        mark = clock.now;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs the window's event loop on the fake clock until nothing is pending: each wake-up of
    // the player comes when due, `betweenTicks` running first as the clicks the window handles
    // between two ticks.
    void runPlayer() {
        while (clock.wakeAt) {
            clock.now = std::max(clock.now, *clock.wakeAt);
            clock.wakeAt.reset();
            sound.settle();
            if (betweenTicks) betweenTicks();
            notePlayer->tick();
        }
        sound.settle(!notePlayer->playing());
    }

    InstrumentState& st() { return program->instrument; }
    // Neither recording nor replaying, and the controls show it.
    bool finished() {
        return !st().playingBack && !st().recording && !controls.recordLamp &&
               !controls.replayLamp && controls.buttons == std::array{true, true, false, false} &&
               controls.frames == std::array{true, true, true, true, true, true, true};
    }
    std::filesystem::path dir;
    FakeClock clock;
    ClockedSound sound{clock};
    LoggedView view;
    FakeFilesView controls;
    HeldMessages messages;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<NotePlayer> notePlayer;
    std::unique_ptr<FilesParts> parts;
    double mark = 0;                    // the clock as the test starts
    std::function<void()> betweenTicks; // runs before each wake-up of the player
    // Set before SetUp: the samples' length.
    std::size_t sampleFrames = 400;
    // What the handlers play to, asked once the program is loaded.
    virtual SoundPort& output() { return sound; }
};

} // namespace zembera::test
