#include "canvas/canvas_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using test::kWhite;
using ::testing::AllOf;
using ::testing::Ge;
using ::testing::Le;
constexpr QRgb kInk = qRgb(206, 30, 10);

// The rectangle of all pixels that are not white (empty when there are none).
QRect inkBounds(const CanvasImage& c, QRect within = {}) {
    if (within.isNull()) within = c.image().rect();
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (c.pixel(x, y) != kWhite) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

class CanvasText : public ::testing::Test {
  protected:
    void SetUp() override { test::ensureGuiApplication(); }
};

TEST_F(CanvasText, TextHangsFromItsPositionInTheExactDrawingColour) {
    CanvasImage c(120, 60);
    c.setForeColor(kInk);
    c.setCurrentX(20);
    c.setCurrentY(15);
    c.print("Hg8");
    const QRect ink = inkBounds(c);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_THAT(ink.left(), AllOf(Ge(20), Le(22)));
    EXPECT_THAT(ink.top(), AllOf(Ge(15), Le(19)));
    EXPECT_LE(ink.bottom(), 15 + c.textHeight());
    EXPECT_EQ(test::countColor(c, kInk) + test::countColor(c, kWhite), 120 * 60);
}

TEST_F(CanvasText, PrintMovesRightByTheTextWidthOrToTheNextLine) {
    CanvasImage c(200, 40);
    c.setCurrentX(5);
    c.setCurrentY(3);
    c.print("WWW");
    EXPECT_GT(c.currentX(), 5 + 15);
    EXPECT_DOUBLE_EQ(c.currentX(), 5 + c.textWidth("WWW"));
    EXPECT_EQ(c.currentY(), 3);
    const int firstRight = inkBounds(c).right();
    EXPECT_LE(firstRight, c.currentX());
    const double secondStart = c.currentX();
    c.print("I");
    // The second text starts after the first: nothing new left of the old position.
    const QRect second = inkBounds(c, QRect(firstRight + 1, 0, 200 - firstRight - 1, 40));
    ASSERT_FALSE(second.isEmpty());
    EXPECT_GE(second.left(), static_cast<int>(secondStart));

    // With a line break the next line starts at the left.
    CanvasImage d(200, 60);
    d.setCurrentX(40);
    d.setCurrentY(2);
    d.print("ab", true);
    EXPECT_EQ(d.currentX(), 0);
    EXPECT_DOUBLE_EQ(d.currentY(), 2 + d.textHeight());
    EXPECT_THAT(d.textHeight(), AllOf(::testing::Gt(8), ::testing::Lt(20)));
    const QRect above = inkBounds(d);
    d.print("ab");
    const QRect below = inkBounds(d, QRect(0, 0, 40, 60));
    ASSERT_FALSE(below.isEmpty());
    EXPECT_GT(below.top(), above.top());
}

TEST_F(CanvasText, NumbersHaveALeadingBlankUnlessNegative) {
    CanvasImage plain(80, 30);
    plain.print("5");
    CanvasImage number(80, 30);
    number.printNumber(5);
    // The leading blank shifts the digit right by the width of a blank.
    EXPECT_NEAR(inkBounds(number).left() - inkBounds(plain).left(), number.textWidth(" "), 1.0);
    EXPECT_EQ(inkBounds(number).width(), inkBounds(plain).width());

    CanvasImage negative(80, 30);
    negative.printNumber(-5);
    CanvasImage minus(80, 30);
    minus.print("-5");
    EXPECT_EQ(inkBounds(negative), inkBounds(minus));
    // A trailing blank follows both.
    EXPECT_DOUBLE_EQ(negative.currentX(), minus.textWidth("-5 "));
}

TEST_F(CanvasText, BoldAndSizeChangeTheGlyphs) {
    CanvasImage regular(100, 40);
    regular.print("MMM");
    CanvasImage bold(100, 40);
    bold.setBold(true);
    bold.print("MMM");
    EXPECT_LT(test::countColor(bold, kWhite), test::countColor(regular, kWhite));

    CanvasImage large(100, 40);
    large.setFontSize(12);
    large.print("MMM");
    EXPECT_GT(inkBounds(large).height(), inkBounds(regular).height());
    EXPECT_GT(large.textHeight(), regular.textHeight());
}

} // namespace
} // namespace zembera
