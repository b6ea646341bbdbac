// Join/leave lines: what one change of the players makes, and the stories a channel goes
// through. Each is told twice: with lstUsers refilled from the client, as the overlay refills it
// (the roster then works from the client's account of what changed), and with lstUsers set
// directly (the roster then compares every name).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "overlay/Roster.h"
#include "sim/SimulatedTsRemote.h"
#include "teamspeak/TeamSpeakLink.h"

namespace sayvane {
namespace {

using Lines = std::vector<std::string>;

// A channel's connected ticks, one after the other, at 500 ms with a retention of 1000 ms.
class ChannelTicks {
public:
    explicit ChannelTicks(bool refilled) : m_refilled(refilled) {
        m_settings.RetentionTime = 1000;
        m_settings.RefreshInterval = 500;
        m_state.CurrentChannelName = m_state.LastChannelName = "Approach";
    }

    // One tick with these players in lstUsers; returns lstInOut as "line@stamp". A player keeps
    // an ID from tick to tick: the one of the first, second... player of that name.
    Lines Tick(const std::vector<std::string>& players) {
        ++m_state.TickNumber;
        std::map<std::string, int> seen;
        m_client.Server().players.clear();
        if (!m_refilled) {
            m_state.lstUsers.Clear();
        }
        for (const std::string& name : players) {
            const std::pair<std::string, int> player(name, seen[name]++);
            const std::int32_t id =
                m_ids.try_emplace(player, static_cast<std::int32_t>(m_ids.size()) + 1).first->second;
            m_client.Server().players.push_back({id, 1, 0, 0, 0, name});
            if (!m_refilled) {
                m_state.lstUsers.Add(name, id);
            }
        }
        if (m_refilled) {
            EXPECT_TRUE(m_link.GetPlayers());
            m_roster.RefillPlayers(m_link);
        }
        m_roster.TrackJoinLeave(m_settings);
        m_state.LastChannelName = m_state.CurrentChannelName;
        Lines lines;
        for (const ListItem& item : m_state.lstInOut.Items()) {
            lines.push_back(item.text + "@" + std::to_string(item.value));
        }
        return lines;
    }

