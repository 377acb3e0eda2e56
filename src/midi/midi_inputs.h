#pragma once
// The MIDI input ports of the system, opened through RtMidi: every port, or the one chosen, with
// the ports that appear later opened by the next rescan. Their messages go into a queue for the
// UI thread. Without a MIDI system (no ALSA sequencer, as on a build machine) nothing opens and
// status() says so in one line; nothing is ever shown in a box or written to the terminal.
//
// Thread: UI thread; RtMidi calls the queue's push from its own threads.

#include <memory>
#include <string>
#include <vector>

#include "midi/midi_event_queue.h"

class RtMidiIn;

namespace zembera {

// The program's own MIDI client name; its ports are never opened as inputs.
inline constexpr const char* kMidiClientName = "ZEMBERA";

class MidiInputs {
  public:
    explicit MidiInputs(MidiEventQueue& queue);
    ~MidiInputs();
    MidiInputs(const MidiInputs&) = delete;
    MidiInputs& operator=(const MidiInputs&) = delete;

    bool available() const { return scanner_ != nullptr; }
    // One line for the MIDI control: why there is no MIDI, or how many ports are open.
    const std::string& status() const { return status_; }
    // The input ports found by the last scan.
    const std::vector<std::string>& portNames() const { return names_; }
    // Listens to the port of this name only; an empty name listens to every port.
    void choose(const std::string& port);
    // Looks for ports that appeared or went away and opens or closes them. True when the list of
    // ports changed.
    bool rescan();

  private:
    struct OpenPort {
        std::string name;
        std::unique_ptr<RtMidiIn> in;
    };
    bool wanted(const std::string& name) const;
    void open(unsigned index, const std::string& name);
    void updateStatus();

    MidiEventQueue& queue_;
    std::unique_ptr<RtMidiIn> scanner_; // lists the ports; null without a MIDI system
    std::vector<OpenPort> open_;
    std::vector<std::string> names_;
    std::string chosen_;
    std::string status_;
};

} // namespace zembera
