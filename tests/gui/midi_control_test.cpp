// The "MIDI" control on the real window: messages pushed from another thread, as RtMidi's
// callback does, play on the UI thread; without a MIDI system it says so in one line. On ports in
// memory: a loop through Midi Through never plays a note twice, a chosen keyboard survives being
// plugged in again, a loop through a relay is cut, a synthesizer replacing another at its address
// is configured; the last two also on the real sequencer where there is one.

#include <alsa/asoundlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <atomic>
#include <optional>
#include <thread>

#include "midi/fake_midi_ports.h"
#include "midi/midi_player.h"
#include "shell/midi_control.h"
#include "window_fixture.h"

namespace zembera {
namespace {

// The keys' notes started and ended, by key.
class CountedNotes : public test::FakeSound {
  public:
    bool startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) override {
        if (voice.kind == Voice::Kind::key) played.push_back("midi" + std::to_string(voice.number));
        return FakeSound::startNote(voice, note, at);
    }
    void endNote(Voice voice, std::optional<SoundFrame> at) override {
        if (voice.kind == Voice::Kind::key) faded.push_back("midi" + std::to_string(voice.number));
        FakeSound::endNote(voice, at);
    }
    std::vector<std::string> played, faded;
};

// The window with a MIDI player of its program, its notes counted.
class MidiWindow : public test::WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        player.emplace(MidiPlayerParts{program->instrument, program->tables,
                                       program->tuning.tuningOffset, notes, *window});
    }
    void TearDown() override {
        player.reset(); // before the window it shows its notes on
        WindowFixture::TearDown();
    }
    CountedNotes notes;
    MpeNotes mpe;
    std::optional<MidiPlayer> player;
};

// Runs the UI thread's events until `done` holds, for up to five seconds. (The toolkit's own
// QTRY_ checks report to its test log, not to this test: a timeout there would pass unseen.)
template <typename Done> bool arrives(Done done) {
    return QTest::qWaitFor(done, 5000);
}

// Notes pushed from the MIDI thread play on the UI thread; without a MIDI system, MPE output is
// refused in the control's line with its reason, with no message box, and then the state again.
TEST_F(MidiWindow, ThreadNotesPlayOnTheUiThreadAndAMissingSystemIsToldInOneLine) {
    MidiControl control(window.get(), *player, mpe);
    placeMidiControl(control);
    control.show();
    // Its controls explain themselves like the window's own.
    for (QWidget* w :
         {static_cast<QWidget*>(control.ports), static_cast<QWidget*>(control.mpeOutput)})
        EXPECT_FALSE(w->toolTip().isEmpty()) << w->metaObject()->className();
    const auto pushFromAnotherThread = [&](std::vector<std::uint8_t> bytes) {
        std::thread([&] { control.queue().push(bytes.data(), bytes.size()); }).join();
    };
    const bool midiSystem = std::filesystem::exists("/dev/snd/seq");
    pushFromAnotherThread({0x90, 88, 127}); // E6: string 1
    pushFromAnotherThread({0x90, 45, 40});  // A2: string 26
    EXPECT_TRUE(notes.played.empty());      // nothing before the UI thread runs its events
    ASSERT_TRUE(arrives([&] { return notes.played.size() == 2; }));
    EXPECT_EQ(notes.played, (std::vector<std::string>{"midi88", "midi45"}));
    EXPECT_EQ(program->instrument.currentString, 26);
    pushFromAnotherThread({0x80, 88, 0});
    ASSERT_TRUE(arrives([&] { return !notes.faded.empty(); }));
    EXPECT_EQ(notes.faded, std::vector<std::string>{"midi88"});
    if (midiSystem) return;
    control.noticeTime = std::chrono::milliseconds(300);
    QTest::mouseClick(control.mpeOutput, Qt::LeftButton);
    EXPECT_FALSE(control.mpeOutput->isChecked() || mpe.attached());
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI çıkışı açılamadı"));
    EXPECT_EQ(control.status->toolTip(),
              QStringLiteral("MIDI çıkışı açılamadı: ALSA sıralayıcısı yok"));
    EXPECT_TRUE(messages.shown.empty());
    QTest::qWait(400);
    control.rescan();
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI yok: ALSA sıralayıcısı yok"));
}

