// Creating the position's TeamSpeak channel, on the simulated desktop: the dialog filled by
// window messages, the keystroke fallback, the four messages and the connection test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "channel/ChannelCreation.h"
#include "sim/IvAcScene.h"
#include "sim/OverlayRig.h"
#include "sim/Ts3QueryClient.h"

namespace sayvane {
namespace {

using sim::DesktopMessage;
using sim::Down;
using sim::KeyEventRecord;
using sim::MessageRecord;
using sim::PostedMessage;
using sim::SentSetText;
using sim::Up;
using sim::Window;

constexpr ProcessId kTeamSpeakProcess = 500;
constexpr std::uint32_t kExtended = kKeyEventExtendedKey;

// The fallback's keys for the callsign "AB_1". A character typed with Shift goes as an
// extended key with scan code 0.
const std::vector<KeyEventRecord> kFallbackKeysForAB1 = {
    Down(0x12, 0x38), Up(0x12, 0x38),                                                     // Alt tapped
    Down(0x43, 0x2E), Up(0x43, 0x2E),           Down(0x43, 0x2E),       Up(0x43, 0x2E),   // "c", "c"
    Down(0x10),       Down(0x41, 0, kExtended), Up(0x41, 0, kExtended), Up(0x10),         // "A"
    Down(0x10),       Down(0x42, 0, kExtended), Up(0x42, 0, kExtended), Up(0x10),         // "B"
    Down(0x10),       Down(0xBD, 0, kExtended), Up(0xBD, 0, kExtended), Up(0x10),         // "_"
    Down(0x31, 0x02), Up(0x31, 0x02),           Down(0x0D, 0x1C),       Up(0x0D, 0x1C)};  // "1", Enter

class FakeHost final : public ChannelCreationHost {
public:
    void RefreshLists() override {
        ++refreshes;
        if (onRefresh) {
            onRefresh();
        }
    }
    std::string OwnNickname() override { return nickname; }
    std::size_t ChannelSnapshotSize() override { return channels; }

    std::string nickname;
    std::size_t channels = 0;
    int refreshes = 0;
    std::function<void()> onRefresh;
};

// A child of the create-channel dialog's group box: its class and its top edge on the screen.
struct Field {
    const char* windowClass;
    int top;
};

struct DialogWindows {
    WindowHandle dialog = kNoWindow;
    WindowHandle button = kNoWindow;
    std::vector<WindowHandle> fields;  // the first group box's children, in window order
};

// One run on the simulated platform's services, on a desktop where another program has the
// foreground.
struct Rig : sim::OverlayRig {
    Rig() { desktop.SetForeground(other); }

    // TeamSpeak 2, connected, with the player's name in its main window, and IvAc with this
    // caption. The main window is a Delphi program's: a pop-up owned by the hidden application
    // window.
    void AddBoth(const std::string& ivacCaption) {
        const WindowHandle application = desktop.Add(
            Window("TApplication").Caption("TeamSpeak 2").Process(kTeamSpeakProcess).Hidden().Bounds(0, 0, 0, 0));
        teamSpeak = desktop.Add(Window("TMainForm")
                                    .Caption("TeamSpeak 2")
                                    .Owner(application)
                                    .Process(kTeamSpeakProcess)
                                    .Bounds(100, 100, 600, 400));
        desktop.Add(
            Window("TRichEditWithLinks").Text("Player:\r\nEDDF_TWR\r\n").Parent(teamSpeak).Process(kTeamSpeakProcess));
        sim::AddIvAc(desktop, ivacCaption);
        host.nickname = "EDDF_TWR";
    }

    // The create-channel dialog as TeamSpeak 2 shows it: a "Cancel" and a "Create Channel"
    // button, a group box with `fields`, and a second group box with a field higher than all.
    DialogWindows AddDialog(const std::vector<Field>& fields, bool withGroupBox, bool withButton) {
        DialogWindows d;
        d.dialog = desktop.Add(Window("TfrmCreateChannel")
                                   .Caption("Create Channel")
                                   .Owner(teamSpeak)
                                   .Process(kTeamSpeakProcess)
                                   .Bounds(200, 150, 400, 360));
        const auto child = [&](const char* windowClass) {
            return Window(windowClass).Parent(d.dialog).Process(kTeamSpeakProcess);
        };
        desktop.Add(child("TButton").Caption("Cancel"));
        if (withButton) {
            d.button = desktop.Add(child("TButton").Caption("Create Channel"));
        }
        if (withGroupBox) {
            const WindowHandle group = desktop.Add(child("TGroupBox").Caption("Channel").Bounds(210, 180, 380, 250));
            for (const Field& field : fields) {
                d.fields.push_back(desktop.Add(Window(field.windowClass)
                                                   .Text("")
                                                   .Parent(group)
                                                   .Process(kTeamSpeakProcess)
                                                   .Bounds(220, field.top, 200, 21)));
            }
            // Neither a field inside a panel of the group box nor one in the second group box.
            const WindowHandle panel = desktop.Add(Window("TPanel").Parent(group).Bounds(220, 160, 300, 60));
            desktop.Add(Window("TLabeledEdit").Text("").Parent(panel).Bounds(220, 160, 200, 21));
            const WindowHandle second = desktop.Add(child("TGroupBox").Caption("Options").Bounds(210, 100, 380, 60));
            desktop.Add(Window("TLabeledEdit").Text("").Parent(second).Bounds(220, 110, 200, 21));
        }
        return d;
    }

