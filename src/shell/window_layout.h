#pragma once
// The window's layout: its size and centred position, the instrument picture and the two rows of
// frames spread across its width. Positions are logical pixels and may carry fractions.

#include <array>
#include <string>

namespace zembera {

struct Rect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double right() const { return left + width; }
};

struct WindowLayout {
    static constexpr double kTwipsPerPixel = 15;
    static constexpr double kWindowWidthTwips = 14000;
    static constexpr double kWindowHeightTwips = 9400;

    double windowLeftTwips = 0;
    double windowTopTwips = 0;
    Rect instrumentPicture;
    // Top row: resetFrame, keyHelp, emptyFrame, octaveFrame. Bottom row: makamFrame, recordFrame,
    // melodyFrame, pitchLevelFrame.
    Rect resetFrame, keyHelp, emptyFrame, octaveFrame;
    Rect makamFrame, recordFrame, melodyFrame, pitchLevelFrame;
    Rect makamList, melodyList;
    // Inside the instrument picture.
    Rect mandalStrip, staffPicture, pitchPanel, fineTuningPicture, mandalColumn, settingSwitchFrame,
        mandalLabelsCheck;
};

// arayüzyerleşimi: the layout of the window for a screen of the given size in twips.
WindowLayout arayüzyerleşimi(double screenWidthTwips, double screenHeightTwips);

// The key help: three lines joined by CR LF.
std::string keyHelpText();

} // namespace zembera
