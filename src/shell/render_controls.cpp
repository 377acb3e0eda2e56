#include "shell/render_controls.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "common/text_fields.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "files/text_file.h"
#include "render/audio_file.h"
#include "render/score_events.h"
#include "scores/score_file.h"
#include "scores/score_player.h"
#include "shell/files_controls.h"
#include "shell/main_window.h"
#include "shell/turkish_file_dialog.h"

namespace zembera {
namespace {

// The checked button of an option group; 0 when none.
int checkedIndex(const std::array<QRadioButton*, 4>& group) {
    for (int i = 1; i <= 3; ++i)
        if (group[static_cast<std::size_t>(i)]->isChecked()) return i;
    return 0;
}

} // namespace

RenderControls::RenderControls(MainWindow& window, MessageService& messages)
    : w_(window), messages_(messages) {
    button_ = new QPushButton(QStringLiteral("WAV"), w_.melodyFrame);
    button_->setObjectName(QStringLiteral("wav_buton"));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setGeometry(80, 45, 41, 17);
    // The menu arrow would hide the caption on so small a button.
    button_->setStyleSheet(
        QStringLiteral("QPushButton::menu-indicator { width: 0; image: none; }"));
    auto* menu = new QMenu(button_);
    menu->addAction(QStringLiteral("Ezgiyi ses dosyasına yaz"), [this] { renderMelody(); });
    menu->addAction(QStringLiteral("Kaydı ses dosyasına yaz"), [this] { renderRecording(); });
    button_->setMenu(menu);
    askOutputFile = [this](const QString& suggested) {
        return askSaveFileName(&w_, QStringLiteral("Ses dosyası olarak kaydet"), suggested,
                               QStringLiteral("Ses dosyaları (*.wav *.flac)"));
    };
}

bool RenderControls::idle() const {
    const LoadedProgram& p = w_.program();
    return !p.instrument.recording && !p.instrument.playingBack;
}

void RenderControls::renderMelody() {
    if (!idle()) return;
    const LoadedProgram& p = w_.program();
    // The file the box stands for, as the melody frame plays it: chosen from the list or from any
    // folder, or typed.
    const MelodyHandlers& melody = *w_.filesControls().melody;
    const std::string shown = w_.melodyNameBox->text().toStdString();
    const std::string name = melody.fileNameOf(shown);
    if (scores::isScoreFile(pathFromUtf8(name))) {
        renderScore(name);
        return;
    }
    const std::optional<std::filesystem::path> file = melody.melodyFileOf(shown);
    const std::string fileName =
        file && name != shown ? decodeText(file->filename().string()) : shown + kMelodyExtension;
    TextRead read{std::nullopt, "dosya adı geçersiz"};
    if (file) read = readTextFileOrReason(*file);
    const std::optional<std::string>& text = read.text;
    if (!text) {
        messages_.show(std::string(kMelodyFileFault) + "\n" +
                       FormatError(fileName, 0, read.problem).what());
        return;
    }
    PlayerSettings settings;
    settings.mandalPos = p.instrument.mandalPos;
    settings.ahenkShift = p.tuning.ahenkShift;
    settings.melodyMode = static_cast<MandalMode>(checkedIndex(w_.melodyModeButtons));
    settings.unitMs = w_.tempoBar->value();
    try {
        const std::filesystem::path stem = pathFromUtf8(fileName).stem();
        write(melodyEvents(*text, fileName, settings), stem.string() + ".wav");
    } catch (const FormatError& e) {
        messages_.show(std::string(kMelodyFileFault) + "\n" + e.what());
    }
}

void RenderControls::renderScore(const std::string& name) {
    const LoadedProgram& p = w_.program();
    NoteEvents piece;
    const std::optional<std::filesystem::path> file = fileOfName(p.folders, name);
    if (!file) {
        messages_.show(name + ": dosya adı geçersiz");
        return;
    }
    try {
        const scores::Score score = scores::readScoreFile(*file);
        const scores::PlacedScore placed = scores::placeScore(
            score, scores::standardSetup(p.tables, p.tuning.ahenkShift, &p.tuning.tuningOffset));
        // The tempo scroll bar stretches the written lengths as it does in the player.
        piece = scoreEvents(placed, w_.tempoBar->value() / scores::kWrittenTempoScroll);
    } catch (const scores::ScoreError& e) {
        messages_.show(e.what());
        return;
    }
    write(piece, file->stem().string() + ".wav");
}

void RenderControls::renderRecording() {
    if (!idle()) return;
    const LoadedProgram& p = w_.program();
    // The recording the replay plays: one opened from a folder, else kayıt.txt.
    const std::filesystem::path recording = w_.filesControls().record->replayFilePath();
    const std::optional<std::string> text = readTextFile(recording);
    if (!text) {
        messages_.show(kNoRecording);
        return;
    }
    PlayerSettings settings;
    settings.mandalPos = p.instrument.mandalPos;
    settings.ahenkShift = p.tuning.ahenkShift;
    settings.replayMode = checkedIndex(w_.replayModeButtons);
    try {
        write(recordingEvents(*text, recording.filename().string(), settings),
              recording.stem().string() + ".wav");
    } catch (const FormatError& e) {
        messages_.show(std::string(kRecordFileFault) + "\n" + e.what());
    }
}

void RenderControls::write(const NoteEvents& piece, const std::filesystem::path& suggested) {
    const LoadedProgram& p = w_.program();
    const QString chosen =
        askOutputFile(w_.dialogStart(DialogKind::soundFile, p.folders.user, suggested.filename()));
    if (chosen.isEmpty()) return;
    w_.rememberDialog(DialogKind::soundFile, chosen);
    std::filesystem::path file = pathFromUtf8(chosen.toStdString());
    if (!audioFileKind(file)) {
        file += ".wav"; // a name typed without its extension, which the dialog did not ask about
        std::error_code error;
        if (std::filesystem::exists(file, error) &&
            !messages_.askYesNo(file.filename().string() + " var; yerine yazılsın mı?"))
            return;
    }

    const PatchedSampleSource source{p.sampleFolder, p.samples.sampleFileName, p.tables,
                                     p.tuning.tuningOffset};
    NoteSounds sounds(source);
    QProgressDialog progress(QStringLiteral("Ses dosyası yazılıyor…"), QStringLiteral("Vazgeç"), 0,
                             1000, &w_);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const RenderOutcome outcome = renderToFile(piece, sounds, file, [&](double done) {
        progress.setValue(static_cast<int>(done * 1000));
        return !progress.wasCanceled();
    });
    progress.reset();
    if (outcome.error) messages_.show(std::string(kRenderNotWritten) + "\n" + *outcome.error);
    // Told once written, with the length of the sound written.
    if (outcome.written)
        messages_.show(file.filename().string() + kRenderWritten + durationText(outcome.seconds));
}

} // namespace zembera
