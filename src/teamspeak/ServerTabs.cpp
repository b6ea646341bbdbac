// The server tabs of a voice client that reports them itself.
#include "teamspeak/ServerTabs.h"

#include <algorithm>

namespace sayvane {

TabClient* ServerTab::FindClient(std::int32_t id) {
    const auto found = m_clientIndex.find(id);
    return found == m_clientIndex.end() ? nullptr : &m_clients[found->second];
}

void ServerTab::ClearClients() {
    m_clients.clear();
    m_clientIndex.clear();
}

void ServerTab::ReindexChannels() {
    m_channelIndex.clear();
    m_channelIndex.reserve(m_channels.size());
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        m_channelIndex.emplace(m_channels[i].id, i);
    }
}

TabChannel* ServerTab::FindChannel(std::int32_t id) {
    const auto found = m_channelIndex.find(id);
    return found == m_channelIndex.end() ? nullptr : &m_channels[found->second];
}

bool ServerTab::AddChannel(const TabChannel& channel) {
    if (FindChannel(channel.id) != nullptr) {
        return true;
    }
    if (m_channels.size() >= kMostChannels) {
        overflowed = true;
        return false;
    }
    m_channelIndex.emplace(channel.id, m_channels.size());
    m_channels.push_back(channel);
    return true;
}

void ServerTab::RemoveChannel(std::int32_t id) {
    if (FindChannel(id) != nullptr) {
        m_channels.erase(
            std::remove_if(m_channels.begin(), m_channels.end(), [&](const TabChannel& c) { return c.id == id; }),
            m_channels.end());
        ReindexChannels();
    }
}

void ServerTab::Talk(std::int32_t id, bool isTalking) {
    if (!isTalking) {
        m_talking.erase(id);
        return;
    }
    if (FindClient(id) == nullptr) {
        return;
    }
    // Heard again: it moves to the end, as a speaker who began last.
    m_talking[id] = m_heard[id] = ++m_starts;
}

std::vector<std::int32_t> ServerTab::Talkers() const {
    std::vector<std::int32_t> ids;
    ids.reserve(m_talking.size());
    for (const auto& entry : m_talking) {
        ids.push_back(entry.first);
    }
    return ids;
}

std::vector<std::int32_t> ServerTab::TakeSpeakers() {
    std::vector<std::pair<std::uint64_t, std::int32_t>> began;
    began.reserve(m_talking.size() + m_heard.size());
    for (const auto& [id, start] : m_talking) {
        began.emplace_back(start, id);
    }
    for (const auto& [id, start] : m_heard) {
        if (m_talking.count(id) == 0) {
            began.emplace_back(start, id);
        }
    }
    std::sort(began.begin(), began.end());
    m_heard.clear();
    std::vector<std::int32_t> speakers;
    speakers.reserve(began.size());
    for (const auto& entry : began) {
        speakers.push_back(entry.second);
    }
    return speakers;
}

bool ServerTab::Enter(const TabClient& client) {
    if (TabClient* listed = FindClient(client.id)) {
        *listed = client;
        return true;
    }
    if (m_clients.size() >= kMostClients) {
        overflowed = true;
        return false;
    }
    m_clientIndex.emplace(client.id, m_clients.size());
    m_clients.push_back(client);
    return true;
}

void ServerTab::Leave(std::int32_t id) {
    if (TabClient* listed = FindClient(id)) {
        // The ones after it move up a place.
        const auto at = static_cast<std::size_t>(listed - m_clients.data());
        m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(at));
        m_clientIndex.erase(id);
        for (std::size_t i = at; i < m_clients.size(); ++i) {
            m_clientIndex[m_clients[i].id] = i;
        }
    }
    m_talking.erase(id);
    m_heard.erase(id);
}

bool ServerTab::SetChannels(std::vector<TabChannel> list) {
    const bool fits = list.size() <= kMostChannels;
    if (!fits) {
        list.resize(kMostChannels);
        overflowed = true;
    }
    m_channels = std::move(list);
    ReindexChannels();
    return fits;
}

ServerTab* ServerTabs::Open(std::int32_t id) {
    if (ServerTab* tab = Find(id)) {
        return tab;
    }
    if (m_tabs.size() >= kMostTabs) {
        m_tooManyTabs = true;
        return nullptr;
    }
    return &m_tabs[id];
}

bool ServerTabs::Overflowed() const {
    return m_tooManyTabs ||
           std::any_of(m_tabs.begin(), m_tabs.end(), [](const auto& entry) { return entry.second.overflowed; });
}

void ServerTabs::Disconnected(std::int32_t id) {
    ServerTab& tab = Tab(id);
    tab = ServerTab{};
    tab.known = true;
}

const ServerTab& ServerTabs::ActiveTab() const {
    static const ServerTab kNone;
    const auto tab = m_tabs.find(m_active);
    return tab == m_tabs.end() ? kNone : tab->second;
}

std::vector<std::int32_t> ServerTabs::TakeSpeakers() {
    const auto found = m_tabs.find(m_active);
    return found == m_tabs.end() ? std::vector<std::int32_t>() : found->second.TakeSpeakers();
}

std::vector<std::int32_t> ServerTabs::Ids() const {
    std::vector<std::int32_t> ids;
    for (const auto& entry : m_tabs) {
        ids.push_back(entry.first);
    }
    return ids;
}

void ServerTabs::Clear() {
    ++m_changes;
    m_tabs.clear();
    m_active = 0;
    m_tooManyTabs = false;
}

}  // namespace sayvane
