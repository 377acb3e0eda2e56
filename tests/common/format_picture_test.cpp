#include "common/format_picture.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "common/basic_print.h"
#include "common/text_fields.h"
#include "support/golden.h"

namespace zembera {
namespace {

// Each value in each picture (halves away from zero, no sign on a zero) and as BASIC prints it
// (a leading blank or minus, no zero before the point, seven digits in single precision).
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
    // Print lines: zones of fourteen characters (not bytes), lines ending in CR LF.
    out << PrintLine().number(1).number(-250).number(3).finish()
        << PrintLine().text("abcdefghijklmnop").number(2).finish()
        << PrintLine().text("ışık").number(1).finish();
    test::expectGolden("common/numbers.txt", out.str());
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
