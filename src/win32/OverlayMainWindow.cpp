// The overlay's own window: message routing, refresh timer, diagnostic panel.
#include "win32/OverlayMainWindow.h"

#include "win32/ProgramServices.h"
#include "win32/System.h"

namespace sayvane::win32 {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;

// Sent to every top-level window when the shell (and its tray) starts again.
const UINT kTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

}  // namespace

std::unique_ptr<OverlayMainWindow> OverlayMainWindow::Create(WindowFlowWin32& flow) {
    std::unique_ptr<OverlayMainWindow> window(new OverlayMainWindow(flow));
    if (!window->CreateWindows()) {
        return nullptr;
    }
    window->m_overlay->Form_Load();
    // The show request that created the window; from the first tick on the refresh cycle
    // decides whether it is seen.
    ShowWindow(window->Hwnd(), SW_SHOWNA);
    return window;
}

OverlayMainWindow::OverlayMainWindow(WindowFlowWin32& flow) : OverlaySurface(flow.Instance()), m_flow(flow) {}

OverlayMainWindow::~OverlayMainWindow() {
    // Before the overlay and the tray go: the window hears nothing of its end any more.
    DestroyWindows();
}

bool OverlayMainWindow::CreateWindows() {
    if (!MakeWindow(WS_EX_APPWINDOW)) {
        return false;
    }
    m_tray.Attach(Hwnd(), PrimaryDpi());

    // The diagnostic panel: hidden, never shown, readable by window-inspection tools.
    m_frameDebug =
        CreateWindowExA(0, "STATIC", "frameDebug", WS_CHILD, 0, 0, 200, 200, Hwnd(), nullptr, Instance(), nullptr);
    m_lblStatus = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 16, m_frameDebug,
                                  reinterpret_cast<HMENU>(1), Instance(), nullptr);
    SetWindowLongPtrA(m_lblStatus, GWLP_USERDATA, 0);

    ProgramServices& services = m_flow.Services();
    m_overlay = std::make_unique<Overlay>(
        *this, m_tray,
        OverlayServices{services.store, services.clock, m_flow, services.voice, services.teamSpeakWindow, services.ivac,
                        services.desktop, services.keyboard, services.sound, services.messages, ProgramFolder(),
                        UserNumberFormat()});
    return true;
}

LRESULT OverlayMainWindow::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_overlay == nullptr) {
        // The window is still being made: nothing to route to yet.
        return DefWindowProcA(Hwnd(), message, wParam, lParam);
    }
    if (message == kTaskbarCreated && kTaskbarCreated != 0) {
        m_overlay->TaskbarRestarted();
        return 0;
    }
    switch (message) {
        case kTrayCallbackMessage:
            if (const std::optional<MenuItem> command = m_tray.Callback(static_cast<std::uint32_t>(lParam))) {
                m_overlay->MenuCommand(*command);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kRefreshTimer) {
                m_overlay->tmrRefresh_Timer();
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Dragging with any button: the system moves the window as if by its caption.
            ReleaseCapture();
            SendMessageA(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return 0;
        case WM_CLOSE: DestroyWindow(Hwnd()); return 0;
        case WM_DESTROY:
            KillTimer(Hwnd(), kRefreshTimer);
            m_overlay->Form_Unload();
            return 0;
        case WM_NCDESTROY:
            Unbind();
            m_tray.Detach();
            m_flow.WindowClosed(this);
            return 0;
        default: return DrawingMessage(message, wParam, lParam);
    }
}

// The tray's icons are made again for a new DPI of the primary monitor, then the overlay
// places itself anew.
void OverlayMainWindow::ScreenChanged(UINT primaryDpi) {
    if (primaryDpi != m_tray.Dpi()) {
        m_tray.MakeIcons(primaryDpi);
        m_overlay->UpdateTrayTip();
    }
    m_overlay->ScreenChanged();
}

void OverlayMainWindow::SetStatusLabel(std::string_view text, std::int32_t colour) {
    SetWindowTextA(m_lblStatus, std::string(text).c_str());
    SetWindowLongPtrA(m_lblStatus, GWLP_USERDATA, colour);  // the label's colour, for inspection
}

void OverlayMainWindow::MirrorList(std::string_view listName, std::size_t count,
                                   const std::function<MirroredItem(std::size_t)>& item) {
    const std::string name(listName);
    HWND& list = m_debugLists[name];
    if (list == nullptr) {
        // The list box carries the list's name as its window text so a tool can find it.
        list = CreateWindowExA(0, "LISTBOX", name.c_str(), WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0,
                               16 + 30 * static_cast<int>(m_debugLists.size()), 200, 30, m_frameDebug, nullptr,
                               Instance(), nullptr);
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const MirroredItem mirrored = item(i);
        const std::string text(mirrored.text);  // the list box wants it NUL-terminated
        const auto index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), mirrored.value);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void OverlayMainWindow::StartTimer(int intervalMilliseconds) {
    SetTimer(Hwnd(), kRefreshTimer, static_cast<UINT>(intervalMilliseconds > 0 ? intervalMilliseconds : 1), nullptr);
}

void OverlayMainWindow::StopTimer() {
    KillTimer(Hwnd(), kRefreshTimer);
}

}  // namespace sayvane::win32
