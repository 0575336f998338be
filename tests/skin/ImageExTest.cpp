// CImageEx against real GDI+: its three states, loading from resources and files, and the pixels each
// drawing operation puts where.

#include <gtest/gtest.h>

#include <string>

#include "framework/Rect.h"
#include "skin/ImageEx.h"
#include "tests/skin/SkinTestIds.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using quarn_test::Canvas;
using quarn_test::kGridColors;

const COLORREF kPaper = RGB(1, 2, 3);

bool LoadPng(CImageEx& image, UINT id)
{
    return image.LoadFromResource(nullptr, L"PNG", MAKEINTRESOURCEW(id));
}

bool Untouched(const Canvas& canvas)
{
    return canvas.Count(kPaper) == canvas.width() * canvas.height();
}

TEST(ImageEx, AnswersOfEveryOperationInEachState)
{
    enum State { Empty, Loaded, Undecodable };
    struct Case {
        State state;
        UINT width;
        bool drawResult;
        bool draws;
    };
    const Case cases[] = {
        {Empty, 0, false, false},
        {Loaded, 10, true, true},
        {Undecodable, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        CImageEx image;
        if (c.state == Loaded) {
            ASSERT_TRUE(LoadPng(image, IDP_GRID10));
        }
        if (c.state == Undecodable) {
            ASSERT_FALSE(LoadPng(image, IDP_NOT_AN_IMAGE));
            EXPECT_NE(image.m_pImage, nullptr);
        }
        // Asked twice: a failure pending from the first query must not show in the second.
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(image.GetWidth(), c.width);
            EXPECT_EQ(image.GetHeight(), c.width);
        }

        Canvas canvas(40, 40, kPaper);
        EXPECT_EQ(image.Draw(canvas.dc(), CRect(0, 0, 20, 20)), c.drawResult);
        EXPECT_EQ(image.DrawPart(canvas.dc(), 20, 20, 10, 10, 0, 0, 10, 10), c.drawResult);
        EXPECT_TRUE(image.DrawNineGrid(canvas.dc(), 0, 20, 20, 20, 3, 3, 3, 3));
        EXPECT_EQ(!Untouched(canvas), c.draws);

        // Only an empty wrapper takes a new image; the held one stays.
        EXPECT_EQ(LoadPng(image, IDP_ICON16), c.state == Empty);
        if (c.state == Loaded) {
            EXPECT_EQ(image.GetWidth(), 10u);
        }

        EXPECT_TRUE(image.Destroy());
        EXPECT_EQ(image.m_pImage, nullptr);
        EXPECT_TRUE(image.Destroy());
        EXPECT_TRUE(LoadPng(image, IDP_GRID10));
    }
}

TEST(ImageEx, AMissingResourceLeavesTheWrapperEmpty)
{
    CImageEx image;
    EXPECT_FALSE(LoadPng(image, IDP_MISSING));
    EXPECT_EQ(image.m_pImage, nullptr);
    EXPECT_FALSE(image.LoadFromResource(nullptr, L"NO_SUCH_TYPE", MAKEINTRESOURCEW(IDP_GRID10)));
    EXPECT_TRUE(LoadPng(image, IDP_GRID10));
    EXPECT_EQ(image.GetWidth(), 10u);
}

TEST(ImageEx, FilesThatCannotBeDecodedLeaveTheWrapperEmpty)
{
    const std::wstring png = quarn_test::WriteResourceToTempFile(IDP_ICON16, L"icon16.png");
    const std::wstring text = quarn_test::WriteResourceToTempFile(IDP_NOT_AN_IMAGE, L"not_an_image.png");
    CImageEx image;
    EXPECT_FALSE(image.LoadFromFile(text.c_str()));
    EXPECT_EQ(image.m_pImage, nullptr);
    EXPECT_FALSE(image.LoadFromFile((png + L".missing").c_str()));
    EXPECT_EQ(image.m_pImage, nullptr);
    EXPECT_TRUE(image.LoadFromFile(png.c_str()));
    EXPECT_EQ(image.GetWidth(), 16u);
    EXPECT_FALSE(image.LoadFromFile(png.c_str()));
}

TEST(ImageEx, DrawsOnANullTargetWithoutFailing)
{
    CImageEx image;
    ASSERT_TRUE(LoadPng(image, IDP_GRID10));
    EXPECT_TRUE(image.Draw(nullptr, CRect(0, 0, 10, 10)));
    EXPECT_TRUE(image.DrawPart(nullptr, 0, 0, 10, 10, 0, 0, 10, 10));
}

class NineGrid : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(LoadPng(image, IDP_GRID10)); }

    CImageEx image;
    Canvas canvas{130, 60, kPaper};
};

struct Probe {
    int x, y;
    COLORREF expected;
};

void ExpectProbes(const Canvas& canvas, std::initializer_list<Probe> probes)
{
    for (const Probe& p : probes)
        EXPECT_EQ(canvas.At(p.x, p.y), p.expected) << "at (" << p.x << ", " << p.y << ")";
}

