// The TeamSpeak link: library calls, status mapping and the replacement of the snapshots.
#include "teamspeak/TeamSpeakLink.h"

#include <algorithm>
#include <array>

namespace sayvane {
namespace {

// A count from the library limited to what the buffers hold, so a library that reports
// more than it was asked for (or a negative count) never makes us read past them.
std::size_t ClampCount(std::int32_t count) {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(count, 0, kMaxRecords));
}

constexpr std::size_t kErrorTextSize = 1024;

}  // namespace

LinkStatus TeamSpeakLink::GetSpeakers() {
    m_speakers.assign(static_cast<std::size_t>(kMaxRecords), 0);
    if (!m_api.IsAvailable()) {
        return LinkStatus::NotRunning;
    }
    std::int32_t count = kMaxRecords;
    const std::int32_t result = m_api.tsrGetSpeakers(m_speakers.data(), &count);
    if (result != 0) {
        ReportTSError();
        switch (result) {
            case kTsNotRunning: return LinkStatus::NotRunning;
            case kTsNotConnected: return LinkStatus::Running;
            default: return LinkStatus::Unknown;
        }
    }
    // No speaker keeps all 1024 zero IDs rather than an empty list: the refresh cycle
    // relies on that last index.
    const std::size_t speakers = ClampCount(count);
    if (speakers > 0) {
        m_speakers.resize(speakers);
    }
    return LinkStatus::Connected;
}

bool TeamSpeakLink::GetChannels() {
    if (!m_api.IsAvailable()) {
        return false;
    }
    std::vector<std::uint8_t> records(static_cast<std::size_t>(kMaxRecords) * RawChannelRecord::kSize, 0);
    std::int32_t count = kMaxRecords;
    if (m_api.tsrGetChannels(records.data(), &count) != 0) {
        ReportTSError();
        return false;
    }
    ChannelSnapshot channels;
    const std::size_t total = ClampCount(count);
    channels.reserve(total);
    for (std::size_t i = 0; i < total; ++i) {
        channels.push_back(DecodeChannelRecord(records.data() + i * RawChannelRecord::kSize));
    }
    m_channels = std::move(channels);
    return true;
}

bool TeamSpeakLink::GetPlayers() {
    if (!m_api.IsAvailable()) {
        return false;
    }
    std::vector<std::uint8_t> records(static_cast<std::size_t>(kMaxRecords) * RawPlayerRecord::kSize, 0);
    std::int32_t count = kMaxRecords;
    if (m_api.tsrGetPlayers(records.data(), &count) != 0) {
        ReportTSError();
        return false;
    }
    PlayerSnapshot players;
    const std::size_t total = ClampCount(count);
    players.reserve(total);
    for (std::size_t i = 0; i < total; ++i) {
        players.push_back(DecodePlayerRecord(records.data() + i * RawPlayerRecord::kSize));
    }
    m_players = std::move(players);
    return true;
}

std::string TeamSpeakLink::GetUserNickname() {
    if (!m_api.IsAvailable()) {
        return {};
    }
    std::array<std::uint8_t, UserInfoRecord::kSize> record{};
    if (m_api.tsrGetUserInfo(record.data()) != 0) {
        ReportTSError();
        return {};
    }
    return DecodeName(record.data() + UserInfoRecord::kNickname);
}

void TeamSpeakLink::ReportTSError() {
    if (!m_api.IsAvailable()) {
        return;
    }
    std::array<char, kErrorTextSize> text{};
    static_cast<void>(m_api.tsrGetLastError(text.data(), static_cast<std::int32_t>(text.size())));
}

}  // namespace sayvane
