// The simulated TeamSpeak server behind the substitute library and the simulated client:
// what its calls write, the channels its dialog creates, the block it shares with the
// substitute library, the texts its window shows; and the scenario files it plays, what
// parses, what does not and why, and how the player applies events as time passes, holds,
// steps, loops and quits.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "peers/common/TsSharedState.h"
#include "sim/TsClientView.h"
#include "sim/TsScenario.h"
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

// The server's players as "ID NAME channel/channel privileges/server privileges/flags".
std::vector<std::string> Players(const TsServer& server) {
    std::vector<std::string> players;
    for (const TsPlayer& p : server.players) {
        players.push_back(std::to_string(p.id) + " " + p.name + " " + std::to_string(p.channelId) + "/" +
                          std::to_string(p.channelPrivileges) + "/" + std::to_string(p.serverPrivileges) + "/" +
                          std::to_string(p.flags));
    }
    return players;
}

// The server's channels as "ID NAME flags/codec/second/third".
std::vector<std::string> Channels(const TsServer& server) {
    std::vector<std::string> channels;
    for (const TsChannel& c : server.channels) {
        channels.push_back(std::to_string(c.id) + " " + c.name + " " + std::to_string(c.flags) + "/" +
                           std::to_string(c.codec) + "/" + std::to_string(c.second) + "/" + std::to_string(c.third));
    }
    return channels;
}

