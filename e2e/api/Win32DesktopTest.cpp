// The Win32 desktop: held to the same window-system behaviours as the simulated desktop on
// real windows of this test program, then running the portable readers and searches against
// other processes' windows: the radar stand-in ivacsim and the window fixture.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "DesktopContract.h"
#include "TempFolder.h"
#include "harness/PeerProcess.h"
#include "harness/SayvaneRun.h"
#include "ivac/IvAcWindows.h"
#include "teamspeak/TeamSpeakWindow.h"
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

INSTANTIATE_TEST_SUITE_P(Desktop, DesktopContract,
                         ::testing::Values(DesktopSceneFactory{"Win32", MakeWin32Scene},
                                           DesktopSceneFactory{"Simulated", MakeSimulatedScene}),
                         SceneName);

namespace {

using e2e::PeerProcess;
using e2e::WaitUntil;

bool LogHas(const std::string& file, const std::string& line) {
    const std::vector<std::string> lines = ReadLines(file);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// ivacsim started with a log in a fresh folder; waits until its main window shows, which it
// does once its command boxes exist.
class IvAcSimTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--log", LogFile()});
        m_ivac = std::make_unique<PeerProcess>("ivacsim.exe", arguments);
        ASSERT_TRUE(m_ivac->Running());
        m_radar = ToHandle(m_ivac->WaitForWindow("IvAcSimRadar"));
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

    [[nodiscard]] std::string LogFile() const { return m_folder.File("ivacsim.log"); }

    win32::Win32Desktop desktop;
    win32::Win32Clock clock;
    TempFolder m_folder;
    std::unique_ptr<PeerProcess> m_ivac;
    WindowHandle m_radar = kNoWindow;
};

TEST_F(IvAcSimTest, TheSearchFindsIvAcAndTheCallsignIsCutFromItsCaption) {
    Start({"--caption", "IvAc 1.2 - edDf_twr [Online]"});
    // The callsign is read only while TeamSpeak 2 runs too: its main window is of class "TMainForm".
    IvAcWindows ivac(desktop, clock);
    EXPECT_EQ(ivac.GetIvAcCallsign(), "") << "no TeamSpeak 2 yet";

    PeerProcess teamSpeak("desktop_fixture.exe", {"--top", "TMainForm", "TeamSpeak 2"});
    ASSERT_NE(teamSpeak.WaitForWindow("TMainForm"), nullptr);

    EXPECT_EQ(ivac.GetIvAcCallsign(), "EDDF_TWR");
    EXPECT_EQ(ivac.hWndIvAc(), m_radar);
    EXPECT_EQ(ivac.FindIvAcWindow(), m_radar);
}

TEST_F(IvAcSimTest, FindWindowLikeFromTheDesktopFindsBothCommandBoxesInZOrder) {
    Start({"--callsign", "LFPG_APP", "--commbox", "two"});
    const std::vector<WindowHandle> boxes = CommBoxes();
    ASSERT_EQ(boxes.size(), 2u);

    IvAcWindows ivac(desktop, clock);
    std::vector<WindowHandle> hWndArray{123, 456};
    const int count = ivac.FindWindowLike(hWndArray, kNoWindow, "#32770");
    ASSERT_EQ(static_cast<std::size_t>(count) + 1, hWndArray.size());
    EXPECT_EQ(hWndArray[0], kNoWindow) << "element 0 is unused";
    std::vector<WindowHandle> found(hWndArray.begin() + 1, hWndArray.end());
    EXPECT_EQ(KeepOnly(found, boxes), boxes) << "both boxes, top first";
    EXPECT_EQ(ivac.FindWindowLike(hWndArray, kNoWindow, "#32771"), 0);

    // A box is a top-level window owned by the radar: the climb ends at the radar, from the
    // box as from its edit.
    EXPECT_EQ(ivac.GetTheParentWindowHandle(boxes[0]), m_radar);
    EXPECT_EQ(ivac.GetTheParentWindowHandle(desktop.FirstChild(boxes[1])), m_radar);
    EXPECT_EQ(ivac.GetTheParentWindowHandle(m_radar), m_radar);
}

TEST_F(IvAcSimTest, TextAndEnterReachTheWideCommandLine) {
    Start({});
    const std::vector<WindowHandle> boxes = CommBoxes();
    ASSERT_EQ(boxes.size(), 1u);

    // The narrow edit comes first in Z order and is passed over for the wide one.
    const WindowHandle narrow = desktop.FirstChild(boxes[0]);
    ASSERT_EQ(desktop.ClassName(narrow, 255), "Edit");
    ASSERT_EQ(desktop.WindowRect(narrow)->Width(), 70);
    const WindowHandle wide = desktop.NextSibling(narrow);
    ASSERT_EQ(desktop.ClassName(wide, 255), "Edit");
    EXPECT_GT(desktop.WindowRect(wide)->Width(), 70);
    EXPECT_EQ(desktop.FindChildWindow(boxes[0], kNoWindow, "edit", std::nullopt), narrow);

    desktop.SendSetText(wide, ".s AFR123");
    EXPECT_EQ(ReadWindowText(desktop, wide), ".s AFR123");
    EXPECT_TRUE(desktop.Post(wide, message::kKeyDown, kVirtualKeyReturn, 1));
    EXPECT_TRUE(WaitUntil([&] { return LogHas(LogFile(), "enter\t1\twide\t.s AFR123"); })) << ReadBytes(LogFile());
    EXPECT_TRUE(WaitUntil([&] { return desktop.TextLength(wide) == 0; })) << "the command line empties after Enter";

    desktop.SendSetText(wide, ".z 0");
    EXPECT_TRUE(desktop.Post(wide, message::kKeyDown, kVirtualKeyReturn, 1));
    EXPECT_TRUE(WaitUntil([&] { return LogHas(LogFile(), "enter\t1\twide\t.z 0"); })) << ReadBytes(LogFile());

    const std::vector<std::string> expected{"settext\t1\twide\t.s AFR123", "enter\t1\twide\t.s AFR123",
                                            "settext\t1\twide\t.z 0", "enter\t1\twide\t.z 0"};
    EXPECT_EQ(ReadLines(LogFile()), expected);
}

TEST_F(IvAcSimTest, WithoutCommandBoxThereIsNoDialog) {
    Start({"--commbox", "none"});
    EXPECT_TRUE(CommBoxes().empty());
    IvAcWindows ivac(desktop, clock);
    EXPECT_EQ(ivac.FindIvAcWindow(), m_radar);
}

TEST_F(IvAcSimTest, ActivatingTheProcessGivesItTheForeground) {
    Start({});
    ASSERT_TRUE(desktop.ActivateProcess(m_ivac->ProcessId()));
    EXPECT_EQ(desktop.ForegroundProcess(), m_ivac->ProcessId());
    EXPECT_FALSE(desktop.ActivateProcess(0));
}

TEST(Win32TeamSpeakWindow, TheReaderFindsThePlayerInAnotherProcesssPane) {
    PeerProcess teamSpeak(
        "desktop_fixture.exe",
        {"--top", "TMainForm", "TeamSpeak 2",                           //
         "--child", "TPanel", "",                                       //
         "--nested", "TRichEditWithLinks", "Player:\\r\\nFIRST\\r\\n",  //
         "--child", "TRichEditWithLinks", "Channel:\\r\\nLobby",        //
         "--child", "TPanel", "",                                       //
         "--nested", "TRichEditWithLinks", "Server:\\r\\nTower\\r\\nPlayer:\\r\\nEDDF_TWR\\r\\nChannel:\\r\\nLobby"});
    const HWND main = teamSpeak.WaitForWindow("TMainForm", "TeamSpeak 2");
    ASSERT_NE(main, nullptr);

    win32::Win32Desktop desktop;
    std::vector<WindowHandle> panes;
    desktop.EnumerateDescendants(ToHandle(main), [&](WindowHandle w) {
        if (desktop.ClassName(w, 50) == "TRichEditWithLinks") {
            panes.push_back(w);
        }
        return true;
    });
    ASSERT_EQ(panes.size(), 3u);
    // What makes the messages necessary: the window system keeps no caption for such a pane.
    EXPECT_EQ(desktop.Caption(panes[2], 256), "");
    EXPECT_EQ(ReadWindowText(desktop, panes[2]), "Server:\r\nTower\r\nPlayer:\r\nEDDF_TWR\r\nChannel:\r\nLobby");

    TeamSpeakWindowReader reader(desktop);
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR") << "the last pane with \"Player:\" wins";

    ASSERT_TRUE(teamSpeak.Close());
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), "EDDF_TWR") << "kept when TeamSpeak 2 is gone";
}

}  // namespace
}  // namespace sayvane::testing
