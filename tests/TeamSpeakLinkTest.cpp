// The TeamSpeak link on the in-memory library: statuses, snapshots and their replacement,
// the 1024-zero-IDs rule, counts out of range, and an absent library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sim/SimulatedTsRemote.h"
#include "teamspeak/TeamSpeakLink.h"

namespace sayvane {
namespace {

using sim::SimulatedTsRemote;
using sim::TsCall;
using sim::TsChannel;
using sim::TsPlayer;
using sim::TsServer;

TsServer ApproachServer() {
    TsServer server;
    server.ownNickname = "EDDF_APP";
    server.channels = {
        {1, -1, 0, 33, 5, "Lobby"},
        {2, -1, 1, 9, 12, "EDDF_APP"},
    };
    server.players = {
        {12, 2, 0, 8, 0, "DLH4AB"},
        {3, 2, 1, 5, 9, "EDDF_APP"},
        {14, 1, 0, 0, 8, "BAW12"},
    };
    server.speakers = {12, 14};
    return server;
}

std::size_t Count(const std::vector<std::string>& calls, const std::string& name) {
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), name));
}

TEST(TeamSpeakLink, DecodesTheServerIntoSnapshots) {
    SimulatedTsRemote api(ApproachServer());
    TeamSpeakLink link(api);

    EXPECT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(link.Speakers(), (SpeakerSnapshot{12, 14}));

    ASSERT_TRUE(link.GetChannels());
    EXPECT_EQ(link.Channels(), (ChannelSnapshot{
                                   {1, -1, 0, "Registered,Default", "Speex 3.4 Kbit", "Lobby"},
                                   {2, -1, 1, "Registered,Password", "Speex 25.9 Kbit", "EDDF_APP"},
                               }));

    ASSERT_TRUE(link.GetPlayers());
    // The own player first, then the library's order.
    EXPECT_EQ(link.Players(),
              (PlayerSnapshot{
                  {3, 2, "EDDF_APP", "Admin", "SuperServerAdmin,CanRegister,Unregistered", "ChannelCommander,Away"},
                  {12, 2, "DLH4AB", "none", "Registered", "none"},
                  {14, 1, "BAW12", "none", "Unregistered", "Away"},
              }));
    EXPECT_EQ(link.GetUserNickname(), "EDDF_APP");
    EXPECT_EQ(Count(api.Calls(), "tsrGetLastError"), 0u) << "no call failed";
}

TEST(TeamSpeakLink, SnapshotsAreEmptyUntilTheFirstSuccessfulCall) {
    SimulatedTsRemote api(ApproachServer());
    TeamSpeakLink link(api);
    EXPECT_TRUE(link.Channels().empty());
    EXPECT_TRUE(link.Players().empty());
    EXPECT_EQ(LastIndex(link.Channels()), -1);
}

TEST(TeamSpeakLink, MapsLibraryResultsToStatuses) {
    struct Case {
        std::int32_t result;
        LinkStatus status;
    };
    const Case cases[] = {
        {-1000, LinkStatus::NotRunning}, {-1, LinkStatus::Running}, {0, LinkStatus::Connected},
        {-5, LinkStatus::Unknown},       {7, LinkStatus::Unknown},
    };
    for (const Case& c : cases) {
        SimulatedTsRemote api(ApproachServer());
        api.Server().forcedResult[static_cast<std::size_t>(TsCall::Speakers)] = c.result;
        TeamSpeakLink link(api);
        EXPECT_EQ(link.GetSpeakers(), c.status) << "library result " << c.result;
        // Every failed call is followed by one request for the error text.
        const std::vector<std::string> expectedCalls =
            c.result == 0 ? std::vector<std::string>{"tsrGetSpeakers"}
                          : std::vector<std::string>{"tsrGetSpeakers", "tsrGetLastError"};
        EXPECT_EQ(api.Calls(), expectedCalls) << "library result " << c.result;
    }
}

