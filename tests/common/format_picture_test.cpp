#include "common/format_picture.h"

#include <gtest/gtest.h>

#include <limits>

namespace zembera {
namespace {

TEST(FormatPicture, OptionalDigitsLeaveNothingBeforeThePointForZero) {
    EXPECT_EQ(formatPicture(0, "##.00"), ".00");
    EXPECT_EQ(formatPicture(0.25, "##.00"), ".25");
    EXPECT_EQ(formatPicture(2, "##.00"), "2.00");
    EXPECT_EQ(formatPicture(-1.5, "##.00"), "-1.50");
    EXPECT_EQ(formatPicture(-0.75, "##.00"), "-.75");
}

TEST(FormatPicture, RequiredDigitsAreAlwaysShown) {
    EXPECT_EQ(formatPicture(262, "######0.0000"), "262.0000");
    EXPECT_EQ(formatPicture(0, "########0.0000"), "0.0000");
    EXPECT_EQ(formatPicture(1, "0.00000000"), "1.00000000");
    EXPECT_EQ(formatPicture(1.0594630943592953, "0.00000000"), "1.05946309");
    EXPECT_EQ(formatPicture(-1200, "########0.0000"), "-1200.0000");
    EXPECT_EQ(formatPicture(-0.5, "########0.0000"), "-0.5000");
    EXPECT_EQ(formatPicture(7, "000"), "007");
}

TEST(FormatPicture, IntegerPartIsNeverCutToThePicture) {
    EXPECT_EQ(formatPicture(12345.5, "##.00"), "12345.50");
    EXPECT_EQ(formatPicture(1234567.25, "0.0"), "1234567.3");
    EXPECT_EQ(formatPicture(-98765, "#"), "-98765");
}

TEST(FormatPicture, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(formatPicture(0.125, "0.00"), "0.13");
    EXPECT_EQ(formatPicture(-0.125, "0.00"), "-0.13");
    EXPECT_EQ(formatPicture(2.5, "0"), "3");
    EXPECT_EQ(formatPicture(1.99999, "0.00"), "2.00");
    EXPECT_EQ(formatPicture(9.99995, "##.0000"), "10.0000");
    EXPECT_EQ(formatPicture(1.005, "0.00"), "1.00"); // 1.005 is a little less than that in binary
}

TEST(FormatPicture, ValueRoundingToZeroHasNoSign) {
    EXPECT_EQ(formatPicture(-0.001, "##.00"), ".00");
    EXPECT_EQ(formatPicture(-0.00004, "0.0000"), "0.0000");
    EXPECT_EQ(formatPicture(-0.0, "0.00"), "0.00");
}

TEST(FormatPicture, OptionalDecimalsDropTrailingZeros) {
    EXPECT_EQ(formatPicture(1.5, "0.0#"), "1.5");
    EXPECT_EQ(formatPicture(1.25, "0.0#"), "1.25");
    EXPECT_EQ(formatPicture(3, "#.##"), "3.");
    EXPECT_EQ(formatPicture(3.7, "0"), "4");
}

TEST(FormatPicture, NotANumberAndInfinityAreNamed) {
    EXPECT_EQ(formatPicture(std::numeric_limits<double>::quiet_NaN(), "0.00"), "NaN");
    EXPECT_EQ(formatPicture(-std::numeric_limits<double>::infinity(), "0.00"), "-Infinity");
}

} // namespace
} // namespace zembera
