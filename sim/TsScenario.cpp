// Scenario files for the simulated TeamSpeak server: parsing and playing.
#include "sim/TsScenario.h"

#include <charconv>
#include <map>

namespace sayvane::sim {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits a line at blanks; "..." makes one token of what lies between the quotes.
std::optional<std::vector<Token>> Tokenize(std::string_view line, std::string& problem) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        Token token;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                problem = "a quote is not closed";
                return std::nullopt;
            }
            token.text = std::string(line.substr(i + 1, close - i - 1));
            token.quoted = true;
            i = close + 1;
            if (i < line.size() && !IsBlank(line[i])) {
                problem = "text follows a closing quote";
                return std::nullopt;
            }
        } else {
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i])) {
                ++i;
            }
            token.text = std::string(line.substr(start, i - start));
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<TsCall> ParseCall(std::string_view text) {
    if (text == "speakers") {
        return TsCall::Speakers;
    }
    if (text == "players") {
        return TsCall::Players;
    }
    if (text == "channels") {
        return TsCall::Channels;
    }
    if (text == "userinfo") {
        return TsCall::UserInfo;
    }
    return std::nullopt;
}

const std::map<std::string, TsEventKind, std::less<>> kCommands = {
    {"server", TsEventKind::Server},   {"nickname", TsEventKind::Nickname},
    {"channel", TsEventKind::Channel}, {"delete-channel", TsEventKind::DeleteChannel},
    {"join", TsEventKind::Join},       {"leave", TsEventKind::Leave},
    {"move", TsEventKind::Move},       {"flags", TsEventKind::Flags},
    {"speak", TsEventKind::Speak},     {"stop", TsEventKind::Stop},
    {"silence", TsEventKind::Silence}, {"disconnect", TsEventKind::Disconnect},
    {"connect", TsEventKind::Connect}, {"fail", TsEventKind::Fail},
    {"count", TsEventKind::Count},     {"hold", TsEventKind::Hold},
    {"loop", TsEventKind::Loop},       {"quit", TsEventKind::Quit},
};

// The arguments of one command: positional ones in order, "key=value" options by key.
class Arguments {
public:
    Arguments(const std::vector<Token>& tokens, std::size_t first, std::string& problem) : m_problem(problem) {
        for (std::size_t i = first; i < tokens.size(); ++i) {
            const Token& token = tokens[i];
            const std::size_t equals = token.quoted ? std::string::npos : token.text.find('=');
            if (equals == std::string::npos) {
                m_positional.push_back(token.text);
            } else {
                m_options[token.text.substr(0, equals)] = token.text.substr(equals + 1);
            }
        }
    }

    [[nodiscard]] bool Expect(std::size_t positional, std::initializer_list<std::string_view> allowedOptions) {
        if (m_positional.size() != positional) {
            m_problem =
                "expects " + std::to_string(positional) + " argument(s), has " + std::to_string(m_positional.size());
            return false;
        }
        for (const auto& [key, value] : m_options) {
            bool allowed = false;
            for (std::string_view option : allowedOptions) {
                allowed = allowed || key == option;
            }
            if (!allowed) {
                m_problem = "unknown option " + key;
                return false;
            }
        }
        return true;
    }

    [[nodiscard]] const std::string& At(std::size_t index) const { return m_positional[index]; }

    [[nodiscard]] bool Number(std::size_t index, std::int32_t& out) {
        const auto value = ParseNumber<std::int32_t>(m_positional[index]);
        if (!value) {
            m_problem = "not a number: " + m_positional[index];
            return false;
        }
        out = *value;
        return true;
    }

    // False only for an option that is present and not a number.
    [[nodiscard]] bool Option(const std::string& key, std::optional<std::int32_t>& out) {
        const auto it = m_options.find(key);
        if (it == m_options.end()) {
            return true;
        }
        out = ParseNumber<std::int32_t>(it->second);
        if (!out) {
            m_problem = "not a number: " + key + "=" + it->second;
            return false;
        }
        return true;
    }

private:
    std::string& m_problem;
    std::vector<std::string> m_positional;
    std::map<std::string, std::string, std::less<>> m_options;
};

