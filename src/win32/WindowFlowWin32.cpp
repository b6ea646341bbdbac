// The program's main windows on Windows.
#include "win32/WindowFlowWin32.h"

#include <algorithm>

#include "win32/ConfigWindow.h"
#include "win32/OverlayMainWindow.h"

namespace sayvane::win32 {

void WindowFlowWin32::OpenOverlay() {
    Adopt(OverlayMainWindow::Create(*this));
}

void WindowFlowWin32::OpenConfiguration() {
    Adopt(ConfigWindow::Create(*this));
}

void WindowFlowWin32::Adopt(std::unique_ptr<MainWindow> window) {
    if (window != nullptr) {
        m_open.push_back(std::move(window));
    } else if (m_open.empty()) {
        PostQuitMessage(1);  // no window could be made: nothing would ever end the program
    }
}

void WindowFlowWin32::WindowClosed(MainWindow* window) {
    const auto it = std::find_if(m_open.begin(), m_open.end(), [window](const auto& w) { return w.get() == window; });
    if (it == m_open.end()) {
        return;
    }
    m_closed.push_back(std::move(*it));
    m_open.erase(it);
    if (m_open.empty()) {
        PostQuitMessage(0);  // the last window closed: the program ends
    }
}

void WindowFlowWin32::CollectClosed() {
    m_closed.clear();
}

bool WindowFlowWin32::PreTranslate(MSG& msg) {
    for (const auto& window : m_open) {
        if (window->PreTranslate(msg)) {
            return true;
        }
    }
    return false;
}

}  // namespace sayvane::win32
