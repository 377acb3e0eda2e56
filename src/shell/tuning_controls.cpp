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

#include "notation/mandal_column.h"
#include "shell/canvas_widget.h"
#include "shell/main_window.h"

namespace zembera {
namespace {

class WindowTuningView : public TuningView {
  public:
    explicit WindowTuningView(MainWindow& window) : w_(window) {}

    int degreeShift() const override { return w_.degreeShiftBar->value(); }
    void setDegreeShift(int value) override { w_.degreeShiftBar->setValue(value); }
    void setDegreeShiftText(const std::string& text) override {
        w_.degreeShiftBox->setText(QString::fromStdString(text));
    }
    bool settingSwitchSelected(int index) const override {
        return (index == 1 || index == 2) && w_.settingSwitch[index]->isChecked();
    }
    void selectSetting(int index) override {
        if (index == 1 || index == 2) w_.settingSwitch[index]->setChecked(true);
    }
    void drawTransposedCell(const InstrumentState& state, int s) override {
        zembera::drawTransposedCell(w_.mandalColumn->canvas(), state, s);
    }
    void clearTransposedColumn() override {
        zembera::clearTransposedColumn(w_.mandalColumn->canvas());
    }
    void refreshNumberColumns() override { w_.mandalColumn->refresh(); }
    void focusInstrument() override { w_.instrumentPicture->setFocus(Qt::OtherFocusReason); }

  private:
    MainWindow& w_;
};

} // namespace

void MainWindow::connectTuningControls() {
    tuningView_ = std::make_unique<WindowTuningView>(*this);
    tuningHandlers_ = std::make_unique<TuningHandlers>(TuningParts{
        program_.instrument, program_.tuning, program_.tables, *this, *tuningView_, messages_});

    for (int i = 1; i <= 8; ++i) {
        connect(pitchLevelButtons[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) pitchLevelClick(i);
        });
        // A click on the button already chosen changes nothing but the focus.
        connect(pitchLevelButtons[i], &QRadioButton::clicked, this,
                [this] { giveFocusToInstrument(); });
    }
    connect(degreeShiftBar, &QScrollBar::valueChanged, this, [this] { degreeShiftChange(); });
    for (int i = 1; i <= 2; ++i) {
        connect(octaveDivisionButtons[i], &QRadioButton::clicked, this,
                [this, i] { octaveDivisionClick(i); });
        connect(settingSwitch[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) settingSwitchClick(i);
        });
        connect(settingSwitch[i], &QRadioButton::clicked, this,
                [this] { giveFocusToInstrument(); });
    }
    connect(tuningResetButton, &QPushButton::clicked, this, [this] { tuningResetClick(); });
    connect(mandalResetButton, &QPushButton::clicked, this, [this] { mandalResetClick(); });
}

void MainWindow::pitchLevelClick(int index) {
    tuningHandlers_->pitchLevelClick(index);
}

void MainWindow::degreeShiftChange() {
    tuningHandlers_->degreeShiftChange();
}

void MainWindow::octaveDivisionClick(int index) {
    // The options are the Yarman 79 and Yarman 80 entries of the system list.
    systems_->chooseOctaveDivision(index);
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
