#pragma once
// "Büyüt": the whole window at 1×, 1.5× or 2× on an ordinary screen. Qt fixes its scale when the
// application starts, so the choice is remembered in the user's settings and taken at the next
// start, through QT_SCALE_FACTOR, unless that is set already (the user's own word wins). The
// pictures are drawn at the resulting device pixel ratio, so they stay sharp.
//
// Thread: UI thread only.

#include <QSettings>
#include <memory>

class QComboBox;
class QWidget;

namespace zembera {

class MessageService;

inline constexpr const char* kScaleCaption = "Büyüt";
inline constexpr const char* kScaleAtNextStart = "Büyütme ZEMBERA yeniden açılınca geçerli olur.";
inline constexpr double kWindowScales[] = {1.0, 1.5, 2.0};

// The user's settings of the program (before or after the application exists).
std::unique_ptr<QSettings> userSettings();

// The remembered scale, one of kWindowScales (1 when none or an odd value is stored).
double rememberedWindowScale(QSettings& settings);
void rememberWindowScale(QSettings& settings, double scale);
// Before the application is made: sets QT_SCALE_FACTOR to the remembered scale when it is not 1
// and the variable is not set. True when it set it.
bool applyRememberedWindowScale(QSettings& settings);

// The choice: a caption and a list at `left`, `top` of `parent`, which takes `settings`. A change
// is remembered there and told as taking effect at the next start.
QComboBox* addScaleChoice(QWidget* parent, int left, int top, std::unique_ptr<QSettings> settings,
                          MessageService& messages);

} // namespace zembera
