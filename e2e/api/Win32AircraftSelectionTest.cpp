// Aircraft selection with the Win32 desktop against the radar stand-in ivacsim in a process of
// its own: what reaches IvAc's command line, as ivacsim logs it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "harness/PeerProcess.h"
#include "harness/SayvaneRun.h"
#include "ivac/AircraftSelection.h"
#include "sim/SoundRecorder.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Desktop.h"

namespace sayvane::testing {
namespace {

using e2e::PeerProcess;
using e2e::WaitUntil;

WindowHandle ToHandle(HWND hwnd) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(hwnd));
}

class Win32AircraftSelectionTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--log", LogFile()});
        m_ivac = std::make_unique<PeerProcess>("ivacsim.exe", arguments);
        ASSERT_TRUE(m_ivac->Running());
        ASSERT_NE(m_ivac->WaitForWindow("IvAcSimRadar"), nullptr) << "ivacsim's main window did not show";
    }

    // Waits until ivacsim has logged `count` lines, then gives them all.
    std::vector<std::string> WaitForLines(std::size_t count) {
        WaitUntil([&] { return ReadLines(LogFile()).size() >= count; });
        return ReadLines(LogFile());
    }

    // The left edges of ivacsim's "COMMBox" dialogs, top of the Z order first (box n sits at
    // 60 + 30 n).
    std::vector<int> CommBoxLefts() {
        std::vector<int> lefts;
        desktop.EnumerateTopLevelWindows([&](WindowHandle w) {
            if (desktop.ProcessOf(w) == m_ivac->ProcessId() && desktop.Caption(w, 256) == "COMMBox") {
                lefts.push_back(desktop.WindowRect(w)->left);
            }
            return true;
        });
        return lefts;
    }

    [[nodiscard]] std::string LogFile() const { return m_folder.File("ivacsim.log"); }

    win32::Win32Desktop desktop;
    win32::Win32Clock clock;
    sim::SoundRecorder sound;
    IvAcWindows ivac{desktop, clock};
    AircraftSelection selection{ivac, desktop, clock, sound};
    TempFolder m_folder;
    std::unique_ptr<PeerProcess> m_ivac;
};

TEST_F(Win32AircraftSelectionTest, TheCallsignAndEnterReachTheWideCommandLineOnly) {
    Start({});
    const HWND foreground = GetForegroundWindow();

    EXPECT_EQ(selection.InviaCallsignIVAC(".s AFR123", 0, 1), SelectionResult::Typed);

    const std::vector<std::string> expected{"settext\t1\twide\t.s AFR123", "enter\t1\twide\t.s AFR123"};
    EXPECT_EQ(WaitForLines(expected.size()), expected);
    EXPECT_EQ(sound.Beeps(), (std::vector<sim::BeepRecord>{{400, 10}}));
    EXPECT_EQ(GetForegroundWindow(), foreground) << "the foreground stays where it was";
}

TEST_F(Win32AircraftSelectionTest, WithTheZoomOptionTheZoomResetFollowsTheSelection) {
    Start({"--callsign", "LOWW_APP"});

    EXPECT_EQ(selection.InviaCallsignIVAC(".s DLH4AB", 1, 0), SelectionResult::Typed);

    const std::vector<std::string> expected{"settext\t1\twide\t.s DLH4AB", "enter\t1\twide\t.s DLH4AB",
                                            "settext\t1\twide\t.z 0", "enter\t1\twide\t.z 0"};
    EXPECT_EQ(WaitForLines(expected.size()), expected);
    EXPECT_TRUE(sound.Beeps().empty());
}

TEST_F(Win32AircraftSelectionTest, OfTwoCommandBoxesTheHigherOneGetsTheLine) {
    Start({"--commbox", "two"});
    const std::vector<int> lefts = CommBoxLefts();
    ASSERT_EQ(lefts.size(), 2u);
    const int upperBox = (lefts[0] - 60) / 30;

    EXPECT_EQ(selection.InviaCallsignIVAC(".s BAW9", 0, 0), SelectionResult::Typed);

    const std::string box = std::to_string(upperBox);
    const std::vector<std::string> expected{"settext\t" + box + "\twide\t.s BAW9", "enter\t" + box + "\twide\t.s BAW9"};
    EXPECT_EQ(WaitForLines(expected.size()), expected);
}

TEST_F(Win32AircraftSelectionTest, WithoutCommandBoxNothingIsSent) {
    Start({"--commbox", "none"});

    EXPECT_EQ(selection.InviaCallsignIVAC(".s AFR123", 1, 1), SelectionResult::NoCommandBox);
    EXPECT_EQ(ivac.hWndIvAc(), ToHandle(m_ivac->WaitForWindow("IvAcSimRadar")));
    EXPECT_TRUE(sound.Beeps().empty());
    EXPECT_TRUE(ReadLines(LogFile()).empty());
}

}  // namespace
}  // namespace sayvane::testing
