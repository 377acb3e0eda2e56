#pragma once
// The hints (tool tips) of the main window's controls, in Turkish: every control says what it
// does, above all those whose caption is a sign (">", "0", "R", "I I"), a picture or nothing, and
// the key help and the instrument carry the whole keyboard summary.
//
// Thread: UI thread only.

namespace zembera {

class MainWindow;

// The keyboard summary: letters, arrows, the space bar and Escape.
extern const char* const kKeyboardSummary;

void giveControlHints(MainWindow& window);

} // namespace zembera
