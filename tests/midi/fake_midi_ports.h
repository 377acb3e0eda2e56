// MIDI ports in memory in place of the sequencer's: sources that come and go under new numbers,
// an output port whose subscribers the test sets (announced, as the sequencer does, when asked),
// ports that pass back what they are sent (as "Midi Through" does) and relays that pass it on
// from another port.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "midi/midi_ports.h"

namespace zembera::test {

// Two inputs as a Linux machine lists them: the system's loop-back port and a keyboard.
inline const MidiSource kThrough{"Midi Through:Midi Through Port-0", {14, 0}};
inline const MidiSource kKeys{"Klavye:Klavye MIDI 1", {24, 0}};

class FakeMidiPorts : public MidiPorts {
  public:
    using Bytes = std::vector<std::uint8_t>;
    struct Sent {
        std::optional<MidiAddress> to; // none: every subscriber
        Bytes message;
    };

    std::string why;                  // failure() when set
    std::vector<MidiSource> present;  // the sources plugged in
    std::vector<MidiAddress> through; // ports that send back what reaches them
    // Relays: what reaches the first port comes out of the second.
    std::vector<std::pair<MidiAddress, MidiAddress>> relays;
    bool announces = false; // the output announces its subscriptions
    std::vector<MidiAddress> subscribed;
    std::vector<Sent> sent;
    static constexpr MidiAddress kOutput{129, 0};

    FakeMidiPorts() { ::pipe2(announced_, O_NONBLOCK | O_CLOEXEC); }
    ~FakeMidiPorts() override { ::close(announced_[0]), ::close(announced_[1]); }

    // `port` subscribes to the output; again: a new client that took over the address of one gone.
    void subscribe(MidiAddress port) {
        if (std::find(subscribed.begin(), subscribed.end(), port) == subscribed.end())
            subscribed.push_back(port);
        if (announces && ::write(announced_[1], "a", 1) == 1) pending_.push_back(port);
    }
    // A device at `from` sends `message` to whoever listens to it.
    void play(MidiAddress from, const Bytes& message) {
        const auto receivers = listeners_; // a receiver may open or close ports
        for (const auto& [id, l] : receivers)
            if (l.first == from) l.second(message.data(), message.size(), from);
    }
    // The addresses listened to now.
    std::vector<MidiAddress> listened() const {
        std::vector<MidiAddress> out;
        for (const auto& [id, l] : listeners_)
            out.push_back(l.first);
        return out;
    }

    std::string failure() const override { return why.empty() ? "" : "MIDI yok: " + why; }
    std::vector<MidiSource> sources() override {
        return why.empty() ? present : decltype(present){};
    }
    std::unique_ptr<MidiListening> listen(const MidiSource& source,
                                          MidiReceiver receiver) override {
        if (std::find(present.begin(), present.end(), source) == present.end()) return nullptr;
        listeners_[next_] = {source.address, std::move(receiver)};
        return std::make_unique<Listening>(*this, next_++);
    }
    std::unique_ptr<MidiOutputPort> openOutput(const std::string&, std::string& refusal) override {
        if (why.empty()) return std::make_unique<Output>(*this);
        refusal = why;
        return nullptr;
    }

  private:
    struct Listening : MidiListening {
        Listening(FakeMidiPorts& ports, int id) : ports(ports), id(id) {}
        ~Listening() override { ports.listeners_.erase(id); }
        FakeMidiPorts& ports;
        int id;
    };
    struct Output : MidiOutputPort {
        explicit Output(FakeMidiPorts& ports) : ports(ports) {}
        ~Output() override { ports.subscribed.clear(); }
        MidiAddress address() const override { return kOutput; }
        std::vector<MidiAddress> subscribers() override { return ports.subscribed; }
        int announcements() override { return ports.announces ? ports.announced_[0] : -1; }
        std::vector<MidiAddress> newSubscriptions() override {
            for (char drained[64]; ::read(ports.announced_[0], drained, 64) > 0;) {
            }
            return std::exchange(ports.pending_, {});
        }
        void send(const Bytes& message, std::optional<MidiAddress> to) override {
            ports.sent.push_back({to, message});
            for (const MidiAddress& port : ports.subscribed) {
                if (to && *to != port) continue;
                if (std::count(ports.through.begin(), ports.through.end(), port))
                    ports.play(port, message);
                for (const auto& [in, out] : ports.relays)
                    if (in == port) ports.play(out, message);
            }
        }
        FakeMidiPorts& ports;
    };

    std::map<int, std::pair<MidiAddress, MidiReceiver>> listeners_;
    int next_ = 0;
    int announced_[2] = {-1, -1}; // a byte for each announcement
    std::vector<MidiAddress> pending_;
};

} // namespace zembera::test
