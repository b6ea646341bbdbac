// The socket loop shared by the links to TeamSpeak 3 and TeamSpeak 5/6.
#include "teamspeak/SocketLink.h"

#include <array>
#include <optional>
#include <utility>

namespace sayvane {

SocketLink::SocketLink(LoopbackSocket& socket, const Clock& clock, std::string client)
    : m_socket(socket), m_clock(clock), m_client(std::move(client)) {}

void SocketLink::Reset() {
    // Swapped with an empty one rather than cleared: a flood's capacity goes with the connection.
    std::string().swap(m_unsent);
    m_probing = false;
    Forget();
}

void SocketLink::Drop(const std::string& why, Retry retry) {
    m_socket.Close();
    m_whyEnded = why;
    m_phase = Phase::Waiting;
    m_backoff.Failed(Now());
    switch (retry) {
        case Retry::AfterWait: break;
        case Retry::AfterLongestWait: m_backoff.WaitLongest(Now()); break;
        case Retry::AtOnce: m_backoff.Reset(); break;
        case Retry::Never: m_backoff.Never(); break;
    }
    Reset();
}

void SocketLink::Overflow(const std::string& what) {
    Drop("What answers on " + m_client + "'s port " + what);
    m_overflowed = true;
}

void SocketLink::Succeeded() {
    m_backoff.Succeeded();
    m_overflowed = false;
}

void SocketLink::Stop() {
    Drop("stopped", Retry::AtOnce);
    m_overflowed = false;
}

void SocketLink::Heard() {
    m_lastHeard = Now();
    m_probing = false;
}

void SocketLink::Flush() {
    if (!m_unsent.empty()) {
        m_unsent.erase(0, m_socket.Send(m_unsent));
    }
}

void SocketLink::Pump() {
    const std::int64_t now = Now();
    if (m_phase == Phase::Waiting) {
        if (!m_backoff.Due(now)) {
            return;
        }
        Reset();
        m_socket.Connect(Port());
        m_phase = Phase::Connecting;
        m_since = now;
    }
    if (m_phase == Phase::Connecting) {
        switch (m_socket.Poll()) {
            case LoopbackSocket::State::Open:
                m_phase = Phase::Open;
                m_since = m_lastHeard = now;
                Opened();
                break;
            case LoopbackSocket::State::Connecting:
                if (now - m_since > kAnswerTimeoutMs) {
                    Drop(m_client + " does not answer");
                }
                return;
            default: Drop(m_client + " is not running"); return;
        }
    }
    std::size_t read = 0;
    std::optional<std::uint64_t> endedAtBudget;
    std::array<char, 8192> buffer{};
    while (IsOpen()) {
        // Past the budget only the message begun is read to its end: in a stream of small
        // messages a read nearly always cuts the last one, and the loop would never stop.
        if (read >= kMostBytesPerCall) {
            if (!endedAtBudget) {
                endedAtBudget = MessagesEnded();
            }
            if (!MidMessage() || MessagesEnded() != *endedAtBudget) {
                break;
            }
        }
        const std::size_t got = m_socket.Receive(buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        read += got;
        m_bytesRead += got;
        Received(std::string_view(buffer.data(), got));
    }
    if (IsOpen() && !m_probing && now - m_lastHeard >= kQuietMs && Probe()) {
        m_probing = true;
        m_since = now;
    }
    if (!IsOpen()) {
        return;
    }
    Flush();
    if (m_unsent.size() > kMostUnsentBytes) {
        Overflow("reads too little of what Sayvane sends");
    } else if (m_socket.Poll() != LoopbackSocket::State::Open) {
        Ended(m_client + " closed the connection");
    } else if ((m_probing || AwaitsAnswer()) && now - m_since > kAnswerTimeoutMs) {
        Drop(m_client + " stopped answering");
    }
}

void SocketLink::Activity() {
    if (m_bytesRead - m_bytesAtTick >= kMostActivityBytes) {
        return;  // a flood: the rest waits for the tick
    }
    const std::uint64_t before = Changes();
    Pump();
    if (m_changed && Changes() != before) {
        m_telling = true;
        m_changed();
        m_telling = false;
    }
}

LinkStatus SocketLink::GetSpeakers() {
    const LinkStatus status = TabsLink::GetSpeakers();
    if (!m_telling) {
        m_bytesAtTick = m_bytesRead;
    }
    return status;
}

}  // namespace sayvane
