// A keyboard in memory for tests, with the US layout.
#include "sim/SimulatedKeyboard.h"

#include <iomanip>

namespace sayvane::sim {

namespace {

// A virtual key of the US layout: its scan code (MapVirtualKeyA type 0) and the character it
// types without modifiers (type 2; letters give their capital, keys that type nothing 0).
struct KeyCap {
    int virtualKey;
    std::uint32_t scanCode;
    std::uint32_t character;
};

constexpr KeyCap kUsKeys[] = {
    {0x08, 0x0E, '\b'}, {0x09, 0x0F, '\t'}, {0x0D, 0x1C, '\r'}, {0x10, 0x2A, 0},    {0x11, 0x1D, 0},
    {0x12, 0x38, 0},    {0x14, 0x3A, 0},    {0x1B, 0x01, 0x1B}, {0x20, 0x39, ' '},  {0x21, 0x49, 0},
    {0x22, 0x51, 0},    {0x23, 0x4F, 0},    {0x24, 0x47, 0},    {0x25, 0x4B, 0},    {0x26, 0x48, 0},
    {0x27, 0x4D, 0},    {0x28, 0x50, 0},    {0x2D, 0x52, 0},    {0x2E, 0x53, 0},    {0x30, 0x0B, '0'},
    {0x31, 0x02, '1'},  {0x32, 0x03, '2'},  {0x33, 0x04, '3'},  {0x34, 0x05, '4'},  {0x35, 0x06, '5'},
    {0x36, 0x07, '6'},  {0x37, 0x08, '7'},  {0x38, 0x09, '8'},  {0x39, 0x0A, '9'},  {0x41, 0x1E, 'A'},
    {0x42, 0x30, 'B'},  {0x43, 0x2E, 'C'},  {0x44, 0x20, 'D'},  {0x45, 0x12, 'E'},  {0x46, 0x21, 'F'},
    {0x47, 0x22, 'G'},  {0x48, 0x23, 'H'},  {0x49, 0x17, 'I'},  {0x4A, 0x24, 'J'},  {0x4B, 0x25, 'K'},
    {0x4C, 0x26, 'L'},  {0x4D, 0x32, 'M'},  {0x4E, 0x31, 'N'},  {0x4F, 0x18, 'O'},  {0x50, 0x19, 'P'},
    {0x51, 0x10, 'Q'},  {0x52, 0x13, 'R'},  {0x53, 0x1F, 'S'},  {0x54, 0x14, 'T'},  {0x55, 0x16, 'U'},
    {0x56, 0x2F, 'V'},  {0x57, 0x11, 'W'},  {0x58, 0x2D, 'X'},  {0x59, 0x15, 'Y'},  {0x5A, 0x2C, 'Z'},
    {0x60, 0x52, '0'},  {0x61, 0x4F, '1'},  {0x62, 0x50, '2'},  {0x63, 0x51, '3'},  {0x64, 0x4B, '4'},
    {0x65, 0x4C, '5'},  {0x66, 0x4D, '6'},  {0x67, 0x47, '7'},  {0x68, 0x48, '8'},  {0x69, 0x49, '9'},
    {0x6A, 0x37, '*'},  {0x6B, 0x4E, '+'},  {0x6D, 0x4A, '-'},  {0x6E, 0x53, '.'},  {0x6F, 0x35, '/'},
    {0x70, 0x3B, 0},    {0x71, 0x3C, 0},    {0x72, 0x3D, 0},    {0x73, 0x3E, 0},    {0x74, 0x3F, 0},
    {0x75, 0x40, 0},    {0x76, 0x41, 0},    {0x77, 0x42, 0},    {0x78, 0x43, 0},    {0x79, 0x44, 0},
    {0x7A, 0x57, 0},    {0x7B, 0x58, 0},    {0x90, 0x45, 0},    {0x91, 0x46, 0},    {0xA0, 0x2A, 0},
    {0xA1, 0x36, 0},    {0xA2, 0x1D, 0},    {0xA3, 0x1D, 0},    {0xA4, 0x38, 0},    {0xA5, 0x38, 0},
    {0xBA, 0x27, ';'},  {0xBB, 0x0D, '='},  {0xBC, 0x33, ','},  {0xBD, 0x0C, '-'},  {0xBE, 0x34, '.'},
    {0xBF, 0x35, '/'},  {0xC0, 0x29, '`'},  {0xDB, 0x1A, '['},  {0xDC, 0x2B, '\\'}, {0xDD, 0x1B, ']'},
    {0xDE, 0x28, '\''},
};

// The characters of the main block that Shift makes, with the key that makes them unshifted.
constexpr struct {
    char plain;
    char shifted;
    int virtualKey;
} kUsPairs[] = {
    {'0', ')', 0x30},  {'1', '!', 0x31}, {'2', '@', 0x32},  {'3', '#', 0x33}, {'4', '$', 0x34}, {'5', '%', 0x35},
    {'6', '^', 0x36},  {'7', '&', 0x37}, {'8', '*', 0x38},  {'9', '(', 0x39}, {';', ':', 0xBA}, {'=', '+', 0xBB},
    {',', '<', 0xBC},  {'-', '_', 0xBD}, {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};

constexpr std::int16_t kShiftState = 0x100;
constexpr std::int16_t kCtrlState = 0x200;

std::size_t Index(char character) {
    return static_cast<unsigned char>(character);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const KeyEventRecord& e) {
    out << ((e.flags & kKeyEventKeyUp) != 0 ? "up" : "down") << " vk 0x" << std::hex << int(e.virtualKey) << " scan 0x"
        << int(e.scanCode) << " flags 0x" << e.flags << std::dec;
    if (e.extraInfo != 0) {
        out << " extra " << e.extraInfo;
    }
    return out;
}

KeyEventRecord Down(int virtualKey, int scanCode, std::uint32_t flags) {
    return KeyEventRecord{static_cast<std::uint8_t>(virtualKey), static_cast<std::uint8_t>(scanCode), flags, 0};
}

KeyEventRecord Up(int virtualKey, int scanCode, std::uint32_t flags) {
    return KeyEventRecord{static_cast<std::uint8_t>(virtualKey), static_cast<std::uint8_t>(scanCode),
                          flags | kKeyEventKeyUp, 0};
}

SimulatedKeyboard::SimulatedKeyboard() {
    m_keyScan.fill(-1);  // the upper half of the code page has no key on this layout
    for (const KeyCap& key : kUsKeys) {
        m_scanCode[static_cast<std::size_t>(key.virtualKey)] = key.scanCode;
        m_char[static_cast<std::size_t>(key.virtualKey)] = key.character;
    }
    for (char c = 'a'; c <= 'z'; ++c) {
        const auto key = static_cast<std::int16_t>(c - 'a' + 'A');
        m_keyScan[Index(c)] = key;
        m_keyScan[Index(static_cast<char>(key))] = static_cast<std::int16_t>(kShiftState | key);
        // Ctrl with a letter types the control character of its place in the alphabet.
        m_keyScan[static_cast<std::size_t>(c - 'a') + 1] = static_cast<std::int16_t>(kCtrlState | key);
    }
    for (const auto& pair : kUsPairs) {
        m_keyScan[Index(pair.plain)] = static_cast<std::int16_t>(pair.virtualKey);
        m_keyScan[Index(pair.shifted)] = static_cast<std::int16_t>(kShiftState | pair.virtualKey);
    }
    m_keyScan[Index(' ')] = 0x20;
    m_keyScan[Index('\b')] = 0x08;
    m_keyScan[Index('\t')] = 0x09;
    m_keyScan[Index('\r')] = 0x0D;
    m_keyScan[Index('\n')] = kCtrlState | 0x0D;  // Ctrl+Enter
    m_keyScan[0x1B] = 0x1B;                      // Escape
    m_keyScan[0x7F] = kCtrlState | 0x08;         // Ctrl+Backspace
}

void SimulatedKeyboard::SetKeyScan(char character, std::int16_t lookUp) {
    m_keyScan[Index(character)] = lookUp;
}

void SimulatedKeyboard::SetScanCode(int virtualKey, std::uint32_t scanCode) {
    if (IsKey(virtualKey)) {
        m_scanCode[static_cast<std::size_t>(virtualKey)] = scanCode;
    }
}

void SimulatedKeyboard::SetHeld(int virtualKey, bool held) {
    if (IsKey(virtualKey)) {
        m_held[static_cast<std::size_t>(virtualKey)] = held;
    }
}

void SimulatedKeyboard::SetToggled(int virtualKey, bool toggled) {
    if (IsKey(virtualKey)) {
        m_toggled[static_cast<std::size_t>(virtualKey)] = toggled;
    }
}

bool SimulatedKeyboard::IsHeld(int virtualKey) const {
    return IsKey(virtualKey) && m_held[static_cast<std::size_t>(virtualKey)];
}

std::vector<int> SimulatedKeyboard::HeldKeys() const {
    std::vector<int> held;
    for (int key = 0; key <= 0xFF; ++key) {
        if (m_held[static_cast<std::size_t>(key)]) {
            held.push_back(key);
        }
    }
    return held;
}

std::int16_t SimulatedKeyboard::KeyForCharacter(char character) {
    return m_keyScan[Index(character)];
}

std::uint32_t SimulatedKeyboard::MapKey(std::uint32_t code, std::uint32_t mapType) {
    // A code beyond one byte names no virtual key: a look-up value with its shift state in the
    // high byte translates to nothing, as on Windows.
    if (code > 0xFF) {
        return 0;
    }
    switch (mapType) {
        case kMapVirtualKeyToScanCode: return m_scanCode[code];
        case kMapVirtualKeyToChar: return m_char[code];
        default: return 0;
    }
}

void SimulatedKeyboard::KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                                 std::uintptr_t extraInfo) {
    const KeyEventRecord event{virtualKey, scanCode, flags, extraInfo};
    m_events.push_back(event);
    const bool release = (flags & kKeyEventKeyUp) != 0;
    if (!release && !m_held[virtualKey]) {
        m_toggled[virtualKey] = !m_toggled[virtualKey];  // a fresh press flips the toggle
    }
    m_held[virtualKey] = !release;
    if (m_onKeyEvent) {
        m_onKeyEvent(event);
    }
}

std::int16_t SimulatedKeyboard::KeyState(int virtualKey) {
    if (!IsKey(virtualKey)) {
        return 0;
    }
    const auto key = static_cast<std::size_t>(virtualKey);
    return static_cast<std::int16_t>((m_held[key] ? -0x8000 : 0) | (m_toggled[key] ? 1 : 0));
}

std::int16_t SimulatedKeyboard::AsyncKeyState(int virtualKey) {
    return IsHeld(virtualKey) ? static_cast<std::int16_t>(-0x8000) : std::int16_t{0};
}

}  // namespace sayvane::sim
