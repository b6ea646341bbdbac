// A helper program built beside the tests, started with arguments and ended with the object.
#include "harness/PeerProcess.h"

#include "harness/SayvaneRun.h"

namespace sayvane::e2e {

namespace {

// Asks the process's visible top-level windows without owner to close; owned windows go with
// their owners.
BOOL CALLBACK CloseMainWindow(HWND hwnd, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == static_cast<DWORD>(processId) && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

}  // namespace

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    // Backslashes double only where a quote follows them (an inner one or the closing one).
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

PeerProcess::PeerProcess(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string path = FolderOfThisProgram() + "\\" + program;
    std::string commandLine = QuoteArgument(path);
    for (const std::string& argument : arguments) {
        commandLine += " " + QuoteArgument(argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &m_process)) {
        m_process = PROCESS_INFORMATION{};
    }
}

PeerProcess::~PeerProcess() {
    if (m_process.hProcess != nullptr) {
        Close();
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
}

bool PeerProcess::Running() const {
    return m_process.hProcess != nullptr && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

HWND PeerProcess::WaitForWindow(const char* className, const char* caption, int timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProcessWindow(ProcessId(), className, caption)) != nullptr; }, timeoutMs);
    return found;
}

bool PeerProcess::Close(int timeoutMs) {
    if (!Running()) {
        return true;
    }
    EnumWindows(CloseMainWindow, static_cast<LPARAM>(m_process.dwProcessId));
    if (WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0) {
        return true;
    }
    TerminateProcess(m_process.hProcess, 99);
    WaitForSingleObject(m_process.hProcess, 5000);
    return false;
}

}  // namespace sayvane::e2e
