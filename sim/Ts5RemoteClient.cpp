// The simulated Remote Apps interface: the WebSocket's handshake and frames on the server's
// side, the app's auth and the user's answer, and the tabs' changes told as events in the
// shapes of the real clients.
#include "sim/Ts5RemoteClient.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <unordered_map>

#include "text/Utf8.h"

namespace sayvane::sim {
namespace {

using nlohmann::json;
using remote::Opcode;

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::size_t kMaxHeaderBytes = std::size_t{16} * 1024;
// A longer message from the app is refused, as the link refuses one from the client.
constexpr std::size_t kMaxMessageBytes = kTs5MessageLimit;
constexpr std::size_t kMaxControlBytes = 125;

constexpr std::uint16_t kCloseNormal = 1000;
constexpr std::uint16_t kCloseProtocolError = 1002;
constexpr std::uint16_t kCloseUnsupportedData = 1003;
constexpr std::uint16_t kClosePolicy = 1008;
constexpr std::uint16_t kCloseTooBig = 1009;

// Connection states (connections[].status, connectStatusChanged): a connect passes through 1 to 4.
constexpr int kDisconnected = 0;
constexpr int kConnecting = 1;
constexpr int kConnected = 2;
constexpr int kEstablishing = 3;
constexpr int kEstablished = 4;

// clientMoved: who moved the client, and whether it stays in view.
constexpr int kMovedItself = 1;
constexpr int kMovedByOther = 2;
constexpr int kStaysInView = 1;
constexpr int kLeavesView = 2;

// talkStatusChanged.
constexpr int kTalkStopped = 0;
constexpr int kTalking = 1;
constexpr int kTalkingUnheard = 2;

// TeamSpeak 2 player and channel flags the scenarios set, told as the client's properties.
constexpr std::int32_t kPlayerCommander = 1;
constexpr std::int32_t kPlayerWantsVoice = 2;
constexpr std::int32_t kPlayerAway = 8;
constexpr std::int32_t kPlayerInputMuted = 16;
constexpr std::int32_t kPlayerOutputMuted = 32;
constexpr std::int32_t kPlayerRecording = 64;
constexpr std::int32_t kChannelUnregistered = 2;
constexpr std::int32_t kChannelModerated = 4;
constexpr std::int32_t kChannelPassword = 8;
constexpr std::int32_t kChannelDefault = 32;

constexpr std::string_view kSwitching =
    "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n";
constexpr std::string_view kBadRequest = "HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
constexpr std::string_view kForbidden = "HTTP/1.1 403 Forbidden\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whether the comma-separated `list` holds `token` (lower case), in any case.
bool HasToken(std::string_view list, std::string_view token) {
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        if (Lower(Trim(list.substr(from, comma - from))) == token) {
            return true;
        }
        from = comma + 1;
    }
    return false;
}

// The Base64 of 16 bytes: 22 digits and "==".
bool IsNonce(std::string_view key) {
    constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return key.size() == 24 && key.substr(22) == "==" &&
           key.substr(0, 22).find_first_not_of(kDigits) == std::string_view::npos;
}

// What is wrong with the opening request (its header without the empty line that ends it);
// empty when it asks for a WebSocket as this client serves one, with its key in `key`.
std::string RequestError(std::string_view header, std::string& key) {
    std::size_t end = header.find("\r\n");
    const std::string_view request = header.substr(0, end);
    if (request.rfind("GET ", 0) != 0 || request.size() < 14 || request.substr(request.size() - 9) != " HTTP/1.1") {
        return "not a GET of HTTP/1.1";
    }
    // Fields by their name in lower case; a repeated field's values joined, as HTTP reads them.
    std::map<std::string, std::string> fields;
    while (end != std::string_view::npos) {
        const std::size_t start = end + 2;
        end = header.find("\r\n", start);
        const std::string_view line = header.substr(start, end == std::string_view::npos ? end : end - start);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return "a header line without a colon";
        }
        std::string& value = fields[Lower(Trim(line.substr(0, colon)))];
        value += (value.empty() ? "" : ", ") + std::string(Trim(line.substr(colon + 1)));
    }
    const auto field = [&](const char* name) {
        const auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    };
    key = field("sec-websocket-key");
    if (field("host").empty()) {
        return "no Host";
    }
    if (!HasToken(field("upgrade"), "websocket")) {
        return "no Upgrade: websocket";
    }
    if (!HasToken(field("connection"), "upgrade")) {
        return "no Connection: Upgrade";
    }
    if (field("sec-websocket-version") != "13") {
        return "no Sec-WebSocket-Version: 13";
    }
    if (!IsNonce(key)) {
        return "no Sec-WebSocket-Key of 16 bytes";
    }
    return {};
}

// A frame to the app, never masked: the client codec's frame with a zero mask, whose key is
// taken out again.
std::string ServerFrame(Opcode opcode, std::string_view payload, bool isFinal = true) {
    std::string frame = remote::EncodeFrame(opcode, payload, {0, 0, 0, 0});
    frame.erase(frame.size() - payload.size() - 4, 4);
    frame[1] = static_cast<char>(static_cast<std::uint8_t>(frame[1]) & 0x7FU);
    if (!isFinal) {
        frame[0] = static_cast<char>(static_cast<std::uint8_t>(frame[0]) & 0x7FU);
    }
    return frame;
}

std::string ClosePayload(std::uint16_t code, std::string_view why) {
    std::string payload{static_cast<char>(code >> 8U), static_cast<char>(code & 0xFFU)};
    return payload + std::string(why.substr(0, kMaxControlBytes - 2));
}

// A key as the client hands them out, different for every count: 32 hex digits in groups.
std::string MakeKey(std::uint64_t count) {
    std::uint64_t state = 0x9E3779B97F4A7C15ULL * (count + 1);
    std::string key;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) {
            key += '-';
        }
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        key += "0123456789abcdef"[state >> 60U];
    }
    return key;
}

// `length` Base64 digits, the same for the same seed: the made-up identifiers, signatures and
// hashes that fill a client's properties.
std::string Filler(std::uint64_t seed, std::size_t length) {
    constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::uint64_t state = 0x9E3779B97F4A7C15ULL * (seed + 1);
    std::string text;
    text.reserve(length);
    while (text.size() < length) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        text += kDigits[static_cast<std::size_t>(state >> 58U)];
    }
    return text;
}

