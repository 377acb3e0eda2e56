// The real executable without a window: what it prints, its exit code and the sound file it writes
// for melodies, a recording and scores, a pitch system's report, the usage and the version, and
// each refusal.

#include <gtest/gtest.h>
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
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "program_run.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// A written sound file read back: its samples (mono) and its format.
struct Written {
    std::vector<double> samples;
    SF_INFO info{};
};
Written readSound(const fs::path& file) {
    Written w;
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &w.info);
    if (in == nullptr) return w;
    w.samples.resize(static_cast<std::size_t>(w.info.frames * w.info.channels));
    sf_read_double(in, w.samples.data(), static_cast<sf_count_t>(w.samples.size()));
    sf_close(in);
    for (double& v : w.samples)
        v *= 32768;
    return w;
}
double rmsOf(const Written& w, double fromS, double toS) {
    const auto at = [&](double t) {
        return std::min(w.samples.size(), static_cast<std::size_t>(t * 44100));
    };
    return audio_measure::rms(std::span(w.samples).subspan(at(fromS), at(toS) - at(fromS)));
}

// Renders of melodies, a recording and scores: mono 16-bit at 44100 Hz in the format the name
// asks for, as long as the program says and the input's times give; a FLAC holds the WAV's
// samples; another system changes the sound, not the timing. Refusals end with 1 and write
// nothing; wrong options end with 2 and the usage; the report lists the 26 strings.
TEST(CommandLine, RendersReportsAndRefusals) {
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
    // Without a display: a mode that opened the window would end with Qt's complaint instead.
    const auto run = [&](const std::string& arguments) {
        return e2e::runCaptured("cd /tmp && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb" +
                                q(program / "zembera") + " " + arguments);
    };
    const auto help = run("--help");
    EXPECT_EQ(help.second, 0);
    EXPECT_NE(help.first.find("Kullanım:\n  zembera [dosya...]"), std::string::npos);
    EXPECT_EQ(run("-h"), help);
    const auto r = [&](const fs::path& in, const std::string& out) {
        return "--render" + q(in) + q(dir / out);
    };
    const struct {
        std::string arguments;
        int code;
        std::string said; // a line of what it prints
    } refusals[] = {
        {r(dir / "yok.ses", "a.wav"), 1, "yok.ses: dosya bulunamadı"},
        {r(dir / "kırık.ses", "a.wav"), 1, "kırık.ses dosyasının 2. satırında hata: dosya"},
        {r(melody, "a.mp3"), 1, "a.mp3: yalnızca .wav ve .flac dosyaları yazılabilir"},
        {r(program / "Rast.mkm", "a.wav"), 1, "Rast.mkm: yalnızca .ses ezgi, kayıt.txt, MusicXML"},
        {r(dir / "kırık.musicxml", "a.wav"), 1, "kırık.musicxml: XML okunamadı (satır 1)"},
        {r(melody, "yok/a.wav"), 1, "a.wav: klasör bulunamadı"},
        {r(melody, "a.wav") + " --sistem 'Yok Böyle'", 1, "\"Yok Böyle\" adında bir ses sistemi"},
        {"--rapor --sistem" + q(dir / "bozuk.scl"), 1, "bozuk.scl dosyasının 3. satırında hata"},
        {"--rapor --sistem 'Yarman 81'", 1, "\"Yarman 81\" adında bir ses sistemi"},
        {"--rapor", 0, "Perde tablosu Dizek.txt okundu; oktav bölümü: Yarman79 / Yarman80"},
        {"--rapor --sistem 'Rauf Yekta 24'", 0, "Rauf Yekta 24 (turkish_24.scl): oktavda 24 perde"},
        {"--render" + q(dir / "a.ses"), 2, "--render bir girdi ve bir çıktı dosyası ister"},
        {"--pencere", 2, "bilinmeyen seçenek: --pencere"},
        {"--sistem 'Rauf Yekta 24'", 2, "--sistem yalnızca --rapor ya da --render ile"},
        {"--rapor --fazla", 2, "--rapor ardından yalnızca --sistem"},
        {q(dir / "notlar.pdf").substr(1), 2, "notlar.pdf: açılamayan dosya türü"},
    };
    for (const auto& row : refusals) {
        const auto [out, code] = run(row.arguments);
        EXPECT_EQ(code, row.code) << row.arguments;
        EXPECT_NE(out.find(row.said), std::string::npos) << out;
        if (row.code == 2) {
            EXPECT_TRUE(out.ends_with(help.first)) << "the usage follows";
        }
        EXPECT_FALSE(fs::exists(dir / "a.wav") || fs::exists(dir / "yok"));
        if (row.code != 0) continue;
        const std::regex string("\n[0-2][0-9]  [A-Z]  [A-G][2-6]  mandal ");
        EXPECT_EQ(std::distance(std::sregex_iterator(out.begin(), out.end(), string),
                                std::sregex_iterator()),
                  26);
    }
    const struct {
        fs::path input;
        std::string output, extra;
        int format;
    } renders[] = {
        {melody, "ezgi.wav", "", SF_FORMAT_WAV},
        {melody, "ezgi.FLAC", "", SF_FORMAT_FLAC},
        {melody, "yekta.wav", " --sistem 'Rauf Yekta 24'", SF_FORMAT_WAV},
        {dir / "kayıt.txt", "kayıt.wav", "", SF_FORMAT_WAV},
        {dir / "kisa.txt", "kisa.wav", "", SF_FORMAT_WAV},
        {saz, "saz.flac", "", SF_FORMAT_FLAC},
    };
    std::map<std::string, Written> sounds;
    for (const auto& row : renders) {
        const auto [out, code] = run(r(row.input, row.output) + row.extra);
        EXPECT_EQ(code, 0) << out;
        const Written w = readSound(dir / row.output);
        EXPECT_EQ(w.info.samplerate, 44100);
        EXPECT_EQ(w.info.channels, 1);
        EXPECT_EQ(w.info.format, row.format | SF_FORMAT_PCM_16);
        // "<file>: 21.1 saniye yazıldı"
        const auto told = out.find(row.output + ": ") + row.output.size() + 2;
        EXPECT_NEAR(std::stod(out.substr(told)), w.info.frames / 44100.0, 0.051) << out;
        EXPECT_GT(rmsOf(w, 0, 0.5), 1000);
        sounds[row.output] = w;
    }
    EXPECT_EQ(sounds["ezgi.FLAC"].samples, sounds["ezgi.wav"].samples);
    EXPECT_EQ(sounds["yekta.wav"].info.frames, sounds["ezgi.wav"].info.frames);
    EXPECT_NE(sounds["yekta.wav"].samples, sounds["ezgi.wav"].samples);
    // The recording: 500 ms of string 17, then 250 ms and a fade; a replay sounds each string at
    // its present mandal (0 here, whatever was recorded): the sample's own 262 Hz.
    const Written& kayit = sounds["kayıt.wav"];
    EXPECT_NEAR(kayit.info.frames / 44100.0, 0.755, 0.01);
    const std::span<const double> first(kayit.samples.data() + 2205, 17640);
    EXPECT_NEAR(
        audio_measure::centsBetween(audio_measure::coarseFundamental(first, 100, 1000), 262), 0,
        15);
    // The score: A4, a rest, G4, half a second each.
    EXPECT_LT(rmsOf(sounds["kisa.wav"], 0.6, 1.0), rmsOf(sounds["kisa.wav"], 0.1, 0.5) / 10);
    EXPECT_GT(rmsOf(sounds["kisa.wav"], 1.05, 1.45), 1000);

    // The version is the project's, as its build file declares it.
    std::ifstream build(fs::path(ZEMBERA_SOURCE_DIR) / "CMakeLists.txt");
    const std::string declared{std::istreambuf_iterator<char>(build), {}};
    const std::string key = "project(zembera VERSION ";
    const auto at = declared.find(key);
    ASSERT_NE(at, std::string::npos);
    const std::string version = declared.substr(
        at + key.size(), declared.find_first_of(" )", at + key.size()) - at - key.size());
    EXPECT_EQ(run("--version"), std::make_pair("ZEMBERA " + version + "\n", 0));
    fs::remove_all(dir);
}

