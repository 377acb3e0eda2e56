// Reads arbitrary bytes as a Standard MIDI File score, with the default and two other choices of
// track and channel: every outcome is a score with sane notes or a ScoreError, never a crash, a
// hang or another exception.
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
    if (score.noteCount() == 0 || !score.midi) std::abort();
    for (const auto& n : score.notes) {
        if (!(n.beats > 0) || !(n.ms > 0) || !std::isfinite(n.ms) || !std::isfinite(n.beats))
            std::abort();
        if (!n.rest && (n.step < 0 || n.step > 6 || !std::isfinite(n.cents))) std::abort();
        if (n.chord && n.rest) std::abort();
    }
    if (score.part < 0 || score.part >= static_cast<int>(score.parts.size())) std::abort();
    if (score.voice < 0 || score.voice >= static_cast<int>(score.voices.size())) std::abort();
    static const zembera::PitchTables tables;
    const zembera::scores::PlacedScore placed =
        zembera::scores::placeScore(score, zembera::scores::standardSetup(tables, 0));
    if (placed.notes.size() != score.notes.size()) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    using zembera::scores::PitchReading;
    for (const zembera::scores::ScoreChoice choice :
         {zembera::scores::ScoreChoice{}, zembera::scores::ScoreChoice{PitchReading::exact, 1, 1},
          zembera::scores::ScoreChoice{PitchReading::exact, 2, 3}}) {
        try {
            check(zembera::scores::parseScoreBytes(bytes, "f.mid", choice));
        } catch (const zembera::scores::ScoreError&) {
        }
    }
    return 0;
}
