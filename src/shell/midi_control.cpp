#include "shell/midi_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QSignalBlocker>

#include "midi/alsa_midi_ports.h"

namespace zembera {

MidiControl::MidiControl(QWidget* parent, MidiPlayer& player, MpeNotes& mpe,
                         std::unique_ptr<MidiPorts> midiPorts)
    : QGroupBox(QStringLiteral("MIDI"), parent), player_(player), mpe_(mpe),
      system_(midiPorts ? std::move(midiPorts) : openSystemMidiPorts()), mpePort_(*system_) {
    ports = new QComboBox(this);
    mpeOutput = new QCheckBox(QString::fromUtf8(kMpeOutputCaption), this);
    status = new QLabel(this);
    // The letter keys keep going to the instrument.
    ports->setFocusPolicy(Qt::NoFocus);
    mpeOutput->setFocusPolicy(Qt::NoFocus);
    ports->setToolTip(QString::fromUtf8(
        "Tellerin çalındığı MIDI girişi: beyaz tuşlar A2'den E6'ya 26 teli mandallarıyla, siyah "
        "tuş komşusunun diyezini (ya da bemolünü) çalar; sürdürme pedalı sesi tutar"));
    mpeOutput->setToolTip(QString::fromUtf8(
        "Çalan her notayı \"ZEMBERA\" adlı MIDI çıkışından tam sentiyle MPE olarak gönderir"));
    // A narrow box: the ports, the output switch, and the status in small type over up to three
    // lines ("MIDI yok:", "sıralayıcıya izin", "yok").
    QFont small = font();
    small.setPixelSize(9);
    ports->setFont(small);
    mpeOutput->setFont(small);
    status->setFont(small);
    status->setWordWrap(true);
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ports->setGeometry(4, 15, 86, 18);
    mpeOutput->setGeometry(4, 33, 86, 14);
    status->setGeometry(4, 47, 86, 33);
    QObject::connect(mpeOutput, &QCheckBox::toggled, this, [this](bool on) { switchMpe(on); });
    queue_.setWakeUp([this] {
        QMetaObject::invokeMethod(
            this, [this] { takeMessages(); }, Qt::QueuedConnection);
    });
    inputs_ = std::make_unique<MidiInputs>(*system_, queue_);
    showPorts();
    QObject::connect(ports, &QComboBox::activated, this, [this](int index) {
        chooseInput(index <= 0 ? std::string() : ports->itemText(index).toStdString());
    });
    // Also without a MIDI system: a refusal shown in the status gives way to the state.
    QObject::connect(&rescanTimer_, &QTimer::timeout, this, [this] { rescan(); });
    rescanTimer_.start(2000);
    // A synthesizer subscribing to the MPE output is configured within a quarter of a second.
    QObject::connect(&mpeTimer_, &QTimer::timeout, this, [this] { pollMpe(); });
}

MidiControl::~MidiControl() {
    mpe_.detach();   // the sounding notes end while the port is still there
    inputs_.reset(); // no input pushes after this
}

void MidiControl::chooseInput(const std::string& name) {
    inputs_->choose(name);
    showPorts();
}

void MidiControl::switchMpe(bool on) {
    if (!on) {
        mpe_.detach();
        announcements_.reset();
        mpePort_.close();
        mpeTimer_.stop();
        inputs_->reopen(); // a loop through the output is gone with it
        inputs_->ignore({});
        showPorts();
        return;
    }
    std::string why;
    if (!mpePort_.open(why)) {
        const QSignalBlocker block(mpeOutput);
        mpeOutput->setChecked(false);
        notice_ = kNoMidiOutput;
        noticeDetail_ = std::string(kNoMidiOutput) + (why.empty() ? "" : ": " + why);
        noticeEnd_ = std::chrono::steady_clock::now() + noticeTime;
        showStatus();
        return;
    }
    notice_.clear();
    // Every note starts with its pitch bend: a synthesizer subscribed since the last poll is
    // configured before it hears the note.
    mpe_.attach([this](const std::vector<std::uint8_t>& message) {
        if (!message.empty() && (message[0] & 0xF0) == 0xE0) pollMpe();
        guard_.sent(message, std::chrono::steady_clock::now());
        mpePort_.send(message);
    });
    // A subscription the sequencer announces is configured at once; the timer is for the rest.
    if (const int announced = mpePort_.announcements(); announced >= 0) {
        announcements_ = std::make_unique<QSocketNotifier>(announced, QSocketNotifier::Read);
        QObject::connect(announcements_.get(), &QSocketNotifier::activated, this,
                         [this] { pollMpe(); });
    }
    mpeTimer_.start(250);
    mpePort_.poll();
    ignoreOwnPorts();
}

// The program's own port and the ports it sends MPE to are never listened to: a loop through
// "Midi Through" would play every note again and again.
void MidiControl::pollMpe() {
    if (mpePort_.isOpen() && mpePort_.poll()) ignoreOwnPorts();
}

void MidiControl::ignoreOwnPorts() {
    std::vector<MidiAddress> never = mpePort_.subscribers();
    never.push_back(mpePort_.address());
    inputs_->ignore(std::move(never));
    showStatus();
}

void MidiControl::takeMessages() {
    pollMpe(); // a loop made a moment ago is cut before its first message plays
    queue_.takeAll(taken_);
    for (const MidiEvent& event : taken_) {
        if (!inputs_->heard(event.source)) continue;
        const MidiLoopGuard::Verdict verdict = guard_.received(event);
        if (!verdict.closing.empty()) {
            inputs_->shut(event.source, verdict.closing, verdict.word);
            showStatus();
        }
        if (!verdict.play) continue;
        const auto start = std::chrono::steady_clock::now();
        player_.handle(event.bytes.data(), event.size);
        const auto end = std::chrono::steady_clock::now();
        guard_.spent(end - start, end);
    }
}

void MidiControl::rescan() {
    pollMpe();
    if (inputs_->rescan()) showPorts();
    showStatus();
}

void MidiControl::showStatus() {
    const bool noticing = !notice_.empty() && std::chrono::steady_clock::now() < noticeEnd_;
    if (!noticing) notice_.clear();
    status->setText(QString::fromStdString(noticing ? notice_ : inputs_->status()));
    status->setToolTip(QString::fromStdString(noticing ? noticeDetail_ : inputs_->detail()));
    if (onStatus) onStatus(status->text(), briefStatus());
}

QString MidiControl::briefStatus() const {
    const bool noticing = !notice_.empty() && std::chrono::steady_clock::now() < noticeEnd_;
    return noticing ? QStringLiteral("MPE yok") : QString::fromStdString(inputs_->brief());
}

void MidiControl::showPorts() {
    const QSignalBlocker block(ports);
    ports->clear();
    ports->addItem(QString::fromUtf8(kAllMidiInputs));
    for (const std::string& name : inputs_->portNames())
        ports->addItem(QString::fromStdString(name));
    // The chosen keyboard stays chosen while it is unplugged; the status says it is missing.
    const QString chosen = QString::fromStdString(inputs_->chosen());
    if (!chosen.isEmpty() && ports->findText(chosen) < 0) ports->addItem(chosen);
    ports->setCurrentIndex(chosen.isEmpty() ? 0 : ports->findText(chosen));
    ports->setEnabled(inputs_->available());
    showStatus();
}

} // namespace zembera

namespace zembera {

// The free corner of the instrument picture between the staff and the mandal holes.
void placeMidiControl(MidiControl& control) {
    control.setGeometry(155, 223, 94, 84);
}

} // namespace zembera
