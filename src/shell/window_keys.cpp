// The keys of the main window beyond the instrument's: Ctrl+O opens a score or melody, Ctrl+Q
// closes the window (with its question), F1 opens the help; Tab walks the controls in the order
// they are seen, left to right along the top row, down the columns of the instrument's controls,
// then frame by frame along the bottom row. A control reached with Tab takes the keys (the
// instrument is silent) until Escape or a click on the instrument gives them back; a click on a
// control leaves the keys with the instrument, as before.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <initializer_list>
#include <vector>

#include "shell/canvas_widget.h"
#include "shell/help_window.h"
#include "shell/main_window.h"
#include "shell/render_controls.h"
#include "shell/system_controls.h"

namespace zembera {

void MainWindow::addShortcuts() {
    const auto add = [this](QKeySequence keys, auto action) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { askOpenFile(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
    add(QKeySequence(Qt::Key_F1), [this] { showHelp(); });
}

void MainWindow::showHelp() {
    if (help_) {
        help_->raise();
        help_->activateWindow();
        return;
    }
    help_ = openHelpWindow(this, program_.folders.user);
}

void MainWindow::orderTabs(QWidget* midiControl) {
    std::vector<QWidget*> order;
    const auto add = [&order](std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets)
            if (w) order.push_back(w);
    };
    add({mandalResetButton, tuningResetButton, exitButton, detailCheck, octaveDivisionButtons[1],
         octaveDivisionButtons[2], instrumentPicture});
    // The instrument's controls, column by column.
    if (systems_)
        add({systems_->list, systems_->swapButton, systems_->openButton, systems_->exportButton});
    add({scaleChoice, mandalLabelsCheck});
    if (midiControl) {
        for (QWidget* w : midiControl->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w)) add({w});
    }
    add({stringsRingCheck, settingSwitch[1], settingSwitch[2]});
    // The bottom row, frame by frame.
    add({makamNameBox, open_buton, save_buton, Play_buton, stop_buton, rec_buton, pause_buton,
         replayModeButtons[1], replayModeButtons[2], replayModeButtons[3], melodyNameBox});
    for (QPushButton* b : melodyFrame->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        if (b != open_ses_buton && b != aç_kapa_buton) add({b}); // "SES kaydet", "WAV"
    add({open_ses_buton, aç_kapa_buton, tempoBar, melodyModeButtons[1], melodyModeButtons[2],
         melodyModeButtons[3], pitchLevelButtons[8], pitchLevelButtons[7], pitchLevelButtons[6],
         pitchLevelButtons[5], pitchLevelButtons[4], degreeShiftBar, degreeShiftBox,
         pitchLevelButtons[3], pitchLevelButtons[2], pitchLevelButtons[1]});

    for (QWidget* w : order) {
        if (w == instrumentPicture) continue;
        // Reached by Tab only: a click still leaves the keys with the instrument.
        if (!qobject_cast<QLineEdit*>(w)) w->setFocusPolicy(Qt::TabFocus);
        w->installEventFilter(this); // Escape gives the keys back (eventFilter)
    }
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace zembera