bool ParseArguments(TsEvent& event, Arguments& args, std::string& problem) {
    switch (event.kind) {
        case TsEventKind::Server:
        case TsEventKind::Nickname:
        case TsEventKind::Leave:
        case TsEventKind::Speak:
        case TsEventKind::Stop:
            if (!args.Expect(1, {})) {
                return false;
            }
            event.name = args.At(0);
            return true;
        case TsEventKind::Channel: {
            if (!args.Expect(2, {"flags", "codec", "second", "third"}) || !args.Number(0, event.channel.id)) {
                return false;
            }
            event.channel.name = args.At(1);
            std::optional<std::int32_t> flags, codec, second, third;
            if (!args.Option("flags", flags) || !args.Option("codec", codec) || !args.Option("second", second) ||
                !args.Option("third", third)) {
                return false;
            }
            event.channel.flags = flags.value_or(0);
            event.channel.codec = codec.value_or(0);
            event.channel.second = second.value_or(0);
            event.channel.third = third.value_or(0);
            return true;
        }
        case TsEventKind::DeleteChannel: return args.Expect(1, {}) && args.Number(0, event.channel.id);
        case TsEventKind::Join:
            if (!args.Expect(1, {"id", "channel", "cpriv", "spriv", "flags"})) {
                return false;
            }
            event.name = args.At(0);
            return args.Option("id", event.id) && args.Option("channel", event.channelId) &&
                   args.Option("cpriv", event.channelPrivileges) && args.Option("spriv", event.serverPrivileges) &&
                   args.Option("flags", event.flags);
        case TsEventKind::Move:
        case TsEventKind::Flags:
            if (!args.Expect(2, {}) || !args.Number(1, event.number)) {
                return false;
            }
            event.name = args.At(0);
            return true;
        case TsEventKind::Fail: {
            if (!args.Expect(2, {}) || !args.Number(1, event.number)) {
                return false;
            }
            const auto call = ParseCall(args.At(0));
            if (!call) {
                problem = "unknown call " + args.At(0);
                return false;
            }
            event.call = *call;
            return true;
        }
        case TsEventKind::Count: {
            if (!args.Expect(2, {})) {
                return false;
            }
            const auto call = ParseCall(args.At(0));
            if (!call || *call == TsCall::UserInfo) {
                problem = "no count for call " + args.At(0);
                return false;
            }
            event.call = *call;
            if (args.At(1) != "off") {
                std::int32_t count = 0;
                if (!args.Number(1, count)) {
                    return false;
                }
                event.count = count;
            }
            return true;
        }
        case TsEventKind::Loop:
            if (!args.Expect(1, {}) || !args.Number(0, event.number)) {
                return false;
            }
            if (event.number < 0 || event.number >= event.time) {
                problem = "loop must jump back to an earlier time";
                return false;
            }
            return true;
        case TsEventKind::Silence:
        case TsEventKind::Disconnect:
        case TsEventKind::Connect:
        case TsEventKind::Hold:
        case TsEventKind::Quit: return args.Expect(0, {});
    }
    return false;
}

std::string JoinTokens(const std::vector<Token>& tokens, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        if (!text.empty()) {
            text += ' ';
        }
        text += tokens[i].quoted ? "\"" + tokens[i].text + "\"" : tokens[i].text;
    }
    return text;
}

}  // namespace

std::optional<TsScenario> ParseTsScenario(std::string_view text, TsScenarioError* error) {
    TsScenario scenario;
    std::int64_t previous = 0;
    int lineNumber = 0;
    std::size_t position = 0;
    while (position <= text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        const std::string_view line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;

        std::string problem;
        auto fail = [&]() -> std::optional<TsScenario> {
            if (error != nullptr) {
                *error = TsScenarioError{lineNumber, problem};
            }
            return std::nullopt;
        };
        const auto tokens = Tokenize(line, problem);
        if (!tokens) {
            return fail();
        }
        if (tokens->empty() || (!(*tokens)[0].quoted && (*tokens)[0].text[0] == '#')) {
            continue;
        }
        if (tokens->size() < 2) {
            problem = "a line needs a time and a command";
            return fail();
        }
        TsEvent event;
        event.line = lineNumber;
        const std::string& time = (*tokens)[0].text;
        const bool relative = !time.empty() && time[0] == '+';
        const auto value = ParseNumber<std::int64_t>(relative ? std::string_view(time).substr(1) : time);
        if (!value || *value < 0) {
            problem = "not a time: " + time;
            return fail();
        }
        event.time = relative ? previous + *value : *value;
        if (event.time < previous) {
            problem = "time goes back";
            return fail();
        }
        previous = event.time;

        const auto command = kCommands.find((*tokens)[1].text);
        if (command == kCommands.end()) {
            problem = "unknown command " + (*tokens)[1].text;
            return fail();
        }
        event.kind = command->second;
        event.text = JoinTokens(*tokens, 1);
        Arguments args(*tokens, 2, problem);
        if (!ParseArguments(event, args, problem)) {
            return fail();
        }
        scenario.events.push_back(std::move(event));
    }
    return scenario;
}

TsScenarioPlayer::TsScenarioPlayer(TsScenario scenario, TsServer& server, LogFunction log)
    : m_scenario(std::move(scenario)), m_server(server), m_log(std::move(log)) {}

void TsScenarioPlayer::Log(const std::string& text) const {
    if (m_log) {
        m_log(m_now, text);
    }
}

