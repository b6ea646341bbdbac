// Where the overlay sits and how opaque it is.
#include "overlay/Placement.h"

#include <algorithm>
#include <cmath>

namespace sayvane {

namespace {

std::int32_t RoundTwips(double value) {
    return static_cast<std::int32_t>(std::nearbyint(value));
}

}  // namespace

WindowPlace AutoPositionPlace(const PositionFlags& flags, const ScreenMetrics& screen, const TwipsRect& window) {
    const double tx = screen.twipsPerPixelX;
    const double ty = screen.twipsPerPixelY;
    const double w = screen.workArea.right - screen.workArea.left;
    const double h = screen.workArea.bottom - screen.workArea.top;
    const auto has = [&](ScreenPosition p) { return flags[static_cast<std::size_t>(p)]; };

    const WindowPlace unchanged{window.left, window.top};
    if (has(ScreenPosition::Custom)) {
        return unchanged;
    }
    const std::int32_t left = RoundTwips(2 * tx);
    const std::int32_t right = RoundTwips(tx * (w - 2) - window.width);
    const std::int32_t top = RoundTwips(2 * ty);
    const std::int32_t bottom = RoundTwips(ty * (h - 2) - window.height);
    if (has(ScreenPosition::BottomLeft)) {
        return {left, bottom};
    }
    if (has(ScreenPosition::BottomRight)) {
        return {right, bottom};
    }
    if (has(ScreenPosition::TopRight)) {
        return {right, top};
    }
    if (has(ScreenPosition::TopLeft)) {
        return {left, top};
    }
    return unchanged;
}

std::int32_t CentredCoordinate(double screenTwips, double windowTwips) {
    return RoundTwips(screenTwips - windowTwips) / 2;
}

std::uint8_t AlphaForOpacity(std::uint8_t percent) {
    const double alpha = std::nearbyint(percent * 2.55);
    return static_cast<std::uint8_t>(std::clamp(alpha, 0.0, 255.0));
}

std::int32_t TwipsToPixels(double twips, double twipsPerPixel) {
    return RoundTwips(twips / twipsPerPixel);
}

std::int32_t PixelsToTwips(double pixels, double twipsPerPixel) {
    return RoundTwips(pixels * twipsPerPixel);
}

WindowPlace CustomStartingPlace(const OverlayWindow& window, const ScreenMetrics& screen, ProfileStore& store,
                                const std::string& file, NumberFormat format) {
    const TwipsRect now = window.Geometry();
    const WindowPlace centre{CentredCoordinate(screen.widthPixels * screen.twipsPerPixelX, now.width),
                             CentredCoordinate(screen.heightPixels * screen.twipsPerPixelY, now.height)};
    const WindowPlace place = LoadLastPlace(store, file, centre, WindowPlace{now.left, now.top}, format);
    return window.IsOnAMonitor(TwipsRect{place.left, place.top, now.width, now.height}) ? place : centre;
}

}  // namespace sayvane
