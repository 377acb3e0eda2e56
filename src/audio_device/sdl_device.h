#pragma once
// The real output: an SDL2 audio device in callback mode pulling an engine. It asks for 44100 Hz,
// 16 bits, one channel and 256-frame buffers, and takes the rate, the channel count and the sample
// format (16-bit or float) the device insists on: the engine renders at the device's rate, and the
// frames are written in the device's format here, so that SDL converts nothing it need not.
//
// Without any usable device the program still runs: the device falls back to SDL's "dummy" driver
// (or, if even that fails, renders silently on the UI thread at the clock's pace) and says so in
// one line on standard error. A device that disappears while playing is closed and replaced the
// same way. Only one SdlDevice should exist at a time: the fallback re-initialises SDL's audio.

#include <cstdint>
#include <string>

#include "audio_device/audio_device.h"
#include "engine/engine.h"

namespace zembera {

class SdlDevice : public AudioDevice {
  public:
    // Thread: UI thread. Opens the default device (or falls back, see above), sets the engine's
    // rate and largest block to the device's, and starts pulling sound from `engine`, which
    // outlives the device.
    explicit SdlDevice(engine::Engine& engine);
    // Thread: UI thread. Closes the device (waiting for its callback to end) and shuts SDL audio.
    ~SdlDevice() override;

    SdlDevice(const SdlDevice&) = delete;
    SdlDevice& operator=(const SdlDevice&) = delete;

    // Thread: UI thread. Replaces a lost device; renders silently when none is open.
    void poll() override;
    std::string driverName() const override;
    // Thread: UI thread. Interleaved channels of the open device (0 when none is open).
    int channels() const { return device_ != 0 ? channels_ : 0; }

  private:
    enum class Init { None, Subsystem, DummyDriver };

    bool openDevice();
    bool openDevice(bool anyFormat);
    void fallBack(const std::string& reason);
    void shutDown();
    // Thread: SDL's audio thread of the open device.
    static void callback(void* self, std::uint8_t* stream, int bytes) noexcept;

    engine::Engine& engine_;
    PacedDevice paced_;        // the sound with no device open
    std::uint32_t device_ = 0; // SDL_AudioDeviceID; 0 when none is open
    // Written before the device starts, read by its callback.
    int channels_ = 1;
    bool floats_ = false; // 32-bit float frames, else 16-bit
    Init init_ = Init::None;
};

} // namespace zembera
