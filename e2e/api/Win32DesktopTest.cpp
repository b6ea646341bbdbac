// The Win32 desktop: held to the same window-system behaviours as the simulated desktop on
// real windows of this test program, then running the portable searches and the aircraft
// selection against the radar stand-in ivacsim in a process of its own: what reaches IvAc's
// command line, as ivacsim logs it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DesktopContract.h"
#include "harness/Ts2SimRun.h"
#include "ivac/AircraftSelection.h"
#include "ivac/IvAcWindows.h"
#include "sim/SoundRecorder.h"
#include "win32/Win32Clock.h"
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
    static void Register(const std::string& className) {
        WNDCLASSA existing{};
        if (GetClassInfoA(GetModuleHandleA(nullptr), className.c_str(), &existing)) {
            return;
        }
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className.c_str();
        RegisterClassA(&wc);
    }

    win32::Win32Desktop m_desktop;
    std::vector<HWND> m_topLevel;
};

std::unique_ptr<DesktopScene> MakeWin32Scene() {
    return std::make_unique<Win32Scene>();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32Desktop, DesktopContract, ::testing::Values(SceneMaker{"Win32", MakeWin32Scene}));

namespace {

using e2e::PeerProcess;

// ivacsim with the desktop, the searches and the selection that work on it.
class IvAcSimTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& arguments) {
        m_ivac = std::make_unique<e2e::IvAcSimRun>(arguments);
        m_radar = ToHandle(m_ivac->Radar());
        ASSERT_NE(m_radar, kNoWindow) << "ivacsim's main window did not show";
    }

    // The "COMMBox" dialogs of ivacsim, top of the Z order first.
    std::vector<WindowHandle> CommBoxes() {
        std::vector<WindowHandle> boxes;
        desktop.EnumerateTopLevelWindows([&](WindowHandle w) {
            if (desktop.ProcessOf(w) == m_ivac->ProcessId() && desktop.ClassName(w, 256) == "#32770" &&
                desktop.Caption(w, 256) == "COMMBox") {
                boxes.push_back(w);
            }
            return true;
        });
        return boxes;
    }

    win32::Win32Desktop desktop;
    win32::Win32Clock clock;
    sim::SoundRecorder sound;
    IvAcWindows ivac{desktop, clock};
    AircraftSelection selection{ivac, desktop, clock, sound};
    std::unique_ptr<e2e::IvAcSimRun> m_ivac;
    WindowHandle m_radar = kNoWindow;
};

TEST_F(IvAcSimTest, TheSearchFindsIvAcAndTheCallsignIsCutFromItsCaption) {
    Start({"--caption", "IvAc 1.2 - edDf_twr [Online]"});
    // The callsign is read only while TeamSpeak 2 runs too: its main window is of class "TMainForm".
    EXPECT_EQ(ivac.GetIvAcCallsign(), "") << "no TeamSpeak 2 yet";

    PeerProcess teamSpeak("desktop_fixture.exe", {"--top", "TMainForm", "TeamSpeak 2"});
    ASSERT_NE(teamSpeak.WaitForWindow("TMainForm"), nullptr);

    EXPECT_EQ(ivac.GetIvAcCallsign(), "EDDF_TWR");
    EXPECT_EQ(ivac.hWndIvAc(), m_radar);
    EXPECT_EQ(ivac.FindIvAcWindow(), m_radar);
}

struct SelectionCase {
    const char* what;
    std::vector<std::string> arguments;  // ivacsim's
    std::size_t commandBoxes;
    const char* command;
    std::int16_t zoom;
    std::int16_t beep;
    SelectionResult result;
    std::vector<std::string> typed;  // the lines that reach the upper command box, each with Enter
    std::vector<sim::BeepRecord> beeps;
};

void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << c.what;
}

