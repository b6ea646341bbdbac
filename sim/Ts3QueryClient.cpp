// The simulated query interface: command lines answered from the tabs' servers, and the
// servers' changes since the session last heard of them sent as notifications.
#include "sim/Ts3QueryClient.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "teamspeak/query/QueryProtocol.h"
#include "text/Utf8.h"

namespace sayvane::sim {

// A command's parameters: `key=value` fields, values unescaped, and bare options ("-voice").
class Ts3Args {
public:
    explicit Ts3Args(std::string_view text);
    [[nodiscard]] std::optional<std::string_view> Get(std::string_view key) const;
    [[nodiscard]] std::optional<std::int32_t> Number(std::string_view key) const;
    [[nodiscard]] bool Has(std::string_view key) const { return Get(key).has_value(); }
    [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& Fields() const { return m_fields; }

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

namespace {

// The client's escapes, both ways: the character and the letter after the backslash. Written
// out here rather than taken from the link, so that a link reading them wrongly is caught.
constexpr std::array<std::pair<char, char>, 11> kEscapes = {{
    {'\\', '\\'},
    {'/', '/'},
    {' ', 's'},
    {'|', 'p'},
    {'\a', 'a'},
    {'\b', 'b'},
    {'\f', 'f'},
    {'\n', 'n'},
    {'\r', 'r'},
    {'\t', 't'},
    {'\v', 'v'},
}};

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto it = std::find_if(kEscapes.begin(), kEscapes.end(), [c](const auto& e) { return e.first == c; });
        if (it == kEscapes.end()) {
            out += c;
        } else {
            out += '\\';
            out += it->second;
        }
    }
    return out;
}

// An unknown escape stands for its letter; a backslash at the very end is dropped.
std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
        } else if (++i < text.size()) {
            const char letter = text[i];
            const auto it =
                std::find_if(kEscapes.begin(), kEscapes.end(), [letter](const auto& e) { return e.second == letter; });
            out += it == kEscapes.end() ? letter : it->first;
        }
    }
    return out;
}

// The client ends its lines with "\n\r".
constexpr std::string_view kLineEnd = "\n\r";
// A longer command line is dropped whole and answered with "invalid parameter".
constexpr std::size_t kMaxCommandBytes = std::size_t{64} * 1024;
constexpr std::size_t kOverlongBytes = std::size_t{72} * 1024;
// The query connection every client list shows, as real servers list theirs; clids are 16 bits.
constexpr std::int32_t kQueryClientId = 65000;
constexpr std::string_view kQueryClientName = "serveradmin from 127.0.0.1";

constexpr std::int32_t kErrorCommandNotFound = 256;
constexpr std::int32_t kErrorInvalidClientId = 512;
constexpr std::int32_t kErrorInvalidChannelId = 768;
constexpr std::int32_t kErrorAlreadyMember = 770;
constexpr std::int32_t kErrorChannelNameInUse = 771;
constexpr std::int32_t kErrorInvalidParameter = 1538;
constexpr std::int32_t kErrorNotConnected = 1794;
constexpr std::int32_t kErrorNotPossible = 1796;
constexpr std::int32_t kErrorInvalidHandler = 1799;

constexpr std::string_view kGreeting = "TS3 Client";
constexpr std::string_view kWelcome =
    "Welcome to the TeamSpeak 3 ClientQuery interface, type \"help\" for a list of commands and \"help <command>\" "
    "for information on a specific command.";
constexpr std::string_view kAuthHint =
    "Use the \"auth\" command to authenticate yourself. See \"help auth\" for details.";

std::string Number(std::int32_t value) {
    return std::to_string(value);
}

// `key=value` with the value in the query's form: UTF-8 from the server's ANSI bytes, escaped.
std::string Text(std::string_view key, std::string_view ansi) {
    return std::string(key) + "=" + Escape(AnsiToUtf8(ansi));
}

const TsPlayer* FindPlayer(const std::vector<TsPlayer>& players, std::int32_t id) {
    const auto it = std::find_if(players.begin(), players.end(), [&](const TsPlayer& p) { return p.id == id; });
    return it == players.end() ? nullptr : &*it;
}

const TsChannel* FindChannel(const std::vector<TsChannel>& channels, std::int32_t id) {
    const auto it = std::find_if(channels.begin(), channels.end(), [&](const TsChannel& c) { return c.id == id; });
    return it == channels.end() ? nullptr : &*it;
}

