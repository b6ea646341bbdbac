// The overlay window's logic: its creation sequence, settings record, lists and refresh
// cycle, the tray icon's states and tip, and the commands of the tray's pop-up menu.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "app/Settings.h"
#include "channel/ChannelCreation.h"
#include "ivac/AircraftSelection.h"
#include "ivac/IvAcWindows.h"
#include "overlay/OverlayState.h"
#include "overlay/Roster.h"
#include "platform/Clock.h"
#include "platform/OverlayWindow.h"
#include "platform/ProfileStore.h"
#include "platform/TrayIcon.h"
#include "platform/WindowFlow.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "teamspeak/VoicePort.h"

namespace sayvane {

// The tray callback message the overlay asks the shell for.
inline constexpr std::uint32_t kTrayCallbackMessage = 1400;

// Whether a mouse message from the tray icon opens the pop-up menu: a right-button release
// or a left double click does; a single left click does nothing.
[[nodiscard]] bool TrayMouseMessageOpensMenu(std::uint32_t mouseMessage);

// The tray tip: "Sayvane Enabled" or "Sayvane Disabled", with " (nickname)" when known.
[[nodiscard]] std::string TrayTipText(bool enabled, const std::string& nickname);

// A menu toggle's new value: 0 becomes 1, anything else 0.
[[nodiscard]] constexpr std::int16_t ToggledFlag(std::int16_t value) {
    return value == 0 ? 1 : 0;
}

// The status word of a link status, and its colour.
struct StatusWord {
    const char* text;
    std::int32_t colour;
};
[[nodiscard]] StatusWord StatusWordFor(LinkStatus status);

// What the overlay needs besides its own window and tray icon. The voice client, the window
// reader and the IvAc windows are the process's own and outlive every overlay.
struct OverlayServices {
    ProfileStore& store;
    Clock& clock;
    WindowFlow& flow;
    // The voice client read; told the voice settings whenever the settings are read.
    VoicePort& voice;
    TeamSpeakWindowReader& teamSpeakWindow;
    IvAcWindows& ivac;
    Desktop& desktop;
    Keyboard& keyboard;
    Sound& sound;
    UserMessages& messages;
    std::string programFolder;
    NumberFormat numberFormat;
};

class Overlay final : private ChannelCreationHost {
public:
    Overlay(OverlayWindow& window, TrayIcon& tray, OverlayServices services);

    // The creation sequence: settings, place, font, tray icon, style, opacity, topmost
    // state, corner; the window ends hidden and the refresh timer running.
    void Form_Load();
    // Any closing of the window, whatever its cause: the tray icon goes.
    void Form_Unload();

    // One tick of the refresh timer: the program's main loop.
    void tmrRefresh_Timer();

    // The voice client told something between two ticks. A talk start shows at once: who
    // speaks is read and drawn now, stamped with the running tick's number, so retention and
    // expiry count ticks as ever. A server found or lost runs the tick that would have seen
    // it, which fills or empties the lists. Anything else (a stop, joins and leaves) waits for
    // the next tick.
    void VoiceChanged();

    // A command of the tray's pop-up menu.
    void MenuCommand(MenuItem item);

    // The task bar was restarted: its icons are gone, so the overlay adds its own again.
    void TaskbarRestarted();

    // The screen's geometry or DPI changed (the overlay moved to a monitor of another DPI, or
    // the display settings changed): the overlay is measured, sized and placed again, now
    // when it is showing lines, otherwise at the next draw.
    void ScreenChanged();

    // 0 shows TeamSpeak readable (and sets the enabled flag); 3 shows it unavailable.
    void SetTrayState(int state);
    void UpdateTrayTip();
    // Removes the tray icon; harmless when it is already gone.
    void ClearTray();

    // Refill lstChans and lstUsers from the library (always in this order).
    void RefreshChannelList();
    void RefreshPlayerList();

    [[nodiscard]] const OverlaySettings& Settings() const { return m_settings; }
    [[nodiscard]] const OverlayState& State() const { return m_state; }
    [[nodiscard]] std::int32_t LastStatus() const { return m_state.LastStatus; }
    // Ticks that came due while another one was running, and were skipped.
    [[nodiscard]] int SkippedTicks() const { return m_skippedTicks; }

private:
    // ChannelCreationHost: what channel creation asks of the overlay.
    void RefreshLists() override;
    [[nodiscard]] std::string OwnNickname() override;
    [[nodiscard]] std::size_t ChannelSnapshotSize() override;

    void LoadSettings();
    // Stops (or starts) hearing of the voice client between ticks.
    void ListenToVoice(bool listen);
    void AutoPosition();
    void Toggle(std::int16_t& field, MenuItem item);
    void Disable();
    void UpdateSpeakers();
    void LostLink();
    void ChooseLastSpeakerAndAnswerHotKey();
    void EndOfTick(LinkStatus status);
    void Tick();  // the body of tmrRefresh_Timer, once it is known not to overlap another
    void EndOfBusy();
    void MirrorChangedLists();

    OverlayWindow& m_window;
    TrayIcon& m_tray;
    OverlayServices m_services;
    AircraftSelection m_aircraftSelection;
    ChannelCreation m_channelCreation;

    OverlaySettings m_settings;
    OverlayState m_state;
    Roster m_roster{m_state};  // keeps m_state's lists in step with the voice client
    ScreenMetrics m_screen;    // taken at creation, and again when the screen changes
    bool m_channelSnapshotFailed = false;
    bool m_inTick = false;  // a tick, or a redraw for a changed screen, is running
    bool m_screenChangedMeanwhile = false;
    int m_skippedTicks = 0;

    // The revision of each list when the diagnostic panel was last told.
    std::unordered_map<const ItemList*, std::uint64_t> m_mirrored;

    bool m_trayEnabled = false;
    bool m_trayShown = false;
    TrayPicture m_trayPicture = TrayPicture::Enabled;
    std::string m_trayTip;
};

}  // namespace sayvane
