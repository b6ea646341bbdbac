// End-to-end harness: the real Sayvane.exe copied into a fresh folder, started there, and
// watched through its windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "harness/PeerProcess.h"

namespace sayvane::e2e {

// The colours of the default settings.
constexpr COLORREF kGreen = RGB(0, 255, 0);     // ForeColor 65280: speakers
constexpr COLORREF kOrange = RGB(255, 128, 0);  // ChannelForeColor 33023: the channel, notices
constexpr COLORREF kCyan = RGB(0, 255, 255);    // JoinForeColor 16776960: join lines

RECT WindowRect(HWND window);
RECT WorkArea();

// The first child of `parent` (any depth) with this caption, as Windows keeps it for the window
// (GetWindowTextA): no message is sent, so it answers while the program is busy or asleep.
// Fits labels, not edit boxes.
HWND FindChildWithCaption(HWND parent, const std::string& caption);

// A bitmap's pixels, row by row from the top, each 0xAARRGGBB.
std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height);

// What the screen shows in `area` (screen pixels), row by row from the top, each pixel
// 0x00RRGGBB; empty for an empty area.
std::vector<std::uint32_t> ScreenPixels(const RECT& area);

// Whether any pixel of the window's area, as the screen shows it, has this colour.
bool ShowsColour(HWND window, COLORREF colour);

// Whether the window is visible and shows this colour.
bool VisibleIn(HWND window, COLORREF colour);

// Opens the overlay's tray menu as a right click on the icon would (the tray callback
// message), then presses the keys in the menu. False when no menu opened.
bool ChooseFromTrayMenu(DWORD processId, HWND overlay, std::initializer_list<WPARAM> keys);

// The overlay's diagnostic panel: the status word and the lists, as an inspection tool reads
// them. The panel is made just after the overlay: the constructor waits for it.
class DiagnosticPanel {
public:
    explicit DiagnosticPanel(HWND overlay);
    [[nodiscard]] bool Found() const { return m_frame != nullptr; }
    [[nodiscard]] std::string Status() const;
    [[nodiscard]] std::vector<std::string> List(const char* name) const;

private:
    HWND m_frame = nullptr;
};

// The program started, watched and waited for as any PeerProcess.
class SayvaneRun : public PeerProcess {
public:
    // Prepares a fresh folder holding Sayvane.exe, the substitute TSRemote.dll beside it (as a
    // user puts the voice client's library there) and, when given, this Sayvane.INI text.
    explicit SayvaneRun(const std::optional<std::string>& settingsText = std::nullopt);

    // Starts the program in its folder; false when it could not be started.
    [[nodiscard]] bool Start() { return PeerProcess::Start(ExePath(), {}); }

    // The overlay window once its creation sequence has made it layered (its tray icon and
    // menu are ready by then), visible or not; nullptr after the timeout.
    HWND WaitForOverlay(int timeoutMs = 10000) const;

    // Chooses Exit (the last item) from the overlay's tray menu; the exit code.
    std::optional<DWORD> ExitFromTray(HWND overlay) const;

    [[nodiscard]] std::string ExePath() const { return File("Sayvane.exe"); }
    [[nodiscard]] std::string SettingsFile() const { return File("Sayvane.INI"); }
};

}  // namespace sayvane::e2e
