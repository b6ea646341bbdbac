// The TeamSpeak link: library calls, status mapping and the replacement of the snapshots.
#include "teamspeak/TeamSpeakLink.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sayvane {
namespace {

// A count from the library limited to what the buffers hold, so a library that reports
// more than it was asked for (or a negative count) never makes us read past them.
std::size_t ClampCount(std::int32_t count) {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(count, 0, kMaxRecords));
}

constexpr std::size_t kErrorTextSize = 1024;
// The library's speaker buffer is the silent reading.
static_assert(kSilentSpeakerIds == static_cast<std::size_t>(kMaxRecords));

// Every record decoded, kept until the records change.
template <typename Entry>
const std::vector<Entry>& DecodedWhole(const RecordSet& records, Entry (*decode)(const std::uint8_t*),
                                       std::vector<Entry>& decoded, std::uint64_t& decodedRevision) {
    if (decodedRevision != records.Revision()) {
        decoded.clear();
        for (std::size_t i = 0; i < records.Count(); ++i) {
            decoded.push_back(decode(records.Record(i)));
        }
        decodedRevision = records.Revision();
    }
    return decoded;
}

}  // namespace

RecordSet::RecordSet(std::size_t recordSize)
    : m_recordSize(recordSize),
      m_current(static_cast<std::size_t>(kMaxRecords) * recordSize),
      m_fresh(static_cast<std::size_t>(kMaxRecords) * recordSize) {}

std::uint8_t* RecordSet::Fresh() {
    // Zeroed every time: records a library counts but does not write read as zeros.
    std::fill(m_fresh.begin(), m_fresh.end(), std::uint8_t{0});
    return m_fresh.data();
}

void RecordSet::Accept(std::size_t count) {
    const std::uint8_t* before = m_current.data();
    const std::uint8_t* after = m_fresh.data();
    const std::size_t size = m_recordSize;
    CompareLists(
        m_count, count,
        [&](std::size_t i, std::size_t j, std::size_t records) {
            return std::memcmp(before + i * size, after + j * size, records * size) == 0;
        },
        m_comparison);
    if (KeepsAll(m_comparison)) {
        return;  // the same records: the edits of the last change still stand
    }
    m_edits.swap(m_comparison);
    m_current.swap(m_fresh);
    m_count = count;
    ++m_revision;
}

LinkStatus TeamSpeakLink::GetSpeakers() {
    m_speakers.assign(kSilentSpeakerIds, 0);
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

bool TeamSpeakLink::Refill(RecordSet& records, std::int32_t (TsRemoteApi::*call)(std::uint8_t*, std::int32_t*)) {
    if (!m_api.IsAvailable()) {
        return false;
    }
    std::int32_t count = kMaxRecords;
    if ((m_api.*call)(records.Fresh(), &count) != 0) {
        ReportTSError();
        return false;
    }
    records.Accept(ClampCount(count));
    return true;
}

bool TeamSpeakLink::GetChannels() {
    return Refill(m_channelRecords, &TsRemoteApi::tsrGetChannels);
}

bool TeamSpeakLink::GetPlayers() {
    return Refill(m_playerRecords, &TsRemoteApi::tsrGetPlayers);
}

std::int32_t TeamSpeakLink::ChannelId(std::size_t index) const {
    return BytesToLong(m_channelRecords.Record(index) + RawChannelRecord::kChannelId);
}

std::string_view TeamSpeakLink::ChannelName(std::size_t index) const {
    return NameView(m_channelRecords.Record(index) + RawChannelRecord::kName);
}

std::int32_t TeamSpeakLink::PlayerId(std::size_t index) const {
    return BytesToLong(m_playerRecords.Record(index) + RawPlayerRecord::kPlayerId);
}

std::int32_t TeamSpeakLink::PlayerChannelId(std::size_t index) const {
    return BytesToLong(m_playerRecords.Record(index) + RawPlayerRecord::kChannelId);
}

std::string_view TeamSpeakLink::PlayerName(std::size_t index) const {
    return NameView(m_playerRecords.Record(index) + RawPlayerRecord::kName);
}

const ChannelSnapshot& TeamSpeakLink::Channels() const {
    return DecodedWhole(m_channelRecords, DecodeChannelRecord, m_channels, m_channelsDecoded);
}

const PlayerSnapshot& TeamSpeakLink::Players() const {
    return DecodedWhole(m_playerRecords, DecodePlayerRecord, m_players, m_playersDecoded);
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

std::string TeamSpeakLink::StatusLine(std::string_view programFolder) {
    if (!m_api.IsAvailable()) {
        return "TSRemote.dll not found: Sayvane looked in " + std::string(programFolder) + " and on the system path";
    }
    switch (GetSpeakers()) {
        case LinkStatus::NotRunning: return "TeamSpeak 2 is not running";
        case LinkStatus::Running: return "TeamSpeak 2 runs, without a server connection";
        case LinkStatus::Connected: {
            const std::string nickname = GetUserNickname();
            return "TeamSpeak 2 is connected" + (nickname.empty() ? std::string() : " (as " + nickname + ")");
        }
        case LinkStatus::Unknown: break;
    }
    return "TeamSpeak 2 answers with an error";
}

void TeamSpeakLink::ReportTSError() {
    if (!m_api.IsAvailable()) {
        return;
    }
    std::array<char, kErrorTextSize> text{};
    static_cast<void>(m_api.tsrGetLastError(text.data(), static_cast<std::int32_t>(text.size())));
}

}  // namespace sayvane
