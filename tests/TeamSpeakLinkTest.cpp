// The TeamSpeak link on the in-memory library: statuses, snapshots and their replacement,
// the 1024-zero-IDs rule, counts out of range, and an absent library. The buffers handed to
// the library (1024 records, zeroed) are checked by fuzz/fuzz_ts_records.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/SimulatedTsRemote.h"
#include "teamspeak/TeamSpeakLink.h"

namespace sayvane {
namespace {

using sim::SimulatedTsRemote;
using sim::TsCall;
using sim::TsChannel;
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

class TeamSpeakLinkTest : public ::testing::Test {
protected:
    SimulatedTsRemote api{ApproachServer()};
    TeamSpeakLink link{api};
};

TEST_F(TeamSpeakLinkTest, DecodesTheServerIntoSnapshots) {
    EXPECT_TRUE(link.Channels().empty()) << "empty until the first successful call";
    EXPECT_TRUE(link.Players().empty());
    EXPECT_EQ(LastIndex(link.Channels()), -1);

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
    EXPECT_EQ(std::count(api.Calls().begin(), api.Calls().end(), "tsrGetLastError"), 0) << "no call failed";
}

TEST_F(TeamSpeakLinkTest, MapsLibraryResultsToStatuses) {
    struct Case {
        std::int32_t result;
        LinkStatus status;
    };
    const Case cases[] = {
        {-1000, LinkStatus::NotRunning}, {-1, LinkStatus::Running}, {0, LinkStatus::Connected},
        {-5, LinkStatus::Unknown},       {7, LinkStatus::Unknown},
    };
    for (const Case& c : cases) {
        api.Server().forcedResult[static_cast<std::size_t>(TsCall::Speakers)] = c.result;
        api.ClearCalls();
        EXPECT_EQ(link.GetSpeakers(), c.status) << "library result " << c.result;
        // Every failed call is followed by one request for the error text.
        const std::vector<std::string> expectedCalls =
            c.result == 0 ? std::vector<std::string>{"tsrGetSpeakers"}
                          : std::vector<std::string>{"tsrGetSpeakers", "tsrGetLastError"};
        EXPECT_EQ(api.Calls(), expectedCalls) << "library result " << c.result;
    }
}

TEST_F(TeamSpeakLinkTest, AFailedCallKeepsThePreviousSnapshot) {
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    const ChannelSnapshot channels = link.Channels();
    const PlayerSnapshot players = link.Players();

    api.Server().channels.clear();
    api.Server().players.clear();
    api.Server().forcedResult[static_cast<std::size_t>(TsCall::Channels)] = -5;
    api.Server().forcedResult[static_cast<std::size_t>(TsCall::Players)] = -5;
    api.Server().forcedResult[static_cast<std::size_t>(TsCall::UserInfo)] = -5;
    api.ClearCalls();
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "") << "a failed nickname call gives empty text";
    EXPECT_EQ(link.Channels(), channels);
    EXPECT_EQ(link.Players(), players);
    EXPECT_EQ(api.Calls(), (std::vector<std::string>{"tsrGetChannels", "tsrGetLastError", "tsrGetPlayers",
                                                     "tsrGetLastError", "tsrGetUserInfo", "tsrGetLastError"}));

    // The next success replaces each snapshot whole.
    api.Server().forcedResult = {};
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_TRUE(link.Channels().empty());
    EXPECT_TRUE(link.Players().empty());
}

// A refill tells how the records changed, so the lists built from them change only there.
TEST_F(TeamSpeakLinkTest, ARefillSaysHowThePlayerRecordsChanged) {
    using Kind = ListEdit::Kind;
    struct Case {
        const char* story;
        void (*change)(TsServer&);
        std::vector<std::pair<Kind, std::size_t>> edits;  // in order
    };
    const Case cases[] = {
        {"one joins",
         [](TsServer& s) {
             s.players.push_back({20, 1, 0, 0, 0, "AFR7731"});
         },
         {{Kind::Keep, 3}, {Kind::Make, 1}}},
        {"one in the middle leaves",
         [](TsServer& s) { s.players.erase(s.players.begin()); },
         {{Kind::Keep, 1}, {Kind::Remove, 1}, {Kind::Keep, 1}}},
        {"one is renamed",
         [](TsServer& s) { s.players[2].name = "BAW12X"; },
         {{Kind::Keep, 2}, {Kind::Remove, 1}, {Kind::Make, 1}}},
        {"two change places",
         [](TsServer& s) { std::swap(s.players[0], s.players[2]); },
         {{Kind::Keep, 1}, {Kind::Remove, 1}, {Kind::Keep, 1}, {Kind::Make, 1}}},
        {"everybody leaves", [](TsServer& s) { s.players.clear(); }, {{Kind::Remove, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        api.Server() = ApproachServer();
        ASSERT_TRUE(link.GetPlayers());
        const std::uint64_t revision = link.PlayersRevision();
        ASSERT_TRUE(link.GetPlayers());
        EXPECT_EQ(link.PlayersRevision(), revision) << "the same records are no change";
        c.change(api.Server());
        ASSERT_TRUE(link.GetPlayers());
        EXPECT_EQ(link.PlayersRevision(), revision + 1);
        std::vector<std::pair<Kind, std::size_t>> edits;
        for (const ListEdit& edit : link.PlayerEdits()) {
            edits.emplace_back(edit.kind, edit.count);
        }
        EXPECT_EQ(edits, c.edits);
    }
}

TEST_F(TeamSpeakLinkTest, CountsBeyondTheBuffersAreLimitedTo1024) {
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

    // A count of 0 leaves nothing but the buffer's 1024 zero IDs.
    server.reportedCount = {};
    server.speakers.clear();
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    EXPECT_EQ(link.Speakers(), SpeakerSnapshot(1024, 0));

    // And one that reports a negative count: nothing.
    server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)] = -3;
    server.reportedCount[static_cast<std::size_t>(TsCall::Channels)] = -3;
    server.reportedCount[static_cast<std::size_t>(TsCall::Players)] = -2147483647 - 1;
    ASSERT_EQ(link.GetSpeakers(), LinkStatus::Connected);
    ASSERT_TRUE(link.GetChannels());
    ASSERT_TRUE(link.GetPlayers());
    EXPECT_EQ(link.Speakers(), SpeakerSnapshot(1024, 0)) << "no speaker, as for a count of 0";
    EXPECT_TRUE(link.Channels().empty());
    EXPECT_TRUE(link.Players().empty());
}

TEST_F(TeamSpeakLinkTest, AnAbsentLibraryReadsAsNoClientRunning) {
    api.SetAbsent(true);
    EXPECT_EQ(link.GetSpeakers(), LinkStatus::NotRunning);
    EXPECT_FALSE(link.GetChannels());
    EXPECT_FALSE(link.GetPlayers());
    EXPECT_EQ(link.GetUserNickname(), "");
    link.ReportTSError();
    EXPECT_TRUE(api.Calls().empty()) << "nothing is called on a library that is not there";
}

}  // namespace
}  // namespace sayvane
