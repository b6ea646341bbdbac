// sayvane_measure: what the real Sayvane.exe costs while it runs. It starts the simulated voice
// client with a scenario, then Sayvane (AutoStart=1, Refresh=0 i.e. 250 ms, the substitute
// library beside it) in a fresh folder, times the start-up to the splash and to the overlay,
// lets it run for a fixed span and reports the process's CPU time and memory as Windows sees
// them. scripts/measure.sh runs it under Wine and adds what Linux sees of the same process.
//
//   sayvane_measure.exe --scenario NAME [--seconds N] [--release FILE]
//   sayvane_measure.exe --baseline [--seconds N] [--release FILE]
//
// NAME is a scenario file beside ts2sim.exe (scenarios\NAME). --baseline measures Wine's own
// notepad instead: the floor every Wine GUI process pays. Between the lines "measure-start" and
// "measure-end" the process is left alone; with --release the program then waits until that
// file exists before ending it, so that a script can read the process's figures meanwhile.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

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
        } else {
            return std::nullopt;
        }
    }
    if (options.seconds < 1 || (options.scenario.empty() != options.baseline)) {
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
    sayvane::e2e::Ts2SimRun client(text);
    if (client.MainWindow() == nullptr) {
        std::fprintf(stderr, "the simulated voice client did not start\n");
        return 1;
    }
    sayvane::e2e::SayvaneRun run(kSettings);
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

}  // namespace

int main(int argc, char** argv) {
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: sayvane_measure --scenario NAME [--seconds N] [--release FILE]\n"
                     "       sayvane_measure --baseline [--seconds N] [--release FILE]\n");
        return 2;
    }
    return options->baseline ? MeasureBaseline(*options) : MeasureSayvane(*options);
}
