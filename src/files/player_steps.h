#pragma once
// A melody file or a recording as its player walks it, one onset at a time: the note each onset
// shows, the note it sounds (if any) and how long it lasts. The live players ask it with the
// window's settings of the moment, the offline render with settings fixed for the piece, so both
// follow one rule.
//
// Thread: any (pure).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/text_fields.h"
#include "files/melody_file.h"
#include "files/played_note.h"
#include "pitch/per_string.h"

namespace zembera {

// One onset.
struct PlayerStep {
    bool rest = false;
    // What the staff and the panel show (string 0 for a rest).
    PlayedNote shown{};
    // What sounds on the memory channel; nothing for a rest or a silent note.
    std::optional<PlayedNote> sounded;
    // From this onset to the next one; never below 0.
    double lengthMs = 0;
    // A recording's: the string the pluck was recorded on, which the replay selects.
    int recordedString = 0;
};

// The tempo of the melody player as the window starts: milliseconds per unit.
inline constexpr int kStartTempoMs = 40;

// What the players read from the instrument and the window besides the file.
struct PlayerSettings {
    PerString<std::int16_t> mandalPos{}; // by string 1..26
    int ahenkShift = 0;
    MandalMode melodyMode = MandalMode::şartlı; // the melody's mandal mode as the window starts
    int replayMode = 1;         // the replay's mandal mode: 1 "çalgı" sounds, others stay silent
    int unitMs = kStartTempoMs; // the tempo scroll bar
};

// A melody file's or a recording's text as its player walks it, one onset at a time. A faulty
// record ends the piece: the onsets before it are all given, then the fault is kept.
class FilePiece {
  public:
    enum class Kind { melody, recording };
    // `fileName` names the file in the fault.
    FilePiece(Kind kind, std::string text, std::string fileName);
    FilePiece(const FilePiece&) = delete; // the reader points into the text
    FilePiece& operator=(const FilePiece&) = delete;

    // The next onset, or nothing at the end or at a fault. `settingsNow` is asked once for each
    // record as it is read (a player shows its counter then), so the settings of that moment
    // apply.
    std::optional<PlayerStep> next(const std::function<PlayerSettings()>& settingsNow);
    // The records read whole so far.
    int records() const { return records_; }
    const std::optional<FormatError>& fault() const { return fault_; }

  private:
    Kind kind_;
    std::string text_;
    FieldReader reader_;
    int units_ = 0; // of the melody's previous note or rest
    int records_ = 0;
    std::optional<FormatError> fault_;
};

} // namespace zembera
