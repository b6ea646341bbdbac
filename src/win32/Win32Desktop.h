// Other programs' windows through user32.
#pragma once

#include "platform/Desktop.h"

namespace sayvane::win32 {

class Win32Desktop final : public Desktop {
public:
    [[nodiscard]] WindowHandle FindTopLevelWindow(std::optional<std::string_view> className,
                                                  std::optional<std::string_view> caption) override;
    [[nodiscard]] WindowHandle FindChildWindow(WindowHandle parent, WindowHandle after,
                                               std::optional<std::string_view> className,
                                               std::optional<std::string_view> caption) override;
    void EnumerateTopLevelWindows(const WindowVisitor& visit) override;
    void EnumerateDescendants(WindowHandle parent, const WindowVisitor& visit) override;
    [[nodiscard]] WindowHandle FirstChild(WindowHandle window) override;
    [[nodiscard]] WindowHandle NextSibling(WindowHandle window) override;
    [[nodiscard]] WindowHandle DesktopWindow() override;
    [[nodiscard]] WindowHandle ParentOrOwner(WindowHandle window) override;
    [[nodiscard]] std::string ClassName(WindowHandle window, int bufferSize) override;
    [[nodiscard]] std::string Caption(WindowHandle window, int bufferSize) override;
    [[nodiscard]] long TextLength(WindowHandle window) override;
    [[nodiscard]] std::string Text(WindowHandle window, int bufferSize) override;
    [[nodiscard]] std::optional<ScreenRect> WindowRect(WindowHandle window) override;
    void SendSetText(WindowHandle window, std::string_view text) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    [[nodiscard]] ProcessId ProcessOf(WindowHandle window) override;
    [[nodiscard]] bool ActivateProcess(ProcessId processId) override;
    [[nodiscard]] ProcessId ForegroundProcess() override;
};

}  // namespace sayvane::win32
