// The simulated server behind the library: what its calls write, the channels its dialog
// creates, the block it shares with the substitute library, and the texts its window shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "peers/common/TsSharedState.h"
#include "sim/TsClientView.h"
#include "sim/TsServer.h"

namespace sayvane::sim {
namespace {

using namespace std::string_literals;

TsServer TwoChannelServer() {
    TsServer server;
    server.serverName = "Test Server";
    server.ownNickname = "EDDF_TWR";
    server.channels = {{1, 0, 0, 33, 5, "Lobby"}, {2, 0, 0, 1, 10, "EDDF_APP"}};
    server.players = {{7, 2, 0, 8, 0, "DLH4AB"}, {5, 1, 1, 8, 1, "EDDF_TWR"}};
    return server;
}

TEST(TsServer, WritesNoMoreRecordsThanAskedFor) {
    const TsServer server = TwoChannelServer();
    std::vector<std::uint8_t> records(3 * 50, 0xAA);
    std::int32_t count = 1;
    std::string error;
    ASSERT_EQ(server.ServeChannels(records.data(), &count, error), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(records[50], 0xAA) << "the second record was not asked for";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(records.data()) + 20, 5), "Lobby");

    count = -4;
    ASSERT_EQ(server.ServePlayers(records.data(), &count, error), 0);
    EXPECT_EQ(count, 0);

    std::int32_t ids[1] = {};
    count = 0;
    ASSERT_EQ(server.ServeSpeakers(ids, &count, error), 0);
    EXPECT_EQ(count, 0);
}

TEST(TsServer, FailsInTheOrderNotRunningForcedNotConnected) {
    TsServer server = TwoChannelServer();
    std::uint8_t record[150] = {};
    std::string error;
    server.connected = false;
    server.forcedResult[static_cast<std::size_t>(TsCall::UserInfo)] = -7;
    EXPECT_EQ(server.ServeUserInfo(record, error), -7);
    EXPECT_EQ(error, "Simulated failure -7");
    server.clientRunning = false;
    EXPECT_EQ(server.ServeUserInfo(record, error), -1000);
    EXPECT_EQ(error, "TeamSpeak 2 is not running");
    server.clientRunning = true;
    server.forcedResult = {};
    EXPECT_EQ(server.ServeUserInfo(record, error), -1);
    EXPECT_EQ(error, "Not connected to a server");
    EXPECT_EQ(server.ServeUserInfo(nullptr, error), kResultBadArgument);
}

TEST(TsServer, CreatesChannelsAsTheDialogDoes) {
    TsServer server = TwoChannelServer();
    const auto id = server.CreateChannel("EDDF_TWR");
    ASSERT_EQ(id, std::optional<std::int32_t>(3));
    EXPECT_EQ(server.channels.back().name, "EDDF_TWR");
    EXPECT_EQ(server.channels.back().flags, 2);
    EXPECT_EQ(server.FindPlayerByName("EDDF_TWR")->channelId, 3) << "the creator moves into it";
    EXPECT_EQ(server.FindPlayerByName("DLH4AB")->channelId, 2);

    EXPECT_FALSE(server.CreateChannel("eddf_twr")) << "names are unique without regard to case";
    EXPECT_FALSE(server.CreateChannel(""));
    EXPECT_EQ(server.channels.size(), 3u);
}

TEST(TsServer, LeavingEndsTheSpeech) {
    TsServer server = TwoChannelServer();
    server.StartSpeaking(7);
    server.StartSpeaking(5);
    server.StartSpeaking(7);  // already speaking: no second entry
    EXPECT_EQ(server.speakers, (std::vector<std::int32_t>{7, 5}));
    EXPECT_TRUE(server.RemovePlayer(7));
    EXPECT_EQ(server.speakers, (std::vector<std::int32_t>{5}));
    EXPECT_FALSE(server.RemovePlayer(7));
    EXPECT_EQ(server.NextPlayerId(), 6);
    EXPECT_EQ(server.DefaultChannelId(), 1) << "the channel flagged Default";
}

TEST(TsSharedState, CarriesTheServerThroughTheSharedBlock) {
    TsServer server = TwoChannelServer();
    server.channels.push_back({9, -1, 2147483647, 64, 13, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"});
    server.players.push_back({40, 9, 31, 7, 127, "Nul\0inside"s});
    server.speakers = {40, 7};
    server.forcedResult[static_cast<std::size_t>(TsCall::Players)] = -5;
    server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)] = 2000;

    auto block = std::make_unique<peers::TsSharedState>();
    *block = {};
    peers::PublishServer(server, *block);
    peers::PublishServer(server, *block);
    EXPECT_EQ(block->revision, 2u);
    const TsServer copy = peers::ReadServer(*block);

    EXPECT_EQ(copy.serverName, server.serverName);
    EXPECT_EQ(copy.ownNickname, server.ownNickname);
    EXPECT_EQ(copy.speakers, server.speakers);
    EXPECT_EQ(copy.forcedResult, server.forcedResult);
    EXPECT_EQ(copy.reportedCount, server.reportedCount);
    ASSERT_EQ(copy.channels.size(), 3u);
    EXPECT_EQ(copy.channels[2].name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(copy.channels[2].third, 2147483647);
    ASSERT_EQ(copy.players.size(), 3u);
    EXPECT_EQ(copy.players[2].name, "Nul\0inside"s);
    EXPECT_EQ(copy.players[2].flags, 127);

    // A block with counts out of range is read within its arrays.
    block->playerCount = 99999;
    block->speakerCount = -1;
    const TsServer damaged = peers::ReadServer(*block);
    EXPECT_EQ(damaged.players.size(), 1024u);
    EXPECT_TRUE(damaged.speakers.empty());
}

TEST(TsClientView, ShowsServerPlayerAndChannelOnlyWhileConnected) {
    TsServer server = TwoChannelServer();
    EXPECT_EQ(ClientInfoPaneText(server), "Server:\r\nTest Server\r\nPlayer:\r\nEDDF_TWR\r\nChannel:\r\nLobby");
    server.StartSpeaking(7);
    EXPECT_EQ(ClientTreeLines(server), (std::vector<std::string>{"Lobby", "    EDDF_TWR", "EDDF_APP", "    DLH4AB *"}));
    server.connected = false;
    EXPECT_EQ(ClientInfoPaneText(server).find("Player:"), std::string::npos);
}

}  // namespace
}  // namespace sayvane::sim
