// Opening the program's two main windows: the overlay and the configuration window. Only
// one of them is open at a time; the program ends when the last window closes.
#pragma once

namespace sayvane {

class WindowFlow {
public:
    virtual ~WindowFlow() = default;
    virtual void OpenOverlay() = 0;
    virtual void OpenConfiguration() = 0;

protected:
    WindowFlow() = default;
    WindowFlow(const WindowFlow&) = default;
    WindowFlow& operator=(const WindowFlow&) = default;
    WindowFlow(WindowFlow&&) = default;
    WindowFlow& operator=(WindowFlow&&) = default;
};

}  // namespace sayvane
