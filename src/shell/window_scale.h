#pragma once
// "Büyüt": the whole window at 1×, 1.5× or 2× on an ordinary screen, never larger than the
// screen's available area. Qt fixes its scale when the application starts, so the choice is
// remembered in the user's settings and taken at the next start, through QT_SCALE_FACTOR, unless
// that is set already (the user's own word wins). The pictures are drawn at the resulting device
// pixel ratio, so they stay sharp.
//
// Thread: UI thread only.

#include <QSettings>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QScreen;
class QWidget;

namespace zembera {

class MessageService;

inline constexpr const char* kScaleCaption = "Büyüt";
inline constexpr const char* kScaleAtNextStart = "Büyütme ZEMBERA yeniden açılınca geçerli olur.";
inline constexpr double kWindowScales[] = {1.0, 1.5, 2.0};
// The window's inside at 1×, and what a window manager adds around it (title bar and borders,
// which do not grow with the factor), in pixels.
inline constexpr QSize kWindowSizeAt1x{925, 597};
inline constexpr QSize kWindowFrameAllowance{16, 40};

// "1×", "1,5×", "2×".
QString windowScaleCaption(double scale);

// The user's settings of the program (before or after the application exists).
std::unique_ptr<QSettings> userSettings();

// The remembered scale, one of kWindowScales (1 when none or an odd value is stored).
double rememberedWindowScale(QSettings& settings);
void rememberWindowScale(QSettings& settings, double scale);

// The factors of kWindowScales at which the window and its frame fit `available`, a screen's
// available area in pixels at 1×; 1× always.
std::vector<double> fittingWindowScales(QSize available);
// `wanted` when it is one of `fitting`, else the largest of them below it (1× at least).
double largestFittingScale(double wanted, const std::vector<double>& fitting);

// The available area of `screen` in pixels at 1×, whatever factor this run started with.
QSize availableAt1x(const QScreen& screen);
// The primary screen's available area in pixels at 1×; before the application exists, read by
// a short-lived one. None without a screen.
std::optional<QSize> primaryScreenArea(int argc, char** argv);

// What this run's start made of "Büyüt": the factor stored and the one the window takes.
struct WindowScaleStart {
    double stored = 1.0;
    double used = 1.0;
};
// Before the application is made: sets QT_SCALE_FACTOR to the remembered scale, or to the
// largest that fits the screen (`available`, asked only for a scale above 1) when it does not,
// unless the variable is set. Returns what it chose, which windowScaleAtStart() keeps.
WindowScaleStart applyRememberedWindowScale(QSettings& settings,
                                            const std::function<std::optional<QSize>()>& available);
const WindowScaleStart& windowScaleAtStart();

// The choice: a caption and a list at `left`, `top` of `parent`, which takes `settings`, offering
// the factors that fit `available` (pixels at 1×) and showing the one in use. A change is
// remembered there and told as taking effect at the next start.
QComboBox* addScaleChoice(QWidget* parent, int left, int top, std::unique_ptr<QSettings> settings,
                          MessageService& messages, QSize available);

} // namespace zembera
