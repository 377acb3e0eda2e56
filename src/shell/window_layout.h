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
    Rect picture2;
    // Top row: Frame3, Label36, Frame7, Frame10. Bottom row: Frame4, Frame1, Frame5, Frame2.
    Rect frame3, label36, frame7, frame10;
    Rect frame4, frame1, frame5, frame2;
    Rect file2, file3;
    // Inside the instrument picture.
    Rect picture1, picture3, picture6, picture5, picture10, frame11, check1;
};

// The layout for a screen of the given size in twips.
WindowLayout arayüzyerleşimi(double screenWidthTwips, double screenHeightTwips);

// The key help: three lines joined by CR LF.
std::string keyHelpText();

} // namespace zembera