TEST(TeamSpeakLink, ClientStatesGiveTheirStatuses) {
    SimulatedTsRemote api(ApproachServer());
    TeamSpeakLink link(api);
    api.Server().connected = false;
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::Running);
    EXPECT_EQ(api.LastErrorText(), "Not connected to a server");
    api.Server().clientRunning = false;
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_EQ(api.LastErrorText(), "TeamSpeak 2 is not running");
    api.Server().clientRunning = true;
    api.Server().connected = true;
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::Connected);
}

TEST(TeamSpeakLink, NoSpeakerLeavesOneThousandTwentyFourZeroIds) {
    SimulatedTsRemote api(ApproachServer());
    TeamSpeakLink link(api);

    api.Server().speakers.clear();
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(link.Speakers().size(), 1024u);
    EXPECT_EQ(LastIndex(link.Speakers()), 1023);
    EXPECT_TRUE(std::all_of(link.Speakers().begin(), link.Speakers().end(), [](std::int32_t id) { return id == 0; }));

    api.Server().speakers = {14};
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(LastIndex(link.Speakers()), 0);
    EXPECT_EQ(link.Speakers(), (SpeakerSnapshot{14}));
}

TEST(TeamSpeakLink, AskForAtMost1024RecordsInZeroedBuffers) {
    // A library that records what it is handed, and writes nothing.
    class Spy final : public TsRemoteApi {
    public:
        bool IsAvailable() override { return true; }
        std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) override {
            speakerCount = *count;
            speakersZeroed = std::all_of(ids, ids + 1024, [](std::int32_t id) { return id == 0; });
            *count = 0;
            return 0;
        }
        std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) override {
            playerCount = *count;
            playersZeroed = std::all_of(records, records + 51200, [](std::uint8_t b) { return b == 0; });
            *count = 0;
            return 0;
        }
        std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) override {
            channelCount = *count;
            channelsZeroed = std::all_of(records, records + 51200, [](std::uint8_t b) { return b == 0; });
            *count = 0;
            return 0;
        }
        std::int32_t tsrGetUserInfo(std::uint8_t* record) override {
            userInfoZeroed = std::all_of(record, record + 150, [](std::uint8_t b) { return b == 0; });
            return 0;
        }
        std::int32_t tsrGetLastError(char* buffer, std::int32_t size) override {
            errorBufferSize = size;
            buffer[size - 1] = '\0';
            return 0;
        }
        std::int32_t speakerCount = 0, playerCount = 0, channelCount = 0, errorBufferSize = 0;
        bool speakersZeroed = false, playersZeroed = false, channelsZeroed = false, userInfoZeroed = false;
    } spy;
    TeamSpeakLink link(spy);

    EXPECT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_TRUE(link.GetPlayers());
    EXPECT_TRUE(link.GetChannels());
    EXPECT_EQ(link.GetUserNickname(), "");
    link.ReportTSError();

    EXPECT_EQ(spy.speakerCount, 1024);
    EXPECT_EQ(spy.playerCount, 1024);
    EXPECT_EQ(spy.channelCount, 1024);
    EXPECT_EQ(spy.errorBufferSize, 1024);
    EXPECT_TRUE(spy.speakersZeroed);
    EXPECT_TRUE(spy.playersZeroed);
    EXPECT_TRUE(spy.channelsZeroed);
    EXPECT_TRUE(spy.userInfoZeroed);
    // A count of 0 on success: empty player and channel snapshots.
    EXPECT_TRUE(link.Players().empty());
    EXPECT_TRUE(link.Channels().empty());
}

TEST(TeamSpeakLink, AFailedCallKeepsThePreviousSnapshot) {
    SimulatedTsRemote api(ApproachServer());
    TeamSpeakLink link(api);
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    const ChannelSnapshot channels = link.Channels();
    const PlayerSnapshot players = link.Players();

    api.Server().channels.clear();
    api.Server().players.clear();
    api.Server().forcedResult[static_cast<std::size_t>(TsCall::Channels)] = -5;
    api.Server().forcedResult[static_cast<std::size_t>(TsCall::Players)] = -5;
    api.ClearCalls();
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.Channels(), channels);
    EXPECT_EQ(link.Players(), players);
    EXPECT_EQ(api.Calls(),
              (std::vector<std::string>{"tsrGetChannels", "tsrGetLastError", "tsrGetPlayers", "tsrGetLastError"}));

    // The next success replaces each snapshot whole.
    api.Server().forcedResult = {};
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_TRUE(link.Channels().empty());
    EXPECT_TRUE(link.Players().empty());
}

