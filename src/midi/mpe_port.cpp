#include "midi/mpe_port.h"

#include <algorithm>

#include "midi/alsa_midi_ports.h"
#include "midi/mpe_encoder.h"

namespace zembera {

bool MpePort::open(std::string& why) {
    if (out_) return true;
    out_ = ports_.openOutput(kMidiClientName, why);
    subscribers_.clear(); // whoever is there at the first poll gets the configuration
    return out_ != nullptr;
}

void MpePort::close() {
    out_.reset();
    subscribers_.clear();
}

MidiAddress MpePort::address() const {
    return out_ ? out_->address() : MidiAddress{};
}

void MpePort::send(const std::vector<std::uint8_t>& message) {
    if (out_) out_->send(message);
}

bool MpePort::poll() {
    if (!out_) return false;
    std::vector<MidiAddress> now = out_->subscribers();
    // Every subscription announced (one under an address seen before too), and every address
    // new to the list (should an announcement have been lost).
    std::vector<MidiAddress> fresh = out_->newSubscriptions();
    for (const MidiAddress& to : now)
        if (std::find(subscribers_.begin(), subscribers_.end(), to) == subscribers_.end() &&
            std::find(fresh.begin(), fresh.end(), to) == fresh.end())
            fresh.push_back(to);
    for (const MidiAddress& to : fresh)
        configure(to);
    const bool changed = now != subscribers_ || !fresh.empty();
    subscribers_ = std::move(now);
    return changed;
}

void MpePort::configure(MidiAddress to) {
    const MpeEncoder::Bytes configuration = MpeEncoder::configuration();
    for (std::size_t at = 0; at + 3 <= configuration.size(); at += 3)
        out_->send({configuration.begin() + static_cast<std::ptrdiff_t>(at),
                    configuration.begin() + static_cast<std::ptrdiff_t>(at) + 3},
                   to);
}

} // namespace zembera
