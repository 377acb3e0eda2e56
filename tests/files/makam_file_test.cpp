#include "files/makam_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "files/makam_handlers.h"
#include "files/makam_list.h"
#include "files_rig.h"

namespace zembera {
namespace {

using test::Calls;
using test::fileBytes;
using test::writeBytes;
using ::testing::ElementsAre;
using ::testing::StartsWith;

// 26 positions (string 0 unused) within every string's range, negative ones included.
const PerString16 kSample = {0, -5, 6, 8, -1, -7, 10, 5, -8, 0,  12, -1, 7, -6,
                             6, -7, 0, 3, -1, 0,  -3, 6, 11, -8, 2,  -1, 12};

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
    void save(const std::string& name) {
        controls.makamNameBox = name;
        handlers->save_buton_Click();
    }
    std::unique_ptr<MakamHandlers> handlers;
};

TEST_F(Makam, SaveWritesEachPositionOnALineAndLoadBringsThemBackWithTheName) {
    PerString16 p{0, 3, -2, 8};
    p[26] = -8;
    std::string expected = " 3 \r\n-2 \r\n 8 \r\n";
    for (int k = 4; k <= 25; ++k)
        expected += " 0 \r\n";
    st().mandalPos = p;
    writeBytes(dir / "Uşşak.mkm", "old content that is longer than the new one ...\r\n");
    save("Uşşak"); // an old file is replaced without asking
    EXPECT_EQ(fileBytes(dir / "Uşşak.mkm"), expected + "-8 \r\n");
    EXPECT_TRUE(messages.asked.empty());

    // Any name the file system takes, hidden files and other extensions aside; 240 characters
    // and ".mkm" are 244 of the 255 bytes a name may have.
    const std::string longName(240, 'k');
    writeBytes(dir / ".gizli.mkm", "");
    writeBytes(dir / "RAST.MKM", makamFileText(kSample));
    st().mandalPos = kSample;
    for (const std::string& name : {longName, std::string("a.b"), std::string(" x..")})
        save(name);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(controls.makamListRefreshes, 4);
    EXPECT_EQ(makamFileNames(dir),
              (std::vector<std::string>{" x...mkm", "a.b.mkm", longName + ".mkm", "RAST.MKM",
                                        "Uşşak.mkm"}));
    // The name box drops the last four characters, counted as letters, not bytes.
    for (const std::string& name : {std::string("Uşşak"), longName}) {
        st().mandalPos = PerString16{};
        handlers->makamListClick(name + ".mkm");
        EXPECT_EQ(controls.makamNameBox, name);
        EXPECT_EQ(st().mandalPos, name == longName ? kSample : p);
    }
    EXPECT_TRUE(messages.shown.empty());
    const auto entries = [&] {
        return std::ranges::distance(std::filesystem::directory_iterator(dir));
    };
    const auto before = entries();

    // A folder in the way: the rename cannot replace it, and no scratch file is left.
    std::filesystem::create_directory(dir / "blocked.mkm");
    save("blocked");
    EXPECT_EQ(messages.shown, (Calls{"makam dosyası yazılamadı: blocked.mkm"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked.mkm"));
    EXPECT_EQ(entries(), before + 1);
}

TEST_F(Makam, NamesOutsideTheProgramFolderHiddenOrEmptyWriteNothing) {
    std::filesystem::create_directories(dir / "sub");
    const Calls names = {"../escape", "a\\b", "sub/inner", "/tmp/x", "..", ".", ".x", ""};
    for (const std::string& name : names)
        save(name);
    EXPECT_EQ(messages.shown, (Calls{kMakamNameRefused, kMakamNameRefused, kMakamNameRefused,
                                     kMakamNameRefused, kMakamNameHidden, kMakamNameHidden,
                                     kMakamNameHidden, "bir makam ismi girin"}));
    for (const auto& file : {dir / ".x.mkm", dir.parent_path() / "escape.mkm",
                             dir / "sub" / "inner.mkm", std::filesystem::path("/tmp/x.mkm")})
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    EXPECT_EQ(controls.makamListRefreshes, 0);
}

TEST_F(Makam, LoadingSwitchesToTheReferenceViewThenRewritesEveryStringInOrder) {
    controls.settingSwitch = 2;
    controls.pitchLevel = 3;
    controls.makamListShown = true;
    st().currentString = 3;
    // Hand-written files with commas or one number a line load the same; nothing after the
    // 26th number is read.
    std::string commas, lines;
    for (int k = 1; k <= 26; ++k) {
        commas += std::to_string(kSample[k]) + (k < 26 ? "," : "\n");
        lines += std::to_string(kSample[k]) + "\n";
    }
    writeBytes(dir / "virgul.mkm", commas);
    writeBytes(dir / "satir.mkm", lines + "99 junk\n");
    handlers->makamListClick("virgul.mkm");
    EXPECT_EQ(st().mandalPos, kSample);
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

    // Already there: nothing is selected again, but a degree shift still goes back to 0.
    controls.calls.clear();
    st().mandalPos = PerString16{};
    handlers->makamListClick("satir.mkm");
    EXPECT_EQ(st().mandalPos, kSample);
    EXPECT_TRUE(controls.calls.empty());
    controls.hscroll = 4;
    handlers->makamListClick("satir.mkm");
    EXPECT_EQ(controls.calls, (Calls{"degreeShiftBar 0"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Makam, AFaultyFileKeepsTheStringsReadBeforeTheFault) {
    const struct {
        const char* text;
        int goodStrings;
    } cases[] = {
        {"1\n2\n3\n", 3},    // too few numbers
        {"1\r\n2\r\nüç", 2}, // not a number
        {"1,2.5,3", 1},      // not a whole number
        {"0,0,0,0,11,0", 4}, // string 5 reaches only 10
        {"-6", 0},           // string 1 reaches only -5
        {"", 0},             // empty file
    };
    for (const auto& c : cases) {
        st().mandalPos.fill(9);
        messages.shown.clear();
        writeBytes(dir / "bozuk.mkm", c.text);
        handlers->makamListClick("bozuk.mkm");
        EXPECT_THAT(messages.shown, ElementsAre(StartsWith("makam dosyasından kaynaklanan bir hata "
                                                           "oluştu\nbozuk.mkm dosyasının ")));
        for (int k = 1; k <= 26; ++k)
            EXPECT_EQ(st().mandalPos[k] != 9, k <= c.goodStrings) << c.text << " " << k;
    }
    // The second line names the file, the line and the reason.
    messages.shown.clear();
    writeBytes(dir / "bozuk.mkm", "1\r\n2\r\nüç\r\n");
    handlers->makamListClick("bozuk.mkm");
    handlers->makamListClick("yok.mkm");
    EXPECT_EQ(messages.shown,
              (Calls{"makam dosyasından kaynaklanan bir hata oluştu\nbozuk.mkm dosyasının 3. "
                     "satırında hata: mandal konumu için sayı bekleniyordu, \"üç\" bulundu",
                     "makam dosyasından kaynaklanan bir hata oluştu\n"
                     "yok.mkm dosyasının 1. satırında hata: dosya açılamadı"}));
    EXPECT_EQ(controls.makamNameBox, "yok");
}

} // namespace
} // namespace zembera
