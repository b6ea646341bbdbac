// The voice-client port of the clients that report their servers themselves (TeamSpeak 3's
// query interface, TeamSpeak 5/6's Remote Apps): it reads the server in the client's active
// tab from what the client told. Every reading first lets the link's conversation move on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "teamspeak/ServerTabs.h"
#include "teamspeak/VoicePort.h"

namespace sayvane {

class TabsLink : public VoicePort {
public:
    // Moves the conversation on without waiting: connects, reads what arrived, sends what
    // waits. Every reading below does it first.
    virtual void Pump() = 0;
    // A number that grows whenever what the readings answer may have changed: whether a
    // server is shown, or the active tab's clients, channels, talkers or own client (a change
    // of the status since the last call is counted then).
    [[nodiscard]] std::uint64_t Changes();

    LinkStatus GetSpeakers() override;
    [[nodiscard]] const SpeakerSnapshot& Speakers() const override { return m_speakers; }
    [[nodiscard]] bool GetChannels() override;
    [[nodiscard]] bool GetPlayers() override;
    [[nodiscard]] std::string GetUserNickname() override;

    [[nodiscard]] std::size_t ChannelCount() const override { return m_channels.size(); }
    [[nodiscard]] std::int32_t ChannelId(std::size_t index) const override { return m_channels[index].id; }
    [[nodiscard]] std::string_view ChannelName(std::size_t index) const override { return m_channels[index].name; }
    [[nodiscard]] std::size_t PlayerCount() const override { return m_players.size(); }
    [[nodiscard]] std::int32_t PlayerId(std::size_t index) const override { return m_players[index].id; }
    [[nodiscard]] std::int32_t PlayerChannelId(std::size_t index) const override { return m_players[index].channelId; }
    [[nodiscard]] std::string_view PlayerName(std::size_t index) const override { return m_players[index].nickname; }
    [[nodiscard]] std::uint64_t ChannelsRevision() const override { return m_channelsRevision; }
    [[nodiscard]] std::uint64_t PlayersRevision() const override { return m_playersRevision; }
    [[nodiscard]] const ListEdits& PlayerEdits() const override { return m_playerEdits; }

protected:
    TabsLink() = default;

    [[nodiscard]] virtual ServerTabs& Tabs() = 0;
    // Connected when the active tab is connected and known; else NotRunning (nothing to talk
    // to) or Running (the client runs, no server is shown).
    [[nodiscard]] virtual LinkStatus Status() const = 0;
    // The overlay read the players (it does so for its periodic snapshots).
    virtual void PlayersRead() {}

private:
    SpeakerSnapshot m_speakers;
    // The last readings of the active tab: its channels, and its clients with the own first.
    std::vector<TabChannel> m_channels;
    std::vector<TabClient> m_players;
    std::uint64_t m_channelsRevision = 0;
    std::uint64_t m_playersRevision = 0;
    ListEdits m_playerEdits;                       // of the last change
    ListEdits m_comparison;                        // of the last reading, players or channels
    LinkStatus m_status = LinkStatus::NotRunning;  // Status at the last Changes
    std::uint64_t m_statusChanges = 0;
};

}  // namespace sayvane
