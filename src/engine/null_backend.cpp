#include <algorithm>

#include "engine/audio_backend.h"

namespace zembera {

void NullBackend::render(std::span<std::int16_t> out) noexcept {
    if (mixer_)
        mixer_->render(out.data(), out.size(), 1);
    else
        std::fill(out.begin(), out.end(), std::int16_t{0});
}

} // namespace zembera
