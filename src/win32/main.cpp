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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    sayvane::win32::ProgramServices services;
    // The key TeamSpeak 5/6 hands out is kept at once, so that the next start needs no asking
    // even when the user never saves the settings.
    services.teamSpeak5.OnKeyChanged([&services](const std::string& key) {
        (void)sayvane::WriteIni(services.store, sayvane::SettingsPath(sayvane::win32::ProgramFolder()),
                                sayvane::kSettingsSection, sayvane::kRemoteApiKeyKey, key);
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
