// The makam, recording and melody files and their handlers over a loaded program folder.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/safe_write.h"
#include "files/makam_file.h"
#include "files/makam_handlers.h"
#include "files/makam_list.h"
#include "files/melody_file.h"
#include "files/melody_handlers.h"
#include "files/player_steps.h"
#include "files/record_file.h"
#include "files/record_handlers.h"
#include "files/text_file.h"
#include "files_rig.h"
#include "instrument/instrument_player.h"

namespace zembera {
namespace {

using test::fileBytes;
using test::writeBytes;

// 26 positions (string 0 unused) within every string's range, negative ones included.
const PerString<std::int16_t> kSample = {0, -5, 6, 8, -1, -7, 10, 5, -8, 0,  12, -1, 7, -6,
                                         6, -7, 0, 3, -1, 0,  -3, 6, 11, -8, 2,  -1, 12};

using Makam = test::FilesRig;

// A file saved over an old one (each mandal a line: its sign or a blank, the number, a blank), the
// names listed after odd names saved (240 characters, dots, blanks), the Turkish order, the names
// refused, and loading bad files, which change nothing (not the name box, the view, the pitch
// level or the shift), then good ones.
TEST_F(Makam, SavedFilesAreListedBadNamesRefusedAndAFaultChangesNothing) {
    MakamHandlers handlers(*parts);
    const auto save = [&](const std::string& name) {
        controls.makamNameBox = name;
        handlers.save_buton_Click();
    };
    PerString<std::int16_t> p{0, 3, -2, 8};
    p[26] = -8;
    st().mandalPos = p;
    writeBytes(dir / "Uşşak.mkm", "old content that is longer than the new one ...\r\n");
    save("Uşşak");
    std::string lines;
    for (int k = 1; k <= 26; ++k)
        lines += (p[k] < 0 ? "-" : " ") + std::to_string(std::abs(p[k])) + " \r\n";
    EXPECT_EQ(fileBytes(dir / "Uşşak.mkm"), lines);
    writeBytes(dir / "RAST.MKM", makamFileText(kSample));
    for (const std::string& name : {std::string(240, 'k'), std::string("a.b"), std::string(" x..")})
        save(name);
    EXPECT_EQ(makamFileNames(dir),
              (std::vector<std::string>{" x...mkm", "a.b.mkm", std::string(240, 'k') + ".mkm",
                                        "RAST.MKM", "Uşşak.mkm"}));
    std::vector<std::string> names{"şehnaz",  "Uşşak", "irak", "Çargah", "ısfahan", "segah",
                                   "Bayati",  "cez",   "ırak", "Irak",   "acem",    "Zirgüle",
                                   "İsfahan", "dügah", "saba", "Acem",   "rast 10", "rast 2"};
    sortTurkish(names);
    EXPECT_EQ(names,
              (std::vector<std::string>{"acem", "Acem", "Bayati", "cez", "Çargah", "dügah", "ırak",
                                        "Irak", "ısfahan", "irak", "İsfahan", "rast 2", "rast 10",
                                        "saba", "segah", "şehnaz", "Uşşak", "Zirgüle"}));
    // Only the existing file was asked about.
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(messages.asked, std::vector<std::string>{"Uşşak.mkm var; yerine yazılsın mı?"});
    // A folder in the way of the file cannot be replaced.
    std::filesystem::create_directory(dir / "blocked.mkm");
    for (const char* name : {"../escape", "a\\b", "..", ".x", "", "blocked"})
        save(name);
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "escape.mkm"));
    EXPECT_FALSE(std::filesystem::exists(dir / ".x.mkm"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked.mkm"));
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{kMakamNameRefused, kMakamNameRefused, kMakamNameHidden,
                                        kMakamNameHidden, kMakamNameMissing,
                                        "makam dosyası yazılamadı: blocked.mkm\n" +
                                            (dir / "blocked.mkm").string() + ": bir klasör"}));
    std::string commas;
    for (int k = 1; k <= 26; ++k)
        commas += std::to_string(kSample[k]) + (k < 26 ? "," : "\n");
    const std::pair<std::string, std::string> files[] = {
        {"eksik.mkm", "1\n2\n3\n"},         // too few numbers
        {"harf.mkm", "1\r\n2\r\nüç"},       // not a number
        {"kesir.mkm", "1,2.5,3"},           // not a whole number
        {"uzun.mkm", "0,0,0,0,11,0"},       // string 5 reaches only 10
        {"yok.mkm", ""},                    // no such file
        {"virgul.mkm", commas},             // from the transposed view at another level and shift
        {"satir.mkm", lines + "99 junk\n"}, // nothing after the 26th number is read
    };
    const std::string faults[] = {
        "eksik.mkm dosyasının 3. satırında hata: dosya beklenenden önce bitiyor (eksik değer)",
        "harf.mkm dosyasının 3. satırında hata: mandal konumu için sayı bekleniyordu, \"üç\" "
        "bulundu",
        "kesir.mkm dosyasının 1. satırında hata: mandal konumu tam sayı olmalı: \"2.5\"",
        "uzun.mkm dosyasının 1. satırında hata: mandal konumu -7 ile 10 arasında olmalı, \"11\" "
        "bulundu",
        "yok.mkm dosyasında hata: dosya bulunamadı"};
    controls.makamNameBox = "";
    controls.settingSwitch = 2;
    controls.pitchLevel = 3;
    controls.hscroll = 4;
    st().currentString = 3;
    PerString<std::int16_t> nines;
    nines.fill(9);
    nines[0] = 0;
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const auto& [name, text] = files[i];
        SCOPED_TRACE(name);
        if (name != "yok.mkm") writeBytes(dir / name, text);
        st().mandalPos = nines;
        messages.shown.clear();
        view.staff.clear();
        handlers.makamListClick(name);
        const bool good = i >= std::size(faults);
        EXPECT_EQ(messages.shown, good ? test::Calls{} : test::Calls{makamFaultMessage(faults[i])});
        EXPECT_EQ(controls.makamNameBox, good ? name.substr(0, name.size() - 4) : "");
        EXPECT_EQ(std::tuple(controls.settingSwitch, controls.pitchLevel, controls.hscroll),
                  good ? std::tuple(1, 5, 0) : std::tuple(2, 3, 4));
        EXPECT_EQ(st().mandalPos, good ? (i == 5 ? kSample : p) : nines);
        EXPECT_EQ(view.staff,
                  good ? test::Calls{"3/" + std::to_string(st().mandalPos[3])} : test::Calls{});
    }
}

