#pragma once
// The program's MIDI output: a virtual port named "ZEMBERA" that MPE synthesizers connect to.
//
// Thread: UI thread.

#include <cstdint>
#include <memory>
#include <vector>

class RtMidiOut;

namespace zembera {

class MpePort {
  public:
    MpePort();
    ~MpePort();
    MpePort(const MpePort&) = delete;
    MpePort& operator=(const MpePort&) = delete;

    // Opens the port; false without a MIDI system.
    bool open();
    void close();
    bool isOpen() const { return out_ != nullptr; }
    void send(const std::vector<std::uint8_t>& message);

  private:
    std::unique_ptr<RtMidiOut> out_;
};

} // namespace zembera