// Ctrl-C in a rendering leaves the old file and nothing beside it, and a read-only file is left as
// it is (the length limit: render_test).
TEST(CommandLine, InterruptedRenderLeavesNothingAndAReadOnlyFileStays) {
    const fs::path dir = fs::temp_directory_path() / "zembera_interrupted";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string program = (fs::path(ZEMBERA_PROGRAM_DIR) / "zembera").string();
    std::ofstream(dir / "uzun.txt", std::ios::binary) << " 17 0 6000000 \r\n"; // 1 h 40 min
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

// The temporary file a render killed hard leaves is gone with the next render into its folder; the
// window starts without a runtime folder and, without a sound device, says so in Turkish
// (another user's files in the way: user_lock_test).
TEST(CommandLine, NeitherLeftoversNorNoSoundStandInTheWay) {
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
    // A process's start is known to a clock tick (10 ms): the next one starts a tick later at
    // least, so that the file's last change lies before it.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::ofstream(dir / "kısa.txt") << " 17 0 200 \r\n";
    EXPECT_EQ(e2e::runCaptured("'" + kProgram + "' --render '" + (dir / "kısa.txt").string() +
                               "' '" + (dir / "kısa.wav").string() + "'")
                  .second,
              0);
    EXPECT_EQ(leftovers(), 0);
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
