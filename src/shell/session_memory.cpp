#include "shell/session_memory.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>

#include "common/text_fields.h"
#include "shell/main_window.h"
#include "shell/midi_control.h"
#include "shell/status_frame.h"
#include "shell/system_controls.h"

namespace zembera {

SessionMemory::SessionMemory(MainWindow& window, SettingsStore& store, MidiControl* midi)
    : window_(window), store_(store), midi_(midi) {}

void SessionMemory::restore() {
    const RememberedSession s = readSession(store_);
    MainWindow& w = window_;
    std::error_code error;
    if (s.systemFile && std::filesystem::is_regular_file(*s.systemFile, error)) {
        w.systemControls().openScale(*s.systemFile);
    } else if (s.systemFile) {
        // Yarman 79 stays, with a word why.
        w.systemControls().setSystemNote(
            QString::fromStdString(decodeText(s.systemFile->filename().string()) + kScaleFileGone));
    } else if (s.systemName) {
        w.systemControls().chooseBundled(*s.systemName);
    }
    if (s.makamFile && std::filesystem::is_regular_file(*s.makamFile, error)) {
        w.openMakamFile(*s.makamFile);
    } else if (s.positions) {
        w.setPositions(*s.positions);
        if (!s.makamName.empty()) {
            w.makamNameBox->setText(QString::fromStdString(s.makamName));
            w.systemControls().setMakamName(w.makamNameBox->text());
        }
    }
    if (s.stringsRing && *s.stringsRing != w.stringsRingCheck->isChecked()) {
        w.stringsRingCheck->setChecked(*s.stringsRing);
        w.stringsRingCheckClick();
    }
    if (s.tempo) w.tempoBar->setValue(*s.tempo);
    if (midi_ && s.midiInput) midi_->chooseInput(*s.midiInput);
}

void SessionMemory::save() {
    MainWindow& w = window_;
    const LoadedProgram& p = w.program();
    RememberedSession s;
    s.systemFile = w.systemControls().currentScaleFile();
    if (!s.systemFile) s.systemName = w.systemControls().currentName();
    s.makamFile = w.unchangedMakam();
    s.positions = p.instrument.untransposedShown ? p.instrument.mandalPos : p.tuning.savedMandal;
    s.makamName = w.makamNameBox->text().toStdString();
    s.stringsRing = w.stringsRingCheck->isChecked();
    s.tempo = w.tempoBar->value();
    if (midi_) s.midiInput = midi_->chosenInput();
    writeSession(store_, s);
}

} // namespace zembera
