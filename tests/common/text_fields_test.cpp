#include "common/text_fields.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

TEST(FieldReader, SeparatorsAreCommasBlanksAndLineEnds) {
    // Lone carriage returns end lines too.
    FieldReader in("1,2 3\r\n  -4.5 ,+6\n7\r8\r\r9", "t.txt");
    const std::pair<double, int> expected[] = {{1, 1}, {2, 1}, {3, 1}, {-4.5, 2},
                                               {6, 2}, {7, 3}, {8, 4}, {9, 6}};
    for (const auto& [number, line] : expected) {
        EXPECT_EQ(in.readNumber(), number);
        EXPECT_EQ(in.line(), line) << number;
    }
    EXPECT_TRUE(in.atEnd());
}

TEST(FieldReader, TextsQuotedOrUpToCommaOrLineEnd) {
    FieldReader in("\"Kaba, Çargâh\",  Rast dügâh  ,x\r\n\"\"\r\n", "t.txt");
    EXPECT_EQ(in.readText(), "Kaba, Çargâh");
    EXPECT_EQ(in.readText(), "Rast dügâh");
    EXPECT_EQ(in.readText(), "x");
    EXPECT_EQ(in.readText(), "");
    EXPECT_TRUE(in.atEnd());
}

TEST(FieldReader, ReportsFileAndLineOfBadField) {
    FieldReader in("1,2\n3,abc\n", "Dizek.txt");
    in.readNumber();
    in.readNumber();
    in.readNumber();
    try {
        in.readNumber();
        FAIL() << "text accepted as a number";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.file(), "Dizek.txt");
        EXPECT_EQ(e.line(), 2);
        EXPECT_NE(std::string(e.what()).find("Dizek.txt"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("2. satır"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("abc"), std::string::npos);
    }
}

TEST(FieldReader, RefusesMissingItemsPartialNumbersAndOutOfRangeIntegers) {
    FieldReader empty("  \r\n", "a");
    EXPECT_THROW(empty.readNumber(), FormatError);
    EXPECT_THROW(empty.readText(), FormatError);

    FieldReader partial("12x 1e 1.5 200 3", "a");
    EXPECT_THROW(partial.readNumber(), FormatError);                // 12x
    EXPECT_THROW(partial.readNumber(), FormatError);                // 1e
    EXPECT_THROW(partial.readInteger(-10, 10, "tel"), FormatError); // 1.5
    EXPECT_THROW(partial.readInteger(-10, 10, "tel"), FormatError); // 200
    EXPECT_EQ(partial.readInteger(-10, 10, "tel"), 3);

    FieldReader quote("\"never closed\n1", "a");
    EXPECT_THROW(quote.readText(), FormatError);
}

TEST(DecodeText, KeepsUtf8AndReadsOtherBytesAsWindows1254) {
    EXPECT_EQ(decodeText("Çargâh"), "Çargâh");
    // "Þehnaz ýþýk" as the Turkish code page writes Şehnaz ışık.
    EXPECT_EQ(decodeText("\xDE"
                         "ehnaz \xFD\xFE\xFDk"),
              "Şehnaz ışık");
    EXPECT_EQ(decodeText("\xC7"
                         "ar\xF0"),
              "Çarğ");
    // An overlong or truncated sequence is not UTF-8.
    EXPECT_EQ(decodeText("\xC0\xAF"), "À¯");
    EXPECT_EQ(decodeText("a\xE2\x82"), "aâ‚");
}

TEST(FixedWidthTexts, CountCharactersNotBytes) {
    EXPECT_EQ(characterCount("Çargâh"), 6u);
    EXPECT_EQ(fitToWidth("Çargâh", 8), "Çargâh  ");
    EXPECT_EQ(fitToWidth("Dik Acem Aşiran", 6), "Dik Ac");
    EXPECT_EQ(fitToWidth("ışık", 2), "ış");
    EXPECT_EQ(characterCount(fitToWidth("Şehnaz", 30)), 30u);
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartLikeVal) {
    EXPECT_EQ(leadingNumber("01"), 1);
    EXPECT_EQ(leadingNumber("013081"), 13081);
    EXPECT_EQ(leadingNumber(" 2 7"), 27); // blanks inside are skipped
    EXPECT_EQ(leadingNumber("1_"), 1);
    EXPECT_EQ(leadingNumber("ab"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("-3.5x"), -3.5);
    EXPECT_EQ(leadingNumber("1e3"), 1000);
    EXPECT_EQ(leadingNumber("1e"), 1);
}

} // namespace
} // namespace zembera
