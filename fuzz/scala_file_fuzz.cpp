// Reads arbitrary bytes as a Scala scale and as a keyboard mapping. Every scale accepted must
// hold what the instrument relies on: 5..160 rising degrees and a period of about an octave; the
// pitch tables built from it either are refused or keep every string's degrees in the tables.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <stdexcept>

#include "common/text_fields.h"
#include "pitch/scala_file.h"
#include "systems/pitch_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const Scale s = parseScale(text, "x.scl");
        if (s.size() < kScaleDegreesMin || s.size() > kScaleDegreesMax) std::abort();
        if (std::abs(s.period - 1200.0) > kPeriodToleranceCents) std::abort();
        for (int k = -3 * s.size(); k < 3 * s.size(); ++k) {
            if (!(degreeCents(s, k + 1) > degreeCents(s, k))) std::abort();
        }
        static const systems::DegreeNamer names(systems::parseNameTable(
            "commas\tC4\tC5\n0\tA\tB\n9\tC\tD\n18\tE\tF\n22\tG\tH\n31\tI\tJ\n"
            "40\tK\tL\n49\tM\tN\n",
            "n.tsv"));
        try {
            const systems::PitchSystem sys("x", "x.scl", s, size % 7, names);
            for (int t = 1; t <= kStringCount; ++t) {
                const auto i = static_cast<std::size_t>(t);
                if (sys.mandalMin[i] > 0 || sys.mandalMax[i] < 0) std::abort();
                for (int m = sys.mandalMin[i]; m <= sys.mandalMax[i]; ++m) {
                    if (!DegreeTable::contains(sys.tables.stringDegree(t, m))) std::abort();
                    if (!std::isfinite(sys.tables.centTable(t, m))) std::abort();
                }
            }
        } catch (const std::runtime_error&) {
        }
    } catch (const FormatError&) {
    }
    try {
        const KeyboardMapping m = parseKeyboardMapping(text, "x.kbm");
        if (static_cast<int>(m.keys.size()) != m.size) std::abort();
        for (int key = 0; key < 128; ++key)
            (void)degreeOfKey(m, key);
    } catch (const FormatError&) {
    }
    return 0;
}
