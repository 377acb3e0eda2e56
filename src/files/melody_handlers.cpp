#include "files/melody_handlers.h"

#include <cctype>
#include <memory>
#include <optional>
#include <string>

#include "files/memory_channel_note.h"
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
    chosenPath_.reset();
    p_.controls.setMelodyName(chosenShown_);
    p_.controls.focusInstrument();
}

void MelodyHandlers::chooseFile(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    std::string extension = file.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool melody = extension == kMelodyExtension;
    chosenPath_ = file;
    chosenBytes_.clear();
    chosenShown_ = decodeText(melody ? withoutLastCharacters(name, 4) : name);
    p_.controls.setMelodyName(chosenShown_);
}

std::string MelodyHandlers::fileNameOf(const std::string& shownName) const {
    if (chosenShown_.empty() || shownName != chosenShown_) return shownName;
    return chosenPath_ ? chosenPath_->string() : chosenBytes_;
}

std::optional<std::filesystem::path>
MelodyHandlers::melodyFileOf(const std::string& shownName) const {
    if (chosenPath_ && !chosenShown_.empty() && shownName == chosenShown_) return chosenPath_;
    if (shownName.empty()) return std::nullopt;
    return fileOfName(p_.files(), fileNameOf(shownName) + kMelodyExtension);
}

void MelodyHandlers::aç_kapa_buton_Click() {
    if (!p_.instrument.playingBack) {
        if (!playOtherFile || !playOtherFile(fileNameOf(p_.controls.melodyName()))) yürüt10();
    } else {
        p_.player.stop(); // the note is cut and the controls come back at once
    }
    p_.controls.focusInstrument();
}

namespace {

// A melody under way: its piece and the onset drawn.
struct Melody {
    Melody(std::string text, const std::string& name)
        : piece(FilePiece::Kind::melody, std::move(text), name) {}
    FilePiece piece;
    MemoryChannelNote note;
    bool rest = false; // the onset drawn is a rest
};

} // namespace

void MelodyHandlers::yürüt10() {
    InstrumentState& st = p_.instrument;
    FilesView& c = p_.controls;
    if (st.recording || st.playingBack) return;
    st.playingBack = true;
    c.setStartStopCaption("0");
    setFramesEnabled(c, kMelodyFrames, false);

    // Messages name the file as the box shows it; the folder is asked by the file's bytes.
    const std::string name = c.melodyName();
    std::shared_ptr<Melody> melody;
    try {
        // A name of the folders or a full path; an empty name names no file.
        const std::optional<std::filesystem::path> file = melodyFileOf(name);
        const std::string shown = chosenPath_ && file == chosenPath_
                                      ? decodeText(file->filename().string())
                                      : name + kMelodyExtension;
        if (!file) throw FormatError(shown, 0, "dosya adı geçersiz");
        const TextRead read = readTextFileOrReason(*file);
        if (!read.text) throw FormatError(shown, 0, read.problem);
        melody = std::make_shared<Melody>(*read.text, shown);
    } catch (const FormatError& e) {
        p_.messages.show(std::string(kMelodyFileFault) + "\n" + e.what());
        finish();
        return;
    }
    NoteSink sink;
    sink.draw = [this, melody]() -> std::optional<double> {
        InstrumentState& st = p_.instrument;
        FilesView& c = p_.controls;
        const std::optional<PlayerStep> step = melody->piece.next([&] {
            c.showCounter(counterText(melody->piece.records()));
            // The mode, the mandals and the tempo as they are now: they may change while it
            // plays.
            return PlayerSettings{.mandalPos = st.mandalPos,
                                  .ahenkShift = p_.tuning.ahenkShift,
                                  .melodyMode = static_cast<MandalMode>(c.melodyModeIndex()),
                                  .unitMs = c.tempo()};
        });
        if (!step) return std::nullopt;
        melody->rest = step->rest;
        if (!step->rest) {
            st.currentString = static_cast<std::int16_t>(step->shown.string);
            p_.view.tel_çiz();
            p_.view.mandal_at();
            showPlayedNote(st, p_.view, step->shown);
        }
        melody->note.prepare(p_.sound, p_.source, step->sounded);
        return step->lengthMs;
    };
    sink.start = [this, melody] { melody->note.start(p_.sound, p_.source, !melody->rest); };
    sink.silence = [this, melody] { melody->note.silence(p_.sound); };
    sink.finished = [this, melody] {
        // Nothing sounds now: the staff and the panel show the selected string where its mandal
        // stands, as the close-up does, not the last note played.
        p_.view.porte();
        p_.view.etiket();
        if (const auto& fault = melody->piece.fault())
            p_.messages.show(std::string(kMelodyFileFault) + "\n" + fault->what());
        finish();
    };
    p_.player.play(std::move(sink));
}

void MelodyHandlers::finish() {
    FilesView& c = p_.controls;
    c.blankCounter();
    c.setStartStopCaption(">");
    setFramesEnabled(c, kMelodyFrames, true);
    p_.instrument.playingBack = false;
}

} // namespace zembera
