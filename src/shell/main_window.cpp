#include "shell/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "notation/glyph_sheet_layout.h"
#include "notation/instrument_drawing.h"
#include "notation/mandal_column.h"
#include "notation/pitch_panel.h"
#include "notation/staff.h"
#include "shell/canvas_widget.h"
#include "shell/control_hints.h"
#include "shell/press_ending_messages.h"
#include "shell/status_frame.h"
#include "shell/window_scale.h"
#include "shell/wrapping_check_box.h"

namespace zembera {
namespace {

constexpr QRgb kInstrumentBack = qRgb(236, 233, 216);
constexpr QRgb kPanelBack = qRgb(255, 255, 255);

void place(QWidget* w, const Rect& r) {
    w->setGeometry(static_cast<int>(std::lround(r.left)), static_cast<int>(std::lround(r.top)),
                   static_cast<int>(std::lround(r.width)), static_cast<int>(std::lround(r.height)));
}

void place(QWidget* w, double left, double top, double width, double height) {
    place(w, Rect{left, top, width, height});
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QGroupBox* frame(QWidget* parent, const char* caption, const char* name) {
    auto* f = new QGroupBox(text(caption), parent);
    f->setObjectName(QString::fromUtf8(name));
    return f;
}

QPushButton* button(QWidget* parent, const char* caption, const char* name, double left, double top,
                    double width, double height) {
    auto* b = new QPushButton(text(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setFocusPolicy(Qt::NoFocus);
    place(b, left, top, width, height);
    return b;
}

QRadioButton* option(QWidget* parent, const char* caption, double left, double top, double width,
                     double height) {
    auto* o = new QRadioButton(text(caption), parent);
    place(o, left, top, width, height);
    return o;
}

// Widens controls whose captions need more room in this font than the design gave them, all to
// the widest caption so that a group stays aligned, and moves them left only as far as they must
// to stay inside the border of their frame.
void fitCaptions(std::initializer_list<QWidget*> controls) {
    int width = 0;
    for (QWidget* w : controls)
        width = std::max({width, w->width(), w->sizeHint().width()});
    for (QWidget* w : controls) {
        const int lastInside = w->parentWidget()->width() - 2;
        const int left = std::min(w->x(), lastInside + 1 - width);
        w->setGeometry(left, w->y(), width, w->height());
    }
}

} // namespace

MainWindow::MainWindow(LoadedProgram& program, SoundOutput& sound, MessageService& messages,
                       NoteListener* notes)
    : program_(program), guardedMessages_(std::make_unique<PressEndingMessages>(messages)),
      messages_(*guardedMessages_) {
    setObjectName(QStringLiteral("arayuz"));
    setWindowTitle(text(kWindowCaption));
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    layout_ = arayüzyerleşimi(screen.width() * WindowLayout::kTwipsPerPixel,
                              screen.height() * WindowLayout::kTwipsPerPixel);
    setFixedSize(kWindowSizeAt1x);
    // The controls were laid out for a small sans-serif face of 11 pixels.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    setFont(font);
    move(static_cast<int>(layout_.windowLeftTwips / WindowLayout::kTwipsPerPixel) + screen.left(),
         static_cast<int>(layout_.windowTopTwips / WindowLayout::kTwipsPerPixel) + screen.top());

    buildTopRow();
    buildInstrument();
    buildBottomRow();

    player_ = std::make_unique<InstrumentPlayer>(PlayerParts{
        program_.instrument, program_.tuning, program_.recording, program_.tables, *program_.sounds,
        program_.samples.mciAlias, sound, *this, messages_, nullptr, notes});
    connectHandlers();
    connectAccidentalOptions();
    loadGlyphSheet();

    resim(instrumentPicture->canvas(), program_.instrument);
    drawKeyMap(mandalColumn->canvas(), program_.samples.mciAlias, program_.keyNames);
    stop_buton->setEnabled(false);
    pause_buton->setEnabled(false);
    connectTuningControls();
    connectFilesControls(sound);
    systems_ = std::make_unique<SystemControls>(*this, messages_, instrumentPicture, 2, 294);
    renders_ = std::make_unique<RenderControls>(*this, messages_);
    files_->parts->makamSystem = systems_.get();
    // Below the pitch-system controls, left of the instrument's slanted edge.
    const QScreen* shownOn = QGuiApplication::primaryScreen();
    scaleChoice = addScaleChoice(instrumentPicture, 2, 350, userSettings(), messages_,
                                 shownOn ? availableAt1x(*shownOn) : kWindowSizeAt1x);
    const WindowScaleStart& scale = windowScaleAtStart();
    if (scale.used < scale.stored) status_->setScaleFallback(scale.stored, scale.used);
    giveControlHints(*this);
    recent_ = std::make_unique<RecentFiles>(*settings_);
    // Files dropped anywhere on the window are opened; the name boxes take no drops of their own.
    setAcceptDrops(true);
    addShortcuts();
    orderTabs(nullptr);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildTopRow() {
    resetFrame = frame(this, "", "resetFrame");
    place(resetFrame, layout_.resetFrame);
    mandalResetButton = button(resetFrame, "MANDAL RESET", "mandalResetButton", 8, 16, 97, 25);
    tuningResetButton = button(resetFrame, "AKORD RESET", "tuningResetButton", 112, 16, 97, 25);
    exitButton = button(resetFrame, "Ç  I  K", "exitButton", 216, 16, 41, 25);
    detailCheck = new WrappingCheckBox(text("detay  göster"), resetFrame);
    detailCheck->setObjectName(QStringLiteral("detailCheck"));
    place(detailCheck, 272, 16, 57, std::max(25, detailCheck->sizeHint().height()));
    fitCaptions({detailCheck});

    keyHelp = new QLabel(
        QString::fromStdString(keyHelpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        this);
    keyHelp->setObjectName(QStringLiteral("keyHelp"));
    QFont help = font();
    help.setPixelSize(9);
    keyHelp->setFont(help);
    place(keyHelp, layout_.keyHelp);

    emptyFrame = frame(this, "", "emptyFrame");
    place(emptyFrame, layout_.emptyFrame);
    status_ = std::make_unique<StatusFrame>(emptyFrame);

    octaveFrame = frame(this, "oktav", "octaveFrame");
    place(octaveFrame, layout_.octaveFrame);
    octaveDivisionButtons[1] = option(octaveFrame, "", 8, 24, 105, 17);
    octaveDivisionButtons[2] = option(octaveFrame, "", 128, 24, 97, 17);
    // The two options are the Yarman 79 and Yarman 80 entries of the system list, which shows
    // its choice on them (SystemControls).
    for (int i = 1; i <= 2; ++i) {
        octaveDivisionButtons[i]->setText(
            QString::fromStdString(program_.tables.octaveDivisionCaptions[i - 1]));
        octaveDivisionButtons[i]->setAutoExclusive(false);
    }
}

void MainWindow::buildInstrument() {
    instrumentPicture = new CanvasWidget(904, 420, kInstrumentBack, this);
    instrumentPicture->setObjectName(QStringLiteral("instrumentPicture"));
    instrumentPicture->setFocusPolicy(Qt::StrongFocus);
    place(instrumentPicture, layout_.instrumentPicture);

    mandalStrip = new CanvasWidget(485, 60, kInstrumentBack, instrumentPicture);
    place(mandalStrip, layout_.mandalStrip);
    pitchPanel = new CanvasWidget(239, 100, qRgb(255, 224, 192), instrumentPicture);
    place(pitchPanel, layout_.pitchPanel);
    fineTuningPicture = new CanvasWidget(57, 100, kPanelBack, instrumentPicture);
    place(fineTuningPicture, layout_.fineTuningPicture);
    staffPicture = new CanvasWidget(140, 132, kPanelBack, instrumentPicture);
    place(staffPicture, layout_.staffPicture);
    mandalColumn = new CanvasWidget(90, 396, kPanelBack, instrumentPicture);
    place(mandalColumn, layout_.mandalColumn);

    // The fine-tuning picture: raise on the left half, lower on the right; the big step above.
    CanvasImage& tune = fineTuningPicture->canvas();
    tune.setFontSize(10);
    tune.setForeColor(qRgb(0, 0, 0));
    tune.line(0, 45, 57, 45);
    tune.line(27, 0, 27, 100);
    for (auto [x, y, label] :
         {std::tuple{4.0, 14.0, "+2"}, {31.0, 14.0, "-2"}, {2.0, 64.0, "+¼"}, {31.0, 64.0, "-¼"}}) {
        tune.setCurrentX(x);
        tune.setCurrentY(y);
        tune.print(label);
    }

    auto* settingSwitchFrame = new QGroupBox(instrumentPicture);
    settingSwitchFrame->setObjectName(QStringLiteral("settingSwitchFrame"));
    place(settingSwitchFrame, layout_.settingSwitchFrame);
    settingSwitch[1] = option(settingSwitchFrame, "", 4, 8, 17, 17);
    settingSwitch[2] = option(settingSwitchFrame, "", 22, 8, 17, 17);
    settingSwitch[1]->setToolTip(text("göçürülmemiş mandallar"));
    settingSwitch[2]->setToolTip(text("göçürülmüş mandallar"));
    settingSwitch[1]->setChecked(true);

    // Only the box: a caption would lie over the label of string 26.
    mandalLabelsCheck = new QCheckBox(instrumentPicture);
    mandalLabelsCheck->setObjectName(QStringLiteral("mandalLabelsCheck"));
    mandalLabelsCheck->setToolTip(text("mandal etiketleri"));
    mandalLabelsCheck->setStyleSheet(QStringLiteral(
        "QCheckBox { spacing: 0px; } QCheckBox::indicator { width: 12px; height: 12px; }"));
    mandalLabelsCheck->setFocusPolicy(Qt::NoFocus);
    mandalLabelsCheck->setAutoFillBackground(true);
    QPalette palette = mandalLabelsCheck->palette();
    palette.setColor(QPalette::Window, QColor(kInstrumentBack));
    mandalLabelsCheck->setPalette(palette);
    place(mandalLabelsCheck, layout_.mandalLabelsCheck);

    // Beside the fine-tuning picture, above the slope of the strings: off, each pluck cuts the
    // one before.
    stringsRingCheck = new WrappingCheckBox(text("Teller tınlasın"), instrumentPicture);
    stringsRingCheck->setObjectName(QStringLiteral("stringsRingCheck"));
    stringsRingCheck->setFocusPolicy(Qt::NoFocus);
    stringsRingCheck->setToolTip(
        text("Açıkken bir tel çalınınca öbür teller susmaz, sesleri bitene dek tınlar; "
             "bir teli yalnız kendi yeni sesi susturur"));
    QFont small = stringsRingCheck->font();
    small.setPixelSize(10);
    stringsRingCheck->setFont(small);
    place(stringsRingCheck, 300, 124, 56, 28);

    makamList = new QListWidget(this);
    place(makamList, layout_.makamList);
    makamList->hide();
    melodyList = new QListWidget(this);
    place(melodyList, layout_.melodyList);
    melodyList->hide();
}

void MainWindow::buildBottomRow() {
    makamFrame = frame(this, "Makam", "makamFrame");
    place(makamFrame, layout_.makamFrame);
    makamNameBox = new QLineEdit(makamFrame);
    place(makamNameBox, 8, 24, 113, 19);
    open_buton = button(makamFrame, "", "open_buton", 24, 56, 32, 25);
    open_buton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    save_buton = button(makamFrame, "", "save_buton", 72, 56, 32, 25);
    save_buton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    recordFrame = frame(this, "Kaydet / Dinlet", "recordFrame");
    place(recordFrame, layout_.recordFrame);
    Play_buton = button(recordFrame, ">", "Play_buton", 16, 24, 25, 17);
    stop_buton = button(recordFrame, "O", "stop_buton", 16, 48, 25, 17);
    rec_buton = button(recordFrame, "R", "rec_buton", 16, 72, 25, 17);
    replayLamp = new CanvasWidget(25, 17, qRgb(192, 192, 192), recordFrame);
    place(replayLamp, 56, 24, 25, 17);
    pause_buton = button(recordFrame, "I I", "pause_buton", 56, 48, 25, 17);
    recordLamp = new CanvasWidget(25, 17, qRgb(192, 192, 192), recordFrame);
    place(recordLamp, 56, 72, 25, 17);
    auto* replayModeFrame = frame(recordFrame, "arızalar", "replayModeFrame");
    place(replayModeFrame, 96, 16, 65, 73);
    const char* modes[] = {"çalgı", "şartlı", "dosya"};
    for (int i = 1; i <= 3; ++i)
        replayModeButtons[i] = option(replayModeFrame, modes[i - 1], 8, 8 + 16 * i, 49, 13);
    fitCaptions({replayModeButtons[1], replayModeButtons[2], replayModeButtons[3]});
    replayModeButtons[1]->setChecked(true);

    melodyFrame = frame(this, "Ezgitab dosyası", "melodyFrame");
    place(melodyFrame, layout_.melodyFrame);
    melodyNameBox = new QLineEdit(melodyFrame);
    place(melodyNameBox, 8, 24, 113, 19);
    open_ses_buton = button(melodyFrame, "", "open_ses_buton", 8, 64, 32, 25);
    open_ses_buton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    aç_kapa_buton = button(melodyFrame, ">", "ac_kapa_buton", 48, 64, 25, 25);
    melodyCounter = new CanvasWidget(33, 25, qRgb(255, 255, 255), melodyFrame);
    place(melodyCounter, 80, 64, 33, 25);
    tempoBar = new QScrollBar(Qt::Vertical, melodyFrame);
    tempoBar->setFocusPolicy(Qt::NoFocus);
    place(tempoBar, 128, 24, 17, 65);
    auto* melodyModeFrame = frame(melodyFrame, "arızalar", "melodyModeFrame");
    place(melodyModeFrame, 160, 16, 65, 73);
    for (int i = 1; i <= 3; ++i)
        melodyModeButtons[i] = option(melodyModeFrame, modes[i - 1], 8, 8 + 16 * i, 49, 13);
    fitCaptions({melodyModeButtons[1], melodyModeButtons[2], melodyModeButtons[3]});
    melodyModeButtons[2]->setChecked(true);

    pitchLevelFrame = frame(this, "Ahenkler", "pitchLevelFrame");
    place(pitchLevelFrame, layout_.pitchLevelFrame);
    struct Level {
        int index;
        const char* caption;
        double left, top, width;
    };
    const Level levels[] = {{8, "ŞAH NISFİYE", 16, 24, 89},    {7, "DAVUD NIS.", 16, 48, 89},
                            {6, "BOLAHENK NIS.", 16, 72, 105}, {5, "SÜPÜRDE", 120, 24, 89},
                            {4, "MÜSTAHSEN", 120, 48, 89},     {3, "KIZ NEYİ", 224, 24, 73},
                            {2, "MANSUR", 224, 48, 73},        {1, "ŞAH", 224, 72, 65}};
    for (const Level& l : levels) {
        pitchLevelButtons[l.index] = option(pitchLevelFrame, l.caption, l.left, l.top, l.width, 17);
        fitCaptions({pitchLevelButtons[l.index]});
    }
    pitchLevelButtons[5]->setChecked(true);
    degreeShiftBar = new QScrollBar(Qt::Horizontal, pitchLevelFrame);
    degreeShiftBar->setFocusPolicy(Qt::NoFocus);
    degreeShiftBar->setRange(-8, 12);
    degreeShiftBar->setValue(0);
    place(degreeShiftBar, 136, 72, 65, 25);
    degreeShiftBox = new QLineEdit(QStringLiteral("0"), pitchLevelFrame);
    place(degreeShiftBox, 152, 72, 33, 25);
    degreeShiftBar->lower();
}

void MainWindow::connectHandlers() {
    instrumentPicture->onMouseDown = [this](int b, double x, double y) {
        player_->instrumentMouseDown(b, x, y);
    };
    instrumentPicture->onMouseMove = [this](int b, double x, double y) {
        player_->instrumentMouseMove(b, x, y);
    };
    mandalStrip->onMouseDown = [this](int b, double x, double y) {
        player_->mandalStripMouseDown(b, x, y);
    };
    fineTuningPicture->onMouseDown = [this](int b, double x, double y) {
        player_->fineTuningMouseDown(b, x, y);
    };
    connect(mandalLabelsCheck, &QCheckBox::clicked, this, [this] { mandalLabelsCheckClick(); });
    connect(detailCheck, &QCheckBox::clicked, this, [this] { detailCheckClick(); });
    connect(stringsRingCheck, &QCheckBox::clicked, this, [this] { stringsRingCheckClick(); });
    connect(tempoBar, &QScrollBar::valueChanged, this, [this] { tempoBarChange(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { exitButtonClick(); });
    for (QLineEdit* box : {makamNameBox, melodyNameBox, degreeShiftBox}) {
        box->installEventFilter(this);
        box->setAcceptDrops(false);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // While a name or a number is typed into a box the letter keys must not play.
    if (qobject_cast<QLineEdit*>(watched) && event->type() == QEvent::FocusIn)
        nameFieldFocused_ = true;
    if (qobject_cast<QLineEdit*>(watched) && event->type() == QEvent::FocusOut)
        nameFieldFocused_ = false;
    // Escape in a box, or on any control reached with Tab, gives the keys back to the instrument.
    if (watched != instrumentPicture && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        giveFocusToInstrument();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::controlHasKeys() const {
    const QWidget* focused = focusWidget();
    return focused && focused != instrumentPicture && isAncestorOf(focused) && focused->isVisible();
}

void MainWindow::giveFocusToInstrument() {
    instrumentPicture->setFocus(Qt::OtherFocusReason);
}

void MainWindow::tel_çiz() {
    zembera::tel_çiz(instrumentPicture->canvas(), program_.instrument);
    instrumentPicture->refresh();
}

void MainWindow::mandal_at() {
    const MandalStripPlacement placement =
        zembera::mandal_at(mandalStrip->canvas(), program_.instrument, program_.tables);
    mandalStrip->syncSize();
    mandalStrip->move(placement.left, mandalStrip->y());
    mandalStrip->refresh();
}

void MainWindow::porte() {
    zembera::porte(staffPicture->canvas(), glyphSheet, program_.instrument, program_.tables,
                   doubledGlyphSheet);
    staffPicture->refresh();
}

void MainWindow::etiket() {
    if (program_.instrument.currentString == 0) return;
    zembera::etiket(pitchPanel->canvas(), program_.instrument, program_.tuning, program_.tables);
    pitchPanel->refresh();
}

// The sheet is drawn at build time beside the program. Without it the staff still shows its
// ledger lines: a white sheet stands in, and the loss is told once on standard error.
void MainWindow::loadGlyphSheet() {
    const std::filesystem::path file = program_.programFolder / "glyphs.png";
    if (glyphSheet.load(QString::fromStdString(file.string())) &&
        glyphSheet.width() >= glyphs::kSheetWidth && glyphSheet.height() >= glyphs::kSheetHeight) {
        glyphSheet.convertTo(QImage::Format_RGB32); // the format the staff copies from directly
        loadDoubledGlyphSheet();
        return;
    }
    std::fprintf(stderr, "zembera: %s okunamadı\n", file.string().c_str());
    glyphSheet = QImage(glyphs::kSheetWidth, glyphs::kSheetHeight, QImage::Format_RGB32);
    glyphSheet.fill(Qt::white);
}

// The sheet drawn at twice the size, for screens of a higher device pixel ratio. Without it the
// logical sheet is enlarged there.
void MainWindow::loadDoubledGlyphSheet() {
    const std::filesystem::path file = program_.programFolder / "glyphs-2x.png";
    if (doubledGlyphSheet.load(QString::fromStdString(file.string())) &&
        doubledGlyphSheet.size() == 2 * glyphSheet.size()) {
        doubledGlyphSheet.convertTo(QImage::Format_RGB32);
        return;
    }
    doubledGlyphSheet = QImage();
}

void MainWindow::connectAccidentalOptions() {
    for (int i = 1; i <= 3; ++i) {
        connect(melodyModeButtons[i], &QRadioButton::clicked, this,
                [this, i] { melodyModeClick(i); });
        connect(replayModeButtons[i], &QRadioButton::clicked, this,
                [this, i] { replayModeClick(i); });
    }
}

void MainWindow::melodyModeClick(int /*index*/) {
    giveFocusToInstrument();
}

void MainWindow::replayModeClick(int /*index*/) {
    giveFocusToInstrument();
}

void MainWindow::arıza_yaz(int s) {
    if (zembera::arıza_yaz(mandalColumn->canvas(), program_.instrument, s,
                           mandalLabelsCheck->isChecked())) {
        diyagonal_yaz(instrumentPicture->canvas(), program_.instrument);
        instrumentPicture->refresh();
    }
    mandalColumn->refresh();
}

void MainWindow::keyLetter(int s, bool held) {
    drawKeyLetter(mandalColumn->canvas(), s, program_.keyNames[s], held);
    mandalColumn->refresh();
}

void MainWindow::mandalLabelsCheckClick() {
    if (mandalLabelsCheck->isChecked()) {
        diyagonal_yaz(instrumentPicture->canvas(), program_.instrument);
    } else {
        eraseLabels(instrumentPicture->canvas());
    }
    instrumentPicture->refresh();
}

void MainWindow::detailCheckClick() {
    giveFocusToInstrument();
}

bool MainWindow::detailShown() const {
    return detailCheck->isChecked();
}

void MainWindow::stringsRingCheckClick() {
    program_.instrument.stringsRing = stringsRingCheck->isChecked();
    giveFocusToInstrument();
}

void MainWindow::tempoBarChange() {
    giveFocusToInstrument();
}

void MainWindow::exitButtonClick() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    const bool allow = sessionEnding_ || messages_.askYesNo(kCloseQuestion);
    giveFocusToInstrument();
    if (!allow) {
        event->ignore();
        return;
    }
    // A recording still running is finished as the stop button would, so its plucks replace
    // the previous recording instead of staying behind in the temporary file.
    if (program_.instrument.recording) stop_buton_Click();
    program_.recording.recordTimer.Halt();
    event->accept();
}

void MainWindow::keyStrike(int key) {
    // A blank typed into the makam name is text, not a swap.
    if (key != kKeySwapSystems || nameFieldFocused()) return;
    if (systems_->swapButton->isEnabled()) systems_->swap();
}

} // namespace zembera
