#include "files/makam_file.h"

#include <gtest/gtest.h>

#include "files/makam_handlers.h"
#include "files/makam_list.h"
#include "files_rig.h"

namespace zembera {
namespace {

using test::Calls;
using test::fileBytes;
using test::writeBytes;

// 26 positions (string 0 unused) within every string's range, negative ones included.
const PerString16 kSample = {0, -5, 6, 8, -1, -7, 10, 5, -8, 0,  12, -1, 7, -6,
                             6, -7, 0, 3, -1, 0,  -3, 6, 11, -8, 2,  -1, 12};

TEST(MakamText, EachPositionOnItsOwnLineAsTheToolkitPrintsIt) {
    PerString16 p{};
    p[1] = 3;
    p[2] = -2;
    p[3] = 12;
    p[26] = -8;
    std::string expected = " 3 \r\n-2 \r\n 12 \r\n";
    for (int k = 4; k <= 25; ++k)
        expected += " 0 \r\n";
    EXPECT_EQ(makamFileText(p), expected + "-8 \r\n");
}

TEST(MakamName, EmptySeparatorsAndLeadingDotsAreRefused) {
    EXPECT_EQ(makamNameProblem(""), std::optional<std::string>("bir makam ismi girin"));
    for (const char* bad : {"../rast", "a/b", "a\\b", "/tmp/x"})
        EXPECT_EQ(makamNameProblem(bad), std::optional<std::string>(kMakamNameRefused)) << bad;
    for (const char* hidden : {"..", ".", "...", ".x"})
        EXPECT_EQ(makamNameProblem(hidden), std::optional<std::string>(kMakamNameHidden)) << hidden;
    // Taken as typed otherwise: blanks, dots inside and Turkish letters are fine.
    for (const char* good : {"rast", " uşşak ", "hicaz..2", "x.", "Hüzzam"})
        EXPECT_FALSE(makamNameProblem(good)) << good;
}

TEST(MakamList, TurkishOrderWithCapitalsBesideSmallLetters) {
    std::vector<std::string> names{"şehnaz",  "Uşşak", "irak", "Çargah", "ısfahan", "segah",
                                   "Bayati",  "cez",   "ırak", "Irak",   "acem",    "Zirgüle",
                                   "İsfahan", "dügah", "saba", "Acem",   "rast 10", "rast 2"};
    sortTurkish(names);
    EXPECT_EQ(names,
              (std::vector<std::string>{"acem", "Acem", "Bayati", "cez", "Çargah", "dügah", "ırak",
                                        "Irak", "ısfahan", "irak", "İsfahan", "rast 2", "rast 10",
                                        "saba", "segah", "şehnaz", "Uşşak", "Zirgüle"}));
}

class Makam : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        handlers = std::make_unique<MakamHandlers>(*parts);
    }
    int entriesInFolder() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
            ++n;
        return n;
    }
    std::unique_ptr<MakamHandlers> handlers;
};

TEST_F(Makam, SaveWritesTheExactBytesAndLoadBringsBackAllPositionsAndTheName) {
    st().mandalPos = kSample;
    controls.makamNameBox = "Uşşak";
    handlers->save_buton_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(controls.makamListRefreshes, 1);
    EXPECT_EQ(fileBytes(dir / "Uşşak.mkm"), makamFileText(kSample));

    st().mandalPos = PerString16{};
    controls.makamNameBox.clear();
    handlers->makamListClick("Uşşak.mkm");
    EXPECT_TRUE(messages.shown.empty());
    // The name box drops the last four characters, counted as letters, not bytes.
    EXPECT_EQ(controls.makamNameBox, "Uşşak");
    EXPECT_EQ(st().mandalPos, kSample);
}

TEST_F(Makam, AnyNameTheFileSystemTakesIsSavedAndListed) {
    // 240 characters and ".mkm": 244 of the 255 bytes a name may have.
    const std::string longName(240, 'k');
    writeBytes(dir / ".gizli.mkm", "");
    writeBytes(dir / "RAST.MKM", makamFileText(kSample));
    for (const std::string& name : {longName, std::string("a.b"), std::string("x.")}) {
        controls.makamNameBox = name;
        st().mandalPos = kSample;
        handlers->save_buton_Click();
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(makamFileNames(dir),
              (std::vector<std::string>{"a.b.mkm", longName + ".mkm", "RAST.MKM", "x..mkm"}));
    st().mandalPos = PerString16{};
    handlers->makamListClick(longName + ".mkm");
    EXPECT_EQ(st().mandalPos, kSample);
    EXPECT_EQ(controls.makamNameBox, longName);
}

TEST_F(Makam, SavingReplacesAnOldFileWithoutAskingAndAFailedSaveSaysSo) {
    writeBytes(dir / "rast.mkm", "old content that is longer than the new one ...\r\n");
    controls.makamNameBox = "rast";
    st().mandalPos[5] = 4;
    handlers->save_buton_Click();
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(fileBytes(dir / "rast.mkm"), makamFileText(st().mandalPos));
    EXPECT_EQ(entriesInFolder(), 3); // Dizek.txt, wavs and rast.mkm: no scratch file left

    // A folder in the way: the rename cannot replace it.
    std::filesystem::create_directory(dir / "blocked.mkm");
    controls.makamNameBox = "blocked";
    handlers->save_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{"makam dosyası yazılamadı: blocked.mkm"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked.mkm"));
    EXPECT_EQ(entriesInFolder(), 4); // no temporary file left behind
}

TEST_F(Makam, NamesOutsideTheProgramFolderAndEmptyNamesWriteNothing) {
    std::filesystem::create_directories(dir / "sub");
    for (const char* name : {"../escape", "sub/inner", "..", ".x", ""}) {
        controls.makamNameBox = name;
        handlers->save_buton_Click();
    }
    EXPECT_EQ(messages.shown, (Calls{kMakamNameRefused, kMakamNameRefused, kMakamNameHidden,
                                     kMakamNameHidden, "bir makam ismi girin"}));
    EXPECT_FALSE(std::filesystem::exists(dir / ".x.mkm"));
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "escape.mkm"));
    EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "inner.mkm"));
    EXPECT_EQ(controls.makamListRefreshes, 0);
}

