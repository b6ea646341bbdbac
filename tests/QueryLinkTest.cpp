// The TeamSpeak 3 link against the simulated client: the records it makes of the active
// tab, speakers from the client's notices, and how it follows the client starting, stopping,
// switching tabs, refusing the key and misbehaving.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/VoiceStatus.h"
#include "sim/SimulatedLoopbackSocket.h"
#include "sim/SimulatedTsRemote.h"
#include "sim/Ts3QueryClient.h"
#include "sim/VirtualClock.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/VoiceClientSwitch.h"
#include "teamspeak/query/QueryLink.h"

namespace sayvane::query {
namespace {

sim::TsServer Frankfurt() {
    sim::TsServer server;
    server.serverName = "IVAO DE Voice";
    server.ownNickname = "EDDF_APP";
    server.channels = {{1, 0, 0, 33, 5, "Lobby"}, {2, 0, 0, 1, 10, "Frankfurt Approach"}};
    server.players = {{2, 2, 0, 8, 0, "DLH4AB"}, {1, 2, 1, 8, 1, "EDDF_APP"}, {3, 1, 0, 8, 0, "M\xFCller"}};
    return server;
}

class QueryLinkTest : public ::testing::Test {
protected:
    QueryLinkTest() {
        client.Server() = Frankfurt();
        link.Configure(QuerySettings{std::string(sim::kTs3DefaultApiKey), kDefaultQueryPort});
    }

    // Lets the client and the link talk, 100 ms at a time, until `done` holds; false when it
    // does not within `mostMs`.
    bool Until(const std::function<bool()>& done, std::int64_t mostMs = 30000) {
        for (std::int64_t waited = 0; waited <= mostMs; waited += 100) {
            client.Update();
            link.Pump();
            if (done()) {
                return true;
            }
            clock.Advance(100);
        }
        return false;
    }
    bool UntilState(QueryState state, std::int64_t mostMs = 30000) {
        return Until([&] { return link.State() == state; }, mostMs);
    }

    std::vector<std::string> PlayerNames() {
        std::vector<std::string> names;
        if (ts.GetPlayers()) {
            for (std::size_t i = 0; i < ts.PlayerCount(); ++i) {
                names.emplace_back(ts.PlayerName(i));
            }
        }
        return names;
    }
    std::vector<std::int32_t> Speakers() {
        if (ts.GetSpeakers() != LinkStatus::Connected || ts.Speakers().size() == kMaxRecords) {
            return {};
        }
        return ts.Speakers();
    }

    sim::VirtualClock clock;
    sim::Ts3QueryClient client;
    sim::SimulatedLoopbackSocket socket{client};
    QueryLink link{socket, clock};
    TeamSpeakLink ts{link};
};

TEST_F(QueryLinkTest, TheActiveTabBecomesLibraryRecordsAndTheNoticesKeepThemCurrent) {
    socket.SetChunkSize(1);  // every line arrives split at every byte
    socket.SetSendLimit(3);
    ASSERT_TRUE(UntilState(QueryState::Connected));
    EXPECT_EQ(link.ServerName(), "IVAO DE Voice");
    // The own client first, the query client left out, names in code page 1252.
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller"}));
    EXPECT_EQ(ts.PlayerChannelId(0), 2);
    ASSERT_TRUE(ts.GetChannels());
    ASSERT_EQ(ts.ChannelCount(), 2U);
    EXPECT_EQ(ts.ChannelName(1), "Frankfurt Approach");
    EXPECT_EQ(ts.GetUserNickname(), "EDDF_APP");
    EXPECT_TRUE(Speakers().empty());

    // A word shorter than a tick still shows once; a long one as long as it lasts.
    sim::TsServer& server = client.Server();
    server.StartSpeaking(2);
    client.Update();
    server.StopSpeaking(2);
    server.StartSpeaking(3);
    ASSERT_TRUE(Until([&] { return client.OutputSize() == 0; }));
    EXPECT_EQ(Speakers(), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(Speakers(), (std::vector<std::int32_t>{3}));

    // Joins, moves, renames and leaves reach the records without a new listing.
    server.UpsertPlayer({4, 1, 0, 8, 0, "BAW12"});
    server.FindPlayer(2)->channelId = 1;
    server.FindPlayer(3)->name = "KLM1853";
    server.RemovePlayer(3);
    ASSERT_TRUE(Until([&] { return client.OutputSize() == 0; }));
    client.ClearCommands();
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "BAW12"}));
    EXPECT_EQ(ts.PlayerChannelId(1), 1);
    EXPECT_EQ(Speakers(), std::vector<std::int32_t>{});
    EXPECT_TRUE(client.Commands().empty()) << client.Commands().front();

