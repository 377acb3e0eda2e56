#include "files/makam_file.h"

#include <gtest/gtest.h>

#include "files/makam_handlers.h"
#include "files/makam_list.h"
#include "files/melody_file.h"
#include "files/melody_handlers.h"
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

// The melody files.

// The fields the player reads: tuplet, note, duration code, file mandal, dot, condition.
MelodyRecord note(std::int16_t tuplet, std::int16_t n, std::int16_t code, std::int16_t mandal = 0,
                  std::int16_t dot = 0, std::int16_t condition = 0) {
    return {{tuplet, n, code, mandal, dot, 0, 0, 0, 0, condition}};
}

// The rules of a melody record as one dump: the length of each duration code plain, dotted and
// in a triplet, after a previous length of 24 units; the rest lengths; the step, string and
// mandal of every note number; the mandal each mode gives for each shift.
TEST(MelodyRecords, LengthsStepsStringsAndMandals) {
    std::ostringstream out;
    for (int code : {-32768, 0, 1, 2, 3, 4, 5, 6, 7}) {
        out << "kod " << code << ":";
        for (int tuplet : {0, 1, 3, -1}) {
            for (int dot : {0, 1, 2})
                out << ' ' << noteUnits(note(tuplet, 0, code, 0, dot), 24);
        }
        out << '\n';
    }
    const char* steps[] = {"atla", "es", "nota"};
    for (int n : {-32768, -1, 0, 1, 13, 14, 15, 25, 26, 31, 32, 32767}) {
        out << "nota " << n << ": " << steps[static_cast<int>(melodyStep(note(0, n, 3)))] << " / "
            << steps[static_cast<int>(melodyStep(note(0, n, 0)))];
        if (n >= 0 && n <= 25) out << ", tel " << noteString(n);
        if (n >= 26 && n <= 31) out << ", es " << restUnits(n);
        out << '\n';
    }
    for (int shift = -3; shift <= 4; ++shift) {
        out << "kaydırma " << shift << ":";
        for (auto mode : {MandalMode::çalgı, MandalMode::şartlı, MandalMode::dosya}) {
            for (int condition : {0, 1})
                out << ' ' << melodyMandal(mode, note(0, 5, 3, 2, 0, condition), -4, shift);
        }
        out << '\n';
    }
    test::expectGolden("files/melody_records.txt", out.str());
    // Ten fields wherever the lines break.
    FieldReader r("0,1,3\n4 5\r\n6,7,8,9,1\n2,26,0,0,0,0,0,0,0,0", "x.ses");
    EXPECT_EQ(readMelodyRecord(r).fields,
              (std::array<std::int16_t, 10>{0, 1, 3, 4, 5, 6, 7, 8, 9, 1}));
    EXPECT_EQ(readMelodyRecord(r).note(), 26);
    EXPECT_TRUE(r.atEnd());
    FieldReader tooBig("0,40000,3,0,0,0,0,0,0,0", "x.ses");
    EXPECT_THROW(readMelodyRecord(tooBig), FormatError);
}

class Melody : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        handlers = std::make_unique<MelodyHandlers>(*parts);
        st().vscrollValue = 40;
        controls.melodyNameBox = "ezgi";
    }
    void writeMelody(std::initializer_list<MelodyRecord> records, const std::string& tail = "") {
        std::string text;
        for (const MelodyRecord& r : records) {
            for (std::size_t i = 0; i < 10; ++i)
                text += std::to_string(r.fields[i]) + (i < 9 ? "," : "\r\n");
        }
        test::writeBytes(dir / "ezgi.ses", text + tail);
    }
    std::unique_ptr<MelodyHandlers> handlers;
};

// Each scenario as an approved dump of the sounds on the fake clock, the redraws, the staff, the
// counter, the messages and the controls after it.
TEST_F(Melody, NotesSoundTheirLengthWhileRestsSkipsAndCodeZeroAreOnlyCounted) {
    controls.melodyMode = 1; // çalgı: the instrument's own mandal
    st().mandalPos[4] = -3;
    writeMelody({note(0, 28, 3),      // rest of 8 units
                 note(0, 5, 0),       // code 0
                 note(0, 32, 3),      // not a note
                 note(0, 15, 9),      // previous length: the rest's 8 units, on string 12
                 note(0, 0, 3),       // a quarter of 16 units on string 4
                 note(0, 3, 5, 0, 1), // tempo read at every note: 6 units at 60 ms
                 note(0, 3, 8)});
    onEvents = [&] {
        if (controls.counters.size() == 6) st().vscrollValue = 60;
    };
    handlers->aç_kapa_buton_Click();
    std::string dump = transcript("40 ms, tempo 60 ms at the sixth record");
    writeMelody({note(0, 3, 7), note(0, 3, 6)});
    handlers->yürüt10();
    dump += transcript("the first note with an unknown code lasts nothing");

    // The modes choose the mandal and the shift moves the string.
    st().mandalPos[10] = 1;
    st().mandalPos[11] = -2;
    program->tuning.ahenkShift = 1;
    writeMelody({note(0, 5, 5, 2, 0, 1), // string 9 + 1, marked
                 note(0, 6, 5, 3, 0, 0), // string 10 + 1
                 note(0, 0, 6, 11)});    // string 4 + 1 reaches only 10
    for (int mode : {1, 2, 3}) {
        controls.melodyMode = mode;
        handlers->yürüt10();
        dump += transcript("shift 1, mode " + std::to_string(mode));
        EXPECT_EQ(st().mandalPos[10], 1);
        EXPECT_EQ(st().mandalPos[11], -2);
    }
    test::expectGolden("files/melody_play.txt", dump);
}

TEST_F(Melody, FaultyOrMissingFilesFailWithTheMessageAfterTheCompleteRecordsPlayed) {
    writeMelody({note(0, 1, 6), note(0, 2, 6)}, "0,3,6,0\r\n");
    std::array<bool, kWindowFrames> framesWhilePlaying{};
    onEvents = [&] {
        if (controls.caption == "0") framesWhilePlaying = controls.frames;
    };
    handlers->yürüt10();
    EXPECT_EQ(framesWhilePlaying, (std::array{false, false, false, false, true, false, false}));
    std::string dump = transcript("a record cut short");
    for (const char* name : {"", "yok", "../ezgi", "a/b"}) {
        controls.melodyNameBox = name;
        handlers->aç_kapa_buton_Click();
        dump += transcript(std::string("name \"") + name + "\"");
    }
    // A whole note of 2560 ms, cut by a click 1000 ms after its onset.
    writeMelody({note(0, 1, 1), note(0, 2, 6), note(0, 3, 6)});
    controls.melodyNameBox = "ezgi";
    onEvents = [&] {
        if (!sound.events.empty() && clock.now >= sound.events[0].at + 1000 &&
            controls.caption != ">")
            handlers->aç_kapa_buton_Click();
    };
    handlers->aç_kapa_buton_Click();
    dump += transcript("start/stop clicked during the first note");
    test::expectGolden("files/melody_faults.txt", dump);
}

} // namespace
} // namespace zembera
