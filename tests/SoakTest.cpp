// Hours of a busy TeamSpeak server on the virtual clock, driven by a seeded generator: players
// join, leave and speak in bursts, the client loses its server, quits and comes back, the user
// changes channel and flips the menu's toggles. After every tick the overlay's lists must stay
// within what the server holds, and after every quiet spell the overlay must be empty and hidden.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "OverlayHarness.h"
#include "sim/IvAcScene.h"

namespace sayvane {
namespace {

constexpr const char* kOwnName = "EDDF_APP";
constexpr std::int32_t kOwnId = 1;
constexpr int kChannelCount = 6;

// Every name a player may join under: a fixed pool, so join/leave lines are bounded by it.
// Two names differ only in case, as two pilots of one airline now and then do.
const std::vector<std::string> kNamePool = {
    "DLH4AB",   "BAW12",    "AFR7731", "KLM1853", "EZY45KP", "DLH9KT", "SWR100", "AUA62",  "RYR2TX", "IBE3170",
    "THY1SP",   "SAS903",   "UAE45",   "QTR7",    "EWG8MN",  "CFG1JK", "TAP552", "LOT3",   "FIN8",   "dlh4ab",
    "EDDF_TWR", "EDDM_APP", "N123AB",  "D-EFGH",  "OE-LDA",  "HB-JZA", "G-BOAC", "F-HBXA", "I-DEMO", "CS-TNP",
};

// A soak run: the settings, how long, and the seed that makes it repeatable.
struct SoakCase {
    const char* name;
    int refreshPosition;  // Refresh key
    int delayPosition;    // Delay key
    double hours;
    std::uint32_t seed;
};

// Names the case in the test list instead of a dump of its bytes.
void PrintTo(const SoakCase& c, std::ostream* os) {
    *os << c.name << " (seed " << c.seed << ")";
}

class SoakTest : public ::testing::TestWithParam<SoakCase> {
protected:
    SoakTest() : m_random(GetParam().seed) {
        const SoakCase& c = GetParam();
        sim::TsServer& server = m_h.api.Server();
        server.serverName = "IVAO DE Voice";
        server.ownNickname = kOwnName;
        for (int id = 1; id <= kChannelCount; ++id) {
            server.channels.push_back({id, -1, id, id == 1 ? 33 : 1, 10, "Channel " + std::to_string(id)});
        }
        server.players.push_back({kOwnId, 2, 1, 8, 1, kOwnName});
        m_tsMain = m_h.ShowTeamSpeakWindow();
        m_commandLine = sim::AddIvAc(m_h.desktop, "IvAc 1.2 - EDDF_APP [Online]").commBoxes[0].commandLine;
        m_h.WriteSettings("Refresh=" + std::to_string(c.refreshPosition) +
                          "\r\nDelay=" + std::to_string(c.delayPosition) + "\r\nIvAcSelect=1\r\nShowChannel=1\r\n");
        m_h.Create();
        m_interval = m_h.overlay->Settings().RefreshInterval;
        const int retention = m_h.overlay->Settings().RetentionTime;
        // Longest a change may stay unseen (up to the next periodic refresh), plus the
        // retention of the lines it causes, plus a little slack for the tick it lands on.
        m_quietTicks = static_cast<int>(8000 / m_interval) + 1 + retention / m_interval + 1 + 3;
        // Menu commands also arrive while a tick lets messages run.
        m_h.clock.OnYield([this] {
            if (Chance(0.002)) {
                ToggleSomething();
            }
        });
    }

    void Run() {
        const auto ticks = static_cast<std::int64_t>(GetParam().hours * 3600 * 1000 / m_interval);
        std::int64_t phaseEnd = 0;
        bool quiet = true;
        for (std::int64_t tick = 0; tick < ticks; ++tick) {
            if (tick >= phaseEnd) {
                quiet = !quiet;
                // Busy spells of 1 to 15 minutes, quiet ones of 20 to 90 seconds.
                const int seconds = quiet ? Between(20, 90) : Between(60, 900);
                phaseEnd = tick + seconds * 1000 / m_interval;
                if (quiet) {
                    EndEverything();
                    m_quietSince = m_ticks;
                }
            }
            if (!quiet) {
                Stir();
            } else if (Chance(0.01)) {
                ToggleSomething();
            }
            FollowBursts();
            Tick();
            CheckBounds();
            if (quiet && !HasFatalFailure()) {
                CheckQuiet();
            }
            if (HasFatalFailure()) {
                return;
            }
        }
    }

