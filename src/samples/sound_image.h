#pragma once
// A sound image: the complete bytes of a WAV file held in memory. Once built it never changes;
// voices that play it share ownership, so rebuilding a string's sound never disturbs a note that
// is still sounding.

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace zembera {

// Leaves new elements of a sized vector uninitialised. Every image is written in full right
// after it is sized (from a file or by the resampler), so clearing its bytes first would only
// cost time: for a ten-second note, about a fifth of the preparation.
template <typename T> struct UninitialisedAllocator : std::allocator<T> {
    using value_type = T;
    template <typename U> struct rebind { using other = UninitialisedAllocator<U>; };
    UninitialisedAllocator() = default;
    template <typename U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using SoundImage = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;
using SoundImagePtr = std::shared_ptr<const SoundImage>;

} // namespace zembera
