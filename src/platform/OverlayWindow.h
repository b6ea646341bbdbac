// The overlay's own window as the program's logic sees it: geometry in twips, the screen it
// sits on, style, opacity, topmost state, font and its refresh timer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sayvane {

// A rectangle in twips (1/1440 inch): left, top, width, height.
struct TwipsRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const TwipsRect& a, const TwipsRect& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

// A rectangle in screen pixels: left, top, right, bottom.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The screen as the overlay's placement needs it.
struct ScreenMetrics {
    PixelRect workArea;            // the primary monitor's work area
    std::int32_t widthPixels = 0;  // the whole primary screen
    std::int32_t heightPixels = 0;
    double twipsPerPixelX = 15;  // 15 at 96 dots per inch
    double twipsPerPixelY = 15;
};

// An item of a list the diagnostic panel mirrors, viewed where the list keeps it.
struct MirroredItem {
    std::string_view text;
    std::int32_t value = 0;
};

class OverlayWindow {
public:
    virtual ~OverlayWindow() = default;

    [[nodiscard]] virtual ScreenMetrics Screen() const = 0;
    // Whether any part of the rectangle (twips, screen coordinates) lies on a monitor.
    [[nodiscard]] virtual bool IsOnAMonitor(const TwipsRect& rect) const = 0;

    [[nodiscard]] virtual TwipsRect Geometry() const = 0;
    virtual void Move(std::int32_t left, std::int32_t top) = 0;
    virtual void Resize(std::int32_t width, std::int32_t height) = 0;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    [[nodiscard]] virtual bool IsVisible() const = 0;

    // Takes away the task-bar button (clears WS_EX_APPWINDOW), hiding and showing the window
    // once around the change.
    virtual void RemoveTaskbarButton() = 0;
    // Makes the window layered with this alpha (0 invisible .. 255 opaque).
    virtual void SetOpacity(std::uint8_t alpha) = 0;
    // Above all other windows, or back among them; the window does not move.
    virtual void SetTopmost(bool onTop) = 0;
    // The window's font: bold Tahoma at this size.
    virtual void SetFontSize(int points) = 0;

    // Drawing. Colours are Windows colour values (red in the low byte). Text is measured
    // and printed at the current font size; lengths are twips.
    virtual void SetBackColor(std::int32_t colour) = 0;
    virtual void SetForeColor(std::int32_t colour) = 0;
    [[nodiscard]] virtual std::int32_t TextHeight(std::string_view text) const = 0;
    [[nodiscard]] virtual std::int32_t TextWidth(std::string_view text) const = 0;
    // Shows what was drawn so far, now.
    virtual void Repaint() = 0;
    // Fills the window with its background colour, wiping what was drawn; the pen goes to (0, 0).
    virtual void Clear() = 0;
    // Draws the text at the pen in the text colour, then moves the pen to the start of the
    // next line (one text height down).
    virtual void Print(std::string_view text) = 0;

    // The hidden diagnostic panel: the link's status word, and copies of the overlay's lists
    // (each shown as "text" with its value as item data) for window-inspection tools.
    virtual void SetStatusLabel(std::string_view text, std::int32_t colour) = 0;
    // `item(i)` gives item i of `count`; a panel nobody reads need not ask.
    virtual void MirrorList(std::string_view listName, std::size_t count,
                            const std::function<MirroredItem(std::size_t)>& item) = 0;

    virtual void StartTimer(int intervalMilliseconds) = 0;
    virtual void StopTimer() = 0;

    // Closes the window; its close handling runs (the tray icon goes).
    virtual void Close() = 0;

protected:
    OverlayWindow() = default;
    OverlayWindow(const OverlayWindow&) = default;
    OverlayWindow& operator=(const OverlayWindow&) = default;
    OverlayWindow(OverlayWindow&&) = default;
    OverlayWindow& operator=(OverlayWindow&&) = default;
};

}  // namespace sayvane
