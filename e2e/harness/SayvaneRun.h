// End-to-end harness: the real Sayvane.exe copied into a fresh folder, started there, and
// watched through its windows. Every wait polls a condition; none sleeps a fixed time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace sayvane::e2e {

// The folder of the running test program; Sayvane.exe and the peers are built beside it.
std::string FolderOfThisProgram();

// Polls `condition` every 5 ms until it holds (true) or `timeoutMs` has passed (false).
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// Waits for a process to end; its exit code, or nullopt after the timeout (or without a process).
std::optional<DWORD> WaitForProcessExit(HANDLE process, int timeoutMs);

// A top-level window of a process with the given class (and caption, when given); only a
// visible one unless `visibleOnly` is false.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption = nullptr, bool visibleOnly = true);

// A window's text, read with WM_GETTEXT as works across processes.
std::string WindowText(HWND hwnd);

// The first child of `parent` (any depth) whose text is `text`, or nullptr.
HWND FindChildWithText(HWND parent, const std::string& text);

// The same, by the caption Windows keeps for the window (GetWindowTextA): no message is
// sent, so it answers while the program is busy or asleep. Fits labels, not edit boxes.
HWND FindChildWithCaption(HWND parent, const std::string& caption);

// What the screen shows in `area` (screen pixels), row by row from the top, each pixel
// 0x00RRGGBB; empty for an empty area.
std::vector<std::uint32_t> ScreenPixels(const RECT& area);

// Whether any pixel of the window's area, as the screen shows it, has this colour.
bool ShowsColour(HWND window, COLORREF colour);

// Opens the overlay's tray menu as a right click on the icon would (the tray callback
// message), then presses the keys in the menu. False when no menu opened.
bool ChooseFromTrayMenu(DWORD processId, HWND overlay, std::initializer_list<WPARAM> keys);

class SayvaneRun {
public:
    // Prepares a fresh folder holding Sayvane.exe, the substitute TSRemote.dll beside it (as a
    // user puts the voice client's library there) and, when given, this Sayvane.INI text.
    explicit SayvaneRun(const std::optional<std::string>& settingsText = std::nullopt);
    ~SayvaneRun();
    SayvaneRun(const SayvaneRun&) = delete;
    SayvaneRun& operator=(const SayvaneRun&) = delete;

    // Starts the program in its folder; false when it could not be started.
    [[nodiscard]] bool Start();

    // The first visible window of the program with this class (and caption), or nullptr
    // after the timeout.
    HWND WaitForWindow(const char* className, const char* caption = nullptr, int timeoutMs = 10000) const;
    // The same for a window that may be hidden (the overlay hides while nobody speaks).
    HWND WaitForAnyWindow(const char* className, int timeoutMs = 10000) const;
    // The overlay window once its creation sequence has made it layered (its tray icon and
    // menu are ready by then), visible or not; nullptr after the timeout.
    HWND WaitForOverlay(int timeoutMs = 10000) const;

    // Waits for the process to end; its exit code, or nullopt after the timeout.
    std::optional<DWORD> WaitForExit(int timeoutMs = 10000) const;

    [[nodiscard]] DWORD ProcessId() const { return m_process.dwProcessId; }
    [[nodiscard]] HANDLE Process() const { return m_process.hProcess; }
    [[nodiscard]] std::string ExePath() const { return m_folder.File("Sayvane.exe"); }
    [[nodiscard]] std::string SettingsFile() const { return m_folder.File("Sayvane.INI"); }
    [[nodiscard]] std::string Folder() const { return m_folder.Path().string(); }

private:
    testing::TempFolder m_folder;
    PROCESS_INFORMATION m_process{};
};

}  // namespace sayvane::e2e