class AircraftSelectionOnIvAcSim : public IvAcSimTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(AircraftSelectionOnIvAcSim, TheBoxesAreFoundAndOnlyTheWideLineOfTheUpperOneGetsTheText) {
    const SelectionCase& c = GetParam();
    Start(c.arguments);
    const std::vector<WindowHandle> boxes = CommBoxes();
    ASSERT_EQ(boxes.size(), c.commandBoxes);
    const HWND foreground = GetForegroundWindow();
    WindowHandle wide = kNoWindow;
    std::string box;
    if (!boxes.empty()) {
        // The narrow edit comes first in Z order and is passed over for the wide one.
        const WindowHandle narrow = desktop.FirstChild(boxes[0]);
        ASSERT_EQ(desktop.ClassName(narrow, 255), "Edit");
        ASSERT_EQ(desktop.WindowRect(narrow)->Width(), 70);
        wide = desktop.NextSibling(narrow);
        ASSERT_EQ(desktop.ClassName(wide, 255), "Edit");
        EXPECT_GT(desktop.WindowRect(wide)->Width(), 70);
        EXPECT_EQ(desktop.FindChildWindow(boxes[0], kNoWindow, "edit", std::nullopt), narrow);
        box = std::to_string((desktop.WindowRect(boxes[0])->left - 60) / 30);  // box n sits at 60 + 30 n
    }
    // The search finds every box, top first; a box is a top-level window owned by the radar:
    // the climb ends at the radar, from the box as from its edit.
    std::vector<WindowHandle> hWndArray{123, 456};
    const int count = ivac.FindWindowLike(hWndArray, kNoWindow, "#32770");
    ASSERT_EQ(static_cast<std::size_t>(count) + 1, hWndArray.size());
    EXPECT_EQ(hWndArray[0], kNoWindow) << "element 0 is unused";
    EXPECT_EQ(KeepOnly({hWndArray.begin() + 1, hWndArray.end()}, boxes), boxes);
    EXPECT_EQ(ivac.FindWindowLike(hWndArray, kNoWindow, "#32771"), 0);
    for (WindowHandle b : boxes) {
        EXPECT_EQ(ivac.GetTheParentWindowHandle(b), m_radar);
        EXPECT_EQ(ivac.GetTheParentWindowHandle(desktop.FirstChild(b)), m_radar);
    }
    EXPECT_EQ(ivac.GetTheParentWindowHandle(m_radar), m_radar);

    EXPECT_EQ(selection.InviaCallsignIVAC(c.command, c.zoom, c.beep), c.result);

    std::vector<std::string> expected;
    for (const std::string& line : c.typed) {
        expected.insert(expected.end(), {"settext\t" + box + "\twide\t" + line, "enter\t" + box + "\twide\t" + line});
    }
    EXPECT_EQ(m_ivac->WaitForLogLines(expected.size()), expected);
    EXPECT_EQ(sound.Beeps(), c.beeps);
    EXPECT_EQ(GetForegroundWindow(), foreground) << "the foreground stays where it was";
    EXPECT_EQ(ivac.hWndIvAc(), m_radar);
    EXPECT_EQ(ivac.FindIvAcWindow(), m_radar);
    if (wide != kNoWindow) {
        EXPECT_TRUE(e2e::WaitUntil([&] { return desktop.TextLength(wide) == 0; })) << "the line empties after Enter";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AircraftSelectionOnIvAcSim,
                         ::testing::Values(SelectionCase{"the callsign with a beep",
                                                         {},
                                                         1,
                                                         ".s AFR123",
                                                         0,
                                                         1,
                                                         SelectionResult::Typed,
                                                         {".s AFR123"},
                                                         {{400, 10}}},
                                           SelectionCase{"the zoom reset follows the selection",
                                                         {"--callsign", "LOWW_APP"},
                                                         1,
                                                         ".s DLH4AB",
                                                         1,
                                                         0,
                                                         SelectionResult::Typed,
                                                         {".s DLH4AB", ".z 0"},
                                                         {}},
                                           SelectionCase{"of two boxes the higher one",
                                                         {"--commbox", "two"},
                                                         2,
                                                         ".s BAW9",
                                                         0,
                                                         0,
                                                         SelectionResult::Typed,
                                                         {".s BAW9"},
                                                         {}},
                                           SelectionCase{"without command box nothing is sent",
                                                         {"--commbox", "none"},
                                                         0,
                                                         ".s AFR123",
                                                         1,
                                                         1,
                                                         SelectionResult::NoCommandBox,
                                                         {},
                                                         {}}));

}  // namespace
}  // namespace sayvane::testing
