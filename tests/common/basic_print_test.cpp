#include "common/basic_print.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

TEST(NumberText, LeadingBlankNoZeroBeforePointAndTheDigitsOfItsPrecision) {
    EXPECT_EQ(numberText(5.0), " 5");
    EXPECT_EQ(numberText(-5.0), "-5");
    EXPECT_EQ(numberText(0.0), " 0");
    EXPECT_EQ(numberText(-0.0), " 0");
    EXPECT_EQ(numberText(0.5), " .5");
    EXPECT_EQ(numberText(-0.25), "-.25");
    EXPECT_EQ(numberText(1234.5), " 1234.5");
    EXPECT_EQ(numberText(1e16), " 1E+16");
    EXPECT_EQ(numberText(0.00001), " 1E-05");
    EXPECT_EQ(numberText(0.0001), " .0001");
    // Single precision shows seven digits.
    EXPECT_EQ(numberText(15.09434f), " 15.09434");
    EXPECT_EQ(numberText(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(numberText(1.0 / 3.0), " .333333333333333");
}

TEST(PrintLine, ItemsStartInZonesOfFourteenAndLinesEndWithCrLf) {
    const std::string line = PrintLine().number(1).number(-250).number(3).finish();
    EXPECT_EQ(line, " 1 " + std::string(11, ' ') + "-250 " + std::string(9, ' ') + " 3 \r\n");
    // A long item pushes the next one to the zone after it.
    const std::string wide = PrintLine().text("abcdefghijklmnop").number(2).finish();
    EXPECT_EQ(wide, "abcdefghijklmnop" + std::string(12, ' ') + " 2 \r\n");
    // Zones count characters, not bytes.
    EXPECT_EQ(PrintLine().text("ışık").number(1).finish(),
              "ışık" + std::string(10, ' ') + " 1 \r\n");
}

} // namespace
} // namespace zembera
