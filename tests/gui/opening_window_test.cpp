// The user's own files from any folder (the file dialog driven by its keys, files dropped on the
// window), the settings put back after a restart, the window's keys (Ctrl and Alt never play,
// Ctrl+Q, F1, Tab, Escape), long names in the melody list and what a render says.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <regex>
#include <set>
#include <sys/stat.h>

#include "shell/files_controls.h"
#include "shell/help_window.h"
#include "shell/qt_settings_store.h"
#include "shell/render_controls.h"
#include "shell/session_memory.h"
#include "shell/status_frame.h"
#include "shell/system_controls.h"
#include "systems/system_files.h"
#include "window_fixture.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// Positions of a makam written by hand, one number a line: -1, 0, 1 lie in every string's range.
PerString<std::int16_t> handPositions() {
    PerString<std::int16_t> p{};
    for (int s = 1; s <= kStringCount; ++s)
        p[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(s % 3 - 1);
    return p;
}

// The positions a makam file holds, read here field by field.
PerString<std::int16_t> positionsIn(const fs::path& makam) {
    std::ifstream in(makam);
    PerString<std::int16_t> p{};
    for (int s = 1; s <= kStringCount; ++s)
        in >> p[static_cast<std::size_t>(s)];
    return p;
}

class OpeningWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override {
        useBundled({"Dizek.txt", "glyphs.png", systems::kSystemsFolder, "Rast.mkm"});
        outside = fs::temp_directory_path() / "zembera_indirilenler";
        fs::remove_all(outside);
        fs::create_directories(outside);
        std::string makam, scale = "! yirmidort.scl\n24 eşit\n 24\n";
        for (int s = 1; s <= kStringCount; ++s)
            makam += std::to_string(handPositions()[static_cast<std::size_t>(s)]) + "\r\n";
        for (int k = 1; k <= 24; ++k)
            scale += " " + std::to_string(50 * k) + ".0\n";
        write(outside / "Benim.mkm", makam);
        write(outside / "yirmidort.scl", scale);
        write(outside / "notlar.pdf", "%PDF-1.4");
    }
    void TearDown() override {
        WindowFixture::TearDown();
        fs::remove_all(outside);
    }

    // Answers the next file dialog as a user would: the file's path in its name box and Enter
    // (nothing: Escape), keeping the folder it opened in.
    void answerFileDialog(const QString& file) {
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, [this, poll, file] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            poll->deleteLater();
            dialogFolder = dialog->directory().absolutePath().toStdString();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(file); // typed keys would open the name box's completion list

            QTest::keyClick(file.isEmpty() ? static_cast<QWidget*>(dialog) : name,
                            file.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        });
        poll->start(10);
    }

    // Drops `files` on the instrument; whether the window took them.
    bool drop(const std::vector<fs::path>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const fs::path& f : files)
            urls << QUrl::fromLocalFile(QString::fromStdString(f.string()));
        data.setUrls(urls);
        const QPoint at = window->instrumentPicture->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        QTest::qWait(50); // they open once the drop has ended
        return true;
    }

    // Closes the window and starts again over the same folder, with what `store` kept.
    void restart(SettingsStore& store) {
        SessionMemory(*window, store).save();
        closeWindow();
        openWindow();
        window->setSettings(store);
        SessionMemory(*window, store).restore();
    }

    fs::path outside;
    std::string dialogFolder;
};

