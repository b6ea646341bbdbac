// The TeamSpeak 3 client behind the remote-control library's five calls: a conversation
// with the client's query interface on this computer, kept going from the calls themselves
// (every tick makes one), that never waits for the other end. Its answers are the records
// TeamSpeak 2's library would give for the server in the client's active tab, so everything
// above the link works unchanged.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/LoopbackSocket.h"
#include "teamspeak/Backoff.h"
#include "teamspeak/TabsLink.h"
#include "teamspeak/query/QueryModel.h"
#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::query {

inline constexpr std::uint16_t kDefaultQueryPort = 25639;

// What the link sees, for the configuration window's status line.
enum class QueryState {
    NotRunning,  // nothing answers on the port (or the connection was lost)
    Connecting,  // connected to the port, the greeting and the key not through yet
    KeyRefused,  // the client refused the API key
    NoServer,    // the active tab is not connected to a server
    Connected,   // connected, its channels and clients known
};

struct QuerySettings {
    std::string apiKey;
    std::uint16_t port = kDefaultQueryPort;
};

// A command unanswered within kAnswerTimeoutMs, or a greeting that does not come, ends the
// connection.
class QueryLink final : public TabsLink {
public:
    // Listings of the active tab are asked for again at most this often (when the overlay
    // takes its periodic snapshots), in case a notification went missing.
    static constexpr std::int64_t kRelistMs = 5000;

    QueryLink(LoopbackSocket& socket, const Clock& clock);

    // Takes new settings; a changed key or port starts a new connection.
    void Configure(const QuerySettings& settings);

    // Closes the connection and forgets the client; the next Pump starts afresh.
    void Stop();

    void Pump() override;

    [[nodiscard]] QueryState State() const;
    [[nodiscard]] const std::string& ServerName() const { return m_model.Tabs().ActiveTab().serverName; }
    [[nodiscard]] std::uint16_t Port() const { return m_settings.port; }

    // Asks the client to create a channel in the active tab and move the own client into
    // it; `done` gets an empty text on success, the client's message on a refusal. False
    // (and `done` is never called) when the link is not connected.
    using ChannelDone = std::function<void(const std::string& refusal)>;
    bool CreateChannel(const std::string& name, ChannelDone done);
    // Hands a finished channel request its answer. Never done inside Pump: `done` may open
    // a message box, and the overlay's tick that pumped must have ended by then, so that
    // the ticks go on while the box is up.
    void DeliverChannelAnswer();

private:
    enum class Phase { Waiting, Connecting, Greeting, Talking, Refused };
    enum class Ask { Auth, Register, CurrentTab, Use, Whoami, ServerName, Channels, Clients, Create, Move };
    struct Command {
        Ask ask;
        std::int32_t tab;
        std::string text;
    };

    void Start();
    void Drop(const char* why);
    void ChannelAnswered(std::string refusal);
    void Line(const QueryLine& line);
    void Answered(const QueryLine& error);
    void KeepForAnswer(const QueryLine& notification);
    void Send(Ask ask, std::int32_t tab, std::string text);
    void SendNext();
    void ListTab(std::int32_t tab);
    ServerTabs& Tabs() override { return m_model.Tabs(); }
    [[nodiscard]] std::int32_t SnapshotResult() const override;
    void PlayersRead() override;

    LoopbackSocket& m_socket;
    const Clock& m_clock;
    QuerySettings m_settings;
    Phase m_phase = Phase::Waiting;
    Backoff m_backoff{kFirstRetryMs, kLastRetryMs};
    std::int64_t m_since = 0;  // when the current phase or command began
    std::int64_t m_lastListing = 0;
    LineReader m_reader;
    QueryModel m_model;
    std::deque<Command> m_queue;  // the first one is out when m_waiting
    bool m_waiting = false;
    std::vector<QueryLine> m_answer;     // the data lines of the command out
    std::vector<QueryLine> m_meanwhile;  // notifications about its tab while it describes the tab
    std::string m_unsent;
    ChannelDone m_channelDone;
    std::optional<std::string> m_channelAnswer;  // for m_channelDone, once known
};

}  // namespace sayvane::query
