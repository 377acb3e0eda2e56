#pragma once
// What one record of a melody file or one line of a recording does when it is played: whether it
// takes an onset, the note it shows, the note it sounds (if any) and how long it lasts. The live
// players ask this with the window's settings of the moment, the offline render with settings
// fixed for the piece, so both follow one rule.
//
// Thread: any (pure).

#include <array>
#include <cstdint>
#include <optional>

#include "files/melody_file.h"
#include "files/played_note.h"
#include "files/record_file.h"
#include "pitch/per_string.h"

namespace zembera {

struct PlayerStep {
    // False: the record starts nothing and takes no time (a skipped record, a note whose shifted
    // string lies off the instrument).
    bool onset = false;
    bool rest = false;
    // What the staff and the panel show (string 0 for a rest).
    PlayedNote shown{};
    // What sounds on the memory channel; nothing for a rest or a silent note.
    std::optional<PlayedNote> sounded;
    // From this onset to the next one; never below 0.
    double lengthMs = 0;
};

// The melody player's records one after the other: a note without a length of its own takes the
// length of the note or rest before it, so the steps keep that length between calls.
class MelodySteps {
  public:
    // `mandalPos` by string 1..26; `unitMs` the tempo (milliseconds per unit).
    PlayerStep next(const MelodyRecord& record, MandalMode mode,
                    const PerString<std::int16_t>& mandalPos, int ahenkShift, double unitMs);

  private:
    int units_ = 0; // of the previous note or rest
};

// A recorded pluck in the replay mode `replayMode` (1 "çalgı" sounds the string at its present
// mandal moved by the pitch level's string shift; the others only show the note as recorded).
PlayerStep recordStep(const RecordEntry& entry, int replayMode,
                      const PerString<std::int16_t>& mandalPos, int ahenkShift);

} // namespace zembera
