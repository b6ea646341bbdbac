// The simulated outside programs, built beside the test programs, each started in a fresh
// folder with a log there, and watched through its windows and that log: the voice client
// (ts2sim.exe) with a scenario, and the radar (ivacsim.exe).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "harness/PeerProcess.h"

namespace sayvane::e2e {

// A peer that writes its log into its own fresh folder, one entry a line.
class LoggingPeer : public PeerProcess {
public:
    // Asks the peer to close before its folder goes.
    ~LoggingPeer() { Close(); }

    [[nodiscard]] std::string LogFile() const { return m_folder.File("peer.log"); }
    [[nodiscard]] std::vector<std::string> LogLines() const { return testing::ReadLines(LogFile()); }
    // Waits for a log line that contains `text`.
    [[nodiscard]] bool WaitForLog(const std::string& text, int timeoutMs = 10000) const;
    // The log once it holds at least `count` lines (all of it after the timeout).
    [[nodiscard]] std::vector<std::string> WaitForLogLines(std::size_t count, int timeoutMs = 10000) const;

protected:
    testing::TempFolder m_folder;
};

class Ts2SimRun : public LoggingPeer {
public:
    // Writes the scenario into a fresh folder; `extraArguments` go after the scenario and
    // log arguments ("--hold", "--no-command-12").
    explicit Ts2SimRun(const std::string& scenarioText, std::vector<std::string> extraArguments = {});

    // Starts the client and waits for its main window; false when it did not show.
    [[nodiscard]] bool Start(int timeoutMs = 10000);

    [[nodiscard]] HWND MainWindow() const { return m_main; }

    // Applies the next events of the scenario; the number applied.
    int Step() const;

private:
    std::vector<std::string> m_arguments;
    HWND m_main = nullptr;
};

// ivacsim started with `arguments`; the constructor waits until its main window shows,
// which it does once its command boxes exist.
class IvAcSimRun : public LoggingPeer {
public:
    explicit IvAcSimRun(std::vector<std::string> arguments = {});
    // Its main window, or nullptr when it did not show.
    [[nodiscard]] HWND Radar() const { return m_radar; }

private:
    HWND m_radar = nullptr;
};

}  // namespace sayvane::e2e
