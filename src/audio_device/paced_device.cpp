#include <algorithm>
#include <array>

#include "audio_device/audio_device.h"

namespace zembera {

namespace {
constexpr std::size_t kChunk = 512;
// The most a poll catches up on: after a long pause (a suspended machine) time jumps ahead.
constexpr double kLongestCatchUpSeconds = 1.0;
} // namespace

PacedDevice::PacedDevice(engine::Engine& engine) : engine_(engine) {
    restart();
}

void PacedDevice::restart() {
    engine_.setMaxBlock(kChunk);
    start_ = std::chrono::steady_clock::now();
    startFrame_ = engine_.renderedFrames();
}

void PacedDevice::poll() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const auto due = startFrame_ + static_cast<engine::Frame>(seconds * engine_.sampleRate());
    engine::Frame behind = due - engine_.renderedFrames();
    const auto longest = static_cast<engine::Frame>(kLongestCatchUpSeconds * engine_.sampleRate());
    if (behind > longest) {
        startFrame_ += behind - longest;
        behind = longest;
    }
    std::array<float, kChunk> scratch;
    while (behind > 0) {
        const auto n = static_cast<std::size_t>(std::min<engine::Frame>(behind, kChunk));
        engine_.render(scratch.data(), nullptr, n);
        behind -= static_cast<engine::Frame>(n);
    }
}

} // namespace zembera
