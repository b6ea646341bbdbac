// What the simulated desktop offers beyond the Desktop contract: its message log, scenes
// that react to messages, removal of windows and activation of a process.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "sim/SimulatedDesktop.h"

namespace sayvane::sim {
namespace {

TEST(SimulatedDesktop, LogsEveryMessageAndLetsTheSceneAnswerIt) {
    SimulatedDesktop desktop;
    const WindowHandle main = desktop.Add(Window("TMainForm").Caption("TeamSpeak 2"));
    WindowHandle dialog = kNoWindow;
    desktop.OnMessage([&](const DesktopMessage& m) {
        if (m.target == main && m.message == message::kCommand && m.wParam == 12) {
            dialog = desktop.Add(Window("TfrmCreateChannel").Caption("Create Channel").Owner(main));
        }
    });

    EXPECT_TRUE(desktop.Post(main, message::kCommand, 12, 0));
    ASSERT_NE(dialog, kNoWindow);
    EXPECT_EQ(desktop.FindTopLevelWindow("TfrmCreateChannel", std::nullopt), dialog);
    const WindowHandle edit = desktop.Add(Window("TLabeledEdit").Parent(dialog).Caption("label").Text("old"));
    desktop.SendSetText(edit, "EDDF_TWR");
    EXPECT_EQ(desktop.CurrentText(edit), "EDDF_TWR");
    EXPECT_EQ(desktop.Caption(edit, 256), "label") << "a control's own text is not its caption";
    EXPECT_EQ(desktop.TextLength(edit), 8);
    EXPECT_TRUE(desktop.Post(edit, message::kButtonClick, 0, 0));
    EXPECT_FALSE(desktop.Post(kNoWindow, message::kKeyDown, kVirtualKeyReturn, 1)) << "nobody saw it: not logged";

    const std::vector<DesktopMessage> everything{
        PostedMessage(main, message::kCommand, 12, 0),
        SentSetText(edit, "EDDF_TWR"),
        DesktopMessage{Delivery::Sent, edit, message::kGetTextLength, 0, 0, ""},
        PostedMessage(edit, message::kButtonClick, 0, 0),
    };
    EXPECT_EQ(desktop.Messages(), everything);
    const std::vector<DesktopMessage> commands{everything[0], everything[1], everything[3]};
    EXPECT_EQ(desktop.Commands(), commands);
    desktop.ClearMessages();
    EXPECT_TRUE(desktop.Messages().empty());
}

TEST(SimulatedDesktop, DestroyingAWindowTakesItsChildrenAndOwnedWindows) {
    SimulatedDesktop desktop;
    const WindowHandle radar = desktop.Add(Window("IvAcMain").Caption("IvAc 1.2"));
    const WindowHandle box = desktop.Add(Window("#32770").Caption("COMMBox").Owner(radar));
    const WindowHandle edit = desktop.Add(Window("Edit").Parent(box));
    const WindowHandle other = desktop.Add(Window("Notepad").Caption("notes"));
    desktop.SetForeground(box);

    desktop.Destroy(radar);
    EXPECT_FALSE(desktop.Exists(radar));
    EXPECT_FALSE(desktop.Exists(box));
    EXPECT_FALSE(desktop.Exists(edit));
    EXPECT_EQ(desktop.TopLevelWindows(), std::vector<WindowHandle>{other});
    EXPECT_EQ(desktop.ForegroundWindow(), kNoWindow);
    EXPECT_EQ(desktop.ForegroundProcess(), 0u);
    EXPECT_THROW(desktop.Add(Window("Edit").Parent(box)), std::invalid_argument);
}

TEST(SimulatedDesktop, ActivatingAProcessRaisesItsMainWindow) {
    SimulatedDesktop desktop;
    const WindowHandle main = desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(20));
    desktop.Add(Window("TApplication").Caption("TeamSpeak 2").Process(20).Hidden());
    desktop.Add(Window("TfrmAbout").Caption("About").Owner(main).Process(20));
    const WindowHandle notes = desktop.Add(Window("Notepad").Caption("notes").Process(30));
    desktop.SetForeground(notes);

    EXPECT_TRUE(desktop.ActivateProcess(20));
    EXPECT_EQ(desktop.ForegroundWindow(), main) << "visible, without owner";
    EXPECT_EQ(desktop.ForegroundProcess(), 20u);
    EXPECT_EQ(desktop.TopLevelWindows().front(), main);

    EXPECT_FALSE(desktop.ActivateProcess(99));
    EXPECT_FALSE(desktop.ActivateProcess(0));
    EXPECT_EQ(desktop.ForegroundWindow(), main) << "a failed activation changes nothing";
}

}  // namespace
}  // namespace sayvane::sim
