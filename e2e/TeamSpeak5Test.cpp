// The real Sayvane.exe following the simulated TeamSpeak 5/6 client over its Remote Apps, in
// the shapes the real client sends: on a busy server, let in on the first start, the key kept
// and offered on the next one without asking, speakers, the lines of a client moving into and
// out of the user's channel, "Disconnected" when the client goes; a key issued to an earlier
// release taken without asking; and a decline said in the configuration window.
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

// The tower round, the newcomer coming into view in the lobby and moving to the tower before
// he speaks, and back before he goes: TeamSpeak 5/6 tells a move without the client's name, and
// a move within the server is neither a join nor a leave.
constexpr const char* kScenario =
    "0 server \"IVAO Test\"\n"
    "0 nickname EDDF_TWR\n"
    "0 channel 1 Lobby flags=32\n"
    "0 channel 2 \"Frankfurt Tower\"\n"
    "0 join EDDF_TWR channel=2\n"
    "0 join DLH4AB channel=2\n"
    "1000 speak DLH4AB\n"
    "+1500 silence\n"
    "+500 join AFR7731 channel=1\n"
    "+200 move AFR7731 2\n"
    "+0 speak AFR7731\n"
    "+1000 silence\n"
    "+200 move AFR7731 1\n"
    "+300 leave AFR7731\n"
    "+8500 loop 1000\n";

// How every release of Sayvane introduces itself: TeamSpeak takes a key it handed out only
// from an app that does so exactly as when it was issued.
constexpr const char* kKeyOfAnEarlierRelease =
    "EARLIER-RELEASE-KEY|sayvane|1|Sayvane|Shows who is speaking, and selects the pilot heard last on the IvAc "
    "radar";

// Names and notices stay three seconds: long enough to be seen.
std::string Settings(bool autoStart) {
    return std::string("[Setup]\r\nAutoStart=") + (autoStart ? "1" : "0") +
           "\r\nRefresh=0\r\nDelay=10\r\nTransparent=100\r\nShowInOut=1\r\nVoiceClient=5\r\nRemotePort=" +
           std::to_string(kPort) + "\r\n";
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
    // A busy server: a thousand clients in view make an answer of some 3.5 MB.
    Ts5SimRun client(kScenario, kPort, {"--allow", "--confirm-delay", "1500", "--clients", "1000", "--log-rate", "10"});
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
        EXPECT_TRUE(WaitUntil([&] { return Lists(panel.List("lstSpeakers"), "AFR7731"); }, 20000))
            << "heard after his move, by the name kept from before it";
        EXPECT_FALSE(Lists(panel.List("lstInOut"), "Out:DLH4AB")) << "nobody left";
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
    EXPECT_EQ(client.LogCount("* asking the user"), 1U);
    EXPECT_EQ(client.LogCount("< auth apikey=<hidden>"), 1U) << "the second auth offers the key";
    EXPECT_EQ(KeptKey(run), key);

    // The client goes; the channel's name, shown once at the start, comes and goes first.
    ASSERT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); }, 20000)) << "the channel's name";
    ExpectTheClientsGoingSaid(run, overlay, panel, client);
}

// A server that goes and comes back: TeamSpeak 5/6 tells its return by the tab's connection
// steps, its channels and one move into view per client, with no snapshot.
constexpr const char* kServerComingBack =
    "0 server \"IVAO Test\"\n"
    "0 nickname EDDF_TWR\n"
    "0 channel 2 \"Frankfurt Tower\"\n"
    "0 join EDDF_TWR channel=2\n"
    "0 join DLH4AB channel=2\n"
    "1000 disconnect\n"
    "+3000 connect\n"
    "+1000 speak DLH4AB\n"
    "+1000 silence\n"
    "+4000 loop 1000\n";

TEST(TeamSpeak5, AKeyIssuedToAnEarlierReleaseIsTakenAndAServerLostComesBack) {
    Ts5SimRun client(kServerComingBack, kPort, {"--never-answer", "--known-key-for", kKeyOfAnEarlierRelease});
    ASSERT_TRUE(client.Listening());
    SayvaneRun run(Settings(true) + "RemoteApiKey=EARLIER-RELEASE-KEY\r\n");
    ASSERT_TRUE(run.Start());
    const HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    const DiagnosticPanel panel(overlay);
    ASSERT_TRUE(panel.Found());
    ASSERT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }, 20000)) << panel.Status();
    EXPECT_EQ(client.LogCount("* asking the user"), 0U) << "the key of an earlier release is taken";
    EXPECT_EQ(KeptKey(run), "EARLIER-RELEASE-KEY");

    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Running"; }, 20000)) << "the server lost";
    EXPECT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); }, 20000)) << "\"Disconnected\"";
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }, 20000)) << "and back";
    EXPECT_TRUE(WaitUntil([&] { return panel.List("lstSpeakers") == std::vector<std::string>{"DLH4AB"}; }, 20000));
    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));
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
