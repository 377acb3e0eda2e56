#include "pitch/scala_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "common/text_fields.h"

namespace zembera {
namespace {

// The message of the FormatError `f` throws, or "" when it throws none.
template <typename F> std::string errorOf(F f) {
    try {
        f();
    } catch (const FormatError& e) {
        return e.what();
    }
    return "";
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ScalaScale, ReadsCentsRatiosCommentsAndBlankLines) {
    const Scale s = parseScale("! tiny.scl\r\n!\r\nA test scale\r\n 5\r\n!\r\n 150.5 first\r\n"
                               "\r\n 3/2\r\n +800.25\r\n 15/8\r\n 2\r\n",
                               "tiny.scl");
    EXPECT_EQ(s.description, "A test scale");
    ASSERT_EQ(s.size(), 5);
    EXPECT_EQ(s.steps[0], 0.0);
    EXPECT_DOUBLE_EQ(s.steps[1], 150.5);
    EXPECT_NEAR(s.steps[2], 701.955, 1e-3);
    EXPECT_DOUBLE_EQ(s.steps[3], 800.25);
    EXPECT_NEAR(s.steps[4], 1088.269, 1e-3);
    EXPECT_DOUBLE_EQ(s.period, 1200.0);
}

TEST(ScalaScale, CountsDegreesAcrossPeriods) {
    const Scale s = parseScale("\n5\n100.0\n300.\n500.0\n700.0\n1200.0\n", "s.scl");
    const std::pair<int, double> cases[] = {{0, 0.0},      {3, 500.0},    {6, 1300.0},
                                            {-1, -500.0},  {-5, -1200.0}, {-6, -1700.0},
                                            {-11, -2900.0}};
    for (auto [degree, cents] : cases)
        EXPECT_DOUBLE_EQ(degreeCents(s, degree), cents) << degree;
}

// Every refusal names the file and the line of the fault in the message the user reads.
TEST(ScalaScale, RefusesWhatTheInstrumentCannotTakeNamingFileAndLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"d\nmany\n", "a.scl dosyasının 2. satırında hata: perde sayısı bekleniyordu, \"many\" "
                      "bulundu"},
        {"d\n4\n100.0\n200.0\n300.0\n2/1\n",
         "a.scl dosyasının 2. satırında hata: perde sayısı 5 ile 160 arasında olmalı, 4 bulundu"},
        {"d\n161\n", "a.scl dosyasının 2. satırında hata: perde sayısı 5 ile 160 arasında olmalı, "
                     "161 bulundu"},
        {"d\n5\n100.0\n200.0\n1e400.\n", "a.scl dosyasının 5. satırında hata: sent ya da oran "
                                         "bekleniyordu, \"1e400.\" bulundu"},
        {"d\n5\n100.0\n3/0\n", "a.scl dosyasının 4. satırında hata: sent ya da oran "
                               "bekleniyordu, \"3/0\" bulundu"},
        {"d\n5\n100.0\n-3/2\n", "a.scl dosyasının 4. satırında hata: sent ya da oran "
                                "bekleniyordu, \"-3/2\" bulundu"},
        {"d\n5\n100.0\n99999999999999999999/2\n",
         "a.scl dosyasının 4. satırında hata: sent ya da oran bekleniyordu, "
         "\"99999999999999999999/2\" bulundu"},
        {"d\n5\n300.0\n200.0\n", "a.scl dosyasının 4. satırında hata: 2. perde bir öncekinden "
                                 "yüksek değil"},
        {"d\n5\n-10.0\n", "a.scl dosyasının 3. satırında hata: 1. perde bir öncekinden yüksek "
                          "değil"},
        {"d\n5\n100.0\n200.0\n300.0\n400.0\n3/1\n",
         "a.scl dosyasının 7. satırında hata: son perde bir oktav (1200 sent) olmalı, "
         "1901.955001 sent bulundu"},
        {"d\n5\n100.0\n200.0\n",
         "a.scl dosyasının 4. satırında hata: dosya bitti, 3. perde bekleniyordu"},
        {"d\n5\n100.0\n200.0\n300.0\n400.0\n2/1\n5/4\n",
         "a.scl dosyasının 8. satırında hata: bildirilen 5 perdeden fazla satır var"},
        {"! only a comment\n",
         "a.scl dosyasının 1. satırında hata: dosya bitti, açıklama satırı bekleniyordu"},
    };
    for (auto [text, message] : cases)
        EXPECT_EQ(errorOf([&] { parseScale(text, "a.scl"); }), message) << text;
    // A period a few cents from the octave is a stretched octave, still taken.
    EXPECT_NO_THROW(parseScale("d\n5\n100.0\n200.0\n300.0\n400.0\n1210.0\n", "a.scl"));
}

