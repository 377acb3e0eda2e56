#include "engine/resample_wide.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ZEMBERA_WIDE_RESAMPLE 1
#endif

namespace zembera::detail {

#if ZEMBERA_WIDE_RESAMPLE
namespace {

// Eight source samples from `a` in the low half and eight from `b` in the high half.
__attribute__((target("avx2"))) inline __m256i loadPair(const std::int16_t* a,
                                                        const std::int16_t* b) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The arithmetic shared by every group: the plan in vector form.
struct WideSteps {
    unsigned shift;
    std::uint64_t fractionMask;
    __m128i shiftCount;
    __m256i firstFour; // 0, step, 2 step, 3 step in each half
    __m256i nextFour;  // 4 step .. 7 step in each half
};

// The samples of two groups of eight consecutive outputs: the low half of the result holds the
// group whose first output is at `position0`, the high half the group at `position1`. Each group
// takes its samples from a window of 8 * Windows source samples starting at the source index of
// its first output. The offsets into the window are (fraction + k * step) >> shift, k = 0 .. 7,
// with fraction the low `shift` bits of the group's position: exactly the scalar arithmetic, in
// 32 bits, which the caller has checked cannot overflow. The offsets become byte indices into
// the window, 0 .. 16 * Windows - 1.
template <int Windows>
__attribute__((target("avx2"))) inline __m256i
twoGroups(const WideSteps& w, const std::int16_t* from, std::uint64_t position0,
          std::uint64_t position1) {
    static_assert(Windows >= 1 && Windows <= 4);
    const __m256i spreadHalves = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256i bothBytes = _mm256_set1_epi16(0x0202);    // offset -> 2 * offset in each byte
    const __m256i highByteNext = _mm256_set1_epi16(0x0100); // ... and 2 * offset + 1 above

    const std::uint64_t fraction0 = position0 & w.fractionMask;
    const std::uint64_t fraction1 = position1 & w.fractionMask;
    const std::uint64_t fractions = fraction0 | (fraction1 << 32);
    const __m256i fraction = _mm256_permutevar8x32_epi32(
        _mm256_castsi128_si256(_mm_cvtsi64_si128(static_cast<long long>(fractions))), spreadHalves);
    const __m256i first = _mm256_srl_epi32(_mm256_add_epi32(fraction, w.firstFour), w.shiftCount);
    const __m256i next = _mm256_srl_epi32(_mm256_add_epi32(fraction, w.nextFour), w.shiftCount);
    const __m256i offsets = _mm256_packus_epi32(first, next);
    const __m256i bytes = _mm256_add_epi16(_mm256_mullo_epi16(offsets, bothBytes), highByteNext);

    const std::int16_t* window0 = from + (position0 >> w.shift);
    const std::int16_t* window1 = from + (position1 >> w.shift);
    // A shuffle looks at the low four bits of each index: every part is shuffled with the same
    // indices, and bits 4 and 5 of the index then choose among the parts.
    const auto part = [&](int k) __attribute__((target("avx2"))) {
        return _mm256_shuffle_epi8(loadPair(window0 + 8 * k, window1 + 8 * k), bytes);
    };
    if constexpr (Windows == 1) return part(0);
    const __m256i bit4 = _mm256_slli_epi16(bytes, 3); // to the top bit of each byte
    const __m256i low = _mm256_blendv_epi8(part(0), part(1), bit4);
    if constexpr (Windows == 2) return low;
    const __m256i bit5 = _mm256_slli_epi16(bytes, 2);
    if constexpr (Windows == 3) return _mm256_blendv_epi8(low, part(2), bit5);
    const __m256i high = _mm256_blendv_epi8(part(2), part(3), bit4);
    return _mm256_blendv_epi8(low, high, bit5);
}

// Sixteen outputs per iteration, as two groups of eight, for as long as the second group's
// window lies within the source.
template <int Windows>
__attribute__((target("avx2"))) std::size_t
copyGroups(const ResamplePlan& plan, const std::int16_t* from, std::size_t sourceCount,
           std::size_t count, std::uint8_t* out) {
    constexpr std::uint64_t kWindow = 8 * Windows;
    const std::uint64_t step = plan.step;
    const auto s = static_cast<int>(step);
    WideSteps w;
    w.shift = plan.shift;
    w.fractionMask = (std::uint64_t{1} << plan.shift) - 1;
    w.shiftCount = _mm_cvtsi32_si128(static_cast<int>(plan.shift));
    w.firstFour = _mm256_setr_epi32(0, s, 2 * s, 3 * s, 0, s, 2 * s, 3 * s);
    w.nextFour = _mm256_setr_epi32(4 * s, 5 * s, 6 * s, 7 * s, 4 * s, 5 * s, 6 * s, 7 * s);

    std::uint64_t position = step; // step * (i + 1): the position of output i
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const std::uint64_t second = position + 8 * step;
        if ((second >> w.shift) + kWindow > sourceCount) break; // the rest is left to the caller
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * i),
                            twoGroups<Windows>(w, from, position, second));
        position += 16 * step;
    }
    return i;
}

// The largest offset into an 8-output group's window, or 0xFFFF when the 32-bit sums could
// overflow.
std::uint64_t largestOffset(const ResamplePlan& plan) {
    if (plan.shift >= 32) return 0xFFFF;
    const std::uint64_t largest = ((std::uint64_t{1} << plan.shift) - 1) + 7 * plan.step;
    if (largest > 0xFFFFFFFFu) return 0xFFFF;
    return largest >> plan.shift;
}

} // namespace

std::size_t copySamplesWide(const ResamplePlan& plan, std::span<const std::int16_t> source,
                            std::uint8_t* out) {
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    if (!hasAvx2 || plan.step == 0) return 0;
    const std::int16_t* from = source.data();
    const std::size_t n = source.size();
    switch (largestOffset(plan) / 8) { // how many 8-sample parts a window needs, less one
    case 0:
        return copyGroups<1>(plan, from, n, plan.copied, out);
    case 1:
        return copyGroups<2>(plan, from, n, plan.copied, out);
    case 2:
        return copyGroups<3>(plan, from, n, plan.copied, out);
    case 3:
        return copyGroups<4>(plan, from, n, plan.copied, out);
    default:
        return 0;
    }
}

#else

std::size_t copySamplesWide(const ResamplePlan&, std::span<const std::int16_t>, std::uint8_t*) {
    return 0;
}

#endif

} // namespace zembera::detail