// Saving asks before replacing the user's file and keeps what the user set (a private mode, a
// link); a bundled makam of a shared program folder stays, the user's own going beside it; the
// longest names are saved; a FIFO, a folder or an oversized file is refused at once with its
// reason; a name that is not UTF-8 opens.
TEST_F(Makam, SavingAsksKeepsWhatTheUserSetAndReadingRefusesWhatIsNoFile) {
    namespace fs = std::filesystem;
    MakamHandlers handlers(*parts);
    const auto save = [&](const std::string& name) {
        controls.makamNameBox = name;
        handlers.save_buton_Click();
    };
    st().mandalPos[5] = 4;
    const std::string text = makamFileText(st().mandalPos);
    fs::create_directories(dir / "özel");
    writeBytes(dir / "özel" / "Gizli.mkm", "eski");
    ::chmod((dir / "özel" / "Gizli.mkm").c_str(), 0400);
    fs::create_symlink("özel/Gizli.mkm", dir / "Gizli.mkm");
    messages.answer = false;
    save("Gizli");
    EXPECT_EQ(fileBytes(dir / "özel" / "Gizli.mkm"), "eski");
    messages.answer = true;
    save("Gizli");
    EXPECT_EQ(messages.asked, std::vector<std::string>(2, "Gizli.mkm var; yerine yazılsın mı?"));
    EXPECT_TRUE(fs::is_symlink(dir / "Gizli.mkm"));
    EXPECT_EQ(fileBytes(dir / "özel" / "Gizli.mkm"), text);
    EXPECT_EQ(fs::status(dir / "özel" / "Gizli.mkm").permissions(), fs::perms::owner_read);

    const std::string longest(251, 'u'); // 255 bytes with ".mkm"
    save(longest);
    EXPECT_EQ(fileBytes(dir / (longest + ".mkm")), text);

    const fs::path user = dir / "kullanıcı";
    fs::create_directories(user);
    writeBytes(dir / "Hicaz.mkm", "paketten");
    parts->folders = DataFolders{dir, user};
    messages.asked.clear();
    save("Hicaz");
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_NE(messages.asked[0].find("programla gelen"), std::string::npos);
    EXPECT_EQ(fileBytes(dir / "Hicaz.mkm"), "paketten");
    EXPECT_EQ(fileBytes(user / "Hicaz.mkm"), text);
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_EQ(::mkfifo((user / "boru.mkm").c_str(), 0600), 0);
    fs::create_directories(user / "klasör.mkm");
    { std::ofstream big(user / "dev.mkm"); }
    fs::resize_file(user / "dev.mkm", kTextFileLimit + 1);
    writeBytes(user / "\xDE\xFEk.mkm",
               makamFileText(PerString<std::int16_t>{0, 0, 0, 0, 0, 0, 0, 3}));
    for (const char* name : {"boru.mkm", "klasör.mkm", "dev.mkm", "\xDE\xFEk.mkm"})
        handlers.makamListClick(name);
    EXPECT_EQ(
        messages.shown,
        (std::vector<std::string>{
            makamFaultMessage("boru.mkm dosyasında hata: normal bir dosya değil"),
            makamFaultMessage("klasör.mkm dosyasında hata: bir klasör"),
            makamFaultMessage("dev.mkm dosyasında hata: dosya çok büyük: 16777217 bayt, en çok "
                              "16777216 bayt"),
        }));
    EXPECT_EQ(st().mandalPos[7], 3);
    EXPECT_EQ(controls.makamNameBox, "Şşk");
}

