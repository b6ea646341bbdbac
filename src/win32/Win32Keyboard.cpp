// The keyboard through user32.
#include "win32/Win32Keyboard.h"

#include <windows.h>

namespace sayvane::win32 {

std::int16_t Win32Keyboard::KeyForCharacter(char character) {
    return VkKeyScanA(character);
}

std::uint32_t Win32Keyboard::MapKey(std::uint32_t code, std::uint32_t mapType) {
    return MapVirtualKeyA(code, mapType);
}

void Win32Keyboard::KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                             std::uintptr_t extraInfo) {
    keybd_event(virtualKey, scanCode, flags, static_cast<ULONG_PTR>(extraInfo));
}

std::int16_t Win32Keyboard::KeyState(int virtualKey) {
    return GetKeyState(virtualKey);
}

std::int16_t Win32Keyboard::AsyncKeyState(int virtualKey) {
    return GetAsyncKeyState(virtualKey);
}

}  // namespace sayvane::win32
