// Switching the loaded program to another pitch system, heard in the sound of a string.

#include "loader/system_switch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "files/makam_file.h"
#include "samples/sample_reader.h"
#include "support/fold_table.h"
#include "support/loaded_program.h"
#include "support/scl_pitches.h"
#include "support/wav_files.h"
#include "systems/system_files.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

// The sound of a WAV file, read as the program reads its samples.
std::vector<double> pcmOf(std::span<const std::uint8_t> bytes) {
    const SampleRead read = readSample(bytes);
    std::vector<double> x;
    for (const float v : read.sample ? read.sample->frames : std::vector<float>{})
        x.push_back(v * 32768.0);
    return x;
}
std::vector<double> pcmOf(const std::vector<std::int16_t>& samples) {
    return {samples.begin(), samples.end()};
}

// Pitch of one second of sound after its attack.
double pitchOf(const std::vector<double>& x, double nearHz) {
    const std::span<const double> steady = std::span<const double>(x).subspan(4410, 44100);
    const double coarse =
        am::coarseFundamental(steady.subspan(0, 2646), nearHz / 1.2, nearHz * 1.2);
    return am::refinePeak(steady, coarse, 12);
}

const systems::PitchSystem& bundled(const char* name) {
    static std::map<std::string, systems::PitchSystem> built;
    if (!built.contains(name))
        built.emplace(name,
                      systems::findSystem(kProgram, name, systems::readDegreeNamer(kProgram)));
    return built.at(name);
}

// The pitch string s's sound has, in cents above C4, measured against its sample's own pitch
// (the sample file names its nominal frequency).
class StringPitchMeter {
  public:
    double centsOf(const LoadedProgram& p, int s, double nearCents) {
        const std::string& name = p.samples.sampleFileName[static_cast<std::size_t>(s)];
        const double nominalHz = std::stod(name.substr(3, 6)) / 100.0;
        if (!sampleHz_.contains(s))
            sampleHz_[s] = pitchOf(pcmOf(test::readFile(kProgram / "wavs" / name)), nominalHz);
        const double nearHz = 262.0 * std::exp2(nearCents / 1200.0);
        const double imageHz = pitchOf(pcmOf(test::stringSound(p, s)), nearHz);
        return am::centsBetween(nominalHz, 262.0) + am::centsBetween(imageHz, sampleHz_[s]);
    }

  private:
    std::map<int, double> sampleHz_;
};

PerString<std::int16_t> makamPositions(const char* makam) {
    const auto text = test::readFile(std::string(ZEMBERA_SOURCE_DIR) + "/data/" + makam + ".mkm");
    return readMakamFile(std::string(text.begin(), text.end()), makam);
}

const test::SclPitches& scaleOf(const char* file) {
    static std::map<std::string, test::SclPitches> read;
    if (!read.contains(file))
        read.emplace(file, test::readScl((kProgram / systems::kSystemsFolder / file).string()));
    return read.at(file);
}

double nearestReached(const test::SclPitches& scale, const LoadedProgram& p, int s, double cents) {
    return test::nearestReached(scale, s, p.instrument.mandalMin[static_cast<std::size_t>(s)],
                                p.instrument.mandalMax[static_cast<std::size_t>(s)], cents);
}

// The pitches of the strings at `positions` in Yarman 79, from its scale and layout.
StringPitches yarmanPitches(const PerString<std::int16_t>& positions) {
    StringPitches cents{};
    for (int s = 1; s <= kStringCount; ++s)
        cents[static_cast<std::size_t>(s)] =
            test::yarmanCents(scaleOf("79-159.scl"), s, positions[static_cast<std::size_t>(s)]);
    return cents;
}

