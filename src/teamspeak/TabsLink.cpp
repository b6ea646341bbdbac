// The active server tab read as the overlay reads a voice client.
#include "teamspeak/TabsLink.h"

#include <algorithm>

namespace sayvane {

namespace {

// A tab's clients in the order the overlay lists them, without copying them: the own client
// first (as TeamSpeak 2 lists it), then the others in their order.
class OwnFirst {
public:
    explicit OwnFirst(const ServerTab& tab) : m_clients(tab.Clients()) {
        const auto own = std::find_if(m_clients.begin(), m_clients.end(),
                                      [&](const TabClient& client) { return client.id == tab.ownId; });
        m_own = static_cast<std::size_t>(own - m_clients.begin());
    }
    [[nodiscard]] std::size_t size() const { return m_clients.size(); }
    // The own client, or nullptr when it is not in view.
    [[nodiscard]] const TabClient* Own() const { return m_own == m_clients.size() ? nullptr : &m_clients[m_own]; }
    const TabClient& operator[](std::size_t j) const {
        if (m_own == m_clients.size()) {
            return m_clients[j];  // the own client is not in view
        }
        if (j == 0) {
            return m_clients[m_own];
        }
        return m_clients[j <= m_own ? j - 1 : j];
    }

private:
    const std::vector<TabClient>& m_clients;
    std::size_t m_own;  // the own client's place in m_clients; its size when it has none
};

// Takes `fresh` as the new reading when it differs from `held`: true, with `edits` telling how.
template <typename Held, typename Fresh>
bool TakeReading(std::vector<Held>& held, const Fresh& fresh, ListEdits& edits) {
    CompareLists(
        held.size(), fresh.size(),
        [&](std::size_t i, std::size_t j, std::size_t n) {
            for (std::size_t k = 0; k < n; ++k) {
                if (!(held[i + k] == fresh[j + k])) {
                    return false;
                }
            }
            return true;
        },
        edits);
    if (KeepsAll(edits)) {
        return false;
    }
    held.resize(fresh.size());
    for (std::size_t j = 0; j < fresh.size(); ++j) {
        held[j] = fresh[j];
    }
    return true;
}

}  // namespace

LinkStatus TabsLink::GetSpeakers() {
    Pump();
    const LinkStatus status = Status();
    if (status != LinkStatus::Connected) {
        return status;
    }
    m_speakers = Tabs().TakeSpeakers();
    if (m_speakers.empty()) {
        m_speakers.assign(kSilentSpeakerIds, 0);
    }
    return status;
}

bool TabsLink::GetChannels() {
    Pump();
    if (Status() != LinkStatus::Connected) {
        return false;
    }
    if (TakeReading(m_channels, Tabs().ActiveTab().Channels(), m_comparison)) {
        ++m_channelsRevision;
    }
    return true;
}

bool TabsLink::GetPlayers() {
    Pump();
    if (Status() != LinkStatus::Connected) {
        return false;
    }
    if (TakeReading(m_players, OwnFirst(Tabs().ActiveTab()), m_comparison)) {
        m_playerEdits.swap(m_comparison);
        ++m_playersRevision;
    }
    PlayersRead();
    return true;
}

std::string TabsLink::GetUserNickname() {
    Pump();
    if (Status() != LinkStatus::Connected) {
        return {};
    }
    const TabClient* own = OwnFirst(Tabs().ActiveTab()).Own();
    return own == nullptr ? std::string() : own->nickname;
}

std::uint64_t TabsLink::Changes() {
    if (const LinkStatus status = Status(); status != m_status) {
        m_status = status;
        ++m_statusChanges;
    }
    return m_statusChanges + Tabs().Changes();
}

}  // namespace sayvane
