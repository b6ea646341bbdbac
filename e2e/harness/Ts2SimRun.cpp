// Starting and watching the simulated voice client.
#include "harness/Ts2SimRun.h"

#include "common/Ts2SimControl.h"
#include "harness/SayvaneRun.h"

namespace sayvane::e2e {

Ts2SimRun::Ts2SimRun(const std::string& scenarioText, std::string extraArguments)
    : m_arguments(std::move(extraArguments)) {
    testing::WriteBytes(m_folder.File("scenario.txt"), scenarioText);
}

Ts2SimRun::~Ts2SimRun() {
    if (m_process.hProcess != nullptr) {
        if (!Close(5000)) {
            TerminateProcess(m_process.hProcess, 99);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
}

bool Ts2SimRun::Start(int timeoutMs) {
    const std::string exe = FolderOfThisProgram() + "\\ts2sim.exe";
    std::string commandLine = "\"" + exe + "\" --scenario \"" + m_folder.File("scenario.txt") + "\" --log \"" +
                              m_folder.File("ts2sim.log") + "\" " + m_arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const std::string folder = m_folder.Path().string();
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &m_process)) {
        return false;
    }
    WaitUntil([&] { return (m_main = FindProcessWindow(ProcessId(), "TMainForm", "TeamSpeak 2")) != nullptr; },
              timeoutMs);
    return m_main != nullptr;
}

std::vector<std::string> Ts2SimRun::LogLines() const {
    return testing::ReadLines(m_folder.File("ts2sim.log"));
}

bool Ts2SimRun::WaitForLog(const std::string& text, int timeoutMs) const {
    return WaitUntil(
        [&] {
            for (const std::string& line : LogLines()) {
                if (line.find(text) != std::string::npos) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

int Ts2SimRun::Step() const {
    DWORD_PTR applied = 0;
    SendMessageTimeoutA(m_main, peers::kTs2SimStep, 0, 0, SMTO_ABORTIFHUNG, 5000, &applied);
    return static_cast<int>(applied);
}

std::optional<DWORD> Ts2SimRun::Close(int timeoutMs) {
    if (m_process.hProcess == nullptr) {
        return std::nullopt;
    }
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT && m_main != nullptr) {
        PostMessageA(m_main, WM_CLOSE, 0, 0);
    }
    return WaitForExit(timeoutMs);
}

std::optional<DWORD> Ts2SimRun::WaitForExit(int timeoutMs) const {
    return WaitForProcessExit(m_process.hProcess, timeoutMs);
}

}  // namespace sayvane::e2e
