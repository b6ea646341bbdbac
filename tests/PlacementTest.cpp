// The overlay's corner rule, its default centre and the alpha of an opacity.
#include <gtest/gtest.h>

#include "overlay/Placement.h"
#include "sim/SimOverlayWindow.h"

namespace sayvane {
namespace {

PositionFlags Only(ScreenPosition p) {
    PositionFlags flags{};
    flags[static_cast<std::size_t>(p)] = true;
    return flags;
}

TEST(AutoPosition, EachCornerKeepsATwoPixelMargin) {
    ScreenMetrics screen;  // a 1024 x 768 work area at 15 twips per pixel
    screen.workArea = PixelRect{0, 0, 1024, 768};
    const TwipsRect window{500, 400, 3000, 600};
    struct Case {
        ScreenPosition position;
        WindowPlace expected;
    };
    const Case cases[] = {
        {ScreenPosition::BottomRight, {15330 - 3000, 11490 - 600}},
        {ScreenPosition::BottomLeft, {30, 11490 - 600}},
        {ScreenPosition::TopRight, {15330 - 3000, 30}},
        {ScreenPosition::TopLeft, {30, 30}},
        {ScreenPosition::Custom, {500, 400}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AutoPositionPlace(Only(c.position), screen, window), c.expected) << static_cast<int>(c.position);
    }
    EXPECT_EQ(AutoPositionPlace(PositionFlags{}, screen, window), (WindowPlace{500, 400})) << "no flag: stays";
}

TEST(AutoPosition, FlagsDecideInTheirOrderAndOnlyTheWorkAreaSizeCounts) {
    ScreenMetrics screen;
    screen.workArea = PixelRect{60, 0, 1024, 768};  // a task bar on the left
    const TwipsRect window{0, 0, 3000, 600};
    const PositionFlags all{true, true, true, true, true};
    EXPECT_EQ(AutoPositionPlace(all, screen, window), (WindowPlace{0, 0})) << "Custom wins";
    PositionFlags corners = all;
    corners[static_cast<std::size_t>(ScreenPosition::Custom)] = false;
    EXPECT_EQ(AutoPositionPlace(corners, screen, window), (WindowPlace{30, 11490 - 600})) << "then BottomLeft";
    // Counted from the screen's corner: the left corner sits under the task bar.
    EXPECT_EQ(AutoPositionPlace(Only(ScreenPosition::TopRight), screen, window).left, 15 * (964 - 2) - 3000);
    screen.twipsPerPixelX = screen.twipsPerPixelY = 10;  // 144 dots per inch
    EXPECT_EQ(AutoPositionPlace(Only(ScreenPosition::TopLeft), screen, window), (WindowPlace{20, 20}));
}

TEST(CentredCoordinate, HalvesTheRoundedDifferenceTowardsZero) {
    EXPECT_EQ(CentredCoordinate(15360, 100), 7630);
    EXPECT_EQ(CentredCoordinate(15361, 100), 7630);   // 15261 / 2
    EXPECT_EQ(CentredCoordinate(100, 15361), -7630);  // towards zero, not down
    EXPECT_EQ(CentredCoordinate(100.6, 0), 50);       // 101 / 2
}

TEST(AlphaForOpacity, RoundsTheDoubleProductHalvesToEven) {
    const std::pair<int, int> cases[] = {{100, 255}, {60, 153}, {50, 127}, {10, 26}, {0, 0}, {1, 3}, {99, 252}};
    for (const auto& [percent, alpha] : cases) {
        EXPECT_EQ(AlphaForOpacity(static_cast<std::uint8_t>(percent)), alpha) << percent;
    }
}

TEST(TwipsAndPixels, ConvertWithTheScreenFactors) {
    EXPECT_EQ(TwipsToPixels(3000, 15), 200);
    EXPECT_EQ(TwipsToPixels(1680, 15), 112);
    EXPECT_EQ(TwipsToPixels(1680, 10), 168);
    EXPECT_EQ(PixelsToTwips(1024, 15), 15360);
}

}  // namespace
}  // namespace sayvane