std::string Id(std::int32_t id) {
    return std::to_string(id);
}

std::string ClientUid(std::int32_t id) {
    return Filler(static_cast<std::uint64_t>(id), 27) + "=";
}

std::string ServerUid(std::int32_t tab) {
    return Filler(0x5E5E0000U + static_cast<std::uint64_t>(tab), 27) + "=";
}

json FlagValue(Ts5Shape::Flags style, bool value) {
    return style == Ts5Shape::Flags::Boolean ? json(value) : json(value ? 1 : 0);
}

bool Contains(const std::vector<std::int32_t>& ids, std::int32_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The own client's id; 0 while the server has no player of the own nickname (not connected).
std::int32_t OwnId(const TsServer& server) {
    const auto it = std::find_if(server.players.begin(), server.players.end(),
                                 [&](const TsPlayer& p) { return p.name == server.ownNickname; });
    return server.connected && it != server.players.end() ? it->id : 0;
}

using PlayerIndex = std::unordered_map<std::int32_t, const TsPlayer*>;

PlayerIndex IndexOf(const TsServer& server) {
    PlayerIndex index;
    index.reserve(server.players.size());
    for (const TsPlayer& player : server.players) {
        index.emplace(player.id, &player);
    }
    return index;
}

const TsPlayer* Find(const PlayerIndex& index, std::int32_t id) {
    const auto it = index.find(id);
    return it == index.end() ? nullptr : it->second;
}

// talkStatusChanged's status of the client, as `server` has him.
int TalkStatus(const TsServer& server, const PlayerIndex& index, std::int32_t id) {
    const TsPlayer* player = Find(index, id);
    if (player == nullptr || !Contains(server.speakers, id)) {
        return kTalkStopped;
    }
    return (player->flags & kPlayerInputMuted) != 0 ? kTalkingUnheard : kTalking;
}

bool SamePlayers(const TsServer& a, const TsServer& b) {
    return a.speakers == b.speakers && std::equal(a.players.begin(), a.players.end(), b.players.begin(),
                                                  b.players.end(), [](const TsPlayer& x, const TsPlayer& y) {
                                                      return x.id == y.id && x.channelId == y.channelId &&
                                                             x.flags == y.flags && x.name == y.name;
                                                  });
}

// The channel's parent: the channel its "second" field names when that one is listed before
// it (so that no loop can form), else 0 for a root channel.
std::int32_t Parent(const TsServer& server, std::size_t index) {
    const std::int32_t parent = server.channels[index].second;
    const auto before = server.channels.begin() + static_cast<std::ptrdiff_t>(index);
    const bool listed =
        std::any_of(server.channels.begin(), before, [&](const TsChannel& c) { return c.id == parent; });
    return parent > 0 && listed ? parent : 0;
}

// The same channels in the same places of the tree (their properties aside).
bool SameTree(const TsServer& a, const TsServer& b) {
    if (a.channels.size() != b.channels.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.channels.size(); ++i) {
        if (a.channels[i].id != b.channels[i].id) {
            return false;
        }
    }
    // With the same ids in the same order, a parent can differ only where "second" does.
    for (std::size_t i = 0; i < a.channels.size(); ++i) {
        if (a.channels[i].second != b.channels[i].second && Parent(a, i) != Parent(b, i)) {
            return false;
        }
    }
    return true;
}

json ChannelProperties(const TsChannel& channel, Ts5Shape::Flags style) {
    const auto flag = [style](bool value) { return FlagValue(style, value); };
    return {
        {"name", AnsiToUtf8(channel.name)},
        {"namePhonetic", ""},
        {"topic", ""},
        {"description", ""},
        {"codec", 4},
        {"codecQuality", 6},
        {"codecLatencyFactor", 1},
        {"isUnencrypted", flag(false)},
        {"maxClients", -1},
        {"maxFamilyClients", -1},
        {"flagMaxClientsUnlimited", flag(true)},
        {"flagMaxFamilyClientsUnlimited", flag(true)},
        {"flagMaxFamilyClientsInherited", flag(false)},
        {"flagPermanent", flag((channel.flags & kChannelUnregistered) == 0)},
        {"flagSemiPermanent", flag(false)},
        {"flagDefault", flag((channel.flags & kChannelDefault) != 0)},
        {"flagPassword", flag((channel.flags & kChannelPassword) != 0)},
        {"neededTalkPower", (channel.flags & kChannelModerated) != 0 ? 50 : 0},
        {"forcedSilence", flag(false)},
        {"iconId", 0},
        {"bannerGfxUrl", ""},
        {"bannerMode", 0},
        {"deleteDelay", 0},
        {"permissionHints", 0},
        {"uniqueIdentifier", Filler(0xC4A0000U + static_cast<std::uint64_t>(channel.id), 36)},
    };
}

// The channel tree: each channel's id, the id of the one it follows among its siblings ("0" for
// the first), its parent's id ("0" at the root), all as strings.
json ChannelInfos(const TsServer& server, Ts5Shape::Flags style) {
    json roots = json::array();
    json subChannels = json::object();
    std::map<std::int32_t, std::int32_t> lastChild;  // per parent
    for (std::size_t i = 0; i < server.channels.size(); ++i) {
        const TsChannel& channel = server.channels[i];
        const std::int32_t parent = Parent(server, i);
        const std::int32_t order = std::exchange(lastChild[parent], channel.id);
        json entry = {{"id", Id(channel.id)},
                      {"order", Id(order)},
                      {"parentId", Id(parent)},
                      {"properties", ChannelProperties(channel, style)}};
        (parent == 0 ? roots : subChannels[Id(parent)]).push_back(std::move(entry));
    }
    return {{"rootChannels", std::move(roots)}, {"subChannels", std::move(subChannels)}};
}

json ServerProperties(std::int32_t tab, const TsServer& server, Ts5Shape::Flags style) {
    const auto flag = [style](bool value) { return FlagValue(style, value); };
    return {
        {"name", AnsiToUtf8(server.serverName)},
        {"uniqueIdentifier", ServerUid(tab)},
        {"namePhonetic", ""},
        {"platform", "Linux"},
        {"version", "3.13.7 [Build: 1655727713]"},
        {"created", 1500000000 + tab},
        {"welcomeMessage", "Welcome to TeamSpeak, check [URL]www.teamspeak.com[/URL] for latest information"},
        {"maxClients", 512},
        {"clientsOnline", server.players.size()},
        {"channelsOnline", server.channels.size()},
        {"reservedSlots", 0},
        {"codecEncryptionMode", 0},
        {"hostmessage", ""},
        {"hostmessageMode", 0},
        {"hostbannerUrl", ""},
        {"hostbannerGfxUrl", ""},
        {"hostbannerGfxInterval", 0},
        {"hostbannerMode", 0},
        {"hostbuttonTooltip", ""},
        {"hostbuttonUrl", ""},
        {"hostbuttonGfxUrl", ""},
        {"iconId", 0},
        {"askForPrivilegekey", flag(false)},
        {"defaultServerGroup", 8},
        {"defaultChannelGroup", 8},
        {"defaultChannelAdminGroup", 5},
        {"prioritySpeakerDimmModificator", -18.0},
        {"antiFloodPointsNeededCommandBlock", 150},
        {"nicknameChangeDelay", 0},
    };
}

// A client's full property set as the client sends it (about 3.5 KB of JSON), from what a
// scenario knows of the player and made-up values for the rest.
json ClientPropertySet(const TsServer& server, const TsPlayer& player, bool inputHardware, Ts5Shape::Flags style) {
    const auto flag = [style](bool value) { return FlagValue(style, value); };
    const auto has = [&](std::int32_t bit) { return (player.flags & bit) != 0; };
    const auto seed = static_cast<std::uint64_t>(player.id) << 8U;
    return {
        {"nickname", AnsiToUtf8(player.name)},
        {"nicknamePhonetic", ""},
        {"uniqueIdentifier", ClientUid(player.id)},
        {"databaseId", 1000 + player.id},
        {"type", 0},
        {"flagTalking", flag(Contains(server.speakers, player.id))},
        {"inputMuted", flag(has(kPlayerInputMuted))},
        {"outputMuted", flag(has(kPlayerOutputMuted))},
        {"outputOnlyMuted", flag(false)},
        {"inputHardware", flag(inputHardware)},
        {"outputHardware", flag(true)},
        {"inputDeactivated", flag(false)},
        {"isRecording", flag(has(kPlayerRecording))},
        {"away", flag(has(kPlayerAway))},
        {"awayMessage", has(kPlayerAway) ? "back in five" : ""},
        {"isChannelCommander", flag(has(kPlayerCommander))},
        {"talkRequest", flag(has(kPlayerWantsVoice))},
        {"talkRequestMsg", ""},
        {"isTalker", flag(false)},
        {"isPrioritySpeaker", flag(false)},
        {"isMuted", flag(false)},
        {"talkPower", 75},
        {"neededServerqueryViewPower", 75},
        {"unreadMessages", 0},
        {"channelGroupId", 8},
        {"channelGroupInheritedChannelId", player.channelId},
        {"serverGroups", "8"},
        {"description", ""},
        {"country", "DE"},
        {"estimatedLocation", ""},
        {"platform", "Windows"},
        {"version", "6.0.0-beta4.1 [Build: 1745844476]"},
        {"versionSign", Filler(seed + 1, 86) + "=="},
        {"securityHash", ""},
        {"volumeModificator", 0.0},
        {"idleTime", 0},
        {"created", 1600000000 + player.id},
        {"lastConnected", 1745000000},
        {"totalConnections", 42},
        {"monthBytesUploaded", 0},
        {"monthBytesDownloaded", 0},
        {"totalBytesUploaded", 0},
        {"totalBytesDownloaded", 0},
        {"iconId", 0},
        {"flagAvatar", Filler(seed + 2, 32)},
        {"avatarUrl", ""},
        {"badges", "Overwolf=0:badges=" + Filler(seed + 3, 36) + "," + Filler(seed + 4, 36)},
        {"signedBadges", Filler(seed + 5, 1700)},
        {"myteamspeakId", Filler(seed + 6, 43) + "="},
        {"myteamspeakAvatar", "2,https://myteamspeak.example/avatar/" + Filler(seed + 7, 40)},
        {"integrations", ""},
        {"permissionHints", 0},
        {"userTag", ""},
        {"metaData", ""},
        {"loginName", ""},
        {"defaultChannel", ""},
        {"defaultToken", ""},
        {"hardwareId", Filler(seed + 8, 64)},
        {"publicKey", Filler(seed + 9, 120)},
        {"lastVariablesUpdate", 1745000000},
    };
}

// The event in short for the trace: its type and the ids and states it carries.
std::string Summary(const std::string& type, const json& payload) {
    static constexpr std::array<std::pair<const char*, const char*>, 6> kShown = {{
        {"connectionId", "connection"},
        {"clientId", "client"},
        {"status", "status"},
        {"oldChannelId", "from"},
        {"newChannelId", "to"},
        {"flag", "flag"},
    }};
    std::string summary = type;
    for (const auto& [key, label] : kShown) {
        const auto it = payload.find(key);
        if (it != payload.end()) {
            summary += std::string(" ") + label + "=" + (it->is_string() ? it->get<std::string>() : it->dump());
        }
    }
    return summary;
}

// A message as the client writes it: "type" first (a JSON object of its own would sort the
// keys), then "payload", then a reply's "status". Texts that are not UTF-8 are written with
// replacement characters rather than throwing.
std::string MessageText(const std::string& type, const json& payload, const json* status = nullptr) {
    std::string text = R"({"type":)" + json(type).dump() + R"(,"payload":)" +
                       payload.dump(-1, ' ', false, json::error_handler_t::replace);
    if (status != nullptr) {
        text += R"(,"status":)" + status->dump();
    }
    return text + "}";
}

// Events a client of a later version, or a broken one, might send: of an unknown type, with
// fields missing or of another kind, with ids that point nowhere. The link must go on as if
// they had not come.
constexpr std::array<std::string_view, 16> kStrangeEvents = {
    R"({"type":"someEventOfALaterVersion","payload":{"connectionId":1,"clientId":1}})",
    R"({"type":"talkStatusChanged","payload":{"connectionId":1,"status":1,"isWhisper":false}})",
    R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":"1x","status":1,"isWhisper":false}})",
    R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":424242,"status":1,"isWhisper":false}})",
    R"({"type":"clientMoved","payload":{"connectionId":4242,"clientId":1,"oldChannelId":"0","newChannelId":"1"}})",
    R"({"type":"clientMoved","payload":{"connectionId":1,"clientId":1,"oldChannelId":"2","newChannelId":"2a",)"
    R"("type":1,"visibility":1}})",
    R"({"type":"clientMoved","payload":{"connectionId":1,"clientId":424242,"oldChannelId":"1","newChannelId":"2",)"
    R"("type":1,"visibility":1}})",
    R"({"type":"clientMoved"})",
    R"({"type":"clientPropertiesUpdated","payload":{"connectionId":1,"clientId":424242,)"
    R"("properties":{"nickname":"Nobody"}}})",
    R"({"type":"clientPropertiesUpdated","payload":{"connectionId":1,"clientId":1,"properties":{"nickname":7}}})",
    R"({"type":"connectStatusChanged","payload":{"connectionId":1,"status":"disconnected"}})",
    R"({"type":"connectStatusChanged","payload":{"connectionId":"one","status":0,"info":null}})",
    R"({"type":"serverPropertiesUpdated","payload":{"connectionId":1,"properties":["name"]}})",
    R"({"type":"channels","payload":{"connectionId":1}})",
    R"({"type":"channelPropertiesUpdated","payload":{"connectionId":1,"channelId":"4242",)"
    R"("properties":{"name":"Nowhere"}}})",
    R"({"type":"clientSelfPropertyUpdated","payload":{"connectionId":4242,"flag":"inputHardware","oldValue":false,)"
    R"("newValue":true}})",
};

// Texts that are no message at all.
constexpr std::array<std::string_view, 7> kMalformed = {
    "{", "not JSON", "[1,2,3]", R"("talkStatusChanged")", R"({"payload":{"connectionId":1}})", R"({"type":42})", "",
};

// The unasked-for events besides "log", sent in turn when the knob asks for a stream of them.
constexpr std::array<const char*, 7> kUnaskedTypes = {
    "textMessage",       "clientChatComposing", "clientChannelGroupChanged", "groupInfo",
    "neededPermissions", "streamInfoReplace",   "channelsSubscribed",
};

bool SameApp(const remote::AppIdentity& a, const remote::AppIdentity& b) {
    return a.identifier == b.identifier && a.version == b.version && a.name == b.name && a.description == b.description;
}

}  // namespace

