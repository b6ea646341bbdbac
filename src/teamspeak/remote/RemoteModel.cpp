// The server tabs as the Remote Apps messages describe them.
#include "teamspeak/remote/RemoteModel.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_set>

#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::remote {

namespace {

using nlohmann::json;

// More server tabs than anyone opens; a client that names more is not believed.
constexpr std::size_t kMostTabs = 64;

// A member as a 32-bit number; nullopt when missing or of another kind.
std::optional<std::int32_t> Id(const json& object, const char* key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer()) {
        return std::nullopt;
    }
    const auto value = it->get<std::int64_t>();
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

const json& Member(const json& object, const char* key) {
    static const json kNone;
    if (!object.is_object()) {
        return kNone;
    }
    const auto it = object.find(key);
    return it == object.end() ? kNone : *it;
}

// A text member of "properties", as the program shows it (code page 1252); nullopt when none.
std::optional<std::string> Property(const json& owner, const char* key) {
    const json& value = Member(Member(owner, "properties"), key);
    if (!value.is_string()) {
        return std::nullopt;
    }
    return query::Utf8ToAnsi(value.get<std::string>());
}

bool Talking(const json& owner) {
    const json& flag = Member(Member(owner, "properties"), "flagTalking");
    return flag.is_boolean() && flag.get<bool>();
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
    while (!stack.empty()) {
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

void RemoteModel::Connection(const json& connection) {
    const std::optional<std::int32_t> id = Id(connection, "id");
    if (!id) {
        return;
    }
    ServerTab& tab = m_tabs.Tab(*id);
    tab = ServerTab{};
    tab.known = true;
    tab.ownId = Id(connection, "clientId").value_or(0);
    tab.connected = tab.ownId != 0;
    tab.synced = tab.connected;
    tab.serverName = Property(connection, "name").value_or("");
    tab.channels = Channels(Member(connection, "channelInfos"));
    const json& clients = Member(connection, "clientInfos");
    if (clients.is_array()) {
        for (const json& client : clients) {
            const std::optional<std::int32_t> clientId = Id(client, "id");
            if (!clientId) {
                continue;
            }
            tab.Enter(
                TabClient{*clientId, Id(client, "channelId").value_or(0), Property(client, "nickname").value_or("")});
            if (Talking(client)) {
                tab.Talk(*clientId, true);
            }
        }
    }
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

void RemoteModel::Apply(const RemoteMessage& message) {
    const json& payload = message.payload;
    if (message.type == "auth") {
        const json& key = Member(payload, "apiKey");
        m_apiKey = key.is_string() ? key.get<std::string>() : std::string();
        m_allowed = true;
        const json& connections = Member(payload, "connections");
        if (connections.is_array()) {
            for (const json& connection : connections) {
                Connection(connection);
            }
        }
        ChooseActiveIfNone();
        return;
    }
    const std::optional<std::int32_t> connectionId = Id(payload, "connectionId");
    if (!connectionId) {
        return;
    }
    // Only a change of its connection's status makes a tab known (a tab the user opens), and
    // only so many: any other event for a tab never heard of points nowhere.
    if (m_tabs.Find(*connectionId) == nullptr &&
        (message.type != "connectStatusChanged" || m_tabs.Count() >= kMostTabs)) {
        return;
    }
    ServerTab& tab = m_tabs.Tab(*connectionId);
    const std::optional<std::int32_t> clientId = Id(payload, "clientId");
    if (message.type == "talkStatusChanged" && clientId && tab.FindClient(*clientId) != nullptr) {
        tab.Talk(*clientId, Id(payload, "status").value_or(0) == 1);
    } else if (message.type == "clientMoved" && clientId) {
        const std::int32_t to = Id(payload, "newChannelId").value_or(0);
        TabClient* client = tab.FindClient(*clientId);
        if (to == 0) {
            tab.Leave(*clientId);
        } else if (client == nullptr || Id(payload, "oldChannelId").value_or(0) == 0) {
            tab.Enter(TabClient{*clientId, to, Property(payload, "nickname").value_or(client ? client->nickname : "")});
        } else {
            client->channelId = to;
        }
    } else if (message.type == "clientPropertiesUpdated" && clientId) {
        TabClient* client = tab.FindClient(*clientId);
        if (const std::optional<std::string> nickname = Property(payload, "nickname"); client && nickname) {
            client->nickname = *nickname;
        }
    } else if (message.type == "connectStatusChanged") {
        const std::int32_t status = Id(payload, "status").value_or(-1);
        if (status == 0) {
            m_tabs.Disconnected(*connectionId);
        } else if (status == 4) {
            tab.known = tab.connected = tab.synced = true;  // its clients come into view one by one
            tab.ownId = Id(Member(payload, "info"), "clientId").value_or(tab.ownId);
            ChooseActiveIfNone();
        }
    } else if (message.type == "channels" && Member(payload, "info").is_object()) {
        tab.channels = Channels(Member(payload, "info"));
    } else if (message.type == "serverPropertiesUpdated") {
        if (const std::optional<std::string> name = Property(payload, "name")) {
            tab.serverName = *name;
        }
    } else if (message.type == "clientSelfPropertyUpdated") {
        const json& flag = Member(payload, "flag");
        const json& value = Member(payload, "newValue");
        if (flag.is_string() && flag.get<std::string>() == "inputHardware" &&
            !(value.is_boolean() && !value.get<bool>())) {
            m_tabs.SetActive(*connectionId);
        }
    }
}

void RemoteModel::Clear() {
    m_tabs.Clear();
    m_allowed = false;
}

}  // namespace sayvane::remote
