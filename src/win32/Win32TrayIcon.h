// The overlay's notification-area icon and its pop-up menu on Windows: the icon shows the
// overlay's window's picture and tip, and its callbacks come to that window as
// kTrayCallbackMessage, which hands them here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "platform/TrayIcon.h"
#include "win32/Handles.h"

namespace sayvane::win32 {

class Win32TrayIcon final : public TrayIcon {
public:
    Win32TrayIcon() = default;
    ~Win32TrayIcon() override = default;
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;
    Win32TrayIcon(Win32TrayIcon&&) = delete;
    Win32TrayIcon& operator=(Win32TrayIcon&&) = delete;

    // Takes the window whose icons it sets and which hears its callbacks: makes the icons for
    // the tray's DPI (the primary monitor's) and the menu.
    void Attach(HWND window, UINT trayDpi);
    // The window is gone: nothing more is told to the shell or to it.
    void Detach() { m_window = nullptr; }
    // The icons again, for a new DPI of the primary monitor, whose task bar holds the tray.
    void MakeIcons(UINT trayDpi);
    [[nodiscard]] UINT Dpi() const { return m_dpi; }

    // The icon's callback with its mouse message: the menu, while the icon is in the tray, for
    // the messages that open it. The command chosen, if any, for the overlay to run.
    [[nodiscard]] std::optional<MenuItem> Callback(std::uint32_t mouseMessage);

    // TrayIcon
    void Add(TrayPicture picture, std::string_view tip) override;
    void Modify(TrayPicture picture, std::string_view tip) override;
    void Remove() override;
    void SetChecked(MenuItem item, bool checked) override;
    void SetCaption(MenuItem item, std::string_view caption) override;
    void SetEnabled(MenuItem item, bool enabled) override;

private:
    void BuildMenu();
    void Notify(DWORD action, TrayPicture picture, std::string_view tip);
    [[nodiscard]] std::optional<MenuItem> ShowPopupMenu();

    HWND m_window = nullptr;  // the overlay's; not ours
    UINT m_dpi = 96;          // of the primary monitor, when the icons were made
    UniqueMenu m_menu;
    UniqueIcon m_enabledIcon;
    UniqueIcon m_disabledIcon;
    UniqueIcon m_bigIcon;
    bool m_listening = false;  // from Add to Remove: the callbacks open the menu
};

}  // namespace sayvane::win32
