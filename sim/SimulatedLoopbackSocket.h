// A loopback connection in memory to a simulated program (TeamSpeak 3's query interface,
// TeamSpeak 5/6's Remote Apps), with knobs for how the bytes travel (chunk sizes, partial
// sends) and for refused connections.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/LoopbackSocket.h"
#include "sim/SimulatedPeer.h"
#include "sim/Ts3QueryClient.h"

namespace sayvane::sim {

class SimulatedLoopbackSocket final : public LoopbackSocket {
public:
    // The peer, listening on `listeningPort`, must outlive the socket.
    explicit SimulatedLoopbackSocket(SimulatedPeer& peer, std::uint16_t listeningPort = kTs3DefaultPort)
        : m_peer(peer), m_listeningPort(listeningPort) {}
    ~SimulatedLoopbackSocket() override = default;
    SimulatedLoopbackSocket(const SimulatedLoopbackSocket&) = delete;
    SimulatedLoopbackSocket& operator=(const SimulatedLoopbackSocket&) = delete;
    SimulatedLoopbackSocket(SimulatedLoopbackSocket&&) = delete;
    SimulatedLoopbackSocket& operator=(SimulatedLoopbackSocket&&) = delete;

    // Connect starts Connecting; the next Poll opens the connection (a new session of the
    // peer), or fails when the peer is not running, the port is not the one it listens on, or
    // connections are refused.
    void Connect(std::uint16_t port) override;
    [[nodiscard]] State Poll() override;
    // At most the chunk size of the peer's queued bytes. Once the peer closed its end and
    // every byte was read, the state turns Failed.
    [[nodiscard]] std::size_t Receive(char* buffer, std::size_t size) override;
    // Hands at most the send limit of the bytes to the peer.
    [[nodiscard]] std::size_t Send(std::string_view bytes) override;
    void Close() override;

    // The most bytes one Receive returns (1: every line arrives split at every byte); 0 for
    // no limit beyond the caller's buffer.
    void SetChunkSize(std::size_t bytes) { m_chunkSize = bytes; }
    // The most bytes one Send takes; 0 for no limit.
    void SetSendLimit(std::size_t bytes) { m_sendLimit = bytes; }
    // The peer stops (or starts again) reading: Send takes nothing, as with its buffers full.
    void SetPeerReads(bool reads) { m_peerReads = reads; }
    // Connections fail as if nothing listened on the port.
    void SetRefuse(bool refuse) { m_refuse = refuse; }
    void SetListeningPort(std::uint16_t port) { m_listeningPort = port; }

    // Connects started, and the port of the last one.
    [[nodiscard]] std::size_t ConnectAttempts() const { return m_connectAttempts; }
    [[nodiscard]] std::uint16_t LastPort() const { return m_lastPort; }
    [[nodiscard]] State CurrentState() const { return m_state; }

private:
    // The peer still serves the session this socket opened.
    [[nodiscard]] bool OwnSession() const;
    // The peer's end is gone: Failed once nothing is left to read.
    void CheckClosed();

    SimulatedPeer& m_peer;
    std::uint16_t m_listeningPort;
    State m_state = State::Closed;
    std::uint64_t m_session = 0;
    std::size_t m_chunkSize = 0;
    std::size_t m_sendLimit = 0;
    bool m_refuse = false;
    bool m_peerReads = true;
    std::size_t m_connectAttempts = 0;
    std::uint16_t m_lastPort = 0;
};

}  // namespace sayvane::sim
