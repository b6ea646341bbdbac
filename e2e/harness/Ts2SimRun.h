// The simulated voice client (ts2sim.exe, built beside the test programs) started with a
// scenario in a fresh folder, and watched through its window and its log.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace sayvane::e2e {

class Ts2SimRun {
public:
    // Writes the scenario into a fresh folder; `extraArguments` go after the scenario and
    // log arguments ("--hold", "--no-command-12").
    explicit Ts2SimRun(const std::string& scenarioText, std::string extraArguments = {});
    // Closes the client (or ends it) and waits until it has exited.
    ~Ts2SimRun();
    Ts2SimRun(const Ts2SimRun&) = delete;
    Ts2SimRun& operator=(const Ts2SimRun&) = delete;

    // Starts the client and waits for its main window; false when it did not show.
    [[nodiscard]] bool Start(int timeoutMs = 10000);

    [[nodiscard]] HWND MainWindow() const { return m_main; }
    [[nodiscard]] DWORD ProcessId() const { return m_process.dwProcessId; }

    // The client's log, one entry per line, each "<scenario ms> <text>".
    [[nodiscard]] std::vector<std::string> LogLines() const;
    // Waits for a log line that contains `text`.
    [[nodiscard]] bool WaitForLog(const std::string& text, int timeoutMs = 10000) const;

    // Applies the next events of the scenario; the number applied.
    int Step() const;

    // Asks the client to close and waits for it to exit; its exit code.
    std::optional<DWORD> Close(int timeoutMs = 10000);
    std::optional<DWORD> WaitForExit(int timeoutMs = 10000) const;

private:
    testing::TempFolder m_folder;
    std::string m_arguments;
    PROCESS_INFORMATION m_process{};
    HWND m_main = nullptr;
};

}  // namespace sayvane::e2e
