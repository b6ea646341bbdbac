// A simulated TeamSpeak 5/6 client as its Remote Apps interface shows it, byte for byte: a
// WebSocket server that lets an app in once the user allowed it (or with a key issued to that
// app before), then tells it about the server tabs (each a TsServer) in JSON events, in the
// shapes the public recordings of the real clients show; with knobs for the forms the
// recordings leave open, for the user's answer and for the faults a link must survive. No
// sockets: a transport feeds Receive and drains TakeOutput.
//
// What it sends:
// - Replies to the app's requests (the "auth" answer) carry "status": {"code", "message"}, beside
//   "type" or inside "payload" (Ts5Shape::statusPlacement); events carry none.
// - Client and connection ids are numbers; channel ids are strings in the channel tree ("id",
//   "order", "parentId", subChannels keyed by the parent's id) and in clientMoved, numbers in the
//   auth answer's clientInfos[].channelId. Flags are booleans or 0/1 (Ts5Shape::flags).
// - Every client comes with its full property set (some 3.5 KB of JSON), in the auth answer, in
//   clientMoved when it comes into view and in clientPropertiesUpdated whenever any of it changes.
// - The tab the user turns to takes the microphone: our own client's inputHardware turns true
//   there and false on the tab left, told by clientPropertiesUpdated on each tab (and
//   clientSelfPropertyUpdated as Ts5Shape::selfUpdates says); never currentServerConnectionChanged.
// - A tab connecting: connectStatusChanged 1, 2, 3, 4, then "channels" and one clientMoved (full
//   form) per client; a disconnect: connectStatusChanged 0.
// - A move or a leave: clientMoved without properties, with "type" (1, or 2 with an "invoker" as
//   Ts5Shape::movedByOthers says) and "visibility"; newChannelId "0" for a leave.
// - A rename: clientPropertiesUpdated, serverPropertiesUpdated or channelPropertiesUpdated, each
//   with the full set. A channel added, removed or moved: the tree again in a "channels" event
//   (the recordings show no event of its own for it).
// - Unasked-for events the app must pass over: "log" (most of them), "groupInfo",
//   "neededPermissions", "channelsSubscribed", "clientChannelGroupChanged", "textMessage",
//   "clientChatComposing", "streamInfoReplace".
// - A player whose flags say InputMuted (16) talks with status 2 (not heard).
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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
// The link's limit on one message; the oversized fault sends one byte more.
inline constexpr std::size_t kTs5MessageLimit = std::size_t{16} * 1024 * 1024;
// The code of the auth answer that refuses an app (the real one is unknown; any non-zero code).
inline constexpr std::int32_t kTs5RefusedCode = 2;

// How the client writes what it sends, where the recordings differ or leave the form open.
struct Ts5Shape {
    // TeamSpeak 6 writes flags as booleans; a TeamSpeak 5 client library types them 0/1.
    enum class Flags { Boolean, Number };
    // The reply's "status" beside "type" and "payload", or inside "payload".
    enum class StatusPlacement { TopLevel, InPayload };
    // The auth answer's currentConnectionId: 0 (seen with one tab), or the active tab's id.
    enum class CurrentConnection { Zero, ActiveTab };
    // How a declined app hears it: an auth answer with a non-zero code and a message, the same
    // without a message (the session stays, waiting for another auth), a close frame, or the
    // connection ending without one.
    enum class Refusal { ErrorReply, BareErrorReply, CloseFrame, Drop };
    // clientSelfPropertyUpdated for our own client's inputHardware, inputMuted, outputMuted and
    // flagTalking: never, always, or every other time (the first left out).
    enum class SelfUpdates { Never, Always, Alternate };

    Flags flags = Flags::Boolean;
    StatusPlacement statusPlacement = StatusPlacement::TopLevel;
    CurrentConnection currentConnection = CurrentConnection::Zero;
    Refusal refusal = Refusal::CloseFrame;
    SelfUpdates selfUpdates = SelfUpdates::Alternate;
    bool newTabFirst = false;       // the microphone handover tells the new tab before the old one
    bool movedByOthers = false;     // moves are type 2, by an invoker (another client of the tab)
    bool unaskedEvents = true;      // the unasked-for events that go with what happens
    std::size_t logsPerUpdate = 0;  // besides: "log" events on every update, and one other
                                    // unasked-for event in turn
};

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
    bool oversizedMessage = false;   // next: followed by a message of kTs5MessageLimit + 1 bytes
    bool closeMidMessage = false;    // next: only half of its bytes go, then the connection ends
};

