// The overlay window's logic: its creation sequence, its settings record and cycle state,
// the tray icon's states and tip, and the commands of the tray's pop-up menu.
#pragma once

#include <cstdint>
#include <string>

#include "app/Settings.h"
#include "platform/Clock.h"
#include "platform/OverlayWindow.h"
#include "platform/ProfileStore.h"
#include "platform/TrayIcon.h"
#include "platform/WindowFlow.h"

namespace sayvane {

// The tray callback message the overlay asks the shell for.
inline constexpr std::uint32_t kTrayCallbackMessage = 1400;

// Whether a mouse message from the tray icon opens the pop-up menu: a right-button release
// or a left double click does; a single left click does nothing.
[[nodiscard]] bool TrayMouseMessageOpensMenu(std::uint32_t mouseMessage);

// The tray tip: "Sayvane Enabled" or "Sayvane Disabled", with " (nickname)" when known.
[[nodiscard]] std::string TrayTipText(bool enabled, const std::string& nickname);

// A menu toggle's new value: 0 becomes 1, anything else 0.
[[nodiscard]] constexpr std::int16_t ToggledFlag(std::int16_t value) { return value == 0 ? 1 : 0; }

// What the overlay needs besides its own window and tray icon.
struct OverlayServices {
    ProfileStore& store;
    Clock& clock;
    WindowFlow& flow;
    std::string programFolder;
    NumberFormat numberFormat;
};

class Overlay {
public:
    Overlay(OverlayWindow& window, TrayIcon& tray, OverlayServices services);

    // The creation sequence: settings, place, font, tray icon, style, opacity, topmost
    // state, corner; the window ends hidden and the refresh timer running.
    void Form_Load();
    // Any closing of the window, whatever its cause: the tray icon goes.
    void Form_Unload();

    // One tick of the refresh timer.
    void tmrRefresh_Timer();

    // A command of the tray's pop-up menu.
    void MenuCommand(MenuItem item);

    // The task bar was restarted: its icons are gone, so the overlay adds its own again.
    void TaskbarRestarted();

    // 0 shows TeamSpeak readable (and sets the enabled flag); 3 shows it unavailable.
    void SetTrayState(int state);
    void UpdateTrayTip();
    // Removes the tray icon; harmless when it is already gone.
    void ClearTray();

    [[nodiscard]] const OverlaySettings& Settings() const { return m_settings; }
    [[nodiscard]] std::int32_t LastStatus() const { return m_lastStatus; }

private:
    void LoadSettings();
    void AutoPosition();
    void Toggle(std::int16_t& field, MenuItem item);
    void Disable();
    [[nodiscard]] std::string OwnNickname() const;

    OverlayWindow& m_window;
    TrayIcon& m_tray;
    OverlayServices m_services;

    OverlaySettings m_settings;
    ScreenMetrics m_screen;  // the work area is taken once, at creation
    std::int32_t m_lastStatus = -1;

    bool m_trayEnabled = false;
    bool m_trayShown = false;
    TrayPicture m_trayPicture = TrayPicture::Enabled;
    std::string m_trayTip;
};

}  // namespace sayvane
