// A keyboard in memory for tests: the US layout's look-ups (characters to keys with their
// shift states, virtual keys to scan codes and characters), the keys held and toggled, and a
// log of every synthetic key event.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/Keyboard.h"

namespace sayvane::sim {

// One keybd_event call as the keyboard saw it.
struct KeyEventRecord {
    std::uint8_t virtualKey = 0;
    std::uint8_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uintptr_t extraInfo = 0;

    friend bool operator==(const KeyEventRecord& a, const KeyEventRecord& b) {
        return a.virtualKey == b.virtualKey && a.scanCode == b.scanCode && a.flags == b.flags &&
               a.extraInfo == b.extraInfo;
    }
};
std::ostream& operator<<(std::ostream& out, const KeyEventRecord& e);

// Shorthands for expected log entries: a press, and a release (KEYEVENTF_KEYUP is added).
KeyEventRecord Down(int virtualKey, int scanCode = 0, std::uint32_t flags = 0);
KeyEventRecord Up(int virtualKey, int scanCode = 0, std::uint32_t flags = 0);

class SimulatedKeyboard final : public Keyboard {
public:
    // The US layout, nothing held, no lock on.
    SimulatedKeyboard();

    // Changes the layout: what VkKeyScanA gives for a character, MapVirtualKeyA type 0 for a
    // virtual key.
    void SetKeyScan(char character, std::int16_t lookUp);
    void SetScanCode(int virtualKey, std::uint32_t scanCode);

    // The user's own hands: a key held down (GetAsyncKeyState and GetKeyState bit 15), a lock
    // key's light (GetKeyState bit 0).
    void SetHeld(int virtualKey, bool held);
    void SetToggled(int virtualKey, bool toggled);
    [[nodiscard]] bool IsHeld(int virtualKey) const;
    // The virtual keys held down now, in code order.
    [[nodiscard]] std::vector<int> HeldKeys() const;

    // The log of every key event, oldest first.
    [[nodiscard]] const std::vector<KeyEventRecord>& Events() const { return m_events; }
    void ClearEvents() { m_events.clear(); }
    // Runs on every key event, after it is logged and applied.
    void OnKeyEvent(std::function<void(const KeyEventRecord&)> handler) { m_onKeyEvent = std::move(handler); }

    // Keyboard
    [[nodiscard]] std::int16_t KeyForCharacter(char character) override;
    [[nodiscard]] std::uint32_t MapKey(std::uint32_t code, std::uint32_t mapType) override;
    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
    [[nodiscard]] std::int16_t KeyState(int virtualKey) override;
    [[nodiscard]] std::int16_t AsyncKeyState(int virtualKey) override;

private:
    [[nodiscard]] static bool IsKey(int virtualKey) { return virtualKey >= 0 && virtualKey <= 0xFF; }

    std::array<std::int16_t, 256> m_keyScan{};    // by character byte
    std::array<std::uint32_t, 256> m_scanCode{};  // by virtual key
    std::array<std::uint32_t, 256> m_char{};      // by virtual key: the unshifted character
    std::array<bool, 256> m_held{};
    std::array<bool, 256> m_toggled{};
    std::vector<KeyEventRecord> m_events;
    std::function<void(const KeyEventRecord&)> m_onKeyEvent;
};

}  // namespace sayvane::sim