// The channel listed above this one (0 for the first), which is what the client's
// channel_order field holds.
std::int32_t ChannelOrder(const TsServer& server, std::int32_t id) {
    std::int32_t previous = 0;
    for (const TsChannel& c : server.channels) {
        if (c.id == id) {
            break;
        }
        previous = c.id;
    }
    return previous;
}

std::string ChannelCreatedFields(const TsServer& server, const TsChannel& channel, std::int32_t invokerId,
                                 std::string_view invokerName) {
    return "cid=" + Number(channel.id) + " cpid=0 " + Text("channel_name", channel.name) +
           " channel_order=" + Number(ChannelOrder(server, channel.id)) + " invokerid=" + Number(invokerId) + " " +
           Text("invokername", invokerName);
}

// A stable identity for a nickname, shaped like the client's base64 identities: 27 digits and
// "=". Its "/" and "+" digits make the link unescape "\/" in real traffic.
std::string UniqueId(std::string_view name) {
    static constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::uint64_t state = 14695981039346656037ULL;
    for (const char c : name) {
        state = (state ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    std::string id;
    for (int i = 0; i < 27; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        id += kDigits[static_cast<std::size_t>(state >> 58U)];
    }
    return id + "=";
}

// The line as the command log keeps it: the API key's value never appears.
std::string HideKey(std::string_view line) {
    std::string out;
    while (true) {
        const std::size_t space = line.find(' ');
        const std::string_view token = line.substr(0, space);
        out += token.rfind("apikey=", 0) == 0 ? std::string_view("apikey=<hidden>") : token;
        if (space == std::string_view::npos) {
            return out;
        }
        out += ' ';
        line = line.substr(space + 1);
    }
}

}  // namespace

Ts3Args::Ts3Args(std::string_view text) {
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view field = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        const std::size_t equals = field.find('=');
        if (!field.empty()) {
            m_fields.emplace_back(std::string(field.substr(0, equals)), equals == std::string_view::npos
                                                                            ? std::string()
                                                                            : Unescape(field.substr(equals + 1)));
        }
    }
}

std::optional<std::string_view> Ts3Args::Get(std::string_view key) const {
    const auto it = std::find_if(m_fields.begin(), m_fields.end(), [&](const auto& f) { return f.first == key; });
    return it == m_fields.end() ? std::nullopt : std::optional<std::string_view>(it->second);
}

std::optional<std::int32_t> Ts3Args::Number(std::string_view key) const {
    const std::optional<std::string_view> value = Get(key);
    if (!value || value->empty()) {
        return std::nullopt;
    }
    std::int32_t number = 0;
    const char* end = value->data() + value->size();
    const auto [stop, error] = std::from_chars(value->data(), end, number);
    return error == std::errc() && stop == end ? std::optional<std::int32_t>(number) : std::nullopt;
}

Ts3Error Ts3PermissionError() {
    return Ts3Error{2568, "insufficient client permissions", "failed_permid=4"};
}

Ts3QueryClient::Ts3QueryClient(std::string apiKey) : m_apiKey(std::move(apiKey)) {}

bool Ts3QueryClient::Connect() {
    if (!Running()) {
        return false;
    }
    m_session = Session{};
    m_session.open = true;
    m_session.selected = ActiveTab();
    m_session.toldActive = ActiveTab();
    // What a new session is told starts from the state as it is: the link asks for the lists.
    m_session.told.assign(Tabs().begin(), Tabs().end());
    m_answering = false;
    m_answer.clear();
    BeginSession();
    Emit(std::string(kGreeting));
    Emit(std::string(kWelcome));
    if (m_shapes.authHint) {
        Emit(std::string(kAuthHint));
    }
    Emit("selected schandlerid=" + Number(ActiveTab()));
    return true;
}

void Ts3QueryClient::Close() {
    m_session.open = false;
    m_session.waiting.clear();
    m_session.input.clear();
}

void Ts3QueryClient::Disconnect() {
    Close();
    DropOutput();
}

