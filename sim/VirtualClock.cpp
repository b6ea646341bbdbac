// Virtual time for tests and benchmarks.
#include "sim/VirtualClock.h"

namespace sayvane::sim {

void VirtualClock::Sleep(int milliseconds) {
    m_sleeps.push_back(milliseconds);
    if (milliseconds > 0) {
        m_now += milliseconds;
    }
    if (m_onSleep) {
        m_onSleep();
    }
}

void VirtualClock::ProcessPendingMessages() {
    ++m_yields;
    if (m_onYield) {
        m_onYield();
    }
}

}  // namespace sayvane::sim
