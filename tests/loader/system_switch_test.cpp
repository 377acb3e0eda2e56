// Switching the loaded program to another pitch system, heard in the sound of a string.

#include "loader/system_switch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "files/makam_file.h"
#include "instrument/service_output.h"
#include "samples/sample_decode.h"
#include "support/scl_pitches.h"
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
    const auto program = test::loadFrom(kProgram, messages);
    LoadedProgram& p = *program;
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

const systems::PitchSystem& bundled(const char* name) {
    static std::map<std::string, systems::PitchSystem> built;
    auto at = built.find(name);
    if (at == built.end()) {
        at = built
                 .emplace(name,
                          systems::findSystem(kProgram, name, systems::readDegreeNamer(kProgram)))
                 .first;
    }
    return at->second;
}

// The pitch string s's sound has, in cents above C4, measured against its sample's own pitch
// (the sample file names its nominal frequency).
class StringPitchMeter {
  public:
    double centsOf(const LoadedProgram& p, int s, double nearCents) {
        const std::string& name = p.samples.sampleFileName[static_cast<std::size_t>(s)];
        const double nominalHz = std::stod(name.substr(3, 6)) / 100.0;
        auto sample = sampleHz_.find(s);
        if (sample == sampleHz_.end()) {
            std::ifstream in(kProgram / "wavs" / name, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            sample = sampleHz_.emplace(s, pitchOf(pcmOf(bytes), nominalHz)).first;
        }
        const double nearHz = 262.0 * std::exp2(nearCents / 1200.0);
        const double imageHz = pitchOf(pcmOf(*p.sounds->stringSound(s)), nearHz);
        return am::centsBetween(nominalHz, 262.0) + am::centsBetween(imageHz, sample->second);
    }

  private:
    std::map<int, double> sampleHz_;
};

PerString<std::int16_t> makamPositions(const LoadedProgram& p, const char* makam) {
    std::ifstream in(std::string(ZEMBERA_SOURCE_DIR) + "/data/" + makam + ".mkm", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    PerString<std::int16_t> positions{};
    readMakamPositions(text.str(), makam, p.instrument,
                       [&](int k, std::int16_t m) { positions[static_cast<std::size_t>(k)] = m; });
    return positions;
}

// Rast and Hicaz, with fine tuning, through Yarman 79, 12 eşit, 72 eşit and back: in each
// system every string sounds the degree of the .scl nearest its Yarman 79 pitch (the moved
// strings measured in their sound, the fine tuning on top), and back in Yarman 79 every
// position and every cent is the user's again.
TEST(SystemSwitch, KeepsTheMusicThroughSystemsAndRestoresItOnTheWayBack) {
    StringPitchMeter meter;
    for (const char* makam : {"Rast", "Hicaz"}) {
        SCOPED_TRACE(makam);
        RecordedMessages messages;
        const auto program = test::loadFrom(kProgram, messages);
        LoadedProgram& p = *program;
        p.instrument.mandalPos = makamPositions(p, makam);
        p.tuning.tuningOffset[14] = 3.5F;
        p.tuning.tuningOffset[5] = -1.25F;
        const PerString<std::int16_t> positions79 = p.instrument.mandalPos;
        const auto tuning = p.tuning.tuningOffset;
        const StringPitches pitches79 = tablePitches(p, positions79);
        SystemSwitcher switcher;
        int from = 0;
        int to = 1;
        for (const char* file : {"12-edo.scl", "72-edo.scl"}) {
            SCOPED_TRACE(file);
            switcher.switchSystem(p, from, to, bundled(to == 1 ? "12 eşit" : "72 eşit"));
            from = to++;
            const test::SclPitches scale =
                test::readScl((kProgram / systems::kSystemsFolder / file).string());
            for (int s = 1; s <= kStringCount; ++s) {
                const auto i = static_cast<std::size_t>(s);
                // Of the degrees the string reaches, one per position from its natural's.
                const int open = test::nearestDegree(scale, test::naturalOf(s).cents());
                double expected = scale.at(open + p.instrument.mandalMin[i]);
                for (int d = open + p.instrument.mandalMin[i];
                     d <= open + p.instrument.mandalMax[i]; ++d) {
                    if (std::abs(scale.at(d) - pitches79[i]) < std::abs(expected - pitches79[i]))
                        expected = scale.at(d);
                }
                const int m = p.instrument.mandalPos[i];
                EXPECT_NEAR(p.tables.centTable(s, m), expected, 1e-6) << s;
                EXPECT_EQ(p.tuning.tuningOffset[i], tuning[i]) << s;
                if (positions79[i] == 0 && s != 14) continue;
                const double heard = expected + tuning[i];
                EXPECT_NEAR(meter.centsOf(p, s, heard), heard, 1.0) << s;
            }
        }
        switcher.switchSystem(p, from, 0, bundled("Yarman 79"));
        EXPECT_EQ(p.instrument.mandalPos, positions79);
        EXPECT_EQ(tablePitches(p, p.instrument.mandalPos), pitches79);
        EXPECT_EQ(p.tuning.tuningOffset, tuning);
    }
}

// Whatever the user changes between two switches is the music from then on: a mandal moved or
// a fine tuning changed in 12 eşit is what Yarman 79 takes, to its nearest degree.
TEST(SystemSwitch, AChangeInBetweenIsKeptInsteadOfTheRememberedPositions) {
    for (int change = 0; change < 3; ++change) {
        SCOPED_TRACE(change);
        RecordedMessages messages;
        const auto program = test::loadFrom(kProgram, messages);
        LoadedProgram& p = *program;
        p.instrument.mandalPos = makamPositions(p, "Rast");
        SystemSwitcher switcher;
        switcher.switchSystem(p, 0, 1, bundled("12 eşit"));
        const double f12 = p.tables.centTable(14, p.instrument.mandalPos[14]);
        EXPECT_NEAR(f12, 600.0, 1e-9); // Rast's F at +6 (588.68 c) is F sharp here
        if (change == 1) p.instrument.mandalPos[14] = 0; // F natural
        if (change == 2) p.tuning.tuningOffset[14] = 0.25F;
        switcher.switchSystem(p, 1, 0, bundled("Yarman 79"));
        const test::SclPitches y79 =
            test::readScl((kProgram / systems::kSystemsFolder / "79-159.scl").string());
        const double aim = change == 1 ? 500.0 : 600.0;
        const double expected =
            change == 0 ? y79.at(33 + 6) : y79.at(test::nearestDegree(y79, aim));
        EXPECT_NEAR(p.tables.centTable(14, p.instrument.mandalPos[14]), expected, 1e-5);
    }
}

} // namespace
} // namespace zembera
