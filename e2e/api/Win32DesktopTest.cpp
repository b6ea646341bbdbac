// The Win32 desktop, held to the same window-system behaviours as the simulated desktop on
// real windows of this test program. Against windows of other processes it is used by the
// real program in e2e/RadarBridgeTest.cpp (the radar's command boxes) and by the reader of
// the voice client's panes in TsRemoteLinkTest.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DesktopContract.h"
#include "win32/Win32Desktop.h"

namespace sayvane::testing {
namespace {

HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

WindowHandle ToHandle(HWND hwnd) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(hwnd));
}

// Real windows of this process. Texts of a control that keeps its own are a matter between
// processes, so a scene here has captions only.
class Win32Scene final : public DesktopScene {
public:
    ~Win32Scene() override {
        for (auto it = m_topLevel.rbegin(); it != m_topLevel.rend(); ++it) {
            DestroyWindow(*it);
        }
    }

    Desktop& View() override { return m_desktop; }

    WindowHandle Add(const sim::Window& newWindow) override {
        EXPECT_FALSE(newWindow.ownText.has_value()) << "a scene of this process has captions only";
        Register(newWindow.className);
        const bool child = newWindow.parent != kNoWindow;
        DWORD style = child ? WS_CHILD : (newWindow.popup ? WS_POPUP : WS_OVERLAPPED);
        if (newWindow.visible) {
            style |= WS_VISIBLE;
        }
        POINT origin{newWindow.rect.left, newWindow.rect.top};
        if (child) {
            ScreenToClient(ToHwnd(newWindow.parent), &origin);
        }
        HWND hwnd = CreateWindowExA(0, newWindow.className.c_str(), newWindow.caption.c_str(), style, origin.x,
                                    origin.y, newWindow.rect.Width(), newWindow.rect.Height(),
                                    ToHwnd(child ? newWindow.parent : newWindow.owner), nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(hwnd, nullptr) << newWindow.className;
        if (!child) {
            m_topLevel.push_back(hwnd);
        }
        return ToHandle(hwnd);
    }

    void Destroy(WindowHandle window) override { DestroyWindow(ToHwnd(window)); }

    [[nodiscard]] ProcessId OwnProcess() const override { return GetCurrentProcessId(); }

private:
    // A class registered again keeps the first registration: RegisterClassA then fails, harmlessly.
    static void Register(const std::string& className) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className.c_str();
        RegisterClassA(&wc);
    }

    win32::Win32Desktop m_desktop;
    std::vector<HWND> m_topLevel;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32Desktop, DesktopContract, ::testing::Values(MakeScene<Win32Scene>("Win32")));

}  // namespace sayvane::testing
