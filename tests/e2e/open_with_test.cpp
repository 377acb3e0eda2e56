// Files given to the real program: named on its command line under a virtual X server (what it
// opened is what it keeps in the user's settings at the end), and offered to it by the desktop,
// through the menu entry's file types as the desktop's own tools read them.

#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "program_run.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

TEST(OpenWith, FilesNamedOnTheCommandLineOpenInTheWindow) {
    if (!e2e::have("Xvfb")) GTEST_SKIP() << "Xvfb yok";
    const fs::path dir = fs::temp_directory_path() / "zembera_open_with";
    fs::remove_all(dir);
    fs::create_directories(dir / "indirilenler");
    const fs::path scale = dir / "indirilenler" / "yirmidort.scl";
    const fs::path makam = dir / "indirilenler" / "Benim.mkm";
    std::string scaleText = "! yirmidort.scl\n24 eşit\n 24\n", makamText;
    for (int k = 1; k <= 24; ++k)
        scaleText += " " + std::to_string(50 * k) + ".0\n";
    for (int s = 1; s <= 26; ++s)
        makamText += std::to_string(s % 3 - 1) + "\r\n";
    std::ofstream(scale) << scaleText;
    std::ofstream(makam) << makamText;
    // Named relative to the folder the program is started in, as a file manager or a shell does.
    const auto [said, code] = e2e::runCaptured(
        "cd '" + (dir / "indirilenler").string() + "' && " + ZEMBERA_E2E_OPEN_SCRIPT + " " +
        ZEMBERA_PROGRAM_DIR + " '" + (dir / "run").string() + "' yirmidort.scl Benim.mkm");
    ASSERT_EQ(code, 0) << said;
    EXPECT_NE(said.find("çıkış 0"), std::string::npos)
        << said << e2e::readAll(dir / "run" / "log.txt");
    QSettings kept(QString::fromStdString((dir / "run/config/ZEMBERA/ZEMBERA.ini").string()),
                   QSettings::IniFormat);
    EXPECT_EQ(kept.value("ses_sistemi/scl").toString().toStdString(), scale.string());
    EXPECT_EQ(kept.value("makam/dosya").toString().toStdString(), makam.string());
    EXPECT_EQ(kept.value("son_acilanlar/1").toString().toStdString(), makam.string());
    EXPECT_EQ(kept.value("son_acilanlar/2").toString().toStdString(), scale.string());
    fs::remove_all(dir);
}

TEST(OpenWith, TheMenuEntryIsOfferedForItsFileTypesAndNotForEveryTextFile) {
    for (const char* tool : {"gio", "update-mime-database", "update-desktop-database"})
        if (!e2e::have(tool)) GTEST_SKIP() << tool << " yok";
    const fs::path dir = fs::temp_directory_path() / "zembera_mime";
    const fs::path data = dir / "share", files = dir / "dosyalar";
    fs::remove_all(dir);
    fs::create_directories(data / "mime/packages");
    fs::create_directories(data / "applications");
    fs::create_directories(files);
    const fs::path desktop = fs::path(ZEMBERA_SOURCE_DIR) / "tools/desktop";
    fs::copy(desktop / "zembera-mime.xml", data / "mime/packages/zembera.xml");
    fs::copy(desktop / "zembera.desktop", data / "applications/zembera.desktop");
    // The desktop's tools look the program up on the PATH and read the user's data folder.
    const std::string env = "XDG_DATA_HOME='" + data.string() +
                            "' XDG_DATA_DIRS=/usr/share PATH='" + ZEMBERA_PROGRAM_DIR +
                            "':\"$PATH\" ";
    ASSERT_EQ(std::system((env + "update-mime-database '" + (data / "mime").string() +
                           "' >/dev/null 2>&1 && " + env + "update-desktop-database '" +
                           (data / "applications").string() + "'")
                              .c_str()),
              0);
    const struct {
        const char* name;
        const char* text;
        const char* type;
        bool offered;
    } rows[] = {
        {"yirmidort.scl", "! a\nA\n 1\n 2/1\n", "text/x-scala-scale", true},
        {"parça.musicxml", "<?xml version=\"1.0\"?><score-partwise/>",
         "application/vnd.recordare.musicxml+xml", true},
        {"parça.mxl", "PK\x03\x04", "application/vnd.recordare.musicxml", true},
        {"parça.mid", "MThd", "audio/midi", true},
        {"taksim.ses", "0,1,3,0,0,0,0,0,0,0\n", "text/x-zembera-melody", true},
        {"Rast.mkm", " 0 \r\n", "text/x-zembera-makam", true},
        {"notlar.txt", "alışveriş listesi\n", "text/plain", false},
    };
    for (const auto& row : rows) {
        std::ofstream(files / row.name) << row.text;
        const auto [type, typeCode] = e2e::runCaptured(
            env + "gio info -a standard::content-type '" + (files / row.name).string() + "'");
        EXPECT_NE(type.find(std::string("content-type: ") + row.type), std::string::npos)
            << row.name << ": " << type;
        const auto [apps, appsCode] = e2e::runCaptured(env + "gio mime " + row.type);
        EXPECT_EQ(apps.find("zembera.desktop") != std::string::npos, row.offered)
            << row.type << ": " << apps;
    }
    // A SymbTr score is text: only those named as the SymbTr corpus names them are claimed, as
    // the Qt file managers read the types (GLib's readers see plain text in every .txt).
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.string()));
    qputenv("XDG_DATA_DIRS", "/usr/share");
    const QMimeDatabase types;
    EXPECT_EQ(types
                  .mimeTypeForFile(QStringLiteral("hicaz--sarki--aksak--gel--x.txt"),
                                   QMimeDatabase::MatchExtension)
                  .name(),
              QStringLiteral("text/x-symbtr"));
    EXPECT_EQ(
        types.mimeTypeForFile(QStringLiteral("notlar.txt"), QMimeDatabase::MatchExtension).name(),
        QStringLiteral("text/plain"));
    fs::remove_all(dir);
}

} // namespace
} // namespace zembera
