// `clsKeyboard`: characters and virtual keys turned into synthetic key presses and releases
// in the system's input stream. Whatever window has the keyboard focus receives them, so the
// caller brings its target to the foreground first; this class looks at no window.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Keyboard.h"

namespace sayvane {

// What became of a key call.
enum class KeyResult {
    Done,                // every event asked for was sent (none when bHold and bRelease are both set)
    NotOnLayout,         // the keyboard layout has no key for the character: nothing was sent for it
    EmptyKey,            // refused: no character given
    KeyOutOfRange,       // refused: a virtual-key code outside 0..255
    ScanCodeOutOfRange,  // refused: the layout gave a scan code outside 0..255
};

// True for the three refusals, which the caller is told of as errors.
[[nodiscard]] constexpr bool IsRefusal(KeyResult result) {
    return result == KeyResult::EmptyKey || result == KeyResult::KeyOutOfRange ||
           result == KeyResult::ScanCodeOutOfRange;
}

// The three lock keys, each on when GetKeyState gives a non-zero state for it (toggled on,
// or held down now).
struct LockStatus {
    bool bCapsLock = false;
    bool bNumLock = false;
    bool bScrollLock = false;
};

class clsKeyboard {
public:
    clsKeyboard(Keyboard& keyboard, Clock& clock) : m_keyboard(keyboard), m_clock(clock) {}

    // Presses and/or releases the key that types the first character of `sKey`, with the Shift,
    // Ctrl and Alt keys it needs: modifiers down in that order, the key down, the key up, then
    // the modifiers up in the same order. `bHold` presses only, `bRelease` releases only.
    // Nothing is sent for a refused call, nor for a character the layout cannot type.
    [[nodiscard]] KeyResult PressKey(std::string_view sKey, bool bHold = false, bool bRelease = false);

    // Types `sString` character by character with PressKey; with `bDoEvents`, waits 10 ms and
    // lets pending window messages run after each character. A refused character ends the
    // typing with its refusal; a character the layout cannot type is passed over and the
    // result is then NotOnLayout.
    [[nodiscard]] KeyResult PressString(std::string_view sString, bool bDoEvents = false);

    // Presses and/or releases one virtual key, without modifiers. Keys that type no character
    // go as extended keys, unless `bCompatible` asks for plain ones.
    [[nodiscard]] KeyResult PressKeyVK(std::int32_t keyPress, bool bHold = false, bool bRelease = false,
                                       bool bCompatible = false);

    [[nodiscard]] LockStatus GetLockStatus();

private:
    Keyboard& m_keyboard;
    Clock& m_clock;
};

}  // namespace sayvane
