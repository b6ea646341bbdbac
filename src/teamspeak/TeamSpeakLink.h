// TeamSpeak 2 through its remote-control library: the five library calls wrapped into the
// speaker, player and channel snapshots the overlay reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TsRemoteApi.h"
#include "teamspeak/TsRecords.h"
#include "teamspeak/VoicePort.h"

namespace sayvane {

// Entries in the library's order, indexed from 0.
using ChannelSnapshot = std::vector<ChannelEntry>;
using PlayerSnapshot = std::vector<PlayerEntry>;

// Library results with a meaning of their own.
inline constexpr std::int32_t kTsNotRunning = -1000;
inline constexpr std::int32_t kTsNotConnected = -1;

// The records of the last successful call of one kind, kept as the library wrote them: a
// refill that brings the same bytes changes nothing, and nothing is decoded until read.
class RecordSet {
public:
    explicit RecordSet(std::size_t recordSize);

    // A zeroed buffer with room for kMaxRecords records, for the next call to write.
    [[nodiscard]] std::uint8_t* Fresh();
    // Takes the first `count` records of the buffer Fresh gave; the revision changes only
    // when they differ from the records held before, and Edits then tells how.
    void Accept(std::size_t count);

    [[nodiscard]] std::size_t Count() const { return m_count; }
    [[nodiscard]] const std::uint8_t* Record(std::size_t index) const {
        return m_current.data() + index * m_recordSize;
    }
    [[nodiscard]] std::uint64_t Revision() const { return m_revision; }
    // How the records of the revision before became these.
    [[nodiscard]] const ListEdits& Edits() const { return m_edits; }

private:
    std::size_t m_recordSize;
    ListEdits m_edits;       // of the last change
    ListEdits m_comparison;  // of the last call
    std::vector<std::uint8_t> m_current;
    std::vector<std::uint8_t> m_fresh;
    std::size_t m_count = 0;
    std::uint64_t m_revision = 0;
};

// One per process: WinMain makes it, tests make their own. Runs on the GUI thread only.
class TeamSpeakLink final : public VoicePort {
public:
    explicit TeamSpeakLink(TsRemoteApi& api) : m_api(api) {}

    // Takes the speaker snapshot: a successful call that reports no speaker leaves 1024 IDs
    // of 0, as the library's buffer holds them.
    LinkStatus GetSpeakers() override;
    [[nodiscard]] const SpeakerSnapshot& Speakers() const override { return m_speakers; }

    // Replace their snapshot on success (true); leave it as it was on failure (false). A
    // success that brings the same records as before leaves the snapshot, and its revision,
    // as they were.
    [[nodiscard]] bool GetChannels() override;
    [[nodiscard]] bool GetPlayers() override;

    // The nickname the own client is logged in with, or empty text on failure.
    [[nodiscard]] std::string GetUserNickname() override;

    // Asks the library for its last error text and drops it: nothing shows or keeps it.
    void ReportTSError();

    // The snapshots' fields the overlay reads, straight from the records: names are the
    // library's 30-byte fields.
    [[nodiscard]] std::size_t ChannelCount() const override { return m_channelRecords.Count(); }
    [[nodiscard]] std::int32_t ChannelId(std::size_t index) const override;
    [[nodiscard]] std::string_view ChannelName(std::size_t index) const override;
    [[nodiscard]] std::size_t PlayerCount() const override { return m_playerRecords.Count(); }
    [[nodiscard]] std::int32_t PlayerId(std::size_t index) const override;
    [[nodiscard]] std::int32_t PlayerChannelId(std::size_t index) const override;
    [[nodiscard]] std::string_view PlayerName(std::size_t index) const override;
    [[nodiscard]] std::uint64_t ChannelsRevision() const override { return m_channelRecords.Revision(); }
    [[nodiscard]] std::uint64_t PlayersRevision() const override { return m_playerRecords.Revision(); }
    [[nodiscard]] const ListEdits& PlayerEdits() const override { return m_playerRecords.Edits(); }

    // The library missing, TeamSpeak 2 not running, running without a server, or connected
    // (as whom).
    [[nodiscard]] std::string StatusLine(std::string_view programFolder) override;

    // The snapshots decoded whole, texts of the bit fields included: made when first read
    // after a change, for whoever looks at every field.
    [[nodiscard]] const ChannelSnapshot& Channels() const;
    [[nodiscard]] const PlayerSnapshot& Players() const;

private:
    // One call for a snapshot's records; false on failure (the records stay as they were).
    bool Refill(RecordSet& records, std::int32_t (TsRemoteApi::*call)(std::uint8_t*, std::int32_t*));

    TsRemoteApi& m_api;
    RecordSet m_channelRecords{RawChannelRecord::kSize};
    RecordSet m_playerRecords{RawPlayerRecord::kSize};
    SpeakerSnapshot m_speakers;
    mutable ChannelSnapshot m_channels;
    mutable PlayerSnapshot m_players;
    mutable std::uint64_t m_channelsDecoded = 0;  // the revision m_channels was decoded from
    mutable std::uint64_t m_playersDecoded = 0;
};

}  // namespace sayvane
