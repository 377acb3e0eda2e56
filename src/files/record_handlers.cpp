#include "files/record_handlers.h"

#include <memory>
#include <optional>
#include <string>

#include "files/memory_channel_note.h"
#include "files/player_steps.h"
#include "files/text_file.h"

namespace zembera {

std::filesystem::path RecordHandlers::recordFilePath() const {
    return p_.records() / pathFromUtf8(kRecordFileName);
}

void RecordHandlers::setIdleControls() {
    FilesView& c = p_.controls;
    c.setButtonEnabled(RecordButton::stop_buton, false);
    c.setButtonEnabled(RecordButton::pause_buton, false);
    c.setButtonEnabled(RecordButton::Play_buton, true);
    c.setButtonEnabled(RecordButton::rec_buton, true);
    setFramesEnabled(c, kRecordingFrames, true);
}

void RecordHandlers::setBusyControls(bool replaying) {
    FilesView& c = p_.controls;
    c.setButtonEnabled(RecordButton::stop_buton, true);
    c.setButtonEnabled(RecordButton::pause_buton, replaying);
    c.setButtonEnabled(RecordButton::Play_buton, false);
    c.setButtonEnabled(RecordButton::rec_buton, false);
    setFramesEnabled(c, kRecordingFrames, false);
}

void RecordHandlers::rec_buton_Click() {
    InstrumentState& st = p_.instrument;
    // No recording starts while a replay, melody or score plays.
    if (st.recording || st.playingBack) return;
    replayFile_.reset(); // the new recording is the one replayed
    if (const auto failure = recordFile_.startNew(recordFilePath())) {
        p_.messages.show(std::string(kRecordFileNotWritten) + "\n" + *failure);
        p_.controls.focusInstrument();
        return;
    }
    st.recording = true;
    p_.recording.firstPluckPending = true;
    setBusyControls(false);
    p_.controls.setRecordLamp(true);
    p_.controls.focusInstrument();
}

void RecordHandlers::stop_buton_Click() {
    InstrumentState& st = p_.instrument;
    RecordingState& rec = p_.recording;
    setIdleControls();
    if (st.recording) {
        st.recording = false;
        rec.recordTimer.Halt();
        // Without any pluck the timer holds no interval of this recording.
        const std::int32_t elapsedMs =
            rec.firstPluckPending ? 0 : toWholeMilliseconds(rec.recordTimer.RunTime());
        recordFile_.writePluck(st.lastString, st.mandalPos[st.lastString], elapsedMs);
        p_.controls.setRecordLamp(false);
        if (const auto failure = recordFile_.finish()) {
            p_.messages.show(std::string(kRecordFileNotWritten) + "\n" + *failure);
        }
    }
    // A replay ends at once: its note is cut and the controls come back.
    if (st.playingBack) p_.player.stop();
    p_.controls.focusInstrument();
}

void RecordHandlers::pause_buton_Click() {
    // The replay or score playing cuts its notes and holds until the message is closed; then
    // its next note starts at once.
    const bool holding = p_.instrument.playingBack && p_.player.playing();
    if (holding) p_.player.pause();
    p_.messages.show(kPaused);
    if (holding) p_.player.resume();
    p_.controls.focusInstrument();
}

namespace {

// A replay under way: its piece and the onset drawn.
struct Replay {
    Replay(std::string text, const std::string& name)
        : piece(FilePiece::Kind::recording, std::move(text), name) {}
    FilePiece piece;
    MemoryChannelNote note;
};

} // namespace

void RecordHandlers::Play_buton_Click() {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return;
    const auto file = replayFilePath();
    // Messages name the recording by its own name.
    const std::string name = replayFile_ ? file.filename().string() : kRecordFileName;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        p_.messages.show(kNoRecording);
        p_.controls.focusInstrument();
        return;
    }
    p_.controls.setReplayLamp(true);
    setBusyControls(true);
    st.playingBack = true;

    const TextRead read = readTextFileOrReason(file);
    if (!read.text) {
        endReplay(FormatError(name, 0, read.problem));
        return;
    }
    auto replay = std::make_shared<Replay>(*read.text, name);
    NoteSink sink;
    sink.draw = [this, replay]() -> std::optional<double> {
        InstrumentState& st = p_.instrument;
        // The mode and the mandals as they are now: they may change while it plays.
        const std::optional<PlayerStep> step = replay->piece.next([&] {
            return PlayerSettings{.mandalPos = st.mandalPos,
                                  .ahenkShift = p_.tuning.ahenkShift,
                                  .replayMode = p_.controls.replayModeIndex()};
        });
        if (!step) return std::nullopt;
        st.currentString = static_cast<std::int16_t>(step->recordedString);
        p_.view.mandal_at();
        showPlayedNote(st, p_.view, step->shown);
        p_.view.arıza_yaz(step->recordedString);
        replay->note.prepare(p_.sound, p_.source, step->sounded);
        return step->lengthMs;
    };
    sink.start = [this, replay] { replay->note.start(p_.sound, p_.source, true); };
    sink.silence = [this, replay] { replay->note.silence(p_.sound); };
    sink.finished = [this, replay] {
        // Nothing sounds now: the staff and the panel show the selected string where its mandal
        // stands, as the close-up does, not the last note played.
        p_.view.porte();
        p_.view.etiket();
        endReplay(replay->piece.fault());
    };
    p_.player.play(std::move(sink));
}

void RecordHandlers::endReplay(const std::optional<FormatError>& fault) {
    if (fault) p_.messages.show(std::string(kRecordFileFault) + "\n" + fault->what());
    p_.instrument.playingBack = false;
    setIdleControls();
    p_.controls.setReplayLamp(false);
    p_.controls.focusInstrument();
}

} // namespace zembera
