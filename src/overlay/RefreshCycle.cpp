// The overlay's main loop: one tick of the refresh timer, and the refreshes of the player and
// channel lists with what goes with them (tray state, channel name, nickname, menu captions).
// The lists themselves are kept in step with the voice client by Roster.
#include <algorithm>

#include "overlay/Drawing.h"
#include "overlay/Overlay.h"
#include "text/TextRoutines.h"

namespace sayvane {

namespace {

constexpr double kPeriodicRefreshMs = 8000;
constexpr std::int32_t kRed192 = 192;
constexpr std::int32_t kOrange = 33023;
constexpr std::int32_t kGreen192 = 49152;

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
        m_roster.TrackJoinLeave(m_settings);
        clock.ProcessPendingMessages();
        m_roster.ExpireSpeakers(m_settings);
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

void Overlay::UpdateSpeakers() {
    m_roster.UpdateSpeakers(m_services.voice.Speakers(), m_settings, [this] {
        // A speaker the list does not know yet: refresh at once, so that a player who joins
        // and speaks is shown this tick.
        RefreshChannelList();
        RefreshPlayerList();
        m_state.RefreshCounter = 0;
    });
}

void Overlay::LostLink() {
    m_roster.ClearSpeakers();
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
        m_roster.ClearPlayers();
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
        const ItemList& mirrored = *list;
        // A list refilled with what it held keeps its revision: the panel hears of changes only.
        auto [it, added] = m_mirrored.try_emplace(&mirrored, mirrored.Revision());
        if (!added && it->second == mirrored.Revision()) {
            continue;
        }
        it->second = mirrored.Revision();
        m_window.MirrorList(name, mirrored.Count(), [&mirrored](std::size_t i) {
            return MirroredItem{mirrored[i].text, mirrored[i].value};
        });
    }
}

// The lists are refilled from the library; a refill that finds what they already hold
// leaves them untouched, so what a change leads to (join and leave lines, the diagnostic
// panel) is only worked out when something changed.
void Overlay::RefreshChannelList() {
    VoicePort& link = m_services.voice;
    if (!link.GetChannels()) {
        m_roster.ClearChannels();
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
    m_roster.RefillChannels(link);
}

void Overlay::RefreshPlayerList() {
    VoicePort& link = m_services.voice;
    if (!link.GetPlayers()) {
        m_roster.ClearPlayers();
        return;
    }
    m_roster.RefillPlayers(link);
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
