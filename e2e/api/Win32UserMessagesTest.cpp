// The Win32 message box: opened on a thread of this program, found by its caption, read and
// closed as a user would with OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "harness/PeerProcess.h"
#include "win32/Win32UserMessages.h"

namespace sayvane::testing {
namespace {

using e2e::WaitUntil;

constexpr int kMessageTextId = 0xFFFF;  // the Static child that holds a message box's text
constexpr int kMessageIconId = 0x0440;  // the Static child that shows its icon

TEST(Win32UserMessages, TheBoxShowsTextCaptionAndExclamationIconAndClosesWithOk) {
    const std::string text =
        "Unable to find IvAc callsign position.\r\n\nCheck if IvAc is connected to the IVAO Network";
    std::thread shower([&] {
        win32::Win32UserMessages messages;
        messages.ShowMessage(text, "Sayvane - Create TS Channel", 48);
    });

    HWND box = nullptr;
    const bool shown = WaitUntil([&] {
        return (box = e2e::FindProcessWindow(GetCurrentProcessId(), "#32770", "Sayvane - Create TS Channel")) !=
               nullptr;
    });
    std::string shownText;
    HICON icon = nullptr;
    if (shown) {
        shownText = e2e::WindowText(GetDlgItem(box, kMessageTextId));
        icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageIconId, STM_GETICON, 0, 0));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    } else {
        // Whatever opened, so that the thread ends.
        PostMessageA(e2e::FindProcessWindow(GetCurrentProcessId(), "#32770", nullptr, false), WM_COMMAND, IDOK, 0);
    }
    shower.join();

    ASSERT_TRUE(shown);
    EXPECT_EQ(shownText, text);
    EXPECT_EQ(icon, LoadIconA(nullptr, IDI_EXCLAMATION));
    EXPECT_FALSE(IsWindow(box)) << "OK closes it";
}

}  // namespace
}  // namespace sayvane::testing
