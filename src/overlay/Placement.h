// Where the overlay sits and how opaque it is: the corner rule, the default centre of the
// Custom place, and the alpha for an opacity in percent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/Settings.h"
#include "platform/OverlayWindow.h"

namespace sayvane {

// The window's place after AutoPosition: the first set flag of Custom, BottomLeft,
// BottomRight, TopRight, TopLeft decides; Custom or no flag leaves it where it is. Corners
// keep a 2-pixel margin and count from the screen's top-left corner, with only the work
// area's width and height entering.
[[nodiscard]] WindowPlace AutoPositionPlace(const PositionFlags& flags, const ScreenMetrics& screen,
                                            const TwipsRect& window);

// The default of LastX (or LastY): half of the screen's size minus the window's, in twips,
// the difference rounded to an integer and halved towards zero.
[[nodiscard]] std::int32_t CentredCoordinate(double screenTwips, double windowTwips);

// Alpha for an opacity in percent: percent x 2.55 in double precision, rounded halves to
// even (10 % gives 26, 50 % gives 127 since 2.55 is slightly below itself in binary).
[[nodiscard]] std::uint8_t AlphaForOpacity(std::uint8_t percent);

// Where the overlay starts with the Custom position: the place stored in the settings file,
// or the middle of the screen when none is stored, or when no monitor shows the stored one
// (a monitor that is gone, a hand-edited file), since nobody could see or drag it there.
[[nodiscard]] WindowPlace CustomStartingPlace(const OverlayWindow& window, const ScreenMetrics& screen,
                                              ProfileStore& store, const std::string& file, NumberFormat format);

// Twips <-> pixels with the screen's factors, rounded to the nearest whole unit.
[[nodiscard]] std::int32_t TwipsToPixels(double twips, double twipsPerPixel);
[[nodiscard]] std::int32_t PixelsToTwips(double pixels, double twipsPerPixel);

}  // namespace sayvane
