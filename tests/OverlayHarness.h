// The simulated overlay of sim/OverlayRig.h with its settings file in a fresh folder, and the
// scene most overlay stories start from.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "sim/OverlayRig.h"

namespace sayvane::testing {

// The texts of a list's items, in order.
inline std::vector<std::string> Texts(const ItemList& list) {
    std::vector<std::string> texts;
    for (const ListItem& item : list.Items()) {
        texts.push_back(item.text);
    }
    return texts;
}

struct OverlayHarness : sim::OverlayRig {
    void WriteSettings(const std::string& lines) { folder.WriteSettings(lines); }
    [[nodiscard]] std::string SettingsBytes() const { return ReadBytes(folder.File("Sayvane.INI")); }

    Overlay& Create() { return OverlayRig::Create(folder.Path().string()); }

    // The voice client's main window, its info pane naming the user EDDF_APP.
    WindowHandle ShowTeamSpeakWindow() {
        const WindowHandle main = desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2").Process(7));
        desktop.Add(sim::Window("TRichEditWithLinks").Parent(main).Text("Player:\r\nEDDF_APP\r\n"));
        return main;
    }

    // The user EDDF_APP with the pilots DLH4AB (11) and BAW12 (12) in "Approach", and the voice
    // client's window; returns that window.
    WindowHandle AddApproachScene() {
        sim::TsServer& server = api.Server();
        server.serverName = "IVAO Europe";
        server.ownNickname = "EDDF_APP";
        server.channels = {{1, 0, 0, 32, 9, "Lobby"}, {2, 0, 0, 1, 9, "Approach"}};
        server.players = {{10, 2, 0, 8, 0, "EDDF_APP"}, {11, 2, 0, 8, 0, "DLH4AB"}, {12, 2, 0, 8, 0, "BAW12"}};
        return ShowTeamSpeakWindow();
    }

    using OverlayRig::Tick;
    void Tick(int count) {
        for (int i = 0; i < count; ++i) {
            Tick();
        }
    }

    // How often the library's function of this name was called since the calls were cleared.
    [[nodiscard]] int CallsOf(const std::string& name) const {
        return static_cast<int>(std::count(api.Calls().begin(), api.Calls().end(), name));
    }

    // The texts put into this window (a radar's command line), in order.
    [[nodiscard]] std::vector<std::string> TextsSentTo(WindowHandle target) const {
        std::vector<std::string> texts;
        for (const sim::DesktopMessage& m : desktop.Messages()) {
            if (m.target == target && m.message == message::kSetText) {
                texts.push_back(m.text);
            }
        }
        return texts;
    }

    void HoldShiftF12(bool held) {
        keyboard.SetHeld(vk::kShift, held);
        keyboard.SetHeld(vk::kF12, held);
    }

    TempFolder folder;
};

}  // namespace sayvane::testing
