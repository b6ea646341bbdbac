// Creating the position's TeamSpeak channel, on the simulated desktop: the dialog filled by
// window messages, the keystroke fallback, the four messages and the connection test.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "channel/ChannelCreation.h"
#include "sim/IvAcScene.h"
#include "sim/MessageRecorder.h"
#include "sim/SimulatedDesktop.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/VirtualClock.h"

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
using Events = std::vector<KeyEventRecord>;

constexpr ProcessId kTeamSpeakProcess = 500;
constexpr ProcessId kOtherProcess = 900;
constexpr std::uint32_t kExtended = kKeyEventExtendedKey;
constexpr char kCaption[] = "Sayvane - Create TS Channel";

MessageRecord Exclamation(const std::string& text) {
    return MessageRecord{text, kCaption, 48};
}

// A character typed with Shift, whose key then goes as an extended key with scan code 0.
Events Shifted(int virtualKey) {
    return {Down(0x10), Down(virtualKey, 0, kExtended), Up(virtualKey, 0, kExtended), Up(0x10)};
}

Events Concat(std::initializer_list<Events> parts) {
    Events all;
    for (const Events& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The fallback's keys for the callsign "AB_1": Alt tapped, "c", "c", the callsign, Enter.
const Events kFallbackKeysForAB1 = Concat({
    {Down(0x12, 0x38), Up(0x12, 0x38)},
    {Down(0x43, 0x2E), Up(0x43, 0x2E), Down(0x43, 0x2E), Up(0x43, 0x2E)},
    Shifted(0x41),
    Shifted(0x42),
    Shifted(0xBD),
    {Down(0x31, 0x02), Up(0x31, 0x02)},
    {Down(0x0D, 0x1C), Up(0x0D, 0x1C)},
});

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

class ChannelCreationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The user works in another program, which has the foreground.
        other = desktop.Add(Window("Notepad").Caption("flight plan - Notepad").Process(kOtherProcess));
        desktop.SetForeground(other);
    }

    void AddTeamSpeak() {
        teamSpeak = desktop.Add(
            Window("TMainForm").Caption("TeamSpeak 2").Process(kTeamSpeakProcess).Bounds(100, 100, 600, 400));
        desktop.Add(
            Window("TRichEditWithLinks").Text("Player:\r\nEDDF_TWR\r\n").Parent(teamSpeak).Process(kTeamSpeakProcess));
    }

    // TeamSpeak 2 and IvAc running, TeamSpeak connected.
    void AddBoth(const std::string& ivacCaption) {
        AddTeamSpeak();
        sim::AddIvAc(desktop, ivacCaption);
        host.nickname = "EDDF_TWR";
    }

    // The create-channel dialog as TeamSpeak 2 shows it: a "Cancel" and a "Create Channel"
    // button, a group box with `fields`, and a second group box with a field higher than all.
    DialogWindows AddDialog(const std::vector<Field>& fields, bool withGroupBox = true) {
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
        d.button = desktop.Add(child("TButton").Caption("Create Channel"));
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

    // TeamSpeak 2 opens the dialog when it gets command 12.
    void OpenDialogOnCommand(const std::vector<Field>& fields, bool withGroupBox = true) {
        desktop.OnMessage([=](const DesktopMessage& m) {
            if (m.delivery == sim::Delivery::Posted && m.target == teamSpeak && m.message == message::kCommand &&
                m.wParam == 12) {
                dialog = AddDialog(fields, withGroupBox);
            }
        });
    }

    ChannelCreationResult Run() { return creation.CreateTSChannel(); }

    sim::SimulatedDesktop desktop;
    sim::VirtualClock clock;
    sim::SimulatedKeyboard keyboard;
    sim::MessageRecorder messages;
    IvAcWindows ivac{desktop, clock};
    TeamSpeakWindowReader reader{desktop};
    FakeHost host;
    ChannelCreation creation{ChannelCreationServices{desktop, clock, keyboard, messages, ivac, reader, host}};

    WindowHandle other = kNoWindow;
    WindowHandle teamSpeak = kNoWindow;
    DialogWindows dialog;
};

TEST_F(ChannelCreationTest, TheCallsignGoesIntoTheDialogsTopMostNameFieldAndTheButtonIsClicked) {
    AddBoth("IvAc 1.2 - edDf_twr [Online]");
    OpenDialogOnCommand({{"TLabeledEdit", 300}, {"TLabeledEdit", 250}});
    std::string nameAtRefresh;
    host.onRefresh = [&] { nameAtRefresh = reader.TSWindowNickname(); };

    EXPECT_EQ(Run(), ChannelCreationResult::DialogFilled);

    ASSERT_EQ(dialog.fields.size(), 2u);
    EXPECT_EQ(desktop.Commands(),
              (std::vector<DesktopMessage>{PostedMessage(teamSpeak, message::kCommand, 12, 0),
                                           SentSetText(dialog.fields[1], "EDDF_TWR"),
                                           PostedMessage(dialog.button, message::kButtonClick, 0, 0)}));
    EXPECT_EQ(desktop.CurrentText(dialog.fields[0]), "");
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{25, 25}));
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(nameAtRefresh, "EDDF_TWR") << "the TeamSpeak 2 window is read before the lists";
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(keyboard.Events().empty());
    EXPECT_EQ(desktop.ForegroundWindow(), other) << "the dialog is filled without taking the focus";
}

