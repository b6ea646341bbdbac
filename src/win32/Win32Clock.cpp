// Time on Windows: Sleep, and a message pump that runs what is pending.
#include "win32/Win32Clock.h"

#include <windows.h>

namespace sayvane::win32 {

void Win32Clock::Sleep(int milliseconds) {
    ::Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

void Win32Clock::ProcessPendingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the main loop: put it back for that loop to see.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::int64_t Win32Clock::NowMilliseconds() const {
    return static_cast<std::int64_t>(GetTickCount64());
}

}  // namespace sayvane::win32
