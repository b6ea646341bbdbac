// A simulated TeamSpeak 5/6 client as its Remote Apps interface shows it, byte for byte: a
// WebSocket server that lets an app in once the user allowed it (or with a key issued
// before), then tells it about the server tabs (each a TsServer) in JSON events; with knobs
// for the user's answer and for the faults a link must survive. No sockets: a transport feeds
// Receive and drains TakeOutput.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "sim/SimulatedTsClient.h"
#include "teamspeak/remote/RemoteMessages.h"
#include "teamspeak/remote/WebSocket.h"

namespace sayvane::sim {

inline constexpr std::uint16_t kTs5DefaultPort = 5899;

// Misbehaviour on demand. The "next message" knobs act once, on the next message the client
// sends (the auth answer or an event), and then clear themselves.
struct Ts5Faults {
    bool refuseHandshake = false;    // the opening request gets "403 Forbidden" and the connection closes
    bool wrongAcceptKey = false;     // the handshake is answered with an accept key made from another key
    bool stall = false;              // while set, nothing is read, answered or sent; the connection stays
    std::size_t fragmentBytes = 0;   // every message goes out in frames of this many bytes (0: whole)
    bool malformedMessages = false;  // next: followed by texts that are no message (not JSON, no type ...)
    bool strangeEvents = false;      // next: followed by events of an unknown type, with fields missing or
                                     // of another kind, and with ids that point nowhere
    bool invalidUtf8 = false;        // next: followed by a text message that is not UTF-8
    bool oversizedMessage = false;   // next: followed by a message of more than 1 MiB
    bool closeMidMessage = false;    // next: only half of its bytes go, then the connection ends
};

class Ts5RemoteClient final : public SimulatedTsClient {
public:
    enum class Direction { Received, Sent, Note };
    // Sees each message received ("auth apikey=<hidden>", "auth apikey=<empty>", the type of
    // any other), each message sent in short ("talkStatusChanged connection=1 client=2
    // status=1"), and notes (the handshake, the user's answers, closes, faults). The API key
    // never shows.
    using TraceFunction = std::function<void(Direction, const std::string&)>;
    // What the user answers when an app asks in with an empty or unknown key.
    enum class Confirm { Allow, Decline, NeverAnswer };

    // The user's delay counts milliseconds of `clock` (which must outlive the client); without
    // one, it counts Update calls.
    explicit Ts5RemoteClient(const Clock* clock = nullptr) : m_clock(clock) {}

    [[nodiscard]] Ts5Faults& Faults() { return m_faults; }
    // The user's answer, given `delay` after the question (Allow at once unless set). A change
    // applies to a question already asked.
    void SetConfirm(Confirm answer, std::int64_t delay = 0);
    // A key the client issued before: an auth offering it is answered at once.
    void AddKnownKey(const std::string& key) { m_keys.insert(key); }
    [[nodiscard]] const std::set<std::string>& KnownKeys() const { return m_keys; }
    // The key the user's last "allow" issued; empty before.
    [[nodiscard]] const std::string& LastIssuedKey() const { return m_lastIssued; }

    bool Connect() override;
    void Disconnect() override;
    [[nodiscard]] bool IsOpen() const override { return m_session.open; }
    // Bytes of the handshake and of the app's frames; whole messages are handled at once
    // (unless stalled).
    void Receive(std::string_view bytes) override;
    // Closes the session when the client stopped running; gives the user's answer once its
    // delay passed; once the app is in, queues the events for what changed in the tabs.
    void Update() override;
    // A ping to the app, which owes a pong with the same payload.
    void Ping(std::string_view payload = "sayvane");

    // What came from the app, over all sessions: each text message as the trace shows it,
    // "<not a message>" for text that is none, control frames as "(ping)", "(pong)",
    // "(close CODE)" or "(close)".
    [[nodiscard]] const std::vector<std::string>& Received() const { return m_received; }
    void ClearReceived() { m_received.clear(); }
    // The app the last auth introduced itself as, and whether it offered a known key (nullopt
    // before any auth).
    [[nodiscard]] const remote::AppIdentity& LastApp() const { return m_lastApp; }
    [[nodiscard]] std::optional<bool> LastAuthKeyKnown() const { return m_lastAuthKnown; }
    // The user is being asked about the session's app; the app was let in.
    [[nodiscard]] bool Asking() const { return m_session.open && m_session.phase == Phase::Asking; }
    [[nodiscard]] bool Allowed() const { return m_session.open && m_session.phase == Phase::Allowed; }
    void SetTrace(TraceFunction trace) { m_trace = std::move(trace); }

private:
    enum class Phase { Handshake, Auth, Asking, Allowed };
    struct Session {
        bool open = false;
        Phase phase = Phase::Handshake;
        std::string input;  // bytes received and not yet handled
        std::string text;   // a fragmented message's bytes so far
        bool fragmented = false;
        std::int64_t askedAt = 0;
        std::vector<TsServer> told;  // per tab: the server as the app last heard of it
        std::int32_t toldActive = 1;
    };

    [[nodiscard]] std::int64_t Now() const;
    void Trace(Direction direction, const std::string& line);
    void Close();
    // Sends a close frame and ends the session.
    void CloseWith(std::uint16_t code, std::string_view why);
    void Handle();
    void ReadHandshake();
    // Handles the frame at the front of the input; false when it is not whole (or the session ended).
    bool ReadFrame();
    void Control(remote::Opcode opcode, const std::string& payload);
    void HandleText(const std::string& text);
    void Auth(const nlohmann::json& payload);
    void AnswerUser();
    void LetIn(const std::string& key);
    void QueueFrames(remote::Opcode opcode, std::string_view payload);
    void Send(const std::string& type, const nlohmann::json& payload, const std::string& summary);
    void SendFaults();
    void SyncTabs();
    void SyncTab(std::int32_t tab);
    [[nodiscard]] nlohmann::json Connection(std::int32_t tab) const;

    const Clock* m_clock;
    std::int64_t m_updates = 0;
    Ts5Faults m_faults;
    Confirm m_confirm = Confirm::Allow;
    std::int64_t m_confirmDelay = 0;
    std::set<std::string> m_keys;
    std::string m_lastIssued;
    std::uint64_t m_keysIssued = 0;
    Session m_session;
    std::vector<std::string> m_received;
    remote::AppIdentity m_lastApp;
    std::optional<bool> m_lastAuthKnown;
    TraceFunction m_trace;
};

}  // namespace sayvane::sim
