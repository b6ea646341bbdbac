// The entry routine's sequence: the about window as a splash, then the overlay or the
// configuration window, as the settings file's AutoStart says.
#pragma once

#include <string>

#include "platform/Clock.h"
#include "platform/ProfileStore.h"
#include "platform/WindowFlow.h"
#include "text/NumericText.h"

namespace sayvane {

// The about window as the start-up routine uses it.
class Splash {
public:
    virtual ~Splash() = default;
    [[nodiscard]] virtual std::string InfoText() const = 0;
    virtual void SetInfoText(const std::string& text) = 0;
    virtual void Show() = 0;  // without blocking
    virtual void Repaint() = 0;
    virtual void Close() = 0;  // harmless when the user already clicked it away

protected:
    Splash() = default;
    Splash(const Splash&) = default;
    Splash& operator=(const Splash&) = default;
    Splash(Splash&&) = default;
    Splash& operator=(Splash&&) = default;
};

// Runs the start-up sequence. `splash` may be null (the about window could not be made):
// start-up then only loses the splash.
void RunStartup(Splash* splash, WindowFlow& flow, ProfileStore& store, Clock& clock, const std::string& programFolder,
                NumberFormat format = {});

}  // namespace sayvane
