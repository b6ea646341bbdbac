// What the programs that serve a port on 127.0.0.1 (ts3sim, ts5sim, hostilepeer) share: the
// options every one of them takes, their log, and the loop that serves one connection at a
// time (a new one replaces the old), playing the voice clients' scenarios in real time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "sim/SimulatedTsClient.h"

namespace sayvane::peers {

enum ExitCode : int { kExitOk = 0, kExitUsage = 2, kExitNetwork = 3, kExitScenario = 4 };

// [--scenario] FILE [FILE...] [--port N] [--active TAB] [--log FILE] [--chunk N]
struct HostOptions {
    std::vector<std::string> scenarioFiles;  // one server tab each, numbered from 1
    std::uint16_t port = 0;                  // 0: any free port
    std::int32_t activeTab = 1;
    std::string logFile;
    std::size_t chunk = 0;  // bytes per write, with a pause between writes; 0: as many as go
};

// A decimal number from `lowest` to `highest`; nullopt for anything else.
[[nodiscard]] std::optional<long> ParseNumber(const std::string& text, long lowest, long highest);

// Takes an option of one client alone, with the argument after it (nullptr when there is
// none); returns how many arguments it took (1 for a flag, 2 with its value), 0 when the
// option is unknown or its value wrong.
using OptionReader = std::function<int(const std::string& option, const char* value)>;

// The common options, the others handed to `other`; nullopt when an option is wrong or no
// scenario given.
[[nodiscard]] std::optional<HostOptions> ParseHostOptions(int argc, char** argv, std::uint16_t defaultPort,
                                                          const OptionReader& other);

// Real time, from when it was made.
class SteadyClock final : public Clock {
public:
    void Sleep(int milliseconds) override;
    void ProcessPendingMessages() override {}
    [[nodiscard]] std::int64_t NowMilliseconds() const override;
    // Its start on the steady clock, which every program of the machine shares.
    [[nodiscard]] std::int64_t StartMicroseconds() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(m_start.time_since_epoch()).count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The log file: one line an entry, stamped with the seconds since the start, flushed at once
// (tests read it while the client runs). Its first line, "clock origin: N", gives that start in
// microseconds on the steady clock, for a program that lines its own times up with the log's.
class PeerLog {
public:
    bool Open(const std::string& file);
    void Write(const std::string& text);

private:
    std::ofstream m_file;
    SteadyClock m_clock;
};

// What a served program does as time passes: called once with 0 before anyone connects, then
// every tick with the milliseconds since the last; true when the program quits.
using Ticker = std::function<bool(std::int64_t elapsedMs)>;

// Listens on 127.0.0.1 (printing "NAME: listening on 127.0.0.1:PORT") and serves `program` one
// connection at a time until `tick` says it quits; the exit code. The log gets "listening on
// ...", "+ connection opened", "- connection closed: WHY" and "quit".
int Serve(const char* name, const HostOptions& options, sim::SimulatedPeer& program, PeerLog& log, const Ticker& tick);

// Loads the scenarios onto the client's tabs, listens on 127.0.0.1 (printing "NAME: listening
// on 127.0.0.1:PORT") and serves until a scenario quits; the exit code. The log gets
// "listening on ...", "+ connection opened", "- connection closed: WHY", the scenarios' events
// ("* ...") and "quit".
int ServeScenarios(const char* name, const HostOptions& options, sim::SimulatedTsClient& client, PeerLog& log);

}  // namespace sayvane::peers
