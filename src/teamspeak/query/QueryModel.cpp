// The server tabs as the query interface describes them.
#include "teamspeak/query/QueryModel.h"

#include <unordered_set>
#include <utility>

#include "text/Utf8.h"

namespace sayvane::query {

namespace {

// The name of a record as the program shows it: UTF-8 made code page 1252.
std::string Name(const QueryItem& item, std::string_view key) {
    return Utf8ToAnsi(item.Get(key).value_or(std::string_view()));
}

}  // namespace

void QueryModel::Notify(const QueryLine& line) {
    if (line.items.empty()) {
        return;
    }
    const QueryItem& first = line.items.front();
    if (line.name == "notifycurrentserverconnectionchanged") {
        if (const auto tab = first.Number("schandlerid")) {
            m_tabs.SetActive(*tab);
        }
        return;
    }
    const std::optional<std::int32_t> tabId = first.Number("schandlerid");
    if (!tabId) {
        return;
    }
    // Only a connection's status makes a tab known (a tab the user opens), and only so many:
    // any other notification for a tab never heard of points nowhere.
    ServerTab* known = line.name == "notifyconnectstatuschange" ? m_tabs.Open(*tabId) : m_tabs.Find(*tabId);
    if (known == nullptr) {
        return;
    }
    ServerTab& tab = *known;
    if (line.name == "notifyconnectstatuschange") {
        const std::string_view status = first.Get("status").value_or("");
        if (status == "disconnected") {
            m_tabs.Disconnected(*tabId);
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
            tab.Talk(*clid, item.Number("status").value_or(0) == 1);
        } else if (line.name == "notifycliententerview" && clid) {
            if (item.Number("client_type").value_or(0) != 1) {
                tab.Enter(TabClient{*clid, item.Number("ctid").value_or(0), Name(item, "client_nickname")});
            }
        } else if (line.name == "notifyclientleftview" && clid) {
            tab.Leave(*clid);
        } else if (line.name == "notifyclientmoved" && clid) {
            TabClient* client = tab.FindClient(*clid);
            if (client != nullptr && item.Has("ctid")) {
                client->channelId = item.Number("ctid").value_or(client->channelId);
            }
        } else if (line.name == "notifyclientupdated" && clid && item.Has("client_nickname")) {
            if (TabClient* client = tab.FindClient(*clid)) {
                client->nickname = Name(item, "client_nickname");
            }
        } else if (line.name == "notifychannelcreated" && cid) {
            tab.AddChannel(TabChannel{*cid, Name(item, "channel_name")});
        } else if (line.name == "notifychanneledited" && cid && item.Has("channel_name")) {
            if (TabChannel* channel = tab.FindChannel(*cid)) {
                channel->name = Name(item, "channel_name");
            }
        } else if (line.name == "notifychanneldeleted" && cid) {
            tab.RemoveChannel(*cid);
        }
    }
}

void QueryModel::Whoami(std::int32_t tab, const QueryItem& item) {
    if (ServerTab* entry = m_tabs.Open(tab)) {
        entry->known = true;
        entry->connected = true;
        entry->ownId = item.Number("clid").value_or(0);
    }
}

void QueryModel::ServerName(std::int32_t tab, const QueryItem& item) {
    if (ServerTab* entry = m_tabs.Open(tab)) {
        entry->serverName = Name(item, "virtualserver_name");
    }
}

void QueryModel::ChannelList(std::int32_t tab, const std::vector<QueryItem>& items) {
    ServerTab* entry = m_tabs.Open(tab);
    if (entry == nullptr) {
        return;
    }
    std::vector<TabChannel> channels;
    for (const QueryItem& item : items) {
        if (const auto cid = item.Number("cid")) {
            channels.push_back(TabChannel{*cid, Name(item, "channel_name")});
        }
    }
    entry->SetChannels(std::move(channels));
}

void QueryModel::ClientList(std::int32_t tab, const std::vector<QueryItem>& items) {
    ServerTab* opened = m_tabs.Open(tab);
    if (opened == nullptr) {
        return;
    }
    ServerTab& entry = *opened;
    std::vector<std::int32_t> before;
    before.reserve(entry.Clients().size());
    for (const TabClient& client : entry.Clients()) {
        before.push_back(client.id);
    }
    entry.ClearClients();
    std::vector<std::int32_t> talking;
    bool talkFlags = false;
    for (const QueryItem& item : items) {
        const auto clid = item.Number("clid");
        if (!clid || item.Number("client_type").value_or(0) == 1) {
            continue;
        }
        // Through Enter, which keeps the tab's index of client ids: the list may be rewritten
        // to the same size it had.
        entry.Enter(TabClient{*clid, item.Number("cid").value_or(0), Name(item, "client_nickname")});
        if (const auto flag = item.Number("client_flag_talking")) {
            talkFlags = true;
            if (*flag == 1) {
                talking.push_back(*clid);
            }
        }
    }
    // Whoever left meanwhile no longer talks, nor stays among those heard; with talk flags, the
    // list says who talks.
    for (const std::int32_t clid : before) {
        if (entry.FindClient(clid) == nullptr) {
            entry.Leave(clid);
        }
    }
    const std::unordered_set<std::int32_t> flagged(talking.begin(), talking.end());
    for (const std::int32_t clid : entry.Talkers()) {
        if (talkFlags && flagged.count(clid) == 0) {
            entry.Talk(clid, false);
        }
    }
    for (const std::int32_t clid : talking) {
        if (!entry.IsTalking(clid)) {
            entry.Talk(clid, true);
        }
    }
    entry.synced = true;
}

}  // namespace sayvane::query
