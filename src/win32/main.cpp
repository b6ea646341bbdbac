// Sayvane's entry routine. For now the program shows its about window as the splash with
// "Loading ..." and lives until that window is closed; the overlay and the configuration
// window take over from the splash once they exist.
#include <windows.h>

#include <string>

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "win32/Win32Clock.h"
#include "win32/Win32ProfileStore.h"

namespace {

constexpr char kSplashClass[] = "SayvaneSplash";
constexpr char kInfoText[] =
    "Sayvane: a TeamSpeak2 add-on to display Channel Speakers\r\n\n"
    "Use SHIFT+F12 to Display Aircraft in IvAc Radar Window";

// The folder of the executable, as VB's App.Path gives it: no trailing "\" except at a
// drive root ("C:\").
std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const auto slash = folder.find_last_of('\\');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':') {
        folder += '\\';
    }
    return folder;
}

LRESULT CALLBACK SplashProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_LBUTTONUP:
        case WM_COMMAND:  // a click on one of the labels (SS_NOTIFY)
            DestroyWindow(hwnd);
            return 0;
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

HWND CreateSplash(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SplashProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kSplashClass;
    RegisterClassA(&wc);

    // 7485 x 1695 twips of client area at 15 twips per pixel.
    RECT frame = {0, 0, 499, 113};
    const DWORD style = WS_POPUP | WS_DLGFRAME;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HWND hwnd = CreateWindowExA(0, kSplashClass, "Sayvane", style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                instance, nullptr);
    if (hwnd == nullptr) {
        return nullptr;
    }
    const std::string info = std::string(kInfoText) + "\r\n\nLoading ...";
    CreateWindowExA(0, "STATIC", "Sayvane", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOTIFY, 110, 4, 184, 29, hwnd,
                    nullptr, instance, nullptr);
    CreateWindowExA(0, "STATIC", info.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOTIFY, 152, 38, 331, 67, hwnd,
                    nullptr, instance, nullptr);
    return hwnd;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    sayvane::win32::Win32Clock clock;
    const std::string settingsPath = sayvane::SettingsPath(ProgramFolder());

    HWND splash = CreateSplash(instance);
    if (splash == nullptr) {
        return 1;  // no window to live in
    }
    ShowWindow(splash, showCommand);
    UpdateWindow(splash);
    clock.ProcessPendingMessages();
    clock.Sleep(500);
    clock.ProcessPendingMessages();

    // Read now so that the start-up path already goes through the settings file; which
    // window it opens is decided here once the overlay and configuration window exist.
    sayvane::win32::Win32ProfileStore store;
    (void)sayvane::ReadAutoStart(store, settingsPath);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
