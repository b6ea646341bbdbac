// The simulated TeamSpeak server behind the substitute library and the simulated client:
// what its calls write, the block it shares with the substitute library, the texts its window
// shows and the channel its dialog creates; and the scenario files it plays, what parses, what
// does not and why, and the commands the end-to-end scenarios do not use. How the player
// holds, steps and quits is proven by the end-to-end tests that drive the simulated client.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "peers/common/TsSharedState.h"
#include "sim/TsClientView.h"
#include "sim/TsScenario.h"
#include "sim/TsServer.h"

namespace sayvane::sim {
namespace {

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
    EXPECT_EQ(server.ServeUserInfo(nullptr, error), kResultBadArgument);
}

// The end-to-end round trip through the substitute library carries speakers, channels and
// players exactly; here what no scenario it plays sets (forced results and counts), and a
// damaged block.
TEST(TsSharedState, CarriesTheServerThroughTheSharedBlock) {
    TsServer server = TwoChannelServer();
    server.speakers = {5, 7};
    server.forcedResult[static_cast<std::size_t>(TsCall::Players)] = -5;
    server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)] = 2000;

    auto block = std::make_unique<peers::TsSharedState>();
    *block = {};
    peers::PublishServer(server, *block);
    peers::PublishServer(server, *block);
    EXPECT_EQ(block->revision, 2u);
    const TsServer copy = peers::ReadServer(*block);

    EXPECT_EQ(copy.forcedResult, server.forcedResult);
    EXPECT_EQ(copy.reportedCount, server.reportedCount);

    // A block with counts out of range is read within its arrays.
    block->playerCount = 99999;
    block->speakerCount = -1;
    const TsServer damaged = peers::ReadServer(*block);
    EXPECT_EQ(damaged.players.size(), 1024u);
    EXPECT_TRUE(damaged.speakers.empty());
}

// The dialog's channel takes the next free ID and the creator; a name is taken without regard to case.
TEST(TsClientView, ShowsServerPlayerAndChannelOnlyWhileConnectedAndTheChannelsTheDialogCreates) {
    TsServer server = TwoChannelServer();
    EXPECT_EQ(ClientInfoPaneText(server), "Server:\r\nTest Server\r\nPlayer:\r\nEDDF_TWR\r\nChannel:\r\nLobby");
    server.StartSpeaking(7);
    EXPECT_EQ(server.CreateChannel("EDDF_TWR"), std::optional<std::int32_t>(3));
    EXPECT_FALSE(server.CreateChannel("eddf_twr"));
    EXPECT_FALSE(server.CreateChannel(""));
    EXPECT_EQ(ClientTreeLines(server),
              (std::vector<std::string>{"Lobby", "EDDF_APP", "    DLH4AB *", "EDDF_TWR", "    EDDF_TWR"}));
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

// Server, nickname, channel and join options, speak, silence, hold, step, disconnect, connect
// and quit are played by the end-to-end scenarios; relative times, stop, leave and loop by the
// demo scenario below.
TEST(TsScenarioPlayer, AppliesTheOtherCommandsWhenTheirTimeComesAndSkipsThoseNamingNobody) {
    Played run(
        "0 channel 2 EDDF_APP\n"
        "0 channel 1 Lobby flags=32\r\n"
        "0 join BAW12 id=14 channel=2 cpriv=1 spriv=8 flags=9\n"
        "0 join DLH4AB\n"
        "0 join BAW12 channel=1\n"
        "1000 speak DLH4AB\n"
        "1000 speak BAW12\n"
        "1000 speak BAW12\n"
        "2500 stop DLH4AB\n"
        "2500 move BAW12 2\n"
        "2500 flags BAW12 8\n"
        "2500 speak NOBODY\n"
        "2500 delete-channel 9\n"
        "2600 leave BAW12\n"
        "2600 delete-channel 2\n"
        "2600 hold\n"
        "2700 fail players -5\n"
        "2700 count speakers 2000\n"
        "2800 fail players 0\n"
        "2800 count speakers off\n");
    const TsServer& server = run.server;
    EXPECT_EQ(run.player.Advance(0), 5);
    // A join of a player already there updates him, keeping what it does not give; without
    // options the next free ID and the default channel.
    EXPECT_EQ(Players(server), (std::vector<std::string>{"14 BAW12 1/1/8/9", "15 DLH4AB 1/0/0/0"}));
    EXPECT_EQ(run.player.Advance(1000), 3);
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

    EXPECT_EQ(run.player.Advance(10000), 3);
    EXPECT_EQ(run.player.Now(), 2600) << "held";
    EXPECT_EQ(Players(server), std::vector<std::string>{"15 DLH4AB 1/0/0/0"});
    EXPECT_TRUE(server.speakers.empty()) << "leaving ends the speech";
    ASSERT_EQ(server.channels.size(), 1u);
    EXPECT_EQ(server.channels[0].name, "Lobby");
    EXPECT_EQ(server.channels[0].flags, 32) << "read up to its CR LF";

    EXPECT_EQ(run.player.Step(), 2);
    EXPECT_EQ(server.forcedResult[static_cast<std::size_t>(TsCall::Players)], -5);
    EXPECT_EQ(server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)], 2000);
    EXPECT_EQ(run.player.Step(), 2);
    EXPECT_EQ(server.forcedResult[static_cast<std::size_t>(TsCall::Players)], 0);
    EXPECT_FALSE(server.reportedCount[static_cast<std::size_t>(TsCall::Speakers)].has_value());
}

std::string ScenarioFile(const std::string& name) {
    return testing::ReadBytes(SAYVANE_SOURCE_DIR "/peers/ts2sim/scenarios/" + name);
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
    // After whole rounds the same people are on the server, and the same speak. A long stall
    // skips whole rounds rather than replaying each, and the events before the loop's target
    // are never played again.
    const std::size_t logged = run.log.size();
    run.player.Advance(round * 1000);
    EXPECT_LT(run.log.size() - logged, 2 * scenario.events.size());
    EXPECT_EQ(run.player.Now(), loop->number);
    EXPECT_EQ(PlayerNames(run.server), atStart);
    EXPECT_EQ(run.server.speakers, speakersAtStart);
    const auto atZero = [](const std::string& entry) { return entry.rfind("0 ", 0) == 0; };
    EXPECT_EQ(
        std::count_if(run.log.begin(), run.log.end(), atZero),
        std::count_if(scenario.events.begin(), scenario.events.end(), [](const TsEvent& e) { return e.time == 0; }));
}

TEST(TsScenario, TheIdleScenarioFillsTheServerAndNobodyEverSpeaks) {
    const std::string text = ScenarioFile("idle.txt");
    const TsScenario scenario = Parse(text);
    EXPECT_TRUE(std::none_of(scenario.events.begin(), scenario.events.end(),
                             [](const TsEvent& e) { return e.kind == TsEventKind::Speak; }));
    Played run(text);
    run.player.Advance(600 * 1000);
    EXPECT_GE(run.server.players.size(), 5u);
    EXPECT_TRUE(run.server.connected);
    EXPECT_FALSE(run.player.QuitRequested());
}

}  // namespace
}  // namespace sayvane::sim
