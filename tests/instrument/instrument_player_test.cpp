#include "instrument/instrument_player.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sstream>
#include <utility>

#include "shell/startup_loader.h"
#include "sound/sound_service.h"
#include "sound/sound_test_support.h"
#include "support/golden.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera {
namespace {

using Calls = std::vector<std::string>;

class FakeSound : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        EXPECT_EQ(flags, 1u); // asynchronous
        images.push_back(image);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        calls.push_back("open " + std::filesystem::path(file).filename().string() + " as " + alias);
        return true;
    }
    void MciStopClose(const std::string& alias) override { calls.push_back("close " + alias); }

    std::vector<SoundImagePtr> images; // played from memory
    Calls calls;                       // wave files opened and closed
};

class Player : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / "zembera_player_test";
        test::makeProgramFolder(dir, 2000);
        section("");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A freshly loaded program and player for the next section of the log.
    void section(const std::string& name) {
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{program->instrument, program->tuning, program->recording, program->tables,
                        *program->sounds, program->samples.mciAlias, sound, view, messages});
        if (!name.empty()) log << "== " << name << "\n";
    }

    // Runs one action and logs the selection, the current string's mandal and fine tuning, the
    // note, and what the action played, redrew, opened and told.
    void step(const std::string& name, const std::function<void()>& action) {
        sound.images.clear();
        sound.calls.clear();
        view.calls.clear();
        messages.shown.clear();
        action();
        const int s = st().currentString;
        log << name << ": tel " << s << "/" << st().lastString << ", mandal " << st().mandalPos[s]
            << ", akort " << program->tuning.tuningOffset[s] << ", nota "
            << program->sounds->noteCents << ", ses [";
        for (const SoundImagePtr& image : sound.images) {
            int played = 0;
            for (int t = 1; t <= 26; ++t)
                played = program->sounds->stringSound(t) == image ? t : played;
            log << " " << played;
        }
        const auto list = [&](const char* title, const Calls& calls) {
            log << " ], " << title << " [";
            for (const std::string& call : calls)
                log << " " << call;
        };
        list("görünüm", view.calls);
        list("dosya", sound.calls);
        list("mesaj", messages.shown);
        log << " ]\n";
    }

    InstrumentState& st() { return program->instrument; }
    void key(int k) { player->Form_KeyDown(k); }

    std::filesystem::path dir;
    RecordedMessages messages;
    FakeSound sound;
    test::ViewCalls view;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<InstrumentPlayer> player;
    std::ostringstream log;
};

