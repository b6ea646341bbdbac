// A program (Sayvane.exe or a peer such as ivacsim, built beside the tests, or an installer)
// started with arguments in a fresh folder of its own, watched through its windows and ended when the
// object goes, before its folder; the simulated outside programs, which also keep a log there;
// and the polling every wait of the harness is made of: none sleeps a fixed time.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"

namespace sayvane::e2e {

// The folder of the running test program; Sayvane.exe and the peers are built beside it.
std::string FolderOfThisProgram();

// Polls `condition` every 5 ms until it holds (true) or `timeoutMs` has passed (false).
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// The top-level windows, top of the Z order first; or, given a parent, its children at any depth.
std::vector<HWND> Windows(HWND parent = nullptr);

// A top-level window of a process with the given class (and caption, when given); only a
// visible one unless `visibleOnly` is false.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption = nullptr, bool visibleOnly = true);

// A window's text, read with WM_GETTEXT as works across processes.
std::string WindowText(HWND hwnd);
// Waits until the window's text holds `part`; false when it does not within the time.
bool WaitForText(HWND hwnd, const std::string& part, int timeoutMs = 20000);

class PeerProcess {
public:
    PeerProcess() = default;
    // Starts at once; Running() tells whether that worked.
    PeerProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder = {}) {
        Start(program, arguments, folder);
    }
    // Ends it at once if it still runs.
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Starts `program` (a file name beside the test program, such as "ivacsim.exe", or a full
    // path) in `folder` (by default its own); false when it could not be started.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder = {});

    [[nodiscard]] bool Running() const;
    [[nodiscard]] DWORD ProcessId() const { return m_process.dwProcessId; }
    [[nodiscard]] HANDLE Handle() const { return m_process.hProcess; }
    // Its own fresh folder, removed after it has ended.
    [[nodiscard]] std::string File(const std::string& name) const { return m_folder.File(name); }
    [[nodiscard]] std::string Folder() const { return m_folder.Path().string(); }

    // Its first visible top-level window of this class (and caption), or nullptr after the timeout.
    HWND WaitForWindow(const char* className, const char* caption = nullptr, int timeoutMs = 10000) const;

    // Waits for the process to end; its exit code, or nullopt after the timeout.
    std::optional<DWORD> WaitForExit(int timeoutMs = 10000) const;

    // Asks its windows to close (WM_CLOSE) and waits for the process to end; after the
    // timeout it is terminated. True when it ended by itself.
    bool Close(int timeoutMs = 10000);
    // Ends it at once.
    void Terminate();

private:
    testing::TempFolder m_folder;  // declared first: it goes after the process has ended
    PROCESS_INFORMATION m_process{};
};

// A simulated outside program (ivacsim.exe, ts2sim.exe) started in its folder with its
// arguments and "--log" to a file there, one entry a line; the constructor waits until its
// main window shows.
class LoggingPeer : public PeerProcess {
public:
    LoggingPeer(const std::string& program, std::vector<std::string> arguments, const char* windowClass,
                const char* caption = nullptr) {
        Launch(program, std::move(arguments), windowClass, caption);
    }

    // Its main window, or nullptr when it did not show.
    [[nodiscard]] HWND MainWindow() const { return m_main; }
    [[nodiscard]] std::vector<std::string> LogLines() const { return testing::ReadLines(File("peer.log")); }
    // The log lines that contain `text`, counted now.
    [[nodiscard]] std::size_t LogCount(const std::string& text) const;
    // Waits for a log line that contains `text`.
    [[nodiscard]] bool WaitForLog(const std::string& text, int timeoutMs = 10000) const;

protected:
    LoggingPeer() = default;
    void Launch(const std::string& program, std::vector<std::string> arguments, const char* windowClass,
                const char* caption);

private:
    HWND m_main = nullptr;
};

// The simulated voice client playing a scenario; `extraArguments` go after the scenario and
// log arguments ("--hold", "--no-command-12").
class Ts2SimRun : public LoggingPeer {
public:
    explicit Ts2SimRun(const std::string& scenarioText, const std::vector<std::string>& extraArguments = {});

    // Applies the next events of the scenario; the number applied.
    int Step() const;
};

// A simulated voice client that serves 127.0.0.1:port (ts3sim.exe, ts5sim.exe) playing a
// scenario in real time, logging to "peer.log" in its folder ("< " messages received, "> "
// sent, "* " scenario events and notes); the constructor waits until it listens.
// `extraArguments` go after the others.
class ScenarioServerRun : public LoggingPeer {
public:
    ScenarioServerRun(const std::string& program, const std::string& scenarioText, unsigned port,
                      const std::vector<std::string>& extraArguments);
    [[nodiscard]] bool Listening() const { return m_listening; }

private:
    bool m_listening = false;
};

// A tower frequency whose round repeats (a word, someone joining and leaving), so that every
// step is there to be seen whenever Sayvane is ready: for the scenario servers below. The
// newcomer speaks at once, which makes Sayvane read the players then and there; once gone, he
// stays away longer than Sayvane's periodic reading of them.
inline constexpr char kRepeatingTowerRound[] =
    "0 server \"IVAO Test\"\n"
    "0 nickname EDDF_TWR\n"
    "0 channel 1 Lobby flags=32\n"
    "0 channel 2 \"Frankfurt Tower\"\n"
    "0 join EDDF_TWR channel=2\n"
    "0 join DLH4AB channel=2\n"
    "1000 speak DLH4AB\n"
    "+1500 silence\n"
    "+500 join AFR7731 channel=2\n"
    "+0 speak AFR7731\n"
    "+1000 silence\n"
    "+500 leave AFR7731\n"
    "+8500 loop 1000\n";

// The simulated TeamSpeak 3 client and its query interface ("--refuse-key").
class Ts3SimRun : public ScenarioServerRun {
public:
    Ts3SimRun(const std::string& scenarioText, unsigned port, const std::vector<std::string>& extraArguments = {})
        : ScenarioServerRun("ts3sim.exe", scenarioText, port, extraArguments) {}
};

// The simulated TeamSpeak 5/6 client and its Remote Apps ("--decline", "--known-key KEY").
class Ts5SimRun : public ScenarioServerRun {
public:
    Ts5SimRun(const std::string& scenarioText, unsigned port, const std::vector<std::string>& extraArguments = {})
        : ScenarioServerRun("ts5sim.exe", scenarioText, port, extraArguments) {}
};

}  // namespace sayvane::e2e
