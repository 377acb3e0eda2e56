// The makam frame, the recording frame and the melody frame of the main window. The logic lives
// in MakamHandlers, RecordHandlers and MelodyHandlers; this file gives them the widgets.
//
// The replay, the melody player and the score player play on one note player, woken by a precise
// timer of this thread: the event loop stays free while a piece plays, so a stop, pause or
// start/stop click acts at once. Closing the window ends the piece.

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <string_view>

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "files/makam_list.h"
#include "files/text_file.h"
#include "scores/score_file.h"
#include "session/file_kind.h"
#include "session/name_elision.h"
#include "shell/canvas_widget.h"
#include "shell/main_window.h"
#include "shell/note_timer.h"
#include "shell/popup_lists.h"
#include "shell/status_frame.h"
#include "shell/system_controls.h"

namespace zembera {
namespace {

constexpr QRgb kLampOff = qRgb(255, 255, 255);
constexpr QRgb kRecordLampOn = qRgb(255, 0, 0);
constexpr QRgb kReplayLampOn = qRgb(0, 255, 0);
constexpr double kCounterFontSize = 12;
// How long before its onset a note is drawn and its sound read: the redraws of a note take a few
// milliseconds, and its sound must start on time.
constexpr double kDrawLeadMs = 20;
// The melody list's rows of files of any folder carry the path in this role ("ac": the dialog).
constexpr int kOpenRole = Qt::UserRole + 1;

void fillPicture(CanvasWidget* picture, QRgb color) {
    CanvasImage& c = picture->canvas();
    c.filledBox(0, 0, c.width() - 1, c.height() - 1, color);
    picture->refresh();
}

// A list row shows `name` shortened in the middle to the list's width, the whole in its tooltip.
QListWidgetItem* listRow(QListWidget* list, const std::string& name, const QString& tooltip) {
    const QFontMetrics metrics(list->font());
    // The row's room: the list less its frame, a scroll bar and the item's margins.
    const int room = list->width() - 2 * list->frameWidth() -
                     list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 8;
    const std::string shown = elideMiddle(name, [&](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text)) <= room;
    });
    auto* item = new QListWidgetItem(QString::fromStdString(shown));
    item->setToolTip(tooltip);
    list->addItem(item);
    return item;
}

// A row that names what is below it and cannot be chosen.
void headingRow(QListWidget* list, const char* text) {
    auto* item = new QListWidgetItem(QString::fromUtf8(text));
    item->setFlags(Qt::NoItemFlags);
    QFont bold = list->font();
    bold.setBold(true);
    item->setFont(bold);
    list->addItem(item);
}

// The melody files and the scores the score player reads (scores::isScoreFile) over both
// folders, each name once, by their bytes, sorted by their shown names as the folder listing
// sorts them.
std::vector<std::string> melodyFileNames(const DataFolders& folders) {
    std::vector<std::string> names = folders.names([](const std::string& name) {
        if (name.starts_with('.')) return false;
        const FileKind kind = fileKind(pathFromUtf8(name));
        return kind == FileKind::melody || kind == FileKind::score;
    });
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(decodeText(a)) < QString::fromStdString(decodeText(b));
    });
    return names;
}

class WindowFilesView : public FilesView {
  public:
    WindowFilesView(MainWindow& window, DataFolders folders)
        : w_(window), folders_(std::move(folders)) {}

    std::string makamName() const override { return w_.makamNameBox->text().toStdString(); }
    void setMakamName(const std::string& text) override {
        w_.makamNameBox->setText(QString::fromStdString(text));
    }
    void showMakamList() override {
        refreshMakamList();
        w_.makamList->show();
        w_.makamList->raise();
    }
    void hideMakamList() override { w_.makamList->hide(); }
    void refreshMakamList() override {
        w_.makamList->clear();
        // A name that is not UTF-8 (a file of the old platform) is shown decoded and opened by
        // its own bytes.
        for (const std::string& name : makamFileNames(folders_)) {
            const std::string shown = decodeText(name);
            listRow(w_.makamList, shown, QString::fromStdString(shown))
                ->setData(Qt::UserRole, QByteArray::fromStdString(name));
        }
    }

