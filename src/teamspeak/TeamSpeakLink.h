// The TeamSpeak link: the five library calls wrapped into the process-wide speaker, player
// and channel snapshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/TsRemoteApi.h"
#include "teamspeak/TsRecords.h"

namespace sayvane {

// Entries in the library's order, indexed from 0.
using ChannelSnapshot = std::vector<ChannelEntry>;
using PlayerSnapshot = std::vector<PlayerEntry>;
using SpeakerSnapshot = std::vector<std::int32_t>;

// The index of the last element; -1 for an empty list.
template <typename T>
[[nodiscard]] int LastIndex(const std::vector<T>& list) {
    return static_cast<int>(list.size()) - 1;
}

// What GetSpeakers learnt about the link, with the values the rest of the program stores.
enum class LinkStatus : std::int32_t {
    Unknown = -1,    // any other failure
    NotRunning = 0,  // no voice client runs (or the library is absent)
    Running = 1,     // the client runs but is not connected to a server
    Connected = 2,   // connected: the speaker snapshot was taken
};

// Library results with a meaning of their own.
inline constexpr std::int32_t kTsNotRunning = -1000;
inline constexpr std::int32_t kTsNotConnected = -1;

// One per process: WinMain makes it, tests make their own. Runs on the GUI thread only.
class TeamSpeakLink {
public:
    explicit TeamSpeakLink(TsRemoteApi& api) : m_api(api) {}
    TeamSpeakLink(const TeamSpeakLink&) = delete;
    TeamSpeakLink& operator=(const TeamSpeakLink&) = delete;
    TeamSpeakLink(TeamSpeakLink&&) = delete;
    TeamSpeakLink& operator=(TeamSpeakLink&&) = delete;
    ~TeamSpeakLink() = default;

    // Takes the speaker snapshot. It is meaningful only after Connected; a successful call
    // that reports no speaker leaves 1024 IDs of 0 (last index 1023), which consumers skip.
    LinkStatus GetSpeakers();

    // Replace their snapshot on success (true); leave it as it was on failure (false).
    [[nodiscard]] bool GetChannels();
    [[nodiscard]] bool GetPlayers();

    // The nickname the own client is logged in with, or empty text on failure.
    [[nodiscard]] std::string GetUserNickname();

    // Asks the library for its last error text and drops it: nothing shows or keeps it.
    void ReportTSError();

    [[nodiscard]] const ChannelSnapshot& Channels() const { return m_channels; }
    [[nodiscard]] const PlayerSnapshot& Players() const { return m_players; }
    [[nodiscard]] const SpeakerSnapshot& Speakers() const { return m_speakers; }

private:
    TsRemoteApi& m_api;
    ChannelSnapshot m_channels;
    PlayerSnapshot m_players;
    SpeakerSnapshot m_speakers;
};

}  // namespace sayvane
