#pragma once
// The program's MPE output: the port "ZEMBERA" that MPE synthesizers subscribe to. A synthesizer
// subscribed after the port was made missed the configuration sent when it was made, and would
// play a bend range of two semitones: poll() sends each new subscription the configuration
// (mpe_encoder.h) by itself: each address new in the list of subscribers and, where the MIDI system
// announces subscriptions, each one announced, also a synthesizer that replaced another under the
// same address between two polls (which the list cannot show).
//
// Thread: UI thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_ports.h"

namespace zembera {

class MpePort {
  public:
    explicit MpePort(MidiPorts& ports) : ports_(ports) {}

    // Makes the port; false, with the reason in `why`, when it cannot be made.
    bool open(std::string& why);
    void close();
    bool isOpen() const { return out_ != nullptr; }
    // Where the port is; invalid while closed.
    MidiAddress address() const;
    // To every subscriber.
    void send(const std::vector<std::uint8_t>& message);
    // Looks at the subscribers and configures each new one. True when they changed.
    bool poll();
    // Readable when a subscription was announced (then poll()); -1 while closed or unannounced.
    int announcements() const { return out_ ? out_->announcements() : -1; }
    // The subscribers seen by the last poll.
    const std::vector<MidiAddress>& subscribers() const { return subscribers_; }

  private:
    void configure(MidiAddress to);

    MidiPorts& ports_;
    std::unique_ptr<MidiOutputPort> out_;
    std::vector<MidiAddress> subscribers_;
};

} // namespace zembera
