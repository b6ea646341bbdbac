// The real Sayvane.exe following the simulated TeamSpeak 3 client over its query interface:
// speakers, join and leave lines, the channel made from the tray, "Disconnected" when the
// client goes, and a refused key said in the configuration window.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "TowerRoundStory.h"
#include "harness/SayvaneRun.h"
#include "win32/resource.h"

namespace sayvane::e2e {
namespace {

// A port of its own, away from a TeamSpeak 3 the machine may run.
constexpr unsigned kPort = 26639;
constexpr char kKey[] = "SAYVANE-TEST-KEY";

constexpr const char* kScenario = kRepeatingTowerRound;

std::string Settings(const std::string& key, bool autoStart) {
    return std::string("[Setup]\r\nAutoStart=") + (autoStart ? "1" : "0") +
           "\r\nRefresh=0\r\nDelay=0\r\nTransparent=100\r\nShowInOut=1\r\nVoiceClient=3\r\nQueryApiKey=" + key +
           "\r\nQueryPort=" + std::to_string(kPort) + "\r\n";
}

// The commands the client received, for a failure's message.
std::string Commands(const LoggingPeer& client) {
    std::string commands;
    for (const std::string& line : client.LogLines()) {
        if (line.find(" < ") != std::string::npos) {
            commands += line + "\n";
        }
    }
    return commands;
}

TEST(TeamSpeak3, SpeakersJoinLinesTheChannelAndDisconnected) {
    Ts3SimRun client(kScenario, kPort);
    ASSERT_TRUE(client.Listening());
    LoggingPeer radar("ivacsim.exe", {"--caption", "IvAc 1.2 - eddf_twr [Online]"}, "IvAcSimRadar");
    ASSERT_NE(radar.MainWindow(), nullptr);
    SayvaneRun run(Settings(kKey, true));
    ASSERT_TRUE(run.Start());
    const HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    const DiagnosticPanel panel(overlay);
    ASSERT_TRUE(panel.Found());

    ASSERT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }, 20000)) << panel.Status();
    EXPECT_TRUE(client.WaitForLog("< auth apikey=<hidden>"));
    ExpectTheTowerRound(overlay, panel);

    // Create TS Channel (the eighth entry): asked for over the query, nothing typed anywhere.
    ASSERT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }));
    EXPECT_TRUE(ChooseFromTrayMenu(
        run.ProcessId(), overlay, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(client.WaitForLog("< channelcreate channel_name=EDDF_TWR")) << Commands(client);
    EXPECT_TRUE(client.WaitForLog("< clientmove cid=")) << Commands(client);
    // and answered before the client goes (a request cut off would be the user's to read
    // about in a message box). The link sends one command at a time: the next one, from the
    // next listing, says the answer came.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::string> lines = client.LogLines();
            const auto move = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
                return l.find("< clientmove") != std::string::npos;
            });
            return move != lines.end() && std::any_of(std::next(move), lines.end(), [](const std::string& l) {
                       return l.find(" < ") != std::string::npos;
                   });
        },
        20000))
        << Commands(client);

    // The client goes while we are in a channel; the new channel's name, shown once, goes first.
    ExpectTheClientsGoingSaid(run, overlay, panel, client);
}

TEST(TeamSpeak3, ARefusedKeyIsSaidInTheConfigurationWindow) {
    Ts3SimRun client(kScenario, kPort);
    ASSERT_TRUE(client.Listening());
    SayvaneRun run(Settings("NOT-THE-KEY", false));
    ASSERT_TRUE(run.Start());
    const HWND config = run.WaitForWindow("#32770", "Sayvane");
    ASSERT_NE(config, nullptr);
    const HWND status = GetDlgItem(config, 1044);  // the voice client's status line
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(WaitForText(status, "refused the API key")) << WindowText(status);
    EXPECT_TRUE(client.WaitForLog("< auth apikey=<hidden>"));
    EXPECT_TRUE(run.Close());
}

TEST(TeamSpeak3, AKeyTypedReachesTheClientWholeOnceTypingPauses) {
    Ts3SimRun client(kScenario, kPort);
    ASSERT_TRUE(client.Listening());
    SayvaneRun run(Settings("", false));
    ASSERT_TRUE(run.Start());
    const HWND config = run.WaitForWindow("#32770", "Sayvane");
    ASSERT_NE(config, nullptr);
    const HWND status = GetDlgItem(config, IDC_LBL_VOICESTATUS);
    // Without a key the client allows nothing, and the link waits long before trying again.
    ASSERT_TRUE(WaitForText(status, "refused the API key")) << WindowText(status);
    const std::size_t connections = client.LogCount("+ connection opened");

    // Typed one character after the other, as fast as the window takes them.
    for (const char c : std::string(kKey)) {
        PostMessageA(GetDlgItem(config, IDC_TXT_APIKEY), WM_CHAR, static_cast<WPARAM>(c), 0);
    }
    EXPECT_TRUE(WaitForText(status, "connected to")) << WindowText(status);
    EXPECT_EQ(client.LogCount("+ connection opened"), connections + 1) << Commands(client);
    EXPECT_EQ(client.LogCount("< auth"), 1U) << Commands(client);

    // A character no key has is said at once.
    PostMessageA(GetDlgItem(config, IDC_TXT_APIKEY), WM_CHAR, 0xE9, 0);  // "é"
    EXPECT_TRUE(WaitForText(status, "ignores this API key")) << WindowText(status);
    EXPECT_TRUE(run.Close());
}

}  // namespace
}  // namespace sayvane::e2e
