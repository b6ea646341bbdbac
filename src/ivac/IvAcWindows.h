// Finding IvAc's main window and reading the controller's callsign from its caption, and the
// small window utilities that the IvAc bridge and the channel creation share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"

namespace sayvane {

// The callsign in an IvAc caption: the text between its first "-" and its first "[",
// without outer spaces, in upper case. "IvAc 1.2 - abc_twr [xyz]" gives "ABC_TWR"; a caption
// with no "-" before its first "[" gives empty text.
std::string CutIvAcCallsign(std::string caption);

// Holds `hWndIvAc`, one per process. None of the operations keeps a handle from one call to
// the next: each finds IvAc again, so a restarted IvAc is simply picked up.
class IvAcWindows {
public:
    IvAcWindows(Desktop& desktop, Clock& clock) : m_desktop(desktop), m_clock(clock) {}

    // The IvAc main-window search: sets `hWndIvAc` to 0, then to the first top-level window in
    // Z order whose caption begins with "IvAc 1". Returns `hWndIvAc` (0 when IvAc is not
    // running).
    WindowHandle FindIvAcWindow();

    // One top-level window of the search: false (stop) at the first match.
    bool FindIvAcWindowProc(WindowHandle hWnd, std::intptr_t applicationValue);

    // The main window found by the last search, 0 when none.
    [[nodiscard]] WindowHandle hWndIvAc() const { return m_hWndIvAc; }

    // The controller's callsign from IvAc's caption, in upper case; empty when TeamSpeak 2
    // (a window of class "TMainForm") or IvAc is not running, or the caption holds none.
    std::string GetIvAcCallsign();
    // The same without asking for TeamSpeak 2's window (TeamSpeak 3 is reached another way).
    std::string PositionCallsign();

    // The direct children of `hWndStart` (of the desktop, i.e. every top-level window, when 0)
    // whose class is exactly `Classname`, in Z order. `hWndArray` is replaced: element 0 is
    // always 0 and unused, the matches fill elements 1 to n. Returns n.
    int FindWindowLike(std::vector<WindowHandle>& hWndArray, WindowHandle hWndStart, std::string_view Classname);

    // The window's whole text, read with WM_GETTEXTLENGTH and WM_GETTEXT.
    std::string GetText(WindowHandle hWnd);

    // The window's class name, at most 254 characters.
    std::string GetWindowClass(WindowHandle hWnd);

    // Lets pending window messages run (a timer tick or a menu command may run inside this
    // call), then climbs from `windowHandle` through parents and owners to the top-most
    // ancestor; a window without parent or owner is its own answer.
    WindowHandle GetTheParentWindowHandle(WindowHandle windowHandle);

private:
    Desktop& m_desktop;
    Clock& m_clock;
    WindowHandle m_hWndIvAc = kNoWindow;
};

}  // namespace sayvane
