// The first minutes with the window, driven by real clicks and keys: the file lists close without
// loading, text boxes keep their letters, every control explains itself, and the file dialogs
// speak Turkish where their files are.

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include "shell/control_hints.h"
#include "shell/status_frame.h"
#include "shell/system_controls.h"
#include "shell/turkish_file_dialog.h"
#include "shell/turkish_translation.h"
#include "shell/window_scale.h"
#include "window_fixture.h"

namespace zembera {
namespace {

class FirstMinutes : public test::WindowFixture {
  protected:
    void prepareFolder() override {
        std::string rows;
        for (int s = 1; s <= 26; ++s)
            rows += s == 9 ? " 3 \r\n" : " 0 \r\n";
        write(dir / "rast.mkm", rows);
        write(dir / "kisa.ses", test::melodyLine(3, 1));
    }
    // Whether anything sounded since the last call.
    bool sounded() {
        sound.settle();
        const bool any = sound.images != 0 || !sound.opened.empty() || !sound.patched.empty();
        sound.images = 0;
        sound.opened.clear();
        sound.patched.clear();
        return any;
    }
    void pluck(QPoint at) { QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, at); }
    static constexpr QPoint kString4Zone{700, 30}; // a pluck of an upper string

    std::string loadedState() {
        return window->makamNameBox->text().toStdString() + "/" + std::to_string(pos()[9]) + "/" +
               window->melodyNameBox->text().toStdString();
    }
};

// Escape, a second click of the list's button and a click elsewhere close each list; nothing is
// loaded, the closing click plucks nothing, and the keyboard plays again afterwards.
TEST_F(FirstMinutes, FileListsCloseWithoutLoading) {
    pluck(kString4Zone);
    ASSERT_TRUE(sounded()) << "the closing click below must land where a click plucks";
    settleRelease();
    const std::string before = loadedState();
    struct Pair {
        QListWidget* list;
        QPushButton* opener;
    };
    for (const Pair p : {Pair{window->makamList, window->open_buton},
                         Pair{window->melodyList, window->open_ses_buton}}) {
        SCOPED_TRACE(p.opener->objectName().toStdString());
        click(p.opener);
        ASSERT_TRUE(p.list->isVisible());
        QTest::keyClick(handle(), Qt::Key_Escape);
        EXPECT_FALSE(p.list->isVisible()) << "Escape";

        click(p.opener);
        ASSERT_TRUE(p.list->isVisible());
        click(p.opener);
        EXPECT_FALSE(p.list->isVisible()) << "second click of the button";

        click(p.opener);
        ASSERT_TRUE(p.list->isVisible());
        pluck(kString4Zone);
        EXPECT_FALSE(p.list->isVisible()) << "click elsewhere";
        EXPECT_FALSE(sounded()) << "the closing click plucked";
        EXPECT_EQ(loadedState(), before);
        EXPECT_TRUE(window->instrumentPicture->hasFocus());

        // A click inside the list still chooses.
        click(p.opener);
        QTest::mouseClick(p.list->verticalScrollBar(), Qt::LeftButton);
        EXPECT_TRUE(p.list->isVisible()) << "a click on the list's scroll bar";
        QTest::keyClick(handle(), Qt::Key_Escape);
    }
    QTest::keyClick(handle(), Qt::Key_H);
    settleRelease();
    EXPECT_TRUE(sounded()) << "the keyboard plays again";

    // One list's button closes the other list and opens its own.
    click(window->open_ses_buton);
    click(window->open_buton);
    EXPECT_FALSE(window->melodyList->isVisible());
    EXPECT_TRUE(window->makamList->isVisible());

    click(window->open_buton);
    chooseListEntry(window->makamList, QStringLiteral("rast.mkm"));
    EXPECT_FALSE(window->makamList->isVisible());
    EXPECT_EQ(pos()[9], 3);
    EXPECT_EQ(window->status().line(StatusLine::makam)->text(), QStringLiteral("makam: rast"));
}

// Letters, the space bar and the arrows typed into any text box go to the box alone; the same
// keys on the instrument play (so the check is not vacuous).
TEST_F(FirstMinutes, TextBoxesKeepTheirLetters) {
    const int system = window->systemControls().list->currentIndex();
    for (QLineEdit* box : {window->melodyNameBox, window->makamNameBox, window->degreeShiftBox}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->clear();
        QTest::mouseClick(box, Qt::LeftButton);
        ASSERT_TRUE(box->hasFocus());
        for (Qt::Key k : {Qt::Key_H, Qt::Key_A, Qt::Key_V, Qt::Key_A, Qt::Key_Space, Qt::Key_Up})
            QTest::keyClick(handle(), k, {}, -1);
        settleRelease();
        EXPECT_FALSE(sounded());
        EXPECT_EQ(box->text(), QStringLiteral("hava "));
        EXPECT_EQ(window->systemControls().list->currentIndex(), system) << "space swapped";
        window->instrumentPicture->setFocus();
        QTest::keyClick(handle(), Qt::Key_H);
        settleRelease();
        EXPECT_TRUE(sounded());
    }
}

// Every control of the window carries a Turkish hint; the sign-captioned ones show it on a real
// tool-tip event; the key help and the instrument carry the keyboard summary.
TEST_F(FirstMinutes, EveryControlExplainsItself) {
    int controls = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QAbstractSlider*>(w) || qobject_cast<QComboBox*>(w) ||
                             dynamic_cast<CanvasWidget*>(w) || qobject_cast<QListWidget*>(w);
        bool insideList = false; // a list's own scroll bars
        for (QWidget* up = w->parentWidget(); up; up = up->parentWidget())
            insideList = insideList || up->inherits("QAbstractScrollArea");
        if (!control || insideList) continue;
        ++controls;
        EXPECT_FALSE(w->toolTip().isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString() << " at "
            << w->mapTo(window.get(), QPoint()).x() << "," << w->mapTo(window.get(), QPoint()).y();
    }
    EXPECT_GT(controls, 50);

    const QPoint at(3, 3); // a sign-captioned button shows its hint on a real tool-tip event
    QHelpEvent help(QEvent::ToolTip, at, window->aç_kapa_buton->mapToGlobal(at));
    QApplication::sendEvent(window->aç_kapa_buton, &help);
    EXPECT_EQ(QToolTip::text(), window->aç_kapa_buton->toolTip());
    QToolTip::hideText();
    EXPECT_TRUE(window->aç_kapa_buton->toolTip().contains(QStringLiteral("0 : ")));
    EXPECT_TRUE(window->renderControls().button()->toolTip().startsWith(QStringLiteral("WAV")));
    for (const char* key : {"harfler", "↑ / ↓", "← / →", "boşluk", "A/B", "Escape"}) {
        EXPECT_TRUE(window->keyHelp->toolTip().contains(QString::fromUtf8(key))) << key;
        EXPECT_TRUE(window->instrumentPicture->toolTip().contains(QString::fromUtf8(key))) << key;
    }
}

// The scale dialog opens in the folder of the bundled systems, in Turkish: the folder type and the
// month names of its detail view (Qt's own captions: files_window_test).
TEST_F(FirstMinutes, FileDialogsAreTurkishAndOpenWhereTheirFilesAre) {
    ASSERT_TRUE(installTurkishTranslation()) << "qtbase_tr missing";
    const auto systemsFolder = dir / "sistemler";
    std::filesystem::create_directories(systemsFolder / "eski");
    write(systemsFolder / "a.scl", "! a.scl\nA\n1\n2/1\n");
    QFile scale(QString::fromStdString((systemsFolder / "a.scl").string()));
    ASSERT_TRUE(scale.open(QIODevice::ReadWrite));
    ASSERT_TRUE(scale.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(10, 30)),
                                  QFileDevice::FileModificationTime));
    scale.close();

    QString shownFolder, typeOfFolder, dateOfFile;
    QTimer::singleShot(0, window.get(), [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shownFolder = dialog->directory().absolutePath();
        // What the detail view shows, through whatever proxy the dialog has.
        auto* view = dialog->findChild<QTreeView*>();
        auto* files = dialog->findChild<QFileSystemModel*>();
        if (!view || !files) return;
        auto* proxy = dialog->proxyModel();
        const auto at = [&](const std::filesystem::path& path, int column) {
            QModelIndex i = files->index(QString::fromStdString(path.string()));
            if (proxy) i = proxy->mapFromSource(i);
            return view->model()->index(i.row(), column, i.parent()).data().toString();
        };
        // The model reads the folder in a thread of its own.
        if (!QTest::qWaitFor([&] { return !at(systemsFolder / "eski", 2).isEmpty(); })) return;
        typeOfFolder = at(systemsFolder / "eski", 2);
        dateOfFile = at(systemsFolder / "a.scl", 3);
        dialog->reject();
    });
    click(window->systemControls().openButton);
    EXPECT_EQ(shownFolder.toStdString(), systemsFolder.string());
    EXPECT_EQ(typeOfFolder, QStringLiteral("Klasör"));
    EXPECT_EQ(dateOfFile, QStringLiteral("7 Ara 2026 10:30"));
}

