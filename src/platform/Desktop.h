// What Sayvane needs from the window system about other programs' windows (TeamSpeak 2's,
// IvAc's): finding them, walking their trees, reading their class, caption, text and place,
// sending them the few messages the program uses, and moving the keyboard focus to a program.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sayvane {

// A window of any program, as portable code holds it. Windows handles are 32-bit values
// (also in 64-bit processes), so they fit. 0 is no window.
using WindowHandle = std::uint32_t;
constexpr WindowHandle kNoWindow = 0;

// A process id as GetWindowThreadProcessId reports it; 0 is none.
using ProcessId = std::uint32_t;

// The Windows messages the program sends or posts to other programs, by their numbers.
namespace message {
constexpr std::uint32_t kSetText = 0x000C;        // WM_SETTEXT
constexpr std::uint32_t kGetText = 0x000D;        // WM_GETTEXT
constexpr std::uint32_t kGetTextLength = 0x000E;  // WM_GETTEXTLENGTH
constexpr std::uint32_t kButtonClick = 0x00F5;    // BM_CLICK
constexpr std::uint32_t kKeyDown = 0x0100;        // WM_KEYDOWN
constexpr std::uint32_t kCommand = 0x0111;        // WM_COMMAND
}  // namespace message

constexpr std::uintptr_t kVirtualKeyReturn = 0x0D;  // VK_RETURN

// A window's rectangle in screen pixels, as GetWindowRect gives it (right and bottom are
// one past the last pixel).
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    friend bool operator==(const ScreenRect& a, const ScreenRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// Called once per window of an enumeration; returns true to go on, false to stop.
using WindowVisitor = std::function<bool(WindowHandle)>;

// Every text crosses as ANSI bytes through a buffer of a stated size, as the "A" calls of
// the Windows API do: a buffer of n characters holds at most n - 1 characters of text, and
// longer texts are cut. Calls on a window that no longer exists give empty text, 0 or
// nothing, as the Windows calls fail.
class Desktop {
public:
    virtual ~Desktop() = default;

    // FindWindowA: the first top-level window in Z order (top first) whose class and caption
    // match, both without regard to case; nullopt matches anything. Hidden windows count.
    [[nodiscard]] virtual WindowHandle FindTopLevelWindow(std::optional<std::string_view> className,
                                                          std::optional<std::string_view> caption) = 0;

    // FindWindowExA: the first direct child of `parent` (the top-level windows when `parent`
    // is 0) after the child `after` (from the first when 0) whose class and caption match.
    [[nodiscard]] virtual WindowHandle FindChildWindow(WindowHandle parent, WindowHandle after,
                                                       std::optional<std::string_view> className,
                                                       std::optional<std::string_view> caption) = 0;

    // EnumWindows: every top-level window, top of the Z order first, until `visit` says stop.
    virtual void EnumerateTopLevelWindows(const WindowVisitor& visit) = 0;

    // EnumChildWindows: every descendant of `parent`, depth first (a child, then its own
    // descendants, then its next sibling), until `visit` says stop.
    virtual void EnumerateDescendants(WindowHandle parent, const WindowVisitor& visit) = 0;

    // GetWindow GW_CHILD: the first child in Z order; of the desktop window, the top-level
    // window on top.
    [[nodiscard]] virtual WindowHandle FirstChild(WindowHandle window) = 0;

    // GetWindow GW_HWNDNEXT: the next sibling below `window` in Z order.
    [[nodiscard]] virtual WindowHandle NextSibling(WindowHandle window) = 0;

    // GetDesktopWindow: the window whose children are the top-level windows.
    [[nodiscard]] virtual WindowHandle DesktopWindow() = 0;

    // GetParent: a child window's parent, or the owner of an owned pop-up top-level window;
    // 0 for a top-level window without owner.
    [[nodiscard]] virtual WindowHandle ParentOrOwner(WindowHandle window) = 0;

    // GetClassNameA with a buffer of `bufferSize` characters.
    [[nodiscard]] virtual std::string ClassName(WindowHandle window, int bufferSize) = 0;

    // GetWindowTextA with a buffer of `bufferSize` characters: the caption the window system
    // keeps. For another program's control that keeps its own text (edit, rich edit) this is
    // not that text: read it with TextLength and Text.
    [[nodiscard]] virtual std::string Caption(WindowHandle window, int bufferSize) = 0;

    // SendMessageA WM_GETTEXTLENGTH: what the window reports as the length of its text.
    [[nodiscard]] virtual long TextLength(WindowHandle window) = 0;

    // SendMessageA WM_GETTEXT with a buffer of `bufferSize` characters: the characters the
    // window reports as copied.
    [[nodiscard]] virtual std::string Text(WindowHandle window, int bufferSize) = 0;

    // GetWindowRect; nullopt when the window does not exist.
    [[nodiscard]] virtual std::optional<ScreenRect> WindowRect(WindowHandle window) = 0;

    // SendMessageA WM_SETTEXT with wParam 0 and `text`: waits until the window has handled it.
    virtual void SendSetText(WindowHandle window, std::string_view text) = 0;

    // PostMessageA: queues the message and returns at once. False when it could not be
    // queued (no such window).
    virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

    // GetWindowThreadProcessId: the process that made the window, 0 when none.
    [[nodiscard]] virtual ProcessId ProcessOf(WindowHandle window) = 0;

    // Brings the main window of the process (its first visible top-level window) to the
    // foreground with the keyboard focus, as activating an application does. True once the
    // window system reports it as the foreground window.
    [[nodiscard]] virtual bool ActivateProcess(ProcessId processId) = 0;

    // The process of the foreground window, 0 when there is none.
    [[nodiscard]] virtual ProcessId ForegroundProcess() = 0;

protected:
    Desktop() = default;
    Desktop(const Desktop&) = default;
    Desktop& operator=(const Desktop&) = default;
    Desktop(Desktop&&) = default;
    Desktop& operator=(Desktop&&) = default;
};

}  // namespace sayvane
