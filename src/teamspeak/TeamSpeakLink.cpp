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
    Compare(m_current.data(), m_count, m_fresh.data(), count);
    if (m_comparison.empty() || (m_comparison.size() == 1 && m_comparison.front().kind == RecordEdit::Kind::Keep)) {
        return;  // the same records: the edits of the last change still stand
    }
    m_edits.swap(m_comparison);
    m_current.swap(m_fresh);
    m_count = count;
    ++m_revision;
}

void RecordSet::Add(RecordEdit::Kind kind, std::size_t count) {
    if (!m_comparison.empty() && m_comparison.back().kind == kind) {
        m_comparison.back().count += count;
    } else {
        m_comparison.push_back(RecordEdit{kind, count});
    }
}

// Walks both lists in order: runs of equal records are found a block at a time; where they
// part, one record left, one joined, or one changed, whichever makes the next ones line up.
void RecordSet::Compare(const std::uint8_t* before, std::size_t beforeCount, const std::uint8_t* after,
                        std::size_t afterCount) {
    constexpr std::size_t kBlock = 16;
    const std::size_t size = m_recordSize;
    const auto same = [&](std::size_t i, std::size_t j, std::size_t records) {
        return std::memcmp(before + i * size, after + j * size, records * size) == 0;
    };
    m_comparison.clear();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < beforeCount || j < afterCount) {
        const std::size_t most = std::min(beforeCount - i, afterCount - j);
        std::size_t run = 0;
        while (run < most) {
            const std::size_t block = std::min(kBlock, most - run);
            if (same(i + run, j + run, block)) {
                run += block;
                continue;
            }
            while (same(i + run, j + run, 1)) {
                ++run;
            }
            break;
        }
        if (run > 0) {
            Add(RecordEdit::Kind::Keep, run);
            i += run;
            j += run;
        } else if (i == beforeCount) {
            Add(RecordEdit::Kind::Make, afterCount - j);
            j = afterCount;
        } else if (j == afterCount) {
            Add(RecordEdit::Kind::Remove, beforeCount - i);
            i = beforeCount;
        } else if (i + 1 < beforeCount && same(i + 1, j, 1)) {
            Add(RecordEdit::Kind::Remove, 1);
            ++i;
        } else if (j + 1 < afterCount && same(i, j + 1, 1)) {
            Add(RecordEdit::Kind::Make, 1);
            ++j;
        } else {
            Add(RecordEdit::Kind::Remove, 1);
            Add(RecordEdit::Kind::Make, 1);
            ++i;
            ++j;
        }
    }
}

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

void TeamSpeakLink::ReportTSError() {
    if (!m_api.IsAvailable()) {
        return;
    }
    std::array<char, kErrorTextSize> text{};
    static_cast<void>(m_api.tsrGetLastError(text.data(), static_cast<std::int32_t>(text.size())));
}

}  // namespace sayvane
