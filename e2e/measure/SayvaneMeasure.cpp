// sayvane_measure: what the real Sayvane.exe costs while it runs. It starts the simulated voice
// client with a scenario, then Sayvane (AutoStart=1, Refresh=0 i.e. 250 ms, the substitute
// library beside it) in a fresh folder, times the start-up to the splash and to the overlay,
// lets it run for a fixed span and reports the process's CPU time and memory as Windows sees
// them. scripts/measure.sh runs it under Wine and adds what Linux sees of the same process.
//
//   sayvane_measure.exe --scenario NAME [--client ts3|ts5] [--seconds N] [--release FILE]
//   sayvane_measure.exe --baseline [--seconds N] [--release FILE]
//   sayvane_measure.exe --latency ts3|ts5 [--refresh POSITION] [--rounds N]
//
// --latency follows TeamSpeak 3 or 5/6 (ts3sim, ts5sim) at a Refresh position (0: 250 ms, 45:
// 2.5 s): a pilot speaks briefly every six seconds, and each time the milliseconds from the
// simulated client telling it to the overlay showing are reported, with their median; and the
// milliseconds from the connection accepted to the overlay's list of players complete.
//
// NAME is a scenario file beside ts2sim.exe (scenarios\NAME), played by ts2sim, or with --client by
// the simulated TeamSpeak 3 or 5/6 client, which Sayvane then follows. --baseline measures Wine's own
// notepad instead: the floor every Wine GUI process pays. Between the lines "measure-start" and
// "measure-end" the process is left alone; with --release the program then waits until that
// file exists before ending it, so that a script can read the process's figures meanwhile.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harness/SayvaneRun.h"

