// The real Sayvane.exe driving the simulated radar and voice clients: Shift+F12 selects the
// pilot heard last on the radar, and the tray menu creates the controller's channel, through
// the voice client's dialog or, when that does not answer, through its menu by keyboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/PeerProcess.h"
#include "harness/SayvaneRun.h"
#include "harness/Ts2SimRun.h"

namespace sayvane::e2e {
namespace {

constexpr char kScenario[] =
    "0 server \"IVAO Test\"\n"
    "0 nickname EDDF_TWR\n"
    "0 channel 1 Lobby flags=32\n"
    "0 channel 2 \"Frankfurt Tower\"\n"
    "0 join EDDF_TWR channel=2\n"
    "0 join DLH4AB channel=2\n"
    "1000 speak DLH4AB\n";

class RadarBridgeTest : public ::testing::Test {
protected:
    void StartRadar() {
        m_radar = std::make_unique<PeerProcess>(
            "ivacsim.exe", std::vector<std::string>{"--caption", "IvAc 1.2 - eddf_twr [Online]", "--log", RadarLog()});
        ASSERT_NE(m_radar->WaitForWindow("IvAcSimRadar"), nullptr);
    }

    // Sayvane, connected, with its lists filled; the overlay's handle.
    HWND StartSayvane(const std::string& settings) {
        m_run = std::make_unique<SayvaneRun>("[Setup]\r\nAutoStart=1\r\nRefresh=0\r\nDelay=0\r\n" + settings);
        if (!m_run->Start()) {
            return nullptr;
        }
        HWND overlay = m_run->WaitForOverlay();
        HWND frame = nullptr;
        WaitUntil([&] { return (frame = FindWindowExA(overlay, nullptr, "STATIC", "frameDebug")) != nullptr; });
        HWND users = nullptr;
        WaitUntil([&] {
            users = FindWindowExA(frame, nullptr, "LISTBOX", "lstUsers");
            return users != nullptr && SendMessageA(users, LB_GETCOUNT, 0, 0) == 2;
        });
        return overlay;
    }

    void EndSayvane(HWND overlay) {
        ASSERT_TRUE(ChooseFromTrayMenu(m_run->ProcessId(), overlay, {VK_UP, VK_RETURN}));
        EXPECT_EQ(m_run->WaitForExit(), std::optional<DWORD>(0));
    }

    [[nodiscard]] std::string RadarLog() const { return m_folder.File("ivacsim.log"); }

    testing::TempFolder m_folder;
    std::unique_ptr<PeerProcess> m_radar;
    std::unique_ptr<SayvaneRun> m_run;
};

TEST_F(RadarBridgeTest, ShiftF12SelectsTheSpeakingPilotOnTheRadar) {
    Ts2SimRun voice(kScenario, "--hold");
    ASSERT_TRUE(voice.Start());
    voice.Step();
    StartRadar();
    HWND overlay = StartSayvane("IvAcSelect=1\r\nIvAcResetZoom=1\r\n");
    ASSERT_NE(overlay, nullptr);
    voice.Step();  // DLH4AB speaks
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(overlay) != FALSE; }));

    // The controller holds Shift+F12 until the radar has the command.
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_F12, 0, 0, 0);
    const bool selected = WaitUntil([&] { return testing::ReadLines(RadarLog()).size() >= 4; });
    keybd_event(VK_F12, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(selected) << "nothing reached the radar";

    const std::vector<std::string> lines = testing::ReadLines(RadarLog());
    const std::vector<std::string> first(lines.begin(), lines.begin() + 4);
    EXPECT_EQ(first, (std::vector<std::string>{"settext\t1\twide\t.s DLH4AB", "enter\t1\twide\t.s DLH4AB",
                                               "settext\t1\twide\t.z 0", "enter\t1\twide\t.z 0"}));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("narrow"), std::string::npos) << "the 70-pixel edit is passed over: " << line;
    }
    EndSayvane(overlay);
}

TEST_F(RadarBridgeTest, CreateTSChannelUsesTheDialogOrElseTypesThroughTheMenu) {
    struct Case {
        const char* voiceArguments;
        const char* path;  // what the voice client logs on the way
    };
    const Case cases[] = {
        {"--hold", "create-channel dialog opened"},
        {"--hold --no-command-12", "command 12 ignored"},  // then Alt, C, C and the name typed
    };
    for (const Case& c : cases) {
        Ts2SimRun voice(kScenario, c.voiceArguments);
        ASSERT_TRUE(voice.Start());
        voice.Step();
        StartRadar();
        HWND overlay = StartSayvane("");
        ASSERT_NE(overlay, nullptr);

        // "Create TS Channel  (EDDF_TWR)" is the eighth item of the menu.
        ASSERT_TRUE(
            ChooseFromTrayMenu(m_run->ProcessId(), overlay,
                               {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
        EXPECT_TRUE(voice.WaitForLog(c.path)) << c.voiceArguments;
        EXPECT_TRUE(voice.WaitForLog("channel created: EDDF_TWR")) << c.voiceArguments;
        EndSayvane(overlay);
        m_radar.reset();
    }
}

}  // namespace
}  // namespace sayvane::e2e