// What the substitute library hands on to whoever calls it.
TEST(TsServer, WritesNoMoreRecordsThanAskedForAndFailsInTheOrderNotRunningForcedNotConnected) {
    TsServer server = TwoChannelServer();
    std::vector<std::uint8_t> records(3 * 50, 0xAA);
    std::int32_t count = 1;
    std::string error;
    ASSERT_EQ(server.ServeChannels(records.data(), &count, error), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(records[50], 0xAA) << "the second record was not asked for";
    count = -4;
    ASSERT_EQ(server.ServePlayers(records.data(), &count, error), 0);
    EXPECT_EQ(count, 0);

    server.connected = false;
    server.forcedResult[static_cast<std::size_t>(TsCall::UserInfo)] = -7;
    EXPECT_EQ(server.ServeUserInfo(records.data(), error), -7);
    server.clientRunning = false;
    EXPECT_EQ(server.ServeUserInfo(records.data(), error), -1000);
    EXPECT_EQ(error, "TeamSpeak 2 is not running");
    server.clientRunning = true;
    server.forcedResult = {};
    EXPECT_EQ(server.ServeUserInfo(records.data(), error), -1);
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
    EXPECT_EQ(Channels(copy), Channels(server));
    EXPECT_EQ(Players(copy), Players(server));

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

TsScenario Parse(const std::string& text) {
    TsScenarioError error;
    auto scenario = ParseTsScenario(text, &error);
    EXPECT_TRUE(scenario.has_value()) << "line " << error.line << ": " << error.message;
    return scenario.value_or(TsScenario{});
}

TEST(ParseTsScenario, RejectsFaultyLinesWithTheirNumber) {
    struct Case {
        std::string text;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"0 dance DLH4AB\n", 1, "unknown command dance"},
        {"0 join\n", 1, "expects 1 argument(s), has 0"},
        {"0 speak\n", 1, "expects 1 argument(s), has 0"},
        {"0 channel x Lobby\n", 1, "not a number: x"},
        {"0 join A colour=red\n", 1, "unknown option colour"},
        {"0 join A id=twelve\n", 1, "not a number: id=twelve"},
        {"500 hold\n100 hold\n", 2, "time goes back"},
        {"soon hold\n", 1, "not a time: soon"},
        {"-5 hold\n", 1, "not a time: -5"},
        {"0 server \"open\n", 1, "a quote is not closed"},
        {"0 server \"a\"b\n", 1, "text follows a closing quote"},
        {"1000 loop 1000\n", 1, "loop must jump back to an earlier time"},
        {"0 fail voices 3\n", 1, "unknown call voices"},
        {"0 count userinfo 3\n", 1, "no count for call userinfo"},
        {"\n\n# fine\n0 hold\n0\n", 5, "a line needs a time and a command"},
    };
    for (const Case& c : cases) {
        TsScenarioError error;
        EXPECT_FALSE(ParseTsScenario(c.text, &error).has_value()) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_EQ(error.message, c.message) << c.text;
    }
}

struct Played {
    TsServer server;
    std::vector<std::string> log;
    TsScenarioPlayer player;

    explicit Played(const std::string& text)
        : player(Parse(text), server, [this](std::int64_t time, const std::string& line) {
              log.push_back(std::to_string(time) + " " + line);
          }) {}
};

TEST(TsScenarioPlayer, AppliesEveryCommandWhenItsTimeComesAndHoldsStepsAndQuits) {
    Played run(
        "# a comment, then a blank line\n"
        "\n"
        "0 server \"IVAO DE Voice\"\r\n"
        "0 nickname EDDF_APP\n"
        "0 channel 2 EDDF_APP flags=9 codec=12 second=-1 third=3\n"
        "0 channel 1 Lobby flags=32\n"
        "0 join BAW12 id=14 channel=2 cpriv=1 spriv=8 flags=9\n"
        "0 join DLH4AB\n"
        "0 join BAW12 channel=1\n"
        "+1000 speak DLH4AB\n"
        "1000 speak BAW12\n"
        "1000 speak BAW12\n"
        "+1500 stop DLH4AB\n"
        "2500 move BAW12 2\n"
        "2500 flags BAW12 8\n"
        "2500 speak NOBODY\n"
        "2500 delete-channel 9\n"
        "2600 leave BAW12\n"
        "2600 delete-channel 2\n"
        "2600 hold\n"
        "2700 fail players -5\n"
        "2700 count speakers 2000\n"
        "2700 disconnect\n"
        "2800 fail players 0\n"
        "2800 count speakers off\n"
        "2800 connect\n"
        "2900 quit\n"
        "2900 speak DLH4AB\n");
    const TsServer& server = run.server;
    // A hold from outside stops the clock before the first event.
    run.player.Hold();
    EXPECT_EQ(run.player.Advance(500), 0);
    run.player.Resume();

    EXPECT_EQ(run.player.Advance(0), 7);
    EXPECT_EQ(run.log.front(), "0 server \"IVAO DE Voice\"");
    EXPECT_EQ(server.ownNickname, "EDDF_APP");
    EXPECT_EQ(Channels(server), (std::vector<std::string>{"2 EDDF_APP 9/12/-1/3", "1 Lobby 32/0/0/0"}));
    // A join of a player already there updates him, keeping what it does not give; without
    // options the next free ID and the default channel.
    EXPECT_EQ(Players(server), (std::vector<std::string>{"14 BAW12 1/1/8/9", "15 DLH4AB 1/0/0/0"}));

    EXPECT_EQ(run.player.Advance(999), 0);
    EXPECT_EQ(run.player.Now(), 999);
    EXPECT_EQ(run.player.Advance(1), 3);
    EXPECT_EQ(server.speakers, (std::vector<std::int32_t>{15, 14})) << "in the order they began, each once";

    // Events for players or channels that are not there are logged and skipped.
    const std::size_t logged = run.log.size();
    EXPECT_EQ(run.player.Advance(1500), 5);
    EXPECT_EQ(std::vector<std::string>(run.log.begin() + static_cast<std::ptrdiff_t>(logged), run.log.end()),
              (std::vector<std::string>{"2500 stop DLH4AB", "2500 move BAW12 2", "2500 flags BAW12 8",
                                        "2500 speak NOBODY: no player NOBODY", "2500 delete-channel 9",
                                        "2500 delete-channel 9: no channel 9"}));
    EXPECT_EQ(server.speakers, std::vector<std::int32_t>{14});
    EXPECT_EQ(Players(server).front(), "14 BAW12 2/1/8/8");

    // A hold in the scenario stops the time at its line, however long it lasts.
    EXPECT_EQ(run.player.Advance(100), 3);
    EXPECT_TRUE(run.player.IsHeld());
    EXPECT_EQ(Players(server), std::vector<std::string>{"15 DLH4AB 1/0/0/0"});
    EXPECT_TRUE(server.speakers.empty()) << "leaving ends the speech";
    EXPECT_EQ(Channels(server), std::vector<std::string>{"1 Lobby 32/0/0/0"});
    EXPECT_EQ(run.player.Advance(10000), 0);
    EXPECT_EQ(run.player.Now(), 2600);

    // A step applies the events of the next time, held or not.
    EXPECT_EQ(run.player.Step(), 3);
    EXPECT_EQ(run.player.Now(), 2700);
    EXPECT_TRUE(run.player.IsHeld());
    EXPECT_EQ(server.forcedResult[static_cast<std::size_t>(TsCall::Players)], -5);
    EXPECT_EQ(server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)], 2000);
    EXPECT_FALSE(server.connected);

    run.player.Resume();
    EXPECT_EQ(run.player.Advance(100), 3);
    EXPECT_EQ(server.forcedResult[static_cast<std::size_t>(TsCall::Players)], 0);
    EXPECT_FALSE(server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)].has_value());
    EXPECT_TRUE(server.connected);

    // A quit ends everything.
    EXPECT_EQ(run.player.Advance(1000), 1);
    EXPECT_TRUE(run.player.QuitRequested());
    EXPECT_TRUE(server.speakers.empty());
    EXPECT_EQ(run.player.Advance(1000), 0);
    EXPECT_EQ(run.player.Step(), 0);
}

