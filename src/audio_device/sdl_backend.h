#pragma once
// The real output: an SDL2 audio device in callback mode, 44100 Hz, 16 bits, 256-frame buffers.
// Mono is asked for; a device that insists on more channels gets each sample repeated by the
// mixer, so samples stay exact and SDL converts only what it cannot avoid (rate, format).
//
// Without any usable device the program still runs: the backend falls back to SDL's "dummy"
// driver (or, if even that fails, renders silently on the UI thread) and says so in one line on
// standard error. A device that disappears while playing is closed and replaced the same way.
// Only one SdlBackend should exist at a time: the fallback re-initialises SDL's audio driver.

#include <cstdint>
#include <string>

#include "engine/audio_backend.h"
#include "engine/ui_thread.h"

namespace zembera {

class SdlBackend : public AudioBackend {
  public:
    // Thread: UI thread. Nothing is opened before attach().
    SdlBackend() = default;
    // Thread: UI thread. Closes the device (waiting for its callback to end) and shuts SDL audio.
    ~SdlBackend() override;

    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    // Thread: UI thread (asserted). Opens the default device, or falls back (see above).
    void attach(Mixer& mixer) override;
    // Thread: UI thread (asserted). Replaces a lost device; renders silently when none is open.
    void poll() override;

    // Thread: UI thread. The SDL driver playing the sound ("pulseaudio", "dummy", "disk", ...),
    // empty when running silently without one.
    std::string driverName() const;
    // Thread: UI thread. Interleaved channels of the open device (0 when none is open).
    int channels() const { return device_ != 0 ? channels_ : 0; }

  private:
    enum class Init { None, Subsystem, DummyDriver };

    bool openDevice();
    void fallBack(const std::string& reason);
    void shutDown();
    // Thread: SDL's audio thread of the open device.
    static void callback(void* self, std::uint8_t* stream, int bytes) noexcept;

    UiThreadCheck ui_;
    Mixer* mixer_ = nullptr;
    std::uint32_t device_ = 0; // SDL_AudioDeviceID; 0 when none is open
    int channels_ = 1;         // written before the device starts, read by its callback
    Init init_ = Init::None;
};

} // namespace zembera
