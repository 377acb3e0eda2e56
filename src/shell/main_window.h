#pragma once
// The main window: it owns the controls, lays them out, draws the instrument and routes the
// events of the keyboard and the mouse to the instrument player. Its handlers stay short.
//
// Thread: UI thread only.

#include <QImage>
#include <QWidget>
#include <array>
#include <memory>

#include "common/messages.h"
#include "instrument/instrument_player.h"
#include "loader/startup_loader.h"
#include "model/instrument_ports.h"
#include "shell/files_controls.h"
#include "shell/render_controls.h"
#include "shell/system_controls.h"
#include "shell/window_layout.h"
#include "tuning/tuning_handlers.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace zembera {

class CanvasWidget;
class PopupLists;
class PressEndingMessages;
class StatusFrame;

inline constexpr const char* kCloseQuestion = "Bu proğramı kapatmak istiyormusunuz ?";
inline constexpr const char* kWindowCaption = "Z E M B E R A";
inline constexpr int kKeySwapSystems = 32; // the space bar

class MainWindow : public QWidget, public InstrumentView {
  public:
    // The notes the keys and the mouse play are announced to `notes` (the sound service's
    // listeners in the program), when given.
    MainWindow(LoadedProgram& program, SoundOutput& sound, MessageService& messages,
               NoteListener* notes = nullptr);
    ~MainWindow() override;

    InstrumentPlayer& player() { return *player_; }
    LoadedProgram& program() { return program_; }
    const WindowLayout& layout() const { return layout_; }

    // The end of the desktop session closes the window without asking.
    void setSessionEnding(bool ending) { sessionEnding_ = ending; }

    // InstrumentView
    void tel_çiz() override;        // redraws the strings
    void mandal_at() override;      // redraws the mandal strip of the selected string
    void porte() override;          // redraws the staff
    void etiket() override;         // redraws the pitch panel
    void arıza_yaz(int s) override; // rewrites the mandal number of string s
    void keyLetter(int s, bool held) override;
    bool nameFieldFocused() const override { return nameFieldFocused_; }
    bool detailShown() const override;

    // Controls, by the names the handlers use.
    CanvasWidget* mandalStrip = nullptr;       // mandal strip
    CanvasWidget* instrumentPicture = nullptr; // the instrument
    CanvasWidget* staffPicture = nullptr;      // staff
    CanvasWidget* fineTuningPicture = nullptr; // fine tuning
    CanvasWidget* pitchPanel = nullptr;        // pitch panel
    CanvasWidget* melodyCounter = nullptr;     // melody counter
    CanvasWidget* replayLamp = nullptr;        // replay lamp
    CanvasWidget* recordLamp = nullptr;        // recording lamp
    CanvasWidget* mandalColumn = nullptr;      // key map and mandal number column
    QCheckBox* mandalLabelsCheck = nullptr;
    QCheckBox* detailCheck = nullptr;
    QCheckBox* stringsRingCheck = nullptr; // "Teller tınlasın", in emptyFrame
    QLabel* keyHelp = nullptr;
    QPushButton* tuningResetButton = nullptr;
    QPushButton* mandalResetButton = nullptr;
    QPushButton* exitButton = nullptr;
    QPushButton* save_buton = nullptr;
    QPushButton* open_buton = nullptr;
    QPushButton* rec_buton = nullptr;
    QPushButton* Play_buton = nullptr;
    QPushButton* pause_buton = nullptr;
    QPushButton* stop_buton = nullptr;
    QPushButton* open_ses_buton = nullptr;
    QPushButton* aç_kapa_buton = nullptr;
    QLineEdit* makamNameBox = nullptr;
    QLineEdit* melodyNameBox = nullptr;
    QLineEdit* degreeShiftBox = nullptr;
    QScrollBar* degreeShiftBar = nullptr;
    QScrollBar* tempoBar = nullptr;
    QListWidget* makamList = nullptr;
    QListWidget* melodyList = nullptr;
    std::array<QRadioButton*, 9> pitchLevelButtons{};
    std::array<QRadioButton*, 4> melodyModeButtons{};
    std::array<QRadioButton*, 4> replayModeButtons{};
    std::array<QRadioButton*, 3> octaveDivisionButtons{};
    std::array<QRadioButton*, 3> settingSwitch{};
    QGroupBox* recordFrame = nullptr;
    QGroupBox* pitchLevelFrame = nullptr;
    QGroupBox* resetFrame = nullptr;
    QGroupBox* makamFrame = nullptr;
    QGroupBox* melodyFrame = nullptr;
    QGroupBox* emptyFrame = nullptr;
    QGroupBox* octaveFrame = nullptr;
    QComboBox* scaleChoice = nullptr; // "Büyüt"
    QImage glyphSheet;                // the glyph sheet of the staff, never shown
    QImage doubledGlyphSheet;         // the same drawn at twice the size; null without it

    void mandalLabelsCheckClick();
    void detailCheckClick();
    void stringsRingCheckClick();
    void tempoBarChange();
    void exitButtonClick();
    // The accidental options of the melody player and of the replay only give the focus back.
    void melodyModeClick(int index);
    void replayModeClick(int index);

    // Pitch level, degree shift, octave division, setting switch and resets (tuning_controls.cpp).
    void pitchLevelClick(int index);
    void degreeShiftChange();
    void octaveDivisionClick(int index);
    void settingSwitchClick(int index);
    void tuningResetClick();
    void mandalResetClick();
    TuningHandlers& tuningHandlers() { return *tuningHandlers_; }

    // The pitch-system list, A/B, opening and export of Scala files (system_controls.cpp).
    SystemControls& systemControls() { return *systems_; }
    // A stroke of a key that acts once per press: the space bar swaps the last two pitch systems,
    // as the A/B button does, so a phrase can be heard in both while playing.
    void keyStrike(int key);

    // Writing the melody or the recording to a sound file (render_controls.cpp).
    RenderControls& renderControls() { return *renders_; }
    // What is loaded and whether sound reaches a device, in the frame beside the octave frame.
    StatusFrame& status() { return *status_; }

    // Makam files, recording and replay, melody files (files_controls.cpp).
    void open_buton_Click();
    void makamListClick(const std::string& fileName);
    void save_buton_Click();
    void rec_buton_Click();
    void Play_buton_Click();
    void pause_buton_Click();
    void stop_buton_Click();
    void open_ses_buton_Click();
    void melodyListClick(const std::string& fileName); // the file's bytes
    void aç_kapa_buton_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildTopRow();
    void buildInstrument();
    void buildBottomRow();
    void connectHandlers();
    void giveFocusToInstrument();
    void loadGlyphSheet();
    void loadDoubledGlyphSheet();
    void connectAccidentalOptions();
    void connectTuningControls();
    void connectFilesControls(SoundOutput& sound);

    LoadedProgram& program_;
    // Every message of the window goes through it: it ends a pending mouse press first.
    std::unique_ptr<PressEndingMessages> guardedMessages_;
    MessageService& messages_;
    WindowLayout layout_;
    std::unique_ptr<InstrumentPlayer> player_;
    std::unique_ptr<TuningView> tuningView_;
    std::unique_ptr<TuningHandlers> tuningHandlers_;
    std::unique_ptr<FilesControls> files_;
    std::unique_ptr<SystemControls> systems_;
    std::unique_ptr<RenderControls> renders_;
    std::unique_ptr<StatusFrame> status_;
    PopupLists* popups_ = nullptr; // owned by the window
    bool sessionEnding_ = false;
    // A name or number box has the keyboard focus (followed by eventFilter).
    bool nameFieldFocused_ = false;
};

} // namespace zembera
