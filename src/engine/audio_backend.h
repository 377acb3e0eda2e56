#pragma once
// Where the mixer's output goes: a real device (SdlBackend) or nowhere until asked (NullBackend).

#include <cstdint>
#include <span>

#include "engine/mixer.h"

namespace zembera {

class AudioBackend {
  public:
    virtual ~AudioBackend() = default;
    // Thread: UI thread. Starts pulling sound from `mixer`, which outlives the backend.
    virtual void attach(Mixer& mixer) = 0;
    // Thread: UI thread. Called with every sound operation, so that a backend whose device went
    // away can recover.
    virtual void poll() {}
};

// Renders only when asked: unit tests pull exact buffers from it.
class NullBackend : public AudioBackend {
  public:
    // Thread: UI thread.
    void attach(Mixer& mixer) override { mixer_ = &mixer; }
    // Thread: the one thread that renders (usually the test's own). Fills `out` with mono frames;
    // silence before attach().
    void render(std::span<std::int16_t> out) noexcept;

  private:
    Mixer* mixer_ = nullptr;
};

} // namespace zembera
