// Other programs' windows through user32.
#include "win32/Win32Desktop.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sayvane::win32 {

namespace {

HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

WindowHandle ToHandle(HWND hwnd) {
    // Window handles carry 32 significant bits on every Windows, so none is lost here.
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(hwnd));
}

// A NUL-terminated copy for the "A" calls, or nullptr for "any".
struct OptionalText {
    explicit OptionalText(const std::optional<std::string_view>& text) : given(text.has_value()) {
        if (text) {
            value.assign(text->data(), text->size());
        }
    }
    [[nodiscard]] const char* Get() const { return given ? value.c_str() : nullptr; }
    bool given;
    std::string value;
};

// EnumWindows and EnumChildWindows take a plain callback: the visitor rides in lParam. No
// exception may unwind through user32's frames, so one ends the enumeration instead.
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param) noexcept {
    const auto* visit = reinterpret_cast<const WindowVisitor*>(param);
    try {
        return (*visit)(ToHandle(hwnd)) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

// The text an "A" call left in a buffer of `bufferSize` characters, cut at the count it reported.
std::string FromBuffer(const std::vector<char>& buffer, LRESULT count) {
    if (count <= 0) {
        return {};
    }
    const auto kept = std::min<std::size_t>(static_cast<std::size_t>(count), buffer.size() - 1);
    return std::string(buffer.data(), kept);
}

struct MainWindowSearch {
    DWORD processId;
    HWND unowned;
    HWND owned;
};

BOOL CALLBACK VisitForMainWindow(HWND hwnd, LPARAM param) noexcept {
    auto* search = reinterpret_cast<MainWindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    if (GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->unowned = hwnd;
        return FALSE;
    }
    if (search->owned == nullptr) {
        search->owned = hwnd;
    }
    return TRUE;
}

// The process's main window: its first visible top-level window without owner in Z order,
// else its first visible owned one.
HWND MainWindowOf(DWORD processId) {
    MainWindowSearch search{processId, nullptr, nullptr};
    EnumWindows(VisitForMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.unowned != nullptr ? search.unowned : search.owned;
}

}  // namespace

WindowHandle Win32Desktop::FindTopLevelWindow(std::optional<std::string_view> className,
                                              std::optional<std::string_view> caption) {
    const OptionalText windowClass(className);
    const OptionalText windowName(caption);
    return ToHandle(FindWindowA(windowClass.Get(), windowName.Get()));
}

WindowHandle Win32Desktop::FindChildWindow(WindowHandle parent, WindowHandle after,
                                           std::optional<std::string_view> className,
                                           std::optional<std::string_view> caption) {
    const OptionalText windowClass(className);
    const OptionalText windowName(caption);
    return ToHandle(FindWindowExA(ToHwnd(parent), ToHwnd(after), windowClass.Get(), windowName.Get()));
}

void Win32Desktop::EnumerateTopLevelWindows(const WindowVisitor& visit) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

void Win32Desktop::EnumerateDescendants(WindowHandle parent, const WindowVisitor& visit) {
    // EnumChildWindows with no parent would walk the whole desktop: a window that is gone
    // has no descendants.
    if (parent == kNoWindow || !IsWindow(ToHwnd(parent))) {
        return;
    }
    EnumChildWindows(ToHwnd(parent), VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

WindowHandle Win32Desktop::FirstChild(WindowHandle window) {
    return ToHandle(GetWindow(ToHwnd(window), GW_CHILD));
}

WindowHandle Win32Desktop::NextSibling(WindowHandle window) {
    return ToHandle(GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

WindowHandle Win32Desktop::DesktopWindow() {
    return ToHandle(GetDesktopWindow());
}

WindowHandle Win32Desktop::ParentOrOwner(WindowHandle window) {
    return ToHandle(GetParent(ToHwnd(window)));
}

std::string Win32Desktop::ClassName(WindowHandle window, int bufferSize) {
    if (bufferSize <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
    return FromBuffer(buffer, GetClassNameA(ToHwnd(window), buffer.data(), bufferSize));
}

std::string Win32Desktop::Caption(WindowHandle window, int bufferSize) {
    if (bufferSize <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
    return FromBuffer(buffer, GetWindowTextA(ToHwnd(window), buffer.data(), bufferSize));
}

long Win32Desktop::TextLength(WindowHandle window) {
    if (!IsWindow(ToHwnd(window))) {
        return 0;
    }
    return static_cast<long>(SendMessageA(ToHwnd(window), WM_GETTEXTLENGTH, 0, 0));
}

std::string Win32Desktop::Text(WindowHandle window, int bufferSize) {
    if (bufferSize <= 0 || !IsWindow(ToHwnd(window))) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
    const LRESULT copied = SendMessageA(ToHwnd(window), WM_GETTEXT, static_cast<WPARAM>(bufferSize),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    return FromBuffer(buffer, copied);
}

std::optional<ScreenRect> Win32Desktop::WindowRect(WindowHandle window) {
    RECT rect{};
    if (!GetWindowRect(ToHwnd(window), &rect)) {
        return std::nullopt;
    }
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

void Win32Desktop::SendSetText(WindowHandle window, std::string_view text) {
    if (!IsWindow(ToHwnd(window))) {
        return;
    }
    const std::string terminated(text);
    SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

bool Win32Desktop::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    // No window means no queue to post to: PostMessage with a null handle would post to this
    // thread instead.
    if (window == kNoWindow) {
        return false;
    }
    return PostMessageA(ToHwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)) != FALSE;
}

ProcessId Win32Desktop::ProcessOf(WindowHandle window) {
    DWORD processId = 0;
    if (GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) {
        return 0;
    }
    return processId;
}

bool Win32Desktop::ActivateProcess(ProcessId processId) {
    if (processId == 0) {
        return false;
    }
    HWND target = MainWindowOf(processId);
    if (target == nullptr) {
        return false;
    }
    if (IsIconic(target)) {
        ShowWindow(target, SW_RESTORE);
    }
    // Windows lets only the foreground's own input queue hand the foreground on: joining
    // that queue for the call makes SetForegroundWindow take effect from a background
    // program, and AllowSetForegroundWindow lets the target move it on itself.
    AllowSetForegroundWindow(processId);
    const DWORD ownThread = GetCurrentThreadId();
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                          AttachThreadInput(ownThread, foregroundThread, TRUE) != FALSE;
    BringWindowToTop(target);
    SetForegroundWindow(target);
    if (attached) {
        AttachThreadInput(ownThread, foregroundThread, FALSE);
    }
    // The change lands a few milliseconds later (1-7 ms under Wine): typing before it would
    // go to the previous window.
    const ULONGLONG deadline = GetTickCount64() + 1000;
    while (ForegroundProcess() != processId) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(1);
    }
    return true;
}

ProcessId Win32Desktop::ForegroundProcess() {
    return ProcessOf(ToHandle(GetForegroundWindow()));
}

}  // namespace sayvane::win32