TEST_F(MidiWindow, ALoopThroughMidiThroughPlaysOnceAndAChosenKeyboardSurvivesReplugging) {
    auto owned = std::make_unique<test::FakeMidiPorts>();
    test::FakeMidiPorts& ports = *owned;
    const MidiSource &through = test::kThrough, &keys = test::kKeys;
    ports.present = {through, keys};
    ports.through = {through.address};
    MidiControl control(window.get(), *player, mpe, std::move(owned));
    placeMidiControl(control);
    control.show();
    // Each status fits the two lines of the box.
    const auto fits = [&control] {
        return control.status->heightForWidth(control.status->width()) <= control.status->height();
    };
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: 2 giriş açık"));

    // MPE on, every input listened to, and "ZEMBERA" routed into Midi Through.
    QTest::mouseClick(control.mpeOutput, Qt::LeftButton);
    ASSERT_TRUE(mpe.attached());
    ports.subscribed = {through.address};
    ports.play(keys.address, {0x90, 88, 127});
    ASSERT_TRUE(arrives([&] { return notes.played.size() == 1; }));
    QTest::qWait(300);
    EXPECT_EQ(notes.played.size(), 1u);
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: 1 giriş açık, 1 yankı kapalı"));
    EXPECT_TRUE(fits());
    // Midi Through was configured by itself; a message of it already on its way is not played.
    EXPECT_FALSE(std::none_of(ports.sent.begin(), ports.sent.end(),
                              [&](const auto& m) { return m.to == through.address; }));
    const std::uint8_t echo[] = {0x90, 45, 100};
    control.queue().push(echo, 3, through.address);
    QTest::qWait(50);
    EXPECT_EQ(notes.played.size(), 1u);
    // A synthesizer subscribing just before a note of the window is configured before it.
    const MidiAddress synth{130, 0};
    ports.subscribed.push_back(synth);
    const std::size_t before = ports.sent.size();
    mpe.noteOn(voiceNumber(Voice::memoryChannel()), 0, 100);
    ASSERT_GT(ports.sent.size(), before);
    EXPECT_EQ(ports.sent[before].to, synth);
    EXPECT_EQ(ports.sent.back().message[0] & 0xF0, 0x90);
    QTest::mouseClick(control.mpeOutput, Qt::LeftButton);
    EXPECT_FALSE(mpe.attached());
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: 2 giriş açık"));

    // The keyboard chosen with the arrow keys on the box, unplugged, and back as another client.
    while (control.ports->currentText() != QString::fromStdString(keys.name) &&
           control.ports->currentIndex() + 1 < control.ports->count())
        QTest::keyClick(control.ports, Qt::Key_Down);
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: 1 giriş açık"));
    ports.present = {through};
    control.rescan();
    EXPECT_EQ(control.ports->currentText(), QString::fromStdString(keys.name));
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: seçilen giriş takılı değil"));
    EXPECT_TRUE(fits());
    ports.present = {through, {keys.name, {28, 0}}};
    control.rescan();
    EXPECT_EQ(control.ports->currentText(), QString::fromStdString(keys.name));
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: 1 giriş açık"));
    ports.play({28, 0}, {0x90, 45, 40});
    ports.play(through.address, {0x90, 50, 40});
    ASSERT_TRUE(arrives([&] { return notes.played.size() == 2; }));
    EXPECT_EQ(notes.played.back(), "midi45");
}

// A relay with separate ports (what reaches its input comes out of its output, which the program
// listens to) would play every MPE note again and again: the notes coming back are not played,
// and the relay's output is closed with the reason in the box; the keyboard goes on playing.
TEST_F(MidiWindow, ALoopThroughARelayIsCutWithTheReasonInTheBox) {
    auto owned = std::make_unique<test::FakeMidiPorts>();
    test::FakeMidiPorts& ports = *owned;
    const MidiSource relay{"Röle:çıkış", {140, 1}};
    ports.present = {test::kKeys, relay};
    ports.relays = {{{140, 0}, relay.address}};
    MidiControl control(window.get(), *player, mpe, std::move(owned));
    control.show();
    QTest::mouseClick(control.mpeOutput, Qt::LeftButton);
    ports.subscribe({140, 0}); // aconnect ZEMBERA Röle:giriş
    control.rescan();
    ports.play(test::kKeys.address, {0x90, 88, 127});
    ASSERT_TRUE(arrives([&] { return control.status->text().contains("döngü"); }));
    EXPECT_EQ(control.status->text(), QStringLiteral("MIDI: döngü, 1 giriş kapandı"));
    EXPECT_TRUE(control.status->toolTip().contains(
        "\"Röle:çıkış\" kapandı: MPE çıkışının notaları bu girişten geri geliyor"));
    EXPECT_EQ(ports.listened(), std::vector<MidiAddress>{test::kKeys.address});
    ports.play(test::kKeys.address, {0x90, 45, 40});
    ASSERT_TRUE(arrives([&] { return notes.played.size() == 2; }));
    EXPECT_EQ(notes.played, (std::vector<std::string>{"midi88", "midi45"}));
}

