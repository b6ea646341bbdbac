// The conversation with the TeamSpeak 5/6 client's Remote Apps, and the library records made
// from what it said.
#include "teamspeak/remote/RemoteLink.h"

#include <array>
#include <utility>

#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/query/QueryProtocol.h"
#include "text/TextRoutines.h"

namespace sayvane::remote {

RemoteLink::RemoteLink(LoopbackSocket& socket, const Clock& clock, AppIdentity app)
    : m_socket(socket), m_clock(clock), m_app(std::move(app)), m_random(std::random_device{}()) {}

void RemoteLink::Configure(const RemoteSettings& settings) {
    const bool sameKey = settings.apiKey == m_settings.apiKey || settings.apiKey == m_replacedKey;
    if (sameKey && settings.port == m_settings.port) {
        return;
    }
    if (!sameKey) {
        m_settings.apiKey = settings.apiKey;
        m_replacedKey.reset();
        m_askingAgain = false;
    }
    m_settings.port = settings.port;
    Stop();  // the next Pump connects at once, with the new ones
}

void RemoteLink::Stop() {
    Drop("stopped");
    m_backoff.Reset();
    m_unanswered = 0;
}

void RemoteLink::ForgetKey() {
    m_replacedKey.reset();
    m_askingAgain = false;
    m_refusal.clear();
    ChangeKey(std::string());
    Stop();
}

void RemoteLink::ChangeKey(const std::string& key) {
    if (key == m_settings.apiKey) {
        return;
    }
    m_settings.apiKey = key;
    if (m_keyChanged) {
        m_keyChanged(key);
    }
}

void RemoteLink::Start() {
    m_model.Clear();
    m_frames.Reset();
    m_unsent.clear();
    m_refusal.clear();
    // The handshake's key: 16 random bytes, anew for each connection.
    std::string nonce(16, '\0');
    for (char& byte : nonce) {
        byte = static_cast<char>(m_random() & 0xFFU);
    }
    m_handshakeKey = Base64(nonce);
    m_handshake.emplace(m_handshakeKey);
    m_offeredKey = m_askingAgain ? std::string() : m_settings.apiKey;
    m_lastHeard = m_clock.NowMilliseconds();
    m_socket.Connect(m_settings.port);
    m_phase = Phase::Connecting;
    m_since = m_clock.NowMilliseconds();
}

void RemoteLink::Drop(const std::string& why) {
    m_socket.Close();
    m_lastError = why;
    m_phase = Phase::Waiting;
    m_backoff.Failed(m_clock.NowMilliseconds());
    m_model.Clear();
    m_handshake.reset();
    m_frames.Reset();
    m_unsent = std::string();  // a flood's buffer goes with the connection
    m_pinged = false;
}

void RemoteLink::Overflow(const std::string& what) {
    Drop("TeamSpeak sent " + what);
    m_overflow = what;
}

void RemoteLink::Ended(const std::string& why) {
    if (m_phase != Phase::Authorizing) {
        Drop(why);
        return;
    }
    // TeamSpeak quitting or restarting while its user is asked looks the same as a refusal by
    // hanging up: tried again after a pause, and only several ends in a row count as a refusal.
    if (++m_unanswered < kMostUnanswered) {
        Drop(why + " before answering");
        return;
    }
    Refused(false, std::string());
}

void RemoteLink::Refused(bool said, const std::string& words) {
    m_unanswered = 0;
    if (!m_offeredKey.empty()) {
        // The key kept from before is not (or no longer) good: the user is asked once more, at
        // once. A key the client said no to is forgotten; one it only hung up on stays until a
        // new one replaces it (whoever listens on the port can hang up).
        if (said) {
            m_replacedKey.reset();
            ChangeKey(std::string());
        }
        m_askingAgain = true;
        Drop(said ? "TeamSpeak refused the key Sayvane kept" : "TeamSpeak did not answer the key Sayvane kept");
        m_backoff.Reset();
        return;
    }
    // Not asked again at once: that would only ask again. Forgetting the key asks anew.
    Drop("TeamSpeak declined Sayvane");
    m_phase = Phase::Declined;
    m_refusal = PeerText(query::Utf8ToAnsi(words));
}

void RemoteLink::Pump() {
    const std::int64_t now = m_clock.NowMilliseconds();
    if (m_phase == Phase::Declined || (m_phase == Phase::Waiting && !m_backoff.Due(now))) {
        return;
    }
    if (m_phase == Phase::Waiting) {
        Start();
    }
    if (m_phase == Phase::Connecting) {
        switch (m_socket.Poll()) {
            case LoopbackSocket::State::Open:
                m_phase = Phase::Handshake;
                m_since = now;
                m_unsent = HandshakeRequest(m_settings.port, m_handshakeKey);
                break;
            case LoopbackSocket::State::Connecting:
                if (now - m_since > kAnswerTimeoutMs) {
                    Drop("TeamSpeak does not answer");
                }
                return;
            default: Drop("TeamSpeak 5/6 is not running"); return;
        }
    }
    std::size_t read = 0;
    std::array<char, 8192> buffer{};
    // A message begun is read to its end (the frame reader bounds it), so that a busy server's
    // snapshot of several MB arrives in one call rather than over dozens of ticks.
    while ((read < kMostBytesPerCall || m_frames.MidMessage()) && m_phase != Phase::Waiting &&
           m_phase != Phase::Declined) {
        const std::size_t got = m_socket.Receive(buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        read += got;
        m_lastHeard = now;
        m_pinged = false;
        Read(std::string_view(buffer.data(), got));
    }
    if (m_phase == Phase::Waiting || m_phase == Phase::Declined) {
        return;
    }
    if (m_phase == Phase::Talking && !m_pinged && now - m_lastHeard >= kQuietMs) {
        SendFrame(Opcode::Ping, "sayvane");
        m_pinged = true;
    }
    if (!m_unsent.empty()) {
        m_unsent.erase(0, m_socket.Send(m_unsent));
    }
    if (m_unsent.size() > kMostUnsentBytes) {
        Overflow("more than it reads");
    } else if (m_socket.Poll() != LoopbackSocket::State::Open) {
        Ended("TeamSpeak closed the connection");
    } else if (m_phase == Phase::Handshake && now - m_since > kAnswerTimeoutMs) {
        Drop("TeamSpeak does not answer the WebSocket handshake");
    } else if (m_pinged && now - m_lastHeard >= kQuietMs + kAnswerTimeoutMs) {
        Drop("TeamSpeak does not answer");
    }
}

void RemoteLink::Read(std::string_view bytes) {
    if (m_phase == Phase::Handshake) {
        switch (m_handshake->Feed(bytes)) {
            case HandshakeState::Reading: return;
            case HandshakeState::Refused: {
                // Not TeamSpeak's Remote Apps, or not as we know them: ask again seldom.
                const std::string reason = PeerText(m_handshake->Reason());
                Drop("The WebSocket handshake was refused: " + reason);
                m_refusal = reason;
                m_backoff.WaitLongest(m_clock.NowMilliseconds());
                return;
            }
            case HandshakeState::Accepted:
                m_phase = Phase::Authorizing;
                SendFrame(Opcode::Text, AuthMessage(m_app, m_offeredKey));
                bytes = m_handshake->Rest();
                break;
        }
    }
    m_frames.Feed(bytes);
    Message message;
    while (m_phase != Phase::Waiting && m_phase != Phase::Declined && m_frames.Next(message)) {
        Handle(message);
    }
    if (m_frames.State() == FrameState::Failed && m_phase != Phase::Waiting && m_phase != Phase::Declined) {
        if (m_frames.Oversized()) {
            Overflow("a message over 16 MiB");
        } else {
            Drop("TeamSpeak sent what is not a WebSocket message: " + m_frames.Error());
        }
    }
}

void RemoteLink::Handle(const Message& message) {
    switch (message.kind) {
        case Message::Kind::Text:
            if (const std::optional<RemoteMessage> parsed = ParseMessage(message.payload)) {
                m_model.Apply(*parsed);
                if (m_model.Tabs().Overflowed()) {
                    Overflow("more tabs, clients or channels than Sayvane keeps");
                    return;
                }
                if (!IsKeyText(m_model.ApiKey())) {
                    // It would go into the settings file as it is: CR or LF there write lines
                    // of their own.
                    Overflow("a key that is no key");
                    return;
                }
                if (m_phase == Phase::Authorizing && m_model.Refusal()) {
                    const std::string words = m_model.Refusal()->message;  // the model is cleared on the way
                    Refused(true, words);
                } else if (m_phase == Phase::Authorizing && m_model.Allowed()) {
                    m_phase = Phase::Talking;
                    m_backoff.Succeeded();
                    m_overflow.clear();
                    m_unanswered = 0;
                    m_askingAgain = false;
                    if (!m_model.ApiKey().empty() && m_model.ApiKey() != m_settings.apiKey) {
                        m_replacedKey = m_settings.apiKey;
                        ChangeKey(m_model.ApiKey());
                    }
                }
            }
            break;
        case Message::Kind::Ping: SendFrame(Opcode::Pong, message.payload); break;
        case Message::Kind::Pong: break;
        case Message::Kind::Close:
            SendFrame(Opcode::Close, std::string_view());
            if (!m_unsent.empty()) {
                (void)m_socket.Send(m_unsent);  // the answer to the close, if it goes at once
            }
            Ended("TeamSpeak closed the connection");
            break;
    }
}

void RemoteLink::SendFrame(Opcode opcode, std::string_view payload) {
    const auto mask = static_cast<std::uint32_t>(m_random());
    m_unsent += EncodeFrame(opcode, payload,
                            {static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8U),
                             static_cast<std::uint8_t>(mask >> 16U), static_cast<std::uint8_t>(mask >> 24U)});
}

RemoteState RemoteLink::State() const {
    switch (m_phase) {
        case Phase::Waiting:
            if (!m_overflow.empty()) {
                return RemoteState::Overflowed;
            }
            return m_refusal.empty() ? RemoteState::NotRunning : RemoteState::NotRemoteApps;
        case Phase::Connecting: return RemoteState::NotRunning;
        case Phase::Handshake: return RemoteState::Connecting;
        case Phase::Authorizing: return m_askingAgain ? RemoteState::AskingAgain : RemoteState::WaitingForUser;
        case Phase::Declined: return RemoteState::Declined;
        case Phase::Talking: break;
    }
    const ServerTab& tab = m_model.Tabs().ActiveTab();
    if (!tab.connected) {
        return RemoteState::NoServer;
    }
    return tab.synced ? RemoteState::Connected : RemoteState::NoServer;
}

std::int32_t RemoteLink::SnapshotResult() const {
    switch (State()) {
        case RemoteState::NotRunning:
        case RemoteState::Connecting:
        case RemoteState::NotRemoteApps:
        case RemoteState::Overflowed: return kTsNotRunning;
        case RemoteState::Connected: return 0;
        default: return kTsNotConnected;
    }
}

}  // namespace sayvane::remote
