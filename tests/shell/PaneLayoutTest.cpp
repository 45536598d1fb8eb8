#include "shell/PaneLayout.h"

#include <gtest/gtest.h>

namespace magtune::shell {
namespace {

TEST(PaneLayout, SplitterStaysAPaneWidthFromEitherEdge) {
    const struct {
        std::int32_t x;
        std::int32_t windowWidth;
        std::int32_t expected;
    } cases[] = {
        {5000, 12000, 5000},
        {0, 12000, 1500},
        {-300, 12000, 1500},
        {1500, 12000, 1500},
        {10500, 12000, 10500},
        {10501, 12000, 10500},
        {99999, 12000, 10500},
        // The narrowest window has room for exactly two panes.
        {0, 3000, 1500},
        {2000, 3000, 1500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClampSplitter(c.x, c.windowWidth), c.expected) << c.x << " " << c.windowWidth;
    }
}

TEST(PaneLayout, TheSecondColumnFitsTheVisibleListWhenItOverreachesOnlyItsFrame) {
    const struct {
        const char* name;
        std::int32_t column1, column2, listWidth, visibleWidth, expected;
    } cases[] = {
        {"first start: the two thirds fill the outer edge", 5066, 5066, 10132, 9800, 4734},
        {"fits already", 3000, 3000, 10132, 9800, 3000},
        {"exactly the visible width", 4900, 4900, 10132, 9800, 4900},
        {"wider than the list on purpose", 3000, 9000, 10132, 9800, 9000},
        {"first column alone fills the view", 9800, 200, 10132, 9800, 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitSecondColumn(c.column1, c.column2, c.listWidth, c.visibleWidth), c.expected)
            << c.name;
    }
}

TEST(PaneLayout, ListStartsAGapAfterTheTreeAndTakesTheRest) {
    const struct {
        std::int32_t x, windowWidth, clientWidth;
        PaneColumns expected;
    } cases[] = {
        {5000, 12000, 11880, {5000, 5040, 6840}},
        {100, 12000, 11880, {1500, 1540, 10340}},
        {11000, 12000, 11880, {10500, 10540, 1340}},
        // A client narrower than the frame (a window being minimized) leaves
        // the list empty rather than negative.
        {5000, 12000, 3000, {5000, 5040, 0}},
    };
    for (const auto& c : cases) {
        const PaneColumns got = ArrangePanes(c.x, c.windowWidth, c.clientWidth);
        EXPECT_EQ(got.treeWidth, c.expected.treeWidth) << c.x;
        EXPECT_EQ(got.listLeft, c.expected.listLeft) << c.x;
        EXPECT_EQ(got.listWidth, c.expected.listWidth) << c.x;
    }
}

TEST(PaneLayout, TwipsFollowTheLogicalResolution) {
    const struct {
        double dpi;
        std::int32_t pixels, twips;
    } cases[] = {
        {96, 100, 1500}, {96, 200, 3000}, {120, 100, 1200}, {144, 3, 30}, {192, 1, 8},
    };
    for (const auto& c : cases) {
        const TwipScale scale(c.dpi);
        EXPECT_EQ(scale.toTwips(c.pixels), c.twips) << c.dpi;
        EXPECT_EQ(scale.toPixels(c.twips), c.pixels) << c.dpi;
    }
    // 40 twips at 96 dpi are 2.67 pixels: rounded, not truncated.
    EXPECT_EQ(TwipScale(96).toPixels(40), 3);
    // A screen that reports no resolution counts as 96 dpi.
    EXPECT_EQ(TwipScale(0).toTwips(10), 150);
}

TEST(PaneLayout, PixelsSurviveTheRoundTripAtOddResolutions) {
    for (double dpi : {72.0, 96.0, 110.0, 141.2, 168.0, 240.0}) {
        const TwipScale scale(dpi);
        for (std::int32_t px = -50; px <= 4000; ++px) {
            ASSERT_EQ(scale.toPixels(scale.toTwips(px)), px) << dpi;
        }
    }
}

}  // namespace
}  // namespace magtune::shell
