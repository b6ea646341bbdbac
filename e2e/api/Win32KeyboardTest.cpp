// The keyboard-layout table against the US layout's look-ups under Wine. Typing with
// keybd_event into a window of another process is the program's own, end to end: the channel
// name typed through the voice client's menu (e2e/RadarBridgeTest.cpp), and the hot key's
// async key state read while the controller holds Shift+F12 there.
#include "KeyboardLayoutContract.h"
#include "win32/Win32Keyboard.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Win32Keyboard, KeyboardLayoutContract,
                         ::testing::Values(MakeKeyboard<win32::Win32Keyboard>("Win32")));

}  // namespace sayvane::testing