    // What the run went through.
    struct Tally {
        int quietChecks = 0;
        int mostSpeakersListed = 0;
        int mostInOutListed = 0;
        int disconnects = 0;
        int quits = 0;
        int channelSwitches = 0;
        int toggles = 0;
        int selectionsSent = 0;
    } tally;

private:
    bool Chance(double p) { return static_cast<double>(m_random()) / 4294967296.0 < p; }
    int Between(int low, int high) {
        return low + static_cast<int>(m_random() % static_cast<std::uint32_t>(high - low + 1));
    }
    sim::TsServer& Server() { return m_h.api.Server(); }

    // The server answers again, and the client runs again with its window.
    void BringTheLinkBack() {
        Server().connected = true;
        if (!Server().clientRunning) {
            Server().clientRunning = true;
            m_tsMain = m_h.ShowTeamSpeakWindow();
        }
        m_linkDownFor = 0;
    }

    // One tick's worth of random events on a busy frequency.
    void Stir() {
        sim::TsServer& server = Server();
        if (m_linkDownFor > 0) {
            if (--m_linkDownFor == 0) {
                BringTheLinkBack();
            }
            return;
        }
        if (Chance(0.02) && server.players.size() < kNamePool.size()) {
            const std::string& name = kNamePool[m_random() % kNamePool.size()];
            if (server.FindPlayerByName(name) == nullptr) {
                server.UpsertPlayer({server.NextPlayerId(), Between(1, kChannelCount), 0, 8, 0, name});
            }
        }
        if (Chance(0.015) && server.players.size() > 1) {
            const sim::TsPlayer& leaving = server.players[1 + m_random() % (server.players.size() - 1)];
            m_bursts.erase(leaving.id);
            (void)server.RemovePlayer(leaving.id);
        }
        if (Chance(0.08) && !server.players.empty()) {
            const sim::TsPlayer& speaker = server.players[m_random() % server.players.size()];
            if (m_bursts.count(speaker.id) == 0) {
                m_bursts[speaker.id] = Between(1, 40);  // a quarter second to ten seconds at 250 ms
                server.StartSpeaking(speaker.id);
            }
        }
        if (Chance(0.003)) {
            Server().FindPlayer(kOwnId)->channelId = Between(1, kChannelCount);
            ++tally.channelSwitches;
        }
        if (Chance(0.0015)) {
            server.connected = false;
            m_linkDownFor = Between(1, 60);
            ++tally.disconnects;
        } else if (Chance(0.0008)) {
            server.clientRunning = false;
            m_h.desktop.Destroy(m_tsMain);
            m_linkDownFor = Between(1, 120);
            ++tally.quits;
        } else if (Chance(0.001)) {
            // The library fails one call for a few ticks.
            const auto call = static_cast<sim::TsCall>(m_random() % 3);
            server.forcedResult[static_cast<std::size_t>(call)] = -5;
            m_failureFor = Between(1, 10);
        }
        if (m_failureFor > 0 && --m_failureFor == 0) {
            server.forcedResult = {};
        }
        if (Chance(0.01)) {
            ToggleSomething();
        }
        m_h.HoldShiftF12(Chance(0.01));
    }

    // Speakers stop when their burst is over.
    void FollowBursts() {
        for (auto it = m_bursts.begin(); it != m_bursts.end();) {
            if (--it->second <= 0) {
                Server().StopSpeaking(it->first);
                it = m_bursts.erase(it);
            } else {
                ++it;
            }
        }
    }

    // The start of a quiet spell: everybody stops, the link comes back, nothing fails.
    void EndEverything() {
        sim::TsServer& server = Server();
        m_bursts.clear();
        server.speakers.clear();
        server.forcedResult = {};
        m_failureFor = 0;
        BringTheLinkBack();
        m_h.HoldShiftF12(false);
    }

    void ToggleSomething() {
        static constexpr MenuItem kToggles[] = {MenuItem::WinOnTop, MenuItem::ShowMe, MenuItem::ShowChannel,
                                                MenuItem::IvAc, MenuItem::InOut};
        m_h.overlay->MenuCommand(kToggles[m_random() % 5]);
        ++tally.toggles;
    }

    void Tick() {
        m_h.Tick();
        ++m_ticks;
        const sim::TsServer& server = Server();
        m_linkUp = server.clientRunning && server.connected && server.forcedResult[0] == 0;
        m_playerHistory.push_back(server.players.size());
        if (m_playerHistory.size() > static_cast<std::size_t>(m_quietTicks)) {
            m_playerHistory.pop_front();
        }
        tally.selectionsSent += static_cast<int>(m_h.TextsSentTo(m_commandLine).size());
        // The recorders would otherwise keep every call of the whole run.
        m_h.log.clear();
        m_h.api.ClearCalls();
        m_h.desktop.ClearMessages();
    }

