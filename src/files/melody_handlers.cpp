#include "files/melody_handlers.h"

#include "files/player_steps.h"
#include "files/text_file.h"

namespace zembera {

void MelodyHandlers::open_ses_buton_Click() {
    p_.controls.showMelodyList();
    p_.controls.focusInstrument();
}

void MelodyHandlers::melodyListClick(const std::string& fileName) {
    p_.controls.hideMelodyList();
    // A score file of another program keeps its extension, which tells how to read it.
    const bool melody =
        fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, kMelodyExtension) == 0;
    chosenBytes_ = melody || !playOtherFile ? withoutLastCharacters(fileName, 4) : fileName;
    chosenShown_ = decodeText(chosenBytes_);
    p_.controls.setMelodyName(chosenShown_);
    p_.controls.focusInstrument();
}

std::string MelodyHandlers::fileNameOf(const std::string& shownName) const {
    return !chosenShown_.empty() && shownName == chosenShown_ ? chosenBytes_ : shownName;
}

void MelodyHandlers::aç_kapa_buton_Click() {
    if (!p_.instrument.playingBack) {
        if (!playOtherFile || !playOtherFile(fileNameOf(p_.controls.melodyName()))) yürüt10();
    } else {
        p_.instrument.playingBack = false;
        p_.sound.StopAllSound(); // the note is cut at once; the loop ends at its next test
    }
    p_.controls.focusInstrument();
}

void MelodyHandlers::playRecords(FieldReader& reader, NoteClock& clock) {
    InstrumentState& st = p_.instrument;
    FilesView& c = p_.controls;
    bool noteOpen = false; // a note sounds (or, silent, takes its time) until the next onset
    auto endNote = [&] {
        if (noteOpen) p_.sound.StopAllSound();
        noteOpen = false;
    };
    std::optional<FormatError> fault;
    try {
        int counter = 0;
        MelodySteps steps;
        while (!reader.atEnd()) {
            const MelodyRecord record = readMelodyRecord(reader);
            if (!clock.waitToDraw()) break;
            c.showCounter(counterText(++counter));
            if (!clock.handleEvents()) break; // a click on aç_kapa_buton is handled here
            // The mode, the mandals and the tempo as they are now: they may change while it plays.
            const PlayerStep step = steps.next(record, static_cast<MandalMode>(c.melodyModeIndex()),
                                               st.mandalPos, p_.tuning.ahenkShift, c.tempo());
            if (!step.onset) continue;
            std::optional<SoundOutput::PreparedNote> prepared;
            if (!step.rest) {
                st.currentString = static_cast<std::int16_t>(step.shown.string);
                p_.view.tel_çiz();
                p_.view.mandal_at();
                showPlayedNote(st, p_.view, step.shown);
                // Read and converted ahead, so that the sound starts on its onset.
                if (step.sounded)
                    prepared = p_.sound.PreparePatchedSample(p_.source, step.sounded->string,
                                                             step.sounded->mandal);
            }
            if (!clock.waitOnset()) break;
            endNote();
            if (prepared) p_.sound.PlayPrepared(p_.source, *prepared);
            noteOpen = !step.rest; // a rest only ends the note before it
            clock.advance(step.lengthMs);
        }
    } catch (const FormatError& e) {
        fault = e; // the note before the faulty record still sounds in full
    }
    if (st.playingBack) clock.waitOnset();
    endNote();
    // Nothing sounds now: the staff and the panel show the selected string where its mandal
    // stands, as the close-up does, not the last note played.
    p_.view.porte();
    p_.view.etiket();
    if (fault) throw *fault;
}

void MelodyHandlers::yürüt10() {
    InstrumentState& st = p_.instrument;
    RecordingState& rec = p_.recording;
    FilesView& c = p_.controls;
    if (st.recording || st.playingBack || rec.loopRunning) return;
    st.playingBack = true;
    rec.loopRunning = true;
    c.setStartStopCaption("0");
    setFramesEnabled(c, kMelodyFrames, false);

    // Messages name the file as the box shows it; the folder is asked by the file's bytes.
    const std::string name = c.melodyName();
    const std::string file = fileNameOf(name);
    try {
        // Only a file of the program folder is played; an empty name names no file.
        if (name.empty() || name.find_first_of("/\\") != std::string::npos) {
            throw FormatError(name + kMelodyExtension, 0, "dosya adı geçersiz");
        }
        const TextRead read =
            readTextFileOrReason(p_.files().find(pathFromUtf8(file + kMelodyExtension)));
        if (!read.text) throw FormatError(name + kMelodyExtension, 0, read.problem);
        FieldReader reader(*read.text, name + kMelodyExtension);
        NoteClock clock(p_.hooks,
                        [&st] { return st.playingBack ? LoopEvent::none : LoopEvent::stopped; });
        playRecords(reader, clock);
    } catch (const FormatError& e) {
        p_.messages.show(std::string(kMelodyFileFault) + "\n" + e.what());
    }
    finish();
}

void MelodyHandlers::finish() {
    InstrumentState& st = p_.instrument;
    FilesView& c = p_.controls;
    c.blankCounter();
    c.setStartStopCaption(">");
    setFramesEnabled(c, kMelodyFrames, true);
    st.playingBack = false;
    p_.recording.loopRunning = false;
}

} // namespace zembera
