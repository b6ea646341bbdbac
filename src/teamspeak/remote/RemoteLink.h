// TeamSpeak 5/6 as a voice-client port: a WebSocket to the client's Remote Apps on this
// computer, carrying its JSON messages, moved on whenever the socket has news and by every
// reading, never waiting for the other end. It answers for the server in the client's active
// tab, and makes no channels (Remote Apps offer no way to).
//
// What the code relies on (besides RemoteMessages.h and RemoteModel.h):
// - The client listens on 127.0.0.1 (port 5899 unless its user changed it) and opens the
//   WebSocket for any app; the app then announces itself with its "auth" message.
// - An app with an empty or unknown key makes the client ask its user, with no time limit.
//   Allowed, the client answers with the "auth" message, whose key it accepts from then on
//   without asking. A refusal is an answer whose status code is not 0; whether the client
//   also refuses by just closing the connection is not known. A connection that ends while
//   we wait may also be TeamSpeak quitting or restarting: it is tried again after a pause,
//   and only a refusal it says (or several ends in a row) counts as one.
// - A refused stored key is forgotten and the user asked once more; a refusal of an app
//   offering no key is the user's "no".
// - The client never asks the app anything: nothing waits for an answer once the app is in.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "teamspeak/SocketLink.h"
#include "teamspeak/remote/RemoteMessages.h"
#include "teamspeak/remote/RemoteModel.h"
#include "teamspeak/remote/WebSocket.h"

namespace sayvane::remote {

inline constexpr std::uint16_t kDefaultRemotePort = 5899;

// What the link sees, for the configuration window's status line.
enum class RemoteState {
    NotRunning,      // nothing answers on the port (or the connection was lost)
    Connecting,      // connected to the port, the WebSocket not open yet
    NotRemoteApps,   // something answers on the port, but not as TeamSpeak's Remote Apps
    WaitingForUser,  // announced; TeamSpeak asks its user to allow Sayvane
    AskingAgain,     // TeamSpeak refused the key Sayvane kept; its user is asked anew
    Declined,        // the user said no: not asked again until the key is forgotten
    Overflowed,      // what answers on the port sent more than Sayvane keeps, or not what a key can be
    NoServer,        // allowed; the active tab has no server connection
    Connected,       // allowed, and the active tab's server known
};

struct RemoteSettings {
    std::string apiKey;  // the key the client handed out before; empty the first time
    std::uint16_t port = kDefaultRemotePort;
};

// A handshake unanswered within kAnswerTimeoutMs ends the connection; the user's answer may
// take as long as the user likes. Once in, a client quiet for kQuietMs is pinged.
class RemoteLink final : public SocketLink {
public:
    RemoteLink(LoopbackSocket& socket, const Clock& clock, AppIdentity app = SayvaneApp());

    // Takes new settings; a changed key or port starts a new connection. The key the client
    // handed out replaces the configured one: settings that still carry the one it replaced
    // change nothing.
    void Configure(const RemoteSettings& settings);
    void Stop() override;
    // Forgets the key (the client will ask its user again) and starts afresh, after a
    // decline too.
    void ForgetKey();
    // Told of every key the client hands out, and of a forgotten one (empty), so that the
    // program keeps it in its settings file.
    void OnKeyChanged(std::function<void(const std::string&)> keyChanged) { m_keyChanged = std::move(keyChanged); }

    [[nodiscard]] RemoteState State() const;
    [[nodiscard]] const std::string& ServerName() const { return m_model.Tabs().ActiveTab().serverName; }
    [[nodiscard]] std::uint16_t Port() const override { return m_settings.port; }
    [[nodiscard]] const std::string& ApiKey() const { return m_settings.apiKey; }
    // Why the handshake was refused, when State() is NotRemoteApps; the client's words when it
    // declined Sayvane (may be empty), when State() is Declined.
    [[nodiscard]] const std::string& Refusal() const { return m_refusal; }

    // Not running, connecting, not Remote Apps, waiting for the user, declined, flooded,
    // without a server, or connected (to which).
    [[nodiscard]] std::string StatusLine(std::string_view programFolder) override;
    [[nodiscard]] ChannelWay WayToMakeChannels() const override { return ChannelWay::None; }

    // Connections ended in a row while waiting for the answer to the app, before that counts
    // as a refusal.
    static constexpr int kMostUnanswered = 3;

    // What the link holds now, for the hostile-peer tests.
    [[nodiscard]] std::size_t TabCount() const { return m_model.Tabs().Count(); }

private:
    // Where an open connection stands.
    enum class Stage { Handshake, Authorizing, Talking };

    void Opened() override;
    void Received(std::string_view bytes) override;
    bool Probe() override;
    [[nodiscard]] bool AwaitsAnswer() const override { return m_stage == Stage::Handshake; }
    void Forget() override;
    // A message begun is read to its end (the frame reader bounds it), so that a busy server's
    // snapshot of several MB arrives in one call rather than over dozens of ticks.
    [[nodiscard]] bool MidMessage() const override { return m_frames.MidMessage(); }
    [[nodiscard]] std::uint64_t MessagesEnded() const override { return m_frames.Completed(); }
    // The connection ended (or was cut) by the other end.
    void Ended(const std::string& why) override;

    void Handle(const Message& message);
    void SendFrame(Opcode opcode, std::string_view payload);
    void ChangeKey(const std::string& key);
    // The client refused the app: it `said` so, in `words` (may be empty), or it hung up on
    // it too often.
    void Refused(bool said, const std::string& words);

    ServerTabs& Tabs() override { return m_model.Tabs(); }
    [[nodiscard]] LinkStatus Status() const override;

    AppIdentity m_app;
    RemoteSettings m_settings;
    std::optional<std::string> m_replacedKey;  // the configured key the client's one replaced
    std::function<void(const std::string&)> m_keyChanged;
    Stage m_stage = Stage::Handshake;
    bool m_declined = false;  // the user said no: not asked again until the key is forgotten
    std::optional<HandshakeReader> m_handshake;
    FrameReader m_frames;
    RemoteModel m_model;
    std::string m_refusal;
    std::string m_offeredKey;    // in this connection's auth
    int m_unanswered = 0;        // connections ended in a row while waiting for the answer
    bool m_askingAgain = false;  // the kept key was refused (or never answered): none is offered
    std::mt19937 m_random;
};

}  // namespace sayvane::remote
