#pragma once
// Note-on velocity to loudness. The curve is the one of the Downloadable Sounds standard, an
// attenuation of 40 log10(velocity / 127) dB, that is a gain of (velocity / 127)^2: equal steps
// of velocity sound as roughly equal steps of loudness, and 127 is the full level the keys and
// the mouse play at.
//
// Thread: any (pure).

#include "model/note_listener.h" // kFullVelocity

namespace zembera {

constexpr float velocityGain(int velocity) {
    if (velocity <= 0) return 0.0F;
    if (velocity >= kFullVelocity) return 1.0F;
    const float v = static_cast<float>(velocity) / kFullVelocity;
    return v * v;
}

} // namespace zembera
