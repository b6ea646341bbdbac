// The overlay on the simulated platform: a settings file in a fresh folder, a TeamSpeak
// server behind the library, a desktop for the voice client's and the radar's windows, a
// keyboard, a virtual clock, and recorders for the window, the tray, the window flow, beeps
// and message boxes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "overlay/Overlay.h"
#include "sim/MessageRecorder.h"
#include "sim/PortableProfileStore.h"
#include "sim/SimOverlayWindow.h"
#include "sim/SimulatedDesktop.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/SimulatedTsRemote.h"
#include "sim/SoundRecorder.h"
#include "sim/VirtualClock.h"

namespace sayvane::testing {

class RecordingFlow final : public WindowFlow {
public:
    explicit RecordingFlow(sim::EventLog& log) : m_log(log) {}
    void OpenOverlay() override { m_log.push_back("OpenOverlay"); }
    void OpenConfiguration() override { m_log.push_back("OpenConfiguration"); }

private:
    sim::EventLog& m_log;
};

struct OverlayHarness {
    void WriteSettings(const std::string& lines) { WriteBytes(folder.File("Sayvane.INI"), "[Setup]\r\n" + lines); }
    [[nodiscard]] std::string SettingsBytes() const { return ReadBytes(folder.File("Sayvane.INI")); }

    // A new overlay window on these services, through its creation sequence.
    Overlay& Create() {
        overlay = std::make_unique<Overlay>(
            window, tray,
            OverlayServices{store, clock, flow, link, reader, ivac, desktop, keyboard, sound, messages,
                            folder.Path().string(), {}});
        overlay->Form_Load();
        return *overlay;
    }

    TempFolder folder;
    sim::EventLog log;
    sim::PortableProfileStore store;
    sim::VirtualClock clock;
    RecordingFlow flow{log};
    sim::SimulatedTsRemote api;
    TeamSpeakLink link{api};
    sim::SimulatedDesktop desktop;
    TeamSpeakWindowReader reader{desktop};
    IvAcWindows ivac{desktop, clock};
    sim::SimulatedKeyboard keyboard;
    sim::SoundRecorder sound;
    sim::MessageRecorder messages;
    sim::SimOverlayWindow window{log};
    sim::SimTrayIcon tray{log};
    std::unique_ptr<Overlay> overlay;
};

}  // namespace sayvane::testing