TEST_F(ChannelCreationTest, TheNameFieldIsTheLabelledEditWithTheSmallestTopInTheFirstGroupBox) {
    struct Case {
        const char* story;
        std::vector<Field> fields;
        int chosen;
    };
    const std::vector<Case> cases = {
        {"lower one first", {{"TLabeledEdit", 300}, {"TLabeledEdit", 250}}, 1},
        {"upper one first", {{"TLabeledEdit", 250}, {"TLabeledEdit", 300}}, 0},
        {"equal tops: the first found", {{"TLabeledEdit", 250}, {"TLabeledEdit", 250}}, 0},
        {"other classes do not count",
         {{"TLabeledEdit", 400}, {"TEdit", 190}, {"tlabelededit", 195}, {"TLabeledEdit", 300}},
         3},
        {"a single field", {{"TLabeledEdit", 420}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        desktop.ClearMessages();
        AddBoth("IvAc 1.2 - LOWW_APP [Online]");
        const DialogWindows d = AddDialog(c.fields);

        EXPECT_EQ(Run(), ChannelCreationResult::DialogFilled);
        const WindowHandle chosen = d.fields[static_cast<std::size_t>(c.chosen)];
        EXPECT_EQ(desktop.Commands(),
                  (std::vector<DesktopMessage>{PostedMessage(teamSpeak, message::kCommand, 12, 0),
                                               SentSetText(chosen, "LOWW_APP"),
                                               PostedMessage(d.button, message::kButtonClick, 0, 0)}));
        desktop.Destroy(d.dialog);
        desktop.Destroy(teamSpeak);
    }
}

TEST_F(ChannelCreationTest, TheDialogIsLookedForFourTimesTwentyFiveMillisecondsApart) {
    AddBoth("IvAc 1.2 - EDDF_TWR [Online]");
    // TeamSpeak 2 is slow: the dialog shows during the third pause after the command.
    clock.OnSleep([&] {
        if (clock.Sleeps().size() == 3 && dialog.dialog == kNoWindow) {
            dialog = AddDialog({{"TLabeledEdit", 300}});
        }
    });

    EXPECT_EQ(Run(), ChannelCreationResult::DialogFilled);
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{25, 25, 25, 25})) << "the post, two looks in vain, the name";
    EXPECT_EQ(desktop.CurrentText(dialog.fields[0]), "EDDF_TWR");
    EXPECT_TRUE(keyboard.Events().empty());
}

