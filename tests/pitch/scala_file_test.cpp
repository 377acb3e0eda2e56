#include "pitch/scala_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "common/text_fields.h"
#include "sound/sound_test_support.h"

namespace zembera {
namespace {

using ::testing::DoubleNear;
using ::testing::Pointwise;
using ::testing::ThrowsMessage;

TEST(ScalaScale, ReadsCentsRatiosCommentsAndBlankLinesAndCountsDegreesAcrossPeriods) {
    const Scale s = parseScale("! tiny.scl\r\n!\r\nA test scale\r\n 5\r\n!\r\n 150.5 first\r\n"
                               "\r\n 3/2\r\n +800.25\r\n 15/8\r\n 2\r\n",
                               "tiny.scl");
    EXPECT_EQ(s.description, "A test scale");
    ASSERT_EQ(s.size(), 5);
    EXPECT_THAT(s.steps, Pointwise(DoubleNear(1e-3), {0.0, 150.5, 701.955, 800.25, 1088.269}));
    EXPECT_DOUBLE_EQ(s.period, 1200.0);
    const Scale t = parseScale("\n5\n100.0\n300.\n500.0\n700.0\n1200.0\n", "s.scl");
    const std::pair<int, double> degrees[] = {{0, 0.0},      {3, 500.0},    {6, 1300.0},
                                              {-1, -500.0},  {-5, -1200.0}, {-6, -1700.0},
                                              {-11, -2900.0}};
    for (auto [degree, cents] : degrees)
        EXPECT_DOUBLE_EQ(degreeCents(t, degree), cents) << degree;
    // The bundled scales are read as their sizes and periods say.
    const std::pair<const char*, int> bundledScales[] = {{"79-159.scl", 79},
                                                         {"80-159.scl", 80},
                                                         {"53-commas.scl", 53},
                                                         {"turkish_24.scl", 24},
                                                         {"aeu-41.scl", 41}};
    for (auto [name, size] : bundledScales) {
        const auto bytes =
            test::readFile(std::filesystem::path(ZEMBERA_SOURCE_DIR) / "tools/tunings" / name);
        const Scale bundled = parseScale(std::string(bytes.begin(), bytes.end()), name);
        EXPECT_EQ(bundled.size(), size) << name;
        EXPECT_NEAR(bundled.period, 1200.0, 1e-9) << name;
    }
}

// Every refusal names the file and the line of the fault in the message the user reads.
TEST(ScalaScale, RefusesWhatTheInstrumentCannotTakeNamingFileAndLine) {
    const std::string cents = "sent ya da oran bekleniyordu, ";
    const std::tuple<const char*, int, std::string> cases[] = {
        {"d\nmany\n", 2, "perde sayısı bekleniyordu, \"many\" bulundu"},
        {"d\n4\n100.0\n200.0\n300.0\n2/1\n", 2,
         "perde sayısı 5 ile 160 arasında olmalı, 4 bulundu"},
        {"d\n161\n", 2, "perde sayısı 5 ile 160 arasında olmalı, 161 bulundu"},
        {"d\n5\n100.0\n200.0\n1e400.\n", 5, cents + "\"1e400.\" bulundu"},
        {"d\n5\n100.0\n3/0\n", 4, cents + "\"3/0\" bulundu"},
        {"d\n5\n100.0\n-3/2\n", 4, cents + "\"-3/2\" bulundu"},
        {"d\n5\n100.0\n99999999999999999999/2\n", 4, cents + "\"99999999999999999999/2\" bulundu"},
        {"d\n5\n300.0\n200.0\n", 4, "2. perde bir öncekinden yüksek değil"},
        {"d\n5\n-10.0\n", 3, "1. perde bir öncekinden yüksek değil"},
        {"d\n5\n100.0\n200.0\n300.0\n400.0\n3/1\n", 7,
         "son perde bir oktav (1200 sent) olmalı, 1901.955001 sent bulundu"},
        {"d\n5\n100.0\n200.0\n", 4, "dosya bitti, 3. perde bekleniyordu"},
        {"d\n5\n100.0\n200.0\n300.0\n400.0\n2/1\n5/4\n", 8,
         "bildirilen 5 perdeden fazla satır var"},
        {"! only a comment\n", 1, "dosya bitti, açıklama satırı bekleniyordu"},
    };
    for (const auto& [text, line, message] : cases)
        EXPECT_THAT([&] { parseScale(text, "a.scl"); },
                    ThrowsMessage<FormatError>("a.scl dosyasının " + std::to_string(line) +
                                               ". satırında hata: " + message))
            << text;
    // A period a few cents from the octave is a stretched octave, still taken.
    EXPECT_NO_THROW(parseScale("d\n5\n100.0\n200.0\n300.0\n400.0\n1210.0\n", "a.scl"));
}

TEST(ScalaMapping, ReadsHeaderAndKeysAndMapsKeysToDegrees) {
    const KeyboardMapping m = parseKeyboardMapping("! a.kbm\n12\n0\n127\n60\n69\n440.0\n12\n"
                                                   "! keys\n0\n1\nx\n3\n4\n5\n6\n7\n8\n9\n10\n11\n",
                                                   "a.kbm");
    EXPECT_EQ(std::tuple(m.size, m.middleKey, m.referenceKey, m.referenceHz),
              std::tuple(12, 60, 69, 440.0));
    // Key 62 is unmapped, and so is 50, an octave lower; keys left out at the end of a mapping
    // are unmapped; a mapping of size 0 is linear.
    const KeyboardMapping shortMap =
        parseKeyboardMapping("3\n0\n127\n60\n69\n440.0\n3\n0\n1\n", "short.kbm");
    const KeyboardMapping linear =
        parseKeyboardMapping("0\n0\n127\n62\n62\n293.66\n0\n", "linear.kbm");
    const std::optional<int> none;
    const std::tuple<const KeyboardMapping*, int, std::optional<int>> keys[] = {
        {&m, 60, 0},    {&m, 61, 1},        {&m, 62, none},        {&m, 73, 13},     {&m, 59, -1},
        {&m, 50, none}, {&shortMap, 61, 1}, {&shortMap, 62, none}, {&linear, 60, -2}};
    for (const auto& [mapping, key, degree] : keys)
        EXPECT_EQ(degreeOfKey(*mapping, key), degree) << key;

    const std::string head = "b.kbm dosyasının ";
    const std::pair<const char*, std::string> broken[] = {
        {"200\n", "1. satırında hata: eşleme uzunluğu 0 ile 128 arasında olmalı, 200 bulundu"},
        {"0\n0\n127\n60\n69\nabc\n",
         "6. satırında hata: referans frekansı (Hz) bekleniyordu, \"abc\" bulundu"},
        {"0\n0\n127\n60\n69\n-440.0\n",
         "6. satırında hata: referans frekansı (Hz) bekleniyordu, \"-440.0\" bulundu"},
        {"2\n0\n127\n60\n69\n440.0\n2\n0\ny\n",
         "9. satırında hata: derece ya da x bekleniyordu, \"y\" bulundu"},
        {"0\n100\n50\n", "3. satırında hata: son tuş 100 ile 127 arasında olmalı, 50 bulundu"},
    };
    for (const auto& [text, message] : broken)
        EXPECT_THAT([&] { parseKeyboardMapping(text, "b.kbm"); },
                    ThrowsMessage<FormatError>(head + message))
            << text;
}

} // namespace
} // namespace zembera
