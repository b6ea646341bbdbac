// Sayvane's entry routine: the about window as a splash, then the overlay or the
// configuration window; the program then lives on window messages until its last main
// window closes.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "win32/AboutWindow.h"
#include "win32/System.h"
#include "win32/ProgramServices.h"
#include "win32/WindowFlowWin32.h"

namespace {

// Set while a failed write of TeamSpeak 5/6's key is to be reported or is being reported; and
// whether the write was to forget the key.
bool g_keyReportPending = false;
bool g_keyForgotten = false;

// Tells the user that the key TeamSpeak 5/6 handed out did not reach the settings file. It runs
// from a thread timer: the link tells of the key while it reads its socket, and a message box
// there would run a message loop that reads the socket again under its feet.
void CALLBACK ReportUnsavedKey(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const std::string message = sayvane::SettingsNotWrittenMessage(
        g_keyForgotten ? "forget TeamSpeak 5/6's key in" : "save the key TeamSpeak 5/6 handed out to",
        sayvane::SettingsPath(sayvane::win32::ProgramFolder()),
        g_keyForgotten ? "Sayvane goes on without the key until it ends; the next start offers TeamSpeak the key "
                         "the file still holds."
                       : "Sayvane uses the key until it ends; at the next start TeamSpeak may ask you again to "
                         "allow Sayvane.");
    MessageBoxA(GetActiveWindow(), message.c_str(), "Sayvane", MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    g_keyReportPending = false;  // another failure meanwhile was said by this box
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    sayvane::win32::ProgramServices services;
    // The key TeamSpeak 5/6 hands out is kept at once, so that the next start needs no asking
    // even when the user never saves the settings. When the file cannot take it, the link keeps
    // it for this session and the user is told (once at a time: a box may be open already).
    services.teamSpeak5.OnKeyChanged([&services](const std::string& key) {
        if (!sayvane::SaveVoiceKey(services.store, sayvane::SettingsPath(sayvane::win32::ProgramFolder()),
                                   sayvane::kRemoteApiKeyKey, key) &&
            !g_keyReportPending) {
            g_keyForgotten = key.empty();
            g_keyReportPending = SetTimer(nullptr, 0, 0, ReportUnsavedKey) != 0;
        }
    });
    sayvane::win32::WindowFlowWin32 flow(instance, services);
    {
        sayvane::win32::AboutWindow splash(instance, nullptr);
        sayvane::RunStartup(splash.Created() ? &splash : nullptr, flow, services.store, services.clock,
                            sayvane::win32::ProgramFolder(), sayvane::win32::UserNumberFormat());
    }

    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!flow.PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        flow.CollectClosed();
    }
    return static_cast<int>(msg.wParam);
}
