// The overlay's main loop: one tick of the refresh timer, and the player and channel lists
// it keeps from the voice client.
#include <algorithm>

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

// Every item of a list from its records: fresh(i) gives item i's text and value.
template <typename Fresh>
std::vector<ListItem> AllItems(std::size_t count, Fresh fresh) {
    std::vector<ListItem> items;
    items.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto [text, value] = fresh(i);
        items.push_back(ListItem{std::string(text), value});
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
    Tick();
    // Answers to earlier requests may open a message box: only now, with the tick over,
    // so that the ticks the box's message loop lets through run instead of being skipped.
    m_services.voice.DeliverAnswers();
}

void Overlay::Tick() {
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

    const LinkStatus status = m_services.voice.GetSpeakers();
    ++m_state.TickNumber;

    if (status != LinkStatus::Connected) {
        LostLink();
    } else {
        UpdateSpeakers();
        TrackJoinLeave(m_state, m_settings, clock);
        ExpireSpeakers();
        if (LastIndex(m_services.voice.Speakers()) < 1 && m_state.lstInOut.Empty() && m_state.lstSpeakers.Empty()) {
            m_state.TickNumber = 0;
        }
        clock.ProcessPendingMessages();
        DrawOverlay(m_state, DrawingContext{m_window, m_settings, m_screen, clock});
        ChooseLastSpeakerAndAnswerHotKey();
    }
    EndOfTick(status);
}

void Overlay::VoiceChanged() {
    if (m_inTick) {
        return;
    }
    const LinkStatus status = m_services.voice.GetSpeakers();
    if (static_cast<std::int32_t>(status) != m_state.LastStatus) {
        Tick();  // the client came or went: the tick that would have seen it runs now
        return;
    }
    m_inTick = true;
    if (status == LinkStatus::Connected) {
        const std::uint64_t shown = m_state.lstSpeakers.TextRevision();
        UpdateSpeakers();
        if (m_state.lstSpeakers.TextRevision() != shown && !m_state.lstSpeakers.Empty()) {
            m_state.width = 0;
            DrawOverlay(m_state, DrawingContext{m_window, m_settings, m_screen, m_services.clock});
        }
        MirrorChangedLists();
    }
    EndOfBusy();
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

// Each speaking player found in lstUsers is moved to the end of lstSpeakers with this tick's
// stamp (the own name only with ShowMe on). Done in one pass: a name heard this tick leaves
// its old place, and of its new entries only the last one stays. Names are handled by their
// numbers in the user index, so a tick copies only the names it lists.
void Overlay::UpdateSpeakers() {
    const SpeakerSnapshot& ids = m_services.voice.Speakers();
    ItemList& speakers = m_state.lstSpeakers;
    m_userIndex.Follow(m_state.lstUsers, m_state.usersChanges);
    LastHeard& last = m_lastHeard;
    if (m_state.incremental && last.valid && last.indexRevision == m_userIndex.Revision() &&
        last.listRevision == speakers.Revision() && last.showMe == m_settings.ShowMe &&
        last.nickName == m_settings.NickName && last.ids == ids) {
        // The same IDs over the same players and list as on the last tick: the same names
        // were heard, and the ones listed then are still the last items.
        speakers.SetValuesFrom(speakers.Count() - last.listed, m_state.TickNumber);
        m_speakerNames.revision = speakers.Revision();
        last.listRevision = speakers.Revision();
        return;
    }

    std::vector<std::uint32_t>& heard = m_heardScratch;  // name numbers, in the order found
    heard.clear();
    bool found = false;
    bool refreshed = false;
    for (const std::int32_t id : ids) {
        if (m_state.lstUsers.Empty() || id <= 0) {
            continue;
        }
        const std::uint32_t name = m_userIndex.Find(id);
        if (name != UserIndex::kNoName) {
            found = true;
            heard.push_back(name);
        }
        if (!found) {
            // A speaker the list does not know yet: refresh at once, so the next ID is looked
            // up in the new list and a player who joins and speaks is shown this tick.
            RefreshChannelList();
            RefreshPlayerList();
            m_state.RefreshCounter = 0;
            m_userIndex.Follow(m_state.lstUsers, m_state.usersChanges);
            refreshed = true;
        }
    }
    last.valid = !refreshed;
    last.ids.assign(ids.begin(), ids.end());
    last.indexRevision = m_userIndex.Revision();
    last.listed = 0;
    last.showMe = m_settings.ShowMe;
    last.nickName = m_settings.NickName;
    if (heard.empty()) {
        last.listRevision = speakers.Revision();
        return;
    }

    // The numbers of the listed names first: numbering a name the index has not seen (a
    // speaker still listed after leaving the server) adds a number the marks must cover.
    const std::vector<std::uint32_t>& names = SpeakerNames();
    // The names heard, each once where it was heard last, and of them the ones listed.
    const std::uint64_t stamp = ++m_heardStamp;
    m_heardMark.resize(m_userIndex.Names(), HeardMark{});
    std::vector<std::uint32_t>& listed = m_listedScratch;
    listed.clear();
    for (std::size_t i = heard.size(); i-- > 0;) {
        HeardMark& mark = m_heardMark[heard[i]];
        if (mark.stamp != stamp) {
            mark = HeardMark{stamp, kNotListed};
            if (m_settings.ShowMe != 0 || !AnsiEqualsNoCase(m_userIndex.Name(heard[i]), m_settings.NickName)) {
                listed.push_back(heard[i]);
            }
        }
    }
    // The items not heard keep their order; the names heard follow, newest last, their texts
    // taken from their old items where they had one.
    std::vector<ListItem> old = speakers.Take();
    std::vector<ListItem>& items = m_itemScratch;
    std::vector<std::uint32_t>& itemNames = m_itemNameScratch;
    items.clear();
    itemNames.clear();
    for (std::size_t i = 0; i < old.size(); ++i) {
        HeardMark& mark = m_heardMark[names[i]];
        if (mark.stamp != stamp) {
            items.push_back(std::move(old[i]));
            itemNames.push_back(names[i]);
        } else {
            mark.oldPosition = i;
        }
    }
    items.reserve(items.size() + listed.size());
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        // Made in place, so the text is moved (or copied) once.
        ListItem& item = items.emplace_back();
        const std::size_t from = m_heardMark[*it].oldPosition;
        if (from == kNotListed) {
            item.text = m_userIndex.Name(*it);
        } else {
            item.text = std::move(old[from].text);
        }
        item.value = m_state.TickNumber;
        itemNames.push_back(*it);
    }
    // The old items' storage is kept for the next tick's list.
    old.clear();
    std::swap(old, items);
    speakers.Replace(std::move(old));
    std::swap(m_speakerNames.names, itemNames);
    m_speakerNames.revision = speakers.Revision();
    m_speakerNames.generation = m_userIndex.Generation();
    last.listed = listed.size();
    last.listRevision = speakers.Revision();
}

