// Random server histories told to the overlay and to a plain reference of its rules, which
// builds every list from what the voice client says each tick. After every tick the overlay's
// lists, its diagnostic panel and its window must be the reference's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "OverlayHarness.h"
#include "overlay/Drawing.h"
#include "text/TextRoutines.h"

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

// The rules of the lists, written plainly: the lists read whole from the client whenever the
// cycle reads them, the speakers and the join/leave lines worked out from them by walking
// every list, and the window drawn by the overlay's own drawing with its shortcut over list
// revisions left out (it compares the texts that would show with the last ones drawn).
class Reference {
public:
    Reference() { window.Hide(); }

    // One tick of the refresh timer.
    void Tick() {
        OverlayState& s = state;
        s.width = 0;
        if (++s.RefreshCounter > 8000.0 / settings.RefreshInterval) {
            ReadLists();
            s.RefreshCounter = 0;
        }
        const LinkStatus status = link.GetSpeakers();
        ++s.TickNumber;
        if (status != LinkStatus::Connected) {
            s.lstSpeakers.Clear();
            s.TickNumber = 0;
            s.CurrentChannelName.clear();
            if (!s.LastChannelName.empty()) {
                ShowNotice(s, Context(), "Disconnected");
            }
        } else {
            UpdateSpeakers();
            TrackJoinLeave();
            Expire(s.lstSpeakers);
            if (LastIndex(link.Speakers()) < 1 && s.lstInOut.Empty() && s.lstSpeakers.Empty()) {
                s.TickNumber = 0;
            }
            s.shownParts = {};  // the drawing then compares the texts that would show with the last ones
            DrawOverlay(s, Context());
            const auto& speakers = s.lstSpeakers.Items();
            const auto other = std::find_if(speakers.rbegin(), speakers.rend(), [&](const ListItem& speaker) {
                return !AnsiEqualsNoCase(speaker.text, settings.NickName);
            });
            s.LastSpeaker = other == speakers.rend() ? s.LastSpeaker : other->text;
        }
        s.LastChannelName = s.CurrentChannelName;
        if (s.lstInOut.Empty() && s.lstSpeakers.Empty()) {
            window.Hide();
        }
        if (static_cast<std::int32_t>(status) != s.LastStatus) {
            s.lstUsers.Clear();
            if (status == LinkStatus::Connected) {
                ReadLists();
            }
        }
        s.LastStatus = static_cast<std::int32_t>(status);
    }

    OverlaySettings settings;
    OverlayState state;
    sim::SimulatedTsRemote api;
    sim::EventLog log;
    sim::SimOverlayWindow window{log};

private:
    DrawingContext Context() { return DrawingContext{window, settings, m_screen, m_clock}; }

    // The channels and the players in the client's order, and the channel the first player is in.
    void ReadLists() {
        OverlayState& s = state;
        s.lstChans.Clear();
        if (link.GetChannels()) {
            for (std::size_t i = 0; i < link.ChannelCount(); ++i) {
                s.lstChans.Add(std::string(link.ChannelName(i)), link.ChannelId(i));
            }
        }
        s.lstUsers.Clear();
        if (!link.GetPlayers()) {
            return;
        }
        for (std::size_t i = 0; i < link.PlayerCount(); ++i) {
            s.lstUsers.Add(std::string(link.PlayerName(i)), link.PlayerId(i));
        }
        const auto channel = std::find_if(s.lstChans.Items().begin(), s.lstChans.Items().end(), [&](const ListItem& c) {
            return link.PlayerCount() > 0 && c.value == link.PlayerChannelId(0);
        });
        s.CurrentChannelName = channel == s.lstChans.Items().end() ? s.CurrentChannelName : channel->text;
        const std::string own = link.GetUserNickname();
        settings.NickName = own.empty() ? settings.NickName : own;
    }

    // Each speaking player found in lstUsers by ID is taken out of lstSpeakers and added again at
    // its end with this tick's stamp (the own name only with ShowMe on); an ID not found before
    // any was found reads the lists again. The list holds each name once (every name added was
    // taken out first): a name is taken out by forgetting its place, and the list closed up at the end.
    void UpdateSpeakers() {
        OverlayState& s = state;
        std::vector<ListItem> speakers = s.lstSpeakers.Items();
        std::unordered_map<std::string, std::size_t> place;
        for (std::size_t i = 0; i < speakers.size(); ++i) {
            place[speakers[i].text] = i;
        }
        bool found = false;
        for (const std::int32_t id : SpeakerSnapshot(link.Speakers())) {
            if (s.lstUsers.Empty() || id <= 0) {
                continue;
            }
            const auto user = std::find_if(s.lstUsers.Items().begin(), s.lstUsers.Items().end(),
                                           [id](const ListItem& item) { return item.value == id; });
            if (user != s.lstUsers.Items().end()) {
                found = true;
                place.erase(user->text);
                if (settings.ShowMe != 0 || !AnsiEqualsNoCase(user->text, settings.NickName)) {
                    place[user->text] = speakers.size();
                    speakers.push_back(ListItem{user->text, s.TickNumber});
                }
            }
            if (!found) {
                ReadLists();
                s.RefreshCounter = 0;
            }
        }
        std::vector<ListItem> kept;
        for (std::size_t i = 0; i < speakers.size(); ++i) {
            const auto at = place.find(speakers[i].text);
            if (at != place.end() && at->second == i) {
                kept.push_back(speakers[i]);
            }
        }
        s.lstSpeakers.Assign(kept);
    }