void Ts3QueryClient::Receive(std::string_view bytes) {
    if (!m_session.open) {
        return;
    }
    std::string& input = m_session.input;
    for (const char c : bytes) {
        if (c != '\n') {
            if (!m_session.skipping) {
                input += c;
                // One byte more than the longest line, for a "\r" before the "\n".
                m_session.skipping = input.size() > kMaxCommandBytes + 1;
                if (m_session.skipping) {
                    input.clear();
                }
            }
            continue;
        }
        if (!input.empty() && input.back() == '\r') {
            input.pop_back();
        }
        Command command;
        command.tooLong = m_session.skipping || input.size() > kMaxCommandBytes;
        if (!command.tooLong) {
            command.text = std::move(input);
        }
        input.clear();
        m_session.skipping = false;
        if (!command.tooLong && command.text.empty()) {
            continue;
        }
        std::string logged = command.tooLong ? "<dropped: a line longer than 65536 bytes>" : HideKey(command.text);
        if (m_trace) {
            m_trace(Direction::Received, logged);
        }
        m_commands.push_back(std::move(logged));
        m_session.waiting.push_back(std::move(command));
    }
    AnswerWaiting();
}

void Ts3QueryClient::Update() {
    if (!m_session.open) {
        return;
    }
    if (!Running()) {
        Close();
        return;
    }
    if (m_faults.stall) {
        return;
    }
    SyncTabs();
    AnswerWaiting();
}

void Ts3QueryClient::Emit(const std::string& line) {
    if (!m_session.open) {
        return;
    }
    if (m_trace) {
        m_trace(Direction::Sent, line);
    }
    if (m_answering) {
        m_answer += line;
        m_answer += kLineEnd;
    } else {
        QueueOutput(line + std::string(kLineEnd));
    }
}

void Ts3QueryClient::Ok() {
    m_errorLine = "error id=0 msg=ok";
}

void Ts3QueryClient::Fail(std::int32_t id, std::string_view message, std::string_view extra) {
    m_errorLine = "error id=" + Number(id) + " msg=" + Escape(message);
    if (!extra.empty()) {
        m_errorLine += ' ';
        m_errorLine += extra;
    }
}

bool Ts3QueryClient::Registered(std::int32_t schandlerid, std::string_view event) const {
    if (!m_session.authenticated) {
        return false;
    }
    for (const std::int32_t tab : {0, schandlerid}) {
        for (const std::string_view name : {std::string_view("any"), event}) {
            if (m_session.registered.count({tab, std::string(name)}) != 0) {
                return true;
            }
        }
    }
    return false;
}

void Ts3QueryClient::AnswerWaiting() {
    while (m_session.open && !m_faults.stall && !m_session.waiting.empty()) {
        const Command command = std::move(m_session.waiting.front());
        m_session.waiting.pop_front();
        // Changes made before the command arrived are told before its answer, as the client
        // handles events in the order they happen; or amid it (see Ts3Shapes).
        if (!m_shapes.eventsInsideAnswers) {
            SyncTabs();
        }
        Answer(command);
    }
}

void Ts3QueryClient::Answer(const Command& command) {
    struct Entry {
        std::string_view name;
        void (Ts3QueryClient::*handler)(const Ts3Args&);
        bool needsConnection;  // on a tab that is not connected: "not connected"
        bool readsOnly;        // answers from the server's state and changes nothing
    };
    static constexpr std::array<Entry, 11> kCommands = {{
        {"auth", &Ts3QueryClient::Auth, false, false},
        {"clientnotifyregister", &Ts3QueryClient::NotifyRegister, false, false},
        {"clientnotifyunregister", &Ts3QueryClient::NotifyUnregister, false, false},
        {"currentschandlerid", &Ts3QueryClient::CurrentTab, false, false},
        {"use", &Ts3QueryClient::Use, false, false},
        {"whoami", &Ts3QueryClient::WhoAmI, true, true},
        {"servervariable", &Ts3QueryClient::ServerVariable, true, true},
        {"channellist", &Ts3QueryClient::ChannelList, true, true},
        {"clientlist", &Ts3QueryClient::ClientList, true, true},
        {"channelcreate", &Ts3QueryClient::ChannelCreate, true, false},
        {"clientmove", &Ts3QueryClient::ClientMove, true, false},
    }};

    const std::string_view text = command.text;
    const std::size_t space = text.find(' ');
    const std::string_view name = text.substr(0, space);
    if (!command.tooLong && name == "quit") {
        Close();
        return;
    }
    m_answering = true;
    m_answer.clear();
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(), [&](const Entry& e) { return e.name == name; });
    m_showTold = m_shapes.eventsInsideAnswers && entry != kCommands.end() && entry->readsOnly;
    if (command.tooLong) {
        Fail(kErrorInvalidParameter, "invalid parameter");
    } else if (!m_session.authenticated && name != "auth") {
        Fail(kErrorNotPossible, "currently not possible");
    } else if (entry == kCommands.end()) {
        Fail(kErrorCommandNotFound, "command not found");
    } else if (entry->needsConnection && !Shown().connected) {
        Fail(kErrorNotConnected, "not connected");
    } else {
        const std::string_view args = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        (this->*entry->handler)(Ts3Args(args));
    }
    m_showTold = false;
    // The error line waits in m_errorLine, so that events can still go before it.
    if (m_shapes.eventsInsideAnswers) {
        SyncTabs();
    }
    Emit(std::exchange(m_errorLine, std::string()));
    m_answering = false;
    Deliver(std::exchange(m_answer, std::string()));
}

