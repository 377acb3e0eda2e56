// The player over a sound service pulled on the test's thread: the edges and guards of the keys
// and the mouse as an approved log (plain use is played through the real window in tests/gui).

#include "instrument/instrument_player.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sstream>

#include "service_output.h"
#include "support/golden.h"
#include "support/view_calls.h"

namespace zembera {
namespace {

class Player : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeProgramFolder(dir.path());
        load();
    }
    void TearDown() override { umount2(wavs.c_str(), MNT_DETACH); } // fails when none mounted
    void load() {
        program = test::loadFrom(dir.path(), messages);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{program->instrument, program->tuning, program->recording, program->tables,
                        *program->sounds, program->samples.mciAlias, output, view, messages});
    }
    // Plays S after a new pitch of string 12; true when the mixer puts out that string's image.
    bool newPitchSounds() {
        key(kKeyRight);
        output.StopAllSound(); // the arrow key's note
        rig.render(kReleaseFadeFrames);
        key('S');
        const std::vector<std::int16_t> heard = rig.render(2000);
        player->Form_KeyUp('S');
        const SoundImage& image = *program->sounds->stringSound(12);
        return std::memcmp(heard.data(), image.data() + 44, heard.size() * 2) == 0;
    }
    InstrumentState& st() { return program->instrument; }
    void key(int k) { player->Form_KeyDown(k); }

    test::TempDir dir;
    const std::filesystem::path wavs = dir.path() / "wavs";
    RecordedMessages messages;
    test::ServiceRig rig;
    test::ServiceOutput output{rig.sound};
    test::ViewCalls view;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<InstrumentPlayer> player;
};

// Each row from string `s` (none: 0, as left: -1) at mandal `m`, in the view or mode `mode`
// names: the selection, mandal, fine tuning and note after it, what sounded, redraws and messages.
TEST_F(Player, EdgesAndGuardsOfKeysAndMouseMatchTheApprovedLog) {
    const auto keys = [&](auto... ks) { (key(ks), ...); };
    const auto pluck = [&](int b, double x, double y) { player->instrumentMouseDown(b, x, y); };
    const auto sweep = [&](int buttons, int from, int to) {
        for (double y = from; y <= to; y += 1)
            player->instrumentMouseMove(buttons, 100, y);
    };
    const auto strip = [&](auto... xs) {
        (player->mandalStripMouseDown(kLeftButton, xs, 10), ...);
    };
    const struct {
        const char* name;
        int s, m;
        std::string mode;
        std::function<void()> action;
    } rows[] = {
        {"tel 1 yukarı", 1, 0, "", [&] { key(kKeyUp); }},
        {"tel 26 aşağı", 26, 0, "", [&] { key(kKeyDown); }},
        {"seçim yok, yukarı", 0, 0, "", [&] { key(kKeyUp); }},
        {"mandal 12'de sağ", 12, 12, "", [&] { key(kKeyRight); }},
        {"tel 1 mandal -5'te sol", 1, -5, "", [&] { key(kKeyLeft); }},
        {"tel 26 mandal 8'den dört kez sağ", 26, 8, "",
         [&] { keys(kKeyRight, kKeyRight, kKeyRight, kKeyRight); }},
        {"dört kez sol", -1, 0, "", [&] { keys(kKeyLeft, kKeyLeft, kKeyLeft, kKeyLeft); }},
        {"sağ", 12, 0, "göçürülmüş", [&] { key(kKeyRight); }},
        {"aşağı", 12, 0, "göçürülmüş", [&] { key(kKeyDown); }},
        {"seçim yok, sol", 0, 0, "", [&] { key(kKeyLeft); }},
        {"Q, aşağı, sağ", 12, 0, "kayıt", [&] { keys('Q', kKeyDown, kKeyRight); }},
        {"sağ tuşla çek", 12, 0, "", [&] { pluck(kRightButton, 700, 30); }},
        {"çek 300,400", 12, 0, "", [&] { pluck(kLeftButton, 300, 400); }},
        {"yine çek", -1, 0, "", [&] { pluck(kLeftButton, 300, 400); }},
        {"çek", 12, 0, "çalma", [&] { pluck(kLeftButton, 700, 30); }},
        {"sağ tuşla 30..80 süpür", 12, 0, "", [&] { sweep(kRightButton, 30, 80); }},
        {"iki tuşla 30", -1, 0, "", [&] { sweep(kLeftButton | kRightButton, 30, 30); }},
        {"sağ tuşla 30", -1, 0, "ayrıntı", [&] { sweep(kRightButton, 30, 30); }},
        {"şerit 152, 160", 12, 0, "", [&] { strip(152, 160); }},
        {"tel 26 şerit 447, 479", 26, 0, "", [&] { strip(447, 479); }},
        {"şerit 152", 12, 0, "göçürülmüş", [&] { strip(152); }},
        {"akort 10,10", 12, -8, "", [&] { player->fineTuningMouseDown(kLeftButton, 10, 10); }},
        {"akort 10,10", -1, 0, "", [&] { player->fineTuningMouseDown(kLeftButton, 10, 10); }},
        {"akort 40,60", -1, 0, "", [&] { player->fineTuningMouseDown(kLeftButton, 40, 60); }},
    };
    std::ostringstream log;
    for (const auto& row : rows) {
        st().untransposedShown = row.mode != "göçürülmüş";
        st().recording = row.mode == "kayıt";
        st().playingBack = row.mode == "çalma";
        view.detail = row.mode == "ayrıntı";
        if (row.s >= 0) st().currentString = static_cast<std::int16_t>(row.s);
        if (row.s > 0) st().mandalPos[row.s] = static_cast<std::int16_t>(row.m);
        output.images.clear();
        view.calls.clear();
        messages.shown.clear();
        row.action();
        const int s = st().currentString;
        log << row.mode << " " << row.name << ": tel " << s << "/" << st().lastString << ", mandal "
            << st().mandalPos[s] << ", akort " << program->tuning.tuningOffset[s] << ", nota "
            << program->sounds->noteCents << ", ses [";
        for (const SoundImagePtr& image : output.images) {
            int played = 0;
            for (int t = 1; t <= 26; ++t)
                played = program->sounds->stringSound(t) == image ? t : played;
            log << " " << played;
        }
        log << " ], görünüm [";
        for (const std::string& call : view.calls)
            log << " " << call;
        log << " ], mesaj [";
        for (const std::string& message : messages.shown)
            log << " " << message;
        log << " ]\n";
    }
    for (char c : std::string("QPALZM1@["))
        log << c << ": tel " << stringOfKey(c) << "\n";
    test::expectGolden("instrument/player.txt", log.str());
}

