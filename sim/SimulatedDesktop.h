// A desktop in memory for tests: a window tree (top-level windows in Z order, children,
// owners, classes, captions, texts, rectangles, processes, the foreground window) and a log
// of every message sent or posted to it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace sayvane::sim {

// One window to put on a desktop, built by chaining:
//   desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Process(7));
//   desktop.Add(Window("TRichEditWithLinks").Parent(main).Text("Player:\r\nABC"));
struct Window {
    explicit Window(std::string windowClass) : className(std::move(windowClass)) {}

    // The caption the window system keeps (GetWindowTextA, FindWindowA).
    Window& Caption(std::string text) {
        caption = std::move(text);
        return *this;
    }
    // The window keeps its text itself, as an edit or a rich edit does: WM_GETTEXT and
    // WM_SETTEXT use this text, and the caption stays as it was.
    Window& Text(std::string text) {
        ownText = std::move(text);
        return *this;
    }
    // A child of `window`, below its existing children in Z order.
    Window& Parent(WindowHandle window) {
        parent = window;
        return *this;
    }
    // A top-level window owned by `window` (a pop-up, unless Overlapped).
    Window& Owner(WindowHandle window) {
        owner = window;
        return *this;
    }
    // An owned top-level window without WS_POPUP: GetParent does not report its owner.
    Window& Overlapped() {
        popup = false;
        return *this;
    }
    Window& Process(ProcessId id) {
        processId = id;
        return *this;
    }
    // The rectangle in screen pixels, from its top-left corner and size.
    Window& Bounds(int left, int top, int width, int height) {
        rect = ScreenRect{left, top, left + width, top + height};
        return *this;
    }
    Window& Hidden() {
        visible = false;
        return *this;
    }

    std::string className;
    std::string caption;
    std::optional<std::string> ownText;
    WindowHandle parent = kNoWindow;
    WindowHandle owner = kNoWindow;
    bool popup = true;
    ProcessId processId = 1;
    ScreenRect rect{0, 0, 100, 20};
    bool visible = true;
};

enum class Delivery { Sent, Posted };

// One message as the desktop saw it. For WM_SETTEXT `text` is the text given; for
// WM_GETTEXT the text handed back. lParam of those two is logged as 0 (it was a pointer).
struct DesktopMessage {
    Delivery delivery = Delivery::Sent;
    WindowHandle target = kNoWindow;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::string text;

    friend bool operator==(const DesktopMessage& a, const DesktopMessage& b) {
        return a.delivery == b.delivery && a.target == b.target && a.message == b.message && a.wParam == b.wParam &&
               a.lParam == b.lParam && a.text == b.text;
    }
};
std::ostream& operator<<(std::ostream& out, const DesktopMessage& m);

// Shorthands for expected log entries.
DesktopMessage SentSetText(WindowHandle target, std::string text);
DesktopMessage PostedMessage(WindowHandle target, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// New top-level windows go on top of the Z order and new children below their siblings, as
// CreateWindow places them. Handles are never reused.
class SimulatedDesktop : public Desktop {
public:
    SimulatedDesktop();

    // Scene building.
    WindowHandle Add(const Window& newWindow);
    // Removes the window with its children and owned windows.
    void Destroy(WindowHandle window);
    // To the top of its siblings (of the top-level windows for a top-level window).
    void BringToTop(WindowHandle window);
    void SetCaption(WindowHandle window, std::string caption);
    // Replaces what WM_GETTEXT reads (the caption for a window that keeps no text of its own).
    void SetText(WindowHandle window, std::string text);
    void SetForeground(WindowHandle window) { m_foreground = window; }

    // Looking at the scene.
    [[nodiscard]] bool Exists(WindowHandle window) const { return m_windows.count(window) != 0; }
    [[nodiscard]] std::string CurrentText(WindowHandle window) const;
    [[nodiscard]] WindowHandle ForegroundWindow() const { return m_foreground; }
    [[nodiscard]] std::vector<WindowHandle> TopLevelWindows() const { return m_topLevel; }
    [[nodiscard]] std::vector<WindowHandle> ChildrenOf(WindowHandle window) const;

    // The log of every message sent or posted, oldest first.
    [[nodiscard]] const std::vector<DesktopMessage>& Messages() const { return m_messages; }
    // The log without the text reads (WM_GETTEXTLENGTH, WM_GETTEXT): what changed something.
    [[nodiscard]] std::vector<DesktopMessage> Commands() const;
    void ClearMessages() { m_messages.clear(); }
    // Runs on every message sent or posted, after it is logged and applied: a scene reacts
    // here as the other program would (a posted command opens a dialog ...).
    void OnMessage(std::function<void(const DesktopMessage&)> handler) { m_onMessage = std::move(handler); }

    // Desktop
    [[nodiscard]] WindowHandle FindTopLevelWindow(std::optional<std::string_view> className,
                                                  std::optional<std::string_view> caption) override;
    [[nodiscard]] WindowHandle FindChildWindow(WindowHandle parent, WindowHandle after,
                                               std::optional<std::string_view> className,
                                               std::optional<std::string_view> caption) override;
    void EnumerateTopLevelWindows(const WindowVisitor& visit) override;
    void EnumerateDescendants(WindowHandle parent, const WindowVisitor& visit) override;
    [[nodiscard]] WindowHandle FirstChild(WindowHandle window) override;
    [[nodiscard]] WindowHandle NextSibling(WindowHandle window) override;
    [[nodiscard]] WindowHandle DesktopWindow() override { return kDesktopWindow; }
    [[nodiscard]] WindowHandle ParentOrOwner(WindowHandle window) override;
    [[nodiscard]] std::string ClassName(WindowHandle window, int bufferSize) override;
    [[nodiscard]] std::string Caption(WindowHandle window, int bufferSize) override;
    [[nodiscard]] long TextLength(WindowHandle window) override;
    [[nodiscard]] std::string Text(WindowHandle window, int bufferSize) override;
    [[nodiscard]] std::optional<ScreenRect> WindowRect(WindowHandle window) override;
    void SendSetText(WindowHandle window, std::string_view text) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    [[nodiscard]] ProcessId ProcessOf(WindowHandle window) override;
    [[nodiscard]] bool ActivateProcess(ProcessId processId) override;
    [[nodiscard]] ProcessId ForegroundProcess() override;

    static constexpr WindowHandle kDesktopWindow = 0x10010;

private:
    struct Node : Window {
        explicit Node(const Window& newWindow) : Window(newWindow) {}
        std::vector<WindowHandle> children;  // in Z order, top first
    };

    [[nodiscard]] const Node* Lookup(WindowHandle window) const;
    Node* Lookup(WindowHandle window);
    // The sibling list a window sits in: its parent's children, or the top-level windows.
    std::vector<WindowHandle>* SiblingsOf(WindowHandle window);
    [[nodiscard]] const std::vector<WindowHandle>* ChildListOf(WindowHandle parent) const;
    bool VisitDescendants(const Node& parent, const WindowVisitor& visit);
    void Log(const DesktopMessage& message);

    std::map<WindowHandle, Node> m_windows;
    std::vector<WindowHandle> m_topLevel;  // Z order, top first
    WindowHandle m_next = 0x20000;
    WindowHandle m_foreground = kNoWindow;
    std::vector<DesktopMessage> m_messages;
    std::function<void(const DesktopMessage&)> m_onMessage;
};

}  // namespace sayvane::sim
