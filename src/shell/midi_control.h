#pragma once
// The "MIDI" control: a small box with the input ports to listen to ("Tüm girişler" or one of
// them), the switch of the MPE output (the virtual port "ZEMBERA", off at start) and one line of
// status. It owns the MIDI inputs and the queue their messages arrive in,
// rescans the ports every two seconds, and hands the messages to the MIDI player on the UI
// thread as soon as they arrive.
//
// Thread: UI thread.

#include <QGroupBox>
#include <QTimer>
#include <memory>
#include <vector>

#include "midi/midi_event_queue.h"
#include "midi/midi_inputs.h"
#include "midi/midi_player.h"
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
    MidiControl(QWidget* parent, MidiPlayer& player, MpeNotes& mpe);
    ~MidiControl() override;

    QComboBox* ports = nullptr;
    QCheckBox* mpeOutput = nullptr;
    QLabel* status = nullptr;

    // Where the inputs put their messages (a test may push into it too).
    MidiEventQueue& queue() { return queue_; }
    // Plays every waiting message.
    void takeMessages();

  private:
    void rescan();
    void showPorts();
    void switchMpe(bool on);

    MidiPlayer& player_;
    MpeNotes& mpe_;
    MpePort mpePort_;
    MidiEventQueue queue_;
    std::unique_ptr<MidiInputs> inputs_; // after the queue: closed before it goes
    QTimer rescanTimer_;
    std::vector<MidiEvent> taken_;
};

// Puts the control in the free space of the main window.
void placeMidiControl(MidiControl& control);

} // namespace zembera
