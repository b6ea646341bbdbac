// The simulated overlay of sim/OverlayRig.h with its settings file in a fresh folder.
#pragma once

#include <string>

#include "TempFolder.h"
#include "sim/OverlayRig.h"

namespace sayvane::testing {

struct OverlayHarness : sim::OverlayRig {
    void WriteSettings(const std::string& lines) { WriteBytes(folder.File("Sayvane.INI"), "[Setup]\r\n" + lines); }
    [[nodiscard]] std::string SettingsBytes() const { return ReadBytes(folder.File("Sayvane.INI")); }

    Overlay& Create() { return OverlayRig::Create(folder.Path().string()); }

    TempFolder folder;
};

}  // namespace sayvane::testing