    // A new listing now and then, in case a notice went missing.
    clock.Advance(QueryLink::kRelistMs);
    (void)PlayerNames();
    ASSERT_TRUE(Until([&] { return client.Commands().size() >= 5; }));
    EXPECT_EQ(client.Commands(),
              (std::vector<std::string>{"use schandlerid=1", "whoami", "servervariable virtualserver_name",
                                        "channellist", "clientlist -voice"}));
}

TEST_F(QueryLinkTest, TheStatusFollowsTheClientStartingStoppingAndSwitchingTabs) {
    client.Server().clientRunning = false;
    ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() == 4; }));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::NotRunning);
    // Tries again after 1, 2, 4, then at most 16 seconds.
    EXPECT_EQ(clock.NowMilliseconds(), 1000 + 2000 + 4000);
    ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() == 7; }, 60000));
    EXPECT_EQ(clock.NowMilliseconds(), 7000 + 8000 + 16000 + 16000);

    client.Server().clientRunning = true;
    ASSERT_TRUE(UntilState(QueryState::Connected, 20000));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Connected);

    client.Server().connected = false;
    ASSERT_TRUE(UntilState(QueryState::NoServer));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Running);
    client.Server().connected = true;
    ASSERT_TRUE(UntilState(QueryState::Connected));

    // The client's active tab is the server shown.
    sim::TsServer other;
    other.serverName = "Other";
    other.ownNickname = "ME";
    other.channels = {{7, 0, 0, 0, 0, "Room"}};
    other.players = {{9, 7, 0, 0, 0, "ME"}};
    client.SetActiveTab(client.AddTab(other));
    ASSERT_TRUE(Until([&] { return link.ServerName() == "Other" && link.State() == QueryState::Connected; }));
    EXPECT_EQ(PlayerNames(), std::vector<std::string>{"ME"});

    // The client stops: the link notices and waits for it again.
    client.Server().clientRunning = false;
    ASSERT_TRUE(UntilState(QueryState::NotRunning));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::NotRunning);
}

TEST_F(QueryLinkTest, ARefusedKeyIsSaidAndTriedAgainLateOrAtOnceWithANewOne) {
    link.Configure(QuerySettings{"WRONG", kDefaultQueryPort});
    ASSERT_TRUE(UntilState(QueryState::KeyRefused));
    EXPECT_EQ(client.LastAuthKeyMatched(), false);
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Running);
    const std::size_t attempts = socket.ConnectAttempts();
    ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() > attempts; }));
    EXPECT_GE(clock.NowMilliseconds(), QueryLink::kLastRetryMs);

    link.Configure(QuerySettings{std::string(sim::kTs3DefaultApiKey), kDefaultQueryPort});
    ASSERT_TRUE(UntilState(QueryState::Connected, 1000));
    // The key is never written down by the client's log, nor sent but in the one command.
    for (const std::string& command : client.Commands()) {
        EXPECT_EQ(command.find(sim::kTs3DefaultApiKey), std::string::npos) << command;
    }
}

TEST_F(QueryLinkTest, TheSettingsChooseTheClientAndTeamSpeak2LeavesNoConnectionOpen) {
    sim::SimulatedTsRemote teamSpeak2(Frankfurt());
    VoiceClientSwitch voice(teamSpeak2, link);
    const std::string key(sim::kTs3DefaultApiKey);
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, key, kDefaultQueryPort});
    ASSERT_EQ(voice.Query(), &link);
    TeamSpeakLink chosen(voice);
    ASSERT_TRUE(Until([&] { return chosen.GetSpeakers() == LinkStatus::Connected; }));

    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak2, key, kDefaultQueryPort});
    client.Update();
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(voice.Query(), nullptr);
    std::uint8_t record[UserInfoRecord::kSize]{};
    EXPECT_EQ(voice.tsrGetUserInfo(record), 0);  // from TeamSpeak 2's library

    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, key, kDefaultQueryPort});
    EXPECT_TRUE(Until([&] { return chosen.GetSpeakers() == LinkStatus::Connected; }, 1000));
}

