// The player over a recorded sound: the edges and guards of the keys and the mouse as an approved
// log (plain use is played through the real window in tests/gui), and the voices a ringing string
// sounds on.

#include "instrument/instrument_player.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>

#include "support/golden.h"
#include "support/loaded_program.h"
#include "support/program_folder.h"
#include "support/recorded_sound.h"
#include "support/view_calls.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

class Player : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeProgramFolder(dir.path());
        program = test::loadFrom(dir.path(), messages);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{program->instrument, program->tuning, program->recording, program->tables,
                        sound, view, messages});
    }
    InstrumentState& st() { return program->instrument; }
    void key(int k) { player->Form_KeyDown(k); }

    test::TempDir dir;
    RecordedMessages messages;
    test::RecordedSound sound;
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
    float cents = 0;
    for (const auto& row : rows) {
        st().untransposedShown = row.mode != "göçürülmüş";
        st().recording = row.mode == "kayıt";
        st().playingBack = row.mode == "çalma";
        view.detail = row.mode == "ayrıntı";
        if (row.s >= 0) st().currentString = static_cast<std::int16_t>(row.s);
        if (row.s > 0) st().mandalPos[row.s] = static_cast<std::int16_t>(row.m);
        sound.calls.clear();
        view.calls.clear();
        messages.shown.clear();
        row.action();
        const int s = st().currentString;
        log << row.mode << " " << row.name << ": tel " << s << "/" << st().lastString << ", mandal "
            << st().mandalPos[s] << ", akort " << program->tuning.tuningOffset[s] << ", nota ";
        // The pitch of the last note started, in single precision as the log always had it.
        for (const auto& call : sound.calls)
            if (call.start) cents = static_cast<float>(call.note.cents);
        log << cents << ", ses [";
        for (const auto& call : sound.calls)
            if (call.start && call.voice == Voice::memoryChannel()) log << " " << call.note.string;
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

// A letter key and a ringing pluck sound on the string's own voice, each new note of the string
// ending only that string's note before it; the memory channel cuts, and ends the ringing note of
// its own string first.
TEST_F(Player, EachStringRingsOnItsOwnVoiceUntilItsNextNote) {
    const auto up = [&](int s) { // selects the string below, then plays s with the arrow key
        st().currentString = static_cast<std::int16_t>(s + 1);
        key(kKeyUp);
    };
    const struct {
        const char* what;
        bool ring;
        std::function<void()> action;
        std::vector<std::string> calls;
    } steps[] = {
        {"tınlayan 17", true, [&] { up(17); }, {"-tel 17", "tel 17 17:0"}},
        {"yine 17", true, [&] { up(17); }, {"-tel 17", "tel 17 17:0"}},
        {"J basıldı", true, [&] { key('J'); }, {"-tel 17", "tel 17 17:0"}},
        {"J bırakıldı", true, [&] { player->Form_KeyUp('J'); }, {"-tel 17"}},
        {"tınlayan 12", true, [&] { up(12); }, {"-tel 12", "tel 12 12:0"}},
        {"kesen 12", false, [&] { up(12); }, {"-tel 12", "bellek 12:0"}},
        {"kesen 11", false, [&] { up(11); }, {"bellek 11:0"}},
    };
    for (const auto& step : steps) {
        st().stringsRing = step.ring;
        sound.calls.clear();
        step.action();
        EXPECT_EQ(sound.texts(), step.calls) << step.what;
    }
}

} // namespace
} // namespace zembera
