#include "files/makam_file.h"

#include <gtest/gtest.h>

#include "common/text_fields.h"
#include "files/makam_handlers.h"
#include "files_rig.h"

namespace zembera {
namespace {

using test::fileBytes;
using test::writeBytes;
using Calls = std::vector<std::string>;

// 26 positions within every string's range, negative ones included.
PerString16 samplePositions() {
    PerString16 p{};
    const int values[26] = {-5, 6,  8, -1, -7, 10, 5,  -8, 0,  12, -1, 7,  -6,
                            6,  -7, 0, 3,  -1, 0,  -3, 6,  11, -8, 2,  -1, 12};
    for (int k = 1; k <= 26; ++k)
        p[k] = static_cast<std::int16_t>(values[k - 1]);
    return p;
}

TEST(MakamText, EachPositionOnItsOwnLineAsTheToolkitPrintsIt) {
    PerString16 p{};
    p[1] = 3;
    p[2] = -2;
    p[3] = 12;
    p[26] = -8;
    const std::string text = makamFileText(p);
    std::string expected = " 3 \r\n-2 \r\n 12 \r\n";
    for (int k = 4; k <= 25; ++k)
        expected += " 0 \r\n";
    expected += "-8 \r\n";
    EXPECT_EQ(text, expected);
}

TEST(MakamName, EmptySeparatorsAndParentFoldersAreRefused) {
    EXPECT_EQ(makamNameProblem(""), std::optional<std::string>("bir makam ismi girin"));
    for (const char* bad : {"..", ".", "../rast", "a/b", "a\\b", "/tmp/x"})
        EXPECT_EQ(makamNameProblem(bad), std::optional<std::string>(kMakamNameRefused)) << bad;
    // Taken as typed otherwise: blanks, dots inside and Turkish letters are fine.
    for (const char* good : {"rast", " uşşak ", "hicaz..2", "...", "Hüzzam"})
        EXPECT_FALSE(makamNameProblem(good)) << good;
}

class Makam : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        handlers = std::make_unique<MakamHandlers>(*parts);
    }
    std::unique_ptr<MakamHandlers> handlers;
};

TEST_F(Makam, SaveWritesTheExactBytesAndLoadBringsBackAllPositions) {
    const PerString16 saved = samplePositions();
    st().mandalPos = saved;
    controls.text1 = "Rast";
    handlers->save_buton_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(controls.file2Refreshes, 1);
    EXPECT_EQ(fileBytes(dir / "Rast.mkm"), makamFileText(saved));
    EXPECT_EQ(fileBytes(dir / "Rast.mkm").substr(0, 15), "-5 \r\n 6 \r\n 8 \r\n");

    st().mandalPos = PerString16{};
    controls.text1.clear();
    handlers->File2_Click("Rast.mkm");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(controls.text1, "Rast");
    for (int k = 1; k <= 26; ++k)
        EXPECT_EQ(st().mandalPos[k], saved[k]) << k;
}

TEST_F(Makam, SavingOverAnExistingFileReplacesItWithoutAskingAndLeavesNoScratch) {
    writeBytes(dir / "rast.mkm", "old content that is longer than the new one ...\r\n");
    controls.text1 = "rast";
    st().mandalPos[5] = 4;
    handlers->save_buton_Click();
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(fileBytes(dir / "rast.mkm"), makamFileText(st().mandalPos));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 3); // Dizek.txt, wavs and rast.mkm
}

TEST_F(Makam, AFailedSaveKeepsTheOldFileAndSaysSo) {
    // A folder in the way: the rename cannot replace it.
    std::filesystem::create_directory(dir / "blocked.mkm");
    controls.text1 = "blocked";
    handlers->save_buton_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "makam dosyası yazılamadı: blocked.mkm");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked.mkm"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 3); // no temporary file left behind
}

TEST_F(Makam, NamesOutsideTheProgramFolderAndEmptyNamesWriteNothing) {
    std::filesystem::create_directories(dir / "sub");
    for (const char* name : {"../escape", "sub/inner", ".."}) {
        controls.text1 = name;
        handlers->save_buton_Click();
    }
    controls.text1 = "";
    handlers->save_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{kMakamNameRefused, kMakamNameRefused, kMakamNameRefused,
                                     "bir makam ismi girin"}));
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "escape.mkm"));
    EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "inner.mkm"));
    EXPECT_EQ(controls.file2Refreshes, 0);
}

