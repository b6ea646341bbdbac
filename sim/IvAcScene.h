// The radar client's windows on the simulated desktop, laid out as the ivacsim peer lays out
// its own: a main window with the callsign in its caption and "COMMBox" dialogs owned by it.
#pragma once

#include <string>
#include <vector>

#include "sim/SimulatedDesktop.h"

namespace sayvane::sim {

struct IvAcCommBox {
    WindowHandle box = kNoWindow;          // "#32770", captioned "COMMBox"
    WindowHandle narrowEdit = kNoWindow;   // "Edit", 70 pixels wide, first in Z order
    WindowHandle commandLine = kNoWindow;  // "Edit", the wide one after it
};

struct IvAcScene {
    WindowHandle main = kNoWindow;
    std::vector<IvAcCommBox> commBoxes;  // in the order made: each later one lies above
};

// Adds IvAc with `commBoxes` command boxes (0 for none), all of process `processId`.
IvAcScene AddIvAc(SimulatedDesktop& desktop, const std::string& caption, int commBoxes = 1, ProcessId processId = 300);

}  // namespace sayvane::sim
