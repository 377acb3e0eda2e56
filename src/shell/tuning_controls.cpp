// The tuning controls of the main window: pitch levels, degree shift, octave division, the
// untransposed/transposed switch and the two resets. The logic lives in TuningHandlers.
//
// The option buttons run their handler on `toggled(true)`, the scroll bar on `valueChanged`:
// both fire synchronously when the transposition sets them from code, and only on a real
// change, so no handler runs twice for one setting.

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "shell/canvas_widget.h"
#include "shell/main_window.h"

namespace zembera {
namespace {

class WindowTuningView : public TuningView {
  public:
    explicit WindowTuningView(MainWindow& window) : w_(window) {}

    int degreeShift() const override { return w_.HScroll1->value(); }
    void setDegreeShift(int value) override { w_.HScroll1->setValue(value); }
    void setDegreeShiftText(const std::string& text) override {
        w_.Text3->setText(QString::fromStdString(text));
    }
    bool settingSwitchSelected(int index) const override {
        return (index == 1 || index == 2) && w_.Option5[index]->isChecked();
    }
    void selectSetting(int index) override {
        if (index == 1 || index == 2) w_.Option5[index]->setChecked(true);
    }
    CanvasImage& numberColumns() override { return w_.Picture10->canvas(); }
    void refreshNumberColumns() override { w_.Picture10->refresh(); }
    void focusInstrument() override { w_.Picture2->setFocus(Qt::OtherFocusReason); }

  private:
    MainWindow& w_;
};

} // namespace

void MainWindow::connectTuningControls() {
    tuningView_ = std::make_unique<WindowTuningView>(*this);
    tuningHandlers_ = std::make_unique<TuningHandlers>(
        TuningParts{program_.instrument, program_.tuning, program_.tables, *program_.sounds, *this,
                    *tuningView_, messages_});

    for (int i = 1; i <= 8; ++i) {
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) pitchLevelClick(i);
        });
        // A click on the button already chosen changes nothing but the focus.
        connect(Option1[i], &QRadioButton::clicked, this, [this] { giveFocusToInstrument(); });
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { degreeShiftChange(); });
    for (int i = 1; i <= 2; ++i) {
        connect(Option4[i], &QRadioButton::clicked, this, [this, i] { octaveDivisionClick(i); });
        connect(Option5[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) settingSwitchClick(i);
        });
        connect(Option5[i], &QRadioButton::clicked, this, [this] { giveFocusToInstrument(); });
    }
    connect(Command8, &QPushButton::clicked, this, [this] { tuningResetClick(); });
    connect(Command9, &QPushButton::clicked, this, [this] { mandalResetClick(); });
}

void MainWindow::pitchLevelClick(int index) {
    tuningHandlers_->pitchLevelClick(index);
}

void MainWindow::degreeShiftChange() {
    tuningHandlers_->degreeShiftChange();
}

void MainWindow::octaveDivisionClick(int index) {
    // The two buttons start unchosen; once one is chosen they behave as one option group.
    Option4[index]->setChecked(true);
    Option4[3 - index]->setChecked(false);
    tuningHandlers_->octaveDivisionClick(index);
}

void MainWindow::settingSwitchClick(int index) {
    tuningHandlers_->settingSwitchClick(index);
}

void MainWindow::tuningResetClick() {
    tuningHandlers_->tuningResetClick();
}

void MainWindow::mandalResetClick() {
    tuningHandlers_->mandalResetClick();
}

} // namespace zembera
