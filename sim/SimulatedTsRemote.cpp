// The in-memory remote-control library: each call logged, then served by the TsServer.
#include "sim/SimulatedTsRemote.h"

namespace sayvane::sim {
namespace {

const std::string kAbsentText = "TSRemote.dll is not loaded";

}  // namespace

std::int32_t SimulatedTsRemote::Finish(std::int32_t result, const std::string& errorText) {
    if (result != 0) {
        m_lastError = errorText;
    }
    return result;
}

std::int32_t SimulatedTsRemote::tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) {
    m_calls.emplace_back("tsrGetSpeakers");
    if (m_absent) {
        return Finish(kResultNotRunning, kAbsentText);
    }
    std::string error;
    const std::int32_t result = m_server.ServeSpeakers(ids, count, error);
    return Finish(result, error);
}

std::int32_t SimulatedTsRemote::tsrGetPlayers(std::uint8_t* records, std::int32_t* count) {
    m_calls.emplace_back("tsrGetPlayers");
    if (m_absent) {
        return Finish(kResultNotRunning, kAbsentText);
    }
    std::string error;
    const std::int32_t result = m_server.ServePlayers(records, count, error);
    return Finish(result, error);
}

std::int32_t SimulatedTsRemote::tsrGetChannels(std::uint8_t* records, std::int32_t* count) {
    m_calls.emplace_back("tsrGetChannels");
    if (m_absent) {
        return Finish(kResultNotRunning, kAbsentText);
    }
    std::string error;
    const std::int32_t result = m_server.ServeChannels(records, count, error);
    return Finish(result, error);
}

std::int32_t SimulatedTsRemote::tsrGetUserInfo(std::uint8_t* record) {
    m_calls.emplace_back("tsrGetUserInfo");
    if (m_absent) {
        return Finish(kResultNotRunning, kAbsentText);
    }
    std::string error;
    const std::int32_t result = m_server.ServeUserInfo(record, error);
    return Finish(result, error);
}

std::int32_t SimulatedTsRemote::tsrGetLastError(char* buffer, std::int32_t size) {
    m_calls.emplace_back("tsrGetLastError");
    CopyErrorText(m_lastError, buffer, size);
    return 0;
}

}  // namespace sayvane::sim
