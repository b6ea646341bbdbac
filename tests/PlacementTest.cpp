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

TEST(AutoPosition, EachCornerKeepsATwoPixelMarginAndFlagsDecideInTheirOrder) {
    const PixelRect screen{0, 0, 1024, 768};
    const PixelRect taskBarLeft{60, 0, 1024, 768};  // only the work area's size counts
    const TwipsRect window{500, 400, 3000, 600};
    const PositionFlags corners{true, true, true, true, false};
    struct Case {
        PositionFlags flags;
        PixelRect workArea;
        int twipsPerPixel;
        WindowPlace expected;
    };
    // The other three corners on the whole screen are where OverlayWindowTest and DrawingTest
    // find the overlay.
    const Case cases[] = {
        {Only(ScreenPosition::TopLeft), screen, 15, {30, 30}},
        {Only(ScreenPosition::Custom), screen, 15, {500, 400}},
        {PositionFlags{}, screen, 15, {500, 400}},                              // no flag: stays
        {PositionFlags{true, true, true, true, true}, screen, 15, {500, 400}},  // Custom wins
        {corners, screen, 15, {30, 11490 - 600}},                               // then BottomLeft
        // Counted from the screen's corner: the left corner sits under the task bar.
        {Only(ScreenPosition::TopRight), taskBarLeft, 15, {15 * (964 - 2) - 3000, 30}},
        {Only(ScreenPosition::TopLeft), taskBarLeft, 10, {20, 20}},  // 144 dots per inch
    };
    for (const Case& c : cases) {
        ScreenMetrics metrics;
        metrics.workArea = c.workArea;
        metrics.twipsPerPixelX = metrics.twipsPerPixelY = c.twipsPerPixel;
        EXPECT_EQ(AutoPositionPlace(c.flags, metrics, window), c.expected) << &c - cases;
    }
}

TEST(CentredCoordinate, HalvesTheRoundedDifferenceTowardsZero) {
    EXPECT_EQ(CentredCoordinate(15361, 100), 7630);   // 15261 / 2; an even difference: OverlayPlace
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
