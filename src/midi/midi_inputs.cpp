#include "midi/midi_inputs.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zembera {
namespace {

// RtMidi reports problems here instead of on the terminal; a port that cannot open stays closed.
void quietErrors(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*user*/) {}

void received(double /*delta*/, std::vector<unsigned char>* message, void* queue) {
    static_cast<MidiEventQueue*>(queue)->push(message->data(), message->size());
}

bool sequencerPresent() {
#if defined(__linux__)
    std::error_code error;
    return std::filesystem::exists("/dev/snd/seq", error);
#else
    return true;
#endif
}

} // namespace

MidiInputs::MidiInputs(MidiEventQueue& queue) : queue_(queue) {
    if (!sequencerPresent()) {
        status_ = "MIDI yok: ALSA sıralayıcısı yok";
        return;
    }
    try {
        scanner_ = std::make_unique<RtMidiIn>(RtMidi::UNSPECIFIED, kMidiClientName);
        scanner_->setErrorCallback(quietErrors);
    } catch (const RtMidiError&) {
        scanner_.reset();
        status_ = "MIDI yok: MIDI sistemi açılamadı";
        return;
    }
    rescan();
}

MidiInputs::~MidiInputs() = default;

bool MidiInputs::wanted(const std::string& name) const {
    if (name.rfind(kMidiClientName, 0) == 0) return false; // our own output port
    return chosen_.empty() || name == chosen_;
}

void MidiInputs::choose(const std::string& port) {
    chosen_ = port;
    std::erase_if(open_, [this](const OpenPort& p) { return !wanted(p.name); });
    rescan();
    updateStatus();
}

bool MidiInputs::rescan() {
    if (!scanner_) return false;
    bool changed = false;
    try {
        std::vector<std::string> names;
        const unsigned count = scanner_->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            const std::string name = scanner_->getPortName(i);
            if (!name.empty() && name.rfind(kMidiClientName, 0) != 0) names.push_back(name);
        }
        changed = names != names_;
        names_ = std::move(names);
        std::erase_if(open_, [this](const OpenPort& p) {
            return std::find(names_.begin(), names_.end(), p.name) == names_.end();
        });
        // Port numbers follow the scanner's current list.
        for (unsigned i = 0; i < count; ++i) {
            const std::string name = scanner_->getPortName(i);
            const bool isOpen = std::any_of(open_.begin(), open_.end(),
                                            [&name](const OpenPort& p) { return p.name == name; });
            if (!isOpen && !name.empty() && wanted(name)) open(i, name);
        }
    } catch (const RtMidiError&) {
        // The list changed while it was read: the next rescan sees it settled.
    }
    updateStatus();
    return changed;
}

void MidiInputs::open(unsigned index, const std::string& name) {
    try {
        auto in = std::make_unique<RtMidiIn>(RtMidi::UNSPECIFIED, kMidiClientName);
        in->setErrorCallback(quietErrors);
        in->ignoreTypes(true, true, true); // no system exclusive, clock or active sensing
        in->setCallback(received, &queue_);
        in->openPort(index, kMidiClientName);
        if (in->isPortOpen()) open_.push_back({name, std::move(in)});
    } catch (const RtMidiError&) {
        // The port went away or is busy: the next rescan tries again.
    }
}

void MidiInputs::updateStatus() {
    if (!scanner_) return;
    if (names_.empty()) {
        status_ = "MIDI girişi yok";
    } else {
        status_ = "MIDI: " + std::to_string(open_.size()) + " giriş açık";
    }
}

} // namespace zembera
