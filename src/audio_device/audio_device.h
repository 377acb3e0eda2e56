#pragma once
// Where an engine's sound goes: a real device (SdlDevice) or nowhere, at the pace of the clock
// (PacedDevice).

#include <chrono>
#include <string>

#include "engine/engine.h"

namespace zembera {

class AudioDevice {
  public:
    virtual ~AudioDevice() = default;
    // Thread: UI thread. Called often (with the sound's housekeeping): a device that went away
    // is replaced, and one that renders on this thread renders what is due.
    virtual void poll() {}
    // Thread: UI thread. The driver playing the sound ("pulseaudio", "dummy", "disk", ...); empty
    // when the sound goes nowhere.
    virtual std::string driverName() const { return {}; }
};

// Renders the engine on the UI thread at the pace of the steady clock, each time it is polled,
// and throws the sound away: time passes for the engine as it would with a device. For a program
// without any device and for tests.
class PacedDevice : public AudioDevice {
  public:
    explicit PacedDevice(engine::Engine& engine);
    void poll() override;
    // Starts the pace again from now (after the engine was rendered by other means); the engine's
    // largest block becomes the one this device renders.
    void restart();

  private:
    engine::Engine& engine_;
    std::chrono::steady_clock::time_point start_;
    engine::Frame startFrame_ = 0;
};

} // namespace zembera