TEST_F(QueryLinkTest, TheStatusLineSaysWhatTheChosenClientsLinkSees) {
    sim::SimulatedTsRemote teamSpeak2(Frankfurt());
    VoiceClientSwitch voice(teamSpeak2, link);
    TeamSpeakLink chosen(voice);
    const auto line = [&] { return VoiceStatusLine(voice, chosen, "C:\\Sayvane\\"); };
    const std::string key(sim::kTs3DefaultApiKey);

    EXPECT_EQ(line(), "TeamSpeak 2 is connected (as EDDF_APP)");
    teamSpeak2.Server().connected = false;
    EXPECT_EQ(line(), "TeamSpeak 2 runs, without a server connection");
    teamSpeak2.Server().clientRunning = false;
    EXPECT_EQ(line(), "TeamSpeak 2 is not running");
    teamSpeak2.SetAbsent(true);
    EXPECT_EQ(line(), "TSRemote.dll not found: Sayvane looked in C:\\Sayvane\\ and on the system path");

    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, "WRONG", 25640});
    EXPECT_EQ(line(), "TeamSpeak 3 is not running, or its ClientQuery plugin is off (nothing answers on port 25640)");
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, "WRONG", kDefaultQueryPort});
    ASSERT_TRUE(
        Until([&] { return line() == "TeamSpeak 3 refused the API key: copy it again from ClientQuery's settings"; }));
    voice.Choose(VoiceSettings{VoiceClient::TeamSpeak3, key, kDefaultQueryPort});
    ASSERT_TRUE(Until([&] { return line() == "TeamSpeak 3 is connected to IVAO DE Voice"; }));
    client.Server().connected = false;
    EXPECT_TRUE(Until([&] { return line() == "TeamSpeak 3 runs, without a server connection"; }));
}

TEST_F(QueryLinkTest, AThousandClientsAndChannelsFitAndAnotherTabsNoticesStayThere) {
    sim::TsServer& server = client.Server();
    for (std::int32_t i = 0; server.players.size() < kMaxRecords; ++i) {
        server.channels.push_back({10 + i, 0, 0, 0, 0, "Sector " + std::to_string(i)});
        server.players.push_back({100 + i, 10 + i, 0, 0, 0, "PILOT" + std::to_string(i)});
    }
    ASSERT_TRUE(UntilState(QueryState::Connected));
    ASSERT_TRUE(ts.GetPlayers());
    EXPECT_EQ(ts.PlayerCount(), std::size_t{kMaxRecords});
    EXPECT_EQ(ts.PlayerName(kMaxRecords - 1), "PILOT1020");
    ASSERT_TRUE(ts.GetChannels());
    EXPECT_EQ(ts.ChannelCount(), std::size_t{kMaxRecords - 1});

    // Someone speaks on a server of another tab: not on this one.
    sim::TsServer other;
    other.ownNickname = "ME";
    other.channels = {{7, 0, 0, 0, 0, "Room"}};
    other.players = {{9, 7, 0, 0, 0, "ME"}, {2, 7, 0, 0, 0, "ELSEWHERE"}};
    const std::int32_t tab = client.AddTab(other);
    client.Server(tab).StartSpeaking(2);
    ASSERT_TRUE(Until([&] { return client.OutputSize() == 0; }));
    EXPECT_EQ(Speakers(), std::vector<std::int32_t>{});
    EXPECT_EQ(link.ServerName(), "IVAO DE Voice");
}

TEST_F(QueryLinkTest, AMisbehavingClientCostsAConnectionAtMostAndNeverTheRecords) {
    struct Fault {
        void (*set)(sim::Ts3Faults&);
        bool dropsTheConnection;
    };
    const Fault faults[] = {
        {[](sim::Ts3Faults& f) { f.overlongLine = true; }, false},
        {[](sim::Ts3Faults& f) { f.malformedLines = true; }, false},
        {[](sim::Ts3Faults& f) { f.closeMidAnswer = true; }, true},
        {[](sim::Ts3Faults& f) { f.stall = true; }, true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(&fault - faults);
        ASSERT_TRUE(UntilState(QueryState::Connected));
        fault.set(client.Faults());
        client.Server().StartSpeaking(2);
        clock.Advance(QueryLink::kRelistMs);
        (void)PlayerNames();  // asks for a new listing, which meets the fault
        if (fault.dropsTheConnection) {
            ASSERT_TRUE(UntilState(QueryState::NotRunning, QueryLink::kAnswerTimeoutMs + 1000));
            client.Faults() = sim::Ts3Faults{};
        }
        ASSERT_TRUE(Until([&] { return link.State() == QueryState::Connected && client.OutputSize() == 0; }));
        EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller"}));
        EXPECT_EQ(Speakers(), std::vector<std::int32_t>{2});
        client.Server().StopSpeaking(2);
    }
}

}  // namespace
}  // namespace sayvane::query