const std::vector<std::uint32_t>& Overlay::SpeakerNames() {
    const ItemList& speakers = m_state.lstSpeakers;
    if (m_speakerNames.revision != speakers.Revision() || m_speakerNames.generation != m_userIndex.Generation()) {
        m_speakerNames.names.clear();
        for (const ListItem& item : speakers.Items()) {
            m_speakerNames.names.push_back(m_userIndex.Number(item.text));
        }
        m_speakerNames.revision = speakers.Revision();
        m_speakerNames.generation = m_userIndex.Generation();
    }
    return m_speakerNames.names;
}

void Overlay::ExpireSpeakers() {
    // One pass: removing a thousand expired speakers one at a time would shift the list each
    // time. The names' numbers follow the items.
    ItemList& speakers = m_state.lstSpeakers;
    const auto expiredAt = [&](std::size_t i) {
        return Expired(speakers[i].value, m_state.TickNumber, m_settings.RetentionTime, m_settings.RefreshInterval);
    };
    std::size_t first = 0;
    while (first < speakers.Count() && !expiredAt(first)) {
        ++first;
    }
    if (first < speakers.Count()) {
        std::vector<bool> expired(speakers.Count(), false);
        for (std::size_t i = first; i < speakers.Count(); ++i) {
            expired[i] = expiredAt(i);
        }
        // The names this tick listed carry its stamp and stay: the next tick may still take
        // them as the last items.
        const bool lastHeardStands = m_lastHeard.listRevision == speakers.Revision();
        const bool namesKnown = m_speakerNames.revision == speakers.Revision();
        speakers.RemoveFlagged(expired);
        if (lastHeardStands) {
            m_lastHeard.listRevision = speakers.Revision();
        }
        if (namesKnown) {
            std::size_t kept = 0;
            for (std::size_t i = 0; i < expired.size(); ++i) {
                if (!expired[i]) {
                    m_speakerNames.names[kept++] = m_speakerNames.names[i];
                }
            }
            m_speakerNames.names.resize(kept);
            m_speakerNames.revision = speakers.Revision();
        }
    }
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
        BeforeUsersChange(m_state, false);
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
    if (m_state.chkPlayerIsUsers && m_state.lstUsers.Revision() != m_state.chkPlayerUsersRevision) {
        SettleChkPlayer(m_state);  // lstUsers moved on since the names were taken
    }
    const std::pair<const char*, const ItemList*> lists[] = {
        {"lstSpeakers", &m_state.lstSpeakers},   {"lstInOut", &m_state.lstInOut},
        {"lstChkPlayer", &m_state.lstChkPlayer}, {"lstOldPlayer", &m_state.lstOldPlayer},
        {"lstUsers", &m_state.lstUsers},         {"lstChans", &m_state.lstChans}};
    for (const auto& [name, list] : lists) {
        // lstChkPlayer, while its names are only noted as lstUsers', shows them from there.
        const bool usersNames = list == &m_state.lstChkPlayer && m_state.chkPlayerIsUsers;
        const ItemList& mirrored = usersNames ? m_state.lstUsers : *list;
        // A list refilled with what it held keeps its revision: the panel hears of changes only.
        const std::uint64_t revision = 2 * mirrored.Revision() + (usersNames ? 1 : 0);
        auto [it, added] = m_mirrored.try_emplace(list, revision);
        if (!added && it->second == revision) {
            continue;
        }
        it->second = revision;
        m_window.MirrorList(name, mirrored.Count(), [&mirrored, usersNames](std::size_t i) {
            return MirroredItem{mirrored[i].text, usersNames ? 0 : mirrored[i].value};
        });
    }
}

