#include "shell/window_layout.h"

namespace zembera {
namespace {

// Places `items` left to right from `left`, spread so that they fill `span` with equal gaps.
template <std::size_t N> void spread(std::array<Rect*, N> items, double left, double span) {
    double used = 0;
    for (const Rect* r : items)
        used += r->width;
    const double gap = (span - used) / static_cast<double>(N - 1);
    double x = left;
    for (Rect* r : items) {
        r->left = x;
        x += r->width + gap;
    }
}

} // namespace

WindowLayout arayüzyerleşimi(double screenWidthTwips, double screenHeightTwips) {
    WindowLayout l;
    l.windowLeftTwips = (screenWidthTwips - WindowLayout::kWindowWidthTwips) / 2;
    l.windowTopTwips = (screenHeightTwips - WindowLayout::kWindowHeightTwips) / 2;

    const double windowWidth = WindowLayout::kWindowWidthTwips / WindowLayout::kTwipsPerPixel;
    l.instrumentPicture = {(windowWidth - 904) / 2 - 4, 63, 904, 420};

    l.mandalStrip = {-130, 0, 485, 60};
    l.staffPicture = {0, 160, 140, 132};
    l.pitchPanel = {0, 60, 239, 100};
    l.fineTuningPicture = {239, 60, 57, 100};
    l.mandalColumn = {808, 19, 90, 396};
    // The frame ends above the number column (top 19), whose first row is string 1's.
    l.settingSwitchFrame = {861, -6, 41, 25};
    // The box alone: anything wider would cover string 26's label (from x 14).
    l.mandalLabelsCheck = {2, 400, 12, 12};

    l.resetFrame = {0, 4, 337, 52};
    l.keyHelp = {0, 10, 217, 44};
    l.emptyFrame = {0, 4, 65, 52};
    l.octaveFrame = {0, 4, 233, 49};
    spread<4>({&l.resetFrame, &l.keyHelp, &l.emptyFrame, &l.octaveFrame}, 12,
              l.instrumentPicture.width);

    l.makamList = {350, 150, 150, 200};
    l.melodyList = {520, 150, 150, 200};

    l.makamFrame = {0, 490, 129, 100};
    l.recordFrame = {0, 490, 169, 100};
    l.melodyFrame = {0, 490, 233, 100};
    l.pitchLevelFrame = {0, 490, 320, 100};
    spread<4>({&l.makamFrame, &l.recordFrame, &l.melodyFrame, &l.pitchLevelFrame},
              l.instrumentPicture.left, l.instrumentPicture.width);
    return l;
}

std::string keyHelpText() {
    return "^  1 tel yukarı \r\n"
           " <-- mandal indir                    mandal kaldır -->\r\n"
           "v  1 tel aşağı";
}

} // namespace zembera
