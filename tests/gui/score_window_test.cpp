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
        << "Kod\tNota53\tPay\tPayda\tMs\n9\tSi4b5\t1\t16\t100\n9\tEs\t1\t16\t100\n"
           "9\tLa3\t1\t16\t100\n";
    QTest::mouseClick(window->open_ses_buton, Qt::LeftButton);
    ASSERT_TRUE(window->melodyList->isVisible());
    const auto items = window->melodyList->findItems(QStringLiteral("kisa.txt"), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    QTest::mouseClick(window->melodyList->viewport(), Qt::LeftButton, {},
                      window->melodyList->visualItemRect(items[0]).center());
    EXPECT_EQ(window->melodyNameBox->text(), QStringLiteral("kisa.txt"));

    QTest::mouseClick(window->aç_kapa_buton, Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind("kisa.txt\n2 nota, en büyük sapma ", 0), 0u)
        << messages.shown[0];
    EXPECT_TRUE(messages.asked.empty()); // playing asks nothing: a button keeps it as .ses
    EXPECT_FALSE(std::filesystem::exists(dir / "kisa.ses"));
    ASSERT_EQ(sound.patched.size(), 2u);
    EXPECT_EQ(sound.patched[0].first, 11);
    EXPECT_EQ(sound.patched[1].first, 19);
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_FALSE(program->instrument.playingBack);
}

TEST_F(ScoreWindow, TheListOffersScoresButNotThePitchTableOrTheRecording) {
    std::ofstream(dir / "kayıt.txt") << " 17 0 500\r\n";
    std::ofstream(dir / "kisa.txt") << "Kod\tNota53\tPay\tPayda\n9\tLa4\t1\t4\n";
    ASSERT_TRUE(std::filesystem::exists(dir / "Dizek.txt"));
    QTest::mouseClick(window->open_ses_buton, Qt::LeftButton);
    EXPECT_EQ(window->melodyList->findItems(QStringLiteral("kisa.txt"), Qt::MatchExactly).size(),
              1);
    EXPECT_TRUE(
        window->melodyList->findItems(QStringLiteral("Dizek.txt"), Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(
        window->melodyList->findItems(QStringLiteral("kayıt.txt"), Qt::MatchExactly).isEmpty());
}

TEST_F(ScoreWindow, TheSaveButtonKeepsTheScoreAsAMelodyFileOrSaysWhyNot) {
    auto* button = window->findChild<QPushButton*>(QStringLiteral("ses_kaydet_buton"));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible());
    EXPECT_EQ(button->text(), QStringLiteral("SES kaydet"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Partisyonu SES olarak kaydet"));
    // The caption fits the button, which lies in the melody frame clear of its other controls.
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 2);
    for (QWidget* other :
         button->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != button && other->isVisible()) {
            EXPECT_FALSE(other->geometry().intersects(button->geometry()))
                << other->objectName().toStdString();
        }
    }

    std::ofstream(dir / "kisa.txt", std::ios::binary)
        << "Kod\tNota53\tPay\tPayda\tMs\n9\tSi4b5\t1\t4\t100\n9\tLa3\t1\t8\t100\n";
    window->melodyNameBox->setText(QStringLiteral("kisa.txt"));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back(), "kisa.ses kaydedildi");
    EXPECT_TRUE(std::filesystem::exists(dir / "kisa.ses"));

    std::ofstream(dir / "uzun.txt", std::ios::binary)
        << "Kod\tNota53\tPay\tPayda\tMs\n9\tSi4b5\t1\t7\t100\n";
    window->melodyNameBox->setText(QStringLiteral("uzun.txt"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(messages.shown.back(),
              "uzun.txt: .ses olarak yazılamaz: \nnota 1 (ölçü 2): süre ses dosyasında yazılamaz");
    EXPECT_FALSE(std::filesystem::exists(dir / "uzun.ses"));
}

} // namespace
} // namespace zembera
