// The overlay's surface on Windows: a borderless layered popup without a task-bar button, drawn
// with GDI, sized and placed in twips, following the DPI of its monitor. The overlay's own
// window (OverlayMainWindow) is one; alone, it is the configuration window's preview.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/OverlayWindow.h"
#include "win32/BaseWindow.h"
#include "win32/Handles.h"

namespace sayvane::win32 {

inline constexpr char kOverlayClass[] = "SayvaneOverlay";
inline constexpr char kOverlayCaption[] = "Sayvane speakers";

class OverlaySurface : public BaseWindow<OverlaySurface>, public OverlayWindow {
public:
    // The surface alone, for the configuration window's preview to draw into: a tool window
    // that never takes the focus. `screenChanged` runs when the display settings or the
    // window's DPI change, to draw it again. Hidden until drawn; null when no window could be
    // made.
    static std::unique_ptr<OverlaySurface> CreatePreview(HINSTANCE instance, std::function<void()> screenChanged);
    ~OverlaySurface() override;
    OverlaySurface(const OverlaySurface&) = delete;
    OverlaySurface& operator=(const OverlaySurface&) = delete;
    OverlaySurface(OverlaySurface&&) = delete;
    OverlaySurface& operator=(OverlaySurface&&) = delete;

    // OverlayWindow: the screen, geometry, style and drawing.
    [[nodiscard]] ScreenMetrics Screen() const final { return m_screen; }
    [[nodiscard]] bool IsOnAMonitor(const TwipsRect& rect) const final;
    [[nodiscard]] TwipsRect Geometry() const final;
    void Move(std::int32_t left, std::int32_t top) final;
    void Resize(std::int32_t width, std::int32_t height) final;
    void Show() final;
    void Hide() final;
    [[nodiscard]] bool IsVisible() const final;
    void RemoveTaskbarButton() final;
    void SetOpacity(std::uint8_t alpha) final;
    void SetTopmost(bool onTop) final;
    void SetFontSize(int points) final;
    void SetBackColor(std::int32_t colour) final;
    void SetForeColor(std::int32_t colour) final;
    [[nodiscard]] std::int32_t TextHeight(std::string_view text) const final;
    [[nodiscard]] std::int32_t TextWidth(std::string_view text) const final;
    void Repaint() final;
    void Clear() final;
    void Print(std::string_view text) final;
    void Close() final;
    // The diagnostic panel and the refresh timer are the overlay's own window's; the preview,
    // which draws once for each change, has neither and never asks for them.
    void SetStatusLabel(std::string_view text, std::int32_t colour) override;
    void MirrorList(std::string_view listName, std::size_t count,
                    const std::function<MirroredItem(std::size_t)>& item) override;
    void StartTimer(int intervalMilliseconds) override;
    void StopTimer() override;

protected:
    explicit OverlaySurface(HINSTANCE instance);
    // The window, with this extended style, and its hidden owner (an owned window gets no
    // task-bar button); false when none could be made.
    bool MakeWindow(DWORD exStyle);
    // The window and its owner go, without a word to this object.
    void DestroyWindows();
    [[nodiscard]] HINSTANCE Instance() const { return m_instance; }
    // The primary monitor's DPI. Positions use its twips (Screen()), the same on every
    // monitor, so a stored place comes back to the same pixel wherever it lies.
    [[nodiscard]] UINT PrimaryDpi() const;

    // Every message of the window. The surface alone (the preview) paints, follows DPI and
    // display changes and closes; it is never activated.
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // Painting and following DPI and display changes; any other message the default handling.
    LRESULT DrawingMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The display settings or the window's DPI changed, and Screen() holds the primary screen
    // as it is now. The surface alone runs the preview's `screenChanged`.
    virtual void ScreenChanged(UINT primaryDpi);

private:
    friend class BaseWindow<OverlaySurface>;

    // What the window shows: kept so that it can paint again whenever Windows asks.
    struct DrawnLine {
        std::string text;
        COLORREF colour;
        int fontSize;
        int top;  // pixels
    };

    [[nodiscard]] SIZE MeasurePixels(std::string_view text) const;
    [[nodiscard]] SIZE MeasurePixels(std::string_view text, int fontSize) const;
    [[nodiscard]] HGDIOBJ FontOrDefault(int fontSize) const;
    void Paint(HDC dc) const;
    // Twips per pixel of the window's own monitor: for its size and its text.
    [[nodiscard]] double SizeTwipsPerPixel() const { return 1440.0 / m_dpi; }
    void CreateFonts();
    void DpiChanged(UINT dpi, const RECT* suggested);
    void DisplayChanged();

    HINSTANCE m_instance;
    std::function<void()> m_previewScreenChanged;  // the preview's only
    UniqueWindow m_owner;
    ScreenMetrics m_screen;
    UINT m_dpi = 96;                    // of the monitor the window is on
    std::map<int, UniqueFont> m_fonts;  // bold Tahoma by size in points, at m_dpi
    int m_fontSize = 8;
    COLORREF m_backColor = 0;
    COLORREF m_foreColor = 0;
    COLORREF m_paintedBack = 0;
    int m_penTop = 0;
    std::vector<DrawnLine> m_lines;
};

}  // namespace sayvane::win32