    void CheckBounds() {
        const OverlayState& s = m_h.overlay->State();
        // Lists refill at least once per periodic refresh; speakers stay at most the retention
        // time: both are bounded by the most players the server held over that span.
        const std::size_t players = *std::max_element(m_playerHistory.begin(), m_playerHistory.end());
        ASSERT_LE(s.lstUsers.Count(), players) << "tick " << m_ticks;
        // The join/leave lists keep the last connected tick's players through a lost link.
        ASSERT_LE(s.lstChkPlayer.Count(), kNamePool.size() + 1) << "tick " << m_ticks;
        ASSERT_LE(s.lstOldPlayer.Count(), kNamePool.size() + 1) << "tick " << m_ticks;
        ASSERT_LE(s.lstChans.Count(), Server().channels.size()) << "tick " << m_ticks;
        ASSERT_LE(s.lstSpeakers.Count(), players) << "tick " << m_ticks;
        ASSERT_LE(s.lstInOut.Count(), 2 * kNamePool.size() + 2) << "tick " << m_ticks;

        std::set<std::string> names;
        for (const ListItem& item : s.lstSpeakers.Items()) {
            ASSERT_TRUE(names.insert(item.text).second) << "listed twice: " << item.text << ", tick " << m_ticks;
            ASSERT_LE(item.value, s.TickNumber) << "stamped in the future, tick " << m_ticks;
        }
        for (const ListItem& item : s.lstInOut.Items()) {
            ASSERT_TRUE(item.text.rfind("In:", 0) == 0 || item.text.rfind("Out:", 0) == 0) << item.text;
        }
        ASSERT_GE(s.TickNumber, 0);
        ASSERT_LE(s.TickNumber, m_ticks);
        if (!m_linkUp) {
            ASSERT_TRUE(s.lstSpeakers.Empty()) << "speakers are dropped with the link, tick " << m_ticks;
        }
        if (s.lstInOut.Empty() && s.lstSpeakers.Empty()) {
            ASSERT_FALSE(m_h.window.IsVisible()) << "nothing listed but shown, tick " << m_ticks;
        }
        tally.mostSpeakersListed = std::max(tally.mostSpeakersListed, static_cast<int>(s.lstSpeakers.Count()));
        tally.mostInOutListed = std::max(tally.mostInOutListed, static_cast<int>(s.lstInOut.Count()));
    }

    // A quiet spell brings the link back and then changes nothing but the menu's toggles: once
    // it has lasted longer than a refresh period and the retention time, nothing is listed and
    // nothing shows.
    void CheckQuiet() {
        if (m_ticks - m_quietSince < m_quietTicks) {
            return;
        }
        const OverlayState& s = m_h.overlay->State();
        ASSERT_TRUE(s.lstSpeakers.Empty()) << "tick " << m_ticks;
        ASSERT_TRUE(s.lstInOut.Empty()) << "tick " << m_ticks << ", first line " << s.lstInOut[0].text;
        ASSERT_FALSE(m_h.window.IsVisible()) << "tick " << m_ticks;
        ASSERT_EQ(m_h.window.StatusText(), "Connected");
        ++tally.quietChecks;
    }

    std::mt19937 m_random;  // its sequence is fixed by the standard: the same run everywhere
    testing::OverlayHarness m_h;
    WindowHandle m_tsMain = kNoWindow;
    WindowHandle m_commandLine = kNoWindow;
    int m_interval = 0;
    int m_quietTicks = 0;

    std::map<std::int32_t, int> m_bursts;  // player id -> ticks left to speak
    int m_linkDownFor = 0;
    int m_failureFor = 0;
    bool m_linkUp = true;
    std::int64_t m_ticks = 0;
    std::int64_t m_quietSince = 0;
    std::deque<std::size_t> m_playerHistory;
};

TEST_P(SoakTest, ListsStayBoundedAndEmptyAfterEveryQuietSpell) {
    Run();
    if (HasFatalFailure()) {
        return;
    }
    // The run really went through the stories it is meant to cover.
    EXPECT_GT(tally.quietChecks, 100);
    EXPECT_GE(tally.mostSpeakersListed, 3);
    EXPECT_GE(tally.mostInOutListed, 3);
    EXPECT_GT(tally.disconnects, 3);
    EXPECT_GT(tally.quits, 1);
    EXPECT_GT(tally.channelSwitches, 10);
    EXPECT_GT(tally.toggles, 100);
    EXPECT_GT(tally.selectionsSent, 0);
}

INSTANTIATE_TEST_SUITE_P(Soak, SoakTest,
                         ::testing::Values(SoakCase{"FourHoursAtQuarterSeconds", 0, 2, 4.0, 20261206},
                                           SoakCase{"EightHoursShortestRetention", 0, 0, 8.0, 1},
                                           SoakCase{"TwoHoursSlowLongRetention", 15, 19, 2.0, 7}),
                         [](const ::testing::TestParamInfo<SoakCase>& param) { return param.param.name; });

}  // namespace
}  // namespace sayvane
