// The "MIDI" control on the real window: messages pushed from another thread, as RtMidi's
// callback does, play on the UI thread; without a MIDI system it says so in one line.

#include <QCheckBox>
#include <QLabel>
#include <thread>

#include "midi/midi_player.h"
#include "shell/midi_control.h"
#include "window_fixture.h"

namespace zembera {
namespace {

class CountedNotes : public MidiNoteOutput {
  public:
    bool PlayNote(const std::string& alias, const PcmSound&, float) override {
        played.push_back(alias);
        return true;
    }
    void FadeNoteClose(const std::string& alias) override { faded.push_back(alias); }
    std::vector<std::string> played, faded;
};

class MidiWindow : public test::WindowFixture {};

// The window as it opens, with the MIDI control saying "MIDI yok" in one line; notes pushed from
// the MIDI thread play on the UI thread; MPE output refused in that line, with no message box.
TEST_F(MidiWindow, ThreadNotesPlayOnTheUiThreadAndTheWindowMatchesItsApprovedPicture) {
    CountedNotes notes;
    MpeNotes mpe;
    const PatchedSampleSource source{program->sampleFolder, program->samples.sampleFileName,
                                     program->tables, program->tuning.tuningOffset};
    MidiPlayer player(MidiPlayerParts{program->instrument, program->tables, *program->sounds,
                                      source, notes, *window, &mpe});
    MidiControl control(window.get(), player, mpe);
    placeMidiControl(control);
    control.show();
    const auto pushFromAnotherThread = [&](std::vector<std::uint8_t> bytes) {
        std::thread([&] { control.queue().push(bytes.data(), bytes.size()); }).join();
    };
    const bool midiSystem = std::filesystem::exists("/dev/snd/seq");
    if (!midiSystem) test::expectGoldenImage("gui/window.png", window->grab().toImage());
    pushFromAnotherThread({0x90, 88, 127}); // E6: string 1
    pushFromAnotherThread({0x90, 45, 40});  // A2: string 26
    EXPECT_TRUE(notes.played.empty());      // nothing before the UI thread runs its events
    QTRY_COMPARE(notes.played.size(), 2u);
    EXPECT_EQ(notes.played, (std::vector<std::string>{"midi88", "midi45"}));
    EXPECT_EQ(program->instrument.currentString, 26);
    pushFromAnotherThread({0x80, 88, 0});
    QTRY_COMPARE(notes.faded, std::vector<std::string>{"midi88"});
    if (midiSystem) return;
    control.mpeOutput->click();
    EXPECT_FALSE(control.mpeOutput->isChecked() || mpe.attached());
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI çıkışı açılamadı"));
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace zembera
