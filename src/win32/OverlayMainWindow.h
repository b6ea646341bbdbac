// The overlay's own window on Windows: the surface the overlay draws on, the program's
// top-level window while the overlay runs. It routes the window's messages (the refresh timer,
// the tray icon's callbacks, dragging, closing) to the portable Overlay, which decides
// everything, and holds the tray icon and the hidden diagnostic panel.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "overlay/Overlay.h"
#include "win32/OverlaySurface.h"
#include "win32/Win32TrayIcon.h"
#include "win32/WindowFlowWin32.h"

namespace sayvane::win32 {

class OverlayMainWindow final : public OverlaySurface, public MainWindow {
public:
    // Creates the window and runs its creation sequence; null when no window could be made.
    static std::unique_ptr<OverlayMainWindow> Create(WindowFlowWin32& flow);
    ~OverlayMainWindow() override;
    OverlayMainWindow(const OverlayMainWindow&) = delete;
    OverlayMainWindow& operator=(const OverlayMainWindow&) = delete;
    OverlayMainWindow(OverlayMainWindow&&) = delete;
    OverlayMainWindow& operator=(OverlayMainWindow&&) = delete;

    [[nodiscard]] HWND Handle() const override { return Hwnd(); }

    // OverlayWindow: the diagnostic panel and the refresh timer.
    void SetStatusLabel(std::string_view text, std::int32_t colour) override;
    void MirrorList(std::string_view listName, std::size_t count,
                    const std::function<MirroredItem(std::size_t)>& item) override;
    void StartTimer(int intervalMilliseconds) override;
    void StopTimer() override;

private:
    explicit OverlayMainWindow(WindowFlowWin32& flow);
    bool CreateWindows();
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ScreenChanged(UINT primaryDpi) override;

    WindowFlowWin32& m_flow;
    Win32TrayIcon m_tray;
    std::unique_ptr<Overlay> m_overlay;  // made once the window is there
    // The hidden diagnostic panel frameDebug: lblStatus and one list box per list.
    HWND m_frameDebug = nullptr;
    HWND m_lblStatus = nullptr;
    std::map<std::string, HWND> m_debugLists;
};

}  // namespace sayvane::win32