// "Büyüt" chosen with the mouse is remembered and told to take effect at the next start (where it
// is taken: window_scale_test).
TEST_F(FirstMinutes, ScaleChoiceIsRememberedForTheNextStart) {
    // On a screen where every factor fits.
    QComboBox* choice = addScaleChoice(window->instrumentPicture, 60, 350, userSettings(), messages,
                                       QSize(2560, 1440));
    choice->show();
    ASSERT_EQ(choice->currentText(), QStringLiteral("1×"));
    QTest::mouseClick(choice, Qt::LeftButton);
    QAbstractItemView* popup = choice->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup->window()));
    // The list ignores a release right after it opened (the release of the opening click).
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint item(8, popup->visualRect(choice->model()->index(2, 0)).center().y());
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, item);
    EXPECT_EQ(choice->currentText(), QStringLiteral("2×"));
    // An asserted wait: a QTRY_ check that times out reports only to Qt's log.
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 1u; }));
    EXPECT_EQ(messages.shown[0], kScaleAtNextStart);
    EXPECT_EQ(rememberedWindowScale(*userSettings()), 2.0);
    userSettings()->setValue(QStringLiteral("pencere/buyut"), 7); // not a choice
    EXPECT_EQ(rememberedWindowScale(*userSettings()), 1.0);
    const auto noScreen = [] { return std::optional<QSize>(); };
    userSettings()->clear();
    applyRememberedWindowScale(*userSettings(), noScreen); // the next windows start at 1×
}

} // namespace
} // namespace zembera
