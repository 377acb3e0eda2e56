#include "files/record_handlers.h"

#include "common/text_fields.h"
#include "files/text_file.h"

namespace zembera {

std::filesystem::path RecordHandlers::recordFilePath() const {
    return p_.sampleFolder / pathFromUtf8(kRecordFileName);
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
    if (!recordFile_.startNew(recordFilePath())) {
        p_.messages.show(kRecordFileNotCreated + recordFilePath().string());
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
        recordFile_.close();
    }
    if (st.playingBack) {
        st.playingBack = false;
        p_.controls.setReplayLamp(false);
    }
    p_.controls.focusInstrument();
}

void RecordHandlers::pause_buton_Click() {
    p_.messages.show(kPaused);
    p_.controls.focusInstrument();
}

void RecordHandlers::replayNote(const RecordEntry& entry) {
    InstrumentState& st = p_.instrument;
    const int s = entry.string;
    const double start = p_.hooks.nowMs();
    if (p_.controls.option3Index() == 1) {
        // The string sounds at its present mandal, moved by the pitch level's string shift; one
        // that the shift takes off the instrument or out of its range stays silent.
        const int shifted = p_.tuning.ahenkShift + s;
        const int position = st.mandalPos[s];
        if (isPlayablePosition(shifted, position)) {
            p_.sound.PlayPatchedSample(p_.source, shifted, position);
        }
    }
    // A negative duration (a file edited by hand) is no time at all.
    waitNote(p_.hooks, start, entry.durationMs > 0 ? entry.durationMs : 0);
    p_.sound.StopAllSound();
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

    bool failed = false;
    try {
        const std::optional<std::string> text = readTextFile(file);
        if (!text) throw FormatError(kRecordFileName, 1, "dosya açılamadı");
        FieldReader reader(*text, kRecordFileName);
        do {
            if (reader.atEnd()) break;
            const RecordEntry entry = readRecordEntry(reader);
            st.currentString = static_cast<std::int16_t>(entry.string);
            p_.view.mandal_at();
            p_.view.porte();
            p_.view.etiket();
            p_.view.arıza_yaz(entry.string);
            p_.hooks.processEvents(); // stop and pause clicks are handled here
            replayNote(entry);
        } while (st.playingBack);
    } catch (const FormatError&) {
        failed = true;
    }
    rec.loopRunning = false;
    if (failed) {
        p_.messages.show(kRecordFileFault);
        stop_buton_Click();
        return;
    }
    st.playingBack = false;
    setIdleControls();
    p_.controls.setReplayLamp(false);
    p_.controls.focusInstrument();
}

} // namespace zembera
