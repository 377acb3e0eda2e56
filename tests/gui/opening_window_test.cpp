// The user's own files from any folder (the file dialog driven by its keys, files dropped on the
// window), the settings put back after a restart, the window's keys (Ctrl and Alt never play,
// Ctrl+Q, F1, Tab, Escape) and what a render says.

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
        // One number a line; -1, 0 and 1 lie in every string's range.
        std::string makam, scale = "! yirmidort.scl\n24 eşit\n 24\n";
        for (int s = 1; s <= kStringCount; ++s)
            makam += std::to_string(s % 3 - 1) + "\r\n";
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

    // Closes the window (keeping what it shows in `store`) and starts again over the same folder.
    void restart(SettingsStore& store, bool save = true) {
        if (save) SessionMemory(*window, store).save();
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
    EXPECT_EQ(pos(), positionsIn(outside / "Benim.mkm"));
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
    restart(store, false);
    EXPECT_EQ(window->systemControls().current(), 0);
    EXPECT_TRUE(
        window->status()
            .line(StatusLine::system)
            ->toolTip()
            .contains(QString::fromUtf8("yirmidort.scl") + QString::fromUtf8(kScaleFileGone)));
}

TEST_F(OpeningWindow, KeysWithCtrlOrAltPlayNothingCtrlQAsksF1Helps) {
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

    messages.answer = false;
    QTest::keyClick(handle(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(messages.asked, std::vector<std::string>{kCloseQuestion});
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(handle(), Qt::Key_F1);
    QTest::keyClick(handle(), Qt::Key_F1); // the same window again, not a second
    ASSERT_TRUE(window->helpWindow() && window->helpWindow()->isVisible());
    EXPECT_EQ(window->helpWindow()->windowTitle(), QString::fromUtf8(kHelpTitle));
    EXPECT_EQ(window->findChildren<QDialog*>().size(), 1);
}

TEST_F(OpeningWindow, TabWalksTheControlsAsTheyAreSeenAndEscapeGivesTheKeysBack) {
    // From the first control of the top row round to it again, each control once.
    window->mandalResetButton->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> walked{window->mandalResetButton};
    for (int i = 0; i < 100 && (i == 0 || QApplication::focusWidget() != walked[0]); ++i) {
        if (i > 0) walked.push_back(QApplication::focusWidget());
        QTest::keyClick(handle(), Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), walked[0]) << "a round comes back";
    EXPECT_EQ(std::set<QWidget*>(walked.begin(), walked.end()).size(), walked.size());
    // The top row, the instrument, then the bottom row's frames from the left.
    const auto place = [&](QWidget* w) {
        while (w->parentWidget() != window.get())
            w = w->parentWidget();
        const int band = w == window->instrumentPicture            ? 1
                         : w->y() < window->instrumentPicture->y() ? 0
                                                                   : 2;
        return std::pair(band, band == 1 ? 0 : w->x());
    };
    for (std::size_t i = 1; i < walked.size(); ++i)
        EXPECT_LE(place(walked[i - 1]), place(walked[i])) << walked[i]->objectName().toStdString();
    EXPECT_TRUE(std::count(walked.begin(), walked.end(), window->instrumentPicture));

    // A control reached with Tab, or a box, keeps the keys (typed letters are text); Escape
    // gives them back.
    for (QWidget* control :
         std::initializer_list<QWidget*>{window->open_buton, window->makamNameBox}) {
        control->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(handle(), Qt::Key_S);
        EXPECT_TRUE(sound.opened.empty());
        QTest::keyClick(handle(), Qt::Key_Escape);
        EXPECT_TRUE(window->instrumentPicture->hasFocus());
    }
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("s"));
}

TEST_F(OpeningWindow, ARenderSaysHowLongItsSoundIs) {
    std::string melody;
    for (int i = 0; i < 12; ++i)
        melody += test::melodyLine(i, 2); // half notes: 32 units of 40 ms
    write(dir / "uzun.ses", melody);
    window->melodyNameBox->setText(QStringLiteral("uzun"));
    const fs::path target = outside / "uzun.wav";
    window->renderControls().askOutputFile = [&](const QString&) {
        return QString::fromStdString(target.string());
    };
    window->renderControls().renderMelody();
    ASSERT_EQ(messages.shown.size(), 1u);
    std::smatch said;
    ASSERT_TRUE(
        std::regex_match(messages.shown[0], said, std::regex("uzun\\.wav yazıldı: (\\d+) sn")))
        << messages.shown[0];
    // Twelve notes of 32 units of 40 ms, and the last one's ring.
    EXPECT_GE(std::stod(said[1]), 15);
    EXPECT_LE(std::stod(said[1]), 20);
    EXPECT_TRUE(fs::exists(target));
}

} // namespace
} // namespace zembera
