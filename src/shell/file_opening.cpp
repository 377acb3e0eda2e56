// Opening the user's files of any folder: the file dialog of the scores and melodies, files dropped
// on the window, the files named on the command line and "Son açılanlar". What a file is, is
// decided in one place (session/file_kind.h); this file only hands it to its frame. Every file
// dialog of the window starts where it was last used.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "common/text_fields.h"
#include "files/text_file.h"
#include "session/file_kind.h"
#include "shell/main_window.h"
#include "shell/status_frame.h"
#include "shell/turkish_file_dialog.h"

namespace zembera {
namespace {

std::vector<std::filesystem::path> localFiles(const QMimeData* data) {
    std::vector<std::filesystem::path> files;
    if (!data) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return files;
}

// "*.musicxml *.xml ..." for a dialog's filter.
QString patterns(const std::vector<std::string>& extensions) {
    QStringList all;
    for (const std::string& e : extensions)
        all << QStringLiteral("*") + QString::fromStdString(e);
    return all.join(' ');
}

std::string extensionsText(const std::vector<std::string>& extensions) {
    std::string text;
    for (const std::string& e : extensions)
        text += (text.empty() ? "" : " ") + e;
    return text;
}

} // namespace

void MainWindow::setSettings(SettingsStore& store) {
    settings_ = &store;
    recent_ = std::make_unique<RecentFiles>(store);
}

QString MainWindow::dialogStart(DialogKind kind, const std::filesystem::path& usual,
                                const std::filesystem::path& suggested) const {
    std::error_code error;
    std::filesystem::path folder = usual;
    if (const auto last = dialogFolder(*settings_, kind);
        last && std::filesystem::is_directory(*last, error))
        folder = *last;
    return QString::fromStdString((suggested.empty() ? folder : folder / suggested).string());
}

void MainWindow::rememberDialog(DialogKind kind, const QString& chosenFile) {
    const std::filesystem::path file = chosenFile.toStdString();
    if (file.has_parent_path()) rememberDialogFolder(*settings_, kind, file.parent_path());
}

bool MainWindow::openFile(const std::filesystem::path& given) {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(given, error).lexically_normal();
    const std::string name = decodeText(file.filename().string());
    if (!std::filesystem::exists(file, error)) {
        recent_->remove(file);
        messages_.show(name + ": dosya bulunamadı");
        return false;
    }
    if (!std::filesystem::is_regular_file(file, error)) {
        messages_.show(name + ": bir dosya değil");
        return false;
    }
    const FileKind kind = readFileKind(file);
    if (kind == FileKind::unknown) {
        messages_.show(name + ": ZEMBERA bu dosyayı açamaz; açtıkları: " +
                       extensionsText(openableExtensions()) + " ve kayıt.txt");
        return false;
    }
    if (program_.instrument.recording || program_.instrument.playingBack) {
        messages_.show(name + ": çalarken ya da kaydederken dosya açılmaz; önce durdurun");
        return false;
    }
    recent_->add(file);
    switch (kind) {
    case FileKind::score:
        // The report comes first, as for a score chosen from the list.
        files_->melody->chooseFile(file);
        aç_kapa_buton_Click();
        break;
    case FileKind::melody:
        files_->melody->chooseFile(file);
        break;
    case FileKind::recording:
        files_->record->chooseReplayFile(file);
        Play_buton_Click();
        break;
    case FileKind::scale:
        systems_->openScale(file);
        break;
    case FileKind::makam:
        openMakamFile(file);
        break;
    case FileKind::unknown:
        break;
    }
    giveFocusToInstrument();
    return true;
}

void MainWindow::askOpenFile() {
    if (program_.instrument.recording || program_.instrument.playingBack) return;
    const QString filter = QStringLiteral("Partisyonlar ve ezgiler (") +
                           patterns(pieceExtensions()) +
                           QStringLiteral(");;ZEMBERA'nın açtığı bütün dosyalar (") +
                           patterns(openableExtensions()) + QStringLiteral(")");
    const QString chosen =
        askOpenFileName(this, QStringLiteral("Partisyon ya da ezgi aç"),
                        dialogStart(DialogKind::piece, program_.folders.user), filter);
    if (!chosen.isEmpty()) {
        rememberDialog(DialogKind::piece, chosen);
        openFile(QFile::encodeName(chosen).toStdString());
    }
    giveFocusToInstrument();
}

void MainWindow::openMakamFile(const std::filesystem::path& file) {
    // Loaded as the list loads its makams; the name box then shows the makam's name alone.
    makamListClick(file.string());
    makamNameBox->setText(
        QString::fromStdString(decodeText(withoutLastCharacters(file.filename().string(), 4))));
    systems_->setMakamName(makamNameBox->text());
}

void MainWindow::setPositions(const PerString<std::int16_t>& positions) {
    InstrumentState& st = program_.instrument;
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const std::int16_t p = std::clamp(positions[i], st.mandalMin[i], st.mandalMax[i]);
        if (p == st.mandalPos[i]) continue;
        st.mandalPos[i] = p;
        arıza_yaz(s);
    }
    if (st.currentString != 0) {
        mandal_at();
        porte();
        etiket();
    }
}

std::optional<std::filesystem::path> MainWindow::unchangedMakam() const {
    if (!loadedMakam_ || loadedMakam_->system != systems_->current()) return std::nullopt;
    const InstrumentState& st = program_.instrument;
    const PerString<std::int16_t>& now =
        st.untransposedShown ? st.mandalPos : program_.tuning.savedMandal;
    if (now != loadedMakam_->positions) return std::nullopt;
    return loadedMakam_->file;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const std::vector<std::filesystem::path> files = localFiles(event->mimeData());
    if (std::any_of(files.begin(), files.end(),
                    [](const auto& f) { return fileKind(f) != FileKind::unknown; }))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::filesystem::path> files = localFiles(event->mimeData());
    if (files.empty()) return;
    event->acceptProposedAction();
    // Opened once the drop has ended, so that a report box does not hold the dragging program.
    QTimer::singleShot(0, this, [this, files] {
        for (const std::filesystem::path& file : files)
            openFile(file);
    });
}

} // namespace zembera
