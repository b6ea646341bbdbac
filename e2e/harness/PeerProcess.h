// A program built beside the tests (Sayvane.exe, a peer such as ivacsim, or a fixture) started
// with arguments, watched through its windows and ended, with everything it opened, when the
// object goes; and the polling every wait of the harness is made of: none sleeps a fixed time.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sayvane::e2e {

// The folder of the running test program; Sayvane.exe and the peers are built beside it.
std::string FolderOfThisProgram();

// Polls `condition` every 5 ms until it holds (true) or `timeoutMs` has passed (false).
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// A top-level window of a process with the given class (and caption, when given); only a
// visible one unless `visibleOnly` is false.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption = nullptr, bool visibleOnly = true);

// A window's text, read with WM_GETTEXT as works across processes.
std::string WindowText(HWND hwnd);

class PeerProcess {
public:
    PeerProcess() = default;
    // Starts at once; Running() tells whether that worked.
    PeerProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder = {}) {
        Start(program, arguments, folder);
    }
    // Asks it to close, as Close() does.
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Starts `program` (a file name beside the test program, such as "ivacsim.exe", or a full
    // path) in `folder` (by default the test's own); false when it could not be started.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder = {});

    [[nodiscard]] bool Running() const;
    [[nodiscard]] DWORD ProcessId() const { return m_process.dwProcessId; }
    [[nodiscard]] HANDLE Handle() const { return m_process.hProcess; }

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
    PROCESS_INFORMATION m_process{};
};

}  // namespace sayvane::e2e