// Where the sequencer announces subscriptions, a synthesizer replacing another at the same
// address (the list of subscribers the same at every poll) is configured.
TEST_F(MidiWindow, ASynthesizerReplacingAnotherAtItsAddressIsConfigured) {
    auto owned = std::make_unique<test::FakeMidiPorts>();
    test::FakeMidiPorts& ports = *owned;
    ports.announces = true;
    MidiControl control(window.get(), *player, mpe, std::move(owned));
    QTest::mouseClick(control.mpeOutput, Qt::LeftButton);
    const MidiAddress synth{130, 0};
    const auto setUps = [&] { // a set-up selects RPNs twice on each of the 16 channels
        return std::count_if(ports.sent.begin(), ports.sent.end(),
                             [&](const auto& m) { return m.to == synth && m.message[1] == 101; }) /
               32;
    };
    for (int synths = 1; synths <= 3; ++synths) {
        ports.subscribe(synth);
        ASSERT_TRUE(arrives([&] { return setUps() == synths; })) << setUps();
    }
}

// The same on the machine's own ALSA sequencer, with clients of the test's own.
TEST_F(MidiWindow, OnTheSequencerARelayLoopIsCutAndAReplacedSynthesizerIsConfigured) {
    if (!std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "no ALSA sequencer here";
    MidiControl control(window.get(), *player, mpe);
    QTest::mouseClick(control.mpeOutput, Qt::LeftButton);
    const auto client = [](const char* name) {
        snd_seq_t* seq = nullptr;
        snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK);
        snd_seq_set_client_name(seq, name);
        for (unsigned caps : {SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                              SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ})
            snd_seq_create_simple_port(seq, name, caps, SND_SEQ_PORT_TYPE_MIDI_GENERIC);
        return seq;
    };
    snd_seq_t* relay = client("Röle");
    snd_seq_addr_t zembera{};
    snd_seq_port_info_t* port = nullptr;
    snd_seq_port_info_alloca(&port);
    for (int c = 128; c < 192 && !zembera.client; ++c) // the program's client: its port 0
        if (snd_seq_get_any_port_info(relay, c, 0, port) == 0 &&
            std::string(snd_seq_port_info_get_name(port)) == "ZEMBERA" &&
            (snd_seq_port_info_get_capability(port) & SND_SEQ_PORT_CAP_READ))
            zembera = {static_cast<unsigned char>(c), 0};
    ASSERT_NE(zembera.client, 0);
    snd_seq_connect_from(relay, 0, zembera.client, zembera.port);
    std::atomic<bool> done{false};
    std::atomic<int> passed{0};
    std::thread relaying([&] { // port 0 in, port 1 out
        for (snd_seq_event_t* e = nullptr; !done;) {
            if (snd_seq_event_input(relay, &e) < 0 || !e) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
                continue;
            }
            passed += e->type == SND_SEQ_EVENT_NOTEON;
            snd_seq_ev_set_source(e, 1);
            snd_seq_ev_set_subs(e);
            snd_seq_ev_set_direct(e);
            snd_seq_event_output_direct(relay, e);
        }
    });
    control.rescan();
    mpe.noteOn(voiceNumber(Voice::memoryChannel()), 0, 100);
    EXPECT_TRUE(arrives([&] { return control.status->text().contains("döngü"); }));
    QTest::qWait(1000);
    done = true;
    relaying.join();
    EXPECT_LT(passed, 3); // the note, and no note played again
    snd_seq_close(relay);
    // A synthesizer configured, closed, and another client under its number subscribed at once.
    const std::size_t setUp = MpeEncoder::configuration().size() / 3;
    for (int synths = 0, number = -1; synths < 2; ++synths) {
        snd_seq_t* synth = client("Sentez");
        EXPECT_TRUE(number < 0 || snd_seq_client_id(synth) == number);
        number = snd_seq_client_id(synth);
        snd_seq_connect_from(synth, 0, zembera.client, zembera.port);
        std::size_t heard = 0;
        EXPECT_TRUE(arrives([&] {
            for (snd_seq_event_t* e = nullptr; snd_seq_event_input(synth, &e) >= 0 && e;)
                heard += e->type == SND_SEQ_EVENT_CONTROLLER;
            return heard >= setUp;
        })) << heard;
        snd_seq_close(synth);
    }
}

} // namespace
} // namespace zembera