// The melody files.

// The fields the player reads: tuplet, note, duration code, file mandal, dot, condition.
MelodyRecord note(std::int16_t tuplet, std::int16_t n, std::int16_t code, std::int16_t mandal = 0,
                  std::int16_t dot = 0, std::int16_t condition = 0) {
    return {{tuplet, n, code, mandal, dot, 0, 0, 0, 0, condition}};
}

// Ten fields wherever the lines break; a number beyond 16 bits is refused. The lengths, steps,
// strings and mandals of the records: NoteEvents (tests/render), worked out from the definition.
TEST(MelodyRecords, TenFieldsWhereverTheLinesBreak) {
    FieldReader r("0,1,3\n4 5\r\n6,7,8,9,1\n2,26,0,0,0,0,0,0,0,0\n0,40000,3,0,0,0,0,0,0,0",
                  "x.ses");
    EXPECT_EQ(readMelodyRecord(r).fields, (MelodyRecord{{0, 1, 3, 4, 5, 6, 7, 8, 9, 1}}.fields));
    EXPECT_EQ(readMelodyRecord(r).fields, (MelodyRecord{{2, 26, 0, 0, 0, 0, 0, 0, 0, 0}}.fields));
    EXPECT_THROW(readMelodyRecord(r), FormatError);
    EXPECT_EQ(melodyStep(note(0, 32767, 3)), MelodyStep::skip);
    EXPECT_EQ(melodyStep(note(0, -32768, 3)), MelodyStep::skip);
    // Edges of the lengths after a record of 24 units: only a dot of 1 counts, any positive
    // tuplet, a code out of 1..6 the length before.
    const std::array<int, 4> edge[] = {
        {0, 1, 2, 64}, {-1, 4, 0, 8}, {3, 4, 1, 5}, {0, 7, 0, 24}, {0, -32768, 1, 24}};
    for (const auto& [tuplet, code, dot, units] : edge)
        EXPECT_EQ(
            noteUnits(note(static_cast<std::int16_t>(tuplet), 0, static_cast<std::int16_t>(code), 0,
                           static_cast<std::int16_t>(dot)),
                      24),
            units)
            << tuplet << " " << code << " " << dot;
}

