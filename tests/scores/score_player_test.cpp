#include <gtest/gtest.h>

#include "files/files_rig.h"
#include "files/melody_handlers.h"
#include "scores/score_player.h"

namespace zembera::scores {
namespace {

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

TEST_F(ScoreFrame, ChoosingAScoreKeepsItsNameAndAMelodyFileLosesItsExtension) {
    melody->melodyListClick("saz_semaisi.musicxml");
    EXPECT_EQ(controls.melodyNameBox, "saz_semaisi.musicxml");
    melody->melodyListClick("taksim.ses");
    EXPECT_EQ(controls.melodyNameBox, "taksim");
}

TEST_F(ScoreFrame, AScorePlaysOnItsStringsAtItsTempoAfterItsReport) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    melody->aç_kapa_buton_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    const std::string& report = messages.shown[0];
    EXPECT_EQ(
        report.rfind("saz_semaisi.musicxml (Deneme Saz Semaisi)\n11 nota, en büyük sapma ", 0), 0u)
        << report;
    EXPECT_NE(report.find("Mandal planı:\n"), std::string::npos);
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
    EXPECT_EQ(controls.counters[11], "012");
    EXPECT_EQ(controls.counters.back(), "blank");
    EXPECT_EQ(controls.caption, ">");
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
}

TEST_F(ScoreFrame, TheTempoScrollBarStretchesTheLengths) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    st().vscrollValue = 60;
    melody->aç_kapa_buton_Click();
    const std::vector<double> lengths = sound.lengths();
    ASSERT_GE(lengths.size(), 1u);
    EXPECT_NEAR(lengths[0], 1500, 1);
}

TEST_F(ScoreFrame, StartStopDuringANoteEndsThePlayback) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    onEvents = [&](int) {
        if (st().playingBack && sound.plays().size() == 2) melody->aç_kapa_buton_Click();
    };
    melody->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays().size(), 2u);
    EXPECT_EQ(controls.counters.back(), "blank");
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
}

TEST_F(ScoreFrame, ABadScoreIsNamedWithItsReasonAndNothingPlays) {
    test::writeBytes(dir / "kirik.xml", "<score-partwise><part id=\"P1\"><measure>");
    controls.melodyNameBox = "kirik.xml";
    melody->aç_kapa_buton_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind("kirik.xml: XML okunamadı", 0), 0u) << messages.shown[0];
    EXPECT_TRUE(sound.plays().empty());
    EXPECT_EQ(controls.caption, ">");
    EXPECT_TRUE(controls.idle());
}

TEST_F(ScoreFrame, AScoreTheMelodyFormatCannotHoldSaysWhyAndAsksNothing) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    melody->aç_kapa_buton_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find(
                  "\n.ses olarak yazılamaz: nota 11 (ölçü 2): süre ses dosyasında yazılamaz"),
              std::string::npos)
        << messages.shown[0];
    EXPECT_TRUE(messages.asked.empty());
}

TEST_F(ScoreFrame, AFittingScoreCanBeKeptAsAMelodyFileThatPlaysTheSame) {
    test::writeBytes(dir / "kisa.txt", "Kod\tNota53\tPay\tPayda\tMs\n9\tB4b5\t1\t4\t640\n"
                                       "9\tEs\t1\t8\t320\n9\tA3\t1\t2\t1280\n");
    controls.melodyNameBox = "kisa.txt";
    melody->aç_kapa_buton_Click();
    EXPECT_EQ(messages.asked, (std::vector<std::string>{"kisa.ses olarak kaydedilsin mi?"}));
    const test::Plays fromScore = sound.plays();
    ASSERT_EQ(fromScore.size(), 2u);
    const std::vector<double> scoreLengths = sound.lengths();
    sound.events.clear();
    controls.melodyNameBox = "kisa";
    controls.melodyMode = 3; // dosya: the file mandal
    melody->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays(), fromScore);
    EXPECT_EQ(sound.lengths(), scoreLengths);
}

TEST_F(ScoreFrame, AMelodyNameStillPlaysTheMelodyFile) {
    test::writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\n");
    controls.melodyNameBox = "ezgi";
    controls.melodyMode = 1;
    melody->aç_kapa_buton_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(strings(), (std::vector<int>{4}));
}

} // namespace
} // namespace zembera::scores
