// The TeamSpeak window reader on the real window system, against the simulated voice client
// in a process of its own: the "Player:" pane gives the own nickname, only while connected.
#include <gtest/gtest.h>

#include "harness/SayvaneRun.h"
#include "harness/Ts2SimRun.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "win32/Win32Desktop.h"

namespace sayvane::e2e {
namespace {

TEST(Ts2SimWindowReader, ReadsTheOwnNicknameFromThePlayerPane) {
    Ts2SimRun client(
        "0 server \"IVAO Test\"\n0 nickname EDDF_TWR\n0 channel 1 Lobby flags=32\n0 join EDDF_TWR channel=1\n"
        "1000 disconnect\n2000 nickname LOWW_APP\n2000 connect\n",
        "--hold");
    ASSERT_TRUE(client.Start());
    win32::Win32Desktop desktop;
    TeamSpeakWindowReader reader(desktop);

    client.Step();
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR");

    client.Step();  // disconnected: no "Player:" in any pane, so the name read last stays
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR");

    client.Step();  // back, under another name
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "LOWW_APP");

    ASSERT_TRUE(client.Close());
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "LOWW_APP") << "kept after the client closed";
}

}  // namespace
}  // namespace sayvane::e2e