using Melody = test::FilesRig;

// Rests, code 0, a tempo moved while playing, an unknown first code, a fault after good records
// and bad names: what each played, how long, and what it said.
TEST_F(Melody, NotesSoundTheirLengthRestsAndCodeZeroAreCountedAndFaultsStopWithAMessage) {
    MelodyHandlers handlers(*parts);
    controls.tempoBar = 40;
    controls.melodyNameBox = "ezgi";
    const auto line = test::melodyLine;
    controls.melodyMode = 1; // çalgı: the instrument's own mandal
    st().mandalPos[4] = -3;
    writeBytes(dir / "ezgi.ses",
               line(28, 3, 0, 0) +             // rest of 8 units
                   line(5, 0, 0, 0) +          // code 0
                   line(32, 3, 0, 0) +         // not a note
                   line(15, 9, 0, 0) +         // previous length: the rest's 8 units, string 12
                   line(0, 3, 0, 0) +          // a quarter of 16 units on string 4
                   "0,3,5,0,1,0,0,0,0,0\r\n" + // tempo read at every note: 6 units at 60 ms
                   line(3, 8, 0, 0));
    // Moved after the fifth record is drawn, before the sixth.
    betweenTicks = [&] {
        if (controls.counters.size() == 5) controls.tempoBar = 60;
    };
    handlers.aç_kapa_buton_Click();
    runPlayer();
    betweenTicks = nullptr;
    // The lengths by the rule: units of the record (or of the one before it) times the tempo read
    // as the record is drawn. Rest 8, then 8 (previous), 16 (quarter), 6 (dotted sixteenth) and 6
    // (previous) units, the last two at 60 ms: 320, 320, 640, 360 and 360 ms.
    std::vector<double> onsets;
    for (const auto& e : sound.events)
        if (e.what.rfind("çal", 0) == 0) onsets.push_back(e.at - mark);
    EXPECT_EQ(onsets, (std::vector<double>{320, 640, 1280, 1640}));
    EXPECT_EQ(clock.now - mark, 2000);
    EXPECT_EQ(sound.plays, (test::Plays{{12, 0}, {4, -3}, {7, 0}, {7, 0}}));
    EXPECT_EQ(controls.counters,
              (test::Calls{"001", "002", "003", "004", "005", "006", "007", "blank"}));
    // Each further run: what it played and how long it took, in the message of its end the
    // reason of the fault.
    const struct {
        std::string records;
        test::Plays plays;
        double ms;
        std::string told;
    } runs[] = {
        // At 60 ms a unit: an unknown first code lasts nothing, code 6 two units; string 5
        // reaches only 10.
        {line(3, 7, 0, 0) + line(3, 6, 0, 0) + line(1, 6, 11, 0), {{7, 0}, {7, 0}}, 240, ""},
        {line(1, 6, 0, 0) + line(2, 6, 0, 0) + "0,3,6,0\r\n",
         {{5, 0}, {6, 0}},
         240,
         "ezgi.ses dosyasının 3. satırında hata: dosya beklenenden önce bitiyor (eksik değer)"},
    };
    controls.melodyMode = 3; // dosya: the file mandal
    for (const auto& run : runs) {
        writeBytes(dir / "ezgi.ses", run.records);
        sound.plays.clear();
        messages.shown.clear();
        const double start = clock.now;
        handlers.yürüt10();
        runPlayer();
        EXPECT_EQ(sound.plays, run.plays);
        EXPECT_EQ(clock.now - start, run.ms);
        EXPECT_EQ(messages.shown.empty(), run.told.empty());
        for (const std::string& m : messages.shown)
            EXPECT_NE(m.find(run.told), std::string::npos) << m;
        EXPECT_TRUE(finished());
    }
    for (const std::string name : {"", "../ezgi"}) {
        controls.melodyNameBox = name;
        messages.shown.clear();
        handlers.aç_kapa_buton_Click();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].find(name + ".ses dosyasında hata: dosya adı geçersiz"),
                  std::string::npos);
        EXPECT_TRUE(finished());
    }
}

