// Join/leave lines, told as the stories a channel goes through.
#include <gtest/gtest.h>

#include "overlay/Roster.h"

namespace sayvane {
namespace {

using Lines = std::vector<std::string>;

// A channel's connected ticks, one after the other, at 500 ms with a retention of 1000 ms.
class ChannelTicks {
public:
    ChannelTicks() {
        m_settings.RetentionTime = 1000;
        m_settings.RefreshInterval = 500;
        m_state.CurrentChannelName = m_state.LastChannelName = "Approach";
    }

    // One tick with these players in lstUsers; returns lstInOut as "line@stamp".
    Lines Tick(const std::vector<std::string>& players) {
        ++m_state.TickNumber;
        m_state.lstUsers.Clear();
        std::int32_t id = 1;
        for (const std::string& name : players) {
            m_state.lstUsers.Add(name, id++);
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
};

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
        {"two players of one name count as two", {"Bob", "Bob", "Anna"}, {{nullptr, {"Bob", "Anna"}, {"Out:Bob@2"}}}},
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
        {"comma and empty names follow the name lists",
         {"Anna"},
         {{nullptr, {"Anna", "A,B", ""}, {"In:A@2", "In:B@2"}}}},
    };
    for (const Story& story : stories) {
        SCOPED_TRACE(story.name);
        ChannelTicks channel;
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

}  // namespace
}  // namespace sayvane
