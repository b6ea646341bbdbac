// The overlay's main loop: one tick of the refresh timer, and the player and channel lists
// it keeps from the TeamSpeak link.
#include <string_view>
#include <unordered_set>

#include "overlay/Drawing.h"
#include "overlay/JoinLeave.h"
#include "overlay/Overlay.h"
#include "text/TextRoutines.h"

namespace sayvane {

namespace {

constexpr double kPeriodicRefreshMs = 8000;
constexpr std::int32_t kRed192 = 192;
constexpr std::int32_t kOrange = 33023;
constexpr std::int32_t kGreen192 = 49152;

std::vector<std::pair<std::string, std::int32_t>> Pairs(const ItemList& list) {
    std::vector<std::pair<std::string, std::int32_t>> items;
    items.reserve(list.Count());
    for (const ListItem& item : list.Items()) {
        items.emplace_back(item.text, item.value);
    }
    return items;
}

}  // namespace

StatusWord StatusWordFor(LinkStatus status) {
    switch (status) {
        case LinkStatus::NotRunning: return {"Not Running", kRed192};
        case LinkStatus::Running: return {"Running", kOrange};
        case LinkStatus::Connected: return {"Connected", kGreen192};
        case LinkStatus::Unknown: break;
    }
    return {"Unknown", kRed192};
}

void Overlay::tmrRefresh_Timer() {
    // A tick that comes due while this one yields or sleeps (a notice, the radar's pauses) is
    // skipped, not queued: ticks never overlap, and the next one is only a period away.
    if (m_inTick) {
        ++m_skippedTicks;
        return;
    }
    m_inTick = true;
    class TickEnd {
    public:
        explicit TickEnd(Overlay& overlay) : m_overlay(overlay) {}
        TickEnd(const TickEnd&) = delete;
        TickEnd& operator=(const TickEnd&) = delete;
        TickEnd(TickEnd&&) = delete;
        TickEnd& operator=(TickEnd&&) = delete;
        ~TickEnd() { m_overlay.EndOfBusy(); }

    private:
        Overlay& m_overlay;
    } tickEnd{*this};

    Clock& clock = m_services.clock;
    m_state.width = 0;

    ++m_state.RefreshCounter;
    clock.ProcessPendingMessages();
    if (m_state.RefreshCounter > kPeriodicRefreshMs / m_settings.RefreshInterval) {
        m_services.teamSpeakWindow.ReadTeamSpeakWindow();
        RefreshChannelList();
        RefreshPlayerList();
        m_state.RefreshCounter = 0;
    }

    const LinkStatus status = m_services.link.GetSpeakers();
    ++m_state.TickNumber;

    if (status != LinkStatus::Connected) {
        LostLink();
    } else {
        UpdateSpeakers();
        TrackJoinLeave(m_state, m_settings, clock);
        ExpireSpeakers();
        if (LastIndex(m_services.link.Speakers()) < 1 && m_state.lstInOut.Empty() && m_state.lstSpeakers.Empty()) {
            m_state.TickNumber = 0;
        }
        clock.ProcessPendingMessages();
        DrawOverlay(m_state, DrawingContext{m_window, m_settings, m_screen, clock});
        ChooseLastSpeakerAndAnswerHotKey();
    }
    EndOfTick(status);
}

void Overlay::EndOfBusy() {
    m_inTick = false;
    if (m_screenChangedMeanwhile) {
        // What was drawn meanwhile was measured partly for the old screen: the next tick
        // draws it again.
        m_screenChangedMeanwhile = false;
        m_state.LastShownText.clear();
    }
}

void Overlay::ScreenChanged() {
    m_screen = m_window.Screen();
    m_state.LastShownText.clear();
    if (m_inTick) {
        m_screenChangedMeanwhile = true;
        return;
    }
    if (!m_window.IsVisible() || !ShowsLines(m_state, m_settings)) {
        return;  // nothing on the screen that depends on it; the next draw measures anew
    }
    m_inTick = true;
    m_state.width = 0;
    DrawOverlay(m_state, DrawingContext{m_window, m_settings, m_screen, m_services.clock});
    EndOfBusy();
}

const ListItem* Overlay::UserWithId(std::int32_t id) {
    if (m_userIndexRevision != m_state.lstUsers.Revision()) {
        m_userById.clear();
        const auto& users = m_state.lstUsers.Items();
        for (std::size_t i = 0; i < users.size(); ++i) {
            m_userById.emplace(users[i].value, i);  // keeps the first item of each ID
        }
        m_userIndexRevision = m_state.lstUsers.Revision();
    }
    const auto it = m_userById.find(id);
    return it == m_userById.end() ? nullptr : &m_state.lstUsers[it->second];
}

// Each speaking player found in lstUsers is moved to the end of lstSpeakers with this tick's
// stamp (the own name only with ShowMe on). Done in one pass: a name heard this tick leaves
// its old place, and of its new entries only the last one stays.
void Overlay::UpdateSpeakers() {
    std::vector<std::string> heard;  // in the order found
    std::vector<bool> listed;        // whether that entry is appended (the own name may not be)
    bool found = false;
    for (const std::int32_t id : m_services.link.Speakers()) {
        if (m_state.lstUsers.Empty() || id <= 0) {
            continue;
        }
        if (const ListItem* user = UserWithId(id)) {
            found = true;
            heard.push_back(user->text);
            listed.push_back(!(AnsiEqualsNoCase(user->text, m_settings.NickName) && m_settings.ShowMe == 0));
        }
        if (!found) {
            // A speaker the list does not know yet: refresh at once, so the next ID is looked
            // up in the new list and a player who joins and speaks is shown this tick.
            RefreshChannelList();
            RefreshPlayerList();
            m_state.RefreshCounter = 0;
        }
    }
    if (heard.empty()) {
        return;
    }
    // The sets look at the names in `heard`, which are only moved out at the very end.
    const std::unordered_set<std::string_view> heardNames(heard.begin(), heard.end());
    std::vector<ListItem> kept;
    kept.reserve(m_state.lstSpeakers.Count() + heard.size());
    for (const ListItem& item : m_state.lstSpeakers.Items()) {
        if (heardNames.count(item.text) == 0) {
            kept.push_back(item);
        }
    }
    std::unordered_set<std::string_view> later;
    later.reserve(heard.size());
    std::vector<std::size_t> appended;  // positions in `heard`, last heard first
    for (std::size_t i = heard.size(); i-- > 0;) {
        if (later.insert(heard[i]).second && listed[i]) {
            appended.push_back(i);
        }
    }
    for (auto it = appended.rbegin(); it != appended.rend(); ++it) {
        kept.push_back(ListItem{std::move(heard[*it]), m_state.TickNumber});
    }
    m_state.lstSpeakers.Assign(std::move(kept));
}

void Overlay::ExpireSpeakers() {
    // One pass: removing a thousand expired speakers one at a time would shift the list each time.
    m_state.lstSpeakers.RemoveIf([&](const ListItem& item) {
        return Expired(item.value, m_state.TickNumber, m_settings.RetentionTime, m_settings.RefreshInterval);
    });
}

void Overlay::LostLink() {
    m_state.lstSpeakers.Clear();
    m_state.TickNumber = 0;
    m_state.CurrentChannelName.clear();
    if (!m_state.LastChannelName.empty()) {
        ShowNotice(m_state, DrawingContext{m_window, m_settings, m_screen, m_services.clock}, "Disconnected");
    }
}

void Overlay::ChooseLastSpeakerAndAnswerHotKey() {
    const auto& speakers = m_state.lstSpeakers.Items();
    for (auto it = speakers.rbegin(); it != speakers.rend(); ++it) {
        if (!AnsiEqualsNoCase(it->text, m_settings.NickName)) {
            m_state.LastSpeaker = it->text;
            break;
        }
    }
    m_services.clock.ProcessPendingMessages();
    if ((!m_state.LastSpeaker.empty() || !m_state.lstSpeakers.Empty()) && IsShiftDown(m_services.keyboard) &&
        IsF12Down(m_services.keyboard) && m_settings.IvAcSelect == 1) {
        (void)m_aircraftSelection.InviaCallsignIVAC(".s " + m_state.LastSpeaker, m_settings.IvAcResetZoom,
                                                    m_settings.IvAcBeepSelect);
    }
}

void Overlay::EndOfTick(LinkStatus status) {
    m_state.LastChannelName = m_state.CurrentChannelName;
    if (m_state.lstInOut.Empty() && m_state.lstSpeakers.Empty() && m_window.IsVisible()) {
        m_window.Hide();
    }
    const auto code = static_cast<std::int32_t>(status);
    if (code != m_state.LastStatus) {
        m_state.lstUsers.Clear();
        const StatusWord word = StatusWordFor(status);
        m_window.SetStatusLabel(word.text, word.colour);
        if (status == LinkStatus::NotRunning && m_window.IsVisible()) {
            m_window.Hide();
        } else if (status == LinkStatus::Connected) {
            RefreshChannelList();
            RefreshPlayerList();
        }
    }
    m_state.LastStatus = code;
    MirrorChangedLists();
}

void Overlay::MirrorChangedLists() {
    const std::pair<const char*, const ItemList*> lists[] = {
        {"lstSpeakers", &m_state.lstSpeakers},   {"lstInOut", &m_state.lstInOut},
        {"lstChkPlayer", &m_state.lstChkPlayer}, {"lstOldPlayer", &m_state.lstOldPlayer},
        {"lstUsers", &m_state.lstUsers},         {"lstChans", &m_state.lstChans}};
    for (const auto& [name, list] : lists) {
        auto [it, added] = m_mirrored.try_emplace(list);
        Mirror& mirror = it->second;
        if (!added && mirror.revision == list->Revision()) {
            continue;
        }
        mirror.revision = list->Revision();
        // Several lists are refilled on every tick with what they held before: the panel is
        // only told when the content itself changed.
        if (!added && mirror.items == list->Items()) {
            continue;
        }
        mirror.items = list->Items();
        m_window.MirrorList(name, Pairs(*list));
    }
}

// The lists are refilled from the library; a refill that finds what they already hold
// leaves them untouched, so what follows from a change (join and leave lines, the diagnostic
// panel) is only worked out when something changed.
void Overlay::RefreshChannelList() {
    TeamSpeakLink& link = m_services.link;
    if (!link.GetChannels()) {
        m_state.lstChans.Clear();
        SetTrayState(3);
        m_channelSnapshotFailed = true;
        return;
    }
    if (LastIndex(link.Channels()) != 0) {
        SetTrayState(3);
        m_channelSnapshotFailed = true;
    }
    if (m_channelSnapshotFailed) {
        m_trayEnabled = false;
        SetTrayState(0);
    }
    m_channelSnapshotFailed = false;
    std::vector<ListItem> channels;
    channels.reserve(link.Channels().size());
    for (const ChannelEntry& channel : link.Channels()) {
        channels.push_back(ListItem{channel.name, channel.channelId});
    }
    m_state.lstChans.Assign(std::move(channels));
}

void Overlay::RefreshPlayerList() {
    TeamSpeakLink& link = m_services.link;
    if (!link.GetPlayers()) {
        m_state.lstUsers.Clear();
        return;
    }
    std::vector<ListItem> players;
    players.reserve(link.Players().size());
    for (const PlayerEntry& player : link.Players()) {
        players.push_back(ListItem{player.name, player.playerId});
    }
    m_state.lstUsers.Assign(std::move(players));
    if (!link.Players().empty()) {
        const std::int32_t channelId = link.Players().front().channelId;
        for (const ListItem& channel : m_state.lstChans.Items()) {
            if (channel.value == channelId) {
                m_state.CurrentChannelName = channel.text;
                if (m_settings.MeFromChannel == 1) {
                    m_settings.NickName = m_services.teamSpeakWindow.TSWindowNickname();
                }
                break;
            }
        }
    }
    const std::string own = link.GetUserNickname();
    if (!own.empty() && own != m_settings.NickName) {
        m_settings.NickName = own;
    }
    m_tray.SetCaption(MenuItem::ShowMe,
                      "Show Me " + (m_settings.NickName.empty() ? std::string() : " (" + m_settings.NickName + ")"));
    const std::string callsign = m_services.ivac.GetIvAcCallsign();
    if (!callsign.empty()) {
        m_tray.SetCaption(MenuItem::CreateTSChannel, "Create TS Channel  (" + callsign + ")");
        m_tray.SetEnabled(MenuItem::CreateTSChannel, true);
    } else {
        m_tray.SetCaption(MenuItem::CreateTSChannel, "Create TS Channel ");
        m_tray.SetEnabled(MenuItem::CreateTSChannel, false);
    }
}

}  // namespace sayvane
