// The real Sayvane.exe driving the simulated radar and voice clients: Shift+F12 selects the
// pilot heard last on the radar, and the tray menu creates the controller's channel, through
// the voice client's dialog or, when that does not answer, through its menu by keyboard: the
// Win32 keyboard typing into another process's window (its look-ups are the layout contract's).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harness/SayvaneRun.h"

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

// The voice client on its server, the radar, and Sayvane connected to them with its lists filled.
class RadarBridgeTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& voiceArguments, const std::string& settings) {
        m_voice = std::make_unique<Ts2SimRun>(kScenario, voiceArguments);
        ASSERT_NE(m_voice->MainWindow(), nullptr);
        m_voice->Step();
        // Two command boxes, the second above the first: only the upper one is typed into.
        m_radar = std::make_unique<LoggingPeer>(
            "ivacsim.exe", std::vector<std::string>{"--caption", "IvAc 1.2 - eddf_twr [Online]", "--commbox", "two"},
            "IvAcSimRadar");
        ASSERT_NE(m_radar->MainWindow(), nullptr);
        m_run = std::make_unique<SayvaneRun>("[Setup]\r\nAutoStart=1\r\nRefresh=0\r\nDelay=0\r\n" + settings);
        ASSERT_TRUE(m_run->Start());
        m_overlay = m_run->WaitForOverlay();
        ASSERT_NE(m_overlay, nullptr);
        const DiagnosticPanel panel(m_overlay);
        ASSERT_TRUE(WaitUntil([&] { return panel.List("lstUsers").size() == 2; }));
    }

    std::unique_ptr<Ts2SimRun> m_voice;
    std::unique_ptr<LoggingPeer> m_radar;
    std::unique_ptr<SayvaneRun> m_run;
    HWND m_overlay = nullptr;
};

TEST_F(RadarBridgeTest, ShiftF12SelectsTheSpeakingPilotOnTheRadar) {
    Start({"--hold"}, "IvAcSelect=1\r\nIvAcResetZoom=1\r\n");
    m_voice->Step();  // DLH4AB speaks
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_overlay) != FALSE; }));

    // The controller holds Shift+F12 until the radar has the command; the window he works in
    // stays in the foreground.
    const HWND foreground = GetForegroundWindow();
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_F12, 0, 0, 0);
    std::vector<std::string> lines;
    WaitUntil([&] { return (lines = m_radar->LogLines()).size() >= 4; });
    keybd_event(VK_F12, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_GE(lines.size(), 4u) << "nothing reached the radar";

    const std::vector<std::string> first(lines.begin(), lines.begin() + 4);
    EXPECT_EQ(first, (std::vector<std::string>{"settext\t2\twide\t.s DLH4AB", "enter\t2\twide\t.s DLH4AB",
                                               "settext\t2\twide\t.z 0", "enter\t2\twide\t.z 0"}));
    EXPECT_EQ(GetForegroundWindow(), foreground);
    for (const std::string& line : m_radar->LogLines()) {
        EXPECT_EQ(line.find("narrow"), std::string::npos) << "the 70-pixel edit is passed over: " << line;
    }
    EXPECT_EQ(m_run->ExitFromTray(m_overlay), std::optional<DWORD>(0));
}

struct ChannelCase {
    std::vector<std::string> voiceArguments;
    const char* path;  // what the voice client logs on the way
    friend void PrintTo(const ChannelCase& c, std::ostream* os) { *os << c.path; }
};

class CreateTSChannel : public RadarBridgeTest, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(CreateTSChannel, UsesTheDialogOrElseTypesThroughTheMenu) {
    Start(GetParam().voiceArguments, "");
    // "Create TS Channel  (EDDF_TWR)" is the eighth item of the menu.
    ASSERT_TRUE(
        ChooseFromTrayMenu(m_run->ProcessId(), m_overlay,
                           {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(m_voice->WaitForLog(GetParam().path));
    EXPECT_TRUE(m_voice->WaitForLog("channel created: EDDF_TWR (id")) << "the name, filled in or typed once";
    // Typed into another process, the keys it held (Alt, and Shift for the capitals) are let go.
    EXPECT_TRUE(WaitUntil(
        [] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0 && (GetAsyncKeyState(VK_MENU) & 0x8000) == 0; }));
    EXPECT_EQ(m_run->ExitFromTray(m_overlay), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(RadarBridge, CreateTSChannel,
                         ::testing::Values(ChannelCase{{"--hold"}, "create-channel dialog opened"},
                                           // then Alt, C, C and the name typed
                                           ChannelCase{{"--hold", "--no-command-12"}, "command 12 ignored"}));

}  // namespace
}  // namespace sayvane::e2e
