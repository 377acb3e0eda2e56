#include "render/note_events.h"

#include <string>

#include "common/text_fields.h"
#include "files/player_steps.h"
#include "files/record_file.h"

namespace zembera {
namespace {

// The player's clock: each onset follows the lengths before it.
class Onsets {
  public:
    // The step's note, or an onset that only silences, then its length.
    void add(NoteEvents& piece, const PlayerStep& step) {
        const PlayedNote sounded = step.sounded.value_or(PlayedNote{});
        piece.events.push_back(NoteEvent{at_, sounded.string, sounded.mandal});
        at_ += step.lengthMs;
    }
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
    MelodySteps steps;
    while (!reader.atEnd()) {
        const PlayerStep step =
            steps.next(readMelodyRecord(reader), settings.melodyMode, settings.mandalPos,
                       settings.ahenkShift, settings.unitMs);
        if (!step.onset) continue;
        clock.add(piece, step);
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
        clock.add(piece, recordStep(readRecordEntry(reader), settings.replayMode,
                                    settings.mandalPos, settings.ahenkShift));
    }
    piece.endMs = clock.now();
    return piece;
}

} // namespace zembera
