#include "common/format_picture.h"

#include <gtest/gtest.h>

#include <limits>

namespace zembera {
namespace {

TEST(FormatPicture, DigitsRoundingSignsAndNamesOfNonNumbers) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* picture;
        const char* expected;
    } cases[] = {
        // Optional digits leave nothing before the point for zero.
        {0, "##.00", ".00"},
        {0.25, "##.00", ".25"},
        {2, "##.00", "2.00"},
        {-0.75, "##.00", "-.75"},
        // Required digits are always shown.
        {262, "######0.0000", "262.0000"},
        {0, "########0.0000", "0.0000"},
        {1.0594630943592953, "0.00000000", "1.05946309"},
        {-1200, "########0.0000", "-1200.0000"},
        {-0.5, "########0.0000", "-0.5000"},
        {7, "000", "007"},
        // The integer part is never cut to the picture.
        {12345.5, "##.00", "12345.50"},
        {1234567.25, "0.0", "1234567.3"},
        {-98765, "#", "-98765"},
        // Halves round away from zero; 1.005 is a little less than that in binary.
        {0.125, "0.00", "0.13"},
        {-0.125, "0.00", "-0.13"},
        {2.5, "0", "3"},
        {9.99995, "##.0000", "10.0000"},
        {1.005, "0.00", "1.00"},
        // A value rounding to zero has no sign.
        {-0.001, "##.00", ".00"},
        {-0.00004, "0.0000", "0.0000"},
        {-0.0, "0.00", "0.00"},
        // Optional decimals drop trailing zeros.
        {1.5, "0.0#", "1.5"},
        {1.25, "0.0#", "1.25"},
        {3, "#.##", "3."},
        {nan, "0.00", "NaN"},
        {-inf, "0.00", "-Infinity"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatPicture(c.value, c.picture), c.expected) << c.value << " " << c.picture;
}

} // namespace
} // namespace zembera