void Ts5RemoteClient::SetConfirm(Confirm answer, std::int64_t delay) {
    m_confirm = answer;
    m_confirmDelay = delay;
}

bool Ts5RemoteClient::KnowsKey(const std::string& key, const remote::AppIdentity& app) const {
    const auto it = m_keys.find(key);
    return it != m_keys.end() && (!it->second || SameApp(*it->second, app));
}

void Ts5RemoteClient::SetCrowd(std::size_t clients) {
    m_crowd = clients;
    m_crowded.clear();
}

std::int64_t Ts5RemoteClient::Now() const {
    return m_clock != nullptr ? m_clock->NowMilliseconds() : m_updates;
}

void Ts5RemoteClient::Trace(Direction direction, const std::string& line) {
    if (m_trace) {
        m_trace(direction, line);
    }
}

bool Ts5RemoteClient::Connect() {
    if (!Running()) {
        return false;
    }
    BeginSession();
    m_session = Session{};
    m_session.open = true;
    return true;
}

void Ts5RemoteClient::Close() {
    m_session.open = false;
    m_session.input = std::string();
    m_session.text = std::string();
}

void Ts5RemoteClient::Disconnect() {
    Close();
    DropOutput();
}

void Ts5RemoteClient::CloseWith(std::uint16_t code, std::string_view why) {
    Trace(Direction::Note, "closing: " + std::string(why));
    QueueOutput(ServerFrame(Opcode::Close, ClosePayload(code, why)));
    Close();
}

