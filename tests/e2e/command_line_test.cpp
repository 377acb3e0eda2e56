// The real executable without a window: what it prints, its exit code and the sound file it writes
// for melodies, a recording and scores, a pitch system's report, the usage and the version, and
// each refusal, as one transcript.

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "program_run.h"
#include "support/golden.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// Frames, rate, channels and format of a written sound file, the sum of its magnitudes and the
// level of each half second.
std::string soundOf(const fs::path& file) {
    SF_INFO info{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    if (in == nullptr) return "dosya yok\n";
    std::vector<short> frames(static_cast<std::size_t>(info.frames));
    sf_read_short(in, frames.data(), info.frames);
    sf_close(in);
    std::ostringstream out;
    out << info.frames << " kare, " << info.samplerate << " Hz, " << info.channels
        << " kanal, biçim " << std::hex << info.format << std::dec << ", toplam ";
    long long sum = 0;
    for (short v : frames)
        sum += std::abs(v);
    out << sum << ", düzeyler";
    for (std::size_t i = 0; i < frames.size(); i += 22050) {
        double power = 0;
        for (std::size_t k = i; k < std::min(frames.size(), i + 22050); ++k)
            power += double(frames[k]) * frames[k];
        out << " " << std::lround(std::sqrt(power / 22050));
    }
    return out.str() + "\n";
}

TEST(CommandLine, RendersReportsAndRefusesAsApproved) {
    const fs::path dir = fs::temp_directory_path() / "zembera_command_line";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto q = [](const fs::path& p) { return " '" + p.string() + "'"; };
    const fs::path program = ZEMBERA_PROGRAM_DIR, melody = program / "god_rest_ye.ses";
    std::ofstream(dir / "kayıt.txt", std::ios::binary) << " 17 5 500 \r\n 10 -3 250 \r\n";
    // A SymbTr score: A4, a rest, G4, half a second each.
    std::ofstream(dir / "kisa.txt", std::ios::binary)
        << "Sira\tKod\tNota53\tNotaAE\tKoma53\tKomaAE\tPay\tPayda\tMs\n"
           "1\t9\tLa4\tA4\t305\t305\t1\t4\t500\n2\t9\tEs\tEs\t-1\t-1\t1\t4\t500\n"
           "3\t9\tSol4\tG4\t296\t296\t1\t4\t500\n";
    std::ofstream(dir / "kırık.ses") << "0,1,3,0,0,0,0,0,0,0\n1,2";
    std::ofstream(dir / "kırık.musicxml") << "<score-partwise><part";
    std::ofstream(dir / "bozuk.scl") << "! bad\nbad\n 3\n 100.0\n 200.0\n 2/1\n";
    const fs::path saz = fs::path(ZEMBERA_TEST_DATA_DIR) / "scores" / "saz_semaisi.mxl";
    // The arguments and the file they write; Rauf Yekta 24 changes the sound, not the timing.
    const std::pair<std::string, fs::path> rows[] = {
        {"--render" + q(melody) + q(dir / "ezgi.wav"), dir / "ezgi.wav"},
        {"--render" + q(melody) + q(dir / "ezgi.FLAC"), dir / "ezgi.FLAC"},
        {"--render" + q(melody) + q(dir / "yekta.wav") + " --sistem 'Rauf Yekta 24'",
         dir / "yekta.wav"},
        {"--render" + q(dir / "kayıt.txt") + q(dir / "kayıt.wav"), dir / "kayıt.wav"},
        {"--render" + q(dir / "kisa.txt") + q(dir / "kisa.wav"), dir / "kisa.wav"},
        {"--render" + q(saz) + q(dir / "saz.flac"), dir / "saz.flac"},
        {"--render" + q(dir / "yok.ses") + q(dir / "a.wav"), dir / "a.wav"},
        {"--render" + q(dir / "kırık.ses") + q(dir / "a.wav"), dir / "a.wav"},
        {"--render" + q(melody) + q(dir / "a.mp3"), dir / "a.mp3"},
        {"--render" + q(program / "Rast.mkm") + q(dir / "a.wav"), dir / "a.wav"},
        {"--render" + q(dir / "kırık.musicxml") + q(dir / "a.wav"), dir / "a.wav"},
        {"--render" + q(melody) + q(dir / "yok" / "a.wav"), dir / "yok" / "a.wav"},
        {"--render" + q(melody) + q(dir / "a.wav") + " --sistem 'Yok Böyle'", dir / "a.wav"},
        {"--render" + q(dir / "a.ses"), {}},
        {"--rapor", {}},
        {"--rapor --sistem 'Rauf Yekta 24'", {}},
        {"--rapor --sistem" + q(dir / "bozuk.scl"), {}},
        {"--rapor --sistem 'Yarman 81'", {}},
        {"--help", {}},
        {"-h", {}},
        {"--version", {}},
        {"--pencere", {}},
        {"--sistem 'Rauf Yekta 24'", {}},
        {"--rapor --fazla", {}},
        {q(dir / "notlar.pdf").substr(1), {}}, // a file the window does not open
    };
    // Without a display: a mode that opened the window would end with Qt's complaint instead.
    const auto run = [&](const std::string& arguments) {
        return e2e::runCaptured("cd /tmp && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb" +
                                q(program / "zembera") + " " + arguments);
    };
    std::string log;
    for (const auto& [arguments, written] : rows) {
        const auto [out, code] = run(arguments);
        log += "$ zembera " + arguments + "\n" + out + "çıkış " + std::to_string(code) + "\n";
        if (!written.empty()) log += soundOf(written);
    }
    // The version is the project's, as its build file declares it.
    std::ifstream build(fs::path(ZEMBERA_SOURCE_DIR) / "CMakeLists.txt");
    const std::string declared{std::istreambuf_iterator<char>(build), {}};
    const std::string key = "project(zembera VERSION ";
    const auto at = declared.find(key);
    ASSERT_NE(at, std::string::npos);
    const std::string version = declared.substr(
        at + key.size(), declared.find_first_of(" )", at + key.size()) - at - key.size());
    EXPECT_EQ(run("--version"), std::make_pair("ZEMBERA " + version + "\n", 0));
    const std::string version_line = "ZEMBERA " + version + "\n";
    log.replace(log.find(version_line), version_line.size(), "ZEMBERA <sürüm>\n");
    // The usage is the same for both spellings, and follows the complaint about a wrong option.
    const auto help = run("--help");
    EXPECT_EQ(run("-h"), help);
    EXPECT_TRUE(run("--pencere").first.ends_with(help.first));
    // The transcript holds the usage once.
    const auto first = log.find(help.first);
    ASSERT_NE(first, std::string::npos);
    for (auto at = log.find(help.first, first + 1); at != std::string::npos;
         at = log.find(help.first, at + 1))
        log.replace(at, help.first.size(), "<kullanım>\n");
    for (const std::string& folder : {dir.string(), program.string(), saz.parent_path().string()}) {
        for (auto at = log.find(folder); at != std::string::npos; at = log.find(folder))
            log.replace(at, folder.size(), "<klasör>");
    }
    // The load time ("yükleme 12.3 ms") differs from run to run.
    const std::string load = "yükleme ";
    for (auto at = log.find(load); at != std::string::npos; at = log.find(load, at + 1)) {
        const auto from = at + load.size();
        const auto end = log.find_first_not_of("0123456789.", from);
        if (end != from && end != std::string::npos && log.compare(end, 3, " ms") == 0)
            log.replace(from, end + 3 - from, "<süre>");
    }
    test::expectGolden("e2e/command_line.txt", log);
    fs::remove_all(dir);
}

// Ctrl-C in a rendering leaves the old file and nothing beside it; a piece beyond the length limit
// is refused in FLAC too, and a read-only file is left as it is.
TEST(CommandLine, InterruptedRenderLeavesNothingAndLimitsAreTold) {
    const fs::path dir = fs::temp_directory_path() / "zembera_interrupted";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string program = (fs::path(ZEMBERA_PROGRAM_DIR) / "zembera").string();
    std::ofstream(dir / "uzun.txt", std::ios::binary) << " 17 0 6000000 \r\n"; // 1 h 40 min
    std::ofstream(dir / "sonsuz.txt", std::ios::binary) << " 1 0 2147483647 \r\n";
    std::ofstream(dir / "x.flac") << "eski";
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), program.c_str(), "--render", (dir / "uzun.txt").c_str(),
                (dir / "x.flac").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Once the rendering, which takes minutes, has begun writing (the start-up may be slow on a
    // busy machine).
    std::string during;
    for (int wait = 0; wait < 400 && during.find(".~zembera-") == std::string::npos; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        during.clear();
        for (const auto& entry : fs::directory_iterator(dir))
            during += entry.path().filename().string().substr(0, 10) + " ";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_NE(during.find(".~zembera-"), std::string::npos) << during;
    std::string after;
    for (const auto& entry : fs::directory_iterator(dir))
        after += entry.path().filename().string() + " ";
    EXPECT_EQ(after.find(".~"), std::string::npos) << after;
    EXPECT_EQ(e2e::readAll(dir / "x.flac"), "eski");

    const auto [refused, code] =
        e2e::runCaptured("'" + program + "' --render '" + (dir / "sonsuz.txt").string() + "' '" +
                         (dir / "x.flac").string() + "'");
    EXPECT_EQ(code, 1);
    EXPECT_NE(refused.find("x.flac: parça çok uzun: 596 saat 31 dakika, en çok 2 saat"),
              std::string::npos)
        << refused;
    // A file the user may not write is never replaced, as in the window (the superuser too).
    ASSERT_EQ(::chmod((dir / "x.flac").c_str(), 0444), 0);
    const auto [protectedFile, failed] =
        e2e::runCaptured("'" + program + "' --render '" + ZEMBERA_PROGRAM_DIR +
                         "/god_rest_ye.ses' '" + (dir / "x.flac").string() + "'");
    EXPECT_EQ(failed, 1);
    EXPECT_NE(protectedFile.find("x.flac: yazma izni yok"), std::string::npos) << protectedFile;
    EXPECT_EQ(e2e::readAll(dir / "x.flac"), "eski");
    fs::remove_all(dir);
}

const std::string kProgram = (fs::path(ZEMBERA_PROGRAM_DIR) / "zembera").string();

// Without a display, or with one that cannot be reached, the program says why in Turkish (and
// nothing of the toolkit's), how to work without a window, and ends with 1, never aborting.
TEST(CommandLine, ADisplayMissingOrOutOfReachIsToldInTurkish) {
    int number = 77; // a display with no server
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        ++number;
    const std::string x = "DISPLAY=:" + std::to_string(number), w = "WAYLAND_DISPLAY=yok";
    const std::pair<std::string, std::string> cases[] = {
        {"", "ekran bulunamadı (DISPLAY ve WAYLAND_DISPLAY tanımlı değil)"},
        {x, "ekrana bağlanılamadı (" + x + ")"},
        {w, "ekrana bağlanılamadı (" + w + ")"},
        {"XDG_SESSION_TYPE=wayland " + w, "ekrana bağlanılamadı (" + w + ")"},
    };
    for (const auto& [variables, reason] : cases)
        EXPECT_EQ(e2e::runCaptured("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u "
                                   "XDG_SESSION_TYPE " +
                                   variables + " '" + kProgram + "'"),
                  std::make_pair("zembera: " + reason +
                                     ": pencere açılamıyor.\nPencere olmadan: zembera --render "
                                     "<ezgi> <çıktı.wav> ya da zembera --rapor\n",
                                 1));
}

// The temporary file a render killed hard leaves is gone with the next render into its folder;
// the window starts though another user planted, in the shared temporary folder and without a
// runtime folder, what blocked its start once; without a sound device it says so in Turkish.
TEST(CommandLine, NeitherLeftoversNorAnotherUsersFilesNorNoSoundStandInTheWay) {
    const fs::path dir = fs::temp_directory_path() / "zembera_leftovers";
    fs::create_directories(dir / "home");
    ::chmod(dir.c_str(), 01777);
    std::ofstream(dir / "uzun.txt") << " 17 0 6000000 \r\n";
    const pid_t render = ::fork();
    if (render == 0) {
        ::execl(kProgram.c_str(), kProgram.c_str(), "--render", (dir / "uzun.txt").c_str(),
                (dir / "uzun.wav").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto leftovers = [&] {
        return std::count_if(fs::directory_iterator(dir), {}, [](const auto& entry) {
            return entry.path().filename().string().starts_with(".~zembera-");
        });
    };
    for (int wait = 0; wait < 400 && leftovers() == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(render, SIGKILL);
    ::waitpid(render, nullptr, 0);
    ASSERT_EQ(leftovers(), 1);
    std::ofstream(dir / "kısa.txt") << " 17 0 200 \r\n";
    EXPECT_EQ(e2e::runCaptured("'" + kProgram + "' --render '" + (dir / "kısa.txt").string() +
                               "' '" + (dir / "kısa.wav").string() + "'")
                  .second,
              0);
    EXPECT_EQ(leftovers(), 0);
    if (::geteuid() != 0) GTEST_SKIP() << "another user's files need root to make";
    const uid_t victim = ::geteuid();
    const std::string name = ::getpwuid(victim) ? ::getpwuid(victim)->pw_name : "root";
    if (::fork() == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
        ::mkdir((dir / ("runtime-" + name)).c_str(), 0700);
        std::ofstream(dir / ("zembera-" + std::to_string(victim) + ".lock")) << "x";
        ::_exit(0);
    }
    ::wait(nullptr);
    const auto [said, code] = e2e::runCaptured("env -u XDG_RUNTIME_DIR -u XDG_DATA_HOME TMPDIR='" +
                                               dir.string() + "' HOME='" + (dir / "home").string() +
                                               "' QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=yok " +
                                               "ZEMBERA_QUIT_WHEN_SHOWN=1 '" + kProgram + "'");
    EXPECT_EQ(code, 0) << said;
    EXPECT_NE(said.find("zembera: ses aygıtı açılamadı (sürücü: yok); ses olmadan çalışıyor\n"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("audio"), std::string::npos) << said;
    fs::remove_all(dir);
}

} // namespace
} // namespace zembera