TEST_F(Makam, HandWrittenFilesWithCommasOrOneNumberALineLoadTheSame) {
    std::string commas, lines;
    for (int k = 1; k <= 26; ++k) {
        commas += std::to_string(k % 5 - 2) + (k < 26 ? "," : "\n");
        lines += std::to_string(k % 5 - 2) + "\n";
    }
    writeBytes(dir / "virgul.mkm", commas);
    writeBytes(dir / "satir.mkm", lines);
    for (const char* file : {"virgul.mkm", "satir.mkm"}) {
        st().mandalPos = PerString16{};
        handlers->File2_Click(file);
        for (int k = 1; k <= 26; ++k)
            EXPECT_EQ(st().mandalPos[k], k % 5 - 2) << file << " " << k;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Makam, LoadingSwitchesToTheUntransposedViewAndTheReferenceLevelFirst) {
    controls.option5 = 2;
    controls.option1 = 3;
    controls.file2Shown = true;
    writeBytes(dir / "rast.mkm", makamFileText(samplePositions()));
    handlers->File2_Click("rast.mkm");
    EXPECT_EQ(controls.calls, (Calls{"Option5 1", "Option1 5"}));
    EXPECT_FALSE(controls.file2Shown);
    EXPECT_GE(controls.focusGiven, 1);

    // Already there: nothing is selected again.
    controls.calls.clear();
    handlers->File2_Click("rast.mkm");
    EXPECT_TRUE(controls.calls.empty());
}

TEST_F(Makam, EveryStringIsRewrittenAndTheSelectedOneRedrawnRightAfterItsValue) {
    st().currentString = 3;
    writeBytes(dir / "rast.mkm", makamFileText(samplePositions()));
    handlers->File2_Click("rast.mkm");
    Calls expected;
    for (int k = 1; k <= 26; ++k) {
        expected.push_back("arıza_yaz " + std::to_string(k));
        if (k == 3) expected.insert(expected.end(), {"mandal_at", "porte", "etiket"});
    }
    EXPECT_EQ(view.calls, expected);
}

TEST_F(Makam, AFaultyFileKeepsTheStringsReadBeforeTheFault) {
    struct Case {
        const char* text;
        int goodStrings;
    };
    const Case cases[] = {
        {"1\n2\n3\n", 3},    // too few numbers
        {"1,2,x,4", 2},      // not a number
        {"1,2.5,3", 1},      // not a whole number
        {"0,0,0,0,11,0", 4}, // string 5 reaches only 10
        {"-6", 0},           // string 1 reaches only -5
        {"", 0},             // empty file
    };
    for (const Case& c : cases) {
        st().mandalPos.fill(9);
        messages.shown.clear();
        writeBytes(dir / "bozuk.mkm", c.text);
        handlers->File2_Click("bozuk.mkm");
        EXPECT_EQ(messages.shown, (Calls{"makam dosyasından kaynaklanan bir hata oluştu"}))
            << c.text;
        for (int k = 1; k <= c.goodStrings; ++k)
            EXPECT_NE(st().mandalPos[k], 9) << c.text << " " << k;
        for (int k = c.goodStrings + 1; k <= 26; ++k)
            EXPECT_EQ(st().mandalPos[k], 9) << c.text << " " << k;
    }
    // A file that is not there at all.
    messages.shown.clear();
    handlers->File2_Click("yok.mkm");
    EXPECT_EQ(messages.shown, (Calls{"makam dosyasından kaynaklanan bir hata oluştu"}));
    EXPECT_EQ(controls.text1, "yok");
}

TEST_F(Makam, TheNameBoxDropsTheLastFourCharactersCountedAsLetters) {
    writeBytes(dir / "uşşak.mkm", makamFileText(samplePositions()));
    handlers->File2_Click("uşşak.mkm");
    EXPECT_EQ(controls.text1, "uşşak");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(st().mandalPos[1], -5);
}

TEST(MakamRead, PositionsAreHandedOverInStringOrder) {
    InstrumentState ranges;
    for (int k = 1; k <= 26; ++k) {
        ranges.mandalMin[k] = static_cast<std::int16_t>(mandalMinOf(k));
        ranges.mandalMax[k] = static_cast<std::int16_t>(mandalMaxOf(k));
    }
    std::vector<int> order;
    readMakamPositions(makamFileText(samplePositions()), "x.mkm", ranges,
                       [&](int k, std::int16_t) { order.push_back(k); });
    ASSERT_EQ(order.size(), 26u);
    for (int k = 1; k <= 26; ++k)
        EXPECT_EQ(order[k - 1], k);
    // Extra numbers after the 26th are not read.
    EXPECT_NO_THROW(readMakamPositions(makamFileText(samplePositions()) + "junk", "x.mkm", ranges,
                                       [](int, std::int16_t) {}));
}

} // namespace
} // namespace zembera
