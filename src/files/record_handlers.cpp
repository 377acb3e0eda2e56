#include "files/record_handlers.h"

#include <optional>

#include "common/text_fields.h"
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
    // The tail of a replay may still be on the stack; a recording must not start under it.
    if (st.recording || st.playingBack || p_.recording.loopRunning) return;
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
    if (st.playingBack) {
        st.playingBack = false;
        p_.sound.StopAllSound(); // the note is cut at once; the loop ends at its next test
        p_.controls.setReplayLamp(false);
    }
    p_.controls.focusInstrument();
}

void RecordHandlers::pause_buton_Click() {
    if (p_.instrument.playingBack) {
        p_.sound.StopAllSound();
        if (onPause) onPause();
    }
    p_.messages.show(kPaused);
    ++p_.recording.pauses; // the replay goes on from here with its next note
    p_.controls.focusInstrument();
}

void RecordHandlers::replayNotes(FieldReader& reader, NoteClock& clock) {
    InstrumentState& st = p_.instrument;
    bool noteOpen = false; // a note sounds (or, silent, takes its time) until the next onset
    auto endNote = [&] {
        if (noteOpen) p_.sound.StopAllSound();
        noteOpen = false;
    };
    std::optional<FormatError> fault;
    try {
        while (!reader.atEnd()) {
            const RecordEntry entry = readRecordEntry(reader);
            if (!clock.waitToDraw()) break;
            // The mode and the mandals as they are now: they may change while it plays.
            const PlayerStep step = recordStep(entry, p_.controls.replayModeIndex(), st.mandalPos,
                                               p_.tuning.ahenkShift);
            st.currentString = static_cast<std::int16_t>(entry.string);
            p_.view.mandal_at();
            showPlayedNote(st, p_.view, step.shown);
            p_.view.arıza_yaz(entry.string);
            if (!clock.handleEvents()) break;
            // Read and converted ahead, so that the sound starts on its onset.
            std::optional<SoundOutput::PreparedNote> prepared;
            if (step.sounded)
                prepared = p_.sound.PreparePatchedSample(p_.source, step.sounded->string,
                                                         step.sounded->mandal);
            if (!clock.waitOnset()) break;
            endNote();
            if (prepared) p_.sound.PlayPrepared(p_.source, *prepared);
            noteOpen = true;
            clock.advance(step.lengthMs);
        }
    } catch (const FormatError& e) {
        fault = e; // the note before the faulty line still sounds in full
    }
    if (st.playingBack) clock.waitOnset();
    endNote();
    // Nothing sounds now: the staff and the panel show the selected string where its mandal
    // stands, as the close-up does, not the last note played.
    p_.view.porte();
    p_.view.etiket();
    if (fault) throw *fault;
}

void RecordHandlers::Play_buton_Click() {
    InstrumentState& st = p_.instrument;
    RecordingState& rec = p_.recording;
    if (st.recording || st.playingBack || rec.loopRunning) return;
    const auto file = recordFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        p_.messages.show(kNoRecording);
        p_.controls.focusInstrument();
        return;
    }
    p_.controls.setReplayLamp(true);
    setBusyControls(true);
    st.playingBack = true;
    rec.loopRunning = true;

    std::optional<std::string> fault;
    try {
        const TextRead read = readTextFileOrReason(file);
        if (!read.text) throw FormatError(kRecordFileName, 0, read.problem);
        FieldReader reader(*read.text, kRecordFileName);
        NoteClock clock(p_.hooks, [&st, &rec, seen = rec.pauses]() mutable {
            if (!st.playingBack) return LoopEvent::stopped;
            if (rec.pauses == seen) return LoopEvent::none;
            seen = rec.pauses;
            return LoopEvent::paused;
        });
        replayNotes(reader, clock);
    } catch (const FormatError& e) {
        fault = e.what();
    }
    rec.loopRunning = false;
    if (fault) {
        p_.messages.show(std::string(kRecordFileFault) + "\n" + *fault);
        stop_buton_Click();
        return;
    }
    st.playingBack = false;
    setIdleControls();
    p_.controls.setReplayLamp(false);
    p_.controls.focusInstrument();
}

} // namespace zembera