void Ts5RemoteClient::Receive(std::string_view bytes) {
    if (!m_session.open) {
        return;
    }
    m_session.input.append(bytes);
    Handle();
}

void Ts5RemoteClient::Update() {
    ++m_updates;
    FillCrowd();
    if (!m_session.open) {
        return;
    }
    if (!Running()) {
        Close();  // the program is gone, and its connections with it
        return;
    }
    if (m_faults.stall) {
        return;
    }
    Handle();
    AnswerUser();
    if (m_session.open && m_session.phase == Phase::Allowed) {
        m_session.logged = false;
        for (std::size_t i = 0; i < m_shape.logsPerUpdate; ++i) {
            Unasked(ActiveTab(), "log");
        }
        if (m_shape.logsPerUpdate > 0) {
            Unasked(ActiveTab(), kUnaskedTypes[m_unaskedSent++ % kUnaskedTypes.size()]);
        }
        SyncTabs();
    }
}

void Ts5RemoteClient::Ping(std::string_view payload) {
    if (m_session.open && m_session.phase != Phase::Handshake) {
        QueueOutput(ServerFrame(Opcode::Ping, payload.substr(0, kMaxControlBytes)));
    }
}

void Ts5RemoteClient::Handle() {
    if (m_faults.stall) {
        return;
    }
    if (m_session.open && m_session.phase == Phase::Handshake) {
        ReadHandshake();
    }
    while (m_session.open && m_session.phase != Phase::Handshake && ReadFrame()) {
    }
}

void Ts5RemoteClient::ReadHandshake() {
    std::string& input = m_session.input;
    const std::size_t end = input.find(kHeaderEnd);
    if (end == std::string::npos) {
        if (input.size() > kMaxHeaderBytes) {
            Trace(Direction::Note, "bad handshake: a header over 16 KiB");
            QueueOutput(kBadRequest);
            Close();
        }
        return;
    }
    const std::string header = input.substr(0, end);
    input.erase(0, end + kHeaderEnd.size());
    if (m_faults.refuseHandshake) {
        Trace(Direction::Note, "handshake refused: 403");
        QueueOutput(kForbidden);
        Close();
        return;
    }
    std::string key;
    const std::string error = RequestError(header, key);
    if (!error.empty()) {
        Trace(Direction::Note, "bad handshake: " + error);
        QueueOutput(kBadRequest);
        Close();
        return;
    }
    const std::string accept = remote::AcceptKey(m_faults.wrongAcceptKey ? key + "x" : key);
    QueueOutput(std::string(kSwitching) + "Sec-WebSocket-Accept: " + accept + "\r\n\r\n");
    Trace(Direction::Note,
          m_faults.wrongAcceptKey ? "handshake answered with a wrong accept key" : "handshake answered");
    m_session.phase = Phase::Auth;
}

