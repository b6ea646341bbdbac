// Join/leave lines, told as the stories a channel goes through.
#include <gtest/gtest.h>

#include "overlay/JoinLeave.h"
#include "sim/VirtualClock.h"

namespace sayvane {
namespace {

using Lines = std::vector<std::string>;

class JoinLeaveTest : public ::testing::Test {
protected:
    JoinLeaveTest() {
        m_settings.RetentionTime = 1000;
        m_settings.RefreshInterval = 500;
        m_state.CurrentChannelName = m_state.LastChannelName = "Approach";
    }

    // One connected tick with these players in lstUsers; returns lstInOut's texts.
    std::vector<std::string> Tick(std::initializer_list<const char*> players) {
        ++m_state.TickNumber;
        m_state.lstUsers.Clear();
        std::int32_t id = 1;
        for (const char* name : players) {
            m_state.lstUsers.Add(name, id++);
        }
        TrackJoinLeave(m_state, m_settings, m_clock);
        m_state.LastChannelName = m_state.CurrentChannelName;
        return InOutLines();
    }

    [[nodiscard]] std::vector<std::string> InOutLines() const {
        std::vector<std::string> lines;
        for (const ListItem& item : m_state.lstInOut.Items()) {
            lines.push_back(item.text);
        }
        return lines;
    }

    OverlaySettings m_settings;
    OverlayState m_state;
    sim::VirtualClock m_clock;
};

TEST_F(JoinLeaveTest, AJoinAndALaterLeaveEachMakeOneLine) {
    Tick({"Anna", "Bob"});     // the first tick in a channel: everybody is new...
    m_state.lstInOut.Clear();  // ...as after the channel change that brought us here
    EXPECT_EQ(Tick({"Anna", "Bob", "Carl"}), Lines{"In:Carl"});
    EXPECT_EQ(m_state.lstInOut[0].value, m_state.TickNumber);
    EXPECT_EQ(Tick({"Anna", "Carl"}), (Lines{"In:Carl", "Out:Bob"}));
    EXPECT_EQ(m_clock.YieldCount(), 3) << "every step ends with a yield";
}

TEST_F(JoinLeaveTest, LinesExpireByTheRetentionRule) {
    Tick({"Anna"});
    m_state.lstInOut.Clear();
    Tick({"Anna", "Bob"});  // In:Bob stamped 2; 2 + 1000/500 = 4 is not less than 4
    Tick({"Anna", "Bob"});
    EXPECT_EQ(Tick({"Anna", "Bob"}), Lines{"In:Bob"});
    EXPECT_EQ(Tick({"Anna", "Bob"}), Lines{}) << "gone at tick 5";
}

TEST_F(JoinLeaveTest, NamesMatchWithoutCaseButLinesDoNot) {
    Tick({"bob"});
    m_state.lstInOut.Clear();
    EXPECT_EQ(Tick({"Bob"}), Lines{}) << "bob -> Bob is the same player";
    EXPECT_EQ(Tick({"Bob", "bob"}), Lines{"In:bob"});
    EXPECT_EQ(Tick({"Bob", "bob", "BOB"}), (Lines{"In:bob", "In:BOB"}));
}

TEST_F(JoinLeaveTest, ARenewedLineMovesBehindTheLinesThatSortEqualToIt) {
    Tick({"x"});
    m_state.lstInOut.Clear();
    EXPECT_EQ(Tick({"x", "bob", "BOB"}), (Lines{"In:bob", "In:BOB"}));
    // Two more of that name join: In:Bob is new and goes behind its equals; In:bob is renewed,
    // so it leaves its place and goes behind them all.
    EXPECT_EQ(Tick({"x", "bob", "BOB", "Bob", "bob"}), (Lines{"In:BOB", "In:Bob", "In:bob"}));
    EXPECT_EQ(m_state.lstInOut[0].value, 2);
    EXPECT_EQ(m_state.lstInOut[1].value, 3);
    EXPECT_EQ(m_state.lstInOut[2].value, 3);
}

TEST_F(JoinLeaveTest, TwoPlayersOfOneNameCountAsTwo) {
    Tick({"Bob", "Bob", "Anna"});
    m_state.lstInOut.Clear();
    EXPECT_EQ(Tick({"Bob", "Anna"}), Lines{"Out:Bob"});
}

TEST_F(JoinLeaveTest, LeavingAndComingBackShowsBothLinesJoinFirst) {
    Tick({"Anna", "Bob"});
    m_state.lstInOut.Clear();
    Tick({"Anna"});
    EXPECT_EQ(Tick({"Anna", "Bob"}), (Lines{"In:Bob", "Out:Bob"}));
    // Leaving again renews the leave line's stamp instead of adding a second one.
    const std::int32_t before = m_state.lstInOut[1].value;
    EXPECT_EQ(Tick({"Anna"}), (Lines{"In:Bob", "Out:Bob"}));
    EXPECT_GT(m_state.lstInOut[1].value, before);
}

TEST_F(JoinLeaveTest, AChangeOfChannelMakesTheNewPlayersTheBase) {
    Tick({"Anna", "Bob"});
    m_state.lstInOut.Clear();
    Tick({"Anna"});  // Out:Bob
    m_state.CurrentChannelName = "Tower";
    EXPECT_EQ(Tick({"Carl", "Dora"}), Lines{}) << "cleared, although everyone was compared as new";
    EXPECT_EQ(Tick({"Carl"}), Lines{"Out:Dora"});
}

TEST_F(JoinLeaveTest, TheLinkComingBackReportsTheOldChannelAsLeavingUntilTheChannelIsKnown) {
    Tick({"Anna", "Bob"});
    m_state.lstInOut.Clear();
    // First connected tick after the link returned: lstUsers not refreshed yet, and the
    // lost-link ticks emptied the channel name.
    m_state.CurrentChannelName.clear();
    m_state.LastChannelName.clear();
    EXPECT_EQ(Tick({}), (Lines{"Out:Anna", "Out:Bob"}));
    // The refresh sets the channel name: the next tick clears them as a change of channel.
    m_state.CurrentChannelName = "Approach";
    EXPECT_EQ(Tick({"Anna", "Bob"}), Lines{});
}

TEST_F(JoinLeaveTest, CommaAndEmptyNamesFollowTheNameLists) {
    Tick({"Anna"});
    m_state.lstInOut.Clear();
    EXPECT_EQ(Tick({"Anna", "A,B", ""}), (Lines{"In:A", "In:B"}));
}

TEST_F(JoinLeaveTest, ItScalesToAFullServer) {
    std::vector<std::string> names;
    for (int i = 0; i < 1024; ++i) {
        names.push_back("PILOT" + std::to_string(1023 - i));
    }
    m_state.lstUsers.Clear();
    for (const auto& name : names) {
        m_state.lstUsers.Add(name, 1);
    }
    ++m_state.TickNumber;
    TrackJoinLeave(m_state, m_settings, m_clock);
    EXPECT_EQ(m_state.lstInOut.Count(), 1024u);
    EXPECT_EQ(m_state.lstInOut[0].text, "In:PILOT0");
    EXPECT_EQ(m_state.lstChkPlayer.Count(), 1024u);
    EXPECT_EQ(m_state.lstChkPlayer[0].text, "PILOT1023") << "the base keeps lstUsers' order";
}

}  // namespace
}  // namespace sayvane
