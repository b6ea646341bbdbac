// What the overlay shows and how big it is: the speakers newest first, optionally under the
// channel name and over the join/leave lines; a one-line notice; nothing (hidden).
#pragma once

#include <string>

#include "app/Settings.h"
#include "overlay/OverlayState.h"
#include "platform/Clock.h"
#include "platform/OverlayWindow.h"

namespace sayvane {

struct DrawingContext {
    OverlayWindow& window;
    const OverlaySettings& settings;
    const ScreenMetrics& screen;
    Clock& clock;
};

// Whether the overlay shows lines (speakers, or join/leave lines when they are shown) rather
// than a notice or nothing.
[[nodiscard]] bool ShowsLines(const OverlayState& state, const OverlaySettings& settings);

// Sizes, places, paints, shows or hides the overlay for this tick's content. A tick whose
// content equals the last one drawn only shows the window again with its opacity and
// topmost state.
void DrawOverlay(OverlayState& state, const DrawingContext& context);

// Shows one line (a channel name, or "Disconnected") and then blocks for the retention time.
void ShowNotice(OverlayState& state, const DrawingContext& context, const std::string& text);

// Moves the overlay to the corner its position flags choose.
void AutoPosition(OverlayWindow& window, const OverlaySettings& settings, const ScreenMetrics& screen);

// The join/leave lines shown at most, before a "..." line.
inline constexpr int kMaxInOutLines = 6;

}  // namespace sayvane
