#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "files/files_rig.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "scores/score_player.h"
#include "support/golden.h"

namespace zembera::scores {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::HasSubstr;

const std::filesystem::path kData = std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores";

// The melody frame with the score player behind it, as the window wires them.
class ScoreFrame : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        melody = std::make_unique<MelodyHandlers>(*parts);
        player = std::make_unique<ScorePlayer>(*parts);
        melody->playOtherFile = [this](const std::string& name) {
            return player->playIfScore(name);
        };
        st().vscrollValue = 40;
        std::filesystem::copy_file(kData / "saz_semaisi.musicxml", dir / "saz_semaisi.musicxml");
    }
    std::vector<int> strings() const {
        std::vector<int> out;
        for (const auto& [s, m] : sound.plays())
            out.push_back(s);
        return out;
    }
    std::unique_ptr<MelodyHandlers> melody;
    std::unique_ptr<ScorePlayer> player;
};

// Playing as an approved dump of the sounds on the fake clock, the redraws, the counter and the
// messages: the exercise after its report (the melody format cannot hold it), with the tempo bar
// moved, stopped at its second note, a bad score, and a melody file chosen after a score.
TEST_F(ScoreFrame, AScorePlaysOnItsStringsAtItsTempoAfterItsReport) {
    melody->melodyListClick("saz_semaisi.musicxml");
    EXPECT_EQ(controls.melodyNameBox, "saz_semaisi.musicxml");
    melody->aç_kapa_buton_Click();
    EXPECT_TRUE(messages.asked.empty());
    std::string dump = transcript("saz_semaisi.musicxml, tempo bar at 40");
    st().vscrollValue = 60;
    melody->aç_kapa_buton_Click();
    dump += transcript("tempo bar at 60");
    onEvents = [&] {
        if (st().playingBack && sound.plays().size() == 2) melody->aç_kapa_buton_Click();
    };
    melody->aç_kapa_buton_Click();
    dump += transcript("stopped at the second note");
    onEvents = nullptr;
    test::writeBytes(dir / "kirik.xml", "<score-partwise><part id=\"P1\"><measure>");
    controls.melodyNameBox = "kirik.xml";
    melody->aç_kapa_buton_Click();
    dump += transcript("kirik.xml");
    test::writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\n");
    melody->melodyListClick("ezgi.ses");
    EXPECT_EQ(controls.melodyNameBox, "ezgi");
    controls.melodyMode = 1;
    melody->aç_kapa_buton_Click();
    dump += transcript("ezgi.ses");
    test::expectGolden("scores/score_player.txt", dump);
}

TEST_F(ScoreFrame, AFittingScoreIsKeptAsAMelodyFileThatPlaysTheSameAndOthersAreRefused) {
    test::writeBytes(dir / "kisa.txt", "Kod\tNota53\tPay\tPayda\tMs\n9\tSi4b5\t1\t4\t640\n"
                                       "9\tEs\t1\t8\t320\n9\tLa3\t1\t2\t1280\n");
    controls.melodyNameBox = "kisa.txt";
    melody->aç_kapa_buton_Click();
    EXPECT_TRUE(messages.asked.empty()); // playing asks nothing
    const test::Plays fromScore = sound.plays();
    ASSERT_EQ(fromScore.size(), 2u);
    const std::vector<double> scoreLengths = sound.lengths();

    player->saveAsSes("kisa.txt");
    EXPECT_EQ(messages.shown.back(), "kisa.ses kaydedildi");
    EXPECT_TRUE(messages.asked.empty());
    // A second time it asks before replacing; "no" keeps the file as it is.
    test::writeBytes(dir / "kisa.ses", "eski");
    messages.answer = false;
    player->saveAsSes("kisa.txt");
    EXPECT_EQ(messages.asked, (std::vector<std::string>{"kisa.ses var; yerine yazılsın mı?"}));
    EXPECT_EQ(test::fileBytes(dir / "kisa.ses"), "eski");
    messages.answer = true;
    player->saveAsSes("kisa.txt");

    sound.events.clear();
    controls.melodyNameBox = "kisa";
    controls.melodyMode = 3; // dosya: the file mandal
    melody->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays(), fromScore);
    EXPECT_EQ(sound.lengths(), scoreLengths);

    // What the format cannot hold is named and nothing is written.
    messages.asked.clear();
    const struct {
        std::string name;
        std::string said;
    } cases[] = {
        {"saz_semaisi.musicxml",
         "saz_semaisi.musicxml: .ses olarak yazılamaz: \nnota 11 (ölçü 2): süre ses dosyasında "
         "yazılamaz"},
        {"taksim", "taksim: yalnızca MusicXML ve SymbTr partisyonları .ses olarak kaydedilir"},
        {"yok.xml", "yok.xml: dosya okunamadı"},
    };
    for (const auto& c : cases) {
        player->saveAsSes(c.name);
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown.back(), c.said);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "saz_semaisi.ses"));
    EXPECT_TRUE(messages.asked.empty());
}

TEST_F(ScoreFrame, APauseCutsTheNotesAndTheScoreGoesOnFromTheNextNote) {
    RecordHandlers record(*parts);
    record.onPause = [this] { player->silenceChord(); };
    // E with G beside it, then A, a second each.
    std::filesystem::copy_file(kData / "akor.musicxml", dir / "akor.xml");
    controls.melodyNameBox = "akor.xml";
    bool pauseSeen = false;
    double pausedAt = 0;
    onEvents = [&] {
        // The pause button is live while the score plays; clicked 300 ms into the chord, its
        // message holds the loop for 2 s.
        if (!pauseSeen && st().playingBack && !sound.events.empty() &&
            clock.now >= sound.events.back().at + 300) {
            pauseSeen = true;
            EXPECT_TRUE(controls.buttons[static_cast<int>(RecordButton::pause_buton)]);
            EXPECT_TRUE(controls.frames[0]); // the recording frame
            record.pause_buton_Click();
            pausedAt = clock.now;
            clock.now += 2000;
        }
    };
    melody->aç_kapa_buton_Click();
    ASSERT_TRUE(pauseSeen);
    EXPECT_EQ(messages.shown.back(), "durduruldu");
    // E on string 15 and G beside it on 13, both cut by the pause; A follows at once after it.
    EXPECT_EQ(strings(), (std::vector<int>{15, 12}));
    EXPECT_THAT(sound.beside, ElementsAre(FieldsAre(chordAlias(1), 13, sound.events.at(0).at)));
    ASSERT_FALSE(sound.closed.empty());
    EXPECT_EQ(sound.closed[0], chordAlias(1));
    EXPECT_EQ(sound.events[1].stop, true);
    EXPECT_NEAR(sound.events[1].at, pausedAt, 1);
    const auto a = std::find_if(sound.events.begin() + 1, sound.events.end(),
                                [](const auto& e) { return !e.stop; });
    ASSERT_NE(a, sound.events.end());
    EXPECT_NEAR(a->at, pausedAt + 2000, 30);
    EXPECT_TRUE(finished());
    EXPECT_THAT(messages.shown[0],
                HasSubstr("akorlar: 1 nota ilk notasıyla birlikte kendi telinde"));
}

} // namespace
} // namespace zembera::scores
