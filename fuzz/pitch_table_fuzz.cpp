// Parses arbitrary bytes as a pitch table; every table it accepts must be readable everywhere.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text_fields.h"
#include "pitch/pitch_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        zembera::decodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        const zembera::PitchTables t = zembera::parsePitchTable(text, "Dizek.txt");
        double sum = 0;
        for (int s = 1; s <= zembera::kStringCount; ++s) {
            for (int m = zembera::kMandalLow; m <= zembera::kMandalHigh; ++m) {
                sum += t.centTable(s, m) + t.mandalMark(s, m) + t.stringDegree(s, m);
                sum += static_cast<double>(t.degreeName(s, m).size());
            }
        }
        (void)sum;
    } catch (const zembera::FormatError&) {
    }
    return 0;
}
