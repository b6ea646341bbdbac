// Synthetic keystrokes through keybd_event.
#include "ivac/KeystrokeSynthesiser.h"

namespace sayvane {

namespace {

constexpr std::int16_t kNoKey = -1;  // VkKeyScanA's answer for a character without a key
constexpr int kShiftBit = 1;
constexpr int kCtrlBit = 2;
constexpr int kAltBit = 4;
constexpr std::uint32_t kLargestByte = 0xFF;
constexpr int kPauseAfterCharacterMs = 10;

}  // namespace

KeyResult clsKeyboard::PressKey(std::string_view sKey, bool bHold, bool bRelease) {
    if (sKey.empty()) {
        return KeyResult::EmptyKey;
    }
    const std::int16_t lookUp = m_keyboard.KeyForCharacter(sKey.front());
    if (lookUp == 0 || lookUp == kNoKey) {
        return KeyResult::NotOnLayout;
    }
    // The whole look-up value, shift state included, goes to MapVirtualKeyA, sign-extended.
    const auto code = static_cast<std::uint32_t>(static_cast<std::int32_t>(lookUp));
    const std::uint32_t keyFlags = m_keyboard.MapKey(code, kMapVirtualKeyToChar) == 0 ? kKeyEventExtendedKey : 0;
    const std::uint32_t scanCode = m_keyboard.MapKey(code, kMapVirtualKeyToScanCode);
    // Checked before any event goes out, so that a refusal never leaves a modifier held.
    if (scanCode > kLargestByte) {
        return KeyResult::ScanCodeOutOfRange;
    }
    const auto virtualKey = static_cast<std::uint8_t>(lookUp & 0xFF);
    const auto scan = static_cast<std::uint8_t>(scanCode);
    const int shiftState = (lookUp >> 8) & 0xFF;
    const bool shift = (shiftState & kShiftBit) != 0;
    const bool ctrl = (shiftState & kCtrlBit) != 0;
    const bool alt = (shiftState & kAltBit) != 0;

    if (!bRelease) {
        if (shift) {
            m_keyboard.KeyEvent(vk::kShift, 0, 0, 0);
        }
        if (ctrl) {
            m_keyboard.KeyEvent(vk::kControl, 0, 0, 0);
        }
        if (alt) {
            m_keyboard.KeyEvent(vk::kMenu, 0, 0, 0);
        }
        m_keyboard.KeyEvent(virtualKey, scan, keyFlags, 0);
    }
    if (!bHold) {
        m_keyboard.KeyEvent(virtualKey, scan, keyFlags | kKeyEventKeyUp, 0);
        // Released in the order they were pressed, not in reverse.
        if (shift) {
            m_keyboard.KeyEvent(vk::kShift, 0, kKeyEventKeyUp, 0);
        }
        if (ctrl) {
            m_keyboard.KeyEvent(vk::kControl, 0, kKeyEventKeyUp, 0);
        }
        if (alt) {
            m_keyboard.KeyEvent(vk::kMenu, 0, kKeyEventKeyUp, 0);
        }
    }
    return KeyResult::Done;
}

KeyResult clsKeyboard::PressString(std::string_view sString, bool bDoEvents) {
    KeyResult result = KeyResult::Done;
    for (std::size_t i = 0; i < sString.size(); ++i) {
        const KeyResult key = PressKey(sString.substr(i, 1), false, false);
        if (IsRefusal(key)) {
            return key;
        }
        if (key == KeyResult::NotOnLayout) {
            result = key;
        }
        if (bDoEvents) {
            m_clock.Sleep(kPauseAfterCharacterMs);
            m_clock.ProcessPendingMessages();
        }
    }
    return result;
}

KeyResult clsKeyboard::PressKeyVK(std::int32_t keyPress, bool bHold, bool bRelease, bool bCompatible) {
    if (keyPress < 0 || static_cast<std::uint32_t>(keyPress) > kLargestByte) {
        return KeyResult::KeyOutOfRange;
    }
    const auto code = static_cast<std::uint32_t>(keyPress);
    std::uint32_t flags = m_keyboard.MapKey(code, kMapVirtualKeyToChar) == 0 ? kKeyEventExtendedKey : 0;
    const std::uint32_t scanCode = m_keyboard.MapKey(code, kMapVirtualKeyToScanCode);
    if (bCompatible) {
        flags = 0;
    }
    if (scanCode > kLargestByte) {
        return KeyResult::ScanCodeOutOfRange;
    }
    const auto virtualKey = static_cast<std::uint8_t>(code);
    const auto scan = static_cast<std::uint8_t>(scanCode);
    if (!bRelease) {
        m_keyboard.KeyEvent(virtualKey, scan, flags, 0);
    }
    if (!bHold) {
        m_keyboard.KeyEvent(virtualKey, scan, flags | kKeyEventKeyUp, 0);
    }
    return KeyResult::Done;
}

LockStatus clsKeyboard::GetLockStatus() {
    LockStatus status;
    status.bCapsLock = m_keyboard.KeyState(vk::kCapital) != 0;
    status.bNumLock = m_keyboard.KeyState(vk::kNumLock) != 0;
    status.bScrollLock = m_keyboard.KeyState(vk::kScroll) != 0;
    return status;
}

}  // namespace sayvane