bool Ts5RemoteClient::ReadFrame() {
    const std::string& input = m_session.input;
    if (input.size() < 2) {
        return false;
    }
    const auto first = static_cast<std::uint8_t>(input[0]);
    const auto second = static_cast<std::uint8_t>(input[1]);
    const auto opcode = static_cast<Opcode>(first & 0x0FU);
    const bool isFinal = (first & 0x80U) != 0;
    const bool control = (first & 0x08U) != 0;
    if ((second & 0x80U) == 0) {
        CloseWith(kCloseProtocolError, "an unmasked frame");
        return false;
    }
    if ((first & 0x70U) != 0) {
        CloseWith(kCloseProtocolError, "reserved bits set");
        return false;
    }
    const unsigned shortLength = second & 0x7FU;
    const std::size_t lengthBytes = shortLength == 127 ? 8 : shortLength == 126 ? 2 : 0;
    const std::size_t head = 2 + lengthBytes + 4;
    if (input.size() < head) {
        return false;
    }
    std::uint64_t length = lengthBytes == 0 ? shortLength : 0;
    for (std::size_t i = 0; i < lengthBytes; ++i) {
        length = (length << 8U) | static_cast<std::uint8_t>(input[2 + i]);
    }
    if (control && (!isFinal || length > kMaxControlBytes)) {
        CloseWith(kCloseProtocolError, "a fragmented or long control frame");
        return false;
    }
    if (!control && length > kMaxMessageBytes - m_session.text.size()) {
        CloseWith(kCloseTooBig, "a message over 16 MiB");
        return false;
    }
    if (input.size() - head < length) {
        return false;
    }
    std::string payload = input.substr(head, static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(payload[i] ^ input[head - 4 + i % 4]);
    }
    m_session.input.erase(0, head + payload.size());

    if (control) {
        Control(opcode, payload);
    } else if (opcode == Opcode::Binary) {
        CloseWith(kCloseUnsupportedData, "a binary message");
    } else if (opcode != Opcode::Text && opcode != Opcode::Continuation) {
        CloseWith(kCloseProtocolError, "an unknown opcode");
    } else if ((opcode == Opcode::Continuation) != m_session.fragmented) {
        CloseWith(kCloseProtocolError,
                  m_session.fragmented ? "a new message inside a fragmented one" : "a continuation without a start");
    } else {
        m_session.text += payload;
        m_session.fragmented = !isFinal;
        if (isFinal) {
            HandleText(std::exchange(m_session.text, std::string()));
        }
    }
    return m_session.open;
}

void Ts5RemoteClient::Control(Opcode opcode, const std::string& payload) {
    if (opcode == Opcode::Ping) {
        m_received.emplace_back("(ping)");
        QueueOutput(ServerFrame(Opcode::Pong, payload));
    } else if (opcode == Opcode::Pong) {
        m_received.emplace_back("(pong)");
    } else if (opcode == Opcode::Close) {
        std::string code;
        if (payload.size() >= 2) {
            code = " " + std::to_string((static_cast<std::uint8_t>(payload[0]) << 8U) |
                                        static_cast<std::uint8_t>(payload[1]));
        }
        m_received.push_back("(close" + code + ")");
        Trace(Direction::Note, "the app closes" + code);
        // The close is answered with its status code, and the connection ends.
        QueueOutput(ServerFrame(Opcode::Close, payload.substr(0, std::min<std::size_t>(payload.size(), 2))));
        Close();
    } else {
        CloseWith(kCloseProtocolError, "an unknown opcode");
    }
}

void Ts5RemoteClient::HandleText(const std::string& text) {
    const json message = json::parse(text, nullptr, false);
    const auto type = message.is_object() ? message.find("type") : message.end();
    if (type == message.end() || !type->is_string()) {
        m_received.emplace_back("<not a message>");
        Trace(Direction::Received, "<not a message>");
    } else if (type->get<std::string>() == "auth") {
        const auto payload = message.find("payload");
        Auth(payload != message.end() && payload->is_object() ? *payload : json::object());
        return;
    } else {
        m_received.push_back(type->get<std::string>());
        Trace(Direction::Received, type->get<std::string>());
    }
    if (m_session.phase == Phase::Auth) {
        CloseWith(kClosePolicy, "the first message is not an auth");
    }
}

void Ts5RemoteClient::Auth(const json& payload) {
    const auto content = payload.find("content");
    const bool hasContent = content != payload.end() && content->is_object();
    const auto key = hasContent ? content->find("apiKey") : payload.end();
    const bool hasKey = hasContent && key != content->end() && key->is_string();
    const std::string line = hasKey && key->get<std::string>().empty() ? "auth apikey=<empty>" : "auth apikey=<hidden>";
    m_received.push_back(line);
    Trace(Direction::Received, line);
    if (m_session.phase != Phase::Auth) {
        Trace(Direction::Note, "a second auth, passed over");
        return;
    }
    for (const char* field : {"identifier", "version", "name", "description"}) {
        if (!payload.contains(field) || !payload.at(field).is_string()) {
            CloseWith(kClosePolicy, std::string("an auth without ") + field);
            return;
        }
    }
    if (!hasKey) {
        CloseWith(kClosePolicy, "an auth without content.apiKey");
        return;
    }
    m_lastApp =
        remote::AppIdentity{payload.at("identifier").get<std::string>(), payload.at("version").get<std::string>(),
                            payload.at("name").get<std::string>(), payload.at("description").get<std::string>()};
    const std::string offered = key->get<std::string>();
    m_lastAuthKnown = KnowsKey(offered, m_lastApp);
    if (*m_lastAuthKnown) {
        LetIn(offered);
        return;
    }
    Trace(Direction::Note, "asking the user");
    m_session.phase = Phase::Asking;
    m_session.askedAt = Now();
    AnswerUser();
}