TEST_F(OpeningWindow, TheFileDialogOpensAScoreOfAnyFolderAndOpensThereNextTime) {
    const fs::path score = outside / "hicaz--sarki--aksak--gel--x.txt";
    fs::copy(fs::path(ZEMBERA_TEST_DATA_DIR) / "scores" / "deneme_symbtr.txt", score);
    messages.choices = {-1}; // the report closed by Escape: nothing plays
    click(window->open_ses_buton);
    ASSERT_EQ(window->melodyList->item(0)->text(), QString::fromUtf8(kOpenAnyFileRow));
    answerFileDialog(QString::fromStdString(score.string()));
    chooseListEntry(window->melodyList, QString::fromUtf8(kOpenAnyFileRow));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }));
    EXPECT_EQ(dialogFolder, dir.string()) << "first in the user's folder";
    EXPECT_TRUE(messages.shown[0].starts_with(score.filename().string())) << messages.shown[0];
    EXPECT_EQ(window->melodyNameBox->text().toStdString(), score.filename().string());
    EXPECT_FALSE(program->instrument.playingBack);

    answerFileDialog({});
    window->activateWindow(); // as the desktop does when the dialog has gone
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(handle(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogFolder, outside.string());
    click(window->open_ses_buton);
    const auto rows = window->melodyList->findItems(QStringLiteral("*"), Qt::MatchWildcard);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](QListWidgetItem* row) {
        return row->toolTip().toStdString() == score.string();
    })) << "in \"Son açılanlar\"";
}

TEST_F(OpeningWindow, DroppedFilesOpenAsWhatTheyAre) {
    EXPECT_FALSE(drop({outside / "notlar.pdf"})) << "refused before the drop";
    ASSERT_TRUE(drop({outside / "Benim.mkm"}));
    EXPECT_EQ(pos(), handPositions());
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("Benim"));
    ASSERT_TRUE(drop({outside / "notlar.pdf", outside / "yirmidort.scl"}));
    EXPECT_EQ(window->systemControls().currentScaleFile(), outside / "yirmidort.scl");
    EXPECT_EQ(window->systemControls().list->currentText(), QStringLiteral("yirmidort"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].starts_with("notlar.pdf: ZEMBERA bu dosyayı açamaz"));
}

TEST_F(OpeningWindow, ARestartPutsBackWhatWasSet) {
    QtSettingsStore store(std::make_unique<QSettings>(
        QString::fromStdString((outside / "ZEMBERA.ini").string()), QSettings::IniFormat));
    window->setSettings(store);
    click(window->open_buton);
    chooseListEntry(window->makamList, QStringLiteral("Rast.mkm"));
    QTest::mouseClick(window->stringsRingCheck, Qt::LeftButton, {}, QPoint(6, 8));
    window->tempoBar->setValue(52);
    restart(store);
    EXPECT_EQ(pos(), positionsIn(dir / "Rast.mkm"));
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("Rast"));
    EXPECT_TRUE(window->stringsRingCheck->isChecked());
    EXPECT_TRUE(program->instrument.stringsRing);
    EXPECT_EQ(window->tempoBar->value(), 52);

    // A Scala file and a mandal raised by its key after the makam: these come back.
    ASSERT_TRUE(window->openFile(outside / "yirmidort.scl"));
    QTest::keyClick(handle(), Qt::Key_Right);
    const PerString<std::int16_t> set = pos();
    restart(store);
    EXPECT_EQ(window->systemControls().currentScaleFile(), outside / "yirmidort.scl");
    EXPECT_EQ(pos(), set);

    // The Scala file gone: Yarman 79, and the status line says why.
    fs::remove(outside / "yirmidort.scl");
    closeWindow();
    openWindow();
    window->setSettings(store);
    SessionMemory(*window, store).restore();
    EXPECT_EQ(window->systemControls().current(), 0);
    EXPECT_TRUE(window->status().line(0)->toolTip().contains(QString::fromUtf8("yirmidort.scl") +
                                                             QString::fromUtf8(kScaleFileGone)));
}

TEST_F(OpeningWindow, KeysWithCtrlOrAltPlayNothing) {
    ASSERT_TRUE(window->systemControls().choose(6)); // so that a swap would have somewhere to go
    const PerString<std::int16_t> before = pos();
    sound.images = 0;
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers with;
    } rows[] = {
        {Qt::Key_S, Qt::ControlModifier},
        {Qt::Key_A, Qt::AltModifier},
        {Qt::Key_M, Qt::ControlModifier | Qt::AltModifier},
        {Qt::Key_K, Qt::MetaModifier},
        {Qt::Key_Right, Qt::ControlModifier},
        {Qt::Key_Down, Qt::AltModifier},
        {Qt::Key_Space, Qt::ControlModifier},
    };
    for (const auto& row : rows) {
        QTest::keyPress(handle(), row.key, row.with);
        QTest::keyRelease(handle(), row.key, row.with);
        settleRelease();
        EXPECT_TRUE(sound.opened.empty() && sound.images == 0)
            << QKeySequence(row.key).toString().toStdString();
    }
    EXPECT_EQ(pos(), before);
    EXPECT_EQ(program->instrument.currentString, 12);
    EXPECT_EQ(window->systemControls().current(), 6);
    QTest::keyClick(handle(), Qt::Key_S); // alone, the key plays
    EXPECT_FALSE(sound.opened.empty());
}

