// The conversation with the TeamSpeak 5/6 client's Remote Apps, and the library records made
// from what it said.
#include "teamspeak/remote/RemoteLink.h"

#include <utility>

#include "text/Base64.h"
#include "text/TextRoutines.h"
#include "text/Utf8.h"

namespace sayvane::remote {

RemoteLink::RemoteLink(LoopbackSocket& socket, const Clock& clock, AppIdentity app)
    : SocketLink(socket, clock, "TeamSpeak 5/6"), m_app(std::move(app)), m_random(std::random_device{}()) {}

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
    SocketLink::Stop();
    m_unanswered = 0;
}

void RemoteLink::ForgetKey() {
    m_replacedKey.reset();
    m_askingAgain = false;
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

void RemoteLink::Forget() {
    m_stage = Stage::Handshake;
    m_declined = false;
    m_refusal.clear();
    m_model.Clear();
    m_handshake.reset();
    m_frames.Reset();
}

void RemoteLink::Opened() {
    // The handshake's key: 16 random bytes, anew for each connection.
    std::string nonce(16, '\0');
    for (char& byte : nonce) {
        byte = static_cast<char>(m_random() & 0xFFU);
    }
    const std::string key = Base64(nonce);
    m_handshake.emplace(key);
    m_offeredKey = m_askingAgain ? std::string() : m_settings.apiKey;
    Write(HandshakeRequest(m_settings.port, key));
}

void RemoteLink::Ended(const std::string& why) {
    if (m_stage != Stage::Authorizing) {
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
        Drop(said ? "TeamSpeak refused the key Sayvane kept" : "TeamSpeak did not answer the key Sayvane kept",
             Retry::AtOnce);
        return;
    }
    // Not asked again at once: that would only ask again. Forgetting the key asks anew.
    Drop("TeamSpeak declined Sayvane", Retry::Never);
    m_declined = true;
    m_refusal = PeerText(Utf8ToAnsi(words));
}

bool RemoteLink::Probe() {
    if (m_stage != Stage::Talking) {
        return false;
    }
    SendFrame(Opcode::Ping, "sayvane");
    return true;
}

void RemoteLink::Received(std::string_view bytes) {
    Heard();
    if (m_stage == Stage::Handshake) {
        switch (m_handshake->Feed(bytes)) {
            case HandshakeState::Reading: return;
            case HandshakeState::Refused: {
                // Not TeamSpeak's Remote Apps, or not as we know them: ask again seldom.
                const std::string reason = PeerText(m_handshake->Reason());
                Drop("The WebSocket handshake was refused: " + reason, Retry::AfterLongestWait);
                m_refusal = reason;
                return;
            }
            case HandshakeState::Accepted:
                m_stage = Stage::Authorizing;
                SendFrame(Opcode::Text, AuthMessage(m_app, m_offeredKey));
                bytes = m_handshake->Rest();
                break;
        }
    }
    m_frames.Feed(bytes);
    Message message;
    while (IsOpen() && m_frames.Next(message)) {
        Handle(message);
    }
    if (m_frames.State() == FrameState::Failed && IsOpen()) {
        if (m_frames.Oversized()) {
            Overflow("sent a message over 16 MiB");
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
                    Overflow("sent more tabs, clients or channels than Sayvane keeps");
                    return;
                }
                if (!IsKeyText(m_model.ApiKey())) {
                    // It would go into the settings file as it is: CR or LF there write lines
                    // of their own.
                    Overflow("sent a key that is no key");
                    return;
                }
                if (m_stage == Stage::Authorizing && m_model.Refusal()) {
                    const std::string words = m_model.Refusal()->message;  // the model is cleared on the way
                    Refused(true, words);
                } else if (m_stage == Stage::Authorizing && m_model.Allowed()) {
                    m_stage = Stage::Talking;
                    Succeeded();
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
            Flush();  // the answer to the close, if it goes at once
            Ended("TeamSpeak closed the connection");
            break;
    }
}

void RemoteLink::SendFrame(Opcode opcode, std::string_view payload) {
    const auto mask = static_cast<std::uint32_t>(m_random());
    Write(EncodeFrame(opcode, payload,
                      {static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8U),
                       static_cast<std::uint8_t>(mask >> 16U), static_cast<std::uint8_t>(mask >> 24U)}));
}

RemoteState RemoteLink::State() const {
    if (m_declined) {
        return RemoteState::Declined;
    }
    if (!IsOpen()) {
        if (Overflowed()) {
            return RemoteState::Overflowed;
        }
        return m_refusal.empty() ? RemoteState::NotRunning : RemoteState::NotRemoteApps;
    }
    switch (m_stage) {
        case Stage::Handshake: return RemoteState::Connecting;
        case Stage::Authorizing: return m_askingAgain ? RemoteState::AskingAgain : RemoteState::WaitingForUser;
        case Stage::Talking: break;
    }
    const ServerTab& tab = m_model.Tabs().ActiveTab();
    if (!tab.connected) {
        return RemoteState::NoServer;
    }
    return tab.synced ? RemoteState::Connected : RemoteState::NoServer;
}

LinkStatus RemoteLink::Status() const {
    switch (State()) {
        case RemoteState::NotRunning:
        case RemoteState::Connecting:
        case RemoteState::NotRemoteApps:
        case RemoteState::Overflowed: return LinkStatus::NotRunning;
        case RemoteState::Connected: return LinkStatus::Connected;
        default: return LinkStatus::Running;
    }
}

std::string RemoteLink::StatusLine(std::string_view /*programFolder*/) {
    Pump();
    const std::string port = std::to_string(Port());
    switch (State()) {
        case RemoteState::NotRunning: return "TeamSpeak 5/6 is not running (nothing answers on port " + port + ")";
        case RemoteState::Connecting: return "TeamSpeak 5/6 answers; connecting...";
        case RemoteState::NotRemoteApps:
            return "What answers on port " + port + " is not TeamSpeak's Remote Apps: " + Refusal();
        case RemoteState::WaitingForUser: return "Waiting for you to allow Sayvane in TeamSpeak";
        case RemoteState::AskingAgain:
            return "TeamSpeak did not take the key Sayvane kept: allow Sayvane again in TeamSpeak";
        case RemoteState::Declined:
            return "TeamSpeak declined Sayvane" + (Refusal().empty() ? std::string() : " (" + Refusal() + ")") +
                   ": \"Forget this key\" asks again";
        case RemoteState::Overflowed:
            return "What answers on port " + port + " sent more than Sayvane keeps: trying again";
        case RemoteState::NoServer: return "TeamSpeak 5/6 runs, without a server connection";
        case RemoteState::Connected: break;
    }
    return "TeamSpeak 5/6 is connected to " + ServerName();
}

}  // namespace sayvane::remote