    bool settingSwitchSelected(int index) const override {
        return (index == 1 || index == 2) && w_.settingSwitch[index]->isChecked();
    }
    void selectSetting(int index) override {
        if (index == 1 || index == 2) w_.settingSwitch[index]->setChecked(true);
    }
    bool pitchLevelSelected(int index) const override {
        return index >= 1 && index <= 8 && w_.pitchLevelButtons[index]->isChecked();
    }
    void selectPitchLevel(int index) override {
        if (index >= 1 && index <= 8) w_.pitchLevelButtons[index]->setChecked(true);
    }
    void setDegreeShift(int value) override { w_.degreeShiftBar->setValue(value); }

    void setButtonEnabled(RecordButton button, bool enabled) override {
        switch (button) {
        case RecordButton::rec_buton:
            w_.rec_buton->setEnabled(enabled);
            break;
        case RecordButton::Play_buton:
            w_.Play_buton->setEnabled(enabled);
            break;
        case RecordButton::pause_buton:
            w_.pause_buton->setEnabled(enabled);
            break;
        case RecordButton::stop_buton:
            w_.stop_buton->setEnabled(enabled);
            break;
        }
    }
    void setRecordLamp(bool on) override {
        fillPicture(w_.recordLamp, on ? kRecordLampOn : kLampOff);
    }
    void setReplayLamp(bool on) override {
        fillPicture(w_.replayLamp, on ? kReplayLampOn : kLampOff);
    }
    int replayModeIndex() const override { return selected(w_.replayModeButtons); }

    std::string melodyName() const override { return w_.melodyNameBox->text().toStdString(); }
    void setMelodyName(const std::string& text) override {
        w_.melodyNameBox->setText(QString::fromStdString(text));
    }
    void showMelodyList() override {
        // Melody files, and the scores of other programs the score player reads (not the pitch
        // table or the recording, text files as SymbTr scores are).
        // A name that is not UTF-8 is shown decoded and chosen by its own bytes, as in the makam
        // list.
        // First "Aç…" (a file of any folder), then the files opened last, then the program
        // folder's.
        QListWidget* list = w_.melodyList;
        list->clear();
        auto* open = new QListWidgetItem(QString::fromUtf8(kOpenAnyFileRow));
        open->setData(kOpenRole, QStringLiteral("ac"));
        open->setToolTip(QStringLiteral("Her klasörden partisyon, ezgi, kayıt, .scl ya da .mkm "
                                        "açar (Ctrl+O)"));
        QFont italic = list->font();
        italic.setItalic(true);
        open->setFont(italic);
        list->addItem(open);
        const auto& recent = w_.recentFiles().files();
        if (!recent.empty()) {
            headingRow(list, kRecentFilesHeading);
            for (const std::filesystem::path& file : recent) {
                listRow(list, decodeText(file.filename().string()),
                        QString::fromStdString(decodeText(file.string())))
                    ->setData(kOpenRole, QByteArray::fromStdString(file.string()));
            }
            headingRow(list, kProgramFolderHeading);
        }
        for (const std::string& name : melodyFileNames(folders_)) {
            const std::string shown = decodeText(name);
            listRow(list, shown, QString::fromStdString(shown))
                ->setData(Qt::UserRole, QByteArray::fromStdString(name));
        }
        w_.melodyList->show();
        w_.melodyList->raise();
    }
    void hideMelodyList() override { w_.melodyList->hide(); }
    void setStartStopCaption(const std::string& caption) override {
        w_.aç_kapa_buton->setText(QString::fromStdString(caption));
    }
    void showCounter(const std::string& text) override {
        CanvasImage& c = w_.melodyCounter->canvas();
        c.clear();
        c.setFontSize(kCounterFontSize);
        c.print(text);
        w_.melodyCounter->refresh();
    }
    void blankCounter() override { fillPicture(w_.melodyCounter, kLampOff); }
    int tempo() const override { return w_.tempoBar->value(); }
    int melodyModeIndex() const override { return selected(w_.melodyModeButtons); }