TsServer& Ts3QueryClient::Shown() {
    const auto index = static_cast<std::size_t>(m_session.selected - 1);
    return m_showTold && index < m_session.told.size() ? m_session.told[index] : Selected();
}

void Ts3QueryClient::Deliver(const std::string& answer) {
    const std::string tab = Number(m_session.selected);
    if (m_faults.malformedLines) {
        m_faults.malformedLines = false;
        Emit("foo");
        Emit("error");
        Emit("notifyclientmoved schandlerid=x clid=");
        Emit("clid=|||");
        Emit("notifytextmessage schandlerid=" + tab + " targetmode=3 msg=\\qodd invokerid=0 invokername=Server");
    }
    if (m_faults.overlongLine) {
        m_faults.overlongLine = false;
        Emit("notifytextmessage schandlerid=" + tab + " targetmode=3 msg=" + std::string(kOverlongBytes, 'x') +
             " invokerid=0 invokername=Server");
    }
    if (m_faults.closeMidAnswer) {
        m_faults.closeMidAnswer = false;
        if (m_session.open) {
            QueueOutput(std::string_view(answer).substr(0, answer.size() / 2));
        }
        Close();
        return;
    }
    if (m_session.open) {
        QueueOutput(answer);
    }
}

void Ts3QueryClient::SyncTabs() {
    SyncEachTab(m_session.told, [this](std::int32_t tab) { SyncTab(tab); });
    if (m_session.toldActive != ActiveTab()) {
        m_session.toldActive = ActiveTab();
        if (Registered(ActiveTab(), "notifycurrentserverconnectionchanged")) {
            Emit("notifycurrentserverconnectionchanged schandlerid=" + Number(ActiveTab()));
        }
    }
}

void Ts3QueryClient::SyncTab(std::int32_t schandlerid) {
    const TsServer& now = Server(schandlerid);
    TsServer& told = m_session.told[static_cast<std::size_t>(schandlerid - 1)];
    const std::string tabField = " schandlerid=" + Number(schandlerid) + " ";
    auto send = [&](std::string_view name, const std::string& fields) {
        if (Registered(schandlerid, name)) {
            Emit(std::string(name) + tabField + fields);
        }
    };

    if (told.connected != now.connected) {
        if (now.connected) {
            // The link asks for the lists again once the connection is established.
            for (const char* status :
                 {"connecting", "connected", "connection_establishing", "connection_established"}) {
                send("notifyconnectstatuschange", std::string("status=") + status + " error=0");
            }
            told = now;
        } else {
            send("notifyconnectstatuschange", "status=disconnected error=0");
            told = TsServer{};
            told.connected = false;
        }
        return;
    }
    if (!now.connected) {
        return;
    }

    for (const TsChannel& channel : now.channels) {
        const TsChannel* before = FindChannel(told.channels, channel.id);
        if (before == nullptr) {
            send("notifychannelcreated", ChannelCreatedFields(now, channel, 0, "Server"));
        } else if (before->name != channel.name) {
            send("notifychanneledited",
                 "cid=" + Number(channel.id) + " reasonid=10 " + Text("channel_name", channel.name));
        }
    }
    for (const TsPlayer& player : told.players) {
        if (FindPlayer(now.players, player.id) == nullptr) {
            send("notifyclientleftview",
                 "cfid=" + Number(player.channelId) + " ctid=0 reasonid=8 reasonmsg=leaving clid=" + Number(player.id));
        }
    }
    for (const TsPlayer& player : now.players) {
        const TsPlayer* before = FindPlayer(told.players, player.id);
        if (before == nullptr) {
            send("notifycliententerview", "cfid=0 ctid=" + Number(player.channelId) +
                                              " reasonid=0 clid=" + Number(player.id) +
                                              " client_unique_identifier=" + Escape(UniqueId(player.name)) + " " +
                                              Text("client_nickname", player.name) + " client_type=0");
            continue;
        }
        if (before->channelId != player.channelId) {
            send("notifyclientmoved", "ctid=" + Number(player.channelId) + " reasonid=0 clid=" + Number(player.id));
        }
        if (before->name != player.name) {
            send("notifyclientupdated", "clid=" + Number(player.id) + " " + Text("client_nickname", player.name));
        }
    }
    for (const auto& [id, talking] : TalkChanges(told, now)) {
        send("notifytalkstatuschange",
             std::string("status=") + (talking ? "1" : "0") + " isreceivedwhisper=0 clid=" + Number(id));
    }
    for (const TsChannel& channel : told.channels) {
        if (FindChannel(now.channels, channel.id) == nullptr) {
            send("notifychanneldeleted", "invokerid=0 invokername=Server cid=" + Number(channel.id));
        }
    }
    told = now;
}

