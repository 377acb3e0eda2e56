// Reads arbitrary bytes as a SymbTr text score: a score with sane notes or a ScoreError.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scores/symbtr_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const zembera::scores::Score score = zembera::scores::parseSymbTr(text, "f.txt");
        for (const auto& n : score.notes)
            if (!(n.beats > 0) || !(n.ms > 0) || (!n.rest && !std::isfinite(n.cents)) ||
                (!n.rest && (n.step < 0 || n.step > 6)))
                std::abort();
        // A text that reads as a score has a SymbTr header.
        if (!zembera::scores::looksLikeSymbTr(text)) std::abort();
    } catch (const zembera::scores::ScoreError&) {
    }
    return 0;
}
