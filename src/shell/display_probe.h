#pragma once
// Opening the display before anything is shown. Without a display, or with one that cannot be
// reached, the toolkit would abort the program with its own English complaint; instead the
// program says why in Turkish, how to work without a window, and ends with exit code 1.

#include <QApplication>
#include <memory>
#include <optional>
#include <string>

namespace zembera {

// Why the window cannot be shown: no display named to show it on (nothing when there may be one).
std::optional<std::string> missingDisplay();

// While one lives, the toolkit's failure to open the display ends the process with the Turkish
// reason and exit code 1 instead of its own abort; its other messages are held and shown when
// it ends.
class DisplayOpening {
  public:
    DisplayOpening();
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;
};

// The application on the display. Nothing when no display is named, the reason printed on
// standard error; a display named but out of reach ends the process with exit code 1 after the
// reason (the toolkit cannot go on from there). `argc` must outlive the application.
std::unique_ptr<QApplication> openDisplay(int& argc, char** argv);

} // namespace zembera