void Ts3QueryClient::Auth(const Ts3Args& args) {
    const std::optional<std::string_view> key = args.Get("apikey");
    if (!key) {
        Fail(kErrorInvalidParameter, "invalid parameter");
        return;
    }
    m_lastAuthMatched = *key == m_apiKey;
    if (!*m_lastAuthMatched || m_faults.refuseKey) {
        Fail(m_shapes.keyRefusal.id, m_shapes.keyRefusal.message, m_shapes.keyRefusal.extra);
        return;
    }
    m_session.authenticated = true;
    Ok();
}

void Ts3QueryClient::NotifyRegister(const Ts3Args& args) {
    const std::optional<std::int32_t> tab = args.Number("schandlerid");
    const std::optional<std::string_view> event = args.Get("event");
    // One event by its name ("notifytalkstatuschange"), or "any"; tab 0 stands for every tab.
    if (!tab || !event || event->empty()) {
        Fail(kErrorInvalidParameter, "invalid parameter");
    } else if (*tab != 0 && !TabExists(*tab)) {
        Fail(kErrorInvalidHandler, "invalid serverconnectionhandlerID");
    } else {
        m_session.registered.emplace(*tab, std::string(*event));
        Ok();
    }
}

void Ts3QueryClient::NotifyUnregister(const Ts3Args&) {
    m_session.registered.clear();
    Ok();
}

void Ts3QueryClient::CurrentTab(const Ts3Args&) {
    Emit("schandlerid=" + Number(m_session.selected));
    Ok();
}

void Ts3QueryClient::Use(const Ts3Args& args) {
    // Without a tab, "use" selects the one the user has in front.
    std::int32_t tab = ActiveTab();
    if (args.Has("schandlerid")) {
        const std::optional<std::int32_t> given = args.Number("schandlerid");
        if (!given) {
            Fail(kErrorInvalidParameter, "invalid parameter");
            return;
        }
        tab = *given;
    }
    if (!TabExists(tab)) {
        Fail(kErrorInvalidHandler, "invalid serverconnectionhandlerID");
        return;
    }
    m_session.selected = tab;
    Emit("selected schandlerid=" + Number(tab));
    Ok();
}

void Ts3QueryClient::WhoAmI(const Ts3Args&) {
    TsServer& server = Shown();
    // A connected client is always on its server; without its own player it is not connected.
    const TsPlayer* own = server.FindPlayerByName(server.ownNickname);
    if (own == nullptr) {
        Fail(kErrorNotConnected, "not connected");
        return;
    }
    Emit("clid=" + Number(own->id) + " cid=" + Number(own->channelId));
    Ok();
}

void Ts3QueryClient::ServerVariable(const Ts3Args& args) {
    // Only the server's name is known here; other variables are left out of the answer.
    std::string line;
    for (const auto& [key, value] : args.Fields()) {
        if (key == "virtualserver_name") {
            line += (line.empty() ? "" : " ") + Text(key, Shown().serverName);
        }
    }
    if (!line.empty()) {
        Emit(line);
    }
    Ok();
}

