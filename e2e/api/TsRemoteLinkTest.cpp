// The TeamSpeak link against the substitute TSRemote.dll, loaded as Sayvane loads it, while
// the simulated voice client plays a scenario; and the client's windows as Sayvane drives
// them (the create-channel dialog by command 12, and by the keyboard through the menu).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "harness/SayvaneRun.h"
#include "harness/Ts2SimRun.h"
#include "teamspeak/TeamSpeakLink.h"
#include "win32/Win32TsRemoteApi.h"

namespace sayvane::e2e {
namespace {

using namespace std::string_literals;

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

std::vector<int> Ids(const SpeakerSnapshot& speakers) {
    return {speakers.begin(), speakers.end()};
}

TEST(TsRemoteLink, RoundTripsTheSimulatedServerExactly) {
    Ts2SimRun client(kRoundTripScenario);
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(client.WaitForLog("hold"));

    win32::Win32TsRemoteApi api;
    ASSERT_TRUE(api.IsAvailable()) << "TSRemote.dll was not found beside the test program";
    TeamSpeakLink link(api);

    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(Ids(link.Speakers()), (std::vector<int>{12, 3}));

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
    EXPECT_EQ(LastIndex(link.Speakers()), 1023);
    EXPECT_TRUE(std::all_of(link.Speakers().begin(), link.Speakers().end(), [](int id) { return id == 0; }));

    // Disconnected: the client runs, the calls fail, the snapshots stay.
    ASSERT_EQ(client.Step(), 1);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::Running);
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "");
    EXPECT_EQ(link.Channels(), expectedChannels);
    EXPECT_EQ(link.Players(), expectedPlayers);

    // Reconnected, then the client quits: no client running any more.
    ASSERT_EQ(client.Step(), 2);
    ASSERT_EQ(client.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_FALSE(link.GetChannels());
}

TEST(TsRemoteLink, TheHoldSwitchStartsTheClientBeforeItsFirstEvent) {
    Ts2SimRun client(kRoundTripScenario, "--hold");
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(client.WaitForLog("client started"));
    win32::Win32TsRemoteApi api;
    TeamSpeakLink link(api);
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_TRUE(link.Players().empty());

    // The events of time 0 come in one step, up to the scenario's own hold.
    EXPECT_EQ(client.Step(), 11);
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_EQ(link.Players().size(), 3u);
}

TEST(TsRemoteLink, WithoutTheClientReportsNotRunning) {
    ASSERT_EQ(FindWindowA("TMainForm", nullptr), nullptr) << "a simulated client is still running";
    win32::Win32TsRemoteApi api;
    ASSERT_TRUE(api.IsAvailable());
    TeamSpeakLink link(api);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "");

    char text[1024] = {};
    EXPECT_EQ(api.tsrGetLastError(text, sizeof text), 0);
    EXPECT_STREQ(text, "TeamSpeak 2 is not running");
}

TEST(TsRemoteLink, AnAbsentLibraryReadsAsNoClientRunning) {
    win32::Win32TsRemoteApi api("NoSuchRemoteLibrary.dll");
    EXPECT_FALSE(api.IsAvailable());
    TeamSpeakLink link(api);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "");
}

TEST(TsRemoteLink, ALibraryWithoutTheFiveCallsCountsAsAbsent) {
    win32::Win32TsRemoteApi api("version.dll");  // loads, but exports none of them
    EXPECT_FALSE(api.IsAvailable());
    TeamSpeakLink link(api);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
}

TEST(TsRemoteLink, NeverLoadsTheLibraryFromTheCurrentFolder) {
    testing::TempFolder folder;
    const std::string planted = folder.File("PlantedRemote.dll");
    ASSERT_TRUE(CopyFileA((FolderOfThisProgram() + "\\TSRemote.dll").c_str(), planted.c_str(), FALSE));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().string().c_str()));

    win32::Win32TsRemoteApi byName("PlantedRemote.dll");
    const bool loadedFromCurrentFolder = byName.IsAvailable();
    win32::Win32TsRemoteApi byPath(planted);
    const bool loadedByFullPath = byPath.IsAvailable();
    SetCurrentDirectoryA(previous);

    EXPECT_FALSE(loadedFromCurrentFolder);
    EXPECT_TRUE(loadedByFullPath) << "the copy itself must be loadable for the first check to mean anything";
}

TEST(TsRemoteLink, StillFindsTheLibraryThroughPath) {
    testing::TempFolder folder;
    ASSERT_TRUE(
        CopyFileA((FolderOfThisProgram() + "\\TSRemote.dll").c_str(), folder.File("RemoteOnPath.dll").c_str(), FALSE));
    char previous[32767] = {};
    GetEnvironmentVariableA("PATH", previous, sizeof previous);
    SetEnvironmentVariableA("PATH", (folder.Path().string() + ";" + previous).c_str());

    win32::Win32TsRemoteApi onPath("RemoteOnPath.dll");
    const bool loaded = onPath.IsAvailable();
    SetEnvironmentVariableA("PATH", previous);
    EXPECT_TRUE(loaded);
}

BOOL CALLBACK CollectPaneText(HWND child, LPARAM param) {
    char name[50] = {};
    GetClassNameA(child, name, sizeof name);
    if (std::string(name).rfind("TRichEditWithLinks", 0) == 0) {
        const auto length = SendMessageA(child, WM_GETTEXTLENGTH, 0, 0);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const auto copied = SendMessageA(child, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(copied));
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
        char caption[64] = {};
        EXPECT_EQ(GetWindowTextA(child, caption, sizeof caption), 0) << "panes keep their text to themselves";
    }
    return TRUE;
}

