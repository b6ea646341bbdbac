// A helper program built beside the tests (a peer such as ivacsim, or a fixture), started
// with arguments and ended, with everything it opened, when the object goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sayvane::e2e {

class PeerProcess {
public:
    // Starts `program` (a file name next to the test program, such as "ivacsim.exe").
    // Running() tells whether that worked.
    PeerProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    [[nodiscard]] bool Running() const;
    [[nodiscard]] DWORD ProcessId() const { return m_process.dwProcessId; }

    // Its first visible top-level window of this class (and caption), or nullptr after the
    // timeout.
    HWND WaitForWindow(const char* className, const char* caption = nullptr, int timeoutMs = 10000) const;

    // Asks its windows to close (WM_CLOSE) and waits for the process to end; after the
    // timeout it is terminated. True when it ended by itself.
    bool Close(int timeoutMs = 5000);

private:
    PROCESS_INFORMATION m_process{};
};

// One command-line argument quoted so that the C runtime's parser gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

}  // namespace sayvane::e2e
