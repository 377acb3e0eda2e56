// Reads arbitrary bytes as MusicXML and as a compressed .mxl archive: every outcome is a score
// with sane notes or a ScoreError, never a crash, a hang or another exception.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scores/kanun_mapping.h"
#include "scores/score_file.h"

namespace {

void check(const zembera::scores::Score& score) {
    if (score.notes.empty() || score.notes.size() > zembera::scores::kMaxScoreNotes) std::abort();
    for (const auto& n : score.notes) {
        if (!(n.beats > 0) || !(n.ms > 0) || !std::isfinite(n.ms)) std::abort();
        if (!n.rest && (n.step < 0 || n.step > 6 || !std::isfinite(n.cents))) std::abort();
        if (n.chord && n.rest) std::abort();
    }
    // A held note continues one sounding before it: never the first note.
    if (score.notes.front().held) std::abort();
    // Placed on the strings: one placed note each, chord notes at their chord's onset.
    static const zembera::PitchTables tables;
    const zembera::scores::PlacedScore placed =
        zembera::scores::placeScore(score, zembera::scores::standardSetup(tables, 0));
    if (placed.notes.size() != score.notes.size()) std::abort();
    for (std::size_t i = 0; i < placed.notes.size(); ++i) {
        const auto& p = placed.notes[i];
        if (!p.rest && (p.string < 1 || p.string > zembera::kStringCount)) std::abort();
        if (p.chord && (i == 0 || p.onsetMs != placed.notes[i - 1].onsetMs)) std::abort();
    }
    if (!std::isfinite(placed.worstErrorCents)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"f.musicxml", "f.mxl"}) {
        try {
            check(zembera::scores::parseScoreBytes(bytes, name));
        } catch (const zembera::scores::ScoreError&) {
        }
    }
    // The other readings, the second voice of the second part.
    using zembera::scores::PitchReading;
    for (const zembera::scores::ScoreChoice choice :
         {zembera::scores::ScoreChoice{PitchReading::commas, 1, 1},
          zembera::scores::ScoreChoice{PitchReading::exact, 0, 2},
          zembera::scores::ScoreChoice{PitchReading::keyCommas, -1, 0}}) {
        try {
            check(zembera::scores::parseScoreBytes(bytes, "f.musicxml", choice));
        } catch (const zembera::scores::ScoreError&) {
        }
    }
    return 0;
}
