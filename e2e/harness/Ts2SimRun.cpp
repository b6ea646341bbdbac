// Starting and watching the simulated voice client and radar.
#include "harness/Ts2SimRun.h"

#include <algorithm>

#include "common/Ts2SimControl.h"

namespace sayvane::e2e {

bool LoggingPeer::WaitForLog(const std::string& text, int timeoutMs) const {
    return WaitUntil(
        [&] {
            const std::vector<std::string> lines = LogLines();
            return std::any_of(lines.begin(), lines.end(),
                               [&](const std::string& line) { return line.find(text) != std::string::npos; });
        },
        timeoutMs);
}

std::vector<std::string> LoggingPeer::WaitForLogLines(std::size_t count, int timeoutMs) const {
    std::vector<std::string> lines;
    WaitUntil([&] { return (lines = LogLines()).size() >= count; }, timeoutMs);
    return lines;
}

Ts2SimRun::Ts2SimRun(const std::string& scenarioText, std::vector<std::string> extraArguments)
    : m_arguments{"--scenario", m_folder.File("scenario.txt"), "--log", LogFile()} {
    m_arguments.insert(m_arguments.end(), extraArguments.begin(), extraArguments.end());
    testing::WriteBytes(m_folder.File("scenario.txt"), scenarioText);
}

bool Ts2SimRun::Start(int timeoutMs) {
    if (!PeerProcess::Start("ts2sim.exe", m_arguments, m_folder.Path().string())) {
        return false;
    }
    m_main = WaitForWindow("TMainForm", "TeamSpeak 2", timeoutMs);
    return m_main != nullptr;
}

int Ts2SimRun::Step() const {
    DWORD_PTR applied = 0;
    SendMessageTimeoutA(m_main, peers::kTs2SimStep, 0, 0, SMTO_ABORTIFHUNG, 5000, &applied);
    return static_cast<int>(applied);
}

IvAcSimRun::IvAcSimRun(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--log", LogFile()});
    if (PeerProcess::Start("ivacsim.exe", arguments, m_folder.Path().string())) {
        m_radar = WaitForWindow("IvAcSimRadar");
    }
}

}  // namespace sayvane::e2e
