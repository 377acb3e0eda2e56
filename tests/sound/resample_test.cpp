#include "sound/resample.h"
#include "sound/resample_wide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "sound_test_support.h"

namespace zembera {
namespace {

// The resampling written out plainly in double arithmetic, one output sample at a time.
std::vector<std::int16_t> plainResample(double fs, double ft, double duration,
                                        const std::vector<std::int16_t>& source) {
    const float ratio = static_cast<float>(ft / fs);
    const double dt = 1 / 44100.0;
    const auto n = static_cast<long long>(source.size());
    const double maxDuration = static_cast<double>(n - 1) * dt * ratio;
    if (duration > maxDuration) duration = maxDuration;
    const double steps = std::trunc(duration / dt);
    if (!(steps >= 1)) return {};
    std::vector<std::int16_t> out(static_cast<std::size_t>(steps));
    for (std::size_t i = 1; i <= out.size(); ++i) {
        const auto j = static_cast<long long>(std::floor(static_cast<double>(ratio) * i)) + 1;
        if (j > n) {
            out.resize(i);
            return out;
        }
        out[i - 1] = source[static_cast<std::size_t>(j - 1)];
    }
    return out;
}

// --- The worked cases of a 2-second source -----------------------------------------------------

TEST(ResampleCases, TenSecondsIsTheCapOf441000Samples) {
    const auto source = test::rampSamples(1'000'000);
    EXPECT_EQ(Resample(440, 441, 10, source).size(), 441000u);
    EXPECT_EQ(planResample(262, 524, 10, 2'000'000).length, 441000u);
    EXPECT_EQ(planResample(262, 524, 10, 2'000'000).copied, 441000u);
}

TEST(ResampleCases, DegenerateInputsGiveSilence) {
    const std::vector<std::int16_t> one{42};
    EXPECT_TRUE(Resample(100, 200, 10, {}).empty());
    EXPECT_TRUE(Resample(100, 200, 10, one).empty()); // maxDuration 0
    EXPECT_TRUE(Resample(0, 200, 10, one).empty());
    EXPECT_TRUE(Resample(0, 0, 10, test::rampSamples(10)).empty());
    EXPECT_TRUE(Resample(100, -200, 10, test::rampSamples(10)).empty());
    EXPECT_TRUE(Resample(100, 200, -1, test::rampSamples(10)).empty());
    EXPECT_TRUE(Resample(100, 200, 0.00001, test::rampSamples(10)).empty()); // under one sample
    // A ratio far past the source ends at once, on the single closing 0.
    EXPECT_EQ(Resample(1, 1e30, 1e40, test::rampSamples(50)), std::vector<std::int16_t>{0});
}

// --- Exactness of the fixed-point loop against the plain arithmetic -----------------------------

TEST(ResampleExactness, MatchesPlainArithmeticOverManyRatios) {
    std::mt19937 random(20240611);
    const auto source = test::rampSamples(30000);
    std::uniform_real_distribution<double> logRatio(std::log(0.01), std::log(60.0));
    std::uniform_int_distribution<std::size_t> length(1, source.size());
    std::uniform_real_distribution<double> seconds(0, 1.5);
    for (int trial = 0; trial < 3000; ++trial) {
        const double fs = 50 + trial;
        const double ft = fs * std::exp(logRatio(random));
        const std::vector<std::int16_t> part(source.begin(),
                                             source.begin() + static_cast<long>(length(random)));
        const double duration = trial % 3 == 0 ? 10 : seconds(random);
        ASSERT_EQ(Resample(fs, ft, duration, part), plainResample(fs, ft, duration, part))
            << "fs " << fs << " ft " << ft << " N " << part.size() << " duration " << duration;
    }
}

TEST(ResampleExactness, RatiosAtTheEdgesOfFloatRounding) {
    // Ratios one float step either side of simple values, where a product rounded the wrong way
    // would take the neighbouring source sample.
    const auto source = test::rampSamples(20000);
    for (float base : {0.25f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 0.1f, 1.0f / 3}) {
        for (float ratio : {std::nextafter(base, 0.0f), base, std::nextafter(base, 10.0f)}) {
            ASSERT_EQ(Resample(1, ratio, 10, source), plainResample(1, ratio, 10, source))
                << "ratio " << ratio;
        }
    }
}

// --- The vector loop ---------------------------------------------------------------------------

// Ratios across every window size of the vector loop (one to four 8-sample parts), the edges
// between them, and ratios outside its range that fall back to the scalar loop.
const float kWideRatios[] = {0.003f, 0.004f, 0.05f,   0.0625f, 0.07f, 0.3f, 0.524f, 0.89f,
                             0.999f, 1.0f,   1.0001f, 1.124f,  1.7f,  2.0f, 2.1f,   2.2f,
                             2.62f,  3.0f,   3.5f,    4.3f,    4.5f,  7.0f};

TEST(ResampleWide, ImagesMatchThePlainArithmeticUpToTheEndOfTheSource) {
    // Sources of odd lengths, so that the last windows of the vector loop reach the end of the
    // source and the scalar loop finishes a few samples; rising notes run out of source.
    for (const std::size_t n : {40u, 333u, 4099u, 20011u}) {
        const auto source = test::rampSamples(n);
        for (const float ratio : kWideRatios) {
            const auto plan = planResample(1, ratio, 10, source.size());
            std::vector<std::uint8_t> bytes(2 * plan.length + 4, 0xEE); // two guard bytes each side
            resampleInto(plan, source, bytes.data() + 2);
            const auto expected = plainResample(1, ratio, 10, source);
            ASSERT_EQ(expected.size(), plan.length) << "ratio " << ratio << " N " << n;
            for (std::size_t i = 0; i < plan.length; ++i) {
                const auto value =
                    static_cast<std::int16_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
                ASSERT_EQ(value, expected[i]) << "ratio " << ratio << " N " << n << " i " << i;
            }
            const std::vector<std::uint8_t> guards{bytes[0], bytes[1], bytes[bytes.size() - 2],
                                                   bytes.back()};
            EXPECT_EQ(guards, std::vector<std::uint8_t>(4, 0xEE))
                << "ratio " << ratio << " N " << n;
        }
    }
}

TEST(ResampleWide, TakesAlmostTheWholeNoteForEveryRatioOfAnInstrument) {
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 on this processor";
    const auto source = test::rampSamples(50000);
    for (const float ratio : kWideRatios) {
        const auto plan = planResample(1, ratio, 0.5, source.size());
        std::vector<std::uint8_t> bytes(2 * plan.length);
        const std::size_t done = detail::copySamplesWide(plan, source, bytes.data());
        const bool inRange = ratio >= 0.004f && ratio <= 4.3f;
        if (!inRange) {
            EXPECT_EQ(done, 0u) << "ratio " << ratio;
            continue;
        }
        // Left to the scalar loop: under one iteration, and the outputs whose windows would
        // reach past the end of the source.
        const auto leftOver = static_cast<std::size_t>(32 / ratio) + 48;
        EXPECT_GE(done + leftOver, plan.copied) << "ratio " << ratio;
        if (plan.copied > leftOver) {
            EXPECT_GT(done, 0u) << "ratio " << ratio;
        }
        EXPECT_EQ(done % 16, 0u);
        const auto expected = Resample(1, ratio, 0.5, source);
        for (std::size_t i = 0; i < done; ++i)
            ASSERT_EQ(static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8), expected[i])
                << "ratio " << ratio << " i " << i;
    }
}

} // namespace
} // namespace zembera