TEST_F(NineGrid, CornersKeepTheirSizeAndEdgesStretch)
{
    // 10 x 10 into 100 x 40 at (10, 10) with borders of 3: corners 3 x 3, the top and bottom edges
    // 94 wide, the left and right edges 34 high, the centre 94 x 34.
    EXPECT_TRUE(image.DrawNineGrid(canvas.dc(), 10, 10, 100, 40, 3, 3, 3, 3));
    const COLORREF(&g)[3][3] = kGridColors;

    // Corners are copied pixel for pixel.
    const struct {
        int left, top;
        COLORREF color;
    } corners[] = {{10, 10, g[0][0]}, {107, 10, g[0][2]}, {10, 47, g[2][0]}, {107, 47, g[2][2]}};
    for (const auto& corner : corners) {
        for (int y = corner.top; y < corner.top + 3; ++y) {
            for (int x = corner.left; x < corner.left + 3; ++x)
                EXPECT_EQ(canvas.At(x, y), corner.color) << "at (" << x << ", " << y << ")";
        }
    }
    // Stretched pieces blend near their ends (GDI+'s default interpolation): probe them at a quarter
    // and three quarters of their length, 94 across and 34 down.
    ExpectProbes(canvas, {
        {36, 11, g[0][1]}, {83, 11, g[0][1]}, {36, 48, g[2][1]}, {83, 48, g[2][1]},
        {11, 21, g[1][0]}, {11, 38, g[1][0]}, {108, 21, g[1][2]}, {108, 38, g[1][2]},
        {36, 21, g[1][1]}, {60, 30, g[1][1]}, {83, 38, g[1][1]},
        // Nothing outside the destination.
        {9, 11, kPaper}, {11, 9, kPaper}, {110, 30, kPaper}, {60, 50, kPaper}, {108, 50, kPaper},
    });
}

TEST_F(NineGrid, ADestinationNarrowerThanBothBordersOverlapsInTableOrder)
{
    // 4 wide with borders of 3: the left pieces cover x 10..12, the right ones 11..13; the top edge,
    // bottom edge and centre are empty and skipped. Top-right is drawn after top-left, the right edge
    // after the left edge, but bottom-left after bottom-right.
    image.DrawNineGrid(canvas.dc(), 10, 10, 4, 40, 3, 3, 3, 3);
    const COLORREF(&g)[3][3] = kGridColors;
    ExpectProbes(canvas, {
        {10, 11, g[0][0]}, {11, 11, g[0][2]}, {12, 11, g[0][2]}, {13, 11, g[0][2]},
        {10, 30, g[1][0]}, {11, 30, g[1][2]}, {13, 30, g[1][2]},
        {10, 48, g[2][0]}, {11, 48, g[2][0]}, {12, 48, g[2][0]}, {13, 48, g[2][2]},
        {14, 30, kPaper},
    });
}

TEST_F(NineGrid, ZeroBordersStretchTheWholeImage)
{
    image.DrawNineGrid(canvas.dc(), 10, 10, 100, 40, 0, 0, 0, 0);
    const COLORREF(&g)[3][3] = kGridColors;
    // Each image pixel covers 10 x 4: piece centres land at their source positions times the scale.
    ExpectProbes(canvas, {
        {25, 16, g[0][0]}, {60, 30, g[1][1]}, {95, 16, g[0][2]}, {25, 44, g[2][0]}, {95, 44, g[2][2]},
        {9, 30, kPaper}, {110, 30, kPaper},
    });
}

TEST_F(NineGrid, TheRectangleFormTakesTheBorderAsPositionAndSize)
{
    // Border (2, 3, 7, 9) means left 2, top 3, right 7 − 2 = 5, bottom 9 − 3 = 6.
    Canvas expected(130, 60, kPaper);
    image.DrawNineGrid(expected.dc(), 10, 10, 100, 40, 2, 3, 5, 6);
    EXPECT_TRUE(image.DrawNineGrid(canvas.dc(), CRect(10, 10, 110, 50), CRect(2, 3, 7, 9)));
    Canvas literal(130, 60, kPaper);
    image.DrawNineGrid(literal.dc(), 10, 10, 100, 40, 2, 3, 7, 9);
    int differences = 0;
    int literalDifferences = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 130; ++x) {
            differences += canvas.At(x, y) != expected.At(x, y);
            literalDifferences += literal.At(x, y) != expected.At(x, y);
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(literalDifferences, 0);
}

TEST_F(NineGrid, AnEmptyWrapperDrawsNothing)
{
    CImageEx empty;
    EXPECT_TRUE(empty.DrawNineGrid(canvas.dc(), 10, 10, 100, 40, 3, 3, 3, 3));
    EXPECT_TRUE(Untouched(canvas));
}

}  // namespace
