// Reads arbitrary bytes as a melody file, record by record, the way the player walks it, and
// checks that every note it would sound lies on the instrument: a string 1..26 for every pitch
// level, and a table position only when it is within the string's range. The player's piece
// gives the same onsets and the same fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text_fields.h"
#include "files/melody_file.h"
#include "files/player_steps.h"
#include "pitch/pitch_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    static const PitchTables tables;
    const std::string text =
        decodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    FieldReader reader(text, "x.ses");
    int units = 0;
    std::size_t onsets = 0;
    bool faulty = false;
    try {
        while (!reader.atEnd()) {
            const MelodyRecord r = readMelodyRecord(reader);
            const MelodyStep step = melodyStep(r);
            if (step == MelodyStep::rest) {
                units = restUnits(r.note());
                if (units < 2 || units > 64) std::abort();
                ++onsets;
                continue;
            }
            if (step == MelodyStep::skip) continue;
            units = noteUnits(r, units);
            ++onsets;
            if (units < 0 || units > 96 || 60 * units > 32767) std::abort();
            for (int shift = -3; shift <= 4; ++shift) {
                const int s = noteString(r.note()) + shift;
                if (s < 1 || s > 26) std::abort();
                for (int mode = 1; mode <= 3; ++mode) {
                    const int m = melodyMandal(static_cast<MandalMode>(mode), r, 0, shift);
                    // The player looks a position up only when it is playable; the lookup is
                    // bounds checked and throws (an uncaught finding) when it is not.
                    if (isPlayablePosition(s, m)) (void)tables.centTable(s, m);
                }
            }
        }
    } catch (const FormatError&) {
        faulty = true;
    }
    FilePiece piece(FilePiece::Kind::melody, text, "x.ses");
    std::size_t given = 0;
    while (const auto step = piece.next([] { return PlayerSettings{}; })) {
        const auto& sounded = step->sounded;
        if (step->lengthMs < 0 ||
            (sounded && !isPlayablePosition(sounded->string, sounded->mandal)))
            std::abort();
        ++given;
    }
    if (given != onsets || piece.fault().has_value() != faulty) std::abort();
    return 0;
}