    FakeHost host;
    sim::SimulatedTsRemote library;
    TeamSpeakLink teamSpeak2{library};
    ChannelCreation creation{
        ChannelCreationServices{desktop, clock, keyboard, messages, ivac, reader, host, teamSpeak2}};

    const WindowHandle other = desktop.Add(Window("Notepad").Caption("flight plan - Notepad").Process(900));
    WindowHandle teamSpeak = kNoWindow;
    DialogWindows dialog;
};

TEST(ChannelCreation, TheCallsignGoesIntoTheTopMostNameFieldOfTheDialogsFirstGroupBox) {
    struct Case {
        const char* story;
        std::vector<Field> fields;
        int chosen;  // the field that gets the name; -1: none fits, the keystrokes follow
        bool groupBox = true;
        bool button = true;
        // The dialog shows during this pause: 1 is the one after the command, 99 never.
        std::size_t shownAtPause = 1;
    };
    const std::vector<Case> cases = {
        {"lower one first", {{"TLabeledEdit", 300}, {"TLabeledEdit", 250}}, 1},
        {"upper one first", {{"TLabeledEdit", 250}, {"TLabeledEdit", 300}}, 0},
        {"equal tops: the first found", {{"TLabeledEdit", 250}, {"TLabeledEdit", 250}}, 0},
        {"other classes do not count",
         {{"TLabeledEdit", 400}, {"TEdit", 190}, {"tlabelededit", 195}, {"TLabeledEdit", 300}},
         3},
        {"without button: filled, nothing clicked", {{"TLabeledEdit", 420}}, 0, true, false},
        {"no labelled edit in the first group box", {{"TEdit", 250}, {"TLabel", 230}}, -1},
        {"no group box", {}, -1, false},
        // It is looked for four times, 25 ms apart.
        {"shown during the third pause: two looks in vain", {{"TLabeledEdit", 300}}, 0, true, true, 3},
        {"shown after the fourth look: too late", {{"TLabeledEdit", 300}}, -1, true, true, 5},
        {"command 12 ignored: no dialog at all", {}, -1, true, true, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        Rig rig;
        rig.AddBoth("IvAc 1.2 - ab_1 [Online]");
        rig.clock.OnSleep([&] {
            if (rig.clock.Sleeps().size() == c.shownAtPause && rig.dialog.dialog == kNoWindow) {
                rig.dialog = rig.AddDialog(c.fields, c.groupBox, c.button);
            }
        });
        std::string nameAtRefresh;
        rig.host.onRefresh = [&] { nameAtRefresh = rig.reader.TSWindowNickname(); };
        // Every key must reach TeamSpeak 2.
        std::vector<ProcessId> foregroundAtKey;
        rig.keyboard.OnKeyEvent(
            [&](const KeyEventRecord&) { foregroundAtKey.push_back(rig.desktop.ForegroundProcess()); });

        const ChannelCreationResult result = rig.creation.CreateTSChannel();

        EXPECT_EQ(nameAtRefresh, "EDDF_TWR") << "the TeamSpeak 2 window is read before the lists";
        EXPECT_EQ(rig.host.refreshes, 1);
        EXPECT_TRUE(rig.messages.Messages().empty());
        EXPECT_TRUE(rig.keyboard.HeldKeys().empty());
        std::vector<DesktopMessage> expected{PostedMessage(rig.teamSpeak, message::kCommand, 12, 0)};
        // The post, and a pause after each of the four looks made in vain.
        std::vector<int> sleeps(1 + std::min<std::size_t>(c.shownAtPause - 1, 4), 25);
        if (c.chosen < 0) {
            EXPECT_EQ(result, ChannelCreationResult::KeysTyped);
            EXPECT_EQ(rig.keyboard.Events(), kFallbackKeysForAB1);
            EXPECT_EQ(foregroundAtKey, std::vector<ProcessId>(kFallbackKeysForAB1.size(), kTeamSpeakProcess));
            if (rig.dialog.dialog == kNoWindow) {
                EXPECT_EQ(rig.desktop.ForegroundWindow(), rig.teamSpeak)
                    << "the visible main form, not the hidden application window at the top of the owners";
            }
            // Alt, "c", "c", 10 ms per character of "AB_1", the callsign, the return.
            sleeps.insert(sleeps.end(), {25, 25, 50, 10, 10, 10, 10, 25, 10});
        } else {
            ASSERT_NE(rig.dialog.dialog, kNoWindow);
            EXPECT_EQ(result, ChannelCreationResult::DialogFilled);
            expected.push_back(SentSetText(rig.dialog.fields[static_cast<std::size_t>(c.chosen)], "AB_1"));
            if (c.button) {
                expected.push_back(PostedMessage(rig.dialog.button, message::kButtonClick, 0, 0));
            }
            sleeps.push_back(25);  // after the name
            EXPECT_TRUE(rig.keyboard.Events().empty());
            EXPECT_EQ(rig.desktop.ForegroundWindow(), rig.other) << "the dialog is filled without taking the focus";
        }
        EXPECT_EQ(rig.clock.Sleeps(), sleeps);
        EXPECT_EQ(rig.desktop.Commands(), expected) << "no text set, no button clicked but these";
    }
}

// Which window is IvAc and which callsign its caption gives is told by IvAcWindowsTest.
TEST(ChannelCreation, EachMessageStopsTheRunInItsOrderAndTheRefreshDecidesTheConnection) {
    using R = ChannelCreationResult;
    struct Case {
        const char* story;
        std::optional<ProcessId> teamSpeak;  // a hidden main window of this process; none: not running
        const char* ivacCaption;             // nullptr: IvAc not running
        const char* nickname;                // what the refresh leaves
        std::size_t channels;
        R result;
        const char* message;  // nullptr: none, the run goes on to the dialog and the fallback
    };
    const ProcessId ts = kTeamSpeakProcess;
    const char* const online = "IvAc 1.2 - EDDF_TWR [Online]";
    const char* const noTeamSpeak = "Unable to find a running instance of TeamSpeak 2";
    const char* const noIvAc = "Unable to find a running instance of IvAc 1.xx";
    const char* const notConnected = "Check if TeamSpeak is connected to the IVAO Network";
    const char* const noCallsign =
        "Unable to find IvAc callsign position.\r\n\nCheck if IvAc is connected to the IVAO Network";
    const Case cases[] = {
        {"no TeamSpeak 2", std::nullopt, online, "EDDF_TWR", 5, R::NoTeamSpeak, noTeamSpeak},
        {"no IvAc", ts, nullptr, "EDDF_TWR", 5, R::NoIvAc, noIvAc},
        {"lobby only", ts, online, "", 1, R::NotConnected, notConnected},
        {"not connected and no callsign", ts, "IvAc 1.2 [Offline]", "", 0, R::NotConnected, notConnected},
        {"no callsign", ts, "IvAc 1.2 - ", "EDDF_TWR", 5, R::NoCallsign, noCallsign},
        // Connected: the own nickname, or two channels. A TeamSpeak 2 minimised to the tray
        // cannot take the foreground, so the keys would reach the other program: none is typed.
        {"two channels", ts, online, "", 2, R::NotInForeground, nullptr},
        {"own nickname", ts, online, "EDDF_TWR", 0, R::NotInForeground, nullptr},
        // A window without process tells no process to activate.
        {"TeamSpeak 2 without process", ProcessId{0}, online, "X", 1, R::NoProcess, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        Rig rig;
        rig.host.nickname = "before the refresh";
        rig.host.channels = 7;
        rig.host.onRefresh = [&] {
            rig.host.nickname = c.nickname;
            rig.host.channels = c.channels;
        };
        if (c.teamSpeak) {
            rig.desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(*c.teamSpeak).Hidden());
        }
        if (c.ivacCaption != nullptr) {
            sim::AddIvAc(rig.desktop, c.ivacCaption);
        }
        // A radar found earlier and gone since: a new search would forget it.
        const WindowHandle gone = rig.desktop.Add(Window("IvAcMain").Caption("IvAc 1.2 - OLD_TWR [x]"));
        rig.ivac.FindIvAcWindow();
        rig.desktop.Destroy(gone);

        EXPECT_EQ(rig.creation.CreateTSChannel(), c.result);

        const bool searchesFailed = c.result == R::NoTeamSpeak || c.result == R::NoIvAc;
        EXPECT_EQ(rig.host.refreshes, searchesFailed ? 0 : 1);
        EXPECT_TRUE(rig.keyboard.Events().empty());
        EXPECT_EQ(rig.desktop.ForegroundWindow(), rig.other);
        if (c.message == nullptr) {
            EXPECT_TRUE(rig.messages.Messages().empty()) << "it stops quietly";
            EXPECT_FALSE(rig.desktop.Commands().empty()) << "on to the dialog and the fallback";
            continue;
        }
        EXPECT_EQ(rig.messages.Messages(),
                  (std::vector<MessageRecord>{{c.message, "Sayvane - Create TS Channel", 48}}));
        EXPECT_TRUE(rig.desktop.Commands().empty());
        EXPECT_TRUE(rig.clock.Sleeps().empty());
        if (c.result == R::NoTeamSpeak) {
            EXPECT_EQ(rig.ivac.hWndIvAc(), gone) << "IvAc is not searched";
        }
    }
}

TEST(ChannelCreation, WithTeamSpeak3TheChannelIsAskedForAndARefusalShowsTheClientsWords) {
    Rig rig;
    sim::Ts3QueryClient& client = rig.teamSpeak3;
    sim::TsServer& server = client.Server();
    server.ownNickname = "EDDF_TWR";
    server.channels = {{1, 0, 0, 32, 0, "Lobby"}};
    server.players = {{1, 1, 0, 0, 0, "EDDF_TWR"}};
    query::QueryLink& link = rig.queryLink;
    VoiceClientSwitch& voice = rig.voice;
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, std::string(sim::kTs3DefaultApiKey), 25639, "", 5899});
    ChannelCreation creation{ChannelCreationServices{rig.desktop, rig.clock, rig.keyboard, rig.messages, rig.ivac,
                                                     rig.reader, rig.host, voice}};
    const auto talk = [&] {
        for (int i = 0; i < 100; ++i, rig.clock.Advance(100)) {
            client.Update();
            link.Pump();
        }
        voice.DeliverAnswers();
    };
    const auto lastMessage = [&] { return rig.messages.Messages().empty() ? "" : rig.messages.Messages().back().text; };
    sim::AddIvAc(rig.desktop, "IvAc 1.2 - EDDF_TWR [Online]");

