// ts5sim: a simulated TeamSpeak 5/6 client for tests and the demo. It plays scenarios of server
// events (the ts2sim format, one file per server tab) in real time and serves the client's
// Remote Apps (a WebSocket carrying JSON, in the shapes the real clients send) on 127.0.0.1, one
// connection at a time (a new one replaces the old).
//
//   ts5sim [--scenario] FILE [FILE...] [--port N] [--active TAB] [--log FILE] [--chunk N]
//          [--allow|--decline|--never-answer] [--confirm-delay MS] [--refuse-key FORM]
//          [--known-key KEY]... [--known-key-for KEY|IDENTIFIER|VERSION|NAME|DESCRIPTION]...
//          [--flags bool|number] [--status-placement top|payload] [--current-connection zero|active]
//          [--self-updates never|always|alternate] [--new-tab-first] [--moved-by-others]
//          [--no-unasked] [--log-rate N] [--clients N]
//          [--fragment N] [--refuse-handshake] [--wrong-accept-key] [--stall] [--malformed]
//          [--strange-events] [--invalid-utf8] [--oversized] [--close-mid-message]
//
// The user's answer to an app that asks in: --allow (the default), --decline, --never-answer,
// after --confirm-delay MS. --refuse-key FORM declines and tells it as FORM: "error" (an auth
// answer with a non-zero status code and a message), "bare-error" (the same without a message),
// "close" (a close frame; what --decline alone does) or "drop" (the connection ends).
// Keys the client issued before: --known-key KEY is let in from any app; --known-key-for takes
// the key and the identity it was issued to in one argument, separated by "|", and lets it in
// only from an app that introduces itself exactly so (from any other, the user is asked).
// The forms the recordings leave open: flags as booleans (TeamSpeak 6, the default) or 0/1
// (--flags number); a reply's status beside "type" (top) or inside "payload"; the auth answer's
// currentConnectionId 0 (the default) or the active tab's; clientSelfPropertyUpdated never,
// always or every other time (the default) besides the clientPropertiesUpdated that tell our own
// client's state; the microphone's handover told to the tab left first unless --new-tab-first;
// moves made by another client (type 2, with an invoker) with --moved-by-others.
// Unasked-for events ("log", "groupInfo", ...) go with what happens unless --no-unasked; --log-rate
// N adds N "log" events and one other unasked-for event to every update (some 50 a second).
// --clients N fills every tab up to N clients (silent "PILOTn"): a busy server whose auth answer
// takes several MB (some 3.5 KB a client).
//
// It prints "ts5sim: listening on 127.0.0.1:PORT" once it listens (--port 0 picks a free port)
// and exits when a scenario reaches "quit". The log shows "< TYPE" for each message received
// ("< auth apikey=<hidden>", or "<empty>"), "> TYPE ..." for each sent (unasked-for events
// aside), and "* " notes: the user's answers ("* asking the user", "* allowed: key issued",
// "* declined"), the handshake, closes and faults. The API key never appears in it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/PeerHost.h"
#include "sim/Ts5RemoteClient.h"

namespace {

using sayvane::peers::ParseNumber;
using sayvane::remote::AppIdentity;
using sayvane::sim::Ts5RemoteClient;
using sayvane::sim::Ts5Shape;

struct Ts5Options {
    Ts5RemoteClient::Confirm confirm = Ts5RemoteClient::Confirm::Allow;
    std::int64_t confirmDelay = 0;
    std::vector<std::string> knownKeys;
    std::vector<std::pair<std::string, AppIdentity>> boundKeys;
    std::size_t crowd = 0;
    sayvane::sim::Ts5Faults faults;
    Ts5Shape shape;
};

// "KEY|IDENTIFIER|VERSION|NAME|DESCRIPTION": false unless all five are there (the last four may
// be empty).
bool ReadBoundKey(const std::string& text, std::pair<std::string, AppIdentity>& bound) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == '|') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (fields.size() != 5 || fields[0].empty()) {
        return false;
    }
    bound = {fields[0], AppIdentity{fields[1], fields[2], fields[3], fields[4]}};
    return true;
}

// Sets `target` to the value of `choices` whose name is `value`; false when none is.
template <typename Enum>
bool Choose(const char* value, std::initializer_list<std::pair<const char*, Enum>> choices, Enum& target) {
    for (const auto& [name, choice] : choices) {
        if (std::string(value) == name) {
            target = choice;
            return true;
        }
    }
    return false;
}

