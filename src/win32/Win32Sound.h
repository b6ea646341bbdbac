// Tones through kernel32's Beep.
#pragma once

#include "platform/Sound.h"

namespace sayvane::win32 {

class Win32Sound final : public Sound {
public:
    void Beep(int frequency, int milliseconds) override;
};

}  // namespace sayvane::win32
