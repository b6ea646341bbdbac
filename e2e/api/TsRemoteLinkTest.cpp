// The TeamSpeak link against the substitute TSRemote.dll, loaded as Sayvane loads it, while
// the simulated voice client plays a scenario; and the client's windows as Sayvane reads and
// drives them: the panes that name the own player, the create-channel dialog of command 12.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "harness/Ts2SimRun.h"
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

// The text of every "TRichEditWithLinks..." pane of the client's window, read with messages as
// Sayvane reads it: the window system keeps no caption for such a pane.
std::vector<std::string> PaneTexts(HWND main) {
    win32::Win32Desktop desktop;
    std::vector<std::string> texts;
    desktop.EnumerateDescendants(
        static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(main)), [&](WindowHandle w) {
            if (desktop.ClassName(w, 19) == "TRichEditWithLinks") {
                EXPECT_EQ(desktop.Caption(w, 256), "") << "panes keep their text to themselves";
                texts.push_back(ReadWindowText(desktop, w));
            }
            return true;
        });
    return texts;
}

bool NamesAPlayer(const std::string& paneText) {
    return paneText.find("Player:") != std::string::npos;
}

TEST(Ts2SimWindowReader, ReadsTheOwnNicknameFromThePlayerPaneOnlyWhileConnected) {
    Ts2SimRun client(
        "0 server \"IVAO Test\"\n0 nickname EDDF_TWR\n0 channel 1 Lobby flags=32\n0 join EDDF_TWR channel=1\n"
        "1000 disconnect\n2000 nickname LOWW_APP\n2000 connect\n",
        {"--hold"});
    ASSERT_TRUE(client.Start());
    ASSERT_EQ(FindWindowA(nullptr, "TeamSpeak 2"), client.MainWindow());
    win32::Win32Desktop desktop;
    TeamSpeakWindowReader reader(desktop);

    client.Step();
    std::vector<std::string> texts = PaneTexts(client.MainWindow());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), NamesAPlayer), 1);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Server:\r\nIVAO Test\r\nPlayer:\r\nEDDF_TWR\r\nChannel:\r\nLobby"),
              texts.end());
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR");

    client.Step();  // disconnected: no "Player:" in any pane, so the name read last stays
    texts = PaneTexts(client.MainWindow());
    EXPECT_TRUE(std::none_of(texts.begin(), texts.end(), NamesAPlayer));
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR");

    client.Step();  // back, under another name
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "LOWW_APP");

    ASSERT_TRUE(client.Close());
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "LOWW_APP") << "kept after the client closed";
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

// The "TLabeledEdit" children of a group box.
std::vector<HWND> LabeledEdits(HWND group) {
    std::vector<HWND> edits;
    for (HWND child = GetWindow(group, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[50] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "TLabeledEdit") {
            edits.push_back(child);
        }
    }
    return edits;
}

LONG Top(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.top;
}

TEST(Ts2Sim, Command12OpensTheDialogThatCreatesTheChannel) {
    Ts2SimRun client(kTwoChannelScenario);
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(client.WaitForLog("hold"));
    win32::Win32TsRemoteApi api;
    TeamSpeakLink link(api);
    ASSERT_FALSE(HasChannel(link, "EDDF_TWR"));

    PostMessageA(client.MainWindow(), WM_COMMAND, 12, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA("TfrmCreateChannel", nullptr)) != nullptr; }));

    HWND button = FindWindowExA(dialog, nullptr, "TButton", "Create Channel");
    HWND group = FindWindowExA(dialog, nullptr, "TGroupBox", nullptr);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(group, nullptr);
    // The name field as Sayvane picks it: the top-most of the labelled edits, which is not the
    // first child, so that picking the first would fail.
    const std::vector<HWND> edits = LabeledEdits(group);
    ASSERT_GE(edits.size(), 2u);
    const HWND nameField =
        *std::min_element(edits.begin(), edits.end(), [](HWND a, HWND b) { return Top(a) < Top(b); });
    EXPECT_NE(nameField, GetWindow(group, GW_CHILD)) << "the name field should not be the first child";

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

}  // namespace
}  // namespace sayvane::e2e
