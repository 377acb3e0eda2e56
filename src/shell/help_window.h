#pragma once
// The help window of F1, in Turkish: the keyboard map, the mouse, A/B, and where each kind of file
// goes. A window of its own beside the instrument, so the keys keep playing while it is open.
//
// Thread: UI thread only.

#include <filesystem>
#include <string>

class QWidget;

namespace zembera {

inline constexpr const char* kHelpTitle = "ZEMBERA yardım";

// The help as HTML; `userFolder` is where the user's own files are saved.
std::string helpText(const std::filesystem::path& userFolder);

// Opens the help window over `parent` (a window of its own, closed by Escape).
QWidget* openHelpWindow(QWidget* parent, const std::filesystem::path& userFolder);

} // namespace zembera
