// The real Sayvane.exe following the simulated TeamSpeak 5/6 client over its Remote Apps:
// let in on the first start, the key kept and offered on the next one without asking,
// speakers, join and leave lines, "Disconnected" when the client goes; and a decline said in
// the configuration window.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "TowerRoundStory.h"
#include "harness/SayvaneRun.h"

namespace sayvane::e2e {
namespace {

// A port of its own, away from a TeamSpeak the machine may run.
constexpr unsigned kPort = 26899;

constexpr const char* kScenario = kRepeatingTowerRound;

// Names and notices stay three seconds: long enough to be seen.
std::string Settings(bool autoStart) {
    return std::string("[Setup]\r\nAutoStart=") + (autoStart ? "1" : "0") +
           "\r\nRefresh=0\r\nDelay=10\r\nTransparent=100\r\nShowInOut=1\r\nVoiceClient=5\r\nRemotePort=" +
           std::to_string(kPort) + "\r\n";
}

std::size_t LogCount(const LoggingPeer& peer, const std::string& text) {
    const std::vector<std::string> lines = peer.LogLines();
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

// The key the settings file holds; empty when none.
std::string KeptKey(const SayvaneRun& run) {
    for (const std::string& line : testing::ReadLines(run.SettingsFile())) {
        if (line.rfind("RemoteApiKey=", 0) == 0) {
            return line.substr(13);
        }
    }
    return {};
}

TEST(TeamSpeak5, AllowedOnceKeptForTheNextStartSpeakersJoinLinesAndDisconnected) {
    Ts5SimRun client(kScenario, kPort, {"--allow", "--confirm-delay", "1500"});
    ASSERT_TRUE(client.Listening());
    SayvaneRun run(Settings(true));
    ASSERT_TRUE(run.Start());
    HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(client.WaitForLog("* asking the user"));
    ASSERT_TRUE(client.WaitForLog("* allowed: key issued"));
    EXPECT_TRUE(WaitUntil([&] { return !KeptKey(run).empty(); })) << "kept at once, without a Save";
    {
        const DiagnosticPanel panel(overlay);
        ASSERT_TRUE(panel.Found());
        ASSERT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }, 20000)) << panel.Status();
        ExpectTheTowerRound(overlay, panel);
    }
    const std::string key = KeptKey(run);
    ASSERT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));

    // The next start offers the key kept: in without asking.
    ASSERT_TRUE(run.Start());
    overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    const DiagnosticPanel panel(overlay);
    ASSERT_TRUE(panel.Found());
    ASSERT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }, 20000)) << panel.Status();
    EXPECT_EQ(LogCount(client, "* asking the user"), 1U);
    EXPECT_EQ(LogCount(client, "< auth apikey=<hidden>"), 1U) << "the second auth offers the key";
    EXPECT_EQ(KeptKey(run), key);

    // The client goes; the channel's name, shown once at the start, comes and goes first.
    ASSERT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); }, 20000)) << "the channel's name";
    ExpectTheClientsGoingSaid(run, overlay, panel, client);
}

TEST(TeamSpeak5, ADeclineIsSaidInTheConfigurationWindow) {
    Ts5SimRun client(kScenario, kPort, {"--decline"});
    ASSERT_TRUE(client.Listening());
    SayvaneRun run(Settings(false));
    ASSERT_TRUE(run.Start());
    const HWND config = run.WaitForWindow("#32770", "Sayvane");
    ASSERT_NE(config, nullptr);
    const HWND status = GetDlgItem(config, 1044);  // the voice client's status line
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(WaitForText(status, "TeamSpeak declined")) << WindowText(status);
    EXPECT_TRUE(client.WaitForLog("* declined"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(config, 1048))) << "no key to forget";
    EXPECT_TRUE(run.Close());
    EXPECT_TRUE(KeptKey(run).empty());
}

}  // namespace
}  // namespace sayvane::e2e
