#include "files/makam_file.h"

#include <gtest/gtest.h>

#include "files/makam_handlers.h"
#include "files/makam_list.h"
#include "files_rig.h"
#include "support/golden.h"

namespace zembera {
namespace {

using test::Calls;
using test::fileBytes;
using test::writeBytes;

// 26 positions (string 0 unused) within every string's range, negative ones included.
const PerString16 kSample = {0, -5, 6, 8, -1, -7, 10, 5, -8, 0,  12, -1, 7, -6,
                             6, -7, 0, 3, -1, 0,  -3, 6, 11, -8, 2,  -1, 12};

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

// The file saved (each position on a line, an old file replaced without asking) and the names
// listed after saving under any name the file system takes (hidden files and other extensions
// aside; 240 characters and ".mkm" are 244 of the 255 bytes a name may have), as one approved
// dump with a list of names in the Turkish order; then loading them back and a folder in the way.
TEST_F(Makam, SaveWritesEachPositionOnALineAndLoadBringsThemBackWithTheName) {
    PerString16 p{0, 3, -2, 8};
    p[26] = -8;
    st().mandalPos = p;
    writeBytes(dir / "Uşşak.mkm", "old content that is longer than the new one ...\r\n");
    save("Uşşak");
    std::string dump = fileBytes(dir / "Uşşak.mkm");
    const std::string longName(240, 'k');
    writeBytes(dir / ".gizli.mkm", "");
    writeBytes(dir / "RAST.MKM", makamFileText(kSample));
    st().mandalPos = kSample;
    for (const std::string& name : {longName, std::string("a.b"), std::string(" x..")})
        save(name);
    for (const std::string& name : makamFileNames(dir))
        dump += "[" + name + "]\n";
    // The Turkish order, capitals beside small letters.
    std::vector<std::string> names{"şehnaz",  "Uşşak", "irak", "Çargah", "ısfahan", "segah",
                                   "Bayati",  "cez",   "ırak", "Irak",   "acem",    "Zirgüle",
                                   "İsfahan", "dügah", "saba", "Acem",   "rast 10", "rast 2"};
    sortTurkish(names);
    for (const std::string& name : names)
        dump += name + " ";
    test::expectGolden("files/makam_save.txt", dump);
    EXPECT_TRUE(messages.shown.empty() && messages.asked.empty());
    EXPECT_EQ(controls.makamListRefreshes, 4);
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

// Loading as one approved dump: for each file, the window's selections, the positions read and
// the redraws and messages.
TEST_F(Makam, LoadingSwitchesToTheReferenceViewAndAFaultKeepsTheStringsReadBeforeIt) {
    std::string commas, lines;
    for (int k = 1; k <= 26; ++k) {
        commas += std::to_string(kSample[k]) + (k < 26 ? "," : "\n");
        lines += std::to_string(kSample[k]) + "\n";
    }
    const std::pair<std::string, std::string> files[] = {
        {"virgul.mkm", commas},             // from the transposed view at another level
        {"satir.mkm", lines + "99 junk\n"}, // nothing after the 26th number is read
        {"satir.mkm", lines},               // with the degree-shift bar at 4
        {"eksik.mkm", "1\n2\n3\n"},         // too few numbers
        {"harf.mkm", "1\r\n2\r\nüç"},       // not a number
        {"kesir.mkm", "1,2.5,3"},           // not a whole number
        {"uzun.mkm", "0,0,0,0,11,0"},       // string 5 reaches only 10
        {"alt.mkm", "-6"},                  // string 1 reaches only -5
        {"bos.mkm", ""},                    // empty file
        {"yok.mkm", ""},                    // no such file
    };
    controls.settingSwitch = 2;
    controls.pitchLevel = 3;
    controls.makamListShown = true;
    st().currentString = 3;
    std::string dump;
    for (const auto& [name, text] : files) {
        if (name != "yok.mkm") writeBytes(dir / name, text);
        if (text == lines) controls.hscroll = 4;
        st().mandalPos.fill(9);
        handlers->makamListClick(name);
        std::string title = name + ": seçim";
        for (const std::string& call : controls.calls)
            title += " [" + call + "]";
        title += std::string(", liste ") + (controls.makamListShown ? "açık" : "kapalı") +
                 ", kutu " + controls.makamNameBox + "\nmandallar:";
        for (int k = 1; k <= 26; ++k)
            title += ' ' + std::to_string(st().mandalPos[k]);
        controls.calls.clear();
        dump += transcript(title);
    }
    EXPECT_GE(controls.focusGiven, 1);
    test::expectGolden("files/makam_load.txt", dump);
}

} // namespace
} // namespace zembera