TEST_F(ChannelCreationTest, WithoutDialogTeamSpeakIsBroughtForwardAndDrivenFromItsMenu) {
    AddBoth("IvAc 1.2 - ab_1 [Online]");
    // Every key must reach TeamSpeak 2.
    std::vector<ProcessId> foregroundAtKey;
    keyboard.OnKeyEvent([&](const KeyEventRecord&) { foregroundAtKey.push_back(desktop.ForegroundProcess()); });

    EXPECT_EQ(Run(), ChannelCreationResult::KeysTyped);

    EXPECT_EQ(keyboard.Events(), kFallbackKeysForAB1);
    EXPECT_EQ(foregroundAtKey, std::vector<ProcessId>(kFallbackKeysForAB1.size(), kTeamSpeakProcess));
    EXPECT_EQ(desktop.ForegroundWindow(), teamSpeak);
    EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{PostedMessage(teamSpeak, message::kCommand, 12, 0)}));
    // The post, four looks, Alt, "c", "c", 10 ms per character of "AB_1", the callsign, the return.
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{25, 25, 25, 25, 25, 25, 25, 50, 10, 10, 10, 10, 25, 10}));
    // Messages run while climbing to TeamSpeak's top window and after every character typed.
    EXPECT_EQ(clock.YieldCount(), 1 + 4 + 1);
    EXPECT_TRUE(keyboard.HeldKeys().empty());
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ChannelCreationTest, ADialogThatCannotBeFilledLeadsToTheKeystrokes) {
    struct Case {
        const char* story;
        std::vector<Field> fields;
        bool groupBox;
    };
    const std::vector<Case> cases = {
        {"no group box", {}, false},
        {"no labelled edit in the first group box", {{"TEdit", 250}, {"TLabel", 230}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        desktop.ClearMessages();
        keyboard.ClearEvents();
        AddBoth("IvAc 1.2 - AB_1 [Online]");
        OpenDialogOnCommand(c.fields, c.groupBox);

        EXPECT_EQ(Run(), ChannelCreationResult::KeysTyped);
        EXPECT_NE(dialog.dialog, kNoWindow);
        EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{PostedMessage(teamSpeak, message::kCommand, 12, 0)}))
            << "no text set, no button clicked";
        EXPECT_EQ(keyboard.Events(), kFallbackKeysForAB1);
        desktop.Destroy(teamSpeak);
        desktop.SetForeground(other);
    }
}

TEST_F(ChannelCreationTest, ADialogWithoutButtonIsFilledAndNothingIsTyped) {
    AddBoth("IvAc 1.2 - EDDF_TWR [Online]");
    desktop.OnMessage([&](const DesktopMessage& m) {
        if (m.message == message::kCommand && dialog.dialog == kNoWindow) {
            dialog = AddDialog({{"TLabeledEdit", 300}});
            desktop.Destroy(dialog.button);
        }
    });

    EXPECT_EQ(Run(), ChannelCreationResult::DialogFilled);
    EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{PostedMessage(teamSpeak, message::kCommand, 12, 0),
                                                               SentSetText(dialog.fields[0], "EDDF_TWR")}));
    EXPECT_TRUE(keyboard.Events().empty());
}

