// The simulated Remote Apps interface: the WebSocket's handshake and frames on the server's
// side, the app's auth and the user's answer, and the tabs' changes told as events.
#include "sim/Ts5RemoteClient.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>

#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::sim {
namespace {

using nlohmann::json;
using remote::Opcode;

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::size_t kMaxHeaderBytes = std::size_t{16} * 1024;
// A longer message from the app is refused, as the link refuses one from the client.
constexpr std::size_t kMaxMessageBytes = std::size_t{1024} * 1024;
constexpr std::size_t kMaxControlBytes = 125;

constexpr std::uint16_t kCloseNormal = 1000;
constexpr std::uint16_t kCloseProtocolError = 1002;
constexpr std::uint16_t kCloseUnsupportedData = 1003;
constexpr std::uint16_t kClosePolicy = 1008;
constexpr std::uint16_t kCloseTooBig = 1009;

// The connect states the client passes through; the link acts on the last only.
constexpr std::array<int, 4> kConnectSteps = {1, 2, 3, 4};
constexpr int kDisconnected = 0;

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

// Code page 1252 as the JSON's UTF-8.
std::string Utf8(std::string_view ansi) {
    return query::AnsiToUtf8(ansi);
}

const TsPlayer* FindPlayer(const std::vector<TsPlayer>& players, std::int32_t id) {
    const auto it = std::find_if(players.begin(), players.end(), [&](const TsPlayer& p) { return p.id == id; });
    return it == players.end() ? nullptr : &*it;
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

// The channel's parent: the channel its "second" field names when that one is listed before
// it (so that no loop can form), else 0 for a root channel.
std::int32_t Parent(const TsServer& server, std::size_t index) {
    const std::int32_t parent = server.channels[index].second;
    const auto before = server.channels.begin() + static_cast<std::ptrdiff_t>(index);
    const bool listed =
        std::any_of(server.channels.begin(), before, [&](const TsChannel& c) { return c.id == parent; });
    return parent > 0 && listed ? parent : 0;
}

json ChannelInfos(const TsServer& server) {
    json roots = json::array();
    json subChannels = json::object();
    for (std::size_t i = 0; i < server.channels.size(); ++i) {
        const TsChannel& channel = server.channels[i];
        json entry = {{"id", channel.id}, {"properties", {{"name", Utf8(channel.name)}}}};
        const std::int32_t parent = Parent(server, i);
        (parent == 0 ? roots : subChannels[std::to_string(parent)]).push_back(std::move(entry));
    }
    return {{"rootChannels", std::move(roots)}, {"subChannels", std::move(subChannels)}};
}

bool SameChannels(const TsServer& a, const TsServer& b) {
    if (a.channels.size() != b.channels.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.channels.size(); ++i) {
        if (a.channels[i].id != b.channels[i].id || a.channels[i].name != b.channels[i].name ||
            Parent(a, i) != Parent(b, i)) {
            return false;
        }
    }
    return true;
}

json ClientProperties(const TsServer& server, const TsPlayer& player) {
    return {{"nickname", Utf8(player.name)}, {"flagTalking", Contains(server.speakers, player.id)}};
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

// Events a client of a later version, or a broken one, might send: of an unknown type, with
// fields missing or of another kind, with ids that point nowhere. The link must go on as if
// they had not come.
constexpr std::array<std::string_view, 13> kStrangeEvents = {
    R"({"type":"someEventOfALaterVersion","payload":{"connectionId":1,"clientId":1}})",
    R"({"type":"talkStatusChanged","payload":{"connectionId":1,"status":1}})",
    R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":"1","status":1}})",
    R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":424242,"status":1}})",
    R"({"type":"clientMoved","payload":{"connectionId":4242,"clientId":1,"oldChannelId":0,"newChannelId":1}})",
    R"({"type":"clientMoved"})",
    R"({"type":"clientPropertiesUpdated","payload":{"connectionId":1,"clientId":424242,"properties":{"nickname":"Nobody"}}})",
    R"({"type":"clientPropertiesUpdated","payload":{"connectionId":1,"clientId":1,"properties":{"nickname":7}}})",
    R"({"type":"connectStatusChanged","payload":{"connectionId":1,"status":"disconnected"}})",
    R"({"type":"connectStatusChanged","payload":{"connectionId":"1","status":0}})",
    R"({"type":"serverPropertiesUpdated","payload":{"connectionId":1,"properties":["name"]}})",
    R"({"type":"channels","payload":{"connectionId":1}})",
    R"({"type":"clientSelfPropertyUpdated","payload":{"connectionId":4242,"flag":"inputHardware","newValue":true}})",
};

// Texts that are no message at all.
constexpr std::array<std::string_view, 7> kMalformed = {
    "{", "not JSON", "[1,2,3]", R"("talkStatusChanged")", R"({"payload":{"connectionId":1}})", R"({"type":42})", "",
};

}  // namespace

void Ts5RemoteClient::SetConfirm(Confirm answer, std::int64_t delay) {
    m_confirm = answer;
    m_confirmDelay = delay;
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
        CloseWith(kCloseTooBig, "a message over 1 MiB");
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
    const std::optional<remote::RemoteMessage> message = remote::ParseMessage(text);
    if (!message) {
        m_received.emplace_back("<not a message>");
        Trace(Direction::Received, "<not a message>");
    } else if (message->type == "auth") {
        Auth(message->payload);
        return;
    } else {
        m_received.push_back(message->type);
        Trace(Direction::Received, message->type);
    }
    if (m_session.phase == Phase::Auth) {
        CloseWith(kClosePolicy, "the first message is not an auth");
    }
}

void Ts5RemoteClient::Auth(const json& payload) {
    const json content = payload.value("content", json::object());
    const auto key = content.find("apiKey");  // end() when the content is no object
    const bool hasKey = key != content.end() && key->is_string();
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
    m_lastAuthKnown = m_keys.count(offered) != 0;
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
        CloseWith(kCloseNormal, "the user declined");
        return;
    }
    m_lastIssued = MakeKey(m_keysIssued++);
    m_keys.insert(m_lastIssued);
    Trace(Direction::Note, "allowed: key issued");
    LetIn(m_lastIssued);
}

json Ts5RemoteClient::Connection(std::int32_t tab) const {
    const TsServer& server = Tabs()[static_cast<std::size_t>(tab - 1)];
    json clients = json::array();
    json connection = {{"id", tab}, {"clientId", OwnId(server)}};
    if (!server.connected) {
        return connection;
    }
    for (const TsPlayer& player : server.players) {
        clients.push_back(
            {{"id", player.id}, {"channelId", player.channelId}, {"properties", ClientProperties(server, player)}});
    }
    connection["properties"] = {{"name", Utf8(server.serverName)}};
    connection["channelInfos"] = ChannelInfos(server);
    connection["clientInfos"] = std::move(clients);
    return connection;
}

void Ts5RemoteClient::LetIn(const std::string& key) {
    m_session.phase = Phase::Allowed;
    // The answer tells the state as it is; events follow for what changes afterwards.
    m_session.told.assign(Tabs().begin(), Tabs().end());
    m_session.toldActive = ActiveTab();
    json connections = json::array();
    for (std::int32_t tab = 1; tab <= TabCount(); ++tab) {
        connections.push_back(Connection(tab));
    }
    Send("auth", {{"apiKey", key}, {"connections", std::move(connections)}},
         "auth apikey=<hidden> connections=" + std::to_string(TabCount()));
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

void Ts5RemoteClient::Send(const std::string& type, const json& payload, const std::string& summary) {
    if (!m_session.open) {
        return;
    }
    Trace(Direction::Sent, summary);
    // "type" first, as the client writes it (a JSON object of its own would sort the keys).
    // Texts that are not UTF-8 are written with replacement characters rather than throwing.
    const std::string text = R"({"type":)" + json(type).dump() + R"(,"payload":)" +
                             payload.dump(-1, ' ', false, json::error_handler_t::replace) + "}";
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
        Trace(Direction::Note, "fault: a message over 1 MiB");
        const std::string name(kMaxMessageBytes, 'x');
        QueueFrames(Opcode::Text, json{{"type", "serverPropertiesUpdated"},
                                       {"payload", {{"connectionId", 1}, {"properties", {{"name", name}}}}}}
                                      .dump());
    }
}

void Ts5RemoteClient::SyncTabs() {
    SyncEachTab(m_session.told, [this](std::int32_t tab) { SyncTab(tab); });
    if (m_session.toldActive != ActiveTab()) {
        m_session.toldActive = ActiveTab();
        // The tab the user turns to takes the microphone.
        const json payload = {
            {"connectionId", ActiveTab()}, {"flag", "inputHardware"}, {"newValue", true}, {"oldValue", false}};
        Send("clientSelfPropertyUpdated", payload, Summary("clientSelfPropertyUpdated", payload));
    }
}

void Ts5RemoteClient::SyncTab(std::int32_t tab) {
    const TsServer& now = Server(tab);
    TsServer& told = m_session.told[static_cast<std::size_t>(tab - 1)];
    const auto send = [&](const std::string& type, json payload) {
        payload["connectionId"] = tab;
        Send(type, payload, Summary(type, payload));
    };
    const auto tellMove = [&](const TsPlayer& player, std::int32_t from) {
        send("clientMoved", {{"clientId", player.id},
                             {"oldChannelId", from},
                             {"newChannelId", player.channelId},
                             {"properties", ClientProperties(now, player)}});
    };

    bool connecting = false;
    if (told.connected != now.connected) {
        if (!now.connected) {
            send("connectStatusChanged", {{"status", kDisconnected}, {"error", 0}});
            told = TsServer{};
            told.connected = false;
            return;
        }
        // Connected: the server's channels and name follow, then its clients come into view
        // one by one.
        for (const int status : kConnectSteps) {
            json payload = {{"status", status}, {"error", 0}};
            if (status == kConnectSteps.back()) {
                payload["info"] = {{"clientId", OwnId(now)}};
            }
            send("connectStatusChanged", std::move(payload));
        }
        told = TsServer{};
        connecting = true;
    }
    if (!now.connected) {
        return;
    }
    if (connecting || !SameChannels(told, now)) {
        send("channels", {{"info", ChannelInfos(now)}});
    }
    if (connecting || told.serverName != now.serverName) {
        send("serverPropertiesUpdated", {{"properties", {{"name", Utf8(now.serverName)}}}});
    }
    for (const TsPlayer& player : told.players) {
        if (FindPlayer(now.players, player.id) == nullptr) {
            send("clientMoved", {{"clientId", player.id}, {"oldChannelId", player.channelId}, {"newChannelId", 0}});
        }
    }
    for (const TsPlayer& player : now.players) {
        const TsPlayer* before = FindPlayer(told.players, player.id);
        if (before == nullptr || before->channelId != player.channelId) {
            tellMove(player, before == nullptr ? 0 : before->channelId);
        }
        if (before != nullptr && before->name != player.name) {
            send("clientPropertiesUpdated",
                 {{"clientId", player.id}, {"properties", {{"nickname", Utf8(player.name)}}}});
        }
    }
    for (const auto& [id, talking] : TalkChanges(told, now)) {
        send("talkStatusChanged", {{"clientId", id}, {"status", talking ? 1 : 0}});
    }
    told = now;
}

}  // namespace sayvane::sim
