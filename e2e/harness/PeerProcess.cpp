// A program built beside the tests, started with arguments and ended with the object; the
// simulated voice client and radar, watched through their windows and logs.
#include "harness/PeerProcess.h"

#include <algorithm>

#include "common/Ts2SimControl.h"

namespace sayvane::e2e {

namespace {

// One command-line argument as the C runtime's parser gives it back: quoted when it holds
// blanks. The arguments of the tests hold no quotes and end in no backslash, which would
// need escaping.
std::string QuoteArgument(const std::string& argument) {
    return argument.empty() || argument.find_first_of(" \t") != std::string::npos ? "\"" + argument + "\"" : argument;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    return owner;
}

}  // namespace

std::vector<HWND> Windows(HWND parent) {
    std::vector<HWND> windows;
    if (parent == nullptr) {
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    } else {
        EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    }
    return windows;
}

std::string FolderOfThisProgram() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return condition();
        }
        Sleep(5);
    }
}

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, bool visibleOnly) {
    for (HWND hwnd : Windows()) {
        char buffer[256] = {};
        if (ProcessOf(hwnd) != processId || (visibleOnly && !IsWindowVisible(hwnd)) ||
            GetClassNameA(hwnd, buffer, sizeof buffer) == 0 || lstrcmpA(buffer, className) != 0) {
            continue;
        }
        if (caption != nullptr) {
            GetWindowTextA(hwnd, buffer, sizeof buffer);
            if (lstrcmpA(buffer, caption) != 0) {
                continue;
            }
        }
        return hwnd;
    }
    return nullptr;
}

std::string WindowText(HWND hwnd) {
    const auto length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto copied = SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

bool WaitForText(HWND hwnd, const std::string& part, int timeoutMs) {
    return WaitUntil([&] { return WindowText(hwnd).find(part) != std::string::npos; }, timeoutMs);
}

bool PeerProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder) {
    const std::string path = program.find('\\') == std::string::npos ? FolderOfThisProgram() + "\\" + program : program;
    std::string commandLine = QuoteArgument(path);
    for (const std::string& argument : arguments) {
        commandLine += " " + QuoteArgument(argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        (folder.empty() ? Folder() : folder).c_str(), &startup, &m_process)) {
        m_process = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

PeerProcess::~PeerProcess() {
    if (m_process.hProcess != nullptr) {
        Terminate();
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

std::optional<DWORD> PeerProcess::WaitForExit(int timeoutMs) const {
    DWORD code = 0;
    if (m_process.hProcess == nullptr ||
        WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(m_process.hProcess, &code)) {
        return std::nullopt;
    }
    return code;
}

bool PeerProcess::Close(int timeoutMs) {
    if (!Running()) {
        return true;
    }
    // Its visible windows without owner; owned windows go with their owners.
    for (HWND hwnd : Windows()) {
        if (ProcessOf(hwnd) == m_process.dwProcessId && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        }
    }
    if (WaitForExit(timeoutMs)) {
        return true;
    }
    Terminate();
    return false;
}

void PeerProcess::Terminate() {
    if (Running()) {
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
}

void LoggingPeer::Launch(const std::string& program, std::vector<std::string> arguments, const char* windowClass,
                         const char* caption) {
    arguments.insert(arguments.end(), {"--log", File("peer.log")});
    if (Start(program, arguments)) {
        m_main = WaitForWindow(windowClass, caption);
    }
}

std::size_t LoggingPeer::LogCount(const std::string& text) const {
    const std::vector<std::string> lines = LogLines();
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

bool LoggingPeer::WaitForLog(const std::string& text, int timeoutMs) const {
    return WaitUntil([&] { return LogCount(text) > 0; }, timeoutMs);
}

Ts2SimRun::Ts2SimRun(const std::string& scenarioText, const std::vector<std::string>& extraArguments) {
    testing::WriteBytes(File("scenario.txt"), scenarioText);
    std::vector<std::string> arguments{"--scenario", File("scenario.txt")};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    Launch("ts2sim.exe", std::move(arguments), "TMainForm", "TeamSpeak 2");
}

int Ts2SimRun::Step() const {
    DWORD_PTR applied = 0;
    SendMessageTimeoutA(MainWindow(), peers::kTs2SimStep, 0, 0, SMTO_ABORTIFHUNG, 5000, &applied);
    return static_cast<int>(applied);
}

ScenarioServerRun::ScenarioServerRun(const std::string& program, const std::string& scenarioText, unsigned port,
                                     const std::vector<std::string>& extraArguments) {
    testing::WriteBytes(File("scenario.txt"), scenarioText);
    std::vector<std::string> arguments{"--scenario", File("scenario.txt"), "--port", std::to_string(port),
                                       "--log",      File("peer.log")};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    m_listening = Start(program, arguments) && WaitForLog("listening on");
}

}  // namespace sayvane::e2e
