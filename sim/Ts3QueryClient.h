// A simulated TeamSpeak 3 client as its local query interface ("ClientQuery") shows it, byte
// for byte: server tabs (each a TsServer), one query session, and knobs for the faults a link
// must survive and for the shapes real clients differ in. No sockets: a transport feeds Receive
// and drains TakeOutput.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/SimulatedTsClient.h"
#include "sim/TsServer.h"

namespace sayvane::sim {

class Ts3Args;

inline constexpr std::string_view kTs3DefaultApiKey = "SAYVANE-TEST-KEY";
inline constexpr std::uint16_t kTs3DefaultPort = 25639;

// An error line's id and message (plain text, escaped when sent) and any further fields,
// sent as they are ("failed_permid=…").
struct Ts3Error {
    std::int32_t id = 0;
    std::string message;
    std::string extra;
};

// The answer of a client whose user may not create channels.
[[nodiscard]] Ts3Error Ts3PermissionError();

// The shapes in which real clients differ, or which are unconfirmed: the client sends the one
// chosen, so that a link can be tried against each.
struct Ts3Shapes {
    // The greeting's `Use the "auth" command ...` line, which newer clients send, older ones not.
    bool authHint = true;
    // The answer to a refused API key: some non-zero error id, which one is not known.
    Ts3Error keyRefusal{256, "invalid apikey", {}};
    // Changes the session was not told of when a command comes are told amid its answer, after
    // the data lines and before the error line, and the data shows the state before them (a
    // client writing its answer while the events happen). Otherwise they go before the answer.
    bool eventsInsideAnswers = false;
};

// Misbehaviour on demand. The "next answer" knobs act once and then clear themselves.
struct Ts3Faults {
    bool refuseKey = false;       // every API key is refused
    bool stall = false;           // commands wait unanswered, no notification goes; the connection stays
    bool closeMidAnswer = false;  // the next answer stops halfway and the connection closes
    bool overlongLine = false;    // a line of more than 70 KiB goes before the next answer
    bool malformedLines = false;  // broken lines go before the next answer
    std::optional<Ts3Error> refuseChannelCreate;  // channelcreate fails with this error
};

class Ts3QueryClient final : public SimulatedTsClient {
public:
    enum class Direction { Received, Sent };
    // Sees every command line received (the API key hidden) and every line sent, without line end.
    using TraceFunction = std::function<void(Direction, const std::string&)>;

    // The client starts with one tab (schandlerid 1, a default TsServer), which is active.
    explicit Ts3QueryClient(std::string apiKey = std::string(kTs3DefaultApiKey));

    [[nodiscard]] Ts3Faults& Faults() { return m_faults; }
    [[nodiscard]] Ts3Shapes& Shapes() { return m_shapes; }

    // A new connection: fresh session state, the banner queued. False (and nothing) when the
    // client is not running.
    bool Connect() override;
    // The other end went away: the session ends and whatever was queued is dropped.
    void Disconnect() override;
    // The session is open: the client has neither closed it nor been disconnected.
    [[nodiscard]] bool IsOpen() const override { return m_session.open; }

    // Bytes from the other end; whole command lines are answered at once (unless stalled).
    void Receive(std::string_view bytes) override;

    // Compares every tab with what the session was last told and queues the notifications for
    // the differences; closes the session when the client stopped running; answers commands
    // that waited for a stall to end. Call it after every change to a server.
    void Update() override;

    // Every command line received, in order, over all sessions; the API key shows as <hidden>.
    [[nodiscard]] const std::vector<std::string>& Commands() const { return m_commands; }
    void ClearCommands() { m_commands.clear(); }
    // Whether the last auth command carried the expected key; nullopt before any.
    [[nodiscard]] std::optional<bool> LastAuthKeyMatched() const { return m_lastAuthMatched; }
    [[nodiscard]] bool Authenticated() const { return m_session.open && m_session.authenticated; }
    void SetTrace(TraceFunction trace) { m_trace = std::move(trace); }

private:
    struct Command {
        std::string text;
        bool tooLong = false;
    };
    struct Session {
        bool open = false;
        bool authenticated = false;
        // The events asked for: (tab, event name), tab 0 meaning every tab, "any" every event.
        std::set<std::pair<std::int32_t, std::string>> registered;
        std::int32_t selected = 1;
        std::string input;
        bool skipping = false;  // the line being received is too long: its bytes are dropped
        std::deque<Command> waiting;
        std::vector<TsServer> told;  // per tab: the server as the session last heard of it
        std::int32_t toldActive = 1;
    };
    void Close();
    void Emit(const std::string& line);
    // The answer's error line: success, or the error with any further fields.
    void Ok();
    void Fail(std::int32_t id, std::string_view message, std::string_view extra = {});
    void AnswerWaiting();
    void Answer(const Command& command);
    void Deliver(const std::string& answer);
    void SyncTabs();
    void SyncTab(std::int32_t schandlerid);
    [[nodiscard]] bool Registered(std::int32_t schandlerid, std::string_view event) const;
    [[nodiscard]] TsServer& Selected() { return Server(m_session.selected); }
    // The selected tab's server as the answer being written shows it.
    [[nodiscard]] TsServer& Shown();

    void Auth(const Ts3Args& args);
    void NotifyRegister(const Ts3Args& args);
    void NotifyUnregister(const Ts3Args& args);
    void CurrentTab(const Ts3Args& args);
    void Use(const Ts3Args& args);
    void WhoAmI(const Ts3Args& args);
    void ServerVariable(const Ts3Args& args);
    void ChannelList(const Ts3Args& args);
    void ClientList(const Ts3Args& args);
    void ChannelCreate(const Ts3Args& args);
    void ClientMove(const Ts3Args& args);

    std::string m_apiKey;
    Ts3Faults m_faults;
    Ts3Shapes m_shapes;
    Session m_session;
    bool m_answering = false;  // lines go to m_answer, delivered whole when the command is done
    std::string m_answer;
    std::string m_errorLine;  // the answer's last line, sent once all else of it went
    bool m_showTold = false;  // the answer shows what the session was told, not the state now
    std::vector<std::string> m_commands;
    std::optional<bool> m_lastAuthMatched;
    TraceFunction m_trace;
};

}  // namespace sayvane::sim