TEST_F(OpeningWindow, CtrlQAsksBeforeClosingAndF1OpensTheHelp) {
    messages.answer = false;
    QTest::keyClick(handle(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(messages.asked, std::vector<std::string>{kCloseQuestion});
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(handle(), Qt::Key_F1);
    ASSERT_TRUE(window->helpWindow());
    EXPECT_TRUE(window->helpWindow()->isVisible());
    EXPECT_EQ(window->helpWindow()->windowTitle(), QString::fromUtf8(kHelpTitle));
    QTest::keyClick(handle(), Qt::Key_F1); // the same window again, not a second
    EXPECT_EQ(window->findChildren<QDialog*>().size(), 1);
}

TEST_F(OpeningWindow, TabWalksTheControlsAsTheyAreSeenAndEscapeGivesTheKeysBack) {
    const QImage unfocused = window->open_buton->grab().toImage();
    // From the first control of the top row round to it again.
    window->mandalResetButton->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> walked{window->mandalResetButton};
    for (int i = 0; i < 100; ++i) {
        QTest::keyClick(handle(), Qt::Key_Tab);
        if (QApplication::focusWidget() == walked.front()) break;
        walked.push_back(QApplication::focusWidget());
        if (walked.back() == window->open_buton) {
            EXPECT_NE(window->open_buton->grab().toImage(), unfocused) << "the focus is seen";
        }
    }
    ASSERT_EQ(QApplication::focusWidget(), walked.front()) << "a round comes back";
    EXPECT_EQ(std::set<QWidget*>(walked.begin(), walked.end()).size(), walked.size());
    EXPECT_TRUE(std::count(walked.begin(), walked.end(), window->instrumentPicture));
    // Every button; of an option group one (the arrows move within the group).
    const auto reached = [&](QAbstractButton* b) {
        return std::any_of(walked.begin(), walked.end(), [&](QWidget* w) {
            return w == b ||
                   (b->autoExclusive() && qobject_cast<QRadioButton*>(b) &&
                    qobject_cast<QRadioButton*>(w) && w->parentWidget() == b->parentWidget());
        });
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(window.get()) && b->isEnabled()) {
            EXPECT_TRUE(reached(b)) << b->text().toStdString();
        }
    // Top row, the instrument's controls, then the bottom row's frames from the left.
    const int instrumentTop = window->instrumentPicture->y();
    const auto place = [&](QWidget* w) {
        QWidget* frame = w;
        while (frame->parentWidget() != window.get())
            frame = frame->parentWidget();
        const int band = frame == window->instrumentPicture ? 1
                         : frame->y() < instrumentTop       ? 0
                                                            : 2;
        return std::pair(band, band == 1 ? 0 : frame->x());
    };
    for (std::size_t i = 1; i < walked.size(); ++i)
        EXPECT_LE(place(walked[i - 1]), place(walked[i]))
            << walked[i - 1]->objectName().toStdString() << " > "
            << walked[i]->objectName().toStdString();

    // A control reached with Tab keeps the keys; Escape gives them back.
    while (QApplication::focusWidget() != window->open_buton)
        QTest::keyClick(handle(), Qt::Key_Tab);
    QTest::keyClick(handle(), Qt::Key_S);
    EXPECT_TRUE(sound.opened.empty());
    QTest::keyClick(handle(), Qt::Key_Escape);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    // Letters typed into a box are text; Escape gives the keys back too.
    QTest::mouseClick(window->makamNameBox, Qt::LeftButton);
    for (Qt::Key key : {Qt::Key_S, Qt::Key_A})
        QTest::keyClick(handle(), key, Qt::NoModifier);
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("sa"));
    EXPECT_TRUE(sound.opened.empty());
    QTest::keyClick(handle(), Qt::Key_Escape);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    QTest::keyClick(handle(), Qt::Key_S);
    EXPECT_FALSE(sound.opened.empty());
}

TEST_F(OpeningWindow, LongNamesAreShortenedInTheMiddleWithTheWholeInTheTooltip) {
    const std::string stem = "acemasiran--sarki--aksak--gonlum_dusuyor--ismail_baha_surelsan";
    write(dir / (stem + ".txt"), "Sira\tKod\tNota53\tNotaAE\tKoma53\tKomaAE\tPay\tPayda\tMs\n");
    write(dir / (stem + ".xml"), "<score-partwise/>");
    click(window->open_ses_buton);
    QStringList shown;
    for (const char* ext : {".txt", ".xml"}) {
        const QString whole = QString::fromStdString(stem + ext);
        const auto rows = window->melodyList->findItems(QStringLiteral("*"), Qt::MatchWildcard);
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](QListWidgetItem* r) { return r->toolTip() == whole; });
        ASSERT_NE(row, rows.end()) << ext;
        shown << (*row)->text();
        EXPECT_TRUE(shown.back().contains(QString::fromUtf8("…"))) << shown.back().toStdString();
        EXPECT_TRUE(shown.back().endsWith(QString::fromUtf8(ext)));
        EXPECT_LE(QFontMetrics(window->melodyList->font()).horizontalAdvance(shown.back()),
                  window->melodyList->viewport()->width());
    }
    EXPECT_NE(shown[0], shown[1]);
}

