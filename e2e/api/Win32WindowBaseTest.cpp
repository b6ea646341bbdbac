// The window base and the handle guards on real windows and GDI objects: a window is bound to
// its object from WM_NCCREATE to the moment the object lets go of it, and a guarded handle is
// freed once, by whichever guard holds it last.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "win32/BaseWindow.h"
#include "win32/Handles.h"

namespace sayvane::testing {
namespace {

using win32::BaseWindow;

class ProbeWindow final : public BaseWindow<ProbeWindow> {
public:
    bool Create() {
        return RegisterClassOnce(GetModuleHandleA(nullptr), "SayvaneProbe") &&
               CreateBound(0, "SayvaneProbe", "", WS_POPUP, POINT{0, 0}, SIZE{10, 10}, nullptr,
                           GetModuleHandleA(nullptr)) != nullptr;
    }
    void DestroyQuietly() { DestroyUnbound(); }

    std::vector<UINT> heard;

private:
    friend class BaseWindow<ProbeWindow>;

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
        heard.push_back(message);
        const HWND hwnd = Hwnd();
        if (message == WM_NCDESTROY) {
            Unbind();
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

bool Heard(const ProbeWindow& probe, UINT message) {
    return std::find(probe.heard.begin(), probe.heard.end(), message) != probe.heard.end();
}

TEST(Win32BaseWindow, TheObjectHearsItsWindowFromNcCreateUntilItLetsGo) {
    ProbeWindow probe;
    ASSERT_TRUE(probe.Create());
    const HWND hwnd = probe.Hwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(Heard(probe, WM_NCCREATE));
    EXPECT_TRUE(Heard(probe, WM_CREATE)) << "messages sent during creation reach the object";

    DestroyWindow(hwnd);
    EXPECT_TRUE(Heard(probe, WM_DESTROY));
    EXPECT_EQ(probe.Hwnd(), nullptr) << "let go at WM_NCDESTROY";
}

TEST(Win32BaseWindow, AWindowDestroyedUnboundTellsItsObjectNothing) {
    ProbeWindow probe;
    ASSERT_TRUE(probe.Create());
    const HWND hwnd = probe.Hwnd();
    probe.DestroyQuietly();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(Heard(probe, WM_DESTROY));
    EXPECT_EQ(probe.Hwnd(), nullptr);
}

TEST(Win32Handles, AGdiObjectIsFreedOnceByTheGuardThatHoldsItLast) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    {
        win32::UniqueBrush first(brush);
        win32::UniqueBrush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), brush);
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "moving frees nothing";
    }
    EXPECT_EQ(GetObjectType(brush), 0u) << "freed when its last guard went";

    win32::UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    const HDC memory = dc.Get();
    ASSERT_EQ(GetObjectType(memory), static_cast<DWORD>(OBJ_MEMDC));
    dc.Reset();
    EXPECT_EQ(GetObjectType(memory), 0u);
}

}  // namespace
}  // namespace sayvane::testing