void Ts5RemoteClient::AnswerUser() {
    if (!m_session.open || m_session.phase != Phase::Asking || m_confirm == Confirm::NeverAnswer ||
        Now() - m_session.askedAt < m_confirmDelay) {
        return;
    }
    if (m_confirm == Confirm::Decline) {
        Trace(Direction::Note, "declined");
        Refuse();
        return;
    }
    m_lastIssued = MakeKey(m_keysIssued++);
    m_keys[m_lastIssued] = m_lastApp;
    Trace(Direction::Note, "allowed: key issued");
    LetIn(m_lastIssued);
}

void Ts5RemoteClient::Refuse() {
    switch (m_shape.refusal) {
        case Ts5Shape::Refusal::ErrorReply:
        case Ts5Shape::Refusal::BareErrorReply:
            // The app may introduce itself again, and the user is asked again.
            m_session.phase = Phase::Auth;
            Reply("auth", json::object(), kTs5RefusedCode,
                  m_shape.refusal == Ts5Shape::Refusal::ErrorReply ? "the user declined the app" : nullptr);
            break;
        case Ts5Shape::Refusal::CloseFrame: CloseWith(kCloseNormal, "the user declined"); break;
        case Ts5Shape::Refusal::Drop:
            Trace(Direction::Note, "the connection ends without a close frame");
            Close();
            break;
    }
}

json Ts5RemoteClient::Flag(bool value) const {
    return FlagValue(m_shape.flags, value);
}

json Ts5RemoteClient::ClientProperties(std::int32_t tab, const TsPlayer& player) {
    const TsServer& server = Server(tab);
    const bool own = player.id != 0 && player.id == OwnId(server);
    // Other clients have their microphone; ours is on only on the tab the user has in front.
    const bool microphone = !own || tab == ActiveTab();
    if (own) {
        m_session.microphone[static_cast<std::size_t>(tab - 1)] = microphone;
    }
    return ClientPropertySet(server, player, microphone, m_shape.flags);
}

json Ts5RemoteClient::Connection(std::int32_t tab) {
    const TsServer& server = Server(tab);
    json connection = {{"id", tab},
                       {"clientId", OwnId(server)},
                       {"status", server.connected ? kEstablished : kDisconnected},
                       {"properties", json::object()},
                       {"channelInfos", ChannelInfos(TsServer{}, m_shape.flags)},
                       {"clientInfos", json::array()}};
    if (!server.connected) {
        return connection;
    }
    connection["properties"] = ServerProperties(tab, server, m_shape.flags);
    connection["channelInfos"] = ChannelInfos(server, m_shape.flags);
    json& clients = connection["clientInfos"];
    for (const TsPlayer& player : server.players) {
        clients.push_back(
            {{"id", player.id}, {"channelId", player.channelId}, {"properties", ClientProperties(tab, player)}});
    }
    return connection;
}

void Ts5RemoteClient::LetIn(const std::string& key) {
    FillCrowd();
    m_session.phase = Phase::Allowed;
    // The answer tells the state as it is; events follow for what changes afterwards.
    m_session.told.assign(Tabs().begin(), Tabs().end());
    m_session.microphone.assign(Tabs().size(), false);
    json connections = json::array();
    for (std::int32_t tab = 1; tab <= TabCount(); ++tab) {
        connections.push_back(Connection(tab));
    }
    const bool zero = m_shape.currentConnection == Ts5Shape::CurrentConnection::Zero;
    Reply("auth",
          {{"apiKey", key}, {"currentConnectionId", zero ? 0 : ActiveTab()}, {"connections", std::move(connections)}},
          0, "ok");
    if (m_shape.unaskedEvents) {
        for (std::int32_t tab = 1; tab <= TabCount(); ++tab) {
            if (Server(tab).connected) {
                Unasked(tab, "groupInfo");
                Unasked(tab, "neededPermissions");
                Unasked(tab, "channelsSubscribed");
            }
        }
    }
}

void Ts5RemoteClient::Reply(const std::string& type, json payload, std::int32_t code, const char* message) {
    json status = {{"code", code}};
    if (message != nullptr) {
        status["message"] = message;
    }
    std::string summary = type + " status=" + std::to_string(code);
    const auto connections = payload.find("connections");
    if (connections != payload.end()) {
        summary = type + " apikey=<hidden> connections=" + std::to_string(connections->size());
    }
    if (m_shape.statusPlacement == Ts5Shape::StatusPlacement::InPayload) {
        payload["status"] = std::move(status);
        SendText(MessageText(type, payload), summary);
    } else {
        SendText(MessageText(type, payload, &status), summary);
    }
}

void Ts5RemoteClient::QueueFrames(Opcode opcode, std::string_view payload) {
    const std::size_t size = m_faults.fragmentBytes == 0 ? payload.size() : m_faults.fragmentBytes;
    // The first frame carries the opcode, the others continue it; the last is final.
    Opcode next = opcode;
    do {
        const std::string_view piece = payload.substr(0, size);
        payload.remove_prefix(piece.size());
        QueueOutput(ServerFrame(std::exchange(next, Opcode::Continuation), piece, payload.empty()));
    } while (!payload.empty());
}

void Ts5RemoteClient::SendText(const std::string& text, const std::string& summary) {
    if (!m_session.open) {
        return;
    }
    if (!summary.empty()) {
        Trace(Direction::Sent, summary);
    }
    if (m_faults.closeMidMessage) {
        m_faults.closeMidMessage = false;
        Trace(Direction::Note, "fault: the connection ends mid-message");
        const std::string frame = ServerFrame(Opcode::Text, text);
        QueueOutput(std::string_view(frame).substr(0, frame.size() / 2));
        Close();
        return;
    }
    QueueFrames(Opcode::Text, text);
    SendFaults();
}

void Ts5RemoteClient::Tell(std::int32_t tab, const std::string& type, json payload) {
    if (m_shape.unaskedEvents && !m_session.logged) {
        m_session.logged = true;
        Unasked(tab, "log");
    }
    payload["connectionId"] = tab;
    SendText(MessageText(type, payload), Summary(type, payload));
}

