// Virtual time for tests and benchmarks: sleeps advance it at once, yields run a hook.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Clock.h"

namespace sayvane::sim {

class VirtualClock final : public Clock {
public:
    void Sleep(int milliseconds) override;
    void ProcessPendingMessages() override;
    [[nodiscard]] std::int64_t NowMilliseconds() const override { return m_now; }

    // Moves time on, as the timer's period passing between ticks.
    void Advance(std::int64_t milliseconds) { m_now += milliseconds; }

    // Runs inside every yield: a scenario injects what a user or Windows would do then.
    void OnYield(std::function<void()> hook) { m_onYield = std::move(hook); }

    // Runs at the end of every sleep, once time has moved on: another program acts meanwhile
    // (a dialog opens while this one waits).
    void OnSleep(std::function<void()> hook) { m_onSleep = std::move(hook); }

    [[nodiscard]] const std::vector<int>& Sleeps() const { return m_sleeps; }
    [[nodiscard]] int YieldCount() const { return m_yields; }

private:
    std::int64_t m_now = 0;
    std::vector<int> m_sleeps;
    int m_yields = 0;
    std::function<void()> m_onYield;
    std::function<void()> m_onSleep;
};

}  // namespace sayvane::sim
