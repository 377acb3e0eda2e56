#pragma once
// The "MIDI" control: a small box with the input ports to listen to ("Tüm girişler" or one of
// them, kept by its name), the switch of the MPE output (the port "ZEMBERA", off at start) and
// one line of status. It owns the MIDI ports, the inputs and the queue their messages arrive in,
// rescans the ports every two seconds, watches the MPE output's subscribers (each new one is
// configured, at once where the sequencer announces it; none is listened to) and hands the
// messages to the MIDI player on the UI thread as soon as they arrive, save the program's own
// notes coming back and floods (midi_loop_guard.h), whose source it closes.
//
// Thread: UI thread.

#include <QGroupBox>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_event_queue.h"
#include "midi/midi_inputs.h"
#include "midi/midi_loop_guard.h"
#include "midi/midi_player.h"
#include "midi/midi_ports.h"
#include "midi/mpe_notes.h"
#include "midi/mpe_port.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace zembera {

inline constexpr const char* kAllMidiInputs = "Tüm girişler";
inline constexpr const char* kMpeOutputCaption = "MPE çıkışı";
inline constexpr const char* kNoMidiOutput = "MIDI çıkışı açılamadı";

class MidiControl : public QGroupBox {
  public:
    // Without `ports`, the machine's own (the ALSA sequencer).
    MidiControl(QWidget* parent, MidiPlayer& player, MpeNotes& mpe,
                std::unique_ptr<MidiPorts> ports = nullptr);
    ~MidiControl() override;

    QComboBox* ports = nullptr;
    QCheckBox* mpeOutput = nullptr;
    QLabel* status = nullptr;
    // The status in a few words, for the window's narrow status frame.
    QString briefStatus() const;
    // Told the status in full and in a few words each time it is shown.
    std::function<void(const QString& full, const QString& brief)> onStatus;
    // How long a refused MPE output is reported before the status shows the state again.
    std::chrono::milliseconds noticeTime{5000};

    // Where the inputs put their messages (a test may push into it too).
    MidiEventQueue& queue() { return queue_; }
    // Plays every waiting message, save those of ports the program sends to.
    void takeMessages();
    // Rescans the ports and the MPE output's subscribers (the timers do it too).
    void rescan();
    // The input listened to by its name (empty: every input), as the list chooses it; a
    // keyboard not plugged in is found when it is.
    std::string chosenInput() const { return inputs_->chosen(); }
    void chooseInput(const std::string& name);

  private:
    void pollMpe();
    void ignoreOwnPorts();
    void showPorts();
    void showStatus();
    void switchMpe(bool on);

    MidiPlayer& player_;
    MpeNotes& mpe_;
    std::unique_ptr<MidiPorts> system_; // before everything that uses it
    MpePort mpePort_;
    std::unique_ptr<QSocketNotifier> announcements_; // of the MPE output, while it is open
    MidiLoopGuard guard_;
    MidiEventQueue queue_;
    std::unique_ptr<MidiInputs> inputs_; // after the queue: closed before it goes
    QTimer rescanTimer_;
    QTimer mpeTimer_;
    std::string notice_;       // a refusal, shown until noticeEnd_
    std::string noticeDetail_; // the same with its reason, for the tooltip
    std::chrono::steady_clock::time_point noticeEnd_;
    std::vector<MidiEvent> taken_;
};

// Puts the control in the free space of the main window.
void placeMidiControl(MidiControl& control);

} // namespace zembera
