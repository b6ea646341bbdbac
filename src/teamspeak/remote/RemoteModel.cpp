// The server tabs as the Remote Apps messages describe them.
#include "teamspeak/remote/RemoteModel.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "text/Utf8.h"

namespace sayvane::remote {

namespace {

using nlohmann::json;

// The connection status that says a tab's server is there and its clients in view.
constexpr std::int32_t kEstablished = 4;
constexpr std::int32_t kConnecting = 1;
constexpr std::int32_t kConnected = 2;  // the server named, its clients not yet in view
constexpr std::int32_t kDisconnected = 0;

std::optional<std::int32_t> Id(const json& object, const char* key) {
    return IdOf(Member(object, key));
}

// A text as the program shows it (code page 1252); nullopt when it is none.
std::optional<std::string> Text(const json& value) {
    if (!value.is_string()) {
        return std::nullopt;
    }
    return Utf8ToAnsi(value.get_ref<const std::string&>());
}

std::optional<std::string> Property(const json& owner, const char* key) {
    return Text(Member(Member(owner, "properties"), key));
}

bool PropertyFlag(const json& owner, const char* key) {
    return FlagOf(Member(Member(owner, "properties"), key)).value_or(false);
}

// The channels in the client's order: each root channel followed by its subchannels, theirs
// following them in turn. Walked with a stack of its own, not by recursion: a hostile client
// could nest them tens of thousands deep. A channel seen before (a loop) is passed over.
std::vector<TabChannel> Channels(const json& infos) {
    std::vector<TabChannel> channels;
    std::unordered_set<std::int32_t> seen;
    const json& subChannels = Member(infos, "subChannels");
    std::vector<std::pair<const json*, std::size_t>> stack;  // a list of channels, the next one in it
    const json& roots = Member(infos, "rootChannels");
    if (roots.is_array()) {
        stack.emplace_back(&roots, 0);
    }
    // One more than is kept is enough to tell the tab overflowed.
    while (!stack.empty() && channels.size() <= ServerTab::kMostChannels) {
        auto& [list, next] = stack.back();
        if (next == list->size()) {
            stack.pop_back();
            continue;
        }
        const json& channel = (*list)[next++];
        const std::optional<std::int32_t> id = Id(channel, "id");
        if (!id || !seen.insert(*id).second) {
            continue;
        }
        channels.push_back(TabChannel{*id, Property(channel, "name").value_or("")});
        const json& children = Member(subChannels, std::to_string(*id).c_str());
        if (children.is_array()) {
            stack.emplace_back(&children, 0);
        }
    }
    return channels;
}

}  // namespace

bool RemoteModel::Connection(const json& connection) {
    const std::optional<std::int32_t> id = Id(connection, "id");
    ServerTab* opened = id ? m_tabs.Open(*id) : nullptr;
    if (opened == nullptr) {
        return false;
    }
    ServerTab& tab = *opened;
    tab = ServerTab{};
    tab.known = true;
    tab.ownId = Id(connection, "clientId").value_or(0);
    // A client that gives no status is taken as connected when it names our own client there.
    const std::optional<std::int32_t> status = Id(connection, "status");
    tab.connected = status ? *status == kEstablished : tab.ownId != 0;
    tab.synced = tab.connected;
    tab.serverName = Property(connection, "name").value_or("");
    tab.SetChannels(Channels(Member(connection, "channelInfos")));
    const json& infos = Member(connection, "clientInfos");
    if (!infos.is_array()) {
        return false;
    }
    bool microphone = false;
    for (const json& client : infos) {
        const std::optional<std::int32_t> clientId = Id(client, "id");
        if (!clientId) {
            continue;
        }
        if (!tab.Enter(
                TabClient{*clientId, Id(client, "channelId").value_or(0), Property(client, "nickname").value_or("")})) {
            break;  // more than are kept: the tab says it overflowed
        }
        if (PropertyFlag(client, "flagTalking")) {
            tab.Talk(*clientId, true);
        }
        microphone = microphone || (*clientId == tab.ownId && tab.ownId != 0 && PropertyFlag(client, "inputHardware"));
    }
    return microphone && tab.connected;
}

void RemoteModel::Auth(const RemoteMessage& message) {
    if (m_allowed) {
        return;  // answered once; a second answer is no news
    }
    if (message.status && message.status->code != 0) {
        m_refusal = message.status;
        return;
    }
    const json& payload = message.payload;
    m_apiKey = Text(Member(payload, "apiKey")) ? Member(payload, "apiKey").get<std::string>() : std::string();
    m_allowed = true;
    std::optional<std::int32_t> withMicrophone;
    const json& connections = Member(payload, "connections");
    if (connections.is_array()) {
        for (const json& connection : connections) {
            if (Connection(connection) && !withMicrophone) {
                withMicrophone = Id(connection, "id");
            }
        }
    }
    const std::optional<std::int32_t> current = Id(payload, "currentConnectionId");
    if (withMicrophone) {
        m_tabs.SetActive(*withMicrophone);
    } else if (current && m_tabs.Find(*current) != nullptr) {
        m_tabs.SetActive(*current);
    }
    ChooseActiveIfNone();
}

void RemoteModel::ChooseActiveIfNone() {
    if (m_tabs.ActiveTab().connected) {
        return;
    }
    for (std::int32_t id : m_tabs.Ids()) {
        if (m_tabs.Tab(id).connected) {
            m_tabs.SetActive(id);
            return;
        }
    }
}

void RemoteModel::OwnProperties(std::int32_t tabId, const ServerTab& tab, std::int32_t clientId,
                                const json& properties) {
    if (clientId == tab.ownId && tab.ownId != 0 && FlagOf(Member(properties, "inputHardware")).value_or(false)) {
        m_tabs.SetActive(tabId);
    }
}

void RemoteModel::ConnectStatus(std::int32_t tabId, ServerTab& tab, const json& payload) {
    const std::optional<std::int32_t> status = Id(payload, "status");
    const json& info = Member(payload, "info");
    if (status == kDisconnected) {
        m_tabs.Disconnected(tabId);
    } else if (status == kConnecting) {
        tab = ServerTab{};  // a new connection of that tab: what it had is gone
        tab.known = true;
    } else if (status >= kConnected && status <= kEstablished) {
        tab.known = true;
        tab.ownId = Id(info, "clientId").value_or(tab.ownId);
        if (const std::optional<std::string> name = Text(Member(info, "serverName"))) {
            tab.serverName = *name;
        }
        if (status == kEstablished) {
            tab.connected = tab.synced = true;  // its clients come into view one by one
            ChooseActiveIfNone();
        }
    }
}

void RemoteModel::ClientMoved(std::int32_t tabId, ServerTab& tab, std::int32_t clientId, const json& payload) {
    const std::optional<std::int32_t> to = Id(payload, "newChannelId");
    if (!to) {
        return;  // a move to nowhere we can read is no leave
    }
    if (*to == 0) {
        tab.Leave(clientId);
        return;
    }
    // Coming into view, the client brings its properties; a move carries none, and the name
    // is the one kept from before.
    const json& properties = Member(payload, "properties");
    TabClient* client = tab.FindClient(clientId);
    std::optional<std::string> nickname = Text(Member(properties, "nickname"));
    if (!nickname && client != nullptr) {
        nickname = client->nickname;
    }
    if (!nickname) {
        return;  // never seen, and nameless: nothing to show of it
    }
    tab.Enter(TabClient{clientId, *to, *nickname});
    if (FlagOf(Member(properties, "flagTalking")).value_or(false)) {
        tab.Talk(clientId, true);
    }
    OwnProperties(tabId, tab, clientId, properties);
}

void RemoteModel::Apply(const RemoteMessage& message) {
    const json& payload = message.payload;
    if (message.type == "auth") {
        Auth(message);
        return;
    }
    const std::optional<std::int32_t> tabId = Id(payload, "connectionId");
    if (!tabId) {
        return;  // the log and the other streams Sayvane never asked for end here too
    }
    // Only a change of its connection's status makes a tab known (a tab the user opens), and
    // only so many: any other event for a tab never heard of points nowhere.
    ServerTab* known = message.type == "connectStatusChanged" ? m_tabs.Open(*tabId) : m_tabs.Find(*tabId);
    if (known == nullptr) {
        return;
    }
    ServerTab& tab = *known;
    const std::optional<std::int32_t> clientId = Id(payload, "clientId");
    if (message.type == "talkStatusChanged" && clientId) {
        // 2 is talking with the microphone off: nobody hears it.
        tab.Talk(*clientId, Id(payload, "status") == 1);
    } else if (message.type == "clientMoved" && clientId) {
        ClientMoved(*tabId, tab, *clientId, payload);
    } else if (message.type == "clientPropertiesUpdated" && clientId) {
        const json& properties = Member(payload, "properties");
        TabClient* client = tab.FindClient(*clientId);
        if (const std::optional<std::string> nickname = Text(Member(properties, "nickname")); client && nickname) {
            client->nickname = *nickname;
        }
        OwnProperties(*tabId, tab, *clientId, properties);
    } else if (message.type == "connectStatusChanged") {
        ConnectStatus(*tabId, tab, payload);
    } else if (message.type == "channels" && Member(payload, "info").is_object()) {
        tab.SetChannels(Channels(Member(payload, "info")));
    } else if (message.type == "serverPropertiesUpdated") {
        if (const std::optional<std::string> name = Property(payload, "name")) {
            tab.serverName = *name;
        }
    } else if (message.type == "channelPropertiesUpdated") {
        const std::optional<std::int32_t> channelId = Id(payload, "channelId");
        TabChannel* channel = channelId ? tab.FindChannel(*channelId) : nullptr;
        if (const std::optional<std::string> name = Property(payload, "name"); channel && name) {
            channel->name = *name;
        }
    } else if (message.type == "clientSelfPropertyUpdated") {
        const json& flag = Member(payload, "flag");
        if (flag.is_string() && flag.get_ref<const std::string&>() == "inputHardware" &&
            FlagOf(Member(payload, "newValue")).value_or(false)) {
            m_tabs.SetActive(*tabId);
        }
    }
}

void RemoteModel::Clear() {
    m_tabs.Clear();
    m_allowed = false;
    m_refusal.reset();
}

}  // namespace sayvane::remote
