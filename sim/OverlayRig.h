// The overlay assembled on the simulated platform: a TeamSpeak server behind the library (or a
// TeamSpeak 3 client behind its query interface, when the settings say so), a
// desktop for the voice client's and the radar's windows, a keyboard, a virtual clock, and
// recorders for the window, the tray, the window flow, beeps and message boxes. Tests and
// benchmarks build their overlays with it.
#pragma once

#include <memory>
#include <string>

#include "overlay/Overlay.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/VoiceClientSwitch.h"
#include "sim/MessageRecorder.h"
#include "sim/PortableProfileStore.h"
#include "sim/SimOverlayWindow.h"
#include "sim/SimulatedLoopbackSocket.h"
#include "sim/SimulatedDesktop.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/SimulatedTsRemote.h"
#include "sim/SoundRecorder.h"
#include "sim/Ts3QueryClient.h"
#include "sim/Ts5RemoteClient.h"
#include "sim/VirtualClock.h"

namespace sayvane::sim {

// Writes down which window the program opens next.
class RecordingFlow final : public WindowFlow {
public:
    explicit RecordingFlow(EventLog& log) : m_log(log) {}
    void OpenOverlay() override { m_log.push_back("OpenOverlay"); }
    void OpenConfiguration() override { m_log.push_back("OpenConfiguration"); }

private:
    EventLog& m_log;
};

struct OverlayRig {
    OverlayRig() = default;
    OverlayRig(const OverlayRig&) = delete;
    OverlayRig& operator=(const OverlayRig&) = delete;

    // A new overlay window on these services, through its creation sequence. Its settings
    // file is the one in `programFolder`.
    Overlay& Create(const std::string& programFolder) {
        overlay = std::make_unique<Overlay>(
            window, tray,
            OverlayServices{
                store, clock, flow, voice, reader, ivac, desktop, keyboard, sound, messages, programFolder, {}});
        overlay->Form_Load();
        return *overlay;
    }

    // One period of the refresh timer passes and its tick runs.
    void Tick() {
        clock.Advance(overlay->Settings().RefreshInterval);
        overlay->tmrRefresh_Timer();
    }

    EventLog log;
    PortableProfileStore store;
    VirtualClock clock;
    RecordingFlow flow{log};
    SimulatedTsRemote api;
    TeamSpeakLink teamSpeak2{api};
    // TeamSpeak 3 behind its query interface, followed when the settings choose it.
    Ts3QueryClient teamSpeak3;
    SimulatedLoopbackSocket querySocket{teamSpeak3};
    query::QueryLink queryLink{querySocket, clock};
    // TeamSpeak 5/6 behind its Remote Apps.
    Ts5RemoteClient teamSpeak5{&clock};
    SimulatedLoopbackSocket remoteSocket{teamSpeak5, kTs5DefaultPort};
    remote::RemoteLink remoteLink{remoteSocket, clock};
    VoiceClientSwitch voice{teamSpeak2, queryLink, remoteLink};
    SimulatedDesktop desktop;
    TeamSpeakWindowReader reader{desktop};
    IvAcWindows ivac{desktop, clock};
    SimulatedKeyboard keyboard;
    SoundRecorder sound;
    MessageRecorder messages;
    SimOverlayWindow window{log};
    SimTrayIcon tray{log};
    std::unique_ptr<Overlay> overlay;
};

}  // namespace sayvane::sim