TEST_F(ChannelCreationTest, EachMessageStopsTheRunInItsOrder) {
    struct Case {
        const char* story;
        bool teamSpeak;
        const char* ivacCaption;  // nullptr: IvAc not running
        const char* nickname;
        std::size_t channels;
        ChannelCreationResult result;
        const char* message;
    };
    const char* const noCallsign =
        "Unable to find IvAc callsign position.\r\n\nCheck if IvAc is connected to the IVAO Network";
    const Case cases[] = {
        {"no TeamSpeak 2", false, "IvAc 1.2 - EDDF_TWR [Online]", "EDDF_TWR", 5, ChannelCreationResult::NoTeamSpeak,
         "Unable to find a running instance of TeamSpeak 2"},
        {"no IvAc", true, nullptr, "EDDF_TWR", 5, ChannelCreationResult::NoIvAc,
         "Unable to find a running instance of IvAc 1.xx"},
        {"IvAc 2 is no IvAc 1", true, "IvAc 2.0 - EDDF_TWR [Online]", "EDDF_TWR", 5, ChannelCreationResult::NoIvAc,
         "Unable to find a running instance of IvAc 1.xx"},
        {"not connected", true, "IvAc 1.2 - EDDF_TWR [Online]", "", 1, ChannelCreationResult::NotConnected,
         "Check if TeamSpeak is connected to the IVAO Network"},
        {"not connected and no callsign", true, "IvAc 1.2 [Offline]", "", 0, ChannelCreationResult::NotConnected,
         "Check if TeamSpeak is connected to the IVAO Network"},
        {"no callsign", true, "IvAc 1.2 - ", "EDDF_TWR", 5, ChannelCreationResult::NoCallsign, noCallsign},
        {"no dash before the bracket", true, "IvAc 1.2 [x] - abc", "", 2, ChannelCreationResult::NoCallsign,
         noCallsign},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        sim::SimulatedDesktop scene;
        sim::VirtualClock time;
        sim::SimulatedKeyboard keys;
        sim::MessageRecorder boxes;
        IvAcWindows search(scene, time);
        TeamSpeakWindowReader window(scene);
        FakeHost lists;
        lists.nickname = c.nickname;
        lists.channels = c.channels;
        if (c.teamSpeak) {
            scene.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(kTeamSpeakProcess));
        }
        if (c.ivacCaption != nullptr) {
            sim::AddIvAc(scene, c.ivacCaption);
        }
        // A radar found earlier and gone since: a new search would forget it.
        const WindowHandle gone = scene.Add(Window("IvAcMain").Caption("IvAc 1.2 - OLD_TWR [x]"));
        search.FindIvAcWindow();
        scene.Destroy(gone);

        ChannelCreation run(ChannelCreationServices{scene, time, keys, boxes, search, window, lists});
        EXPECT_EQ(run.CreateTSChannel(), c.result);

        EXPECT_EQ(boxes.Messages(), std::vector<MessageRecord>{Exclamation(c.message)});
        EXPECT_TRUE(scene.Commands().empty());
        EXPECT_TRUE(time.Sleeps().empty());
        EXPECT_TRUE(keys.Events().empty());
        const bool pastTheSearches =
            c.result == ChannelCreationResult::NotConnected || c.result == ChannelCreationResult::NoCallsign;
        EXPECT_EQ(lists.refreshes, pastTheSearches ? 1 : 0);
        if (c.result == ChannelCreationResult::NoTeamSpeak) {
            EXPECT_EQ(search.hWndIvAc(), gone) << "IvAc is not searched";
        }
    }
}

TEST_F(ChannelCreationTest, ConnectedMeansAnOwnNicknameOrTwoChannelsAfterTheRefresh) {
    struct Case {
        const char* nickname;
        std::size_t channels;
        bool connected;
    };
    const Case cases[] = {
        {"", 0, false}, {"", 1, false}, {"", 2, true}, {"", 40, true}, {"EDDF_TWR", 0, true}, {"X", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "nickname \"" << c.nickname << "\", " << c.channels << " channels");
        sim::SimulatedDesktop scene;
        sim::VirtualClock time;
        sim::SimulatedKeyboard keys;
        sim::MessageRecorder boxes;
        IvAcWindows search(scene, time);
        TeamSpeakWindowReader window(scene);
        FakeHost lists;
        scene.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(kTeamSpeakProcess).Hidden());
        sim::AddIvAc(scene, "IvAc 1.2 - EDDF_TWR [Online]");
        // The values are the ones the refresh leaves.
        lists.nickname = "before the refresh";
        lists.channels = 7;
        lists.onRefresh = [&] {
            lists.nickname = c.nickname;
            lists.channels = c.channels;
        };

        ChannelCreation run(ChannelCreationServices{scene, time, keys, boxes, search, window, lists});
        const ChannelCreationResult result = run.CreateTSChannel();
        if (c.connected) {
            EXPECT_TRUE(boxes.Messages().empty());
            EXPECT_EQ(result, ChannelCreationResult::NotInForeground) << "on to the dialog and the fallback";
            EXPECT_FALSE(scene.Commands().empty());
        } else {
            EXPECT_EQ(result, ChannelCreationResult::NotConnected);
            EXPECT_EQ(boxes.Messages(),
                      std::vector<MessageRecord>{Exclamation("Check if TeamSpeak is connected to the IVAO Network")});
        }
    }
}

