// The overlay as the configuration window's choices would show it, with no voice client:
// the channel name over two callsigns, a join and a leave line, drawn, sized and placed by
// the overlay's own code; and the warning for choices nobody could read.
#pragma once

#include <string>

#include "app/Settings.h"
#include "overlay/OverlayState.h"
#include "platform/Clock.h"
#include "platform/OverlayWindow.h"

namespace sayvane {

// The sample lines, as the overlay would list them.
inline constexpr const char* kPreviewChannel = "Frankfurt Approach";
inline constexpr const char* kPreviewSpeakers[] = {"BAW12", "DLH4AB"};  // least recent first
inline constexpr const char* kPreviewJoin = "In:AFR7731";
inline constexpr const char* kPreviewLeave = "Out:KLM1853";

class OverlayPreview {
public:
    OverlayPreview(OverlayWindow& window, Clock& clock) : m_window(window), m_clock(clock) {}

    // Draws the sample anew for these settings. With the Custom position it sits at `place`
    // (twips), where the overlay would start; otherwise in its corner.
    void Show(const OverlaySettings& settings, const WindowPlace& place);

private:
    OverlayWindow& m_window;
    Clock& m_clock;
};

// A line for the configuration window when these settings make the overlay unreadable: an
// opacity of 0 %, or a text colour equal or nearly equal to the background. Empty otherwise.
[[nodiscard]] std::string ReadabilityWarning(const OverlaySettings& settings);

// Whether two Windows colour values (red in the low byte) are too close to tell apart.
[[nodiscard]] bool NearlySameColour(std::int32_t a, std::int32_t b);

}  // namespace sayvane
