#include "midi/mpe_port.h"

#include <rtmidi/RtMidi.h>

#include <filesystem>
#include <system_error>

#include "midi/midi_inputs.h"

namespace zembera {
namespace {

void quietErrors(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*user*/) {}

} // namespace

MpePort::MpePort() = default;
MpePort::~MpePort() = default;

bool MpePort::open() {
    if (out_) return true;
#if defined(__linux__)
    std::error_code error;
    if (!std::filesystem::exists("/dev/snd/seq", error)) return false;
#endif
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::UNSPECIFIED, kMidiClientName);
        out->setErrorCallback(quietErrors);
        out->openVirtualPort(kMidiClientName);
        out_ = std::move(out);
    } catch (const RtMidiError&) {
        return false;
    }
    return true;
}

void MpePort::close() {
    out_.reset();
}

void MpePort::send(const std::vector<std::uint8_t>& message) {
    if (!out_) return;
    try {
        out_->sendMessage(&message);
    } catch (const RtMidiError&) {
        // A message that cannot go out is lost; the sound goes on.
    }
}

} // namespace zembera
