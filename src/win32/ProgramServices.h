// The process's own objects: the settings store, the clock, the window system, the TeamSpeak
// link and the window readers. WinMain makes them once; every window borrows them.
#pragma once

#include "ivac/IvAcWindows.h"
#include "overlay/Overlay.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32ProfileStore.h"
#include "win32/Win32TsRemoteApi.h"

namespace sayvane::win32 {

// Shift+F12 and the radar's command box, and the position's channel, for the overlay.
class RadarActionsWin32 final : public RadarActions {
public:
    [[nodiscard]] bool HotKeyHeld() override;
    void SendCommandLine(const std::string& line, const OverlaySettings& settings) override;
    void CreateChannel() override;
};

struct ProgramServices {
    Win32ProfileStore store;
    Win32Clock clock;
    Win32Desktop desktop;
    Win32TsRemoteApi tsRemote;
    TeamSpeakLink link{tsRemote};
    TeamSpeakWindowReader teamSpeakWindow{desktop};
    IvAcWindows ivac{desktop, clock};
    RadarActionsWin32 radar;
};

}  // namespace sayvane::win32