void Ts3QueryClient::ChannelList(const Ts3Args&) {
    const TsServer& server = Shown();
    const std::int32_t queryChannel = server.DefaultChannelId();
    std::string line;
    for (const TsChannel& channel : server.channels) {
        const auto here = std::count_if(server.players.begin(), server.players.end(),
                                        [&](const TsPlayer& p) { return p.channelId == channel.id; });
        const auto total = static_cast<std::int32_t>(here) + (channel.id == queryChannel ? 1 : 0);
        if (!line.empty()) {
            line += '|';
        }
        line += "cid=" + Number(channel.id) + " pid=0 channel_order=" + Number(ChannelOrder(server, channel.id)) + " " +
                Text("channel_name", channel.name) + " channel_flag_are_subscribed=1 total_clients=" + Number(total);
    }
    if (!line.empty()) {
        Emit(line);
    }
    Ok();
}

void Ts3QueryClient::ClientList(const Ts3Args& args) {
    const TsServer& server = Shown();
    // "-voice" adds who talks (and the microphone and speaker states, always on here).
    const bool voice = args.Has("-voice");
    std::vector<std::string> items;
    items.reserve(server.players.size() + 1);
    for (const TsPlayer& player : server.players) {
        std::string item = "clid=" + Number(player.id) + " cid=" + Number(player.channelId) +
                           " client_database_id=" + Number(player.id) + " " + Text("client_nickname", player.name) +
                           " client_type=0";
        if (voice) {
            const bool talking =
                std::find(server.speakers.begin(), server.speakers.end(), player.id) != server.speakers.end();
            item += std::string(" client_flag_talking=") + (talking ? "1" : "0") +
                    " client_input_muted=0 client_output_muted=0 client_input_hardware=1 client_output_hardware=1";
        }
        items.push_back(std::move(item));
    }
    // The query connection is listed second, so that a link skipping only the first or the last
    // item would be caught.
    const std::string query = "clid=" + Number(kQueryClientId) + " cid=" + Number(server.DefaultChannelId()) +
                              " client_database_id=1 " + Text("client_nickname", kQueryClientName) + " client_type=1";
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(1, items.size())), query);
    std::string line;
    for (const std::string& item : items) {
        line += (line.empty() ? "" : "|") + item;
    }
    Emit(line);
    Ok();
}

void Ts3QueryClient::ChannelCreate(const Ts3Args& args) {
    const std::optional<std::string_view> name = args.Get("channel_name");
    if (!name || name->empty()) {
        Fail(kErrorInvalidParameter, "invalid parameter");
        return;
    }
    if (m_faults.refuseChannelCreate) {
        const Ts3Error& refusal = *m_faults.refuseChannelCreate;
        Fail(refusal.id, refusal.message, refusal.extra);
        return;
    }
    const std::int32_t tab = m_session.selected;
    TsServer& server = Selected();
    const std::optional<std::int32_t> id = server.CreateChannel(Utf8ToAnsi(*name));
    if (!id) {
        Fail(kErrorChannelNameInUse, "channel name is already in use");
        return;
    }
    Emit("cid=" + Number(*id));
    // The creation is told with its creator; the creator's move into the channel follows from
    // the comparison. Both come between the answer's data and its error line, as they may.
    const TsChannel& channel = *server.FindChannel(*id);
    const TsPlayer* own = server.FindPlayerByName(server.ownNickname);
    if (Registered(tab, "notifychannelcreated")) {
        Emit("notifychannelcreated schandlerid=" + Number(tab) + " " +
             ChannelCreatedFields(server, channel, own != nullptr ? own->id : 0,
                                  own != nullptr ? std::string_view(own->name) : std::string_view("Server")));
    }
    m_session.told[static_cast<std::size_t>(tab - 1)].channels.push_back(channel);
    SyncTab(tab);
    Ok();
}

void Ts3QueryClient::ClientMove(const Ts3Args& args) {
    const std::optional<std::int32_t> channelId = args.Number("cid");
    const std::optional<std::int32_t> clientId = args.Number("clid");
    if (!channelId || !clientId) {
        Fail(kErrorInvalidParameter, "invalid parameter");
        return;
    }
    TsServer& server = Selected();
    TsPlayer* player = server.FindPlayer(*clientId);
    if (server.FindChannel(*channelId) == nullptr) {
        Fail(kErrorInvalidChannelId, "invalid channelID");
    } else if (player == nullptr) {
        Fail(kErrorInvalidClientId, "invalid clientID");
    } else if (player->channelId == *channelId) {
        Fail(kErrorAlreadyMember, "already member of channel");
    } else {
        player->channelId = *channelId;
        SyncTab(m_session.selected);
        Ok();
    }
}

}  // namespace sayvane::sim
