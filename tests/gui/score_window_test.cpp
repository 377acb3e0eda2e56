// A score of another program chosen from the melody frame's list and played by real clicks.

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <fstream>

namespace zembera {
namespace {

using ScoreWindow = test::WindowFixture;

TEST_F(ScoreWindow, AScoreChosenFromTheListIsReportedAndPlayedOnItsStrings) {
    std::ofstream(dir / "kisa.txt", std::ios::binary)
        << "Kod\tNota53\tPay\tPayda\tMs\n9\tB4b5\t1\t16\t100\n9\tEs\t1\t16\t100\n"
           "9\tA3\t1\t16\t100\n";
    QTest::mouseClick(window->open_ses_buton, Qt::LeftButton);
    ASSERT_TRUE(window->melodyList->isVisible());
    const auto items = window->melodyList->findItems(QStringLiteral("kisa.txt"), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    QTest::mouseClick(window->melodyList->viewport(), Qt::LeftButton, {},
                      window->melodyList->visualItemRect(items[0]).center());
    EXPECT_EQ(window->melodyNameBox->text(), QStringLiteral("kisa.txt"));

    messages.answer = false; // not kept as a melody file
    QTest::mouseClick(window->aç_kapa_buton, Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind("kisa.txt\n2 nota, en büyük sapma ", 0), 0u)
        << messages.shown[0];
    EXPECT_EQ(messages.asked, (std::vector<std::string>{"kisa.ses olarak kaydedilsin mi?"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "kisa.ses"));
    ASSERT_EQ(sound.patched.size(), 2u);
    EXPECT_EQ(sound.patched[0].first, 11);
    EXPECT_EQ(sound.patched[1].first, 19);
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_FALSE(program->instrument.playingBack);
}

} // namespace
} // namespace zembera
