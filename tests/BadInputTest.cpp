// Bad input the other tests leave out: a voice client's pane text longer than any buffer.
// docs/bad-input.md lists every bad input with its test.
#include <gtest/gtest.h>

#include <string>

#include "sim/SimulatedDesktop.h"
#include "teamspeak/TeamSpeakWindow.h"

namespace sayvane {
namespace {

TEST(BadPaneText, ALongPaneAndALongNameAreReadWhole) {
    sim::SimulatedDesktop desktop;
    const WindowHandle main = desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2"));
    const std::string name(300, 'N');
    desktop.Add(sim::Window("TRichEditWithLinks")
                    .Parent(main)
                    .Text(std::string(400, '-') + "Player:\r\n" + name + "\r\nChannel:\r\nLobby"));
    TeamSpeakWindowReader reader(desktop);
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), name);
}

}  // namespace
}  // namespace sayvane
