#include "common/format_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "common/basic_print.h"
#include "common/text_fields.h"
#include "support/golden.h"

namespace zembera {
namespace {

// A picture's text worked out from its definition: the exact decimal expansion of the double
// (glibc prints it whole) rounded at the picture's last place, a 5 or more there rounding away
// from zero; '0' places always written, '#' places only when they are not leading or trailing
// zeros; no sign when every written digit is 0.
std::string byPicture(double v, const std::string& picture) {
    const std::size_t point = picture.find('.');
    const std::string whole = picture.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : picture.substr(point + 1);
    const auto zeros = [](const std::string& p) { return std::count(p.begin(), p.end(), '0'); };
    char exact[512];
    const std::string digits(exact, std::snprintf(exact, sizeof exact, "%.80f", std::abs(v)));
    const std::size_t dot = digits.find('.');
    std::string kept = digits.substr(0, dot) + digits.substr(dot + 1, fraction.size());
    if (digits[dot + 1 + fraction.size()] >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        i == 0 ? void(kept.insert(0, "1")) : void(++kept[i - 1]);
    }
    std::string intPart = kept.substr(0, kept.size() - fraction.size()),
                fracPart = kept.substr(kept.size() - fraction.size());
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    intPart.erase(0, std::min(intPart.find_first_not_of('0'), intPart.size()));
    while (static_cast<long>(intPart.size()) < zeros(whole))
        intPart.insert(0, "0");
    while (static_cast<long>(fracPart.size()) > zeros(fraction) && fracPart.back() == '0')
        fracPart.pop_back();
    return (v < 0 && !zero ? "-" : "") + intPart + (point == std::string::npos ? "" : ".") +
           fracPart;
}

// How BASIC prints a number: a blank or a minus, then %G with 15 (single: 7) significant digits
// and no 0 before the point.
std::string basicText(double v, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*G", digits, std::abs(v));
    const std::string t = text[0] == '0' && text[1] == '.' ? text + 1 : text;
    return (v < 0 ? "-" : " ") + t;
}

// Each value in each picture (halves away from zero, no sign on a zero) and as BASIC prints it
// (a leading blank or minus, no zero before the point, seven digits in single precision).
TEST(FormatPicture, DigitsRoundingSignsAndNamesOfNonNumbers) {
    const double values[] = {0,        0.25,   2,      -0.75,   262,        1.0594630943592953,
                             -1200,    -0.5,   7,      12345.5, 1234567.25, -98765,
                             0.125,    -0.125, 2.5,    9.99995, 1.005,      -0.001,
                             -0.00004, -0.0,   1.5,    1.25,    3,          1e16,
                             0.00001,  0.0001, 1.0 / 3};
    const char* pictures[] = {"##.00", "######0.0000", "0.00000000", "000", "0.0", "#", "0.00",
                              "0",     "##.0000",      "0.0#",       "#.##"};
    for (double v : values) {
        EXPECT_EQ(numberText(v), v == 0 ? " 0" : basicText(v, 15)) << v;
        for (const char* picture : pictures)
            EXPECT_EQ(formatPicture(v, picture), byPicture(v, picture)) << v << " " << picture;
    }
    // Values the rule above must meet: the half of a printed place away from zero, a double just
    // below the half (1.005) down, the sign of a value that rounds to zero gone.
    EXPECT_EQ(byPicture(0.125, "0.00"), "0.13");
    EXPECT_EQ(byPicture(-0.125, "##.00"), "-.13");
    EXPECT_EQ(byPicture(1.005, "0.00"), "1.00");
    EXPECT_EQ(byPicture(-0.001, "0.00"), "0.00");
    EXPECT_EQ(byPicture(2, "#.##"), "2.");
    EXPECT_EQ(basicText(1e16, 15), " 1E+16");
    EXPECT_EQ(basicText(1.0 / 3, 15), " .333333333333333");
    for (const char* picture : pictures) {
        EXPECT_EQ(formatPicture(std::numeric_limits<double>::quiet_NaN(), picture), "NaN");
        EXPECT_EQ(formatPicture(-std::numeric_limits<double>::infinity(), picture), "-Infinity");
    }
    EXPECT_EQ(numberText(std::numeric_limits<double>::quiet_NaN()), " NAN");
    EXPECT_EQ(numberText(-std::numeric_limits<double>::infinity()), "-INF");
    for (float f : {15.09434f, 1.0f / 3.0f, -5.0f})
        EXPECT_EQ(numberText(f), basicText(f, 7)) << f;
    // Print lines: zones of fourteen characters (not bytes), a number followed by a blank, lines
    // ending in CR LF.
    const auto zoned = [](std::initializer_list<std::string> items) {
        std::string line;
        std::size_t column = 0;
        for (const std::string& item : items) {
            const std::size_t zone = (column + 13) / 14 * 14;
            line += std::string(zone - column, ' ') + item;
            column =
                zone + static_cast<std::size_t>(std::count_if(
                           item.begin(), item.end(), [](char c) { return (c & 0xC0) != 0x80; }));
        }
        return line + "\r\n";
    };
    EXPECT_EQ(PrintLine().number(1).number(-250).number(3).finish(),
              zoned({" 1 ", "-250 ", " 3 "}));
    EXPECT_EQ(PrintLine().text("abcdefghijklmnop").number(2).finish(),
              zoned({"abcdefghijklmnop", " 2 "}));
    EXPECT_EQ(PrintLine().text("ışık").number(1).finish(), zoned({"ışık", " 1 "}));
}

// Reads `text` as `ops` asks (n a number, i a whole number in -10..10, t a text): each value with
// its line, or the message of its fault, and whether the end was reached.
std::string trace(const std::string& text, const std::string& ops) {
    FieldReader in(text, "Dizek.txt");
    std::ostringstream out;
    for (char op : ops) {
        try {
            std::ostringstream value;
            if (op == 'n') value << in.readNumber();
            if (op == 'i') value << in.readInteger(-10, 10, "tel");
            if (op == 't') value << '[' << in.readText() << ']';
            out << ' ' << value.str() << '@' << in.line();
        } catch (const FormatError& e) {
            out << " {" << e.what() << '}';
        }
    }
    out << (in.atEnd() ? " | son\n" : " | devam\n");
    return out.str();
}

// Fields split at commas, blanks and line ends, or quoted; faults named with file and line; texts
// decoded (UTF-8 kept, else Windows-1254) and fitted; the number VAL reads at a text's start.
TEST(FieldReader, ReadsFieldsDecodesTextsAndFitsThem) {
    std::string out = trace("1,2 3\r\n  -4.5 ,+6\n7\r8\r\r9", "nnnnnnnn");
    out += trace("\"Kaba, Çargâh\",  Rast dügâh  ,x\r\n\"\"\r\n", "tttt");
    out += trace("1,2\n3,abc\n", "nnnn");
    out += trace("  \r\n", "nt");
    out += trace("12x 1e 1.5 200 3", "nniii");
    out += trace("\"never closed\n1", "t");
    // "Þehnaz ýþýk" in Windows-1254 is Şehnaz ışık; an overlong or truncated sequence is not UTF-8.
    for (const char* bytes : {"Çargâh",
                              "\xDE"
                              "ehnaz \xFD\xFE\xFDk",
                              "\xC7"
                              "ar\xF0",
                              "\xC0\xAF", "a\xE2\x82"})
        out += decodeText(bytes) + "\n";
    for (const auto& [text, width] : {std::pair<const char*, std::size_t>{"Çargâh", 8},
                                      {"Dik Acem Aşiran", 6},
                                      {"ışık", 2},
                                      {"Şehnaz", 9}})
        out += "[" + fitToWidth(text, width) + "] " + std::to_string(characterCount(text)) + "\n";
    for (const char* text : {"01", "013081", " 2 7", "1_", "ab", "", "-3.5x", "1e3", "1e"})
        out +=
            std::string(text) + " -> " + (std::ostringstream() << leadingNumber(text)).str() + "\n";
    test::expectGolden("common/text_fields.txt", out);
}

} // namespace
} // namespace zembera
