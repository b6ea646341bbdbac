// The TeamSpeak link against the substitute TSRemote.dll, loaded as Sayvane loads it, while
// the simulated voice client plays a scenario; and the client's panes that name the own
// player, as Sayvane reads them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "harness/SayvaneRun.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32TsRemoteApi.h"

namespace sayvane::e2e {
namespace {

// Thirty characters exactly, so the record holds no NUL after the name.
const std::string kLongChannel = "Frankfurt Approach Radar Sect1";
static_assert(sizeof("Frankfurt Approach Radar Sect1") - 1 == 30);

const std::string kRoundTripScenario =
    "0 server \"Test Server\"\n"
    "0 nickname EDDF_APP\n"
    "0 channel 1 Lobby flags=33 codec=5 second=-1\n"
    "0 channel 7 \"" +
    kLongChannel +
    "\" flags=9 codec=12 second=-1 third=3\n"
    "0 channel 9 \"Caf\xE9 Bar\" flags=64 codec=13 second=2147483647 third=-2147483648\n"
    "0 join DLH4AB id=12 channel=7 spriv=8\n"
    "0 join EDDF_APP id=3 channel=7 cpriv=1 spriv=13 flags=9\n"
    "0 join \"J\xFCrgen M\xFCller\" id=40 channel=1 cpriv=31 spriv=7 flags=127\n"
    "0 speak DLH4AB\n"
    "0 speak EDDF_APP\n"
    "0 hold\n"
    "100 silence\n"
    "200 disconnect\n"
    "300 connect\n"
    "300 quit\n";

TEST(TsRemoteLink, RoundTripsTheSimulatedServerExactly) {
    Ts2SimRun client(kRoundTripScenario);
    ASSERT_NE(client.MainWindow(), nullptr);
    ASSERT_TRUE(client.WaitForLog("hold"));

    win32::Win32TsRemoteApi api;
    ASSERT_TRUE(api.IsAvailable()) << "TSRemote.dll was not found beside the test program";
    TeamSpeakLink link(api);

    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(link.Speakers(), (SpeakerSnapshot{12, 3}));

    ASSERT_TRUE(link.GetChannels());
    const ChannelSnapshot expectedChannels = {
        {1, -1, 0, "Registered,Default", "Speex 3.4 Kbit", "Lobby"},
        {7, -1, 3, "Registered,Password", "Speex 25.9 Kbit", kLongChannel},
        {9, 2147483647, -2147483647 - 1, "", "Unknown codec 13", "Caf\xE9 Bar"},
    };
    EXPECT_EQ(link.Channels(), expectedChannels);

    ASSERT_TRUE(link.GetPlayers());
    // The own player comes first, as the client lists him.
    const PlayerSnapshot expectedPlayers = {
        {3, 7, "EDDF_APP", "Admin", "SuperServerAdmin,CanRegister,Registered", "ChannelCommander,Away"},
        {12, 7, "DLH4AB", "none", "Registered", "none"},
        {40, 1, "J\xFCrgen M\xFCller", "Admin,Operator,Auto-Operator,Voice,Auto-Voice",
         "SuperServerAdmin,ServerAdmin,CanRegister,Unregistered",
         "ChannelCommander,WantVoice,NoWhisper,Away,InputMuted,OutputMuted,Recording"},
    };
    EXPECT_EQ(link.Players(), expectedPlayers);
    EXPECT_EQ(link.GetUserNickname(), "EDDF_APP");

    // Nobody speaks: a successful call with a count of 0 keeps 1024 zero IDs.
    ASSERT_EQ(client.Step(), 1);
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(link.Speakers(), SpeakerSnapshot(1024, 0));

    // Disconnected: the client runs and the calls fail.
    ASSERT_EQ(client.Step(), 1);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::Running);
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "");

    // Reconnected, then the client quits: no client running any more.
    ASSERT_EQ(client.Step(), 2);
    ASSERT_EQ(client.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_FALSE(link.GetChannels());
}

TEST(TsRemoteLink, WithoutTheClientOrWithoutTheLibraryReportsNotRunning) {
    ASSERT_EQ(FindWindowA("TMainForm", nullptr), nullptr) << "a simulated client is still running";
    // The library beside the program, none at all, and one that loads but exports none of the five calls.
    for (const char* library : {"TSRemote.dll", "NoSuchRemoteLibrary.dll", "version.dll"}) {
        win32::Win32TsRemoteApi api(library);
        EXPECT_EQ(api.IsAvailable(), library == std::string("TSRemote.dll")) << library;
        TeamSpeakLink link(api);
        EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning) << library;
        EXPECT_FALSE(link.GetChannels()) << library;
        EXPECT_FALSE(link.GetPlayers()) << library;
        EXPECT_EQ(link.GetUserNickname(), "") << library;
        if (api.IsAvailable()) {
            char text[1024] = {};
            EXPECT_EQ(api.tsrGetLastError(text, sizeof text), 0);
            EXPECT_STREQ(text, "TeamSpeak 2 is not running");
        }
    }
}

TEST(TsRemoteLink, TheLibraryIsFoundThroughPathButNeverInTheCurrentFolder) {
    testing::TempFolder folder;
    const std::string planted = folder.File("PlantedRemote.dll");
    ASSERT_TRUE(CopyFileA((FolderOfThisProgram() + "\\TSRemote.dll").c_str(), planted.c_str(), FALSE));
    char previousFolder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previousFolder);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().string().c_str()));
    const bool loadedFromCurrentFolder = win32::Win32TsRemoteApi("PlantedRemote.dll").IsAvailable();
    const bool loadedByFullPath = win32::Win32TsRemoteApi(planted).IsAvailable();
    SetCurrentDirectoryA(previousFolder);
    EXPECT_FALSE(loadedFromCurrentFolder);
    EXPECT_TRUE(loadedByFullPath) << "the copy itself must be loadable for the first check to mean anything";

    char previousPath[32767] = {};
    GetEnvironmentVariableA("PATH", previousPath, sizeof previousPath);
    SetEnvironmentVariableA("PATH", (folder.Path().string() + ";" + previousPath).c_str());
    const bool loadedThroughPath = win32::Win32TsRemoteApi("PlantedRemote.dll").IsAvailable();
    SetEnvironmentVariableA("PATH", previousPath);
    EXPECT_TRUE(loadedThroughPath);
}

// What the Win32 side adds to the portable reader: the panes of another process found by
// their class and read with messages, as the window system keeps no caption with their text.
TEST(Ts2SimWindowReader, ReadsTheOwnNicknameFromThePlayerPaneOfTheClientsWindow) {
    Ts2SimRun client(
        "0 server \"IVAO Test\"\n0 nickname EDDF_TWR\n0 channel 1 Lobby flags=32\n0 join EDDF_TWR channel=1\n"
        "1000 disconnect\n2000 nickname LOWW_APP\n2000 connect\n",
        {"--hold"});
    ASSERT_NE(client.MainWindow(), nullptr);
    win32::Win32Desktop desktop;
    TeamSpeakWindowReader reader(desktop);

    client.Step();
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR");

    client.Step();  // disconnected
    client.Step();  // back, under another name
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "LOWW_APP");
}

}  // namespace
}  // namespace sayvane::e2e
