#pragma once
// The splash window shown while the main window loads: the logo and "Yükleniyor" spaced out.

#include <QWidget>

namespace zembera {

inline constexpr const char* kLoadingCaption = "Y  ü  k  l  e  n  i  y  o  r . . . . . . . . ";

class SplashWindow : public QWidget {
  public:
    // `logoFile` is the 482 x 200 logo beside the executable; a missing file leaves a blank area.
    explicit SplashWindow(const QString& logoFile);
};

} // namespace zembera
