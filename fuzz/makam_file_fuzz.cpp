// Reads arbitrary bytes as a makam file; every position it hands over must lie in its string's
// range, so that the tables looked up with it are never read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "sound/patched_sample.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    static const InstrumentState ranges = [] {
        InstrumentState st;
        for (int k = 1; k <= 26; ++k) {
            st.mandalMin[k] = static_cast<std::int16_t>(mandalMinOf(k));
            st.mandalMax[k] = static_cast<std::int16_t>(mandalMaxOf(k));
        }
        return st;
    }();
    const std::string text =
        decodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    PerString<std::int16_t> positions{};
    int next = 1;
    try {
        readMakamPositions(text, "x.mkm", ranges, [&](int k, std::int16_t position) {
            if (k != next++ || !isPlayablePosition(k, position)) std::abort();
            positions[k] = position;
        });
        // The whole-file reader the makam list loads with agrees, and what was read writes back
        // to a file that reads the same.
        if (readMakamFile(text, "x.mkm") != positions) std::abort();
        if (readMakamFile(makamFileText(positions), "x.mkm") != positions) std::abort();
    } catch (const FormatError&) {
    }
    return 0;
}