    EXPECT_EQ(creation.CreateTSChannel(), ChannelCreationResult::NotConnected) << "not connected yet";
    EXPECT_EQ(lastMessage(), "Check if TeamSpeak is connected to the IVAO Network");
    talk();
    ASSERT_EQ(link.State(), query::QueryState::Connected);

    EXPECT_EQ(creation.CreateTSChannel(), ChannelCreationResult::Requested);
    talk();
    ASSERT_EQ(server.channels.size(), 2U);
    EXPECT_EQ(server.channels.back().name, "EDDF_TWR");
    EXPECT_EQ(server.FindPlayer(1)->channelId, server.channels.back().id) << "moved into it";
    EXPECT_EQ(rig.messages.Messages().size(), 1U) << "success says nothing";

    // Refusals: the name taken, then no permission.
    EXPECT_EQ(creation.CreateTSChannel(), ChannelCreationResult::Requested);
    talk();
    EXPECT_EQ(lastMessage(), "TeamSpeak 3 did not create the channel EDDF_TWR:\r\n\nchannel name is already in use");
    server.channels.pop_back();
    client.Faults().refuseChannelCreate = sim::Ts3PermissionError();
    EXPECT_EQ(creation.CreateTSChannel(), ChannelCreationResult::Requested);
    for (int i = 0; i < 100; ++i, rig.clock.Advance(100)) {
        client.Update();
        link.Pump();
    }
    EXPECT_EQ(rig.messages.Messages().size(), 2U) << "never shown from inside a library call";
    talk();
    EXPECT_EQ(lastMessage(), "TeamSpeak 3 did not create the channel EDDF_TWR:\r\n\ninsufficient client permissions");
    EXPECT_EQ(rig.messages.Messages().size(), 3U);

    // TeamSpeak 5/6 cannot be asked: nothing happens at all.
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak5, "", 25639, "", 5899});
    EXPECT_EQ(creation.CreateTSChannel(), ChannelCreationResult::NotPossible);
    EXPECT_EQ(rig.messages.Messages().size(), 3U);
    EXPECT_TRUE(rig.keyboard.Events().empty());
    EXPECT_TRUE(rig.desktop.Commands().empty()) << "nothing typed or posted into any window";
}

}  // namespace
}  // namespace sayvane
