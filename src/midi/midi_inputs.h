#pragma once
// The MIDI input ports the program listens to: every source, or the one chosen by its name, which
// is found again when the device comes back under other numbers. Ports that appear later are
// opened by the next rescan. Their messages go into a queue for the UI thread, marked with the
// port they came from, so that messages of ports the program itself sends to (a loop back into
// its own input) are never played. A source found feeding the program's own notes back, or
// flooding it (midi_loop_guard.h), is shut until the inputs are chosen again.
//
// Without a MIDI system nothing opens and status() says why in one line; nothing is ever shown
// in a box or written to the terminal.
//
// Thread: UI thread; the ports' threads call the queue's push.

#include <memory>
#include <string>
#include <vector>

#include "midi/midi_event_queue.h"
#include "midi/midi_ports.h"

namespace zembera {

class MidiInputs {
  public:
    MidiInputs(MidiPorts& ports, MidiEventQueue& queue);
    ~MidiInputs();
    MidiInputs(const MidiInputs&) = delete;
    MidiInputs& operator=(const MidiInputs&) = delete;

    bool available() const { return ports_.failure().empty(); }
    // One short line for the MIDI control: why there is no MIDI, or what is open.
    const std::string& status() const { return status_; }
    // The same at length, for its tooltip.
    const std::string& detail() const { return detail_; }
    // The same in a few words ("MIDI yok", "MIDI: 2 giriş"), for the narrow status frame.
    const std::string& brief() const { return brief_; }
    // The names of the sources found by the last scan, each once.
    const std::vector<std::string>& portNames() const { return names_; }
    // Listens to the sources of this name only; an empty name listens to every source.
    void choose(const std::string& name);
    const std::string& chosen() const { return chosen_; }
    // Whether the chosen source is there now (always true for every source).
    bool chosenPresent() const;
    // Looks for sources that appeared or went away and opens or closes them. True when the list
    // of names changed.
    bool rescan();
    // The ports never listened to: the program's own, and those it sends to. Closes them now.
    void ignore(std::vector<MidiAddress> ports);
    // Whether a message from `source` is to be played.
    bool heard(MidiAddress source) const;
    // Closes the source at `address` for good (a loop, a flood): `reason` for the tooltip, `word`
    // for the status line. Choosing again (choose()) or reopen() opens it again.
    void shut(MidiAddress address, const std::string& reason, const std::string& word);
    void reopen();
    // How many sources are open now.
    std::size_t openCount() const { return open_.size(); }

  private:
    struct OpenPort {
        MidiSource source;
        std::unique_ptr<MidiListening> listening;
    };
    bool ignored(MidiAddress address) const;
    bool wanted(const MidiSource& source) const;
    void updateStatus();

    MidiPorts& ports_;
    MidiEventQueue& queue_;
    std::vector<MidiSource> sources_;
    std::vector<OpenPort> open_;
    std::vector<std::string> names_;
    std::vector<MidiAddress> ignored_;
    struct Shut {
        MidiAddress address;
        std::string reason;
        std::string word;
    };
    std::vector<Shut> shut_;
    std::string chosen_;
    std::string status_;
    std::string detail_;
    std::string brief_;
};

} // namespace zembera
