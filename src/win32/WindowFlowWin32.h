// The program's main windows on Windows: opens the overlay and the configuration window,
// keeps them alive while they are open, and ends the program when the last one closes.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/WindowFlow.h"

namespace sayvane::win32 {

// A main window owned by the flow.
class MainWindow {
public:
    virtual ~MainWindow() = default;
    [[nodiscard]] virtual HWND Handle() const = 0;
    // Keyboard navigation of a dialog-like window (IsDialogMessage); false when not taken.
    virtual bool PreTranslate(MSG& msg) {
        (void)msg;
        return false;
    }

protected:
    MainWindow() = default;
    MainWindow(const MainWindow&) = default;
    MainWindow& operator=(const MainWindow&) = default;
    MainWindow(MainWindow&&) = default;
    MainWindow& operator=(MainWindow&&) = default;
};

struct ProgramServices;

class WindowFlowWin32 final : public WindowFlow {
public:
    WindowFlowWin32(HINSTANCE instance, ProgramServices& services) : m_instance(instance), m_services(services) {}

    void OpenOverlay() override;
    void OpenConfiguration() override;

    // Called by a main window as it is destroyed. The object is freed later, from the main
    // loop, since its own window procedure is still on the stack.
    void WindowClosed(MainWindow* window);
    // Frees closed windows; the main loop calls it between messages.
    void CollectClosed();
    // Gives the open windows their chance at keyboard navigation.
    bool PreTranslate(MSG& msg);

    [[nodiscard]] HINSTANCE Instance() const { return m_instance; }
    [[nodiscard]] ProgramServices& Services() const { return m_services; }

private:
    void Adopt(std::unique_ptr<MainWindow> window);

    HINSTANCE m_instance;
    ProgramServices& m_services;
    std::vector<std::unique_ptr<MainWindow>> m_open;
    std::vector<std::unique_ptr<MainWindow>> m_closed;
};

}  // namespace sayvane::win32
