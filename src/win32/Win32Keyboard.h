// The keyboard through user32: the active layout's look-ups, keybd_event and key states.
#pragma once

#include "platform/Keyboard.h"

namespace sayvane::win32 {

class Win32Keyboard final : public Keyboard {
public:
    [[nodiscard]] std::int16_t KeyForCharacter(char character) override;
    [[nodiscard]] std::uint32_t MapKey(std::uint32_t code, std::uint32_t mapType) override;
    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
    [[nodiscard]] std::int16_t KeyState(int virtualKey) override;
    [[nodiscard]] std::int16_t AsyncKeyState(int virtualKey) override;
};

}  // namespace sayvane::win32
