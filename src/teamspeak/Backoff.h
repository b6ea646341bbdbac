// When a link tries to reach its voice client again: at once the first time, then after waits
// that double from the first to the last, so that a client that is not running costs little
// and one that starts is found soon. A conversation that went through starts the count anew.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace sayvane {

class Backoff {
public:
    constexpr Backoff(std::int64_t firstMs, std::int64_t lastMs) : m_first(firstMs), m_last(lastMs), m_wait(firstMs) {}

    [[nodiscard]] constexpr bool Due(std::int64_t now) const { return now >= m_next; }
    // An attempt failed at `now`: the next one after the current wait, which then doubles.
    constexpr void Failed(std::int64_t now) {
        m_next = now + m_wait;
        m_wait = std::min(2 * m_wait, m_last);
    }
    // The other end said no: ask again only after the longest wait.
    constexpr void WaitLongest(std::int64_t now) { m_next = now + m_last; }
    // Not again until Reset.
    constexpr void Never() { m_next = std::numeric_limits<std::int64_t>::max(); }
    constexpr void Succeeded() { m_wait = m_first; }
    // The next attempt at once, the waits from the first again.
    constexpr void Reset() {
        m_next = 0;
        m_wait = m_first;
    }

private:
    std::int64_t m_first;
    std::int64_t m_last;
    std::int64_t m_wait;
    std::int64_t m_next = 0;
};

}  // namespace sayvane
