// Switching the loaded program to another pitch system, heard in the sound of a string, and the
// command-line report of a system.

#include "shell/system_switch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/messages.h"
#include "sound/sample_decode.h"
#include "support/golden.h"
#include "systems/system_files.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
using ::testing::HasSubstr;
const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

// The sound of a WAV file, read as the program reads its samples.
std::vector<double> pcmOf(std::span<const std::uint8_t> bytes) {
    const std::vector<std::int16_t> samples = decodeAnyWav(bytes).samples;
    return {samples.begin(), samples.end()};
}

// Pitch of one second of sound after its attack.
double pitchOf(const std::vector<double>& x, double nearHz) {
    const std::span<const double> steady = std::span<const double>(x).subspan(4410, 44100);
    const double coarse =
        am::coarseFundamental(steady.subspan(0, 2646), nearHz / 1.2, nearHz * 1.2);
    return am::refinePeak(steady, coarse, 12);
}

systems::PitchSystem system(const char* name) {
    return systems::findSystem(kProgram, name, systems::readDegreeNamer(kProgram));
}

// The bundled program, loaded.
class SystemSwitch : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(result.fatal); }
    LoadedProgram& p() { return *result.program; }
    RecordedMessages messages;
    StartupResult result = loadProgram(kProgram, messages);
};

// String 12 open sounds its table pitch in the 79-tone system and in 72-EDO: the image stands
// to the sample as the table pitch to the sample's nominal pitch, within a cent.
TEST_F(SystemSwitch, StringTwelveOpenSoundsItsTablePitchInEachSystem) {
    const std::string sampleName = p().samples.sampleFileName[12];
    std::ifstream in(kProgram / "wavs" / sampleName, std::ios::binary);
    const std::vector<std::uint8_t> sampleBytes{std::istreambuf_iterator<char>(in), {}};
    const double nominalHz = std::stod(sampleName.substr(3, 6)) / 100.0;
    const double sampleHz = pitchOf(pcmOf(sampleBytes), nominalHz);

    for (const char* name : {"72 eşit", "Yarman 79"}) {
        SCOPED_TRACE(name);
        const systems::PitchSystem sys = system(name);
        useSystem(p(), sys);
        const double tableCents = sys.tables.centTable(12, 0);
        EXPECT_NEAR(tableCents, std::string(name) == "72 eşit" ? 900.0 : 898.113, 1e-3);
        const double tableHz = 262.0 * std::exp2(tableCents / 1200.0);
        const double imageHz = pitchOf(pcmOf(*p().sounds->stringSound(12)), tableHz);
        EXPECT_NEAR(am::centsBetween(imageHz, sampleHz), am::centsBetween(tableHz, nominalHz), 1.0);
    }
}

// The mandal positions and the fine tuning stay, a position beyond a narrower range held at its
// end (not brought back later), and the sound follows both; a transposition target of string 1
// is folded onto its row only where it folds.
TEST_F(SystemSwitch, SwitchesKeepPositionsAndTuningAsApproved) {
    InstrumentState& st = p().instrument;
    st.mandalPos[9] = 5;
    st.mandalPos[20] = -1;
    p().tuning.tuningOffset[20] = 2.25f;
    std::ostringstream log;
    for (const char* name : {"12 eşit", "Yarman 79", "53 koma", "72 eşit"}) {
        useSystem(p(), system(name));
        p().sounds->PrepareStringSound(20, st.mandalPos[20], p().tables,
                                       p().tuning.tuningOffset[20]);
        log << name << ":";
        for (int s : {9, 20})
            log << " tel " << s << " mandal " << st.mandalPos[s] << " (" << st.mandalMin[s] << ".."
                << st.mandalMax[s] << "),";
        log << " akort " << p().tuning.tuningOffset[20] << ", nota " << p().sounds->noteCents
            << ", tel 1 göçürüm";
        for (int target : {3, 5}) {
            st.transposedMandal[1] = static_cast<std::int16_t>(target);
            yenimandal(st, 1);
            log << " " << target << "->" << st.transposedMandal[1];
        }
        log << "\n";
    }
    test::expectGolden("shell/system_switch.txt", log.str());
}

TEST_F(SystemSwitch, ReportListsEveryStringAndTheCentsOfEveryPosition) {
    const systems::PitchSystem sys = system("12 eşit");
    useSystem(p(), sys);
    std::FILE* out = std::tmpfile();
    printSystemReport(out, p(), sys);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(out);
    // The program folder differs from one checkout to the next.
    text.replace(text.find(kProgram.string()), kProgram.string().size(), "<program>");
    test::expectGolden("shell/system_report_12.txt", text);
    EXPECT_EQ(runSystemReport(kProgram, "Yarman 81"), 1); // an unknown system fails
}

} // namespace
} // namespace zembera
