// Time as the program's single GUI thread sees it: plain blocking sleeps, and yields that
// let pending window messages run (a timer tick or a menu command may run inside a yield).
#pragma once

#include <cstdint>

namespace sayvane {

class Clock {
public:
    virtual ~Clock() = default;

    // Blocks the thread; no window message is processed meanwhile.
    virtual void Sleep(int milliseconds) = 0;

    // Lets the window messages that are already pending run, then returns.
    virtual void ProcessPendingMessages() = 0;

    // Milliseconds since an arbitrary fixed point; only differences mean anything.
    [[nodiscard]] virtual std::int64_t NowMilliseconds() const = 0;

protected:
    Clock() = default;
    Clock(const Clock&) = default;
    Clock& operator=(const Clock&) = default;
    Clock(Clock&&) = default;
    Clock& operator=(Clock&&) = default;
};

}  // namespace sayvane