    void setFrameEnabled(WindowFrame frame, bool enabled) override {
        QWidget* f = nullptr;
        switch (frame) {
        case WindowFrame::record:
            f = w_.recordFrame;
            break;
        case WindowFrame::pitchLevel:
            f = w_.pitchLevelFrame;
            break;
        case WindowFrame::reset:
            f = w_.resetFrame;
            break;
        case WindowFrame::makam:
            f = w_.makamFrame;
            break;
        case WindowFrame::melody:
            f = w_.melodyFrame;
            break;
        case WindowFrame::empty:
            f = w_.emptyFrame;
            break;
        case WindowFrame::octave:
            f = w_.octaveFrame;
            break;
        }
        if (f != nullptr) f->setEnabled(enabled);
    }

    void focusInstrument() override { w_.instrumentPicture->setFocus(Qt::OtherFocusReason); }

  private:
    static int selected(const std::array<QRadioButton*, 4>& options) {
        for (int i = 1; i <= 3; ++i) {
            if (options[i]->isChecked()) return i;
        }
        return 0;
    }

    MainWindow& w_;
    DataFolders folders_;
};

// Ends the piece playing as soon as the window is closed (hidden, not minimized), so that nothing
// sounds from a closed window.
class StopWhenClosed : public QObject {
  public:
    StopWhenClosed(QWidget* window, NotePlayer& player) : window_(window), player_(player) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched == window_ && !window_->isVisible())
            player_.stop();
        return false;
    }

  private:
    QWidget* window_;
    NotePlayer& player_;
};

} // namespace

FilesControls::~FilesControls() {
    // A piece still playing as the window goes is cut and ended while its handlers live.
    if (notePlayer) notePlayer->stop();
}

