#pragma once
// The main window: it owns the controls, lays them out, draws the instrument and routes the
// events of the keyboard and the mouse to the instrument player. Its handlers stay short.
//
// Thread: UI thread only.

#include <QWidget>
#include <array>
#include <memory>

#include "common/messages.h"
#include "instrument/instrument_player.h"
#include "instrument/instrument_ports.h"
#include "shell/startup_loader.h"
#include "shell/window_layout.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace zembera {

class CanvasWidget;

inline constexpr const char* kCloseQuestion = "Bu proğramı kapatmak istiyormusunuz ?";
inline constexpr const char* kWindowCaption = "Z E M B E R A";

class MainWindow : public QWidget, public InstrumentView {
  public:
    MainWindow(LoadedProgram& program, SoundOutput& sound, MessageService& messages);
    ~MainWindow() override;

    InstrumentPlayer& player() { return *player_; }
    LoadedProgram& program() { return program_; }
    const WindowLayout& layout() const { return layout_; }

    // The end of the desktop session closes the window without asking.
    void setSessionEnding(bool ending) { sessionEnding_ = ending; }

    // InstrumentView
    void tel_çiz() override;
    void mandal_at() override;
    void porte() override;
    void etiket() override;
    void arıza_yaz(int s) override;
    void keyLetter(int s, bool held) override;

    // Controls, by the names the handlers use.
    CanvasWidget* Picture1 = nullptr;  // mandal strip
    CanvasWidget* Picture2 = nullptr;  // the instrument
    CanvasWidget* Picture3 = nullptr;  // staff
    CanvasWidget* Picture5 = nullptr;  // fine tuning
    CanvasWidget* Picture6 = nullptr;  // pitch panel
    CanvasWidget* Picture7 = nullptr;  // melody counter
    CanvasWidget* Picture8 = nullptr;  // replay lamp
    CanvasWidget* Picture9 = nullptr;  // recording lamp
    CanvasWidget* Picture10 = nullptr; // key map and mandal number column
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Label36 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* save_buton = nullptr;
    QPushButton* open_buton = nullptr;
    QPushButton* rec_buton = nullptr;
    QPushButton* Play_buton = nullptr;
    QPushButton* pause_buton = nullptr;
    QPushButton* stop_buton = nullptr;
    QPushButton* open_ses_buton = nullptr;
    QPushButton* aç_kapa_buton = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QListWidget* File2 = nullptr;
    QListWidget* File3 = nullptr;
    std::array<QRadioButton*, 9> Option1{};
    std::array<QRadioButton*, 4> Option2{};
    std::array<QRadioButton*, 4> Option3{};
    std::array<QRadioButton*, 3> Option4{};
    std::array<QRadioButton*, 3> Option5{};
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QGroupBox* Frame10 = nullptr;

    void Check1_Click();
    void Check2_Click();
    void VScroll1_Change();
    void Command10_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildTopRow();
    void buildInstrument();
    void buildBottomRow();
    void connectHandlers();
    void giveFocusToInstrument();

    LoadedProgram& program_;
    MessageService& messages_;
    WindowLayout layout_;
    std::unique_ptr<InstrumentPlayer> player_;
    bool sessionEnding_ = false;
};

} // namespace zembera
