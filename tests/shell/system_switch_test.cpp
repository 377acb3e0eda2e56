// Switching the loaded program to another pitch system, heard in the sound of a string.

#include "shell/system_switch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "sound/sample_decode.h"
#include "systems/system_files.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
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

// String 12 open, fine-tuned by 20 cents, sounds its table pitch plus the 20 cents in the 79-tone
// system and in 72-EDO: measured against the sample's own pitch, within a cent.
TEST(SystemSwitch, StringTwelveOpenSoundsItsTablePitchInEachSystem) {
    RecordedMessages messages;
    const StartupResult result = loadProgram(kProgram, messages);
    ASSERT_FALSE(result.fatal);
    LoadedProgram& p = *result.program;
    const std::string sampleName = p.samples.sampleFileName[12];
    std::ifstream in(kProgram / "wavs" / sampleName, std::ios::binary);
    const std::vector<std::uint8_t> sampleBytes{std::istreambuf_iterator<char>(in), {}};
    const double nominalHz = std::stod(sampleName.substr(3, 6)) / 100.0;
    const double sampleHz = pitchOf(pcmOf(sampleBytes), nominalHz);
    p.tuning.tuningOffset[12] = 20.0F;

    for (const char* name : {"72 eşit", "Yarman 79"}) {
        SCOPED_TRACE(name);
        const auto sys = systems::findSystem(kProgram, name, systems::readDegreeNamer(kProgram));
        useSystem(p, sys);
        const double tableCents = sys.tables.centTable(12, 0);
        EXPECT_NEAR(tableCents, std::string(name) == "72 eşit" ? 900.0 : 898.113, 1e-3);
        const double tableHz = 262.0 * std::exp2((tableCents + 20.0) / 1200.0);
        const double imageHz = pitchOf(pcmOf(*p.sounds->stringSound(12)), tableHz);
        EXPECT_NEAR(am::centsBetween(imageHz, sampleHz), am::centsBetween(tableHz, nominalHz), 1.0);
    }
}

} // namespace
} // namespace zembera
