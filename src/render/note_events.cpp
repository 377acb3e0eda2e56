#include "render/note_events.h"

#include <algorithm>
#include <string>

#include "common/text_fields.h"
#include "files/record_file.h"
#include "sound/patched_sample.h"

namespace zembera {
namespace {

// The player's clock: each onset follows the lengths before it; a negative length is none.
class Onsets {
  public:
    void add(NoteEvents& piece, int string, int mandal) {
        piece.events.push_back(NoteEvent{at_, string, mandal});
    }
    void advance(double lengthMs) { at_ += std::max(0.0, lengthMs); }
    double now() const { return at_; }

  private:
    double at_ = 0;
};

} // namespace

NoteEvents melodyEvents(std::string_view text, const std::string& fileName,
                        const PlayerSettings& settings) {
    NoteEvents piece;
    Onsets clock;
    FieldReader reader(text, fileName);
    int units = 0; // of the previous note or rest
    while (!reader.atEnd()) {
        const MelodyRecord record = readMelodyRecord(reader);
        const MelodyStep step = melodyStep(record);
        if (step == MelodyStep::skip) continue;
        if (step == MelodyStep::rest) {
            units = restUnits(record.note());
            clock.add(piece, 0, 0);
            clock.advance(settings.unitMs * units);
            continue;
        }
        units = noteUnits(record, units);
        const int s = noteString(record.note()) + settings.ahenkShift;
        if (s < 1 || s > 26) continue;
        const int position =
            melodyMandal(settings.melodyMode, record,
                         settings.mandalPos[static_cast<std::size_t>(s)], settings.ahenkShift);
        // A file mandal outside the string's range has no pitch: the note stays silent.
        if (isPlayablePosition(s, position))
            clock.add(piece, s, position);
        else
            clock.add(piece, 0, 0);
        clock.advance(settings.unitMs * units);
    }
    piece.endMs = clock.now();
    return piece;
}

NoteEvents recordingEvents(std::string_view text, const std::string& fileName,
                           const PlayerSettings& settings) {
    NoteEvents piece;
    Onsets clock;
    FieldReader reader(text, fileName);
    while (!reader.atEnd()) {
        const RecordEntry entry = readRecordEntry(reader);
        // The string sounds at its present mandal, moved by the pitch level's string shift.
        const int s = settings.ahenkShift + entry.string;
        const int m = settings.mandalPos[static_cast<std::size_t>(entry.string)];
        if (settings.replayMode == 1 && isPlayablePosition(s, m))
            clock.add(piece, s, m);
        else
            clock.add(piece, 0, 0);
        clock.advance(entry.durationMs);
    }
    piece.endMs = clock.now();
    return piece;
}

} // namespace zembera