void MainWindow::connectFilesControls(SoundOutput& sound) {
    files_ = std::make_unique<FilesControls>();
    files_->view = std::make_unique<WindowFilesView>(*this, program_.folders);
    files_->noteTimer = std::make_unique<NoteTimer>([this] { files_->notePlayer->tick(); });
    files_->notePlayer = std::make_unique<NotePlayer>(files_->noteTimer->source(), kDrawLeadMs);
    files_->parts.reset(new FilesParts{
        program_.instrument, program_.tuning, program_.recording, *this, *files_->view, sound,
        PatchedSampleSource{program_.sampleFolder, program_.samples.sampleFileName, program_.tables,
                            program_.tuning.tuningOffset},
        messages_, program_.programFolder, program_.sampleFolder, *files_->notePlayer,
        program_.folders, program_.recordFolder});
    files_->makam = std::make_unique<MakamHandlers>(*files_->parts);
    files_->record = std::make_unique<RecordHandlers>(*files_->parts);
    files_->melody = std::make_unique<MelodyHandlers>(*files_->parts);
    files_->scores = std::make_unique<scores::ScorePlayer>(*files_->parts);
    files_->melody->playOtherFile = [this](const std::string& name) {
        return files_->scores->playIfScore(name);
    };
    files_->stopWhenClosed = std::make_unique<StopWhenClosed>(this, *files_->notePlayer);
    player_->setRecorder(&files_->record->recorder());

    // Tempo in milliseconds per unit: 30..60, steps of 2 and 5, 40 at start.
    tempoBar->setRange(30, 60);
    tempoBar->setSingleStep(2);
    tempoBar->setPageStep(5);
    tempoBar->setValue(40);
    files_->view->setRecordLamp(false);
    files_->view->setReplayLamp(false);

    // The lists close on Escape, a click elsewhere or a second click of their button.
    popups_ = new PopupLists(this, [this] { giveFocusToInstrument(); });
    popups_->add(makamList, open_buton);
    popups_->add(melodyList, open_ses_buton);

    connect(open_buton, &QPushButton::clicked, this, [this] { open_buton_Click(); });
    connect(save_buton, &QPushButton::clicked, this, [this] { save_buton_Click(); });
    connect(makamList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        makamListClick(item->data(Qt::UserRole).toByteArray().toStdString());
    });
    connect(rec_buton, &QPushButton::clicked, this, [this] { rec_buton_Click(); });
    connect(Play_buton, &QPushButton::clicked, this, [this] { Play_buton_Click(); });
    connect(pause_buton, &QPushButton::clicked, this, [this] { pause_buton_Click(); });
    connect(stop_buton, &QPushButton::clicked, this, [this] { stop_buton_Click(); });
    connect(open_ses_buton, &QPushButton::clicked, this, [this] { open_ses_buton_Click(); });
    connect(melodyList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const QVariant open = item->data(kOpenRole);
        if (!open.isValid()) {
            const QVariant name = item->data(Qt::UserRole);
            if (name.isValid()) melodyListClick(name.toByteArray().toStdString());
            return;
        }
        melodyList->hide();
        // After the click has ended: the dialog or a report box opens from here.
        QTimer::singleShot(0, this, [this, open] {
            if (open.toString() == QStringLiteral("ac")) {
                askOpenFile();
            } else {
                openFile(open.toByteArray().toStdString());
            }
        });
    });
    connect(aç_kapa_buton, &QPushButton::clicked, this, [this] { aç_kapa_buton_Click(); });

    // Keeps the score named in the melody name box as a melody file, in the free space left of the
    // WAV button.
    auto* saveSes = new QPushButton(QString::fromUtf8(scores::kSaveSesCaption), melodyFrame);
    saveSes->setObjectName(QStringLiteral("ses_kaydet_buton"));
    saveSes->setFocusPolicy(Qt::NoFocus);
    saveSes->setToolTip(QStringLiteral("Partisyonu SES olarak kaydet"));
    saveSes->setGeometry(8, 45, 70, 17);
    QFont small = saveSes->font();
    small.setPixelSize(9);
    saveSes->setFont(small);
    connect(saveSes, &QPushButton::clicked, this, [this] {
        files_->scores->saveAsSes(files_->melody->fileNameOf(melodyNameBox->text().toStdString()));
    });
}

void MainWindow::open_buton_Click() {
    if (popups_->closeIfOpen(makamList)) return;
    files_->makam->open_buton_Click();
}

void MainWindow::makamListClick(const std::string& fileName) {
    const bool loaded = files_->makam->makamListClick(fileName);
    loadedMakam_.reset();
    if (!loaded) return;
    systems_->setMakamName(makamNameBox->text());
    // Remembered as loaded (a file is loaded whole or not at all) until a string or the system
    // changes (see unchangedMakam).
    loadedMakam_ = LoadedMakam{program_.folders.find(pathFromUtf8(fileName)),
                               program_.instrument.mandalPos, systems_->current()};
}

void MainWindow::save_buton_Click() {
    // The setting saved is now that makam.
    if (files_->makam->save_buton_Click()) systems_->setMakamName(makamNameBox->text());
}

void MainWindow::rec_buton_Click() {
    files_->record->rec_buton_Click();
}

void MainWindow::Play_buton_Click() {
    files_->record->Play_buton_Click();
}

void MainWindow::pause_buton_Click() {
    files_->record->pause_buton_Click();
}

void MainWindow::stop_buton_Click() {
    files_->record->stop_buton_Click();
}

void MainWindow::open_ses_buton_Click() {
    if (popups_->closeIfOpen(melodyList)) return;
    files_->melody->open_ses_buton_Click();
}

void MainWindow::melodyListClick(const std::string& fileName) {
    files_->melody->melodyListClick(fileName);
}

void MainWindow::aç_kapa_buton_Click() {
    files_->melody->aç_kapa_buton_Click();
}

} // namespace zembera
