#include "files/player_steps.h"

#include <algorithm>
#include <utility>

#include "files/record_file.h"
#include "pitch/pitch_table.h"

namespace zembera {
namespace {

// A melody record's onset, if it takes one (a skipped record and a note whose shifted string lies
// off the instrument start nothing and take no time). A note without a length of its own takes
// `units`, the length of the note or rest before it; the record's length is left there.
std::optional<PlayerStep> melodyOnset(const MelodyRecord& record, int& units,
                                      const PlayerSettings& now) {
    const double unitMs = now.unitMs;
    PlayerStep step;
    const MelodyStep kind = melodyStep(record);
    if (kind == MelodyStep::skip) return std::nullopt;
    if (kind == MelodyStep::rest) {
        units = restUnits(record.note());
        step.rest = true;
        step.lengthMs = std::max(0.0, unitMs * units);
        return step;
    }
    units = noteUnits(record, units);
    const int s = noteString(record.note()) + now.ahenkShift;
    if (s < 1 || s > 26) return std::nullopt; // cannot happen with the shifts of the pitch levels
    const int own = now.mandalPos[static_cast<std::size_t>(s)];
    const int position = melodyMandal(now.melodyMode, record, own, now.ahenkShift);
    step.lengthMs = std::max(0.0, unitMs * units);
    // A file mandal outside the string's range has no pitch: the note stays silent and the
    // string shows at its own mandal.
    if (isPlayablePosition(s, position)) {
        step.sounded = PlayedNote{s, position};
        step.shown = *step.sounded;
    } else {
        step.shown = PlayedNote{s, own};
    }
    return step;
}

// A recorded pluck in the replay's mode (1 "çalgı" sounds the string at its present mandal moved
// by the pitch level's string shift; the others only show the note as recorded).
PlayerStep recordStep(const RecordEntry& entry, const PlayerSettings& now) {
    PlayerStep step;
    step.recordedString = entry.string;
    // A negative duration (a file edited by hand) is no time at all.
    step.lengthMs = std::max(0.0, static_cast<double>(entry.durationMs));
    const int own = now.mandalPos[static_cast<std::size_t>(entry.string)];
    // The string sounds at its present mandal, moved by the pitch level's string shift; one
    // that the shift takes off the instrument or out of its range stays silent.
    const PlayedNote note{now.ahenkShift + entry.string, own};
    if (now.replayMode == 1 && isPlayablePosition(note.string, note.mandal)) {
        step.sounded = note;
        step.shown = note;
        return step;
    }
    // In the modes "şartlı" and "dosya" nothing sounds and the staff shows the note as it was
    // recorded; a silent note of "çalgı" shows the string at its mandal.
    step.shown = PlayedNote{entry.string, own};
    if (now.replayMode != 1 && isPlayablePosition(entry.string, entry.mandal))
        step.shown.mandal = entry.mandal;
    return step;
}

} // namespace

FilePiece::FilePiece(Kind kind, std::string text, std::string fileName)
    : kind_(kind), text_(std::move(text)), reader_(text_, std::move(fileName)) {}

std::optional<PlayerStep> FilePiece::next(const std::function<PlayerSettings()>& settingsNow) {
    try {
        while (!fault_ && !reader_.atEnd()) {
            if (kind_ == Kind::recording) {
                const RecordEntry entry = readRecordEntry(reader_);
                ++records_;
                return recordStep(entry, settingsNow());
            }
            const MelodyRecord record = readMelodyRecord(reader_);
            ++records_;
            if (auto step = melodyOnset(record, units_, settingsNow())) return step;
        }
    } catch (const FormatError& e) {
        fault_ = e; // the note before the faulty record sounds in full
    }
    return std::nullopt;
}

} // namespace zembera