TEST(TsScenarioPlayer, LoopReplaysFromItsTarget) {
    Played run(
        "0 join A\n"
        "100 speak A\n"
        "200 stop A\n"
        "300 loop 100\n");
    run.player.Advance(0);
    run.player.Advance(150);
    EXPECT_EQ(run.server.speakers.size(), 1u);
    // 150 -> 350: stop at 200, loop at 300 back to 100 with 50 left over: speaks again.
    run.player.Advance(200);
    EXPECT_EQ(run.player.Now(), 150);
    EXPECT_EQ(run.server.speakers.size(), 1u);
    // A long stall skips whole rounds rather than replaying each.
    const std::size_t before = run.log.size();
    run.player.Advance(200 * 1000 + 100);
    EXPECT_LE(run.log.size() - before, 8u);
    EXPECT_EQ(run.player.Now(), 250);
    EXPECT_TRUE(run.server.speakers.empty());
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "0 join A"), 1) << "the join before the loop is not replayed";
}

std::string ScenarioFile(const std::string& name) {
    std::ifstream in(SAYVANE_SOURCE_DIR "/peers/ts2sim/scenarios/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name << " not found";
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> PlayerNames(const TsServer& server) {
    std::vector<std::string> names;
    for (const TsPlayer& p : server.players) {
        names.push_back(p.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(TsScenario, TheDemoScenarioIsLivelyAndComesRoundToItsStart) {
    const std::string text = ScenarioFile("approach.txt");
    const TsScenario scenario = Parse(text);
    const auto loop = std::find_if(scenario.events.begin(), scenario.events.end(),
                                   [](const TsEvent& e) { return e.kind == TsEventKind::Loop; });
    ASSERT_NE(loop, scenario.events.end()) << "the demo loops";
    const std::int64_t round = loop->time - loop->number;

    Played run(text);
    run.player.Advance(loop->number);
    const std::vector<std::string> atStart = PlayerNames(run.server);
    const std::vector<std::int32_t> speakersAtStart = run.server.speakers;
    EXPECT_GE(atStart.size(), 5u);
    EXPECT_EQ(run.server.ownNickname, "EDDF_APP");
    std::size_t mostSpeakers = 0;
    std::size_t mostPlayers = 0;
    std::size_t fewestPlayers = atStart.size();
    for (std::int64_t t = 0; t < round; t += 50) {
        run.player.Advance(50);
        mostSpeakers = std::max(mostSpeakers, run.server.speakers.size());
        mostPlayers = std::max(mostPlayers, run.server.players.size());
        fewestPlayers = std::min(fewestPlayers, run.server.players.size());
    }
    EXPECT_GE(mostSpeakers, 2u) << "two speak at once at some point";
    EXPECT_GT(mostPlayers, atStart.size()) << "someone joins during the round";
    EXPECT_LT(fewestPlayers, mostPlayers) << "someone leaves during the round";
    // After whole rounds the same people are on the server, and the same speak.
    run.player.Advance(round * 2);
    EXPECT_EQ(PlayerNames(run.server), atStart);
    EXPECT_EQ(run.server.speakers, speakersAtStart);
}

TEST(TsScenario, TheIdleScenarioFillsTheServerAndNobodyEverSpeaks) {
    Played run(ScenarioFile("idle.txt"));
    for (int second = 0; second < 600; ++second) {
        run.player.Advance(1000);
        ASSERT_TRUE(run.server.speakers.empty()) << "at " << second << " s";
    }
    EXPECT_GE(run.server.players.size(), 5u);
    EXPECT_TRUE(run.server.connected);
    EXPECT_FALSE(run.player.QuitRequested());
}

}  // namespace
}  // namespace sayvane::sim