void Ts5RemoteClient::Unasked(std::int32_t tab, const std::string& type) {
    const TsServer& server = Server(tab);
    const TsPlayer* someone = server.players.empty() ? nullptr : &server.players.front();
    const std::int32_t clientId = someone != nullptr ? someone->id : 0;
    const std::string channelId = Id(someone != nullptr ? someone->channelId : 0);
    json payload;
    if (type == "log") {
        const std::uint64_t line = m_logLines++;
        payload = {{"logLevel", 4},
                   {"logChannel", line % 3 == 0 ? "ClientUI" : "VoiceConnection"},
                   {"message", "Update tick " + std::to_string(line) + ": " + Filler(line, 60)},
                   {"timestamp", 1745000000000 + Now()}};
        SendText(MessageText(type, payload), "");  // the trace leaves unasked-for events out
        return;
    }
    payload["connectionId"] = tab;
    if (type == "textMessage") {
        payload["invoker"] = {{"id", clientId},
                              {"nickname", someone != nullptr ? AnsiToUtf8(someone->name) : ""},
                              {"uid", ClientUid(clientId)}};
        payload["message"] = "good day";
        payload["targetMode"] = 3;
    } else if (type == "clientChatComposing") {
        payload["clientId"] = clientId;
    } else if (type == "clientChannelGroupChanged") {
        payload.update({{"clientId", clientId},
                        {"channelGroupId", 8},
                        {"channelId", channelId},
                        {"channelGroupInheritedChannelId", channelId}});
    } else if (type == "groupInfo") {
        payload["serverGroups"] = {{{"id", 6}, {"name", "Server Admin"}, {"iconId", 300}, {"sortId", 0}},
                                   {{"id", 8}, {"name", "Normal"}, {"iconId", 0}, {"sortId", 0}}};
        payload["channelGroups"] = {{{"id", 5}, {"name", "Channel Admin"}, {"iconId", 100}},
                                    {{"id", 8}, {"name", "Guest"}, {"iconId", 0}}};
    } else if (type == "neededPermissions") {
        payload["permissions"] = {{{"name", "i_client_talk_power"}, {"value", 75}},
                                  {{"name", "b_client_request_talker"}, {"value", 1}},
                                  {{"name", "i_channel_subscribe_power"}, {"value", 75}}};
    } else if (type == "streamInfoReplace") {
        payload["streams"] = json::array();
    } else if (type == "channelsSubscribed") {
        json ids = json::array();
        for (const TsChannel& channel : server.channels) {
            ids.push_back(Id(channel.id));
        }
        payload["channelIds"] = std::move(ids);
    }
    SendText(MessageText(type, payload), "");
}

void Ts5RemoteClient::SendFaults() {
    if (std::exchange(m_faults.malformedMessages, false)) {
        Trace(Direction::Note, "fault: texts that are no message");
        for (const std::string_view text : kMalformed) {
            QueueFrames(Opcode::Text, text);
        }
    }
    if (std::exchange(m_faults.strangeEvents, false)) {
        Trace(Direction::Note, "fault: strange events");
        for (const std::string_view text : kStrangeEvents) {
            QueueFrames(Opcode::Text, text);
        }
    }
    if (std::exchange(m_faults.invalidUtf8, false)) {
        Trace(Direction::Note, "fault: a message that is not UTF-8");
        QueueFrames(Opcode::Text,
                    "{\"type\":\"serverPropertiesUpdated\",\"payload\":{\"connectionId\":1,"
                    "\"properties\":{\"name\":\"M\xFCnchen \xC3\x28\"}}}");
    }
    if (std::exchange(m_faults.oversizedMessage, false)) {
        Trace(Direction::Note, "fault: a message one byte over 16 MiB");
        const std::string head =
            R"({"type":"serverPropertiesUpdated","payload":{"connectionId":1,"properties":{"name":")";
        const std::string tail = R"("}}})";
        std::string text = head;
        text.append(kTs5MessageLimit + 1 - head.size() - tail.size(), 'x');
        QueueFrames(Opcode::Text, text + tail);
    }
}

void Ts5RemoteClient::FillCrowd() {
    m_crowded.resize(Tabs().size(), false);
    for (std::int32_t tab = 1; m_crowd > 0 && tab <= TabCount(); ++tab) {
        if (m_crowded[static_cast<std::size_t>(tab - 1)]) {
            continue;
        }
        m_crowded[static_cast<std::size_t>(tab - 1)] = true;
        TsServer& server = Server(tab);
        std::int32_t id = server.NextPlayerId();
        for (std::size_t i = 0; server.players.size() < m_crowd; ++i) {
            const std::int32_t channel = server.channels.empty() ? 0 : server.channels[i % server.channels.size()].id;
            server.players.push_back({id++, channel, 0, 0, 0, "PILOT" + std::to_string(i + 1)});
        }
    }
}

void Ts5RemoteClient::SyncTabs() {
    m_session.microphone.resize(Tabs().size(), false);
    SyncEachTab(m_session.told, [this](std::int32_t tab) { SyncTab(tab); });
    HandOverMicrophone();
}

void Ts5RemoteClient::SyncTab(std::int32_t tab) {
    const TsServer& now = Server(tab);
    TsServer& told = m_session.told[static_cast<std::size_t>(tab - 1)];
    if (told.connected != now.connected) {
        if (!now.connected) {
            Tell(tab, "connectStatusChanged", {{"status", kDisconnected}, {"error", 0}, {"info", nullptr}});
            told = TsServer{};
            told.connected = false;
            m_session.microphone[static_cast<std::size_t>(tab - 1)] = false;
            return;
        }
        ConnectTab(tab);
    }
    if (!now.connected) {
        return;
    }
    SyncChannels(tab, told, now);
    if (told.serverName != now.serverName) {
        Tell(tab, "serverPropertiesUpdated", {{"properties", ServerProperties(tab, now, m_shape.flags)}});
    }
    if (!SamePlayers(told, now)) {
        SyncClients(tab, told, now);
    }
    told = now;
}

void Ts5RemoteClient::ConnectTab(std::int32_t tab) {
    const TsServer& now = Server(tab);
    const std::int32_t own = OwnId(now);
    Tell(tab, "connectStatusChanged", {{"status", kConnecting}, {"error", 0}, {"info", nullptr}});
    Tell(tab, "connectStatusChanged",
         {{"status", kConnected},
          {"error", 0},
          {"info", {{"clientId", own}, {"serverName", AnsiToUtf8(now.serverName)}, {"serverUid", ServerUid(tab)}}}});
    for (const int status : {kEstablishing, kEstablished}) {
        Tell(tab, "connectStatusChanged", {{"status", status}, {"error", 0}, {"info", {{"clientId", own}}}});
    }
    if (m_shape.unaskedEvents) {
        Unasked(tab, "groupInfo");
        Unasked(tab, "neededPermissions");
    }
    // No snapshot: the channel tree, then every client coming into view (SyncClients).
    Tell(tab, "channels", {{"info", ChannelInfos(now, m_shape.flags)}});
    if (m_shape.unaskedEvents) {
        Unasked(tab, "channelsSubscribed");
    }
    TsServer& told = m_session.told[static_cast<std::size_t>(tab - 1)];
    told = TsServer{};
    told.serverName = now.serverName;
    told.channels = now.channels;
}

