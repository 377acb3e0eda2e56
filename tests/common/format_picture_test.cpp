#include "common/format_picture.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "common/basic_print.h"
#include "support/golden.h"

namespace zembera {
namespace {

// Each value in each picture as one approved dump: optional and required digits, an integer part
// never cut to the picture, halves rounding away from zero (1.005 is a little less than that in
// binary), no sign on a value rounding to zero, optional decimals dropping trailing zeros and
// the names of non-numbers; then the BASIC number texts of the same values, a leading blank or
// the minus sign, no zero before the point, seven digits in single precision.
TEST(FormatPicture, DigitsRoundingSignsAndNamesOfNonNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {0,        0.25,   2,       -0.75,   262,        1.0594630943592953,
                             -1200,    -0.5,   7,       12345.5, 1234567.25, -98765,
                             0.125,    -0.125, 2.5,     9.99995, 1.005,      -0.001,
                             -0.00004, -0.0,   1.5,     1.25,    3,          1e16,
                             0.00001,  0.0001, 1.0 / 3, nan,     -inf};
    const char* pictures[] = {"##.00", "######0.0000", "0.00000000", "000", "0.0", "#", "0.00",
                              "0",     "##.0000",      "0.0#",       "#.##"};
    std::ostringstream out;
    for (double v : values) {
        out << numberText(v) << " /";
        for (const char* picture : pictures)
            out << ' ' << formatPicture(v, picture);
        out << '\n';
    }
    for (float f : {15.09434f, 1.0f / 3.0f, -5.0f})
        out << numberText(f) << '\n';
    // A BASIC print line: items start in zones of fourteen characters (not bytes), a long item
    // pushes the next one to the zone after it, and lines end with CR LF.
    out << PrintLine().number(1).number(-250).number(3).finish()
        << PrintLine().text("abcdefghijklmnop").number(2).finish()
        << PrintLine().text("ışık").number(1).finish();
    test::expectGolden("common/numbers.txt", out.str());
}

} // namespace
} // namespace zembera
