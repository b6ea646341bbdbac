// TeamSpeak 3 as a voice-client port: a conversation with the client's query interface on this
// computer, moved on whenever the socket has news and by every reading, that never waits for
// the other end. It answers for the server in the client's active tab.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "teamspeak/SocketLink.h"
#include "teamspeak/query/QueryModel.h"
#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::query {

inline constexpr std::uint16_t kDefaultQueryPort = 25639;

// What the link sees, for the configuration window's status line.
enum class QueryState {
    NotRunning,  // nothing answers on the port (or the connection was lost)
    Connecting,  // connected to the port, the greeting and the key not through yet
    KeyRefused,  // the client refused the API key
    Overflowed,  // what answers on the port sent more than is kept: tried again after the usual wait
    NoServer,    // the active tab is not connected to a server
    Connected,   // connected, its channels and clients known
};

struct QuerySettings {
    std::string apiKey;
    std::uint16_t port = kDefaultQueryPort;
};

// A command unanswered within kAnswerTimeoutMs, or a greeting that does not come, ends the
// connection; a client quiet for kQuietMs is asked which tab is in front. Whatever listens on
// the port may send anything: what the link keeps of it is bounded, and past a bound the
// connection ends and is tried again after the usual wait.
class QueryLink final : public SocketLink {
public:
    // Listings of the active tab are asked for again at most this often (when the overlay
    // takes its periodic snapshots), in case a notification went missing.
    static constexpr std::int64_t kRelistMs = 5000;
    // The data lines of one answer and the notifications kept while it comes, as they are held
    // in memory (QueryLine::Footprint). A client list of eight thousand clients with talk flags
    // and escaped names is about 3 MiB of text and takes about 11 MiB held.
    static constexpr std::size_t kMostAnswerBytes = std::size_t{16} * 1024 * 1024;
    // What comes before the greeting's "selected" line, measured alike (a real client's four
    // lines take about 4 KiB).
    static constexpr std::size_t kMostGreetingBytes = std::size_t{64} * 1024;
    // Commands queued: the start's three (the event registrations go as one), a listing's five,
    // a channel's three and a question after a silence fit many times over.
    static constexpr std::size_t kMostQueuedCommands = 64;

    QueryLink(LoopbackSocket& socket, const Clock& clock);

    // Takes new settings; a changed key or port starts a new connection.
    void Configure(const QuerySettings& settings);

    [[nodiscard]] QueryState State() const;
    [[nodiscard]] const std::string& ServerName() const { return m_model.Tabs().ActiveTab().serverName; }
    [[nodiscard]] std::uint16_t Port() const override { return m_settings.port; }

    // Not running (or the plugin off), connecting, the key refused, flooded, without a
    // server, or connected (to which).
    [[nodiscard]] std::string StatusLine(std::string_view programFolder) override;

    // Channels are asked for in the active tab, the own client moved into them; a refusal is
    // the client's message. Only a connected link is asked.
    [[nodiscard]] ChannelWay WayToMakeChannels() const override { return ChannelWay::Request; }
    [[nodiscard]] bool ReadyForRequests() override;
    bool RequestChannel(const std::string& name, ChannelDone done) override;
    // Hands a finished channel request its answer. Never done inside Pump: `done` may open
    // a message box, and the overlay's tick that pumped must have ended by then, so that
    // the ticks go on while the box is up.
    void DeliverAnswers() override;

    // What the link holds now, for the hostile-peer tests: tabs known, commands queued (the one
    // out included), and bytes buffered (read and not yet taken, kept for the answer as held,
    // unsent).
    [[nodiscard]] const ServerTabs& KnownTabs() const { return m_model.Tabs(); }
    [[nodiscard]] std::size_t QueuedCommands() const { return m_queue.size(); }
    [[nodiscard]] std::size_t BufferedBytes() const { return m_reader.Buffered() + m_answerBytes + UnsentBytes(); }

private:
    enum class Ask { Auth, Register, CurrentTab, Use, Whoami, ServerName, Channels, Clients, Create, Move, Ping };
    struct Command {
        Ask ask;
        std::int32_t tab;
        std::string text;
        int answers = 1;  // error lines still to come: several lines of one kind go as one command
    };

    void Received(std::string_view bytes) override;
    bool Probe() override;
    [[nodiscard]] bool AwaitsAnswer() const override { return !m_greeted || m_waiting; }
    void Forget() override;
    // Keeps a line for the answer; false (and the connection dropped) past kMostAnswerBytes.
    bool Keep(std::vector<QueryLine>& lines, QueryLine&& line);
    void ChannelAnswered(std::string refusal);
    void Line(QueryLine&& line);
    void Notification(QueryLine&& line);
    void Answered(const QueryLine& error);
    // Skips the commands queued for a tab that `use` could not select.
    void SkipTab(std::int32_t tab, const std::string& why);
    // False (and the connection dropped) when the notification was one too many to keep.
    bool KeepForAnswer(QueryLine&& notification);
    // Queues a command without sending it; false (and the connection dropped) past
    // kMostQueuedCommands. Send also sends it when nothing is out.
    bool Queue(Ask ask, std::int32_t tab, std::string text, int answers = 1);
    void Send(Ask ask, std::int32_t tab, std::string text);
    void SendNext();
    // The tab in front wants a listing, once the commands queued before have gone.
    void ListActiveTab();
    ServerTabs& Tabs() override { return m_model.Tabs(); }
    [[nodiscard]] LinkStatus Status() const override;
    void PlayersRead() override;

    QuerySettings m_settings;
    bool m_greeted = false;     // the greeting ended: commands may go
    bool m_keyRefused = false;  // the connection ended on it; until the next one starts
    std::int64_t m_lastListing = 0;
    LineReader m_reader;
    QueryModel m_model;
    std::deque<Command> m_queue;  // the first one is out when m_waiting
    bool m_waiting = false;
    bool m_listWanted = false;           // a listing of the tab in front, after the queue
    std::vector<QueryLine> m_answer;     // the data lines of the command out
    std::vector<QueryLine> m_meanwhile;  // notifications about its tab while it describes the tab
    std::size_t m_answerBytes = 0;       // their footprint, or the greeting's so far
    ChannelDone m_channelDone;
    std::optional<std::string> m_channelAnswer;  // for m_channelDone, once known
};

}  // namespace sayvane::query
