// The overlay window on Windows: a borderless layered popup without a task-bar button, its
// tray icon and pop-up menu. The decisions are the portable Overlay's; this class turns
// window messages into its calls and carries out what it asks of the window and the tray.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "overlay/Overlay.h"
#include "platform/OverlayWindow.h"
#include "platform/TrayIcon.h"
#include "win32/BaseWindow.h"
#include "win32/Handles.h"
#include "win32/WindowFlowWin32.h"

namespace sayvane::win32 {

inline constexpr char kOverlayClass[] = "SayvaneOverlay";
inline constexpr char kOverlayCaption[] = "Sayvane speakers";

class OverlayWindowWin32 final : public BaseWindow<OverlayWindowWin32>,
                                 public MainWindow,
                                 public OverlayWindow,
                                 public TrayIcon {
public:
    // Creates the window and runs its creation sequence; null when no window could be made.
    static std::unique_ptr<OverlayWindowWin32> Create(WindowFlowWin32& flow);
    // The same window without the overlay's logic, tray icon, menu or timer, for the
    // configuration window's preview to draw into; `screenChanged` runs when the display
    // settings or the window's DPI change, to draw it again. Hidden until drawn.
    static std::unique_ptr<OverlayWindowWin32> CreatePreview(WindowFlowWin32& flow,
                                                             std::function<void()> screenChanged);
    ~OverlayWindowWin32() override;
    OverlayWindowWin32(const OverlayWindowWin32&) = delete;
    OverlayWindowWin32& operator=(const OverlayWindowWin32&) = delete;
    OverlayWindowWin32(OverlayWindowWin32&&) = delete;
    OverlayWindowWin32& operator=(OverlayWindowWin32&&) = delete;

    [[nodiscard]] HWND Handle() const override { return Hwnd(); }

    // OverlayWindow
    [[nodiscard]] ScreenMetrics Screen() const override { return m_screen; }
    [[nodiscard]] bool IsOnAMonitor(const TwipsRect& rect) const override;
    [[nodiscard]] TwipsRect Geometry() const override;
    void Move(std::int32_t left, std::int32_t top) override;
    void Resize(std::int32_t width, std::int32_t height) override;
    void Show() override;
    void Hide() override;
    [[nodiscard]] bool IsVisible() const override;
    void RemoveTaskbarButton() override;
    void SetOpacity(std::uint8_t alpha) override;
    void SetTopmost(bool onTop) override;
    void SetFontSize(int points) override;
    void SetBackColor(std::int32_t colour) override;
    void SetForeColor(std::int32_t colour) override;
    [[nodiscard]] std::int32_t TextHeight(std::string_view text) const override;
    [[nodiscard]] std::int32_t TextWidth(std::string_view text) const override;
    void Repaint() override;
    void Clear() override;
    void Print(std::string_view text) override;
    void SetStatusLabel(std::string_view text, std::int32_t colour) override;
    void MirrorList(std::string_view listName, std::size_t count,
                    const std::function<MirroredItem(std::size_t)>& item) override;
    void StartTimer(int intervalMilliseconds) override;
    void StopTimer() override;
    void Close() override;

    // TrayIcon
    void Add(TrayPicture picture, std::string_view tip) override;
    void Modify(TrayPicture picture, std::string_view tip) override;
    void Remove() override;
    void SetChecked(MenuItem item, bool checked) override;
    void SetCaption(MenuItem item, std::string_view caption) override;
    void SetEnabled(MenuItem item, bool enabled) override;

private:
    friend class BaseWindow<OverlayWindowWin32>;

    explicit OverlayWindowWin32(WindowFlowWin32& flow);
    bool CreateWindows();
    bool MakeWindow(DWORD exStyle);  // the window and its hidden owner

    static LRESULT CALLBACK TrayWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePreviewMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleDrawingMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowPopupMenu();
    bool NotifyTray(DWORD action, TrayPicture picture, std::string_view tip);
    void BuildMenu();
    [[nodiscard]] SIZE MeasurePixels(std::string_view text) const;
    [[nodiscard]] SIZE MeasurePixels(std::string_view text, int fontSize) const;
    void Paint(HDC dc) const;
    // Twips per pixel of the window's own monitor: for its size and its text.
    [[nodiscard]] double SizeTwipsPerPixel() const { return 1440.0 / m_dpi; }
    // The primary monitor's DPI. Positions use its twips (m_screen), the same on every
    // monitor, so a stored place comes back to the same pixel wherever it lies.
    [[nodiscard]] UINT PrimaryDpi() const;
    void CreateFonts();
    void MakeIcons(UINT trayDpi);
    void DpiChanged(UINT dpi, const RECT* suggested);
    void ScreenChanged();

    // What the window shows: kept so that it can paint again whenever Windows asks.
    struct DrawnLine {
        std::string text;
        COLORREF colour;
        int fontSize;
        int top;  // pixels
    };

    WindowFlowWin32& m_flow;
    std::unique_ptr<Overlay> m_overlay;  // none in a preview
    std::function<void()> m_previewScreenChanged;

    HWND m_owner = nullptr;  // hidden: an owned window gets no task-bar button
    ScreenMetrics m_screen;
    UINT m_dpi = 96;                    // of the monitor the window is on
    UINT m_primaryDpi = 96;             // of the primary monitor, when the tray icons were made
    std::map<int, UniqueFont> m_fonts;  // bold Tahoma by size in points, at m_dpi
    int m_fontSize = 8;
    COLORREF m_backColor = 0;
    COLORREF m_foreColor = 0;
    COLORREF m_paintedBack = 0;
    int m_penTop = 0;
    std::vector<DrawnLine> m_lines;
    // The hidden diagnostic panel frameDebug: lblStatus and one list box per list.
    HWND m_frameDebug = nullptr;
    HWND m_lblStatus = nullptr;
    std::map<std::string, HWND> m_debugLists;
    UniqueMenu m_menu;
    UniqueIcon m_enabledIcon;
    UniqueIcon m_disabledIcon;
    UniqueIcon m_bigIcon;
    WNDPROC m_previousProc = nullptr;  // the procedure TrayWndProc replaced, while installed
    bool m_trayAdded = false;
};

}  // namespace sayvane::win32
