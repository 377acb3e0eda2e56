#include "shell/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
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

#include "instrument/instrument_drawing.h"
#include "notation/glyph_sheet_layout.h"
#include "notation/mandal_column.h"
#include "notation/pitch_panel.h"
#include "notation/staff.h"
#include "shell/canvas_widget.h"
#include "shell/press_ending_messages.h"
#include "shell/wrapping_check_box.h"

namespace zembera {
namespace {

constexpr QRgb kInstrumentBack = qRgb(236, 233, 216);
constexpr QRgb kPanelBack = qRgb(255, 255, 255);
constexpr int kClientWidth = 925;
constexpr int kClientHeight = 597;

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

MainWindow::MainWindow(LoadedProgram& program, SoundOutput& sound, MessageService& messages)
    : program_(program), guardedMessages_(std::make_unique<PressEndingMessages>(messages)),
      messages_(*guardedMessages_) {
    setObjectName(QStringLiteral("arayuz"));
    setWindowTitle(text(kWindowCaption));
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    layout_ = arayüzyerleşimi(screen.width() * WindowLayout::kTwipsPerPixel,
                              screen.height() * WindowLayout::kTwipsPerPixel);
    setFixedSize(kClientWidth, kClientHeight);
    // The controls were laid out for a small sans-serif face of 11 pixels.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    setFont(font);
    move(static_cast<int>(layout_.windowLeftTwips / WindowLayout::kTwipsPerPixel) + screen.left(),
         static_cast<int>(layout_.windowTopTwips / WindowLayout::kTwipsPerPixel) + screen.top());

    buildTopRow();
    buildInstrument();
    buildBottomRow();

    player_ = std::make_unique<InstrumentPlayer>(
        PlayerParts{program_.instrument, program_.tuning, program_.recording, program_.tables,
                    *program_.sounds, program_.samples.mciAlias, sound, *this, messages_});
    connectHandlers();
    connectAccidentalOptions();
    loadGlyphSheet();

    resim(Picture2->canvas(), program_.instrument);
    drawKeyMap(Picture10->canvas(), program_.samples.mciAlias, program_.keyNames);
    stop_buton->setEnabled(false);
    pause_buton->setEnabled(false);
    program_.instrument.vscrollValue = static_cast<std::int16_t>(VScroll1->value());
    connectTuningControls();
    connectFilesControls(sound);
    systems_ = std::make_unique<SystemControls>(*this, messages_, Picture2, 2, 294);
    renders_ = std::make_unique<RenderControls>(*this, messages_);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildTopRow() {
    Frame3 = frame(this, "", "Frame3");
    place(Frame3, layout_.frame3);
    Command9 = button(Frame3, "MANDAL RESET", "Command9", 8, 16, 97, 25);
    Command8 = button(Frame3, "AKORD RESET", "Command8", 112, 16, 97, 25);
    Command10 = button(Frame3, "Ç  I  K", "Command10", 216, 16, 41, 25);
    Check2 = new WrappingCheckBox(text("detay  göster"), Frame3);
    Check2->setObjectName(QStringLiteral("Check2"));
    place(Check2, 272, 16, 57, std::max(25, Check2->sizeHint().height()));
    fitCaptions({Check2});

    Label36 = new QLabel(
        QString::fromStdString(keyHelpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        this);
    Label36->setObjectName(QStringLiteral("Label36"));
    QFont help = font();
    help.setPixelSize(9);
    Label36->setFont(help);
    place(Label36, layout_.label36);

    Frame7 = frame(this, "", "Frame7");
    place(Frame7, layout_.frame7);

    Frame10 = frame(this, "oktav", "Frame10");
    place(Frame10, layout_.frame10);
    Option4[1] = option(Frame10, "", 8, 24, 105, 17);
    Option4[2] = option(Frame10, "", 128, 24, 97, 17);
    // Neither octave division is chosen at start; choosing one changes no pitch.
    for (int i = 1; i <= 2; ++i) {
        Option4[i]->setText(QString::fromStdString(program_.tables.octaveDivisionCaptions[i - 1]));
        Option4[i]->setAutoExclusive(false);
    }
}

void MainWindow::buildInstrument() {
    Picture2 = new CanvasWidget(904, 420, kInstrumentBack, this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setFocusPolicy(Qt::StrongFocus);
    place(Picture2, layout_.picture2);

    Picture1 = new CanvasWidget(485, 60, kInstrumentBack, Picture2);
    place(Picture1, layout_.picture1);
    Picture6 = new CanvasWidget(239, 100, qRgb(255, 224, 192), Picture2);
    place(Picture6, layout_.picture6);
    Picture5 = new CanvasWidget(57, 100, kPanelBack, Picture2);
    place(Picture5, layout_.picture5);
    Picture3 = new CanvasWidget(140, 132, kPanelBack, Picture2);
    place(Picture3, layout_.picture3);
    Picture10 = new CanvasWidget(90, 396, kPanelBack, Picture2);
    place(Picture10, layout_.picture10);

    // The fine-tuning picture: raise on the left half, lower on the right; the big step above.
    CanvasImage& tune = Picture5->canvas();
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

    auto* frame11 = new QGroupBox(Picture2);
    frame11->setObjectName(QStringLiteral("Frame11"));
    place(frame11, layout_.frame11);
    Option5[1] = option(frame11, "", 4, 8, 17, 17);
    Option5[2] = option(frame11, "", 22, 8, 17, 17);
    Option5[1]->setToolTip(text("göçürülmemiş mandallar"));
    Option5[2]->setToolTip(text("göçürülmüş mandallar"));
    Option5[1]->setChecked(true);

    // Only the box: a caption would lie over the label of string 26.
    Check1 = new QCheckBox(Picture2);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setToolTip(text("mandal etiketleri"));
    Check1->setStyleSheet(QStringLiteral(
        "QCheckBox { spacing: 0px; } QCheckBox::indicator { width: 12px; height: 12px; }"));
    Check1->setFocusPolicy(Qt::NoFocus);
    Check1->setAutoFillBackground(true);
    QPalette palette = Check1->palette();
    palette.setColor(QPalette::Window, QColor(kInstrumentBack));
    Check1->setPalette(palette);
    place(Check1, layout_.check1);

    File2 = new QListWidget(this);
    place(File2, layout_.file2);
    File2->hide();
    File3 = new QListWidget(this);
    place(File3, layout_.file3);
    File3->hide();
}

void MainWindow::buildBottomRow() {
    Frame4 = frame(this, "Makam", "Frame4");
    place(Frame4, layout_.frame4);
    Text1 = new QLineEdit(Frame4);
    place(Text1, 8, 24, 113, 19);
    open_buton = button(Frame4, "", "open_buton", 24, 56, 32, 25);
    open_buton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    save_buton = button(Frame4, "", "save_buton", 72, 56, 32, 25);
    save_buton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    Frame1 = frame(this, "Kaydet / Dinlet", "Frame1");
    place(Frame1, layout_.frame1);
    Play_buton = button(Frame1, ">", "Play_buton", 16, 24, 25, 17);
    stop_buton = button(Frame1, "O", "stop_buton", 16, 48, 25, 17);
    rec_buton = button(Frame1, "R", "rec_buton", 16, 72, 25, 17);
    Picture8 = new CanvasWidget(25, 17, qRgb(192, 192, 192), Frame1);
    place(Picture8, 56, 24, 25, 17);
    pause_buton = button(Frame1, "I I", "pause_buton", 56, 48, 25, 17);
    Picture9 = new CanvasWidget(25, 17, qRgb(192, 192, 192), Frame1);
    place(Picture9, 56, 72, 25, 17);
    auto* frame9 = frame(Frame1, "arızalar", "Frame9");
    place(frame9, 96, 16, 65, 73);
    const char* modes[] = {"çalgı", "şartlı", "dosya"};
    for (int i = 1; i <= 3; ++i)
        Option3[i] = option(frame9, modes[i - 1], 8, 8 + 16 * i, 49, 13);
    fitCaptions({Option3[1], Option3[2], Option3[3]});
    Option3[1]->setChecked(true);

    Frame5 = frame(this, "Ezgitab dosyası", "Frame5");
    place(Frame5, layout_.frame5);
    Text2 = new QLineEdit(Frame5);
    place(Text2, 8, 24, 113, 19);
    open_ses_buton = button(Frame5, "", "open_ses_buton", 8, 64, 32, 25);
    open_ses_buton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    aç_kapa_buton = button(Frame5, ">", "ac_kapa_buton", 48, 64, 25, 25);
    Picture7 = new CanvasWidget(33, 25, qRgb(255, 255, 255), Frame5);
    place(Picture7, 80, 64, 33, 25);
    VScroll1 = new QScrollBar(Qt::Vertical, Frame5);
    VScroll1->setFocusPolicy(Qt::NoFocus);
    place(VScroll1, 128, 24, 17, 65);
    auto* frame8 = frame(Frame5, "arızalar", "Frame8");
    place(frame8, 160, 16, 65, 73);
    for (int i = 1; i <= 3; ++i)
        Option2[i] = option(frame8, modes[i - 1], 8, 8 + 16 * i, 49, 13);
    fitCaptions({Option2[1], Option2[2], Option2[3]});
    Option2[2]->setChecked(true);

    Frame2 = frame(this, "Ahenkler", "Frame2");
    place(Frame2, layout_.frame2);
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
        Option1[l.index] = option(Frame2, l.caption, l.left, l.top, l.width, 17);
        fitCaptions({Option1[l.index]});
    }
    Option1[5]->setChecked(true);
    HScroll1 = new QScrollBar(Qt::Horizontal, Frame2);
    HScroll1->setFocusPolicy(Qt::NoFocus);
    HScroll1->setRange(-8, 12);
    HScroll1->setValue(0);
    place(HScroll1, 136, 72, 65, 25);
    Text3 = new QLineEdit(QStringLiteral("0"), Frame2);
    place(Text3, 152, 72, 33, 25);
    HScroll1->lower();
}

void MainWindow::connectHandlers() {
    Picture2->onMouseDown = [this](int b, double x, double y) {
        player_->instrumentMouseDown(b, x, y);
    };
    Picture2->onMouseMove = [this](int b, double x, double y) {
        player_->instrumentMouseMove(b, x, y);
    };
    Picture1->onMouseDown = [this](int b, double x, double y) {
        player_->mandalStripMouseDown(b, x, y);
    };
    Picture5->onMouseDown = [this](int b, double x, double y) {
        player_->fineTuningMouseDown(b, x, y);
    };
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(Check2, &QCheckBox::clicked, this, [this] { Check2_Click(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
    connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    Text1->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // While the makam name is typed the letter keys must not play.
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        program_.instrument.nameFieldFocused = true;
    if (watched == Text1 && event->type() == QEvent::FocusOut)
        program_.instrument.nameFieldFocused = false;
    return QWidget::eventFilter(watched, event);
}

void MainWindow::giveFocusToInstrument() {
    Picture2->setFocus(Qt::OtherFocusReason);
}

void MainWindow::tel_çiz() {
    zembera::tel_çiz(Picture2->canvas(), program_.instrument);
    Picture2->refresh();
}

void MainWindow::mandal_at() {
    const MandalStripPlacement placement =
        zembera::mandal_at(Picture1->canvas(), program_.instrument, program_.tables);
    Picture1->syncSize();
    Picture1->move(placement.left, Picture1->y());
    Picture1->refresh();
}

void MainWindow::porte() {
    zembera::porte(Picture3->canvas(), Picture4, program_.instrument, program_.tables);
    Picture3->refresh();
}

void MainWindow::etiket() {
    if (program_.instrument.currentString == 0) return;
    zembera::etiket(Picture6->canvas(), program_.instrument, program_.tuning, program_.tables);
    Picture6->refresh();
}

// The sheet is drawn at build time beside the program. Without it the staff still shows its
// ledger lines: a white sheet stands in, and the loss is told once on standard error.
void MainWindow::loadGlyphSheet() {
    const std::filesystem::path file = program_.programFolder / "glyphs.png";
    if (Picture4.load(QString::fromStdString(file.string())) &&
        Picture4.width() >= glyphs::kSheetWidth && Picture4.height() >= glyphs::kSheetHeight) {
        Picture4.convertTo(QImage::Format_RGB32); // the format the staff copies from directly
        return;
    }
    std::fprintf(stderr, "zembera: %s okunamadı\n", file.string().c_str());
    Picture4 = QImage(glyphs::kSheetWidth, glyphs::kSheetHeight, QImage::Format_RGB32);
    Picture4.fill(Qt::white);
}

void MainWindow::connectAccidentalOptions() {
    for (int i = 1; i <= 3; ++i) {
        connect(Option2[i], &QRadioButton::clicked, this, [this, i] { Option2_Click(i); });
        connect(Option3[i], &QRadioButton::clicked, this, [this, i] { Option3_Click(i); });
    }
}

void MainWindow::Option2_Click(int /*index*/) {
    giveFocusToInstrument();
}

void MainWindow::Option3_Click(int /*index*/) {
    giveFocusToInstrument();
}

void MainWindow::arıza_yaz(int s) {
    if (zembera::arıza_yaz(Picture10->canvas(), program_.instrument, s, Check1->isChecked())) {
        diyagonal_yaz(Picture2->canvas(), program_.instrument);
        Picture2->refresh();
    }
    Picture10->refresh();
}

void MainWindow::keyLetter(int s, bool held) {
    drawKeyLetter(Picture10->canvas(), s, program_.keyNames[s], held);
    Picture10->refresh();
}

void MainWindow::Check1_Click() {
    if (Check1->isChecked()) {
        diyagonal_yaz(Picture2->canvas(), program_.instrument);
    } else {
        eraseLabels(Picture2->canvas());
    }
    Picture2->refresh();
}

void MainWindow::Check2_Click() {
    program_.instrument.detailShown = Check2->isChecked() ? 1 : 0;
    giveFocusToInstrument();
}

void MainWindow::VScroll1_Change() {
    program_.instrument.vscrollValue = static_cast<std::int16_t>(VScroll1->value());
    giveFocusToInstrument();
}

void MainWindow::Command10_Click() {
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
    if (key != kKeySwapSystems || program_.instrument.nameFieldFocused) return;
    if (systems_->swapButton->isEnabled()) systems_->swap();
}

} // namespace zembera