// The options of ts5sim that take a value; see OptionReader.
int ReadValueOption(Ts5Options& options, const std::string& option, const char* value) {
    using Confirm = Ts5RemoteClient::Confirm;
    Ts5Shape& shape = options.shape;
    if (option == "--known-key" && *value != '\0') {
        options.knownKeys.emplace_back(value);
        return 2;
    }
    if (option == "--known-key-for") {
        options.boundKeys.emplace_back();
        return ReadBoundKey(value, options.boundKeys.back()) ? 2 : 0;
    }
    if (option == "--refuse-key") {
        options.confirm = Confirm::Decline;
        return Choose<Ts5Shape::Refusal>(value,
                                         {{"error", Ts5Shape::Refusal::ErrorReply},
                                          {"bare-error", Ts5Shape::Refusal::BareErrorReply},
                                          {"close", Ts5Shape::Refusal::CloseFrame},
                                          {"drop", Ts5Shape::Refusal::Drop}},
                                         shape.refusal)
                   ? 2
                   : 0;
    }
    bool chosen = false;
    if (option == "--flags") {
        chosen = Choose<Ts5Shape::Flags>(
            value, {{"bool", Ts5Shape::Flags::Boolean}, {"number", Ts5Shape::Flags::Number}}, shape.flags);
    } else if (option == "--status-placement") {
        chosen = Choose<Ts5Shape::StatusPlacement>(
            value, {{"top", Ts5Shape::StatusPlacement::TopLevel}, {"payload", Ts5Shape::StatusPlacement::InPayload}},
            shape.statusPlacement);
    } else if (option == "--current-connection") {
        chosen = Choose<Ts5Shape::CurrentConnection>(
            value, {{"zero", Ts5Shape::CurrentConnection::Zero}, {"active", Ts5Shape::CurrentConnection::ActiveTab}},
            shape.currentConnection);
    } else if (option == "--self-updates") {
        chosen = Choose<Ts5Shape::SelfUpdates>(value,
                                               {{"never", Ts5Shape::SelfUpdates::Never},
                                                {"always", Ts5Shape::SelfUpdates::Always},
                                                {"alternate", Ts5Shape::SelfUpdates::Alternate}},
                                               shape.selfUpdates);
    } else {
        std::optional<long> number;
        const auto numberFor = [&](const char* name, long lowest, long highest) {
            return option == name && (number = ParseNumber(value, lowest, highest)).has_value();
        };
        if (numberFor("--confirm-delay", 0, 3600000)) {
            options.confirmDelay = *number;
        } else if (numberFor("--fragment", 1, 1 << 20)) {
            options.faults.fragmentBytes = static_cast<std::size_t>(*number);
        } else if (numberFor("--log-rate", 0, 10000)) {
            shape.logsPerUpdate = static_cast<std::size_t>(*number);
        } else if (numberFor("--clients", 0, 20000)) {
            options.crowd = static_cast<std::size_t>(*number);
        }
        chosen = number.has_value();
    }
    return chosen ? 2 : 0;
}

// The options of ts5sim alone; see OptionReader.
int ReadOption(Ts5Options& options, const std::string& option, const char* value) {
    using Confirm = Ts5RemoteClient::Confirm;
    if (value != nullptr) {
        if (const int taken = ReadValueOption(options, option, value); taken != 0) {
            return taken;
        }
    }
    if (option == "--allow" || option == "--decline" || option == "--never-answer") {
        options.confirm = option == "--allow"     ? Confirm::Allow
                          : option == "--decline" ? Confirm::Decline
                                                  : Confirm::NeverAnswer;
        return 1;
    }
    sayvane::sim::Ts5Faults& faults = options.faults;
    Ts5Shape& shape = options.shape;
    if (option == "--no-unasked") {
        shape.unaskedEvents = false;
        return 1;
    }
    bool* flag = option == "--refuse-handshake"    ? &faults.refuseHandshake
                 : option == "--wrong-accept-key"  ? &faults.wrongAcceptKey
                 : option == "--stall"             ? &faults.stall
                 : option == "--malformed"         ? &faults.malformedMessages
                 : option == "--strange-events"    ? &faults.strangeEvents
                 : option == "--invalid-utf8"      ? &faults.invalidUtf8
                 : option == "--oversized"         ? &faults.oversizedMessage
                 : option == "--close-mid-message" ? &faults.closeMidMessage
                 : option == "--new-tab-first"     ? &shape.newTabFirst
                 : option == "--moved-by-others"   ? &shape.movedByOthers
                                                   : nullptr;
    if (flag == nullptr) {
        return 0;
    }
    *flag = true;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Ts5Options ts5;
    const auto options = sayvane::peers::ParseHostOptions(
        argc, argv, sayvane::sim::kTs5DefaultPort,
        [&ts5](const std::string& option, const char* value) { return ReadOption(ts5, option, value); });
    if (!options) {
        std::fprintf(
            stderr,
            "usage: ts5sim [--scenario] FILE [FILE...] [--port N] [--active TAB] [--log FILE] [--chunk N]\n"
            "              [--allow|--decline|--never-answer] [--confirm-delay MS] [--refuse-key FORM]\n"
            "              [--known-key KEY]... [--known-key-for KEY|IDENTIFIER|VERSION|NAME|DESCRIPTION]...\n"
            "              [--flags bool|number] [--status-placement top|payload] [--current-connection zero|active]\n"
            "              [--self-updates never|always|alternate] [--new-tab-first] [--moved-by-others]\n"
            "              [--no-unasked] [--log-rate N] [--clients N]\n"
            "              [--fragment N] [--refuse-handshake] [--wrong-accept-key] [--stall] [--malformed]\n"
            "              [--strange-events] [--invalid-utf8] [--oversized] [--close-mid-message]\n"
            "Each scenario file (ts2sim format) is a server tab, numbered from 1. FORM: error, bare-error,\n"
            "close or drop.\n");
        return sayvane::peers::kExitUsage;
    }
    sayvane::peers::PeerLog log;
    if (!options->logFile.empty() && !log.Open(options->logFile)) {
        std::fprintf(stderr, "ts5sim: cannot write log %s\n", options->logFile.c_str());
        return sayvane::peers::kExitUsage;
    }
    const sayvane::peers::SteadyClock clock;
    Ts5RemoteClient client(&clock);
    client.Faults() = ts5.faults;
    client.Shape() = ts5.shape;
    client.SetConfirm(ts5.confirm, ts5.confirmDelay);
    client.SetCrowd(ts5.crowd);
    for (const std::string& key : ts5.knownKeys) {
        client.AddKnownKey(key);
    }
    for (const auto& [key, app] : ts5.boundKeys) {
        client.AddKnownKey(key, app);
    }
    client.SetTrace([&log](Ts5RemoteClient::Direction direction, const std::string& line) {
        static constexpr const char* kMarks[] = {"< ", "> ", "* "};
        log.Write(kMarks[static_cast<int>(direction)] + line);
    });
    return sayvane::peers::ServeScenarios("ts5sim", *options, client, log);
}
