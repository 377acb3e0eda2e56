#pragma once
// The pitch-system controls of the main window: the "Ses sistemi" list of the bundled systems and
// of the Scala files opened in this session, the A/B button that swaps the last two systems, and
// the opening and export of Scala files. Switching keeps the music: every string moves to the
// position nearest the pitch it had, the fine tuning and the pitch level stay, and a system
// chosen again gets back its own positions while nothing was changed in between. The two
// "oktav" options are the list's first two entries, Yarman 79 and Yarman 80.
//
// Thread: UI thread only.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/messages.h"
#include "loader/system_switch.h"
#include "systems/degree_names.h"
#include "systems/pitch_system.h"

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace zembera {

class MainWindow;

inline constexpr const char* kSystemListCaption = "Ses sistemi";
inline constexpr const char* kSwapCaption = "A/B";

class SystemControls {
  public:
    // Places the controls on `parent` (the instrument picture) with their top left at (left, top).
    SystemControls(MainWindow& window, MessageService& messages, QWidget* parent, int left,
                   int top);
    ~SystemControls();

    QComboBox* list = nullptr;
    QPushButton* swapButton = nullptr;
    QPushButton* openButton = nullptr;
    QPushButton* exportButton = nullptr;

    // Index in the list of the system in use.
    int current() const { return current_; }
    const systems::PitchSystem* currentSystem() const;

    // Switches to system `index` of the list; a system that cannot be built is told and the
    // current one stays. Returns whether the switch took place.
    bool choose(int index);
    // Swaps to the system in use before the current one.
    void swap();
    // Chooses Yarman 79 (1) or Yarman 80 (2), as the "oktav" options do.
    bool chooseOctaveDivision(int option);
    // Adds a Scala file (its .kbm beside it is used when present) to the list and switches to
    // it; a broken file is told, naming the file, line and reason, and the current system stays.
    bool openScale(const std::filesystem::path& scl);
    // Writes what the strings sound now as `stem`.scl, `stem`.kbm and `stem`.syx: asks first when
    // any of them exists, writes all three or none, and says which were written or why not.
    bool exportTo(const std::filesystem::path& stem);

  private:
    struct Entry {
        std::string name;
        std::filesystem::path scl;
        std::optional<std::filesystem::path> kbm;
        double cCents = 0;
        bool tableFolding = false;
        std::unique_ptr<systems::PitchSystem> built;
    };
    const systems::PitchSystem& build(Entry& entry);
    void redrawWindow();
    void showChoice();
    void askOpen();
    void askExport();

    MainWindow& window_;
    MessageService& messages_;
    std::optional<systems::DegreeNamer> names_;
    std::vector<Entry> entries_;
    int current_ = 0;
    int previous_ = 0;
    SystemSwitcher switcher_;
};

} // namespace zembera
