// The radar client's windows on the simulated desktop.
#include "sim/IvAcScene.h"

namespace sayvane::sim {

IvAcScene AddIvAc(SimulatedDesktop& desktop, const std::string& caption, int commBoxes, ProcessId processId) {
    IvAcScene scene;
    scene.main = desktop.Add(Window("IvAcSimRadar").Caption(caption).Process(processId).Bounds(40, 40, 560, 380));
    for (int n = 1; n <= commBoxes; ++n) {
        const int left = 60 + 30 * n;
        const int top = 440 + 90 * (n - 1);
        IvAcCommBox box;
        box.box = desktop.Add(
            Window("#32770").Caption("COMMBox").Owner(scene.main).Process(processId).Bounds(left, top, 460, 80));
        box.narrowEdit =
            desktop.Add(Window("Edit").Text("").Parent(box.box).Process(processId).Bounds(left + 11, top + 34, 70, 24));
        box.commandLine = desktop.Add(
            Window("Edit").Text("").Parent(box.box).Process(processId).Bounds(left + 89, top + 34, 340, 24));
        scene.commBoxes.push_back(box);
    }
    return scene;
}

}  // namespace sayvane::sim