// The seconds of sound in a WAV file, from its header: the data chunk's bytes over the bytes a
// second takes.
double wavSeconds(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    std::uint32_t byteRate = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size(); at += 8 + u32(at + 4)) {
        if (bytes.compare(at, 4, "fmt ") == 0) byteRate = u32(at + 16);
        if (bytes.compare(at, 4, "data") == 0) return double(u32(at + 4)) / byteRate;
    }
    return -1;
}

// "3 dk 14 sn", "2,5 sn" back to seconds.
double spokenSeconds(const std::string& text) {
    std::smatch m;
    double seconds = 0;
    if (std::regex_search(text, m, std::regex(R"((\d+) dk)"))) seconds += 60 * std::stod(m[1]);
    if (std::regex_search(text, m, std::regex(R"((\d+)(,(\d))? sn)")))
        seconds += std::stod(m[1]) + (m[3].matched ? std::stod(m[3]) / 10 : 0);
    return seconds;
}

TEST_F(OpeningWindow, ARenderSaysHowLongItsSoundIsAndLeavesAReadOnlyFile) {
    std::string melody;
    for (int i = 0; i < 12; ++i)
        melody += test::melodyLine(i, 2); // half notes: 32 units of 40 ms
    write(dir / "uzun.ses", melody);
    window->melodyNameBox->setText(QStringLiteral("uzun"));
    fs::path target = outside / "uzun.wav";
    window->renderControls().askOutputFile = [&](const QString&) {
        return QString::fromStdString(target.string());
    };
    window->renderControls().renderMelody();
    ASSERT_EQ(messages.shown.size(), 1u);
    const std::string said = messages.shown[0];
    ASSERT_TRUE(said.starts_with(std::string("uzun.wav") + kRenderWritten)) << said;
    const double measured = wavSeconds(target);
    EXPECT_GT(measured, 12 * 1.28);
    EXPECT_NEAR(spokenSeconds(said), measured, measured < 10 ? 0.05 : 0.5) << said;

    messages.shown.clear();
    target = outside / "korumalı.wav";
    write(target, "eski");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    window->renderControls().renderMelody();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("yazma izni yok"), std::string::npos) << messages.shown[0];
    EXPECT_EQ(fileBytes(target), "eski");
}

} // namespace
} // namespace zembera
