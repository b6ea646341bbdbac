// End-to-end harness: the real Sayvane.exe in a fresh folder, watched through its windows.
#include "harness/SayvaneRun.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace sayvane::e2e {

std::string FolderOfThisProgram() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return condition();
        }
        Sleep(5);
    }
}

namespace {

struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != query->processId || (query->visibleOnly && !IsWindowVisible(hwnd))) {
        return TRUE;
    }
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    if (lstrcmpA(buffer, query->className) != 0) {
        return TRUE;
    }
    if (query->caption != nullptr) {
        GetWindowTextA(hwnd, buffer, sizeof buffer);
        if (lstrcmpA(buffer, query->caption) != 0) {
            return TRUE;
        }
    }
    query->found = hwnd;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, bool visibleOnly) {
    WindowQuery query{processId, className, caption, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::string WindowText(HWND hwnd) {
    const auto length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto copied = SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

namespace {

struct TextQuery {
    const std::string* text;
    std::string (*read)(HWND);
    HWND found;
};

BOOL CALLBACK MatchText(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<TextQuery*>(param);
    if (query->read(hwnd) == *query->text) {
        query->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::string Caption(HWND hwnd) {
    char buffer[1024] = {};
    const int length = GetWindowTextA(hwnd, buffer, sizeof buffer);
    return std::string(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

}  // namespace

HWND FindChildWithText(HWND parent, const std::string& text) {
    TextQuery query{&text, &WindowText, nullptr};
    EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND FindChildWithCaption(HWND parent, const std::string& caption) {
    TextQuery query{&caption, &Caption, nullptr};
    EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

bool ChooseFromTrayMenu(DWORD processId, HWND overlay, std::initializer_list<WPARAM> keys) {
    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = FindProcessWindow(processId, "#32768")) != nullptr; })) {
        return false;
    }
    // The menu's own loop reads these from its thread's queue, as it would the keyboard.
    for (WPARAM key : keys) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    return true;
}

SayvaneRun::SayvaneRun(const std::optional<std::string>& settingsText) {
    const std::string source = FolderOfThisProgram() + "\\Sayvane.exe";
    if (!CopyFileA(source.c_str(), ExePath().c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + source);
    }
    const std::string library = FolderOfThisProgram() + "\\TSRemote.dll";
    CopyFileA(library.c_str(), m_folder.File("TSRemote.dll").c_str(), FALSE);
    if (settingsText) {
        testing::WriteBytes(SettingsFile(), *settingsText);
    }
}

SayvaneRun::~SayvaneRun() {
    if (m_process.hProcess != nullptr) {
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.hProcess, 99);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
}

bool SayvaneRun::Start() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + ExePath() + "\"";
    const std::string folder = m_folder.Path().string();
    return CreateProcessA(ExePath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &m_process) != FALSE;
}

HWND SayvaneRun::WaitForWindow(const char* className, const char* caption, int timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProcessWindow(ProcessId(), className, caption)) != nullptr; }, timeoutMs);
    return found;
}

HWND SayvaneRun::WaitForAnyWindow(const char* className, int timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProcessWindow(ProcessId(), className, nullptr, false)) != nullptr; },
              timeoutMs);
    return found;
}

HWND SayvaneRun::WaitForOverlay(int timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(ProcessId(), "SayvaneOverlay", nullptr, false);
            return found != nullptr && (GetWindowLongA(found, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        },
        timeoutMs);
    return found != nullptr && (GetWindowLongA(found, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 ? found : nullptr;
}

std::optional<DWORD> WaitForProcessExit(HANDLE process, int timeoutMs) {
    if (process == nullptr || WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

std::optional<DWORD> SayvaneRun::WaitForExit(int timeoutMs) const {
    return WaitForProcessExit(m_process.hProcess, timeoutMs);
}

std::vector<std::uint32_t> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& p : pixels) {
        p &= 0xFFFFFF;
    }
    return pixels;
}

bool ShowsColour(HWND window, COLORREF colour) {
    RECT r{};
    GetWindowRect(window, &r);
    const std::vector<std::uint32_t> pixels = ScreenPixels(r);
    // Screen pixels are 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
    const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    return std::find(pixels.begin(), pixels.end(), wanted) != pixels.end();
}

}  // namespace sayvane::e2e
