#include "shell/midi_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QSignalBlocker>

namespace zembera {

MidiControl::MidiControl(QWidget* parent, MidiPlayer& player, MpeNotes& mpe)
    : QGroupBox(QStringLiteral("MIDI"), parent), player_(player), mpe_(mpe) {
    ports = new QComboBox(this);
    mpeOutput = new QCheckBox(QString::fromUtf8(kMpeOutputCaption), this);
    status = new QLabel(this);
    // The letter keys keep going to the instrument.
    ports->setFocusPolicy(Qt::NoFocus);
    mpeOutput->setFocusPolicy(Qt::NoFocus);
    // A narrow box: the ports, the output switch, and the status in small type over two lines.
    QFont small = font();
    small.setPixelSize(9);
    ports->setFont(small);
    mpeOutput->setFont(small);
    status->setFont(small);
    status->setWordWrap(true);
    ports->setGeometry(4, 16, 86, 20);
    mpeOutput->setGeometry(4, 38, 86, 16);
    status->setGeometry(4, 55, 86, 26);
    QObject::connect(mpeOutput, &QCheckBox::toggled, this, [this](bool on) { switchMpe(on); });
    queue_.setWakeUp([this] {
        QMetaObject::invokeMethod(
            this, [this] { takeMessages(); }, Qt::QueuedConnection);
    });
    inputs_ = std::make_unique<MidiInputs>(queue_);
    showPorts();
    QObject::connect(ports, &QComboBox::activated, this, [this](int index) {
        inputs_->choose(index <= 0 ? std::string() : ports->itemText(index).toStdString());
        showPorts();
    });
    if (inputs_->available()) {
        QObject::connect(&rescanTimer_, &QTimer::timeout, this, [this] { rescan(); });
        rescanTimer_.start(2000);
    }
}

MidiControl::~MidiControl() {
    inputs_.reset(); // no input pushes after this
    mpe_.detach();
}

void MidiControl::switchMpe(bool on) {
    if (!on) {
        mpe_.detach();
        mpePort_.close();
        status->setText(QString::fromStdString(inputs_->status()));
        return;
    }
    if (!mpePort_.open()) {
        const QSignalBlocker block(mpeOutput);
        mpeOutput->setChecked(false);
        status->setText(QString::fromUtf8(kNoMidiOutput));
        return;
    }
    mpe_.attach([this](const std::vector<std::uint8_t>& message) { mpePort_.send(message); });
}

void MidiControl::takeMessages() {
    queue_.takeAll(taken_);
    for (const MidiEvent& event : taken_)
        player_.handle(event.bytes.data(), event.size);
}

void MidiControl::rescan() {
    if (inputs_->rescan()) showPorts();
    status->setText(QString::fromStdString(inputs_->status()));
}

void MidiControl::showPorts() {
    const QString chosen = ports->currentIndex() > 0 ? ports->currentText() : QString();
    const QSignalBlocker block(ports);
    ports->clear();
    ports->addItem(QString::fromUtf8(kAllMidiInputs));
    for (const std::string& name : inputs_->portNames())
        ports->addItem(QString::fromStdString(name));
    const int at = chosen.isEmpty() ? 0 : ports->findText(chosen);
    ports->setCurrentIndex(at < 0 ? 0 : at);
    ports->setEnabled(inputs_->available());
    status->setText(QString::fromStdString(inputs_->status()));
    status->setToolTip(status->text());
}

} // namespace zembera

namespace zembera {

// The free corner of the instrument picture between the staff and the mandal holes.
void placeMidiControl(MidiControl& control) {
    control.setGeometry(155, 223, 94, 84);
}

} // namespace zembera