    // Each player takes the first name left in the sorted old list that equals its own without
    // regard to case, so of each name's upper-case form the first players take the first old
    // names; the players without one joined, the names nobody took left.
    void TrackJoinLeave() {
        OverlayState& s = state;
        const bool channelChanged = s.CurrentChannelName != s.LastChannelName;
        if (channelChanged) {
            s.lstChkPlayer.Clear();
            s.lstInOut.Clear();
        }
        s.lstOldPlayer.Assign(s.lstChkPlayer.Items());
        std::unordered_map<std::string, int> held;     // per upper-case form: the old names
        std::unordered_map<std::string, int> players;  // and the players now
        for (const ListItem& old : s.lstOldPlayer.Items()) {
            ++held[AnsiToUpper(old.text)];
        }
        std::string joined = ",";
        for (const ListItem& user : s.lstUsers.Items()) {
            const std::string form = AnsiToUpper(user.text);
            joined += players[form]++ < held[form] ? "" : user.text + ",";
        }
        std::string left = ",";
        std::vector<ListItem> untaken;
        for (const ListItem& old : s.lstOldPlayer.Items()) {
            if (players[AnsiToUpper(old.text)]-- <= 0) {
                left += old.text + ",";
                untaken.push_back(old);
            }
        }
        s.lstOldPlayer.Assign(untaken);
        AddLines("In:", joined);
        AddLines("Out:", left);
        Expire(s.lstInOut);
        s.lstChkPlayer.Clear();
        for (const ListItem& user : s.lstUsers.Items()) {
            s.lstChkPlayer.Add(user.text);
        }
        if (channelChanged) {
            s.lstInOut.Clear();
        }
    }

    // A line for each comma-separated piece of `names`: one of that text already listed is
    // renewed (taken out and added again), an empty piece adds nothing.
    void AddLines(const std::string& prefix, std::string names) {
        while (!names.empty()) {
            const std::string line = prefix + Prendi(names, ",");
            const std::size_t at = state.lstInOut.FindText(line);
            const bool listed = at < state.lstInOut.Count();
            if (listed) {
                state.lstInOut.RemoveAt(at);
            }
            if (listed || line != prefix) {
                state.lstInOut.Add(line, state.TickNumber);
            }
        }
    }

    void Expire(ItemList& list) {
        list.RemoveIf([&](const ListItem& item) {
            return Expired(item.value, state.TickNumber, settings.RetentionTime, settings.RefreshInterval);
        });
    }

    TeamSpeakLink link{api};
    ScreenMetrics m_screen = sim::SimOverlayWindow::DefaultScreen();
    sim::VirtualClock m_clock;
};

class IncrementalRefreshTest : public ::testing::TestWithParam<History> {
protected:
    IncrementalRefreshTest() : m_random(GetParam().seed) {
        m_server.ownNickname = "EDDF_APP";
        for (int id = 1; id <= 4; ++id) {
            m_server.channels.push_back({id, 0, 0, id == 1 ? 32 : 1, 9, "Channel " + std::to_string(id)});
        }
        m_server.players.push_back({1, 2, 0, 8, 0, "EDDF_APP"});
        m_followed.ShowTeamSpeakWindow();
        m_followed.WriteSettings(GetParam().settings);
        m_followed.Create();
        m_reference.settings = m_followed.overlay->Settings();
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
        m_followed.api.Server() = m_server;
        m_followed.Tick();
        m_reference.api.Server() = m_server;
        m_reference.Tick();
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
        const OverlayState& b = m_reference.state;
        const std::pair<const char*, const ItemList OverlayState::*> lists[] = {
            {"lstUsers", &OverlayState::lstUsers},         {"lstChans", &OverlayState::lstChans},
            {"lstSpeakers", &OverlayState::lstSpeakers},   {"lstInOut", &OverlayState::lstInOut},
            {"lstOldPlayer", &OverlayState::lstOldPlayer}, {"lstChkPlayer", &OverlayState::lstChkPlayer}};
        for (const auto& [name, list] : lists) {
            ASSERT_EQ(Items(a.*list), Items(b.*list)) << name << " at tick " << tick;
            ASSERT_EQ(m_followed.window.Mirrored(name), Items(b.*list)) << "the panel's " << name << ", tick " << tick;
        }
        ASSERT_EQ(a.TickNumber, b.TickNumber) << "tick " << tick;
        ASSERT_EQ(a.CurrentChannelName, b.CurrentChannelName) << "tick " << tick;
        ASSERT_EQ(a.LastSpeaker, b.LastSpeaker) << "tick " << tick;
        ASSERT_EQ(m_followed.window.IsVisible(), m_reference.window.IsVisible()) << "tick " << tick;
        if (m_reference.window.IsVisible()) {
            ASSERT_EQ(m_followed.window.Lines(), m_reference.window.Lines()) << "drawn lines, tick " << tick;
            ASSERT_EQ(m_followed.window.Geometry(), m_reference.window.Geometry()) << "tick " << tick;
        }
    }

    std::mt19937 m_random;
    sim::TsServer m_server;
    std::int32_t m_nextId = 2;
    testing::OverlayHarness m_followed;
    Reference m_reference;
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
