// The process's own objects.
#include "win32/ProgramServices.h"

#include <windows.h>

namespace sayvane::win32 {

bool RadarActionsWin32::HotKeyHeld() {
    return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0 && (GetAsyncKeyState(VK_F12) & 0x8000) != 0;
}

void RadarActionsWin32::SendCommandLine(const std::string&, const OverlaySettings&) {}

void RadarActionsWin32::CreateChannel() {}

}  // namespace sayvane::win32
