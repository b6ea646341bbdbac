// The switch between the three voice clients: readings, requests and the status line go to the
// one chosen, a client left leaves no connection open, and a reading never passes for another
// client's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LinkFixture.h"
#include "sim/SimulatedLoopbackSocket.h"
#include "sim/SimulatedTsRemote.h"
#include "sim/Ts3QueryClient.h"
#include "sim/Ts5RemoteClient.h"
#include "sim/VirtualClock.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/VoiceClientSwitch.h"

namespace sayvane {
namespace {

using testing::Frankfurt;

struct ThreeClients : ::testing::Test {
    ThreeClients() {
        teamSpeak3.Server() = Frankfurt();
        teamSpeak5.Server() = Frankfurt();
    }
    // Lets the clients talk until the status line reads `wanted`.
    bool Until(const std::string& wanted) {
        for (int i = 0; i < 300 && Line() != wanted; ++i) {
            clock.Advance(100);
            teamSpeak3.Update();
            teamSpeak5.Update();
        }
        return Line() == wanted;
    }
    std::string Line() { return voice.StatusLine("C:\\Sayvane\\"); }
    std::vector<std::string> ChannelNames() const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < voice.ChannelCount(); ++i) {
            names.emplace_back(voice.ChannelName(i));
        }
        return names;
    }

    sim::VirtualClock clock;
    sim::SimulatedTsRemote library{Frankfurt()};
    TeamSpeakLink teamSpeak2{library};
    sim::Ts3QueryClient teamSpeak3;
    sim::SimulatedLoopbackSocket querySocket{teamSpeak3};
    query::QueryLink queryLink{querySocket, clock};
    sim::Ts5RemoteClient teamSpeak5{&clock};
    sim::SimulatedLoopbackSocket remoteSocket{teamSpeak5, sim::kTs5DefaultPort};
    remote::RemoteLink remoteLink{remoteSocket, clock};
    VoiceClientSwitch voice{teamSpeak2, queryLink, remoteLink};
    const std::string key{sim::kTs3DefaultApiKey};
};

TEST_F(ThreeClients, TheChosenClientAnswersAndTheStatusLineSaysWhatItsLinkSees) {
    EXPECT_EQ(Line(), "TeamSpeak 2 is connected (as EDDF_APP)");
    library.Server().connected = false;
    EXPECT_EQ(Line(), "TeamSpeak 2 runs, without a server connection");
    library.Server().clientRunning = false;
    EXPECT_EQ(Line(), "TeamSpeak 2 is not running");
    library.SetAbsent(true);
    EXPECT_EQ(Line(), "TSRemote.dll not found: Sayvane looked in C:\\Sayvane\\ and on the system path");

    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, "WRONG", 25640, "", 5899});
    EXPECT_EQ(Line(), "TeamSpeak 3 is not running, or its ClientQuery plugin is off (nothing answers on port 25640)");
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, "WRONG", query::kDefaultQueryPort, "", 5899});
    EXPECT_TRUE(Until("TeamSpeak 3 refused the API key: copy it again from ClientQuery's settings"));
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, key, query::kDefaultQueryPort, "", 5899});
    EXPECT_TRUE(Until("TeamSpeak 3 is connected to IVAO DE Voice"));
    EXPECT_EQ(voice.WayToMakeChannels(), VoicePort::ChannelWay::Request);
    teamSpeak3.Server().connected = false;
    EXPECT_TRUE(Until("TeamSpeak 3 runs, without a server connection"));

    VoiceSettings remote{VoiceClient::TeamSpeak5, key, query::kDefaultQueryPort, "", 5900};
    voice.Choose(remote);
    EXPECT_FALSE(teamSpeak3.IsOpen()) << "the client left behind";
    EXPECT_EQ(voice.WayToMakeChannels(), VoicePort::ChannelWay::None);
    EXPECT_EQ(Line(), "TeamSpeak 5/6 is not running (nothing answers on port 5900)");
    remote.remotePort = remote::kDefaultRemotePort;
    teamSpeak5.SetConfirm(sim::Ts5RemoteClient::Confirm::NeverAnswer);
    voice.Choose(remote);
    EXPECT_TRUE(Until("Waiting for you to allow Sayvane in TeamSpeak"));
    teamSpeak5.SetConfirm(sim::Ts5RemoteClient::Confirm::Allow);
    EXPECT_TRUE(Until("TeamSpeak 5/6 is connected to IVAO DE Voice"));
    EXPECT_EQ(voice.Choose(remote).remoteKey, teamSpeak5.LastIssuedKey()) << "the settings that still hold none";
    EXPECT_EQ(Line(), "TeamSpeak 5/6 is connected to IVAO DE Voice") << "...change nothing";
    teamSpeak5.Server().connected = false;
    EXPECT_TRUE(Until("TeamSpeak 5/6 runs, without a server connection"));
    teamSpeak5.Faults().refuseHandshake = true;
    remoteLink.Stop();
    EXPECT_TRUE(
        Until("What answers on port 5899 is not TeamSpeak's Remote Apps: the server answered: HTTP/1.1 403 Forbidden"));
    teamSpeak5.Faults().refuseHandshake = false;
    teamSpeak5.SetConfirm(sim::Ts5RemoteClient::Confirm::Decline);
    remoteLink.ForgetKey();
    EXPECT_TRUE(Until("TeamSpeak declined Sayvane: \"Forget this key\" asks again"));

    voice.Choose(VoiceSettings{});
    EXPECT_EQ(voice.WayToMakeChannels(), VoicePort::ChannelWay::Windows);
    EXPECT_EQ(Line(), "TSRemote.dll not found: Sayvane looked in C:\\Sayvane\\ and on the system path")
        << "TeamSpeak 2's library again, which is absent";
}

