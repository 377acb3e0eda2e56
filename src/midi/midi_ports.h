#pragma once
// The MIDI ports of the machine as the program uses them: the sources it can listen to, and one
// output port of its own that synthesizers subscribe to. The real ones are the ALSA sequencer's
// (alsa_midi_ports.h); tests put ports of their own in their place.
//
// Nothing here writes to the terminal or ends the program: a failure is a reason in Turkish.
//
// Thread: UI thread; a listening's receiver is called on a thread of the MIDI system.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zembera {

// A port of the sequencer: client and port number. Both change when a device is plugged in again.
struct MidiAddress {
    int client = -1;
    int port = -1;
    bool valid() const { return client >= 0; }
    bool operator==(const MidiAddress&) const = default;
};

// A port that sends: its name ("client name:port name", which survives replugging) and where it
// is now.
struct MidiSource {
    std::string name;
    MidiAddress address;
    bool operator==(const MidiSource&) const = default;
};

// One complete message and the port it came from.
using MidiReceiver =
    std::function<void(const std::uint8_t* bytes, std::size_t size, MidiAddress source)>;

// Messages of a source arrive at the receiver while this lives.
class MidiListening {
  public:
    virtual ~MidiListening() = default;
};

// The program's own output port.
class MidiOutputPort {
  public:
    virtual ~MidiOutputPort() = default;
    virtual MidiAddress address() const = 0;
    // The ports subscribed to this one now.
    virtual std::vector<MidiAddress> subscribers() = 0;
    // To every subscriber, or to `to` alone.
    virtual void send(const std::vector<std::uint8_t>& message,
                      std::optional<MidiAddress> to = std::nullopt) = 0;
    // A descriptor that becomes readable when the MIDI system announces a subscription to this
    // port; -1 where it announces none (then only subscribers() tells, when asked).
    virtual int announcements() { return -1; }
    // The ports that subscribed since the last call, one entry for each subscription, also for a
    // port that took over the address of one subscribed before (the sequencer hands the number of
    // a client gone to the next one). Reads what the descriptor announced; never waits.
    virtual std::vector<MidiAddress> newSubscriptions() { return {}; }
};

class MidiPorts {
  public:
    virtual ~MidiPorts() = default;
    // Empty while the ports can be used; otherwise why there is no MIDI, for the MIDI box.
    virtual std::string failure() const = 0;
    // The ports that send, save the program's own.
    virtual std::vector<MidiSource> sources() = 0;
    // Null when the source cannot be opened now (gone, busy).
    virtual std::unique_ptr<MidiListening> listen(const MidiSource& source,
                                                  MidiReceiver receiver) = 0;
    // Null when no port can be made; `why` then says why.
    virtual std::unique_ptr<MidiOutputPort> openOutput(const std::string& name,
                                                       std::string& why) = 0;
};

} // namespace zembera