// lstUsers follows the player records; what changed is written down for the join and leave
// lines and the user index, which then follow the changes instead of reading every name.
void Overlay::FollowPlayers() {
    VoicePort& link = m_services.voice;
    ItemList& users = m_state.lstUsers;
    const auto fresh = [&](std::size_t i) { return std::pair(link.PlayerName(i), link.PlayerId(i)); };
    if (!m_state.incremental) {
        BeforeUsersChange(m_state, false);
        users.Assign(AllItems(link.PlayerCount(), fresh));
        m_state.usersChanges = OverlayState::UserChanges{};
        return;
    }
    if (m_usersFollow.records == link.PlayersRevision() && m_usersFollow.list == users.Revision()) {
        return;  // the same records, already in the list
    }
    OverlayState::UserChanges& changes = m_state.usersChanges;
    const std::uint64_t before = users.Revision();
    // Records one revision on from the ones the list holds: their changes are known.
    const bool followed = m_usersFollow.list == before && m_usersFollow.records + 1 == link.PlayersRevision();
    BeforeUsersChange(m_state, followed);
    ItemList::Edits& edits = m_userEdits;
    edits.removed.clear();
    edits.added.clear();
    if (followed) {
        users.Follow(link.PlayerEdits(), fresh, &edits);
    } else if (!users.Reconcile(link.PlayerCount(), fresh, &edits)) {
        m_usersFollow = {link.PlayersRevision(), users.Revision()};
        return;
    }
    // The first change since the list was last compared, or after it was changed some other way.
    const bool first = changes.to != before || changes.from == before ||
                       changes.removed.size() + changes.added.size() > 2 * users.Count() + 64;
    if (first) {
        changes.from = changes.to = before;
        changes.removed.clear();
        changes.added.clear();
    }
    if (first && followed) {
        changes.script = link.PlayerEdits();
    } else {
        changes.script.clear();  // several refills, or one that did not know how
    }
    changes.removed.insert(changes.removed.end(), std::make_move_iterator(edits.removed.begin()),
                           std::make_move_iterator(edits.removed.end()));
    changes.added.insert(changes.added.end(), std::make_move_iterator(edits.added.begin()),
                         std::make_move_iterator(edits.added.end()));
    changes.to = users.Revision();
    m_usersFollow = {link.PlayersRevision(), users.Revision()};
}

// The lists are refilled from the library; a refill that finds what they already hold
// leaves them untouched, so what follows from a change (join and leave lines, the diagnostic
// panel) is only worked out when something changed.
void Overlay::RefreshChannelList() {
    VoicePort& link = m_services.voice;
    if (!link.GetChannels()) {
        m_state.lstChans.Clear();
        SetTrayState(3);
        m_channelSnapshotFailed = true;
        return;
    }
    if (link.ChannelCount() != 1) {
        SetTrayState(3);
        m_channelSnapshotFailed = true;
    }
    if (m_channelSnapshotFailed) {
        m_trayEnabled = false;
        SetTrayState(0);
    }
    m_channelSnapshotFailed = false;
    const auto fresh = [&](std::size_t i) { return std::pair(link.ChannelName(i), link.ChannelId(i)); };
    if (!m_state.incremental) {
        m_state.lstChans.Assign(AllItems(link.ChannelCount(), fresh));
    } else if (m_chansFollow.records != link.ChannelsRevision() || m_chansFollow.list != m_state.lstChans.Revision()) {
        m_state.lstChans.Reconcile(link.ChannelCount(), fresh);
        m_chansFollow = {link.ChannelsRevision(), m_state.lstChans.Revision()};
    }
}

void Overlay::RefreshPlayerList() {
    VoicePort& link = m_services.voice;
    if (!link.GetPlayers()) {
        BeforeUsersChange(m_state, false);
        m_state.lstUsers.Clear();
        return;
    }
    FollowPlayers();
    if (link.PlayerCount() > 0) {
        const std::int32_t channelId = link.PlayerChannelId(0);
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
    // A client asked by request needs no TeamSpeak 2 window, only the radar's position; a client
    // that makes no channels greys the entry.
    const VoicePort::ChannelWay way = m_services.voice.WayToMakeChannels();
    const std::string callsign =
        way == VoicePort::ChannelWay::Request ? m_services.ivac.PositionCallsign() : m_services.ivac.GetIvAcCallsign();
    if (!callsign.empty() && way != VoicePort::ChannelWay::None) {
        m_tray.SetCaption(MenuItem::CreateTSChannel, "Create TS Channel  (" + callsign + ")");
        m_tray.SetEnabled(MenuItem::CreateTSChannel, true);
    } else {
        m_tray.SetCaption(MenuItem::CreateTSChannel, "Create TS Channel ");
        m_tray.SetEnabled(MenuItem::CreateTSChannel, false);
    }
}

}  // namespace sayvane
