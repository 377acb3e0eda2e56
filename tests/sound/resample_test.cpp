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
                                        std::span<const std::int16_t> source) {
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

TEST(Resample, DegenerateInputsGiveSilence) {
    const auto ten = test::rampSamples(10);
    const std::tuple<double, double, double, std::size_t> cases[] = {
        {100, 200, 10, 0},   {100, 200, 10, 1},  {0, 200, 10, 1},        {0, 0, 10, 10},
        {100, -200, 10, 10}, {100, 200, -1, 10}, {100, 200, 0.00001, 10}}; // under one sample
    for (const auto& [fs, ft, duration, n] : cases)
        EXPECT_TRUE(Resample(fs, ft, duration, std::span(ten).first(n)).empty()) << fs << ft << n;
    // A ratio far past the source ends at once, on the single closing 0.
    EXPECT_EQ(Resample(1, 1e30, 1e40, ten), std::vector<std::int16_t>{0});
}

// Every source below is the front of a longer ramp, so that a read past its end shows.
TEST(Resample, MatchesPlainArithmeticOverManyRatiosAndAtTheEdgesOfFloatRounding) {
    std::mt19937 random(20240611);
    const auto ramp = test::rampSamples(30001);
    const std::span source = std::span(ramp).first(30000);
    // Ratios one float step either side of simple values, where a product rounded the wrong way
    // would take the neighbouring source sample.
    for (float base : {0.25f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 0.1f, 1.0f / 3})
        for (float ratio : {std::nextafter(base, 0.0f), base, std::nextafter(base, 10.0f)})
            ASSERT_EQ(Resample(1, ratio, 10, source), plainResample(1, ratio, 10, source)) << ratio;
    std::uniform_real_distribution<double> logRatio(std::log(0.01), std::log(60.0));
    std::uniform_int_distribution<std::size_t> length(1, source.size());
    std::uniform_real_distribution<double> seconds(0, 1.5);
    for (int trial = 0; trial < 3000; ++trial) {
        const double fs = 50 + trial;
        const double ft = fs * std::exp(logRatio(random));
        const auto front = source.first(length(random));
        const double duration = trial % 3 == 0 ? 10 : seconds(random);
        ASSERT_EQ(Resample(fs, ft, duration, front), plainResample(fs, ft, duration, front))
            << "fs " << fs << " ft " << ft << " N " << front.size() << " duration " << duration;
    }
}

TEST(Resample, VectorLoopWritesTheImageUpToTheEndOfTheSourceAndTakesAlmostAllOfIt) {
    // Ratios across every window size of the vector loop (one to four 8-sample parts), the edges
    // between them, and ratios outside its range (0.004 to 4.3) that fall back to the scalar
    // loop. Sources of odd lengths: the last windows reach the end and the scalar loop finishes.
    const bool wide = __builtin_cpu_supports("avx2");
    const auto ramp = test::rampSamples(50001);
    for (const std::size_t n : {40u, 333u, 4099u, 20011u, 50000u}) {
        const auto source = std::span(ramp).first(n);
        for (const float ratio :
             {0.003f, 0.004f, 0.05f, 0.0625f, 0.07f, 0.3f,  0.524f, 0.89f, 0.999f, 1.0f, 1.0001f,
              1.124f, 1.7f,   2.0f,  2.1f,    2.2f,  2.62f, 3.0f,   3.5f,  4.3f,   4.5f, 7.0f}) {
            SCOPED_TRACE(testing::Message() << "ratio " << ratio << " N " << n);
            const double duration = n == 50000 ? 0.5 : 10; // a note that does not run out
            const auto plan = planResample(1, ratio, duration, source.size());
            std::vector<std::uint8_t> bytes(2 * plan.length + 4, 0xEE); // two guard bytes each side
            resampleInto(plan, source, bytes.data() + 2);
            const auto expected = plainResample(1, ratio, duration, source);
            ASSERT_EQ(expected.size(), plan.length);
            EXPECT_EQ(test::samplesIn(std::span(bytes).subspan(2, 2 * plan.length)), expected);
            EXPECT_EQ(test::littleEndian(bytes, 0, 2) << 16 |
                          test::littleEndian(bytes, bytes.size() - 2, 2),
                      0xEEEEEEEEu);
            if (!wide) continue;
            const std::size_t done = detail::copySamplesWide(plan, source, bytes.data());
            EXPECT_EQ(done % 16, 0u);
            if (ratio < 0.004f || ratio > 4.3f) {
                EXPECT_EQ(done, 0u);
                continue;
            }
            // Left to the scalar loop: under one iteration, and the outputs whose windows would
            // reach past the end of the source.
            const auto leftOver = static_cast<std::size_t>(32 / ratio) + 48;
            EXPECT_GE(done + leftOver, plan.copied);
            EXPECT_TRUE(done > 0 || plan.copied <= leftOver);
        }
    }
}

} // namespace
} // namespace zembera
