// The in-memory remote-control library: each call logged, then served by the TsServer.
#include "sim/SimulatedTsRemote.h"

#include <algorithm>
#include <cstring>

namespace sayvane::sim {
namespace {

const std::string kAbsentText = "TSRemote.dll is not loaded";

constexpr std::size_t kRecordSize = 50;
constexpr std::size_t kUserInfoSize = 150;
constexpr std::int32_t kMostRecords = 1024;

// Copies as many of the image's records as the caller has room for.
std::int32_t ServeImage(const std::vector<std::uint8_t>& image, std::uint8_t* records, std::int32_t* count) {
    const std::size_t capacity = *count > 0 ? static_cast<std::size_t>(*count) : 0;
    const std::size_t written = std::min(image.size() / kRecordSize, capacity);
    std::memcpy(records, image.data(), written * kRecordSize);
    *count = static_cast<std::int32_t>(written);
    return 0;
}

}  // namespace

void SimulatedTsRemote::Publish() {
    std::int32_t count = kMostRecords;
    std::string error;
    m_playerImage.assign(static_cast<std::size_t>(kMostRecords) * kRecordSize, 0);
    m_published = m_server.ServePlayers(m_playerImage.data(), &count, error) == 0;
    m_playerImage.resize(static_cast<std::size_t>(std::max(count, 0)) * kRecordSize);
    count = kMostRecords;
    m_channelImage.assign(static_cast<std::size_t>(kMostRecords) * kRecordSize, 0);
    m_published = m_published && m_server.ServeChannels(m_channelImage.data(), &count, error) == 0;
    m_channelImage.resize(static_cast<std::size_t>(std::max(count, 0)) * kRecordSize);
    m_userImage.assign(kUserInfoSize, 0);
    m_published = m_published && m_server.ServeUserInfo(m_userImage.data(), error) == 0;
}

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
    if (m_published && records != nullptr && count != nullptr) {
        return ServeImage(m_playerImage, records, count);
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
    if (m_published && records != nullptr && count != nullptr) {
        return ServeImage(m_channelImage, records, count);
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
    if (m_published && record != nullptr) {
        std::memcpy(record, m_userImage.data(), m_userImage.size());
        return 0;
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
