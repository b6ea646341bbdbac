// A TeamSpeak server of a chosen size behind the simulated overlay, brought to the steady
// state of a busy evening, and the tick sequence the benchmarks measure on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "sim/OverlayRig.h"

namespace sayvane::bench {

struct ServerSize {
    int channels = 1024;
    int players = 1024;
    int speakers = 16;  // players who speak on every tick, spread over the player list
};

class ServerScale {
public:
    explicit ServerScale(ServerSize size);
    ~ServerScale();
    ServerScale(const ServerScale&) = delete;
    ServerScale& operator=(const ServerScale&) = delete;

    // Whether the next tick runs the periodic refresh of the player and channel lists.
    [[nodiscard]] bool NextTickRefreshes() const;
    // Runs ticks until the next one runs the periodic refresh.
    void TickUntilRefreshIsDue();

    // One tick. With `changeOrder` the first speaker moves to the end of the server's list
    // before it, so every tick shows the speakers in a new order and redraws.
    void Tick(bool changeOrder);

    // Drops what the recorders wrote (call logs, event log) so long runs keep their memory.
    void ForgetRecords();

    // Changes `count` players who are not speaking, taking turns at a join, a leave (so the
    // number of players stays), a move to another channel and a rename; the library serves
    // the changed records from then on.
    void ChangePlayers(int count);
    // Changes every record: each channel's flags, and each player but the user, who is renamed
    // and moves to another channel.
    void ChangeEveryRecord();

    [[nodiscard]] const OverlayState& State() const { return m_rig.overlay->State(); }
    [[nodiscard]] int Redraws() const { return m_rig.window.Redraws(); }
    [[nodiscard]] std::size_t ServerPlayers() { return m_rig.api.Server().players.size(); }
    // Why the assembled overlay is not in the expected steady state, or empty text.
    [[nodiscard]] const std::string& Problem() const { return m_problem; }

private:
    ServerSize m_size;
    std::filesystem::path m_folder;
    int m_changes = 0;  // changes made so far, for the turns and for new names
    sim::OverlayRig m_rig;
    std::string m_problem;
};

// The bytes a tick with the periodic refresh takes in from the library: two 1024-record
// buffers of 50-byte records (players and channels) and 1024 speaker IDs.
inline constexpr std::size_t kTickInputBytes = 2 * 51'200 + 4'096;

}  // namespace sayvane::bench
