// The overlay's preview and the readability warning.
#include "overlay/Preview.h"

#include <cstdlib>

#include "overlay/Drawing.h"

namespace sayvane {

void OverlayPreview::Show(const OverlaySettings& settings, const WindowPlace& place) {
    OverlayState state;
    state.CurrentChannelName = kPreviewChannel;
    state.LastChannelName = kPreviewChannel;  // a channel already known: shown only when chosen
    for (const char* speaker : kPreviewSpeakers) {
        state.lstSpeakers.Add(speaker);
    }
    state.lstInOut.Add(kPreviewJoin);
    state.lstInOut.Add(kPreviewLeave);
    if (settings.Has(ScreenPosition::Custom)) {
        m_window.Move(place.left, place.top);
    }
    const ScreenMetrics screen = m_window.Screen();
    DrawOverlay(state, DrawingContext{m_window, settings, screen, m_clock});
}

bool NearlySameColour(std::int32_t a, std::int32_t b) {
    // The sum of the three channels' differences: below this, text on the ground is a blur.
    constexpr int kLeast = 60;
    int difference = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        difference += std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF));
    }
    return difference < kLeast;
}

std::string ReadabilityWarning(const OverlaySettings& settings) {
    if (settings.Transparent <= 0) {
        return "Window Opacity 0 %: the overlay will be invisible.";
    }
    struct Text {
        bool shown;
        std::int32_t colour;
        const char* name;
    };
    const Text texts[] = {
        {true, settings.ForeColor, "the speakers"},
        {settings.ShowChannel == 1, settings.ChannelForeColor, "the channel name"},
        {settings.ShowInOut == 1, settings.JoinForeColor, "the joining lines"},
        {settings.ShowInOut == 1, settings.LeaveForeColor, "the leaving lines"},
    };
    for (const Text& text : texts) {
        if (text.shown && NearlySameColour(text.colour, settings.BackColor)) {
            return std::string("The colour of ") + text.name + " is (almost) the background's: they cannot be read.";
        }
    }
    return {};
}

}  // namespace sayvane
