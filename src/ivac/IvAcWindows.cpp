// IvAc window discovery and the shared window utilities.
#include "ivac/IvAcWindows.h"

#include <set>

#include "teamspeak/TeamSpeakWindow.h"
#include "text/TextRoutines.h"

namespace sayvane {

namespace {

constexpr std::string_view kIvAcCaptionPrefix = "IvAc 1";

}  // namespace

std::string CutIvAcCallsign(std::string caption) {
    std::string head = Prendi(caption, "[");
    (void)Prendi(head, "-");  // drops everything up to the first "-"
    return AnsiToUpper(TrimSpaces(head));
}

WindowHandle IvAcWindows::FindIvAcWindow() {
    m_hWndIvAc = kNoWindow;
    m_desktop.EnumerateTopLevelWindows([this](WindowHandle window) { return FindIvAcWindowProc(window, 0); });
    return m_hWndIvAc;
}

bool IvAcWindows::FindIvAcWindowProc(WindowHandle hWnd, std::intptr_t /*applicationValue*/) {
    const std::string caption = m_desktop.Caption(hWnd, 256);
    if (caption.compare(0, kIvAcCaptionPrefix.size(), kIvAcCaptionPrefix) != 0) {
        return true;
    }
    if (m_hWndIvAc == kNoWindow) {
        m_hWndIvAc = hWnd;
    }
    return false;
}

std::string IvAcWindows::GetIvAcCallsign() {
    if (m_desktop.FindTopLevelWindow("TMainForm", std::nullopt) == kNoWindow) {
        return {};
    }
    return PositionCallsign();
}

std::string IvAcWindows::PositionCallsign() {
    if (FindIvAcWindow() == kNoWindow) {
        return {};
    }
    return CutIvAcCallsign(m_desktop.Caption(m_hWndIvAc, 255));
}

int IvAcWindows::FindWindowLike(std::vector<WindowHandle>& hWndArray, WindowHandle hWndStart,
                                std::string_view Classname) {
    hWndArray.assign(1, kNoWindow);
    const WindowHandle start = hWndStart != kNoWindow ? hWndStart : m_desktop.DesktopWindow();
    // The sibling chain is read one link at a time while other programs may reorder their
    // windows; a handle coming round again ends the walk instead of looping for ever.
    std::set<WindowHandle> seen;
    for (WindowHandle child = m_desktop.FirstChild(start); child != kNoWindow && seen.insert(child).second;
         child = m_desktop.NextSibling(child)) {
        if (m_desktop.ClassName(child, 255) == Classname) {
            hWndArray.push_back(child);
        }
    }
    return static_cast<int>(hWndArray.size() - 1);
}

std::string IvAcWindows::GetText(WindowHandle hWnd) {
    return ReadWindowText(m_desktop, hWnd);
}

std::string IvAcWindows::GetWindowClass(WindowHandle hWnd) {
    return StripNull(m_desktop.ClassName(hWnd, 255));
}

WindowHandle IvAcWindows::GetTheParentWindowHandle(WindowHandle windowHandle) {
    m_clock.ProcessPendingMessages();
    WindowHandle top = windowHandle;
    // The window system keeps no cycles of parents and owners; the guard only makes sure.
    std::set<WindowHandle> seen{top};
    for (WindowHandle up = m_desktop.ParentOrOwner(top); up != kNoWindow && seen.insert(up).second;
         up = m_desktop.ParentOrOwner(up)) {
        top = up;
    }
    return top;
}

}  // namespace sayvane