void Ts5RemoteClient::SyncChannels(std::int32_t tab, const TsServer& told, const TsServer& now) {
    // The recordings show no event of its own for a channel made or deleted: the tree is told
    // again, as on a connect.
    if (!SameTree(told, now)) {
        Tell(tab, "channels", {{"info", ChannelInfos(now, m_shape.flags)}});
        return;
    }
    for (std::size_t i = 0; i < now.channels.size(); ++i) {
        const TsChannel& before = told.channels[i];
        const TsChannel& channel = now.channels[i];
        if (before.name != channel.name || before.flags != channel.flags || before.codec != channel.codec) {
            Tell(tab, "channelPropertiesUpdated",
                 {{"channelId", Id(channel.id)}, {"properties", ChannelProperties(channel, m_shape.flags)}});
        }
    }
}

void Ts5RemoteClient::SyncClients(std::int32_t tab, const TsServer& told, const TsServer& now) {
    const PlayerIndex before = IndexOf(told);
    const PlayerIndex after = IndexOf(now);
    const std::int32_t own = OwnId(now);
    for (const TsPlayer& player : told.players) {
        if (Find(after, player.id) == nullptr) {
            Tell(tab, "clientMoved",
                 {{"clientId", player.id},
                  {"newChannelId", "0"},
                  {"oldChannelId", Id(player.channelId)},
                  {"type", kMovedItself},
                  {"visibility", kLeavesView}});
        }
    }
    for (const TsPlayer& player : now.players) {
        const TsPlayer* was = Find(before, player.id);
        if (was == nullptr) {
            // Coming into view: the full form, with every property.
            Tell(tab, "clientMoved",
                 {{"clientId", player.id},
                  {"newChannelId", Id(player.channelId)},
                  {"oldChannelId", "0"},
                  {"properties", ClientProperties(tab, player)}});
            if (m_shape.unaskedEvents) {
                Unasked(tab, "clientChannelGroupChanged");
            }
            continue;
        }
        if (was->channelId != player.channelId) {
            json moved = {{"clientId", player.id},
                          {"newChannelId", Id(player.channelId)},
                          {"oldChannelId", Id(was->channelId)},
                          {"type", kMovedItself},
                          {"visibility", kStaysInView}};
            const auto mover = std::find_if(now.players.begin(), now.players.end(),
                                            [&](const TsPlayer& p) { return p.id != player.id; });
            if (m_shape.movedByOthers && mover != now.players.end()) {
                moved["type"] = kMovedByOther;
                moved["invoker"] = {
                    {"id", mover->id}, {"nickname", AnsiToUtf8(mover->name)}, {"uid", ClientUid(mover->id)}};
            }
            Tell(tab, "clientMoved", std::move(moved));
        }
        if (was->name != player.name || was->flags != player.flags) {
            Tell(tab, "clientPropertiesUpdated",
                 {{"clientId", player.id}, {"properties", ClientProperties(tab, player)}});
            for (const auto& [flag, bit] :
                 {std::pair{"inputMuted", kPlayerInputMuted}, std::pair{"outputMuted", kPlayerOutputMuted}}) {
                if (player.id == own && (was->flags & bit) != (player.flags & bit)) {
                    SelfUpdate(tab, flag, (player.flags & bit) != 0);
                }
            }
        }
    }
    // Who stopped, then who began or changed how he is heard; ourselves included.
    const auto tellTalk = [&](std::int32_t id, int status) {
        Tell(tab, "talkStatusChanged", {{"clientId", id}, {"isWhisper", Flag(false)}, {"status", status}});
        if (id == own) {
            SelfUpdate(tab, "flagTalking", status != kTalkStopped);
        }
    };
    for (const std::int32_t id : told.speakers) {
        if (Find(after, id) != nullptr && TalkStatus(now, after, id) == kTalkStopped) {
            tellTalk(id, kTalkStopped);
        }
    }
    for (const std::int32_t id : now.speakers) {
        const int status = TalkStatus(now, after, id);
        if (status != TalkStatus(told, before, id)) {
            tellTalk(id, status);
        }
    }
}

void Ts5RemoteClient::SelfUpdate(std::int32_t tab, const char* flag, bool newValue) {
    const bool send = m_shape.selfUpdates == Ts5Shape::SelfUpdates::Always ||
                      (m_shape.selfUpdates == Ts5Shape::SelfUpdates::Alternate && m_selfUpdateChances++ % 2 == 1);
    if (send) {
        Tell(tab, "clientSelfPropertyUpdated",
             {{"flag", flag}, {"oldValue", Flag(!newValue)}, {"newValue", Flag(newValue)}});
    }
}

void Ts5RemoteClient::HandOverMicrophone() {
    // The tabs whose own client holds the microphone other than the app was told: the one left
    // (off) and the one turned to (on), in the order the shape asks for.
    std::vector<std::int32_t> changed;
    for (std::int32_t tab = 1; tab <= TabCount(); ++tab) {
        const bool wanted = tab == ActiveTab();
        if (OwnId(Server(tab)) != 0 && m_session.microphone[static_cast<std::size_t>(tab - 1)] != wanted) {
            changed.push_back(tab);
        }
    }
    std::stable_sort(changed.begin(), changed.end(), [this](std::int32_t a, std::int32_t b) {
        return ((a == ActiveTab()) == m_shape.newTabFirst) && ((b == ActiveTab()) != m_shape.newTabFirst);
    });
    for (const std::int32_t tab : changed) {
        const TsPlayer* own = Server(tab).FindPlayer(OwnId(Server(tab)));
        Tell(tab, "clientPropertiesUpdated", {{"clientId", own->id}, {"properties", ClientProperties(tab, *own)}});
        SelfUpdate(tab, "inputHardware", tab == ActiveTab());
    }
}

}  // namespace sayvane::sim
