// The in-memory loopback connection: the socket's states driven by the simulated peer.
#include "sim/SimulatedLoopbackSocket.h"

#include <algorithm>
#include <string>

namespace sayvane::sim {

void SimulatedLoopbackSocket::Connect(std::uint16_t port) {
    Close();
    ++m_connectAttempts;
    m_lastPort = port;
    m_state = State::Connecting;
}

LoopbackSocket::State SimulatedLoopbackSocket::Poll() {
    if (m_state == State::Connecting) {
        if (m_refuse || m_lastPort != m_listeningPort || !m_peer.Connect()) {
            m_state = State::Failed;
        } else {
            m_session = m_peer.SessionNumber();
            m_state = State::Open;
        }
    } else if (m_state == State::Open) {
        CheckClosed();
    }
    return m_state;
}

bool SimulatedLoopbackSocket::OwnSession() const {
    return m_peer.SessionNumber() == m_session;
}

void SimulatedLoopbackSocket::CheckClosed() {
    // A newer connection took the peer over: this one was dropped, bytes and all.
    if (!OwnSession() || (!m_peer.IsOpen() && m_peer.OutputSize() == 0)) {
        m_state = State::Failed;
    }
}

std::size_t SimulatedLoopbackSocket::Receive(char* buffer, std::size_t size) {
    if (m_state != State::Open) {
        return 0;
    }
    CheckClosed();
    if (m_state != State::Open) {
        return 0;
    }
    const std::size_t most = m_chunkSize == 0 ? size : std::min(size, m_chunkSize);
    const std::string bytes = m_peer.TakeOutput(most);
    std::copy(bytes.begin(), bytes.end(), buffer);
    return bytes.size();
}

std::size_t SimulatedLoopbackSocket::Send(std::string_view bytes) {
    if (m_state != State::Open) {
        return 0;
    }
    CheckClosed();
    if (m_state != State::Open) {
        return 0;
    }
    if (!m_peer.IsOpen()) {
        // The other end closed but its last bytes are still to be read: the write goes into
        // the buffers and is lost, as on a real connection.
        return bytes.size();
    }
    if (!m_peerReads) {
        return 0;
    }
    const std::size_t count = m_sendLimit == 0 ? bytes.size() : std::min(bytes.size(), m_sendLimit);
    m_peer.Receive(bytes.substr(0, count));
    return count;
}

void SimulatedLoopbackSocket::Close() {
    if (m_state == State::Open && OwnSession()) {
        m_peer.Disconnect();
    }
    m_state = State::Closed;
}

}  // namespace sayvane::sim
