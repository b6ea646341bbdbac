// The remote-control library's calls answered from what a voice client told about its server
// tabs: the common part of the links to clients that report their servers themselves
// (TeamSpeak 3's query interface, TeamSpeak 5/6's Remote Apps). Every call first lets the
// link's conversation move on, then writes the active tab as TeamSpeak 2's library would.
#pragma once

#include <cstdint>
#include <string>

#include "platform/TsRemoteApi.h"
#include "teamspeak/ServerTabs.h"

namespace sayvane {

class TabsLink : public TsRemoteApi {
public:
    // Moves the conversation on without waiting: connects, reads what arrived, sends what
    // waits. Every library call below does it first.
    virtual void Pump() = 0;
    // A number that grows whenever what the library calls answer may have changed: whether a
    // server is shown, or the active tab's clients, channels, talkers or own client (a change
    // of the result since the last call is counted then).
    [[nodiscard]] std::uint64_t Changes();

    bool IsAvailable() override { return true; }
    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) final;
    std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) final;
    std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) final;
    std::int32_t tsrGetUserInfo(std::uint8_t* record) final;
    // Why the last connection ended, in words.
    std::int32_t tsrGetLastError(char* buffer, std::int32_t size) final;

protected:
    TabsLink() = default;

    [[nodiscard]] virtual ServerTabs& Tabs() = 0;
    // 0 when the active tab is connected and known; else kTsNotRunning (nothing to talk to)
    // or kTsNotConnected (the client runs, no server is shown).
    [[nodiscard]] virtual std::int32_t SnapshotResult() const = 0;
    // The overlay read the players (it does so for its periodic snapshots).
    virtual void PlayersRead() {}

    std::string m_lastError;

private:
    std::int32_t m_result = 0;  // SnapshotResult at the last Changes
    std::uint64_t m_resultChanges = 0;
};

}  // namespace sayvane
