// The real executable without a window: it renders a bundled melody, a recording and scores to
// sound files, reports a pitch system, and refuses what it cannot do with its reason and a
// non-zero exit code.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

const fs::path kProgram = ZEMBERA_PROGRAM_DIR;

std::pair<std::string, int> render(const std::string& arguments) {
    return e2e::runProgram("--render " + arguments);
}

std::vector<short> readFrames(const fs::path& file, SF_INFO& info) {
    info = SF_INFO{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    EXPECT_NE(in, nullptr) << file;
    if (in == nullptr) return {};
    std::vector<short> frames(static_cast<std::size_t>(info.frames));
    sf_read_short(in, frames.data(), info.frames);
    sf_close(in);
    return frames;
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zembera_render_cli_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string in(const fs::path& p) const { return "'" + p.string() + "'"; }
    fs::path dir;
};

TEST_F(CommandLine, RendersABundledMelodyToWavAndFlac) {
    const fs::path wav = dir / "ezgi.wav", flac = dir / "ezgi.FLAC";
    const auto [out, code] = render(in(kProgram / "god_rest_ye.ses") + " " + in(wav));
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("saniye yazıldı"), std::string::npos) << out;
    const auto [outFlac, codeFlac] = render(in(kProgram / "god_rest_ye.ses") + " " + in(flac));
    ASSERT_EQ(codeFlac, 0) << outFlac;

    SF_INFO info;
    const std::vector<short> frames = readFrames(wav, info);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_GT(frames.size(), 44100u * 5); // a melody of more than a few seconds
    EXPECT_NE(std::count(frames.begin(), frames.end(), 0), static_cast<long>(frames.size()));
    SF_INFO flacInfo;
    EXPECT_EQ(readFrames(flac, flacInfo), frames);
    EXPECT_EQ(flacInfo.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);

    // Another pitch system changes the sound, not the timing.
    const fs::path other = dir / "yekta.wav";
    const auto [outSystem, codeSystem] =
        render(in(kProgram / "god_rest_ye.ses") + " " + in(other) + " --sistem 'Rauf Yekta 24'");
    ASSERT_EQ(codeSystem, 0) << outSystem;
    SF_INFO otherInfo;
    const std::vector<short> yekta = readFrames(other, otherInfo);
    EXPECT_EQ(yekta.size(), frames.size());
    EXPECT_NE(yekta, frames);
}

TEST_F(CommandLine, RendersARecordingAtTheOpenPositions) {
    const fs::path record = dir / "kayıt.txt";
    std::ofstream(record, std::ios::binary) << " 17            5             500 \r\n"
                                               " 10           -3             250 \r\n";
    const auto [out, code] = render(in(record) + " " + in(dir / "kayıt.wav"));
    ASSERT_EQ(code, 0) << out;
    SF_INFO info;
    const std::vector<short> frames = readFrames(dir / "kayıt.wav", info);
    EXPECT_EQ(frames.size(), 33075u); // 750 ms
    EXPECT_NE(frames[10], 0);
}

TEST_F(CommandLine, RendersScoresAtTheirWrittenTempo) {
    // A SymbTr score: A4, a rest, G4, half a second each.
    const fs::path symbtr = dir / "kisa.txt";
    std::ofstream(symbtr, std::ios::binary)
        << "Sira\tKod\tNota53\tNotaAE\tKoma53\tKomaAE\tPay\tPayda\tMs\n"
           "1\t9\tLa4\tA4\t305\t305\t1\t4\t500\n2\t9\tEs\tEs\t-1\t-1\t1\t4\t500\n"
           "3\t9\tSol4\tG4\t296\t296\t1\t4\t500\n";
    const auto [out, code] = render(in(symbtr) + " " + in(dir / "kisa.wav"));
    ASSERT_EQ(code, 0) << out;
    SF_INFO info;
    const std::vector<short> frames = readFrames(dir / "kisa.wav", info);
    ASSERT_EQ(frames.size(), 66150u); // 1.5 s
    EXPECT_NE(frames[10], 0);
    EXPECT_EQ(frames[33075], 0); // the rest
    EXPECT_NE(frames[44100 + 10], 0);

    const auto [outXml, codeXml] =
        render(in(fs::path(ZEMBERA_TEST_DATA_DIR) / "scores" / "saz_semaisi.mxl") + " " +
               in(dir / "saz.flac"));
    ASSERT_EQ(codeXml, 0) << outXml;
    EXPECT_FALSE(readFrames(dir / "saz.flac", info).empty());
}

TEST_F(CommandLine, RefusesWithTheReason) {
    std::ofstream(dir / "kırık.ses") << "0,1,3,0,0,0,0,0,0,0\n1,2";
    std::ofstream(dir / "kırık.musicxml") << "<score-partwise><part";
    struct {
        std::string arguments;
        std::string reason;
    } cases[] = {
        {in(dir / "yok.ses") + " " + in(dir / "a.wav"), "dosya açılamadı"},
        {in(dir / "kırık.ses") + " " + in(dir / "a.wav"),
         "ses dosyasından kaynaklanan bir hata oluştu."},
        {in(kProgram / "god_rest_ye.ses") + " " + in(dir / "a.mp3"), ".wav ve .flac"},
        {in(kProgram / "Rast.mkm") + " " + in(dir / "a.wav"), ".ses"},
        {in(dir / "kırık.musicxml") + " " + in(dir / "a.wav"), "kırık.musicxml: XML okunamadı"},
        {in(kProgram / "god_rest_ye.ses") + " " + in(dir / "yok" / "a.wav"), "a.wav"},
        {in(kProgram / "god_rest_ye.ses") + " " + in(dir / "a.wav") + " --sistem 'Yok Böyle'",
         "Yok Böyle"},
    };
    for (const auto& c : cases) {
        const auto [out, code] = render(c.arguments);
        EXPECT_EQ(code, 1) << c.arguments;
        EXPECT_NE(out.find(c.reason), std::string::npos) << c.arguments << "\n" << out;
    }
    EXPECT_FALSE(fs::exists(dir / "a.wav"));
    EXPECT_EQ(render(in(dir / "a.ses")).second, 2); // no output named
}

TEST_F(CommandLine, ReportsAPitchSystemOrNamesTheLineOfABrokenOne) {
    const auto [out, code] = e2e::runProgram("--rapor --sistem 'Rauf Yekta 24'");
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("Ses sistemi Rauf Yekta 24 (turkish_24.scl): oktavda 24 perde"),
              std::string::npos)
        << out;
    // D4 on string 16 lies a pure whole tone (9/8) above C4; one step up is the Pythagorean
    // minor third E flat (32/27).
    EXPECT_NE(out.find("16  H  D4  mandal"), std::string::npos);
    EXPECT_NE(out.find("   203.9100   294.1350"), std::string::npos) << out;

    std::ofstream(dir / "bozuk.scl") << "! bad\nbad\n 3\n 100.0\n 200.0\n 2/1\n";
    const auto [bad, badCode] = e2e::runProgram("--rapor --sistem " + in(dir / "bozuk.scl"));
    EXPECT_EQ(badCode, 1);
    EXPECT_NE(bad.find("bozuk.scl dosyasının 3. satırında hata: perde sayısı 5 ile 160 arasında "
                       "olmalı, 3 bulundu"),
              std::string::npos)
        << bad;
}

} // namespace
} // namespace zembera
