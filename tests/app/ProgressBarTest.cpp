// The progress bar's geometry and its gradient, against the values the window must show.

#include <windows.h>

#include <gtest/gtest.h>

#include "app/ProgressBar.h"
#include "framework/Rect.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

const RECT kBar = {100, 256, 500, 264};

TEST(ProgressBar, FillFollowsTheFloatFraction)
{
    const struct {
        int perMille;
        LONG right;
    } cases[] = {
        {0, 100},
        {5, 101},    // 400 × 0.005f = 1.99999...: one pixel, not two
        {10, 103},   // not 104
        {500, 300},
        {965, 485},  // not 486
        {999, 499},
        {1000, 500},
        {1200, 500},  // more bytes than announced: the fill stays within the bar
        {-1, 500},    // taken as unsigned: far beyond 1000
    };
    for (const auto& c : cases) {
        const CRect fill = ProgressFillRect(kBar, ProgressFraction(c.perMille));
        EXPECT_EQ(fill, CRect(100, 256, c.right, 264)) << c.perMille;
    }
}

TEST(ProgressBar, FillMatchesTheExactProductExceptForTheFloatsShortfall)
{
    int shortByOne = 0;
    for (int p = 0; p <= 1000; ++p) {
        const int width = ProgressFillRect(kBar, ProgressFraction(p)).right - kBar.left;
        const int exact = 400 * p / 1000;
        ASSERT_TRUE(width == exact || width == exact - 1) << p;
        shortByOne += width == exact - 1;
    }
    EXPECT_EQ(shortByOne, 98);
}

TEST(ProgressBar, GradientStripRule)
{
    const struct {
        int fillWidth;
        LONG left, right;
    } cases[] = {
        {0, 100, 100},
        {3, 100, 103},    // the whole fill
        {4, 100, 104},
        {5, 104, 105},    // from the fill's left + 4
        {104, 104, 204},  // 100 pixels
        {105, 109, 205},  // the last 96
        {400, 404, 500},
    };
    for (const auto& c : cases) {
        const RECT fill = {100, 256, 100 + c.fillWidth, 264};
        EXPECT_EQ(ProgressGradientStrip(fill), CRect(c.left, 256, c.right, 264)) << c.fillWidth;
    }
}

// GradientFill interpolates in 8-bit steps: a colour within one step of the expected one.
void ExpectNear(COLORREF actual, COLORREF expected, const char* where)
{
    EXPECT_NEAR(GetRValue(actual), GetRValue(expected), 2) << where;
    EXPECT_NEAR(GetGValue(actual), GetGValue(expected), 2) << where;
    EXPECT_NEAR(GetBValue(actual), GetBValue(expected), 2) << where;
}

TEST(ProgressBar, GradientRunsFromLightBlueAtTheLeftToDeepBlueAtTheRight)
{
    quarn_test::Canvas canvas(120, 20, RGB(0, 0, 0));
    DrawProgressGradient(canvas.dc(), {10, 5, 110, 13});
    ExpectNear(canvas.At(10, 5), RGB(117, 208, 255), "left edge");
    ExpectNear(canvas.At(109, 12), RGB(46, 154, 255), "right edge");
    EXPECT_GT(GetGValue(canvas.At(40, 8)), GetGValue(canvas.At(80, 8))) << "darkening to the right";
    EXPECT_EQ(canvas.At(9, 8), RGB(0, 0, 0)) << "nothing left of the strip";
    EXPECT_EQ(canvas.At(110, 8), RGB(0, 0, 0)) << "nothing right of it";
    EXPECT_EQ(canvas.At(50, 4), RGB(0, 0, 0)) << "nothing above it";
    EXPECT_EQ(canvas.At(50, 13), RGB(0, 0, 0)) << "nothing below it";
}

}  // namespace