// Rast and Hicaz, with fine tuning, through Yarman 79, 12 eşit, 72 eşit and back: each switch
// starts from the system left, every string sounding the degree of the new .scl nearest the pitch
// it had there (measured in the sound of the moved strings, the fine tuning on top); back in
// Yarman 79 every position and every cent is the user's again.
TEST(SystemSwitch, ChainedSwitchesStartFromTheSystemLeftAndComeBackUnchanged) {
    StringPitchMeter meter;
    const std::pair<const char*, const char*> chain[] = {{"12 eşit", "12-edo.scl"},
                                                         {"72 eşit", "72-edo.scl"}};
    for (const char* makam : {"Rast", "Hicaz"}) {
        SCOPED_TRACE(makam);
        RecordedMessages messages;
        const auto program = test::loadFrom(kProgram, messages);
        LoadedProgram& p = *program;
        p.instrument.mandalPos = makamPositions(makam);
        p.tuning.tuningOffset[14] = 3.5F;
        p.tuning.tuningOffset[5] = -1.25F;
        const PerString<std::int16_t> positions79 = p.instrument.mandalPos;
        const auto tuning = p.tuning.tuningOffset;
        StringPitches before = yarmanPitches(positions79);
        SystemSwitcher switcher;
        int from = 0;
        int to = 1;
        for (const auto& [system, scl] : chain) {
            SCOPED_TRACE(system);
            switcher.switchSystem(p, from, to, bundled(system));
            from = to++;
            for (int s = 1; s <= kStringCount; ++s) {
                const auto i = static_cast<std::size_t>(s);
                const double expected = nearestReached(scaleOf(scl), p, s, before[i]);
                EXPECT_NEAR(p.tables.centTable(s, p.instrument.mandalPos[i]), expected, 1e-6) << s;
                EXPECT_EQ(p.tuning.tuningOffset[i], tuning[i]) << s;
                before[i] = expected;
                if (positions79[i] == 0 && s != 14) continue;
                const double heard = expected + tuning[i];
                EXPECT_NEAR(meter.centsOf(p, s, heard), heard, 1.0) << s;
            }
        }
        if (std::string(makam) == "Rast") { // 12 eşit's F sharp and string 4 are in 72 eşit too
            EXPECT_NEAR(p.tables.centTable(14, p.instrument.mandalPos[14]), 600.0, 1e-6);
            EXPECT_NEAR(p.tables.centTable(4, p.instrument.mandalPos[4]), 2300.0, 1e-6);
        }
        switcher.switchSystem(p, from, 0, bundled("Yarman 79"));
        EXPECT_EQ(p.instrument.mandalPos, positions79);
        EXPECT_EQ(p.tuning.tuningOffset, tuning);
    }
}

// Rast, then 12 eşit, then one change, then back to Yarman 79: the changed string takes the
// Yarman degree nearest what it sounds now, every other string gets Rast's position back.
TEST(SystemSwitch, AChangeInBetweenForgetsOnlyTheChangedString) {
    struct Change {
        const char* what;
        std::int16_t position; // of string 14 in 12 eşit; -99 leaves it
        float tuning;          // of string 14
    };
    const Change changes[] = {
        {"nothing", -99, 0.0F}, {"F natural", 0, 0.0F}, {"tuned", -99, 0.25F}};
    const StringPitches rast = yarmanPitches(makamPositions("Rast"));
    // Rast's segâh and eviç as the user set them.
    EXPECT_NEAR(rast[21], -611.3, 0.05);
    EXPECT_NEAR(rast[11], 1079.2, 0.05);
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        RecordedMessages messages;
        const auto program = test::loadFrom(kProgram, messages);
        LoadedProgram& p = *program;
        p.instrument.mandalPos = makamPositions("Rast");
        SystemSwitcher switcher;
        switcher.switchSystem(p, 0, 1, bundled("12 eşit"));
        EXPECT_NEAR(p.tables.centTable(14, p.instrument.mandalPos[14]), 600.0, 1e-9);
        if (change.position != -99) p.instrument.mandalPos[14] = change.position;
        p.tuning.tuningOffset[14] = change.tuning;
        const double now14 = p.tables.centTable(14, p.instrument.mandalPos[14]);
        switcher.switchSystem(p, 1, 0, bundled("Yarman 79"));
        for (int s = 1; s <= kStringCount; ++s) {
            const bool changed = s == 14 && std::string(change.what) != "nothing";
            const double expected = changed ? nearestReached(scaleOf("79-159.scl"), p, s, now14)
                                            : rast[static_cast<std::size_t>(s)];
            EXPECT_NEAR(p.tables.centTable(s, p.instrument.mandalPos[static_cast<std::size_t>(s)]),
                        expected, 1e-4)
                << s;
        }
    }
}

} // namespace
} // namespace zembera