    OverlaySettings m_settings;
    OverlayState m_state;
    Roster m_roster{m_state};

private:
    bool m_refilled;
    std::map<std::pair<std::string, int>, std::int32_t> m_ids;
    sim::SimulatedTsRemote m_client;
    TeamSpeakLink m_link{m_client};
};

// What one change of the players makes: the players of a tick in the channel, then those of the
// ticks after it (in another channel, when given), and the lines after the last of them.
struct Change {
    const char* name;
    std::vector<std::string> before;
    std::vector<std::vector<std::string>> after;
    Lines inOut;
    const char* channel = nullptr;
};

TEST(JoinLeaveTest, WhatAChangeOfThePlayersMakes) {
    const Change changes[] = {
        {"renamed only in case: no line", {"DLH4AB", "BAW12"}, {{"dlh4ab", "BAW12"}}, {}},
        {"a case twin joining is a join", {"DLH4AB"}, {{"DLH4AB", "dlh4ab"}}, {"In:dlh4ab@2"}},
        {"two players of one name, one leaves: one line", {"Bob", "Anna", "Bob"}, {{"Bob", "Anna"}}, {"Out:Bob@2"}},
        {"a player no longer listed leaves", {"Anna", "Bob", "Carl"}, {{"Anna", "Carl"}}, {"Out:Bob@2"}},
        {"renamed: the old name leaves, the new one joins",
         {"Anna", "Bob"},
         {{"Anna", "Rob"}},
         {"In:Rob@2", "Out:Bob@2"}},
        {"listed in another order: no line", {"Anna", "Bob", "Carl"}, {{"Carl", "Anna", "Bob"}}, {}},
        // The pieces are lines in the order the players are listed: In:a comes after In:A.
        {"a comma makes a line of each piece", {"Anna"}, {{"Anna", "A,B", "a"}}, {"In:A@2", "In:a@2", "In:B@2"}},
        {"an empty name makes no line, leaving or joining", {"", "Anna"}, {{"Anna"}, {"Anna", "", ""}}, {}},
        {"a join and a leave within the retention: both lines",
         {"Anna"},
         {{"Anna", "Bob"}, {"Anna"}},
         {"In:Bob@2", "Out:Bob@3"}},
        {"a change of channel: no line, and the new players are the base",
         {"Anna", "Bob"},
         {{"Carl"}, {"Carl"}},
         {},
         "Tower"},
    };
    for (const bool refilled : {true, false}) {
        for (const Change& change : changes) {
            SCOPED_TRACE(std::string(change.name) + (refilled ? ", refilled" : ", set directly"));
            ChannelTicks channel(refilled);
            channel.Tick(change.before);
            channel.m_state.lstInOut.Clear();  // as after the change of channel that brought us here
            if (change.channel != nullptr) {
                channel.m_state.CurrentChannelName = change.channel;
            }
            Lines inOut;
            for (const std::vector<std::string>& players : change.after) {
                inOut = channel.Tick(players);
            }
            EXPECT_EQ(inOut, change.inOut);
        }
    }
}

// One tick of a story: the channel the user is in (unchanged if null; "" empties both channel
// names, as the ticks of a lost link leave them), the players listed, and the lines after it.
struct Step {
    const char* channel;
    std::vector<std::string> players;
    Lines inOut;
};

struct Story {
    const char* name;
    std::vector<std::string> base;  // the first tick in the channel: everybody is new, no lines
    std::vector<Step> steps;
};

TEST(JoinLeaveTest, StoriesOfAChannel) {
    const Story stories[] = {
        {"a join and a later leave each make one line",
         {"Anna", "Bob"},
         {{nullptr, {"Anna", "Bob", "Carl"}, {"In:Carl@2"}}, {nullptr, {"Anna", "Carl"}, {"In:Carl@2", "Out:Bob@3"}}}},
        {"lines expire: stamp 2 + 1000 / 500 = 4 is not less than tick 4, but is less than 5",
         {"Anna"},
         {{nullptr, {"Anna", "Bob"}, {"In:Bob@2"}},
          {nullptr, {"Anna", "Bob"}, {"In:Bob@2"}},
          {nullptr, {"Anna", "Bob"}, {"In:Bob@2"}},
          {nullptr, {"Anna", "Bob"}, {}}}},
        {"names match without case, but lines do not",
         {"bob"},
         {{nullptr, {"Bob"}, {}},
          {nullptr, {"Bob", "bob"}, {"In:bob@3"}},
          {nullptr, {"Bob", "bob", "BOB"}, {"In:bob@3", "In:BOB@4"}}}},
        // Two more of that name join: In:Bob is new and goes behind its equals; In:bob is
        // renewed, so it leaves its place and goes behind them all.
        {"a renewed line moves behind the lines that sort equal to it",
         {"x"},
         {{nullptr, {"x", "bob", "BOB"}, {"In:bob@2", "In:BOB@2"}},
          {nullptr, {"x", "bob", "BOB", "Bob", "bob"}, {"In:BOB@2", "In:Bob@3", "In:bob@3"}}}},
        // Leaving again renews the leave line's stamp instead of adding a second one.
        {"leaving and coming back shows both lines, the join first",
         {"Anna", "Bob"},
         {{nullptr, {"Anna"}, {"Out:Bob@2"}},
          {nullptr, {"Anna", "Bob"}, {"In:Bob@3", "Out:Bob@2"}},
          {nullptr, {"Anna"}, {"In:Bob@3", "Out:Bob@4"}}}},
        {"a change of channel clears the lines and makes the new players the base",
         {"Anna", "Bob"},
         {{nullptr, {"Anna"}, {"Out:Bob@2"}}, {"Tower", {"Carl", "Dora"}, {}}, {nullptr, {"Carl"}, {"Out:Dora@4"}}}},
        // The first connected tick after the link returned: lstUsers is not refreshed yet, and
        // the channel is not known. The refresh then names the channel: a change of channel.
        {"the link coming back reports the old channel as leaving until the channel is known",
         {"Anna", "Bob"},
         {{"", {}, {"Out:Anna@2", "Out:Bob@2"}}, {"Approach", {"Anna", "Bob"}, {}}}},
    };
    for (const bool refilled : {true, false}) {
        for (const Story& story : stories) {
            SCOPED_TRACE(std::string(story.name) + (refilled ? ", refilled" : ", set directly"));
            ChannelTicks channel(refilled);
            channel.Tick(story.base);
            channel.m_state.lstInOut.Clear();  // as after the change of channel that brought us here
            int tick = 1;
            for (const Step& step : story.steps) {
                SCOPED_TRACE(++tick);
                if (step.channel != nullptr && *step.channel == '\0') {
                    channel.m_state.CurrentChannelName.clear();
                    channel.m_state.LastChannelName.clear();
                } else if (step.channel != nullptr) {
                    channel.m_state.CurrentChannelName = step.channel;
                }
                EXPECT_EQ(channel.Tick(step.players), step.inOut);
            }
        }
    }
}

}  // namespace
}  // namespace sayvane