// The text of every "TRichEditWithLinks..." pane of the window, read as Sayvane reads it.
std::vector<std::string> PaneTexts(HWND main) {
    std::vector<std::string> texts;
    EnumChildWindows(main, CollectPaneText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

TEST(Ts2Sim, ShowsThePlayerPaneOnlyWhileConnected) {
    Ts2SimRun client(kRoundTripScenario);
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(client.WaitForLog("hold"));
    ASSERT_EQ(FindWindowA(nullptr, "TeamSpeak 2"), client.MainWindow());

    std::vector<std::string> texts = PaneTexts(client.MainWindow());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("Player:") != std::string::npos; }),
              1);
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "Server:\r\nTest Server\r\nPlayer:\r\nEDDF_APP\r\nChannel:\r\n" + kLongChannel),
              texts.end());

    ASSERT_EQ(client.Step(), 1);  // silence
    ASSERT_EQ(client.Step(), 1);  // disconnect
    texts = PaneTexts(client.MainWindow());
    EXPECT_TRUE(std::none_of(texts.begin(), texts.end(),
                             [](const std::string& t) { return t.find("Player:") != std::string::npos; }));
}

const std::string kTwoChannelScenario =
    "0 server \"Test Server\"\n"
    "0 nickname EDDF_TWR\n"
    "0 channel 1 Lobby flags=33\n"
    "0 channel 2 EDDF_APP flags=1\n"
    "0 join EDDF_TWR id=5 channel=1\n"
    "0 hold\n";

bool HasChannel(TeamSpeakLink& link, const std::string& name) {
    if (!link.GetChannels()) {
        return false;
    }
    return std::any_of(link.Channels().begin(), link.Channels().end(),
                       [&](const ChannelEntry& c) { return c.name == name; });
}

// The name field as Sayvane picks it: the top-most "TLabeledEdit" among the group box's
// direct children.
HWND TopMostLabeledEdit(HWND group) {
    HWND best = nullptr;
    LONG bestTop = 0;
    for (HWND child = GetWindow(group, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[50] = {};
        GetClassNameA(child, name, sizeof name);
        RECT rect;
        if (std::string(name) == "TLabeledEdit" && GetWindowRect(child, &rect) &&
            (best == nullptr || rect.top < bestTop)) {
            best = child;
            bestTop = rect.top;
        }
    }
    return best;
}

TEST(Ts2Sim, Command12OpensTheDialogThatCreatesTheChannel) {
    Ts2SimRun client(kTwoChannelScenario);
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(client.WaitForLog("hold"));
    win32::Win32TsRemoteApi api;
    TeamSpeakLink link(api);
    ASSERT_FALSE(HasChannel(link, "EDDF_TWR"));

    HWND main = FindWindowA("TMainForm", nullptr);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, 12, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA("TfrmCreateChannel", nullptr)) != nullptr; }));

    HWND button = FindWindowExA(dialog, nullptr, "TButton", "Create Channel");
    HWND group = FindWindowExA(dialog, nullptr, "TGroupBox", nullptr);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(group, nullptr);
    HWND nameField = TopMostLabeledEdit(group);
    ASSERT_NE(nameField, nullptr);
    EXPECT_NE(nameField, GetWindow(group, GW_CHILD)) << "the name field should not be the first child";
    int labeledEdits = 0;
    for (HWND child = GetWindow(group, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[50] = {};
        GetClassNameA(child, name, sizeof name);
        labeledEdits += std::string(name) == "TLabeledEdit" ? 1 : 0;
    }
    EXPECT_GE(labeledEdits, 2);

    SendMessageA(nameField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("EDDF_TWR"));
    PostMessageA(button, BM_CLICK, 0, 0);

    ASSERT_TRUE(client.WaitForLog("channel created: EDDF_TWR (id 3)")) << ::testing::PrintToString(client.LogLines());
    EXPECT_TRUE(HasChannel(link, "EDDF_TWR"));
    EXPECT_TRUE(WaitUntil([] { return FindWindowA("TfrmCreateChannel", nullptr) == nullptr; }));
    // The creator is moved into his new channel.
    ASSERT_TRUE(link.GetPlayers());
    ASSERT_FALSE(link.Players().empty());
    EXPECT_EQ(link.Players().front().channelId, 3);
}

void TapKey(BYTE key) {
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)), 0, 0);
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
}

TEST(Ts2Sim, WithoutCommand12TheMenuKeysOpenTheDialogWithTheNameFocused) {
    Ts2SimRun client(kTwoChannelScenario, "--no-command-12");
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(client.WaitForLog("hold"));
    HWND main = client.MainWindow();

    PostMessageA(main, WM_COMMAND, 12, 0);
    ASSERT_TRUE(client.WaitForLog("command 12 ignored"));
    EXPECT_EQ(FindWindowA("TfrmCreateChannel", nullptr), nullptr);

    SetForegroundWindow(main);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
    TapKey(VK_MENU);
    TapKey('C');
    TapKey('C');
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA("TfrmCreateChannel", nullptr)) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));

    for (const char c : "EDDF_TWR"s) {
        const SHORT scan = VkKeyScanA(c);
        const bool shift = (scan & 0x100) != 0;
        if (shift) {
            keybd_event(VK_SHIFT, 0, 0, 0);
        }
        TapKey(static_cast<BYTE>(scan & 0xFF));
        if (shift) {
            keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
        }
    }
    TapKey(VK_RETURN);

    ASSERT_TRUE(client.WaitForLog("channel created: EDDF_TWR"));
    win32::Win32TsRemoteApi api;
    TeamSpeakLink link(api);
    EXPECT_TRUE(HasChannel(link, "EDDF_TWR"));
}

}  // namespace
}  // namespace sayvane::e2e