// The bundled scales are read as their sizes and periods say.
TEST(ScalaScale, ReadsEveryBundledScale) {
    const std::pair<const char*, int> files[] = {{"79-159.scl", 79},
                                                 {"80-159.scl", 80},
                                                 {"53-commas.scl", 53},
                                                 {"turkish_24.scl", 24},
                                                 {"aeu-41.scl", 41}};
    for (auto [name, size] : files) {
        const std::filesystem::path path =
            std::filesystem::path(ZEMBERA_SOURCE_DIR) / "tools/tunings" / name;
        const Scale s = parseScale(readBytes(path), name);
        EXPECT_EQ(s.size(), size) << name;
        EXPECT_NEAR(s.period, 1200.0, 1e-9) << name;
    }
}

TEST(ScalaMapping, ReadsHeaderAndKeysAndMapsKeysToDegrees) {
    const KeyboardMapping m = parseKeyboardMapping("! a.kbm\n12\n0\n127\n60\n69\n440.0\n12\n"
                                                   "! keys\n0\n1\nx\n3\n4\n5\n6\n7\n8\n9\n10\n11\n",
                                                   "a.kbm");
    EXPECT_EQ(m.size, 12);
    EXPECT_EQ(m.middleKey, 60);
    EXPECT_EQ(m.referenceKey, 69);
    EXPECT_DOUBLE_EQ(m.referenceHz, 440.0);
    EXPECT_EQ(degreeOfKey(m, 60), 0);
    EXPECT_EQ(degreeOfKey(m, 61), 1);
    EXPECT_EQ(degreeOfKey(m, 62), std::nullopt);
    EXPECT_EQ(degreeOfKey(m, 73), 13);
    EXPECT_EQ(degreeOfKey(m, 59), -1);
    EXPECT_EQ(degreeOfKey(m, 50), std::nullopt); // 62 an octave lower

    // Keys left out at the end of the mapping are unmapped.
    const KeyboardMapping shortMap =
        parseKeyboardMapping("3\n0\n127\n60\n69\n440.0\n3\n0\n1\n", "short.kbm");
    EXPECT_EQ(degreeOfKey(shortMap, 61), 1);
    EXPECT_EQ(degreeOfKey(shortMap, 62), std::nullopt);

    const KeyboardMapping linear =
        parseKeyboardMapping("0\n0\n127\n62\n62\n293.66\n0\n", "linear.kbm");
    EXPECT_EQ(degreeOfKey(linear, 60), -2);
}

TEST(ScalaMapping, RefusesBrokenMappingsNamingFileAndLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"200\n", "b.kbm dosyasının 1. satırında hata: eşleme uzunluğu 0 ile 128 arasında "
                  "olmalı, 200 bulundu"},
        {"0\n0\n127\n60\n69\nabc\n", "b.kbm dosyasının 6. satırında hata: referans frekansı "
                                     "(Hz) bekleniyordu, \"abc\" bulundu"},
        {"0\n0\n127\n60\n69\n-440.0\n", "b.kbm dosyasının 6. satırında hata: referans frekansı "
                                        "(Hz) bekleniyordu, \"-440.0\" bulundu"},
        {"2\n0\n127\n60\n69\n440.0\n2\n0\ny\n", "b.kbm dosyasının 9. satırında hata: derece ya "
                                                "da x bekleniyordu, \"y\" bulundu"},
        {"0\n100\n50\n", "b.kbm dosyasının 3. satırında hata: son tuş 100 ile 127 arasında "
                         "olmalı, 50 bulundu"},
    };
    for (auto [text, message] : cases)
        EXPECT_EQ(errorOf([&] { parseKeyboardMapping(text, "b.kbm"); }), message) << text;
}

} // namespace
} // namespace zembera
