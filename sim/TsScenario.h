// Scripted TeamSpeak servers: a small text format of timed events (players join, speak,
// leave; the link drops and returns) and a player that applies them to a TsServer as
// scenario time passes, with a hold so that tests can freeze or step it.
//
// One event per line: a time, a command, its arguments. Blank lines and lines starting
// with "#" are ignored. The time is milliseconds from the start ("1500"), or from the
// previous event ("+1500"); times never go back. Arguments are separated by blanks; a
// name with blanks is written in double quotes. Numbers are decimal, optionally negative.
//
//   server NAME                      the server name the client window shows
//   nickname NAME                    the own nickname (the library's user info)
//   channel ID NAME [flags=N] [codec=N] [second=N] [third=N]
//                                    adds a channel or updates the one with this ID
//   delete-channel ID
//   join NAME [id=N] [channel=N] [cpriv=N] [spriv=N] [flags=N]
//                                    a player joins (or, already there, is updated);
//                                    without id the next free ID, without channel the
//                                    default channel
//   leave NAME                       the player leaves (and stops speaking)
//   move NAME CHANNEL-ID
//   flags NAME N                     the player's flags (8 = Away ...)
//   speak NAME / stop NAME           the player starts / stops speaking
//   silence                          everybody stops speaking
//   disconnect / connect             the client loses / regains its server
//   fail CALL CODE                   CALL (speakers, players, channels, userinfo) fails
//                                    with CODE from now on; 0 ends that
//   count CALL N|off                 CALL (speakers, players, channels) reports N records
//   hold                             scenario time stops here until resumed or stepped
//   loop MS                          jumps back to time MS (earlier than this line)
//   quit                             the client exits
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/TsServer.h"

namespace sayvane::sim {

enum class TsEventKind {
    Server,
    Nickname,
    Channel,
    DeleteChannel,
    Join,
    Leave,
    Move,
    Flags,
    Speak,
    Stop,
    Silence,
    Disconnect,
    Connect,
    Fail,
    Count,
    Hold,
    Loop,
    Quit,
};

struct TsEvent {
    std::int64_t time = 0;
    TsEventKind kind = TsEventKind::Hold;
    int line = 0;
    std::string text;  // the line without its time, for the log
    std::string name;  // player, channel, server or nickname
    TsChannel channel;
    // join: the options given; others keep the player's current values or the defaults.
    std::optional<std::int32_t> id, channelId, channelPrivileges, serverPrivileges, flags;
    TsCall call = TsCall::Speakers;
    std::int32_t number = 0;            // move: channel; flags: value; fail: code; loop: time
    std::optional<std::int32_t> count;  // count: the count to report, none for "off"
};

struct TsScenario {
    std::vector<TsEvent> events;  // in time order
};

struct TsScenarioError {
    int line = 0;
    std::string message;
};

// Parses a scenario; on the first fault, the line and what is wrong with it.
[[nodiscard]] std::optional<TsScenario> ParseTsScenario(std::string_view text, TsScenarioError* error = nullptr);

class TsScenarioPlayer {
public:
    // Receives the scenario time and a line on each event applied (and on events that name
    // a player or channel that is not there).
    using LogFunction = std::function<void(std::int64_t, const std::string&)>;

    TsScenarioPlayer(TsScenario scenario, TsServer& server, LogFunction log = {});

    // Lets `elapsedMs` of scenario time pass unless held, applying every event that falls
    // due. A hold stops the time at its line; a quit stops everything. Returns the number of
    // events applied.
    int Advance(std::int64_t elapsedMs);

    // Applies the next events that share one time (up to a hold), held or not, and moves the
    // time to theirs. Returns the number applied: 0 when nothing is left.
    int Step();

    // Called after each event is applied (not for loops), so that an observer can compare the
    // server with what it saw before even when several events fall due in one Advance.
    void SetAppliedHook(std::function<void(const TsEvent&)> hook) { m_applied = std::move(hook); }

    void Hold() { m_held = true; }
    void Resume() { m_held = false; }
    [[nodiscard]] bool IsHeld() const { return m_held; }
    [[nodiscard]] std::int64_t Now() const { return m_now; }
    [[nodiscard]] bool QuitRequested() const { return m_quit; }
    // Every event applied and no loop to go back.
    [[nodiscard]] bool Finished() const { return m_next >= m_scenario.events.size(); }

private:
    // Applies one event; false when it ends the run of events (hold, quit).
    bool Apply(const TsEvent& event);
    void JumpBack(std::int64_t to);
    void Log(const std::string& text) const;

    TsScenario m_scenario;
    TsServer& m_server;
    LogFunction m_log;
    std::function<void(const TsEvent&)> m_applied;
    std::size_t m_next = 0;
    std::int64_t m_now = 0;
    bool m_held = false;
    bool m_quit = false;
};

}  // namespace sayvane::sim
