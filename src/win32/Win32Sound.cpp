// Tones through kernel32's Beep.
#include "win32/Win32Sound.h"

#include <windows.h>

namespace sayvane::win32 {

void Win32Sound::Beep(int frequency, int milliseconds) {
    // Beep refuses frequencies outside 37..32767 Hz itself; its result tells nothing useful.
    ::Beep(static_cast<DWORD>(frequency > 0 ? frequency : 0), static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

}  // namespace sayvane::win32