// The arrow keys move the selection (staying at the ends, from 12 without one) and the mandal
// within its range (string 26 passing 9..11 silently); the guards of the keyboard; plucks,
// right-button sweeps, mandal strip clicks and the fine tuning quadrants.
TEST_F(Player, KeysAndClicksMatchTheApprovedLog) {
    section("seçim");
    step("aşağı", [&] { key(kKeyDown); });
    st().currentString = 1;
    step("tel 1, yukarı", [&] { key(kKeyUp); });
    st().currentString = 26;
    step("tel 26, aşağı", [&] { key(kKeyDown); });
    st().currentString = 0;
    step("seçim yok, yukarı", [&] { key(kKeyUp); });

    section("mandal");
    step("sağ", [&] { key(kKeyRight); });
    st().mandalPos[12] = 12;
    step("12 iken sağ", [&] { key(kKeyRight); });
    st().currentString = 1;
    st().mandalPos[1] = -5;
    step("tel 1 -5 iken sol", [&] { key(kKeyLeft); });
    st().currentString = 26;
    st().mandalPos[26] = 8;
    for (int k :
         {kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyLeft, kKeyLeft, kKeyLeft, kKeyLeft})
        step(k == kKeyRight ? "tel 26 sağ" : "tel 26 sol", [&] { key(k); });

    section("korumalar");
    st().untransposedShown = false;
    step("göçürülmüş görünümde sağ", [&] { key(kKeyRight); });
    step("göçürülmüş görünümde aşağı", [&] { key(kKeyDown); });
    st().untransposedShown = true;
    st().currentString = 0;
    step("seçim yok, sol", [&] { key(kKeyLeft); });
    st().recording = true;
    step("kayıtta Q aşağı sağ, Q bırak", [&] {
        for (int k : {int{'Q'}, int{kKeyDown}, int{kKeyRight}})
            key(k);
        player->Form_KeyUp('Q');
    });
    st().recording = false;
    st().nameFieldFocused = true;
    step("makam adı yazılırken Q", [&] { key('Q'); });
    step("makam adı yazılırken Q bırak", [&] { player->Form_KeyUp('Q'); });

    section("fare");
    const auto pluck = [&](int button, double x, double y) {
        step("çek " + std::to_string(button) + " " + std::to_string(int(x)) + "," +
                 std::to_string(int(y)),
             [&] { player->instrumentMouseDown(button, x, y); });
    };
    pluck(kLeftButton, 700, 30);
    pluck(kLeftButton, 600, 30);
    pluck(kRightButton, 700, 30);
    pluck(kLeftButton, 300, 400);
    pluck(kLeftButton, 300, 400);
    st().playingBack = true;
    pluck(kLeftButton, 700, 30);
    st().playingBack = false;
    st().lastString = 1;
    step("sağ tuşla 30..80 süpür", [&] {
        for (double y = 30; y <= 80; y += 1)
            player->instrumentMouseMove(kRightButton, 100, y);
    });
    step("iki tuşla 30", [&] { player->instrumentMouseMove(kLeftButton | kRightButton, 100, 30); });
    st().detailShown = 1;
    step("ayrıntıyla sağ tuşla 30", [&] { player->instrumentMouseMove(kRightButton, 100, 30); });

    section("mandal şeridi ve ince ayar");
    for (double x : {152.0, 160.0, 151.0 + 16 * 18 + 8, 151.0 + 16 * 20 + 8}) {
        st().currentString = static_cast<std::int16_t>(x > 300 ? 26 : 12);
        step("şerit " + std::to_string(int(x)),
             [&] { player->mandalStripMouseDown(kLeftButton, x, 10); });
    }
    st().untransposedShown = false;
    step("göçürülmüş görünümde şerit 152", [&] { player->mandalStripMouseDown(1, 152, 10); });
    st().untransposedShown = true;
    st().currentString = 12;
    for (auto [x, y] : {std::pair{10, 10}, {10, 10}, {40, 60}})
        step("akort " + std::to_string(x) + "," + std::to_string(y),
             [&] { player->fineTuningMouseDown(kLeftButton, x, y); });

    // A letter plays the scratch file holding the string's current sound while held.
    section("harf tuşları");
    step("S", [&] { key('S'); });
    step("S bırak", [&] { player->Form_KeyUp('S'); });
    for (char c : std::string("QPALZM1@["))
        log << c << ": tel " << stringOfKey(c) << "\n";
    test::expectGolden("instrument/player.txt", log.str());
}

// The letter keys through the real sound service, whose output the test pulls.
class LetterKeySound : public ::testing::Test, public SoundOutput {
  protected:
    void SetUp() override { test::makeProgramFolder(dir); }
    void TearDown() override {
        umount2(wavs.c_str(), MNT_DETACH); // fails harmlessly when nothing is mounted
        std::filesystem::remove_all(dir);
    }
    void load() {
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{program->instrument, program->tuning, program->recording, program->tables,
                        *program->sounds, program->samples.mciAlias, *this, view, messages});
    }
    // Plays S after a new pitch of string 12; true when the mixer puts out that string's image.
    bool newPitchSounds() {
        player->Form_KeyDown(kKeyRight);
        service.StopAllSound(); // the arrow key's note
        player->Form_KeyDown('S');
        std::vector<std::int16_t> heard(2000);
        backend->render(heard);
        const SoundImage& image = *program->sounds->stringSound(12);
        player->Form_KeyUp('S');
        return std::memcmp(heard.data(), image.data() + 44, heard.size() * 2) == 0;
    }

    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        service.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return service.MciOpenPlay(file, alias);
    }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        return service.MciOpenPlay(file, alias, content);
    }
    void MciStopClose(const std::string& alias) override { service.MciStopClose(alias); }

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zembera_letter_key";
    const std::filesystem::path wavs = dir / "wavs";
    RecordedMessages messages;
    test::ViewCalls view;
    NullBackend* backend = new NullBackend;
    SoundService service{std::unique_ptr<AudioBackend>(backend)};
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<InstrumentPlayer> player;
};

// The first press after a new pitch plays the current sound, also from a read-only sample folder
// (an installed program), and without a message.
TEST_F(LetterKeySound, TheFirstPressPlaysTheCurrentSoundAlsoFromAReadOnlyFolder) {
    load();
    EXPECT_TRUE(newPitchSounds());
    std::filesystem::remove(wavs / "12zz.zz"); // the scratch file the press left
    // Root writes past file modes, not past a read-only mount.
    if (mount(wavs.c_str(), wavs.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, wavs.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot mount the sample folder read-only: " << std::strerror(errno);
    load();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(newPitchSounds());
}

} // namespace
} // namespace zembera
