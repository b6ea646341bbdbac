// Scenario files of the simulated TeamSpeak server: what parses, what does not and why,
// and how the player applies events as time passes, holds, steps, loops and quits.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/TsScenario.h"

namespace sayvane::sim {
namespace {

TsScenario Parse(const std::string& text) {
    TsScenarioError error;
    auto scenario = ParseTsScenario(text, &error);
    EXPECT_TRUE(scenario.has_value()) << "line " << error.line << ": " << error.message;
    return scenario.value_or(TsScenario{});
}

TEST(ParseTsScenario, ReadsEveryCommand) {
    const TsScenario scenario = Parse(
        "# a comment, then a blank line\n"
        "\n"
        "0 server \"IVAO DE Voice\"\r\n"
        "0 nickname EDDF_APP\n"
        "0 channel 2 EDDF_APP flags=9 codec=12 second=-1 third=3\n"
        "0 join DLH4AB id=12 channel=2 cpriv=1 spriv=8 flags=9\n"
        "+500 speak DLH4AB\n"
        "+1500 stop DLH4AB\n"
        "2500 move DLH4AB 1\n"
        "2500 flags DLH4AB 8\n"
        "2600 leave DLH4AB\n"
        "2600 delete-channel 2\n"
        "2700 silence\n"
        "2700 disconnect\n"
        "2800 connect\n"
        "2900 fail players -5\n"
        "2900 count speakers 2000\n"
        "2900 count channels off\n"
        "3000 hold\n"
        "3100 loop 500\n"
        "3200 quit\n");
    ASSERT_EQ(scenario.events.size(), 19u);
    const TsEvent& channel = scenario.events[2];
    EXPECT_EQ(channel.kind, TsEventKind::Channel);
    EXPECT_EQ(channel.channel.id, 2);
    EXPECT_EQ(channel.channel.name, "EDDF_APP");
    EXPECT_EQ(channel.channel.flags, 9);
    EXPECT_EQ(channel.channel.codec, 12);
    EXPECT_EQ(channel.channel.second, -1);
    EXPECT_EQ(channel.channel.third, 3);
    const TsEvent& join = scenario.events[3];
    EXPECT_EQ(join.name, "DLH4AB");
    EXPECT_EQ(join.id, 12);
    EXPECT_EQ(join.channelId, 2);
    EXPECT_EQ(join.channelPrivileges, 1);
    EXPECT_EQ(join.serverPrivileges, 8);
    EXPECT_EQ(join.flags, 9);
    EXPECT_EQ(scenario.events[0].name, "IVAO DE Voice");
    EXPECT_EQ(scenario.events[0].text, "server \"IVAO DE Voice\"");
    EXPECT_EQ(scenario.events[4].time, 500) << "relative to the line before";
    EXPECT_EQ(scenario.events[5].time, 2000);
    EXPECT_EQ(scenario.events[13].call, TsCall::Players);
    EXPECT_EQ(scenario.events[13].number, -5);
    // What count, off and loop carry is seen where the player applies them.
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

TEST(TsScenarioPlayer, AppliesEventsWhenTheirTimeComes) {
    Played run(
        "0 channel 1 Lobby flags=32\n"
        "0 channel 2 EDDF_APP\n"
        "0 join DLH4AB\n"
        "0 join BAW12 id=14 channel=2 spriv=8\n"
        "0 join BAW12 channel=1\n"
        "1000 speak DLH4AB\n"
        "1000 speak BAW12\n"
        "2500 stop DLH4AB\n");
    EXPECT_EQ(run.player.Advance(0), 5);
    ASSERT_EQ(run.server.players.size(), 2u) << "a join of a player already there updates him";
    // Without options: the next free ID and the default channel.
    EXPECT_EQ(run.server.players[0].id, 1);
    EXPECT_EQ(run.server.players[0].channelId, 1);
    EXPECT_EQ(run.server.players[1].id, 14);
    EXPECT_EQ(run.server.players[1].channelId, 1);
    EXPECT_EQ(run.server.players[1].serverPrivileges, 8) << "options not given keep their values";

    EXPECT_EQ(run.player.Advance(999), 0);
    EXPECT_TRUE(run.server.speakers.empty());
    EXPECT_EQ(run.player.Advance(1), 2);
    EXPECT_EQ(run.server.speakers, (std::vector<std::int32_t>{1, 14}));
    EXPECT_EQ(run.player.Advance(5000), 1);
    EXPECT_EQ(run.server.speakers, (std::vector<std::int32_t>{14}));
    EXPECT_EQ(run.player.Now(), 6000);
    EXPECT_TRUE(run.player.Finished());
    EXPECT_EQ(run.log.back(), "2500 stop DLH4AB");
}

TEST(TsScenarioPlayer, EventsForMissingPlayersAreLoggedAndSkipped) {
    Played run(
        "0 join DLH4AB\n"
        "0 speak BAW12\n"
        "0 leave BAW12\n"
        "0 delete-channel 9\n"
        "0 speak DLH4AB\n");
    EXPECT_EQ(run.player.Advance(0), 5);
    EXPECT_EQ(run.log, (std::vector<std::string>{"0 join DLH4AB", "0 speak BAW12: no player BAW12",
                                                 "0 leave BAW12: no player BAW12", "0 delete-channel 9",
                                                 "0 delete-channel 9: no channel 9", "0 speak DLH4AB"}));
    EXPECT_EQ(run.server.speakers.size(), 1u);
}

TEST(TsScenarioPlayer, HoldFreezesTimeUntilStepOrResume) {
    Played run(
        "0 join DLH4AB\n"
        "0 hold\n"
        "0 speak DLH4AB\n"
        "100 stop DLH4AB\n"
        "100 disconnect\n"
        "200 connect\n");
    // A hold from outside stops the clock before the first event.
    run.player.Hold();
    EXPECT_EQ(run.player.Advance(500), 0);
    EXPECT_TRUE(run.server.players.empty());
    run.player.Resume();

    EXPECT_EQ(run.player.Advance(50), 2);
    EXPECT_TRUE(run.player.IsHeld());
    EXPECT_EQ(run.player.Now(), 0);
    EXPECT_EQ(run.player.Advance(10000), 0);
    EXPECT_TRUE(run.server.speakers.empty());

    // A step applies the rest of the events of one time, however long it has been held.
    EXPECT_EQ(run.player.Step(), 1);
    EXPECT_EQ(run.server.speakers.size(), 1u);
    EXPECT_EQ(run.player.Step(), 2);
    EXPECT_EQ(run.player.Now(), 100);
    EXPECT_FALSE(run.server.connected);
    EXPECT_TRUE(run.player.IsHeld());

    run.player.Resume();
    EXPECT_EQ(run.player.Advance(100), 1);
    EXPECT_TRUE(run.server.connected);
    EXPECT_EQ(run.player.Step(), 0) << "nothing left";
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
    EXPECT_FALSE(run.player.Finished());
    // A long stall skips whole rounds rather than replaying each.
    const std::size_t before = run.log.size();
    run.player.Advance(200 * 1000 + 100);
    EXPECT_LE(run.log.size() - before, 8u);
    EXPECT_EQ(run.player.Now(), 250);
    EXPECT_TRUE(run.server.speakers.empty());
    EXPECT_EQ(run.server.players.size(), 1u) << "the join before the loop is not replayed";
}

TEST(TsScenarioPlayer, FailAndCountReachTheServerAndQuitEndsEverything) {
    Played run(
        "0 join A\n"
        "0 fail speakers -5\n"
        "0 count players 3000\n"
        "100 fail speakers 0\n"
        "100 count players off\n"
        "200 quit\n"
        "200 speak A\n");
    run.player.Advance(0);
    EXPECT_EQ(run.server.forcedResult[static_cast<std::size_t>(TsCall::Speakers)], -5);
    EXPECT_EQ(run.server.reportedCount[static_cast<std::size_t>(TsCall::Players)], 3000);
    run.player.Advance(100);
    EXPECT_EQ(run.server.forcedResult[static_cast<std::size_t>(TsCall::Speakers)], 0);
    EXPECT_FALSE(run.server.reportedCount[static_cast<std::size_t>(TsCall::Players)].has_value());

    run.player.Advance(1000);
    EXPECT_TRUE(run.player.QuitRequested());
    EXPECT_TRUE(run.server.speakers.empty());
    EXPECT_EQ(run.player.Advance(1000), 0);
    EXPECT_EQ(run.player.Step(), 0);
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