// A piece gives every onset before a faulty record, then ends with the fault and reads no
// further. The settings are asked as each record is read, a skipped one too, and those of that
// moment apply (the player shows its counter and reads its tempo then).
TEST(FilePieces, OnsetsBeforeAFaultAreAllGivenThenTheFaultAndNothingMore) {
    // Code 3 lasts 16 units, code 4 eight; code 0 skips its record.
    FilePiece melody(FilePiece::Kind::melody,
                     test::melodyLine(8, 3) + test::melodyLine(8, 0) + test::melodyLine(9, 4) +
                         "0,1,3,0,0,0,0,0,0,x\r\n" + test::melodyLine(10, 3),
                     "kırık.ses");
    int asked = 0;
    std::vector<int> counted;
    const auto settingsNow = [&] {
        counted.push_back(melody.records());
        PlayerSettings settings;
        settings.unitMs = 10 * ++asked;
        return settings;
    };
    std::vector<std::string> steps;
    while (const auto step = melody.next(settingsNow))
        steps.push_back(std::to_string(step->shown.string) + " " + std::to_string(step->lengthMs));
    EXPECT_EQ(steps, (std::vector<std::string>{"12 " + std::to_string(16 * 10.0),
                                               "13 " + std::to_string(8 * 30.0)}));
    EXPECT_EQ(counted, (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(melody.fault());
    EXPECT_EQ(melody.fault()->file(), "kırık.ses");
    EXPECT_EQ(melody.fault()->line(), 4);
    EXPECT_FALSE(melody.next(settingsNow));
    EXPECT_EQ(asked, 3);

    // A recording: the string 27 of the third line lies off the instrument.
    FilePiece recording(FilePiece::Kind::recording,
                        recordLine(5, 0, 120) + recordLine(9, 0, 80) + " 27 0 10\r\n" +
                            recordLine(6, 0, 10),
                        "kayıt.txt");
    std::vector<int> strings;
    while (const auto step = recording.next([] { return PlayerSettings{}; }))
        strings.push_back(step->recordedString);
    EXPECT_EQ(strings, (std::vector<int>{5, 9}));
    ASSERT_TRUE(recording.fault());
    EXPECT_EQ(recording.fault()->line(), 3);
    EXPECT_FALSE(recording.next([] { return PlayerSettings{}; }));
    EXPECT_EQ(recording.records(), 2);
}

// A minus sign takes the blank's place at the start of its zone of fourteen.
TEST(RecordFileLines, FieldsInPrintZonesOfFourteen) {
    EXPECT_EQ(recordLine(26, -8, 0),
              " 26" + std::string(11, ' ') + "-8" + std::string(13, ' ') + "0 \r\n");
    EXPECT_EQ(recordLine(1, 12, 2147483647).find("2147483647"), 29u);
}

class Recording : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        handlers = std::make_unique<RecordHandlers>(*parts);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{st(), program->tuning, program->recording, program->tables, sound, view,
                        messages, &handlers->recorder()});
    }
    std::filesystem::path kayit() const { return dir / "wavs" / "kayıt.txt"; }
    // A left click on string s inside its plucking zone.
    void pluck(int s) { player->instrumentMouseDown(kLeftButton, 700, 22 + 15 * (s - 1)); }

    std::unique_ptr<RecordHandlers> handlers;
    std::unique_ptr<InstrumentPlayer> player;
};