class Ts5RemoteClient final : public SimulatedTsClient {
public:
    enum class Direction { Received, Sent, Note };
    // Sees each message received ("auth apikey=<hidden>", "auth apikey=<empty>", the type of
    // any other), each message sent in short ("talkStatusChanged connection=1 client=2
    // status=1"; unasked-for events are left out), and notes (the handshake, the user's answers,
    // closes, faults). The API key never shows.
    using TraceFunction = std::function<void(Direction, const std::string&)>;
    // What the user answers when an app asks in with an empty or unknown key.
    enum class Confirm { Allow, Decline, NeverAnswer };

    // The user's delay counts milliseconds of `clock` (which must outlive the client); without
    // one, it counts Update calls.
    explicit Ts5RemoteClient(const Clock* clock = nullptr) : m_clock(clock) {}

    [[nodiscard]] Ts5Faults& Faults() { return m_faults; }
    [[nodiscard]] Ts5Shape& Shape() { return m_shape; }
    // The user's answer, given `delay` after the question (Allow at once unless set). A change
    // applies to a question already asked.
    void SetConfirm(Confirm answer, std::int64_t delay = 0);
    // A key the client issued before, recognised from any app that offers it.
    void AddKnownKey(const std::string& key) { m_keys[key] = std::nullopt; }
    // A key the client issued to `app`: recognised only when offered with that identity exactly
    // (identifier, version, name and description); from any other, it is unknown.
    void AddKnownKey(const std::string& key, const remote::AppIdentity& app) { m_keys[key] = app; }
    // Whether an auth of `app` offering `key` is let in without asking.
    [[nodiscard]] bool KnowsKey(const std::string& key, const remote::AppIdentity& app) const;
    // The key the user's last "allow" issued (bound to the app that asked); empty before.
    [[nodiscard]] const std::string& LastIssuedKey() const { return m_lastIssued; }
    // Every tab holds at least `clients` clients from the next Update on: silent ones ("PILOT1",
    // ...) with ids after the highest, spread over its channels, are added to its server once.
    void SetCrowd(std::size_t clients);

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
    // The app the last auth introduced itself as, and whether it offered a key known for it
    // (nullopt before any auth).
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
        std::vector<TsServer> told;    // per tab: the server as the app last heard of it
        std::vector<bool> microphone;  // per tab: told that our own client's inputHardware is on
        bool logged = false;           // this update's events were announced by a "log" event
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
    void Refuse();
    void LetIn(const std::string& key);
    void Reply(const std::string& type, nlohmann::json payload, std::int32_t code, const char* message);
    void QueueFrames(remote::Opcode opcode, std::string_view payload);
    void SendText(const std::string& text, const std::string& summary);
    // An event of `tab`: its connectionId added, announced by a "log" event once an update.
    void Tell(std::int32_t tab, const std::string& type, nlohmann::json payload);
    void Unasked(std::int32_t tab, const std::string& type);
    void SendFaults();
    void FillCrowd();
    void SyncTabs();
    void SyncTab(std::int32_t tab);
    void ConnectTab(std::int32_t tab);
    void SyncChannels(std::int32_t tab, const TsServer& told, const TsServer& now);
    void SyncClients(std::int32_t tab, const TsServer& told, const TsServer& now);
    void HandOverMicrophone();
    // The full property set of `player` on `tab`; notes what it told of our own microphone.
    [[nodiscard]] nlohmann::json ClientProperties(std::int32_t tab, const TsPlayer& player);
    void SelfUpdate(std::int32_t tab, const char* flag, bool newValue);
    [[nodiscard]] nlohmann::json Flag(bool value) const;
    [[nodiscard]] nlohmann::json Connection(std::int32_t tab);

    const Clock* m_clock;
    std::int64_t m_updates = 0;
    Ts5Faults m_faults;
    Ts5Shape m_shape;
    Confirm m_confirm = Confirm::Allow;
    std::int64_t m_confirmDelay = 0;
    std::map<std::string, std::optional<remote::AppIdentity>> m_keys;  // nullopt: any app
    std::string m_lastIssued;
    std::uint64_t m_keysIssued = 0;
    std::size_t m_crowd = 0;
    std::vector<bool> m_crowded;  // per tab: the crowd was added
    std::uint64_t m_selfUpdateChances = 0;
    std::size_t m_unaskedSent = 0;  // of the unasked-for events sent in turn
    std::uint64_t m_logLines = 0;
    Session m_session;
    std::vector<std::string> m_received;
    remote::AppIdentity m_lastApp;
    std::optional<bool> m_lastAuthKnown;
    TraceFunction m_trace;
};

}  // namespace sayvane::sim
