// What a file is, names shortened to fit, the settings kept between runs and "Son açılanlar".

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "session/file_kind.h"
#include "session/name_elision.h"
#include "session/recent_files.h"
#include "session/remembered_settings.h"

namespace zembera {
namespace {

constexpr const char* kSymbTrHeader = "Sira\tKod\tNota53\tNotaAE\tKoma53\tKomaAE\tPay\tPayda\tMs\n";

TEST(FileKinds, ByNameAndByTheFirstLineOfATextFile) {
    const std::string blankFirst = "\n \n" + std::string(kSymbTrHeader);
    const struct {
        const char* name;
        std::optional<std::string_view> text;
        FileKind kind;
    } rows[] = {
        {"hicaz.txt", kSymbTrHeader, FileKind::score},
        {"hicaz.txt", blankFirst, FileKind::score},
        {"eski.txt", " 17 5 500 \r\n 10 -3 250 \r\n", FileKind::recording},
        {"kayıt.txt", kSymbTrHeader, FileKind::recording},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fileKind(row.name, row.text), row.kind) << row.name << " " << *row.text;
    // Unread: a .txt file is SymbTr by its name.
    const std::pair<const char*, FileKind> unread[] = {
        {"parça.musicxml", FileKind::score}, {"/a/b/PARÇA.MXL", FileKind::score},
        {"sazsemaisi.MID", FileKind::score}, {"acem--sarki--aksak--gel--x.xml", FileKind::score},
        {"hicaz.txt", FileKind::score},      {"kayıt.txt", FileKind::recording},
        {"Dizek.txt", FileKind::unknown},    {"taksim.ses", FileKind::melody},
        {"TAKSIM.SES", FileKind::melody},    {"rast.mkm", FileKind::makam},
        {"yarman.scl", FileKind::scale},     {"yarman.kbm", FileKind::unknown},
        {"notlar.pdf", FileKind::unknown},   {"ses", FileKind::unknown}};
    for (const auto& [name, kind] : unread)
        EXPECT_EQ(fileKind(name, std::nullopt), kind) << name;
}

TEST(FileKinds, ATextFileIsReadOnlyWhenItIsARegularFile) {
    const auto dir = std::filesystem::temp_directory_path();
    std::ofstream(dir / "kayit.txt") << " 17 5 500 \r\n";
    ASSERT_EQ(::mkfifo((dir / "boru.txt").c_str(), 0600), 0);
    EXPECT_EQ(readFileKind(dir / "kayit.txt"), FileKind::recording);
    EXPECT_EQ(readFileKind(dir / "boru.txt"), FileKind::score) << "a FIFO is never opened";
}

TEST(NameElision, KeepsTheEndsAndTellsTwinNamesApart) {
    // Room counted in characters, not bytes: "ş" and "…" are one each.
    const auto within = [](std::size_t room) {
        return [room](const std::string& text) {
            std::size_t characters = 0;
            for (unsigned char c : text)
                characters += (c & 0xC0) != 0x80;
            return characters <= room;
        };
    };
    const std::string symbtr = "acemasiran--sarki--aksak--gonlum_dusuyor--ismail_baha_surelsan";
    const struct {
        std::string name;
        std::size_t room;
        std::string shown;
    } rows[] = {
        {"taksim.ses", 20, "taksim.ses"},
        {symbtr + ".txt", 24, "acemasiran--s…relsan.txt"},
        {symbtr + ".xml", 24, "acemasiran--s…relsan.xml"},
        {"şarkı_şarkı_şarkı.musicxml", 16, "şark…kı.musicxml"},
        {"adı_uzun_bir_dosya", 10, "adı_uz…sya"},
        {"uzun_adlı.musicxml", 5, "….musicxml"},
        {".gizli_uzun_adlı", 8, ".gizl…lı"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(elideMiddle(row.name, within(row.room)), row.shown) << row.name;
}

TEST(RememberedSettings, ValuesTheProgramCouldNotHaveWrittenAreLeftOut) {
    std::string positions, tooMany, outOfRange = "13";
    for (int s = 1; s <= kStringCount; ++s)
        positions += std::to_string(s % 5 - 2) + " ";
    tooMany = positions + "0";
    for (int s = 2; s <= kStringCount; ++s)
        outOfRange += " 0";
    // Each key with its values, kept or not.
    const std::pair<const char*, std::vector<std::pair<std::string, bool>>> rows[] = {
        {"ezgi/hiz", {{"30", 1}, {"60", 1}, {"29", 0}, {"61", 0}, {"4O", 0}, {"", 0}}},
        {"makam/mandallar", {{positions, 1}, {tooMany, 0}, {outOfRange, 0}, {"0 0 0", 0}}},
        {"teller_tinlasin", {{"true", 1}, {"evet", 0}}},
        {"ses_sistemi/scl", {{"/a/b.scl", 1}, {"b.scl", 0}}},
        {"makam/dosya", {{"/a/Rast.mkm", 1}, {"Rast.mkm", 0}}},
    };
    for (const auto& [key, values] : rows) {
        for (const auto& [value, kept] : values) {
            MemorySettings store;
            store.setValue(key, value);
            const RememberedSession s = readSession(store);
            EXPECT_EQ(s.tempo || s.positions || s.stringsRing || s.systemFile || s.makamFile, kept)
                << key << " = \"" << value << "\"";
        }
    }
}

TEST(RecentFiles, NewestFirstEachOnceAtMostTenKeptInTheStore) {
    MemorySettings store;
    {
        RecentFiles recent(store);
        for (int i = 0; i < 12; ++i)
            recent.add("/m/" + std::to_string(i) + ".ses");
        recent.add("/m/./5.ses"); // the same file: moves to the front
        recent.add("göreli.ses"); // not a path of any folder
        recent.remove("/m/11.ses");
    }
    const std::vector<std::filesystem::path> expected = {"/m/5.ses", "/m/10.ses", "/m/9.ses",
                                                         "/m/8.ses", "/m/7.ses",  "/m/6.ses",
                                                         "/m/4.ses", "/m/3.ses",  "/m/2.ses"};
    EXPECT_EQ(RecentFiles(store).files(), expected);
}

} // namespace
} // namespace zembera
