#include "files/player_steps.h"

#include <algorithm>
#include <utility>

#include "sound/patched_sample.h"

namespace zembera {

PlayerStep MelodySteps::next(const MelodyRecord& record, MandalMode mode,
                             const PerString<std::int16_t>& mandalPos, int ahenkShift,
                             double unitMs) {
    PlayerStep step;
    const MelodyStep kind = melodyStep(record);
    if (kind == MelodyStep::skip) return step;
    if (kind == MelodyStep::rest) {
        units_ = restUnits(record.note());
        step.onset = true;
        step.rest = true;
        step.lengthMs = std::max(0.0, unitMs * units_);
        return step;
    }
    units_ = noteUnits(record, units_);
    const int s = noteString(record.note()) + ahenkShift;
    if (s < 1 || s > 26) return step; // cannot happen with the shifts of the pitch levels
    const int own = mandalPos[static_cast<std::size_t>(s)];
    const int position = melodyMandal(mode, record, own, ahenkShift);
    step.onset = true;
    step.lengthMs = std::max(0.0, unitMs * units_);
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

PlayerStep recordStep(const RecordEntry& entry, int replayMode,
                      const PerString<std::int16_t>& mandalPos, int ahenkShift) {
    PlayerStep step;
    step.onset = true;
    step.recordedString = entry.string;
    // A negative duration (a file edited by hand) is no time at all.
    step.lengthMs = std::max(0.0, static_cast<double>(entry.durationMs));
    const int own = mandalPos[static_cast<std::size_t>(entry.string)];
    // The string sounds at its present mandal, moved by the pitch level's string shift; one
    // that the shift takes off the instrument or out of its range stays silent.
    const PlayedNote note{ahenkShift + entry.string, own};
    if (replayMode == 1 && isPlayablePosition(note.string, note.mandal)) {
        step.sounded = note;
        step.shown = note;
        return step;
    }
    // In the modes "şartlı" and "dosya" nothing sounds and the staff shows the note as it was
    // recorded; a silent note of "çalgı" shows the string at its mandal.
    step.shown = PlayedNote{entry.string, own};
    if (replayMode != 1 && isPlayablePosition(entry.string, entry.mandal))
        step.shown.mandal = entry.mandal;
    return step;
}

FilePiece::FilePiece(Kind kind, std::string text, std::string fileName)
    : kind_(kind), text_(std::move(text)), reader_(text_, std::move(fileName)) {}

std::optional<PlayerStep> FilePiece::next(const std::function<PlayerSettings()>& settingsNow) {
    try {
        while (!fault_ && !reader_.atEnd()) {
            if (kind_ == Kind::recording) {
                const RecordEntry entry = readRecordEntry(reader_);
                ++records_;
                const PlayerSettings now = settingsNow();
                return recordStep(entry, now.replayMode, now.mandalPos, now.ahenkShift);
            }
            const MelodyRecord record = readMelodyRecord(reader_);
            ++records_;
            const PlayerSettings now = settingsNow();
            const PlayerStep step =
                steps_.next(record, now.melodyMode, now.mandalPos, now.ahenkShift, now.unitMs);
            if (step.onset) return step;
        }
    } catch (const FormatError& e) {
        fault_ = e; // the note before the faulty record sounds in full
    }
    return std::nullopt;
}

} // namespace zembera
