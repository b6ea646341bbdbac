// Time on Windows: Sleep, and a message pump that runs what is pending (VB's DoEvents).
#pragma once

#include "platform/Clock.h"

namespace sayvane::win32 {

class Win32Clock final : public Clock {
public:
    void Sleep(int milliseconds) override;
    void ProcessPendingMessages() override;
    [[nodiscard]] std::int64_t NowMilliseconds() const override;
};

}  // namespace sayvane::win32
