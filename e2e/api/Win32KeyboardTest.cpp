// The Win32 keyboard: the US layout's look-ups under Wine, typing with keybd_event into a
// window of another process that has the foreground, and the hot key's async key state.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "KeyboardLayoutContract.h"
#include "harness/PeerProcess.h"
#include "ivac/AircraftSelection.h"
#include "ivac/KeystrokeSynthesiser.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Keyboard.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Win32Keyboard, KeyboardLayoutContract,
                         ::testing::Values(MakeKeyboard<win32::Win32Keyboard>("Win32")));

namespace {

using e2e::PeerProcess;
using e2e::WaitUntil;

// A window of another process with a multi-line edit that has the keyboard focus once the
// window is in the foreground, and the keyboard that types into it.
class Win32KeyboardTest : public ::testing::Test {
protected:
    // Brings the window forward and waits until the edit has the focus and the window takes
    // typing; the edit is then empty.
    void SetUp() override {
        m_top = m_process.WaitForWindow("SayvaneTypingTarget");
        ASSERT_NE(m_top, nullptr) << "the fixture's window did not show";
        m_edit = FindWindowExA(m_top, nullptr, "Edit", nullptr);
        ASSERT_TRUE(m_desktop.ActivateProcess(m_process.ProcessId()));
        const DWORD thread = GetWindowThreadProcessId(m_top, nullptr);
        ASSERT_TRUE(WaitUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == m_top && m_desktop.ForegroundProcess() == m_process.ProcessId() &&
                   GetGUIThreadInfo(thread, &info) && info.hwndFocus == m_edit;
        }));
        // Under Wine the X server's focus event reaches the window a few milliseconds after the
        // foreground has moved, and the X11 driver then sets the key state to the X server's,
        // in which no key is down: a key held at that moment is let go. A character typed and
        // seen arriving shows that the window is past it.
        keybd_event('X', 0x2D, 0, 0);
        keybd_event('X', 0x2D, KEYEVENTF_KEYUP, 0);
        ASSERT_TRUE(WaitUntil([&] { return Typed() == "x"; }));
        SendMessageA(m_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    }

    // Lets go of the keys a test holds, even when it ends early: a key left down would disturb
    // every later test on this display.
    void TearDown() override {
        for (BYTE key : {BYTE{VK_SHIFT}, BYTE{'Q'}}) {
            keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        }
    }

    [[nodiscard]] std::string Typed() const { return e2e::WindowText(m_edit); }

    PeerProcess m_process{"desktop_fixture.exe", {"--top", "SayvaneTypingTarget", "Typing target", "--edit"}};
    win32::Win32Desktop m_desktop;
    HWND m_top = nullptr;
    HWND m_edit = nullptr;
    win32::Win32Keyboard keyboard;
    win32::Win32Clock clock;
    clsKeyboard keys{keyboard, clock};
};

TEST_F(Win32KeyboardTest, TypedTextAndAHeldCharacterReachTheFocusedEditOfAnotherProcessOnce) {
    EXPECT_FALSE(IsShiftDown(keyboard));
    EXPECT_EQ(keys.PressString("Eddf_Twr 1!", true), KeyResult::Done);
    EXPECT_EQ(keys.PressString("\r", true), KeyResult::Done);
    EXPECT_EQ(keys.PressKey("o"), KeyResult::Done);
    EXPECT_EQ(keys.PressKey("K"), KeyResult::Done);

    EXPECT_TRUE(WaitUntil([&] { return Typed() == "Eddf_Twr 1!\r\noK"; })) << "the edit holds \"" << Typed() << "\"";
    // No modifier is left down.
    EXPECT_TRUE(WaitUntil([&] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0; }));

    // A character held, then released, is typed once.
    EXPECT_EQ(keys.PressKey("Q", true, false), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return IsShiftDown(keyboard); })) << "Shift stays down with the key";
    EXPECT_FALSE(IsF12Down(keyboard)) << "the hot key's other half is seen only while held (Shift+F12 on the radar)";
    EXPECT_EQ(keys.PressKey("Q", false, true), KeyResult::Done);
    EXPECT_TRUE(WaitUntil([&] { return !IsShiftDown(keyboard); }));
    EXPECT_EQ(keys.PressString("z", false), KeyResult::Done);

    EXPECT_TRUE(WaitUntil([&] { return Typed() == "Eddf_Twr 1!\r\noKQz"; })) << "the edit holds \"" << Typed() << "\"";
}

}  // namespace
}  // namespace sayvane::testing