TEST_F(ChannelCreationTest, AFailedChannelCallLeavesTheLastSnapshotToDecide) {
    AddBoth("IvAc 1.2 - EDDF_TWR [Online]");
    OpenDialogOnCommand({{"TLabeledEdit", 300}});
    host.nickname.clear();
    host.channels = 3;       // from the last channel call that worked
    host.onRefresh = [] {};  // this one fails: the snapshot stays
    EXPECT_EQ(Run(), ChannelCreationResult::DialogFilled);
    EXPECT_TRUE(messages.Messages().empty());

    // A call that works and finds only the lobby decides the other way.
    host.onRefresh = [&] { host.channels = 1; };
    EXPECT_EQ(Run(), ChannelCreationResult::NotConnected);
    EXPECT_EQ(messages.Messages(),
              std::vector<MessageRecord>{Exclamation("Check if TeamSpeak is connected to the IVAO Network")});
}

TEST_F(ChannelCreationTest, NothingIsTypedUnlessTeamSpeakHasTheForeground) {
    AddBoth("IvAc 1.2 - EDDF_TWR [Online]");
    // A minimised-to-tray TeamSpeak 2: its only window is hidden, so activating it gives
    // nothing the foreground.
    desktop.Destroy(teamSpeak);
    teamSpeak = desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(kTeamSpeakProcess).Hidden());

    EXPECT_EQ(Run(), ChannelCreationResult::NotInForeground);
    EXPECT_TRUE(keyboard.Events().empty()) << "the keys would have gone to the other program";
    EXPECT_EQ(desktop.ForegroundWindow(), other);
    EXPECT_TRUE(messages.Messages().empty()) << "it stops quietly";

    // A window without process tells no process to activate.
    desktop.Destroy(teamSpeak);
    teamSpeak = desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(0));
    EXPECT_EQ(Run(), ChannelCreationResult::NoProcess);
    EXPECT_TRUE(keyboard.Events().empty());
    EXPECT_EQ(desktop.ForegroundWindow(), other);
}

TEST_F(ChannelCreationTest, TheProcessIsFoundFromTheTopMostOwnerOfTheMainWindow) {
    // A Delphi program: the main form is a pop-up owned by the hidden application window.
    const WindowHandle application = desktop.Add(
        Window("TApplication").Caption("TeamSpeak 2").Process(kTeamSpeakProcess).Hidden().Bounds(0, 0, 0, 0));
    teamSpeak = desktop.Add(Window("TMainForm")
                                .Caption("TeamSpeak 2")
                                .Owner(application)
                                .Process(kTeamSpeakProcess)
                                .Bounds(100, 100, 600, 400));
    sim::AddIvAc(desktop, "IvAc 1.2 - AB_1 [Online]");
    host.nickname = "AB_1";

    EXPECT_EQ(Run(), ChannelCreationResult::KeysTyped);
    EXPECT_EQ(desktop.ForegroundWindow(), teamSpeak) << "the visible main form, not the hidden application window";
    EXPECT_EQ(keyboard.Events(), kFallbackKeysForAB1);
}

}  // namespace
}  // namespace sayvane
