// The real executable's report of a pitch system, as a musician checks a table without the
// window: every string and the cents of every position.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace zembera {
namespace {

namespace fs = std::filesystem;

// Standard output and the exit code of the program run with `arguments`.
std::pair<std::string, int> run(const std::string& arguments) {
    const std::string command = "cd /tmp && '" + std::string(ZEMBERA_PROGRAM_DIR) +
                                "/zembera' --rapor --sistem " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    const int status = pclose(pipe);
    return {out, WEXITSTATUS(status)};
}

TEST(SystemReport, PrintsTheCentsOfEveryStringAtEveryPosition) {
    const auto [out, code] = run("'Rauf Yekta 24'");
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("Ses sistemi Rauf Yekta 24 (turkish_24.scl): oktavda 24 perde"),
              std::string::npos)
        << out;
    // D4 on string 16 lies a pure whole tone (9/8) above C4; one step up is the Pythagorean
    // minor third E flat (32/27).
    EXPECT_NE(out.find("16  H  D4  mandal"), std::string::npos);
    EXPECT_NE(out.find("   203.9100   294.1350"), std::string::npos) << out;
}

TEST(SystemReport, ABrokenScalaFileIsNamedWithItsLine) {
    const fs::path file = fs::temp_directory_path() / "zembera_report_bad.scl";
    std::ofstream(file) << "! bad\nbad\n 3\n 100.0\n 200.0\n 2/1\n";
    const auto [out, code] = run("'" + file.string() + "'");
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("zembera_report_bad.scl dosyasının 3. satırında hata: perde sayısı 5 ile "
                       "160 arasında olmalı, 3 bulundu"),
              std::string::npos)
        << out;
    fs::remove(file);
}

} // namespace
} // namespace zembera