// Real-use folder states as rows (writable, full disk, read-only, a second user's folders): three
// plucks recorded over an old recording and a makam saved, each where the row's folders send it;
// where it cannot be written the old recording stays and the message says which file and why.
TEST_F(Recording, FolderStatesKeepThePreviousRecordingAndSayWhy) {
    namespace fs = std::filesystem;
    const fs::path disk = dir / "disk", user = dir / "kullanıcı";
    fs::create_directories(disk);
    fs::create_directories(user / "wavs");
    const std::unique_ptr<const char, void (*)(const char*)> unmount(
        disk.c_str(), [](const char* f) { ::umount2(f, MNT_DETACH); });
    const std::string old = recordLine(3, 0, 500) + recordLine(4, 0, 500);
    MakamHandlers makam(*parts);
    MelodyHandlers melody(*parts);
    const std::string unwritable = "kayıt dosyası yazılamadı\n" + (disk / "kayıt.txt").string();
    const struct {
        std::string row;
        fs::path recording, makamFolder; // where the new ones go (an old recording stays)
        std::vector<std::string> told;
    } rows[] = {
        {"yazılabilir", dir / "wavs", dir, {}},
        {"dolu disk", disk, dir, {unwritable + ": diskte yer kalmadı"}},
        {"salt okunur",
         disk,
         disk,
         {unwritable + ": klasör salt okunur", "makam dosyası yazılamadı: Benim.mkm\n" +
                                                   (disk / "Benim.mkm").string() +
                                                   ": klasör salt okunur"}},
        {"ikinci kullanıcı", user / "wavs", user, {}},
    };
    for (const auto& [row, recording, makamFolder, told] : rows) {
        SCOPED_TRACE(row);
        if (row == "yazılabilir") {
            writeBytes(kayit(), old);
            st().mandalPos[6] = -3;
        } else if (row == "dolu disk") {
            if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
                GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
            parts->recordFolder = disk;
            writeBytes(disk / "kayıt.txt", old);
            std::ofstream fill(disk / "dolgu", std::ios::binary);
            const std::string block(512, 'x');
            while (fill.write(block.data(), block.size()) && fill.flush()) {
            }
        } else if (row == "salt okunur") {
            fs::remove(disk / "dolgu");
            if (::mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
                GTEST_SKIP() << "cannot remount read-only: " << std::strerror(errno);
            parts->folders = DataFolders{disk, disk};
        } else {
            parts->folders = DataFolders{dir, user};
            parts->recordFolder = user / "wavs";
            writeBytes(user / "wavs" / "kayıt.txt", old);
            writeBytes(dir / "Rast.mkm", makamFileText(PerString<std::int16_t>{0, 0, 0, 2}));
            writeBytes(user / "Rast.mkm", makamFileText(PerString<std::int16_t>{0, 0, 0, -4}));
            writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\r\n");   // string 4
            writeBytes(user / "ezgi.ses", "0,15,3,0,0,0,0,0,0,0\r\n"); // string 12
        }
        handlers->rec_buton_Click();
        const PerString<std::int16_t> mandals = st().mandalPos;
        if (st().recording) { // keys and strip clicks do nothing while recording
            player->Form_KeyDown(kKeyRight);
            player->mandalStripMouseDown(kLeftButton, 160, 30);
        }
        EXPECT_EQ(st().mandalPos, mandals);
        for (int s : {5, 6, 7})
            pluck(s);
        handlers->stop_buton_Click();
        EXPECT_TRUE(finished());
        controls.makamNameBox = "Benim";
        makam.save_buton_Click();
        EXPECT_EQ(messages.shown, told);
        messages.shown.clear();
        const std::string text = fileBytes(recording / "kayıt.txt");
        if (told.empty()) {
            FieldReader reader(text, "kayıt.txt");
            for (const auto& [s, m] : {std::pair{5, 0}, {6, -3}, {7, 0}}) {
                const RecordEntry e = readRecordEntry(reader);
                EXPECT_EQ(std::pair(e.string, e.mandal), std::pair(s, m));
            }
            EXPECT_TRUE(reader.atEnd());
        } else {
            EXPECT_EQ(text, old);
        }
        EXPECT_EQ(fs::exists(makamFolder / "Benim.mkm"), told.size() < 2);
        for (const fs::path& f : {dir / "wavs", disk, user / "wavs", dir, user}) {
            std::error_code ignored;
            for (fs::directory_iterator it(f, ignored), end; !ignored && it != end; ++it)
                EXPECT_FALSE(isTemporaryFileName(it->path().filename().string())) << it->path();
        }
    }
    pluck(5); // the recording is closed: the read-only folder is never appended to
    EXPECT_EQ(fileBytes(disk / "kayıt.txt"), old);
    makam.makamListClick("Rast.mkm"); // the second user's files are found first
    EXPECT_EQ(st().mandalPos[3], -4);
    controls.melodyNameBox = "ezgi";
    controls.tempoBar = 40;
    sound.plays.clear();
    melody.aç_kapa_buton_Click();
    runPlayer();
    EXPECT_EQ(sound.plays.at(0).first, 12);
    // The scratch files go where kayıt.txt goes (the window's sound writes them there).
    auto loaded = loadProgram(DataFolders{dir, user}, messages);
    ASSERT_FALSE(loaded.fatal);
    EXPECT_EQ(loaded.program->recordFolder, user / "wavs");
}

using Replay = Recording;

// Without a recording Play says so; a faulty line ends the replay with its message after the good
// lines (commas or blanks). Which string and mandal each note sounds under the modes and shifts:
// NoteEvents, with the live replay equal to its rendering (tests/render); onsets on their frames
// however late the ticks: NotePlayer.
TEST_F(Replay, FaultsAndClicksInsideTheLoop) {
    handlers->Play_buton_Click();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"önceden yapılmış bir kayıt bulunamadı"});
    const std::pair<std::string, std::string> faults[] = {
        {"27 0 10", "tel numarası 1 ile 26 arasında olmalı, \"27\" bulundu"},
        {"5 0", "dosya beklenenden önce bitiyor (eksik değer)"},
        {"5 x 10", "mandal konumu için sayı bekleniyordu, \"x\" bulundu"},
        {"5 40000 10", "mandal konumu -32768 ile 32767 arasında olmalı, \"40000\" bulundu"},
        {"5 0 3000000000", "süre -2147483648 ile 2147483647 arasında olmalı, \"3000000000\" "
                           "bulundu"}};
    for (const auto& [bad, reason] : faults) {
        writeBytes(kayit(), recordLine(4, 0, 10) + "7,-3,20\r\n" + bad + "\r\n");
        messages.shown.clear();
        sound.plays.clear();
        handlers->Play_buton_Click();
        runPlayer();
        EXPECT_EQ(sound.plays, (test::Plays{{4, st().mandalPos[4]}, {7, st().mandalPos[7]}}));
        ASSERT_EQ(messages.shown.size(), 1u) << bad;
        EXPECT_NE(messages.shown[0].find("kayıt.txt dosyasının 3. satırında hata: " + reason),
                  std::string::npos)
            << messages.shown[0];
        EXPECT_TRUE(finished());
    }
    sound.events.clear();
    // Play and rec clicked while a replay plays start nothing; after a stop, which ends it at
    // once, Play starts the replay again from its first note and rec is still refused.
    int rounds = 0;
    betweenTicks = [&] {
        ++rounds;
        if (rounds == 1) {
            handlers->Play_buton_Click();
            handlers->rec_buton_Click();
            EXPECT_FALSE(st().recording);
        } else if (rounds == 2) {
            handlers->stop_buton_Click();
            EXPECT_TRUE(finished());
            handlers->Play_buton_Click();
            handlers->rec_buton_Click();
            EXPECT_FALSE(st().recording);
            EXPECT_TRUE(st().playingBack);
        }
    };
    handlers->Play_buton_Click();
    runPlayer();
    betweenTicks = nullptr;
    EXPECT_TRUE(finished());
}

} // namespace
} // namespace zembera
