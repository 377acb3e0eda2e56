#include "render/note_events.h"

namespace zembera {
namespace {

// Every onset of the piece, each one the lengths before it after the first.
NoteEvents drained(FilePiece::Kind kind, std::string_view text, const std::string& fileName,
                   const PlayerSettings& settings) {
    FilePiece piece(kind, std::string(text), fileName);
    NoteEvents events; // its end, while it grows, is the next onset
    while (const std::optional<PlayerStep> step = piece.next([&] { return settings; })) {
        // The step's note, or an onset that only silences.
        const PlayedNote sounded = step->sounded.value_or(PlayedNote{});
        events.events.push_back(NoteEvent{events.endMs, sounded.string, sounded.mandal});
        events.endMs += step->lengthMs;
    }
    if (piece.fault()) throw *piece.fault();
    return events;
}

} // namespace

NoteEvents melodyEvents(std::string_view text, const std::string& fileName,
                        const PlayerSettings& settings) {
    return drained(FilePiece::Kind::melody, text, fileName, settings);
}

NoteEvents recordingEvents(std::string_view text, const std::string& fileName,
                           const PlayerSettings& settings) {
    return drained(FilePiece::Kind::recording, text, fileName, settings);
}

} // namespace zembera
