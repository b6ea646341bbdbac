// ts5sim: a simulated TeamSpeak 5/6 client for tests and the demo. It plays scenarios of server
// events (the ts2sim format, one file per server tab) in real time and serves the client's
// Remote Apps (a WebSocket carrying JSON) on 127.0.0.1, one connection at a time (a new one
// replaces the old).
//
//   ts5sim [--scenario] FILE [FILE...] [--port N] [--active TAB] [--log FILE] [--chunk N]
//          [--allow|--decline|--never-answer] [--confirm-delay MS] [--known-key KEY]...
//          [--fragment N] [--refuse-handshake] [--wrong-accept-key] [--stall] [--malformed]
//          [--strange-events] [--invalid-utf8] [--oversized] [--close-mid-message]
//
// It prints "ts5sim: listening on 127.0.0.1:PORT" once it listens (--port 0 picks a free port)
// and exits when a scenario reaches "quit". The log shows "< TYPE" for each message received
// ("< auth apikey=<hidden>", or "<empty>"), "> TYPE ..." for each sent, and "* " notes: the
// user's answers ("* asking the user", "* allowed: key issued", "* declined"), the handshake,
// closes and faults. The API key never appears in it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/PeerHost.h"
#include "sim/Ts5RemoteClient.h"

namespace {

using sayvane::peers::ParseNumber;
using sayvane::sim::Ts5RemoteClient;

struct Ts5Options {
    Ts5RemoteClient::Confirm confirm = Ts5RemoteClient::Confirm::Allow;
    std::int64_t confirmDelay = 0;
    std::vector<std::string> knownKeys;
    sayvane::sim::Ts5Faults faults;
};

// The options of ts5sim alone; see OptionReader.
int ReadOption(Ts5Options& options, const std::string& option, const char* value) {
    using Confirm = Ts5RemoteClient::Confirm;
    sayvane::sim::Ts5Faults& faults = options.faults;
    if (value != nullptr) {
        if (option == "--known-key" && *value != '\0') {
            options.knownKeys.emplace_back(value);
            return 2;
        }
        if (option == "--confirm-delay" || option == "--fragment") {
            const bool fragment = option == "--fragment";
            const auto number = ParseNumber(value, fragment ? 1 : 0, fragment ? 1 << 20 : 3600000);
            if (!number) {
                return 0;
            }
            if (fragment) {
                faults.fragmentBytes = static_cast<std::size_t>(*number);
            } else {
                options.confirmDelay = *number;
            }
            return 2;
        }
    }
    if (option == "--allow" || option == "--decline" || option == "--never-answer") {
        options.confirm = option == "--allow"     ? Confirm::Allow
                          : option == "--decline" ? Confirm::Decline
                                                  : Confirm::NeverAnswer;
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
        std::fprintf(stderr,
                     "usage: ts5sim [--scenario] FILE [FILE...] [--port N] [--active TAB] [--log FILE] [--chunk N]\n"
                     "              [--allow|--decline|--never-answer] [--confirm-delay MS] [--known-key KEY]...\n"
                     "              [--fragment N] [--refuse-handshake] [--wrong-accept-key] [--stall] [--malformed]\n"
                     "              [--strange-events] [--invalid-utf8] [--oversized] [--close-mid-message]\n"
                     "Each scenario file (ts2sim format) is a server tab, numbered from 1.\n");
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
    client.SetConfirm(ts5.confirm, ts5.confirmDelay);
    for (const std::string& key : ts5.knownKeys) {
        client.AddKnownKey(key);
    }
    client.SetTrace([&log](Ts5RemoteClient::Direction direction, const std::string& line) {
        static constexpr const char* kMarks[] = {"< ", "> ", "* "};
        log.Write(kMarks[static_cast<int>(direction)] + line);
    });
    return sayvane::peers::ServeScenarios("ts5sim", *options, client, log);
}
