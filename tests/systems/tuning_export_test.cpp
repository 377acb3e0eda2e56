// Scala and MIDI tuning exports against files written by hand from the published formats.

#include "systems/tuning_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numeric>
#include <vector>

#include "pitch/scala_file.h"
#include "systems/system_files.h"

namespace zembera::systems {
namespace {

// Every string on its natural in 12-EDO above C4 = 262 Hz, A4 2.25 cents higher, D5 50.5.
StringCents handTuning(double shift) {
    StringCents cents{};
    for (int s = 1; s <= kStringCount; ++s)
        cents[static_cast<std::size_t>(s)] = 100.0 * (stringKey(s) - 60) + shift;
    cents[12] += 2.25;
    cents[9] += 50.5;
    return cents;
}

TEST(TuningExport, ScalaFilesAreTheOnesWrittenByHand) {
    const ScalaFiles files = exportScala(handTuning(0.0), "test", "ZEMBERA test");
    EXPECT_EQ(files.scl, "! test.scl\n!\nZEMBERA test\n 9\n!\n"
                         " 200.000000\n 250.500000\n 400.000000\n 500.000000\n 700.000000\n"
                         " 900.000000\n 902.250000\n 1100.000000\n 2/1\n");
    // Degrees from C2, 9 per octave; keys 45 (A2) to 88 (E6), black keys unmapped.
    EXPECT_EQ(files.kbm, "! test.kbm\n!\n"
                         "! Eşleme uzunluğu:\n44\n"
                         "! İlk ve son tuş:\n45\n88\n"
                         "! Eşlemenin ilk tuşu:\n45\n"
                         "! Frekansı verilen tuş ve frekansı (Hz):\n60\n262.000000\n"
                         "! Oktav derecesi:\n9\n"
                         "! Eşleme:\n"
                         "6\nx\n8\n"                                   // A2 - B2
                         "9\nx\n10\nx\n12\n13\nx\n14\nx\n15\nx\n17\n"  // C3 - B3
                         "18\nx\n19\nx\n21\n22\nx\n23\nx\n25\nx\n26\n" // C4 - B4
                         "27\nx\n29\nx\n30\n31\nx\n32\nx\n33\nx\n35\n" // C5 - B5
                         "36\nx\n37\nx\n39\n");                        // C6 - E6
}

TEST(TuningExport, MidiBulkDumpIsTheOneWrittenByHand) {
    // Shifted so that the naturals fall on equal-tempered keys (A4 = 440 Hz).
    const double toEqual = -1200.0 * std::log2(262.0 / (440.0 * std::exp2(-9.0 / 12.0)));
    const std::vector<std::uint8_t> dump = exportMidiTuning(handTuning(toEqual), "ZEMBERA test");
    const std::string name = "ZEMBERA test    ";
    std::vector<std::uint8_t> expected = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
    expected.insert(expected.end(), name.begin(), name.end());
    for (int key = 0; key < 128; ++key)
        expected.insert(expected.end(), {static_cast<std::uint8_t>(key), 0x00, 0x00});
    // Key 69 +2.25 cents: 368.64 of 16384, 369 = 2 * 128 + 113; key 74 +50.5 cents: 8273.92,
    // 8274 = 64 * 128 + 82.
    std::copy_n(std::begin({0x02, 0x71}), 2, expected.begin() + 22 + 3 * 69 + 1);
    std::copy_n(std::begin({0x40, 0x52}), 2, expected.begin() + 22 + 3 * 74 + 1);
    // XOR from 7E up to the last note byte.
    expected.push_back(std::accumulate(expected.begin() + 1, expected.end(), std::uint8_t{0},
                                       std::bit_xor<std::uint8_t>{}) &
                       0x7F);
    expected.push_back(0xF7);
    ASSERT_EQ(dump.size(), 408u);
    EXPECT_EQ(dump, expected);
}

// The program's own reader gives back every string's pitch from the exported pair of files.
TEST(TuningExport, ExportedScalaReadsBackWithinAThousandthOfACent) {
    const std::filesystem::path program(ZEMBERA_PROGRAM_DIR);
    const DegreeNamer names = readDegreeNamer(program);
    for (const BundledSystem& b : bundledSystems()) {
        SCOPED_TRACE(b.name);
        const PitchSystem sys = findSystem(program, b.name, names);
        std::array<std::int16_t, kStringCount + 1> positions{};
        std::array<float, kStringCount + 1> tuning{};
        for (int s = 1; s <= kStringCount; ++s) {
            const auto i = static_cast<std::size_t>(s);
            positions[i] = static_cast<std::int16_t>(
                s % 3 == 0 ? sys.mandalMax[i] : (s % 3 == 1 ? sys.mandalMin[i] : 0));
            tuning[i] = s % 4 == 0 ? 0.25f * static_cast<float>(s) : (s % 5 == 0 ? -2.0f : 0.0f);
        }
        const StringCents cents = soundingCents(sys.tables, positions, tuning);
        const ScalaFiles files = exportScala(cents, "x", b.name);
        const Scale scale = parseScale(files.scl, "x.scl");
        const KeyboardMapping map = parseKeyboardMapping(files.kbm, "x.kbm");
        const double referenceCents = 1200.0 * std::log2(map.referenceHz / kReferenceHz) -
                                      degreeCents(scale, *degreeOfKey(map, map.referenceKey));
        for (int s = 1; s <= kStringCount; ++s) {
            const std::optional<int> degree = degreeOfKey(map, stringKey(s));
            ASSERT_TRUE(degree) << s;
            EXPECT_NEAR(referenceCents + degreeCents(scale, *degree),
                        cents[static_cast<std::size_t>(s)], 1e-3)
                << s;
        }
    }
}

} // namespace
} // namespace zembera::systems
