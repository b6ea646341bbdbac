// The Win32 keyboard: the US layout's look-ups under Wine, typing with keybd_event into a
// window of another process that has the foreground, and the hot key's async key state.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "KeyboardLayoutContract.h"
#include "harness/PeerProcess.h"
#include "harness/SayvaneRun.h"
#include "ivac/AircraftSelection.h"
#include "ivac/KeystrokeSynthesiser.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Keyboard.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Keyboard, KeyboardLayoutContract,
                         ::testing::Values(KeyboardFactory{"Win32",
                                                           [] { return std::make_unique<win32::Win32Keyboard>(); }},
                                           KeyboardFactory{"Simulated", MakeSimulatedKeyboard}),
                         KeyboardName);

namespace {

using e2e::PeerProcess;
using e2e::WaitUntil;

// Lets go of keys a test holds, even when it ends early: a key left down would disturb every
// later test on this display.
class ReleasedAtEnd {
public:
    explicit ReleasedAtEnd(std::initializer_list<BYTE> keys) : m_keys(keys) {}
    ~ReleasedAtEnd() {
        for (BYTE key : m_keys) {
            keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        }
    }
    ReleasedAtEnd(const ReleasedAtEnd&) = delete;
    ReleasedAtEnd& operator=(const ReleasedAtEnd&) = delete;

private:
    std::vector<BYTE> m_keys;
};

// A window of another process with a multi-line edit that has the keyboard focus once the
// window is in the foreground.
class TypingTarget {
public:
    TypingTarget()
        : m_process("desktop_fixture.exe", {"--top", "SayvaneTypingTarget", "Typing target", "--edit", "Edit", ""}) {
        m_top = m_process.WaitForWindow("SayvaneTypingTarget");
        if (m_top != nullptr) {
            m_edit = FindWindowExA(m_top, nullptr, "Edit", nullptr);
        }
    }

    // Brings the window forward and waits until the edit has the focus and the window takes
    // typing; the edit is then empty.
    bool TakeTheFocus() {
        if (m_edit == nullptr || !m_desktop.ActivateProcess(m_process.ProcessId())) {
            return false;
        }
        const DWORD thread = GetWindowThreadProcessId(m_top, nullptr);
        const bool focused = WaitUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == m_top && GetGUIThreadInfo(thread, &info) && info.hwndFocus == m_edit;
        });
        if (!focused) {
            return false;
        }
        // Under Wine the X server's focus event reaches the window a few milliseconds after the
        // foreground has moved, and the X11 driver then sets the key state to the X server's,
        // in which no key is down: a key held at that moment is let go. A character typed and
        // seen arriving shows that the window is past it.
        keybd_event('X', 0x2D, 0, 0);
        keybd_event('X', 0x2D, KEYEVENTF_KEYUP, 0);
        if (!WaitUntil([&] { return e2e::WindowText(m_edit) == "x"; })) {
            return false;
        }
        SendMessageA(m_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        return true;
    }

    [[nodiscard]] HWND Edit() const { return m_edit; }

private:
    PeerProcess m_process;
    win32::Win32Desktop m_desktop;
    HWND m_top = nullptr;
    HWND m_edit = nullptr;
};

TEST(Win32Keyboard, TypedTextReachesTheFocusedEditOfAnotherProcess) {
    TypingTarget target;
    ASSERT_NE(target.Edit(), nullptr) << "the fixture's window did not show";
    ASSERT_TRUE(target.TakeTheFocus());
    ReleasedAtEnd release{VK_SHIFT};

    win32::Win32Keyboard keyboard;
    win32::Win32Clock clock;
    clsKeyboard keys(keyboard, clock);
    EXPECT_EQ(keys.PressString("Eddf_Twr 1!", true), KeyResult::Done);
    EXPECT_EQ(keys.PressString("\r", true), KeyResult::Done);
    EXPECT_EQ(keys.PressKey("o"), KeyResult::Done);
    EXPECT_EQ(keys.PressKey("K"), KeyResult::Done);

    EXPECT_TRUE(WaitUntil([&] { return e2e::WindowText(target.Edit()) == "Eddf_Twr 1!\r\noK"; }))
        << "the edit holds \"" << e2e::WindowText(target.Edit()) << "\"";
    // No modifier is left down.
    EXPECT_TRUE(WaitUntil([&] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0; }));
}

TEST(Win32Keyboard, ACharacterHeldAndThenReleasedIsTypedOnce) {
    TypingTarget target;
    ASSERT_NE(target.Edit(), nullptr) << "the fixture's window did not show";
    ASSERT_TRUE(target.TakeTheFocus());
    ReleasedAtEnd release{VK_SHIFT, 'Q'};

    win32::Win32Keyboard keyboard;
    win32::Win32Clock clock;
    clsKeyboard keys(keyboard, clock);
    EXPECT_EQ(keys.PressKey("Q", true, false), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return IsShiftDown(keyboard); })) << "Shift stays down with the key";
    EXPECT_EQ(keys.PressKey("Q", false, true), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return !IsShiftDown(keyboard); }));
    EXPECT_EQ(keys.PressString("z", false), KeyResult::Done);

    EXPECT_TRUE(WaitUntil([&] { return e2e::WindowText(target.Edit()) == "Qz"; }))
        << "the edit holds \"" << e2e::WindowText(target.Edit()) << "\"";
}

TEST(Win32Keyboard, TheHotKeyTestSeesShiftAndF12WhileTheyAreHeld) {
    // The keys go to the fixture, which does nothing with them.
    TypingTarget target;
    ASSERT_NE(target.Edit(), nullptr) << "the fixture's window did not show";
    ASSERT_TRUE(target.TakeTheFocus());
    ReleasedAtEnd release{VK_SHIFT, VK_F12};

    win32::Win32Keyboard keyboard;
    win32::Win32Clock clock;
    clsKeyboard keys(keyboard, clock);
    EXPECT_FALSE(IsShiftDown(keyboard));
    EXPECT_FALSE(IsF12Down(keyboard));

    EXPECT_EQ(keys.PressKeyVK(VK_SHIFT, true, false, true), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return IsShiftDown(keyboard); }));
    EXPECT_FALSE(IsF12Down(keyboard));
    EXPECT_EQ(keys.PressKeyVK(VK_F12, true, false, true), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return IsF12Down(keyboard) && IsShiftDown(keyboard); }));

    EXPECT_EQ(keys.PressKeyVK(VK_SHIFT, false, true, true), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return !IsShiftDown(keyboard) && IsF12Down(keyboard); }));
    EXPECT_EQ(keys.PressKeyVK(VK_F12, false, true, true), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return !IsF12Down(keyboard); }));
    EXPECT_EQ(e2e::WindowText(target.Edit()), "") << "neither key types anything";
}

}  // namespace
}  // namespace sayvane::testing