TEST_F(Makam, HandWrittenFilesWithCommasOrOneNumberALineLoadTheSame) {
    std::string commas, lines;
    for (int k = 1; k <= 26; ++k) {
        commas += std::to_string(k % 5 - 2) + (k < 26 ? "," : "\n");
        lines += std::to_string(k % 5 - 2) + "\n";
    }
    writeBytes(dir / "virgul.mkm", commas);
    writeBytes(dir / "satir.mkm", lines + "99 junk\n"); // nothing after the 26th is read
    for (const char* file : {"virgul.mkm", "satir.mkm"}) {
        st().mandalPos = PerString16{};
        handlers->makamListClick(file);
        for (int k = 1; k <= 26; ++k)
            EXPECT_EQ(st().mandalPos[k], k % 5 - 2) << file << " " << k;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Makam, LoadingSwitchesToTheReferenceViewThenRewritesEveryStringInOrder) {
    controls.settingSwitch = 2;
    controls.pitchLevel = 3;
    controls.makamListShown = true;
    st().currentString = 3;
    writeBytes(dir / "rast.mkm", makamFileText(kSample));
    handlers->makamListClick("rast.mkm");
    EXPECT_EQ(controls.calls, (Calls{"settingSwitch 1", "pitchLevelButtons 5"}));
    EXPECT_FALSE(controls.makamListShown);
    EXPECT_GE(controls.focusGiven, 1);
    // The selected string is redrawn right after its value.
    Calls expected;
    for (int k = 1; k <= 26; ++k) {
        expected.push_back("arıza_yaz " + std::to_string(k));
        if (k == 3) expected.insert(expected.end(), {"mandal_at", "porte", "etiket"});
    }
    EXPECT_EQ(view.calls, expected);

    // Already there: nothing is selected again.
    controls.calls.clear();
    handlers->makamListClick("rast.mkm");
    EXPECT_TRUE(controls.calls.empty());
    // At the reference level a degree shift still goes back to 0.
    controls.hscroll = 4;
    handlers->makamListClick("rast.mkm");
    EXPECT_EQ(controls.calls, (Calls{"degreeShiftBar 0"}));
}

TEST_F(Makam, AFaultyFileKeepsTheStringsReadBeforeTheFault) {
    struct Case {
        const char* text;
        int goodStrings;
    };
    // The second line names the file, the line and the reason.
    writeBytes(dir / "bozuk.mkm", "1\r\n2\r\nüç\r\n");
    handlers->makamListClick("bozuk.mkm");
    EXPECT_EQ(messages.shown,
              (Calls{"makam dosyasından kaynaklanan bir hata oluştu\nbozuk.mkm dosyasının 3. "
                     "satırında hata: mandal konumu için sayı bekleniyordu, \"üç\" bulundu"}));

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
        handlers->makamListClick("bozuk.mkm");
        ASSERT_EQ(messages.shown.size(), 1u) << c.text;
        EXPECT_TRUE(messages.shown[0].starts_with(
            "makam dosyasından kaynaklanan bir hata oluştu\nbozuk.mkm dosyasının "))
            << messages.shown[0];
        for (int k = 1; k <= 26; ++k)
            EXPECT_EQ(st().mandalPos[k] != 9, k <= c.goodStrings) << c.text << " " << k;
    }
    // A file that is not there at all.
    messages.shown.clear();
    handlers->makamListClick("yok.mkm");
    EXPECT_EQ(messages.shown, (Calls{"makam dosyasından kaynaklanan bir hata oluştu\n"
                                     "yok.mkm dosyasının 1. satırında hata: dosya açılamadı"}));
    EXPECT_EQ(controls.makamNameBox, "yok");
}

} // namespace
} // namespace zembera
