// The entry routine's sequence.
#include "app/Startup.h"

#include "about/AboutText.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"

namespace sayvane {

namespace {
constexpr int kSplashMilliseconds = 500;
}

void RunStartup(Splash* splash, WindowFlow& flow, ProfileStore& store, Clock& clock, const std::string& programFolder,
                NumberFormat format) {
    const std::string path = SettingsPath(programFolder);
    if (splash != nullptr) {
        splash->SetInfoText(splash->InfoText() + std::string(kLoadingText));
        splash->Show();
    }
    clock.ProcessPendingMessages();
    clock.Sleep(kSplashMilliseconds);
    clock.ProcessPendingMessages();
    if (splash != nullptr) {
        splash->Repaint();
    }
    if (ReadAutoStart(store, path, format)) {
        flow.OpenOverlay();
    } else {
        flow.OpenConfiguration();
    }
    if (splash != nullptr) {
        splash->Close();
    }
}

}  // namespace sayvane