namespace {

using sayvane::e2e::FindProcessWindow;
using sayvane::e2e::FolderOfThisProgram;

constexpr char kSettings[] = "[Setup]\r\nAutoStart=1\r\nRefresh=0\r\n";

struct Options {
    std::string scenario;
    bool baseline = false;
    int seconds = 60;
    std::string releaseFile;
    std::string client;         // "ts3" or "ts5": the scenario's voice client, else TeamSpeak 2
    std::string latencyClient;  // "ts3" or "ts5" for a latency run
    int refreshPosition = 0;
    int rounds = 6;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scenario" && i + 1 < argc) {
            options.scenario = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            options.seconds = std::atoi(argv[++i]);
        } else if (arg == "--release" && i + 1 < argc) {
            options.releaseFile = argv[++i];
        } else if (arg == "--baseline") {
            options.baseline = true;
        } else if (arg == "--client" && i + 1 < argc) {
            options.client = argv[++i];
        } else if (arg == "--latency" && i + 1 < argc) {
            options.latencyClient = argv[++i];
        } else if (arg == "--refresh" && i + 1 < argc) {
            options.refreshPosition = std::atoi(argv[++i]);
        } else if (arg == "--rounds" && i + 1 < argc) {
            options.rounds = std::atoi(argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    if (!options.latencyClient.empty()) {
        const bool known = options.latencyClient == "ts3" || options.latencyClient == "ts5";
        return known && options.refreshPosition >= 0 && options.refreshPosition <= 45 && options.rounds > 0
                   ? std::optional(options)
                   : std::nullopt;
    }
    if (options.seconds < 1 || (options.scenario.empty() != options.baseline) ||
        (!options.client.empty() && options.client != "ts3" && options.client != "ts5")) {
        return std::nullopt;
    }
    return options;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now;
}

// Polls every millisecond (no longer: the figure is the time to the window) until the
// process shows a visible top-level window of this class; the milliseconds since `start`.
std::optional<double> TimeToWindow(DWORD processId, const char* className, LARGE_INTEGER start, int timeoutMs) {
    for (;;) {
        if (FindProcessWindow(processId, className) != nullptr) {
            return Milliseconds(start, Now());
        }
        if (Milliseconds(start, Now()) > timeoutMs) {
            return std::nullopt;
        }
        Sleep(1);
    }
}

double CpuMilliseconds(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return -1;
    }
    const auto value = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 10000.0;  // 100 ns units
}

// The measuring span: the process is left alone; the overlay's visibility is sampled to tell
// a busy run from an idle one. Returns the share of samples with the overlay visible.
double RunFor(int seconds, HWND overlay) {
    const LARGE_INTEGER start = Now();
    int samples = 0;
    int visible = 0;
    while (Milliseconds(start, Now()) < seconds * 1000.0) {
        ++samples;
        visible += overlay != nullptr && IsWindowVisible(overlay) ? 1 : 0;
        Sleep(100);
    }
    return samples > 0 ? 100.0 * visible / samples : 0;
}

void Report(HANDLE process, double cpuBefore, double wallMs, double visiblePercent) {
    const double cpu = CpuMilliseconds(process) - cpuBefore;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    std::printf("measure-end\n");
    std::printf("wall_ms=%.0f\n", wallMs);
    std::printf("win_cpu_ms=%.1f\n", cpu);
    std::printf("win_cpu_percent=%.3f\n", wallMs > 0 ? 100.0 * cpu / wallMs : 0.0);
    std::printf("win_peak_working_set_kb=%lu\n", static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
    std::printf("win_working_set_kb=%lu\n", static_cast<unsigned long>(memory.WorkingSetSize / 1024));
    std::printf("win_private_kb=%lu\n", static_cast<unsigned long>(memory.PrivateUsage / 1024));
    std::printf("overlay_visible_percent=%.1f\n", visiblePercent);
    std::fflush(stdout);
}

void WaitForRelease(const std::string& file) {
    if (file.empty()) {
        return;
    }
    sayvane::e2e::WaitUntil([&] { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}

int MeasureSayvane(const Options& options) {
    std::ifstream in(FolderOfThisProgram() + "\\scenarios\\" + options.scenario, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "no scenario %s beside ts2sim.exe\n", options.scenario.c_str());
        return 2;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<sayvane::e2e::LoggingPeer> client;
    std::string settings = kSettings;
    if (options.client.empty()) {
        auto teamSpeak2 = std::make_unique<sayvane::e2e::Ts2SimRun>(text);
        if (teamSpeak2->MainWindow() != nullptr) {
            client = std::move(teamSpeak2);
        }
    } else {
        const bool ts3 = options.client == "ts3";
        const unsigned port = ts3 ? 26642 : 26902;
        auto server = std::make_unique<sayvane::e2e::ScenarioServerRun>(
            ts3 ? "ts3sim.exe" : "ts5sim.exe", text, port,
            ts3 ? std::vector<std::string>{} : std::vector<std::string>{"--allow"});
        if (server->Listening()) {
            client = std::move(server);
        }
        settings +=
            (ts3 ? "VoiceClient=3\r\nQueryApiKey=SAYVANE-TEST-KEY\r\nQueryPort=" : "VoiceClient=5\r\nRemotePort=") +
            std::to_string(port) + "\r\n";
    }
    if (client == nullptr) {
        std::fprintf(stderr, "the simulated voice client did not start\n");
        return 1;
    }
    sayvane::e2e::SayvaneRun run(settings);
    const LARGE_INTEGER start = Now();
    if (!run.Start()) {
        std::fprintf(stderr, "Sayvane.exe did not start\n");
        return 1;
    }
    const auto splash = TimeToWindow(run.ProcessId(), "SayvaneAbout", start, 20000);
    HWND overlay = run.WaitForOverlay(20000);
    const double overlayMs = Milliseconds(start, Now());
    if (!splash || overlay == nullptr) {
        std::fprintf(stderr, "Sayvane showed no %s\n", splash ? "overlay" : "splash");
        return 1;
    }
    std::printf("process_id=%lu\n", static_cast<unsigned long>(run.ProcessId()));
    std::printf("startup_splash_ms=%.1f\n", *splash);
    std::printf("startup_overlay_ms=%.1f\n", overlayMs);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, run.ProcessId());
    if (process == nullptr) {
        std::fprintf(stderr, "cannot open the Sayvane process\n");
        return 1;
    }
    std::printf("measure-start\n");
    std::fflush(stdout);
    const double cpuBefore = CpuMilliseconds(process);
    const LARGE_INTEGER spanStart = Now();
    const double visible = RunFor(options.seconds, overlay);
    Report(process, cpuBefore, Milliseconds(spanStart, Now()), visible);
    WaitForRelease(options.releaseFile);
    CloseHandle(process);
    return 0;
}

// Wine's own notepad, measured the same way: what any Wine GUI process costs before its code.
int MeasureBaseline(const Options& options) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string exe = std::string(windows) + "\\notepad.exe";
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const LARGE_INTEGER start = Now();
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        std::fprintf(stderr, "notepad did not start\n");
        return 1;
    }
    const auto window = TimeToWindow(info.dwProcessId, "Notepad", start, 20000);
    std::printf("process_id=%lu\n", static_cast<unsigned long>(info.dwProcessId));
    std::printf("startup_splash_ms=%.1f\n", window.value_or(-1));
    std::printf("startup_overlay_ms=-1\n");
    std::printf("measure-start\n");
    std::fflush(stdout);
    const double cpuBefore = CpuMilliseconds(info.hProcess);
    const LARGE_INTEGER spanStart = Now();
    RunFor(options.seconds, nullptr);
    Report(info.hProcess, cpuBefore, Milliseconds(spanStart, Now()), 0);
    WaitForRelease(options.releaseFile);
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 0;
}

// A pilot speaks for 300 ms every six seconds: long enough for the overlay to hide between two
// words at any Refresh setting.
constexpr char kCallsEverySixSeconds[] =
    "0 server \"IVAO Test\"\n0 nickname EDDF_TWR\n0 channel 2 \"Frankfurt Tower\"\n0 join EDDF_TWR channel=2\n"
    "0 join DLH4AB channel=2\n0 join BAW12 channel=2\n3000 speak DLH4AB\n+300 silence\n+2700 loop 0\n";
constexpr std::size_t kPlayersOfTheScenario = 3;

// Now on the steady clock every program of the machine shares, as the peers' logs give it.
double SteadyMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// When the peer's log says `what` happened, each time, on the shared steady clock.
std::vector<double> LoggedTimes(const sayvane::e2e::LoggingPeer& peer, const std::string& what) {
    const std::vector<std::string> lines = peer.LogLines();
    double origin = 0;
    std::vector<double> times;
    for (const std::string& line : lines) {
        if (const std::size_t at = line.find("clock origin: "); at != std::string::npos) {
            origin = std::stod(line.substr(at + 14)) / 1000.0;
        } else if (line.find(what) != std::string::npos && line.size() > 1 && line[0] == '[') {
            times.push_back(origin + std::stod(line.substr(1)) * 1000.0);
        }
    }
    return times;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int MeasureLatency(const Options& options) {
    const bool ts3 = options.latencyClient == "ts3";
    const unsigned port = ts3 ? 26641 : 26901;
    sayvane::e2e::ScenarioServerRun client(ts3 ? "ts3sim.exe" : "ts5sim.exe", kCallsEverySixSeconds, port,
                                           ts3 ? std::vector<std::string>{} : std::vector<std::string>{"--allow"});
    if (!client.Listening()) {
        std::fprintf(stderr, "the simulated voice client did not start\n");
        return 1;
    }
    sayvane::e2e::SayvaneRun run(
        "[Setup]\r\nAutoStart=1\r\nDelay=0\r\nShowChannel=0\r\nRefresh=" + std::to_string(options.refreshPosition) +
        (ts3 ? "\r\nVoiceClient=3\r\nQueryApiKey=SAYVANE-TEST-KEY\r\nQueryPort=" : "\r\nVoiceClient=5\r\nRemotePort=") +
        std::to_string(port) + "\r\n");
    if (!run.Start()) {
        std::fprintf(stderr, "Sayvane.exe did not start\n");
        return 1;
    }
    const HWND overlay = run.WaitForOverlay(20000);
    const sayvane::e2e::DiagnosticPanel panel(overlay);
    if (overlay == nullptr || !panel.Found()) {
        std::fprintf(stderr, "Sayvane showed no overlay\n");
        return 1;
    }
    // The lists complete: polled as often as the panel answers.
    sayvane::e2e::WaitUntil([&] { return panel.List("lstUsers").size() == kPlayersOfTheScenario; }, 60000);
    const double listed = SteadyMilliseconds();
    // Each time the overlay comes up, on the steady clock, polled every millisecond.
    std::vector<double> shown;
    bool visible = IsWindowVisible(overlay) != FALSE;
    const double end = SteadyMilliseconds() + options.rounds * 6000.0 + 3000.0;
    while (SteadyMilliseconds() < end) {
        const bool now = IsWindowVisible(overlay) != FALSE;
        if (now && !visible) {
            shown.push_back(SteadyMilliseconds());
        }
        visible = now;
        Sleep(1);
    }
    const std::vector<double> accepted = LoggedTimes(client, "+ connection opened");
    if (!accepted.empty()) {
        std::printf("first_lists_ms=%.1f\n", listed - accepted.back());
    }
    std::vector<double> latencies;
    for (const double spoke : LoggedTimes(client, "* speak DLH4AB")) {
        const auto next = std::lower_bound(shown.begin(), shown.end(), spoke);
        if (spoke > listed && next != shown.end() && *next - spoke < 5000) {
            latencies.push_back(*next - spoke);
            std::printf("talk_to_overlay_ms=%.1f\n", latencies.back());
        }
    }
    std::printf("talk_to_overlay_median_ms=%.1f (of %zu)\n", Median(latencies), latencies.size());
    (void)run.ExitFromTray(overlay);
    return latencies.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: sayvane_measure --scenario NAME [--client ts3|ts5] [--seconds N] [--release FILE]\n"
                     "       sayvane_measure --baseline [--seconds N] [--release FILE]\n"
                     "       sayvane_measure --latency ts3|ts5 [--refresh POSITION] [--rounds N]\n");
        return 2;
    }
    if (!options->latencyClient.empty()) {
        return MeasureLatency(*options);
    }
    return options->baseline ? MeasureBaseline(*options) : MeasureSayvane(*options);
}
