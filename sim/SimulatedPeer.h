// A simulated program at the other end of a loopback connection, as a transport sees it:
// sessions opened and dropped, bytes in and bytes out, and no sockets. The in-memory
// loopback socket of the tests and the peers' real sockets drive it alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sayvane::sim {

class SimulatedPeer {
public:
    virtual ~SimulatedPeer() = default;

    // False when the program is not running: no connection is accepted.
    [[nodiscard]] virtual bool Running() const = 0;
    // A new connection: fresh session state, whatever the program says first queued. False
    // (and nothing) when it is not running.
    virtual bool Connect() = 0;
    // The other end went away: the session ends and whatever was queued is dropped.
    virtual void Disconnect() = 0;
    // The session is open: the program has neither closed it nor been disconnected.
    [[nodiscard]] virtual bool IsOpen() const = 0;
    // Counts the connections made; a transport recognises its own session by it.
    [[nodiscard]] virtual std::uint64_t SessionNumber() const = 0;

    // Bytes from the other end.
    virtual void Receive(std::string_view bytes) = 0;
    // Up to `most` of the bytes queued for the other end. They stay readable after the
    // program closed the session, until the next Connect or Disconnect.
    [[nodiscard]] virtual std::string TakeOutput(std::size_t most) = 0;
    [[nodiscard]] virtual std::size_t OutputSize() const = 0;
    // False while the program takes nothing from the connection: what the other end sends
    // then waits in the transport's buffers until they are full.
    [[nodiscard]] virtual bool Reads() const { return true; }

protected:
    SimulatedPeer() = default;
    SimulatedPeer(const SimulatedPeer&) = default;
    SimulatedPeer& operator=(const SimulatedPeer&) = default;
    SimulatedPeer(SimulatedPeer&&) = default;
    SimulatedPeer& operator=(SimulatedPeer&&) = default;
};

}  // namespace sayvane::sim