// TeamSpeak 2's library cuts a name to its 30-byte field; TeamSpeak 3 and 5/6 give names whole
// (a TeamSpeak 3 channel name may have 40 characters). The lists read stay the ones of the client
// that gave them until the next reading, and a reading of another client never counts as one
// change of the list held, so that its edits are never applied to the other client's names.
TEST_F(ThreeClients, NamesAreWholeWhereTheClientGivesThemWholeAndReadingsNeverPassForAnotherClients) {
    const std::string longName = "Frankfurt Approach and Departure Radar";  // 38 characters
    library.Server().channels[1].name = longName;
    teamSpeak3.Server().channels[1].name = longName;
    teamSpeak5.Server().channels[1].name = longName;

    ASSERT_TRUE(voice.GetChannels());
    EXPECT_EQ(ChannelNames(), (std::vector<std::string>{"Lobby", longName.substr(0, 30)}));
    ASSERT_TRUE(voice.GetPlayers());
    const std::uint64_t teamSpeak2Players = voice.PlayersRevision();
    const std::uint64_t teamSpeak2Channels = voice.ChannelsRevision();

    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, key, query::kDefaultQueryPort, "", 5899});
    EXPECT_EQ(ChannelNames()[1], longName.substr(0, 30)) << "TeamSpeak 2's reading until the next one";
    ASSERT_TRUE(Until("TeamSpeak 3 is connected to IVAO DE Voice"));
    ASSERT_TRUE(voice.GetChannels());
    EXPECT_EQ(ChannelNames(), (std::vector<std::string>{"Lobby", longName}));
    ASSERT_TRUE(voice.GetPlayers());
    EXPECT_EQ(voice.PlayerName(0), "EDDF_APP") << "the own player first, as TeamSpeak 2 lists it";
    EXPECT_GE(voice.PlayersRevision(), teamSpeak2Players + 2) << "never taken for one change of TeamSpeak 2's list";
    EXPECT_GE(voice.ChannelsRevision(), teamSpeak2Channels + 2);

    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak5, "", query::kDefaultQueryPort, "", 5899});
    ASSERT_TRUE(Until("TeamSpeak 5/6 is connected to IVAO DE Voice"));
    const std::uint64_t teamSpeak3Players = voice.PlayersRevision();
    ASSERT_TRUE(voice.GetChannels());
    EXPECT_EQ(ChannelNames(), (std::vector<std::string>{"Lobby", longName}));
    ASSERT_TRUE(voice.GetPlayers());
    EXPECT_GE(voice.PlayersRevision(), teamSpeak3Players + 2);

    // Back to TeamSpeak 2, whose own list did not change meanwhile: still a new reading.
    const std::uint64_t teamSpeak5Players = voice.PlayersRevision();
    voice.Choose(VoiceSettings{});
    ASSERT_TRUE(voice.GetPlayers());
    EXPECT_GE(voice.PlayersRevision(), teamSpeak5Players + 2);
    const std::uint64_t again = voice.PlayersRevision();
    ASSERT_TRUE(voice.GetPlayers());
    EXPECT_EQ(voice.PlayersRevision(), again) << "the same list read again keeps its revision";
}

}  // namespace
}  // namespace sayvane
