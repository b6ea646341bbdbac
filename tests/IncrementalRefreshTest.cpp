// Random server histories told to two overlays at once: one follows what changed from one
// refresh to the next, the other builds every list from all the records each time. After every
// tick both must hold the same lists and show the same window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "OverlayHarness.h"

namespace sayvane {
namespace {

// A run: its seed and the settings it runs with (2500 ms ticks: a periodic refresh every 4th).
struct History {
    std::uint32_t seed;
    const char* settings;
};

void PrintTo(const History& history, std::ostream* os) {
    *os << "seed " << history.seed;
}

// Names players take: callsigns, a case twin, a comma (two lines from one name), the longest
// name a record holds, and the user's own.
const std::vector<std::string> kNames = {
    "DLH4AB", "dlh4ab", "BAW12", "AFR7731", "KLM1853", "EZY45KP",  "SWR100",
    "A,B",    "a",      "Ä1",    "ä1",      "",        "EDDF_APP", std::string(30, 'Z')};

class IncrementalRefreshTest : public ::testing::TestWithParam<History> {
protected:
    IncrementalRefreshTest() : m_random(GetParam().seed) {
        m_server.ownNickname = "EDDF_APP";
        for (int id = 1; id <= 4; ++id) {
            m_server.channels.push_back({id, 0, 0, id == 1 ? 32 : 1, 9, "Channel " + std::to_string(id)});
        }
        m_server.players.push_back({1, 2, 0, 8, 0, "EDDF_APP"});
        m_reference.incremental = false;
        for (testing::OverlayHarness* rig : {&m_followed, &m_reference}) {
            rig->ShowTeamSpeakWindow();
            rig->WriteSettings(GetParam().settings);
            rig->Create();
        }
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    sim::TsPlayer& AnyPlayer() { return m_server.players[static_cast<std::size_t>(Between(0, Players() - 1))]; }
    int Players() const { return static_cast<int>(m_server.players.size()); }
    const std::string& AnyName() {
        return kNames[static_cast<std::size_t>(Between(0, static_cast<int>(kNames.size()) - 1))];
    }

    // One change of the server, of a kind picked at random.
    void Change() {
        const int kind = Between(0, 99);
        if (kind < 25) {
            m_server.players.push_back({m_nextId++, Between(1, 4), 0, 8, 0, AnyName() + std::to_string(Between(0, 3))});
        } else if (kind < 45 && Players() > 0) {
            m_server.players.erase(m_server.players.begin() + Between(0, Players() - 1));
        } else if (kind < 55 && Players() > 0) {
            AnyPlayer().channelId = Between(1, 4);  // the user too: then the channel changes
        } else if (kind < 65 && Players() > 0) {
            AnyPlayer().name = AnyName();  // a rename, now and then to the same name in another case
        } else if (kind < 70 && Players() > 1) {
            std::swap(AnyPlayer(), AnyPlayer());  // the library lists them in another order
        } else if (kind < 72 && Players() > 0) {
            m_server.players.push_back(AnyPlayer());  // two players with one ID
        } else if (kind < 75) {
            m_server.channels[static_cast<std::size_t>(Between(1, 3))].name = AnyName();
        } else if (kind < 90 && Players() > 0) {
            m_server.speakers.push_back(kind < 88 ? AnyPlayer().id : 99999);
        } else if (!m_server.speakers.empty()) {
            m_server.speakers.erase(m_server.speakers.begin() +
                                    Between(0, static_cast<int>(m_server.speakers.size()) - 1));
        }
    }

    // Everybody goes, or the server fills to the most a record buffer holds.
    void EmptyOrFill() {
        if (Between(0, 1) == 0) {
            m_server.players.clear();
            m_server.speakers.clear();
            return;
        }
        while (Players() < 1024) {
            m_server.players.push_back({m_nextId++, Between(1, 4), 0, 8, 0, "P" + std::to_string(m_nextId)});
        }
        for (int i = 0; i < 300; ++i) {
            m_server.speakers.push_back(AnyPlayer().id);
        }
    }

    void Tick() {
        const int roll = Between(0, 99);
        const int changes = roll < 40 ? 0 : roll < 85 ? 1 : roll < 97 ? Between(2, 20) : 0;
        for (int i = 0; i < changes; ++i) {
            Change();
        }
        if (roll >= 97) {
            EmptyOrFill();
        }
        m_server.connected = Between(0, 99) >= 2;  // now and then the server is lost for a tick
        for (testing::OverlayHarness* rig : {&m_followed, &m_reference}) {
            rig->api.Server() = m_server;
            rig->Tick();
        }
    }

    static std::vector<std::pair<std::string, std::int32_t>> Items(const ItemList& list) {
        std::vector<std::pair<std::string, std::int32_t>> items;
        for (const ListItem& item : list.Items()) {
            items.emplace_back(item.text, item.value);
        }
        return items;
    }

    void ExpectSame(int tick) {
        const OverlayState& a = m_followed.overlay->State();
        const OverlayState& b = m_reference.overlay->State();
        const std::pair<const char*, const ItemList OverlayState::*> lists[] = {
            {"lstUsers", &OverlayState::lstUsers},         {"lstChans", &OverlayState::lstChans},
            {"lstSpeakers", &OverlayState::lstSpeakers},   {"lstInOut", &OverlayState::lstInOut},
            {"lstOldPlayer", &OverlayState::lstOldPlayer}, {"lstChkPlayer", &OverlayState::lstChkPlayer}};
        for (const auto& [name, list] : lists) {
            ASSERT_EQ(Items(a.*list), Items(b.*list)) << name << " at tick " << tick;
        }
        ASSERT_TRUE(std::all_of(b.lstChkPlayer.Items().begin(), b.lstChkPlayer.Items().end(),
                                [](const ListItem& item) { return item.value == 0; }));
        for (const char* name : {"lstChkPlayer", "lstUsers", "lstInOut"}) {
            ASSERT_EQ(m_followed.window.Mirrored(name), m_reference.window.Mirrored(name)) << name << ", tick " << tick;
        }
        ASSERT_EQ(a.CurrentChannelName, b.CurrentChannelName) << "tick " << tick;
        ASSERT_EQ(a.LastSpeaker, b.LastSpeaker) << "tick " << tick;
        ASSERT_EQ(m_followed.window.Lines(), m_reference.window.Lines()) << "drawn lines, tick " << tick;
        ASSERT_EQ(m_followed.window.Geometry(), m_reference.window.Geometry()) << "tick " << tick;
        ASSERT_EQ(m_followed.window.IsVisible(), m_reference.window.IsVisible()) << "tick " << tick;
    }

    std::mt19937 m_random;
    sim::TsServer m_server;
    std::int32_t m_nextId = 2;
    testing::OverlayHarness m_followed;
    testing::OverlayHarness m_reference;
};

TEST_P(IncrementalRefreshTest, FollowingTheChangesGivesWhatBuildingFromAllRecordsGives) {
    int busiest = 0;
    for (int tick = 1; tick <= 3000 && !HasFatalFailure(); ++tick) {
        Tick();
        ExpectSame(tick);
        busiest = std::max(busiest, static_cast<int>(m_followed.overlay->State().lstInOut.Count()));
    }
    EXPECT_GT(busiest, 20) << "the history never brought many joins and leaves at once";
}

INSTANTIATE_TEST_SUITE_P(
    Histories, IncrementalRefreshTest,
    ::testing::Values(History{1, "Refresh=45\r\nDelay=9\r\nShowChannel=1\r\nShowInOut=1\r\nShowMe=1\r\n"},
                      History{2, "Refresh=45\r\nDelay=1\r\nShowChannel=0\r\nShowInOut=1\r\nShowMe=0\r\n"},
                      History{3, "Refresh=0\r\nDelay=19\r\nShowChannel=1\r\nShowInOut=0\r\nShowMe=0\r\n"}),
    [](const ::testing::TestParamInfo<History>& param) { return "Seed" + std::to_string(param.param.seed); });

}  // namespace
}  // namespace sayvane