// The first press after a new pitch plays the current sound, also from a read-only sample folder
// (an installed program), and without a message.
TEST_F(Player, TheFirstLetterPressAfterANewPitchSoundsItAlsoFromAReadOnlyFolder) {
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

// While the strings ring, a new note of a string stops only that string's sounding one (heard
// as its sound from the start, not two of them summed), and its letter key plays it anew.
TEST_F(Player, ARingingStringStopsOnlyAtItsOwnNextNote) {
    st().stringsRing = true;
    const SoundImage& image = *program->sounds->stringSound(17);
    const std::vector<std::int16_t> own = test::samplesIn({image.data() + 44, 2 * 3000});
    const auto from = [&](std::size_t start) {
        return std::vector<std::int16_t>(own.begin() + static_cast<long>(start), own.end());
    };
    st().currentString = 18;
    key(kKeyUp); // string 17
    rig.render(1000);
    st().currentString = 18;
    key(kKeyUp); // string 17 again
    const std::vector<std::int16_t> again = rig.render(3000);
    // Past any fade of the stopped note, only the new one sounds.
    EXPECT_EQ(std::vector<std::int16_t>(again.begin() + 2000, again.end()), from(2000));
    key('J');
    const std::vector<std::int16_t> letter = rig.render(3000);
    player->Form_KeyUp('J');
    EXPECT_EQ(std::vector<std::int16_t>(letter.begin() + 2000, letter.end()), from(2000));
    EXPECT_TRUE(output.images.empty()); // nothing went to the cutting memory channel

    // Ringing again, then cutting: the string's next note from memory stops its ringing one.
    st().currentString = 18;
    key(kKeyUp);
    rig.render(1000);
    st().stringsRing = false;
    st().currentString = 18;
    key(kKeyUp);
    const std::vector<std::int16_t> cut = rig.render(3000);
    EXPECT_EQ(std::vector<std::int16_t>(cut.begin() + 2000, cut.end()), from(2000));
}

} // namespace
} // namespace zembera
