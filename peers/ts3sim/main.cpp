// ts3sim: a simulated TeamSpeak 3 client for tests and the demo. It plays scenarios of server
// events (the ts2sim format, one file per server tab) in real time and serves the client's
// local query interface on 127.0.0.1, one connection at a time (a new one replaces the old).
//
//   ts3sim [--scenario] FILE [FILE...] [--port N] [--apikey KEY] [--active TAB] [--log FILE]
//          [--refuse-key] [--stall] [--chunk N] [--close-mid-answer] [--overlong-line]
//          [--malformed] [--refuse-channel-create ID:MESSAGE] [--no-auth-hint] [--key-refusal ID:MESSAGE]
//          [--events-inside-answers]
//
// The last three choose among the shapes real clients differ in: a greeting without the line
// about "auth" (older clients), the error a refused key gets, and events told amid answers.
// It prints "ts3sim: listening on 127.0.0.1:PORT" once it listens (--port 0 picks a free port)
// and exits when a scenario reaches "quit".
#include <cstdio>
#include <optional>
#include <string>

#include "common/PeerHost.h"
#include "sim/Ts3QueryClient.h"

namespace {

using sayvane::peers::ParseNumber;
using sayvane::sim::Ts3Error;
using sayvane::sim::Ts3QueryClient;

// "ID:MESSAGE", an error the client answers with.
std::optional<Ts3Error> ParseError(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto id = ParseNumber(text.substr(0, colon), 0, 65535);
    if (!id) {
        return std::nullopt;
    }
    return Ts3Error{static_cast<std::int32_t>(*id), text.substr(colon + 1), {}};
}

}  // namespace

int main(int argc, char** argv) {
    std::string apiKey(sayvane::sim::kTs3DefaultApiKey);
    sayvane::sim::Ts3Faults faults;
    sayvane::sim::Ts3Shapes shapes;
    const auto options = sayvane::peers::ParseHostOptions(
        argc, argv, sayvane::sim::kTs3DefaultPort, [&](const std::string& option, const char* value) {
            if (option == "--apikey" && value != nullptr) {
                apiKey = value;
                return 2;
            }
            if (option == "--refuse-channel-create" && value != nullptr) {
                faults.refuseChannelCreate = ParseError(value);
                return faults.refuseChannelCreate ? 2 : 0;
            }
            if (option == "--key-refusal" && value != nullptr) {
                const std::optional<Ts3Error> refusal = ParseError(value);
                if (!refusal || refusal->id == 0) {
                    return 0;
                }
                shapes.keyRefusal = *refusal;
                return 2;
            }
            if (option == "--no-auth-hint") {
                shapes.authHint = false;
                return 1;
            }
            bool* flag = option == "--refuse-key"              ? &faults.refuseKey
                         : option == "--stall"                 ? &faults.stall
                         : option == "--close-mid-answer"      ? &faults.closeMidAnswer
                         : option == "--overlong-line"         ? &faults.overlongLine
                         : option == "--malformed"             ? &faults.malformedLines
                         : option == "--events-inside-answers" ? &shapes.eventsInsideAnswers
                                                               : nullptr;
            if (flag == nullptr) {
                return 0;
            }
            *flag = true;
            return 1;
        });
    if (!options) {
        std::fprintf(stderr,
                     "usage: ts3sim [--scenario] FILE [FILE...] [--port N] [--apikey KEY] [--active TAB] "
                     "[--log FILE]\n"
                     "              [--refuse-key] [--stall] [--chunk N] [--close-mid-answer] [--overlong-line]\n"
                     "              [--malformed] [--refuse-channel-create ID:MESSAGE] [--no-auth-hint]\n"
                     "              [--key-refusal ID:MESSAGE] [--events-inside-answers]\n"
                     "Each scenario file (ts2sim format) is a server tab, numbered from 1.\n");
        return sayvane::peers::kExitUsage;
    }
    sayvane::peers::PeerLog log;
    if (!options->logFile.empty() && !log.Open(options->logFile)) {
        std::fprintf(stderr, "ts3sim: cannot write log %s\n", options->logFile.c_str());
        return sayvane::peers::kExitUsage;
    }
    Ts3QueryClient client(apiKey);
    client.Faults() = faults;
    client.Shapes() = shapes;
    client.SetTrace([&log](Ts3QueryClient::Direction direction, const std::string& line) {
        if (direction == Ts3QueryClient::Direction::Received) {
            log.Write("< " + line);
        } else if (line.rfind("notify", 0) == 0) {
            log.Write("> " + line);
        }
    });
    return sayvane::peers::ServeScenarios("ts3sim", *options, client, log);
}