TEST(TeamSpeakLink, AFailedNicknameCallGivesEmptyText) {
    SimulatedTsRemote api(ApproachServer());
    api.Server().forcedResult[static_cast<std::size_t>(TsCall::UserInfo)] = -5;
    TeamSpeakLink link(api);
    EXPECT_EQ(link.GetUserNickname(), "");
    EXPECT_EQ(api.Calls(), (std::vector<std::string>{"tsrGetUserInfo", "tsrGetLastError"}));
}

TEST(TeamSpeakLink, CountsBeyondTheBuffersAreLimitedTo1024) {
    SimulatedTsRemote api(ApproachServer());
    TeamSpeakLink link(api);
    TsServer& server = api.Server();
    // A library that claims more records than it was asked for.
    server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)] = 5000;
    server.reportedCount[static_cast<std::size_t>(TsCall::Channels)] = 1025;
    server.reportedCount[static_cast<std::size_t>(TsCall::Players)] = 2147483647;
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_EQ(link.Speakers().size(), 1024u);
    EXPECT_EQ(link.Speakers()[0], 12);
    EXPECT_EQ(link.Channels().size(), 1024u);
    EXPECT_EQ(link.Channels()[1].name, "EDDF_APP");
    EXPECT_EQ(link.Channels()[2].channelId, 0) << "records the library did not write stay zero";
    EXPECT_EQ(link.Players().size(), 1024u);

    // And one that reports a negative count: nothing.
    server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)] = -3;
    server.reportedCount[static_cast<std::size_t>(TsCall::Channels)] = -3;
    server.reportedCount[static_cast<std::size_t>(TsCall::Players)] = -2147483647 - 1;
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_EQ(LastIndex(link.Speakers()), 1023) << "no speaker, as for a count of 0";
    EXPECT_TRUE(link.Channels().empty());
    EXPECT_TRUE(link.Players().empty());
}

TEST(TeamSpeakLink, AServerOfMoreThan1024PlayersFillsTheSnapshot) {
    TsServer server;
    for (std::int32_t id = 1; id <= 1500; ++id) {
        server.players.push_back(TsPlayer{id, 1, 0, 0, 0, "P" + std::to_string(id)});
    }
    SimulatedTsRemote api(server);
    TeamSpeakLink link(api);
    ASSERT_TRUE(link.GetPlayers());
    ASSERT_EQ(link.Players().size(), 1024u);
    EXPECT_EQ(link.Players().back().name, "P1024");
}

TEST(TeamSpeakLink, AnAbsentLibraryReadsAsNoClientRunning) {
    SimulatedTsRemote api(ApproachServer());
    api.SetAbsent(true);
    TeamSpeakLink link(api);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "");
    link.ReportTSError();
    EXPECT_TRUE(api.Calls().empty()) << "nothing is called on a library that is not there";
}

TEST(TeamSpeakLink, NamesComeThroughAsRawBytes) {
    TsServer server;
    server.ownNickname = std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");  // 36: cut to 30
    server.channels = {{1, 0, 0, 0, 0, std::string("Lobby\0hidden", 12)}};
    server.players = {{1, 1, 0, 0, 0, "J\xFCrgen"}};
    SimulatedTsRemote api(server);
    TeamSpeakLink link(api);
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_EQ(link.Channels()[0].name, "Lobby");
    EXPECT_EQ(link.Players()[0].name, "J\xFCrgen");
    EXPECT_EQ(link.GetUserNickname(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
}

}  // namespace
}  // namespace sayvane
