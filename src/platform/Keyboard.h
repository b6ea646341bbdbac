// The keyboard as the program uses it: the layout's look-ups from characters and virtual keys
// to keys and scan codes, synthetic key events into the system's input stream, and the state
// of single keys (held down now, or toggled like the lock keys).
#pragma once

#include <cstdint>

namespace sayvane {

// Virtual-key codes the program names.
namespace vk {
constexpr int kReturn = 0x0D;   // VK_RETURN
constexpr int kShift = 0x10;    // VK_SHIFT
constexpr int kControl = 0x11;  // VK_CONTROL
constexpr int kMenu = 0x12;     // VK_MENU, the Alt key
constexpr int kCapital = 0x14;  // VK_CAPITAL, Caps Lock
constexpr int kF12 = 0x7B;      // VK_F12
constexpr int kNumLock = 0x90;  // VK_NUMLOCK
constexpr int kScroll = 0x91;   // VK_SCROLL, Scroll Lock
}  // namespace vk

// keybd_event flags.
constexpr std::uint32_t kKeyEventExtendedKey = 0x0001;  // KEYEVENTF_EXTENDEDKEY
constexpr std::uint32_t kKeyEventKeyUp = 0x0002;        // KEYEVENTF_KEYUP

// MapVirtualKeyA map types.
constexpr std::uint32_t kMapVirtualKeyToScanCode = 0;  // MAPVK_VK_TO_VSC
constexpr std::uint32_t kMapVirtualKeyToChar = 2;      // MAPVK_VK_TO_CHAR

class Keyboard {
public:
    virtual ~Keyboard() = default;

    // VkKeyScanA: the key that types the ANSI character, with the virtual-key code in the low
    // byte and the shift state in the high byte (1 Shift, 2 Ctrl, 4 Alt); -1 when the layout
    // has no key for it.
    [[nodiscard]] virtual std::int16_t KeyForCharacter(char character) = 0;

    // MapVirtualKeyA: `code` translated by `mapType`; 0 when there is no translation.
    [[nodiscard]] virtual std::uint32_t MapKey(std::uint32_t code, std::uint32_t mapType) = 0;

    // keybd_event: one synthetic key event into the system's input stream; whatever window
    // has the keyboard focus receives it.
    virtual void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                          std::uintptr_t extraInfo) = 0;

    // GetKeyState: the key as this program's input queue saw it; the low bit is the toggle
    // (the lock keys' light), bit 15 the key being held.
    [[nodiscard]] virtual std::int16_t KeyState(int virtualKey) = 0;

    // GetAsyncKeyState: bit 15 is set while the key is held down, whichever window has the
    // focus.
    [[nodiscard]] virtual std::int16_t AsyncKeyState(int virtualKey) = 0;

protected:
    Keyboard() = default;
    Keyboard(const Keyboard&) = default;
    Keyboard& operator=(const Keyboard&) = default;
    Keyboard(Keyboard&&) = default;
    Keyboard& operator=(Keyboard&&) = default;
};

}  // namespace sayvane
