// Reads arbitrary bytes as a Scala scale and as a keyboard mapping. Every scale accepted must
// hold what the instrument relies on: 5..160 rising degrees and a period of about an octave.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/text_fields.h"
#include "pitch/scala_file.h"

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
