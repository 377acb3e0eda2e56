#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "files/files_rig.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "scores/score_player.h"

namespace zembera::scores {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

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

TEST_F(ScoreFrame, ChoosingAScoreKeepsItsNameAndAMelodyFileStillPlaysAsOne) {
    melody->melodyListClick("saz_semaisi.musicxml");
    EXPECT_EQ(controls.melodyNameBox, "saz_semaisi.musicxml");
    test::writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\n");
    melody->melodyListClick("ezgi.ses");
    EXPECT_EQ(controls.melodyNameBox, "ezgi");
    controls.melodyMode = 1;
    melody->aç_kapa_buton_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(strings(), (std::vector<int>{4}));
}

TEST_F(ScoreFrame, AScorePlaysOnItsStringsAtItsTempoAfterItsReport) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    melody->aç_kapa_buton_Click();
    // The melody format cannot hold it: the report says why and asks nothing.
    EXPECT_THAT(messages.shown,
                ElementsAre(AllOf(
                    StartsWith("saz_semaisi.musicxml (Deneme Saz Semaisi)\n11 nota, en büyük "
                               "sapma "),
                    HasSubstr("Mandal planı:\n"),
                    HasSubstr("\n.ses olarak yazılamaz: nota 11 (ölçü 2): süre ses dosyasında "
                              "yazılamaz"))));
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(strings(), (std::vector<int>{12, 11, 11, 11, 11, 10, 9, 8, 7, 13, 12}));
    // Each note sounds its written length at the tempo of 60; the rest after the triplet is the
    // gap before the G.
    const std::vector<double> lengths = sound.lengths();
    ASSERT_GE(lengths.size(), 11u);
    EXPECT_NEAR(lengths[0], 1000, 1);
    EXPECT_NEAR(lengths[4], 500, 1);
    EXPECT_NEAR(lengths[6], 1000.0 / 3, 1);
    EXPECT_NEAR(lengths[9], 3500, 1);
    EXPECT_EQ(controls.counters.size(), 13u); // 001..012 and the blanking
    EXPECT_TRUE(controls.idle());

    // The tempo scroll bar stretches the lengths.
    sound.events.clear();
    st().vscrollValue = 60;
    melody->aç_kapa_buton_Click();
    EXPECT_NEAR(sound.lengths().at(0), 1500, 1);
}

TEST_F(ScoreFrame, AStopEndsThePlaybackAndABadScoreIsNamedWithItsReason) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    onEvents = [&] {
        if (st().playingBack && sound.plays().size() == 2) melody->aç_kapa_buton_Click();
    };
    melody->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays().size(), 2u);
    EXPECT_EQ(controls.counters.back(), "blank");
    EXPECT_TRUE(finished());

    clearLogs();
    test::writeBytes(dir / "kirik.xml", "<score-partwise><part id=\"P1\"><measure>");
    controls.melodyNameBox = "kirik.xml";
    melody->aç_kapa_buton_Click();
    EXPECT_THAT(messages.shown, ElementsAre(StartsWith("kirik.xml: XML okunamadı")));
    EXPECT_TRUE(sound.plays().empty());
    EXPECT_EQ(controls.caption, ">");
    EXPECT_TRUE(controls.idle());
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
