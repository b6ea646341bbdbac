// The overlay's tray icon and pop-up menu.
#include "win32/Win32TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "overlay/Overlay.h"
#include "win32/Artwork.h"
#include "win32/System.h"

namespace sayvane::win32 {

namespace {

constexpr UINT kMenuBase = 100;  // command id of MenuItem n is kMenuBase + n

UINT CommandId(MenuItem item) {
    return kMenuBase + static_cast<UINT>(item);
}

// The pop-up menu in order: captions, with "-" for separators.
struct MenuEntry {
    const char* caption;
    bool separator;
    MenuItem item;
};
constexpr MenuEntry kMenu[] = {
    {"Disable", false, MenuItem::Disable},
    {"-", true, MenuItem::Close},
    {"Show User on IvAc (Shift+F12)", false, MenuItem::ShowIvac},
    {"-", true, MenuItem::Close},
    {"WinOnTop", false, MenuItem::WinOnTop},
    {"Show Me", false, MenuItem::ShowMe},
    {"Show Channel", false, MenuItem::ShowChannel},
    {"Enable IvAc Select", false, MenuItem::IvAc},
    {"Show User Joining/Leaving", false, MenuItem::InOut},
    {"-", true, MenuItem::Close},
    {"Create TS Channel", false, MenuItem::CreateTSChannel},
    {"-", true, MenuItem::Close},
    {"Close menu", false, MenuItem::Close},
    {"-", true, MenuItem::Close},
    {"Exit", false, MenuItem::Exit},
};

}  // namespace

void Win32TrayIcon::Attach(HWND window, UINT trayDpi) {
    m_window = window;
    MakeIcons(trayDpi);
    BuildMenu();
}

// The tray sits on the task bar of the primary monitor: its icons are made for its DPI. The
// shell keeps a copy of the icon it was given, so the old ones can go at once.
void Win32TrayIcon::MakeIcons(UINT trayDpi) {
    m_enabledIcon.Reset(MakeSayvaneIcon(MetricForDpi(SM_CXSMICON, trayDpi), IconLook::Enabled));
    m_disabledIcon.Reset(MakeSayvaneIcon(MetricForDpi(SM_CXSMICON, trayDpi), IconLook::Disabled));
    m_bigIcon.Reset(MakeSayvaneIcon(MetricForDpi(SM_CXICON, trayDpi), IconLook::Enabled));
    m_dpi = trayDpi;
    SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.Get()));
    SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_enabledIcon.Get()));
}

void Win32TrayIcon::BuildMenu() {
    m_menu.Reset(CreatePopupMenu());
    for (const MenuEntry& entry : kMenu) {
        if (entry.separator) {
            AppendMenuA(m_menu.Get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(m_menu.Get(), MF_STRING, CommandId(entry.item), entry.caption);
        }
    }
    SetMenuDefaultItem(m_menu.Get(), CommandId(MenuItem::Disable), FALSE);
}

std::optional<MenuItem> Win32TrayIcon::Callback(std::uint32_t mouseMessage) {
    if (!m_listening || !TrayMouseMessageOpensMenu(mouseMessage)) {
        return std::nullopt;
    }
    return ShowPopupMenu();
}

std::optional<MenuItem> Win32TrayIcon::ShowPopupMenu() {
    POINT at{};
    GetCursorPos(&at);
    // The menu only takes keys and closes on a click elsewhere when its owner is the
    // foreground window; the WM_NULL afterwards lets the next menu open properly.
    SetForegroundWindow(m_window);
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(m_menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, m_window, nullptr));
    PostMessageA(m_window, WM_NULL, 0, 0);
    if (command >= kMenuBase && command <= CommandId(MenuItem::Exit)) {
        return static_cast<MenuItem>(command - kMenuBase);
    }
    return std::nullopt;
}

void Win32TrayIcon::Notify(DWORD action, TrayPicture picture, std::string_view tip) {
    const HICON icon = picture == TrayPicture::Enabled ? m_enabledIcon.Get() : m_disabledIcon.Get();
    SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the 88-byte form every shell understands
    data.hWnd = m_window;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    const std::size_t length = std::min(tip.size(), sizeof(data.szTip) - 1);
    std::memcpy(data.szTip, tip.data(), length);
    data.szTip[length] = '\0';
    Shell_NotifyIconA(action, &data);
}

// The callbacks come to the overlay's window, whose procedure is the program's own and hands
// them to Callback: no procedure needs replacing to hear them. From Add to Remove they open the
// menu; after Remove they are ignored, as they would be with the replaced procedure put back.
void Win32TrayIcon::Add(TrayPicture picture, std::string_view tip) {
    Notify(NIM_ADD, picture, tip);
    m_listening = true;
}

void Win32TrayIcon::Modify(TrayPicture picture, std::string_view tip) {
    Notify(NIM_MODIFY, picture, tip);
}

void Win32TrayIcon::Remove() {
    if (m_window == nullptr) {
        return;
    }
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_window;
    data.uID = 0;
    Shell_NotifyIconA(NIM_DELETE, &data);
    m_listening = false;
}

void Win32TrayIcon::SetChecked(MenuItem item, bool checked) {
    CheckMenuItem(m_menu.Get(), CommandId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32TrayIcon::SetCaption(MenuItem item, std::string_view caption) {
    const std::string text(caption);
    const UINT state = GetMenuState(m_menu.Get(), CommandId(item), MF_BYCOMMAND);
    ModifyMenuA(m_menu.Get(), CommandId(item), MF_BYCOMMAND | MF_STRING | (state & (MF_GRAYED | MF_CHECKED)),
                CommandId(item), text.c_str());
}

void Win32TrayIcon::SetEnabled(MenuItem item, bool enabled) {
    EnableMenuItem(m_menu.Get(), CommandId(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace sayvane::win32