void TsScenarioPlayer::JumpBack(std::int64_t to) {
    m_now = to;
    m_next = 0;
    while (m_next < m_scenario.events.size() && m_scenario.events[m_next].time < to) {
        ++m_next;
    }
}

int TsScenarioPlayer::Advance(std::int64_t elapsedMs) {
    if (m_held || m_quit || elapsedMs < 0) {
        return 0;
    }
    std::int64_t target = m_now + elapsedMs;
    int applied = 0;
    while (m_next < m_scenario.events.size() && m_scenario.events[m_next].time <= target) {
        const TsEvent& event = m_scenario.events[m_next++];
        m_now = event.time;
        ++applied;
        if (event.kind == TsEventKind::Loop) {
            // Whole rounds of the loop that fit into the time left are skipped: the state
            // comes round to where it was, and a long stall costs one round at most.
            const std::int64_t round = event.time - event.number;
            const std::int64_t left = (target - event.time) % round;
            Log(event.text);
            JumpBack(event.number);
            target = m_now + left;
            continue;
        }
        const bool goOn = Apply(event);
        if (m_applied) {
            m_applied(event);
        }
        if (!goOn) {
            return applied;
        }
    }
    m_now = target;
    return applied;
}

int TsScenarioPlayer::Step() {
    if (m_quit || m_next >= m_scenario.events.size()) {
        return 0;
    }
    const std::int64_t time = m_scenario.events[m_next].time;
    int applied = 0;
    while (m_next < m_scenario.events.size() && m_scenario.events[m_next].time == time) {
        const TsEvent& event = m_scenario.events[m_next++];
        m_now = event.time;
        ++applied;
        if (event.kind == TsEventKind::Loop) {
            Log(event.text);
            JumpBack(event.number);
            break;
        }
        const bool goOn = Apply(event);
        if (m_applied) {
            m_applied(event);
        }
        if (!goOn) {
            break;
        }
    }
    return applied;
}

bool TsScenarioPlayer::Apply(const TsEvent& event) {
    TsServer& server = m_server;
    TsPlayer* player = nullptr;
    switch (event.kind) {
        case TsEventKind::Leave:
        case TsEventKind::Move:
        case TsEventKind::Flags:
        case TsEventKind::Speak:
        case TsEventKind::Stop:
            player = server.FindPlayerByName(event.name);
            if (player == nullptr) {
                Log(event.text + ": no player " + event.name);
                return true;
            }
            break;
        default: break;
    }
    Log(event.text);
    switch (event.kind) {
        case TsEventKind::Server: server.serverName = event.name; break;
        case TsEventKind::Nickname: server.ownNickname = event.name; break;
        case TsEventKind::Channel: server.UpsertChannel(event.channel); break;
        case TsEventKind::DeleteChannel:
            if (!server.RemoveChannel(event.channel.id)) {
                Log(event.text + ": no channel " + std::to_string(event.channel.id));
            }
            break;
        case TsEventKind::Join: {
            TsPlayer* existing = server.FindPlayerByName(event.name);
            TsPlayer joined = existing != nullptr ? *existing : TsPlayer{};
            joined.name = event.name;
            joined.id = event.id.value_or(existing != nullptr ? existing->id : server.NextPlayerId());
            joined.channelId =
                event.channelId.value_or(existing != nullptr ? existing->channelId : server.DefaultChannelId());
            joined.channelPrivileges = event.channelPrivileges.value_or(joined.channelPrivileges);
            joined.serverPrivileges = event.serverPrivileges.value_or(joined.serverPrivileges);
            joined.flags = event.flags.value_or(joined.flags);
            if (existing != nullptr) {
                *existing = joined;
            } else {
                server.UpsertPlayer(joined);
            }
            break;
        }
        case TsEventKind::Leave: server.RemovePlayer(player->id); break;
        case TsEventKind::Move: player->channelId = event.number; break;
        case TsEventKind::Flags: player->flags = event.number; break;
        case TsEventKind::Speak: server.StartSpeaking(player->id); break;
        case TsEventKind::Stop: server.StopSpeaking(player->id); break;
        case TsEventKind::Silence: server.speakers.clear(); break;
        case TsEventKind::Disconnect: server.connected = false; break;
        case TsEventKind::Connect: server.connected = true; break;
        case TsEventKind::Fail: server.forcedResult[static_cast<std::size_t>(event.call)] = event.number; break;
        case TsEventKind::Count: server.reportedCount[static_cast<std::size_t>(event.call)] = event.count; break;
        case TsEventKind::Hold: m_held = true; return false;
        case TsEventKind::Quit: m_quit = true; return false;
        case TsEventKind::Loop: break;
    }
    return true;
}

}  // namespace sayvane::sim
