// The server tabs as the query interface describes them.
#include "teamspeak/query/QueryModel.h"

#include <algorithm>

namespace sayvane::query {

namespace {

// The name of a record as the program shows it: UTF-8 made code page 1252.
std::string Name(const QueryItem& item, std::string_view key) {
    return Utf8ToAnsi(item.Get(key).value_or(std::string_view()));
}

template <typename T>
auto FindId(std::vector<T>& list, std::int32_t T::*field, std::int32_t id) {
    return std::find_if(list.begin(), list.end(), [&](const T& entry) { return entry.*field == id; });
}

}  // namespace

void QueryModel::Talk(QueryTab& tab, std::int32_t clid, bool talking) {
    const auto now = std::find(tab.talking.begin(), tab.talking.end(), clid);
    if (!talking) {
        if (now != tab.talking.end()) {
            tab.talking.erase(now);
        }
        return;
    }
    if (now == tab.talking.end()) {
        tab.talking.push_back(clid);
    }
    // Heard again: it moves to the end, as a speaker who began last.
    tab.heard.erase(std::remove(tab.heard.begin(), tab.heard.end(), clid), tab.heard.end());
    tab.heard.push_back(clid);
}

void QueryModel::Leave(QueryTab& tab, std::int32_t clid) {
    const auto client = FindId(tab.clients, &QueryClient::clid, clid);
    if (client != tab.clients.end()) {
        tab.clients.erase(client);
    }
    Talk(tab, clid, false);
    tab.heard.erase(std::remove(tab.heard.begin(), tab.heard.end(), clid), tab.heard.end());
}

void QueryModel::Notify(const QueryLine& line) {
    if (line.items.empty()) {
        return;
    }
    const QueryItem& first = line.items.front();
    if (line.name == "notifycurrentserverconnectionchanged") {
        if (const auto tab = first.Number("schandlerid")) {
            m_active = *tab;
        }
        return;
    }
    const std::optional<std::int32_t> tabId = first.Number("schandlerid");
    if (!tabId) {
        return;
    }
    QueryTab& tab = Tab(*tabId);
    if (line.name == "notifyconnectstatuschange") {
        const std::string_view status = first.Get("status").value_or("");
        if (status == "disconnected") {
            Disconnected(*tabId);
        } else if (status == "connection_established") {
            tab.known = tab.connected = true;  // its lists come with the next listing
        }
        return;
    }
    // The rest may list several clients or channels, one item each; the tab comes once.
    for (const QueryItem& item : line.items) {
        const std::optional<std::int32_t> clid = item.Number("clid");
        const std::optional<std::int32_t> cid = item.Number("cid");
        if (line.name == "notifytalkstatuschange" && clid) {
            Talk(tab, *clid, item.Number("status").value_or(0) == 1);
        } else if (line.name == "notifycliententerview" && clid) {
            if (item.Number("client_type").value_or(0) == 1) {
                continue;
            }
            const QueryClient client{*clid, item.Number("ctid").value_or(0), Name(item, "client_nickname")};
            const auto known = FindId(tab.clients, &QueryClient::clid, *clid);
            if (known != tab.clients.end()) {
                *known = client;
            } else {
                tab.clients.push_back(client);
            }
        } else if (line.name == "notifyclientleftview" && clid) {
            Leave(tab, *clid);
        } else if (line.name == "notifyclientmoved" && clid) {
            const auto client = FindId(tab.clients, &QueryClient::clid, *clid);
            if (client != tab.clients.end() && item.Has("ctid")) {
                client->cid = item.Number("ctid").value_or(client->cid);
            }
        } else if (line.name == "notifyclientupdated" && clid && item.Has("client_nickname")) {
            const auto client = FindId(tab.clients, &QueryClient::clid, *clid);
            if (client != tab.clients.end()) {
                client->nickname = Name(item, "client_nickname");
            }
        } else if (line.name == "notifychannelcreated" && cid) {
            if (FindId(tab.channels, &QueryChannel::cid, *cid) == tab.channels.end()) {
                tab.channels.push_back(QueryChannel{*cid, Name(item, "channel_name")});
            }
        } else if (line.name == "notifychanneledited" && cid && item.Has("channel_name")) {
            const auto channel = FindId(tab.channels, &QueryChannel::cid, *cid);
            if (channel != tab.channels.end()) {
                channel->name = Name(item, "channel_name");
            }
        } else if (line.name == "notifychanneldeleted" && cid) {
            const auto channel = FindId(tab.channels, &QueryChannel::cid, *cid);
            if (channel != tab.channels.end()) {
                tab.channels.erase(channel);
            }
        }
    }
}

void QueryModel::Disconnected(std::int32_t tab) {
    QueryTab& entry = Tab(tab);
    entry = QueryTab{};
    entry.known = true;
}

void QueryModel::Whoami(std::int32_t tab, const QueryItem& item) {
    QueryTab& entry = Tab(tab);
    entry.known = true;
    entry.connected = true;
    entry.ownClid = item.Number("clid").value_or(0);
}

void QueryModel::ServerName(std::int32_t tab, const QueryItem& item) {
    Tab(tab).serverName = Name(item, "virtualserver_name");
}

void QueryModel::ChannelList(std::int32_t tab, const std::vector<QueryItem>& items) {
    QueryTab& entry = Tab(tab);
    entry.channels.clear();
    for (const QueryItem& item : items) {
        if (const auto cid = item.Number("cid")) {
            entry.channels.push_back(QueryChannel{*cid, Name(item, "channel_name")});
        }
    }
}

void QueryModel::ClientList(std::int32_t tab, const std::vector<QueryItem>& items) {
    QueryTab& entry = Tab(tab);
    entry.clients.clear();
    std::vector<std::int32_t> talking;
    bool talkFlags = false;
    for (const QueryItem& item : items) {
        const auto clid = item.Number("clid");
        if (!clid || item.Number("client_type").value_or(0) == 1) {
            continue;
        }
        entry.clients.push_back(QueryClient{*clid, item.Number("cid").value_or(0), Name(item, "client_nickname")});
        if (const auto flag = item.Number("client_flag_talking")) {
            talkFlags = true;
            if (*flag == 1) {
                talking.push_back(*clid);
            }
        }
    }
    // Whoever left meanwhile no longer talks; with talk flags, the list says who does.
    for (const std::int32_t clid : std::vector<std::int32_t>(entry.talking)) {
        const bool listed = FindId(entry.clients, &QueryClient::clid, clid) != entry.clients.end();
        const bool flagged = std::find(talking.begin(), talking.end(), clid) != talking.end();
        if (!listed || (talkFlags && !flagged)) {
            Talk(entry, clid, false);
        }
    }
    for (const std::int32_t clid : talking) {
        if (std::find(entry.talking.begin(), entry.talking.end(), clid) == entry.talking.end()) {
            Talk(entry, clid, true);
        }
    }
    entry.synced = true;
}

const QueryTab& QueryModel::ActiveTab() const {
    static const QueryTab kNone;
    const auto tab = m_tabs.find(m_active);
    return tab == m_tabs.end() ? kNone : tab->second;
}

std::vector<std::int32_t> QueryModel::TakeSpeakers() {
    const auto found = m_tabs.find(m_active);
    if (found == m_tabs.end()) {
        return {};
    }
    QueryTab& tab = found->second;
    std::vector<std::int32_t> speakers = tab.heard;
    // Those who talk still, though they began before the last call, come first.
    for (auto it = tab.talking.rbegin(); it != tab.talking.rend(); ++it) {
        if (std::find(speakers.begin(), speakers.end(), *it) == speakers.end()) {
            speakers.insert(speakers.begin(), *it);
        }
    }
    tab.heard.clear();
    return speakers;
}

void QueryModel::Clear() {
    m_tabs.clear();
    m_active = 0;
}

}  // namespace sayvane::query
