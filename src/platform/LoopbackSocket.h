// One TCP connection to a port of this computer (127.0.0.1 only), never waiting: the GUI
// thread starts the connection and then looks at it whenever the socket says something
// happened, and on every tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace sayvane {

class LoopbackSocket {
public:
    enum class State {
        Closed,      // nothing started, or closed
        Connecting,  // started; neither open nor refused yet
        Open,
        Failed,  // refused, reset or closed by the other end: Close, then Connect again
    };

    virtual ~LoopbackSocket() = default;

    // Closes any earlier connection and starts one to 127.0.0.1:port. Returns at once.
    virtual void Connect(std::uint16_t port) = 0;
    // Where the connection stands now (a connect that finished is noticed here).
    [[nodiscard]] virtual State Poll() = 0;
    // Up to `size` bytes that have arrived: their count, 0 when none is waiting. On an
    // open connection only; the end of the stream or an error makes the state Failed.
    [[nodiscard]] virtual std::size_t Receive(char* buffer, std::size_t size) = 0;
    // Sends what can go without waiting; returns how many bytes went (the rest is the
    // caller's to send again later). An error makes the state Failed.
    [[nodiscard]] virtual std::size_t Send(std::string_view bytes) = 0;
    virtual void Close() = 0;

    // `activity` is called on the GUI thread, from its message loop, whenever the connection
    // may have something to do: it finished connecting, bytes arrived, room to send came
    // back, or the other end closed. Never from inside this socket's own calls. A socket that
    // cannot tell never calls it, and its owner finds out on the next tick.
    using Activity = std::function<void()>;
    virtual void OnActivity(const Activity& activity) { (void)activity; }

protected:
    LoopbackSocket() = default;
    LoopbackSocket(const LoopbackSocket&) = default;
    LoopbackSocket& operator=(const LoopbackSocket&) = default;
    LoopbackSocket(LoopbackSocket&&) = default;
    LoopbackSocket& operator=(LoopbackSocket&&) = default;
};

}  // namespace sayvane
