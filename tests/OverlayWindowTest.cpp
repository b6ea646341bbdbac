// The overlay window's creation, tray icon and pop-up menu commands, on the simulated platform.
#include <gtest/gtest.h>

#include <filesystem>

#include "OverlayHarness.h"
#include "app/SettingsFile.h"

namespace sayvane {
namespace {

using sim::EventLog;

class OverlayTest : public ::testing::Test, protected testing::OverlayHarness {};

TEST_F(OverlayTest, CreationRunsItsStepsInOrderWithTheDefaults) {
    Create();
    const EventLog expected = {
        "Resize 100x100",
        "StopTimer",
        "Font 16",
        "TrayAdd enabled \"Enabled\"",
        "TrayModify enabled \"Sayvane Enabled\"",
        "RemoveTaskbarButton",
        "Opacity 153",
        "Topmost on",
        "Move 30,10940",  // bottom left: 15 x (738 - 2) - 100
        "Hide",
        "StartTimer 550",
    };
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(tray.Checked(MenuItem::WinOnTop));
    EXPECT_TRUE(tray.Checked(MenuItem::InOut));
    EXPECT_FALSE(tray.Checked(MenuItem::ShowMe));
    EXPECT_FALSE(tray.Checked(MenuItem::ShowChannel));
    EXPECT_FALSE(tray.Checked(MenuItem::IvAc));
    EXPECT_FALSE(tray.Enabled(MenuItem::CreateTSChannel));
}

TEST_F(OverlayTest, SettingsShapeTheWindow) {
    WriteSettings("OnTop=0\r\nTransparent=10\r\nSize=0\r\nRefresh=45\r\nPosition=01000\r\nShowMe=1\r\n");
    Create();
    EXPECT_FALSE(window.Topmost());
    EXPECT_EQ(window.Alpha(), 26);
    EXPECT_EQ(window.FontSize(), 8);
    EXPECT_EQ(window.TimerInterval(), 2500);
    EXPECT_EQ(window.Geometry().left, 15 * 1022 - 100) << "top right";
    EXPECT_EQ(window.Geometry().top, 30);
    EXPECT_FALSE(window.IsVisible());
    EXPECT_FALSE(window.HasTaskbarButton());
    EXPECT_TRUE(tray.Checked(MenuItem::ShowMe));
}

TEST(OverlayPlace, ACustomPlaceIsRestoredOnlyWhenAMonitorShowsIt) {
    constexpr WindowPlace kCentre{(15360 - 100) / 2, (11520 - 100) / 2};
    struct Case {
        bool secondMonitor;  // 1280 x 1024 pixels left of the primary one
        const char* place;
        WindowPlace expected;
    };
    const Case cases[] = {
        {false, "LastX=000000001500\r\nLastY=000000003000\r\n", {1500, 3000}},
        {false, "LastX=000000040000\r\nLastY=000000003000\r\n", kCentre},  // left behind on a monitor now gone
        {false, "", kCentre},                                              // nothing stored yet
        {true, "LastX=-000000015000\r\nLastY=000000003000\r\n", {-15000, 3000}},
        {false, "LastX=-000000015000\r\nLastY=000000003000\r\n", kCentre},
    };
    for (const Case& c : cases) {
        testing::OverlayHarness h;
        if (c.secondMonitor) {
            h.window.AddMonitor(PixelRect{-1280, 0, 0, 1024});
        }
        h.WriteSettings(std::string("Position=00001\r\n") + c.place);
        h.Create();
        EXPECT_EQ((WindowPlace{h.window.Geometry().left, h.window.Geometry().top}), c.expected)
            << c.place << (c.secondMonitor ? " with the second monitor" : "");
    }
}

TEST_F(OverlayTest, MenuTogglesChangeOnlyTheRecordAndItsCheckMarks) {
    WriteSettings("OnTop=1\r\nShowChannel=2\r\n");
    const std::string before = SettingsBytes();
    Create();

    overlay->MenuCommand(MenuItem::WinOnTop);
    EXPECT_EQ(overlay->Settings().OnTop, 0);
    EXPECT_FALSE(tray.Checked(MenuItem::WinOnTop));
    overlay->MenuCommand(MenuItem::WinOnTop);
    EXPECT_EQ(overlay->Settings().OnTop, 1);
    EXPECT_TRUE(tray.Checked(MenuItem::WinOnTop));

    overlay->MenuCommand(MenuItem::ShowChannel);  // 2 counts as on: anything but 0 becomes 0
    EXPECT_EQ(overlay->Settings().ShowChannel, 0);
    for (MenuItem item : {MenuItem::ShowMe, MenuItem::IvAc, MenuItem::InOut}) {
        overlay->MenuCommand(item);
    }
    EXPECT_EQ(overlay->Settings().ShowMe, 1);
    EXPECT_EQ(overlay->Settings().IvAcSelect, 1);
    EXPECT_EQ(overlay->Settings().ShowInOut, 0);
    EXPECT_TRUE(tray.Checked(MenuItem::ShowMe));
    EXPECT_FALSE(tray.Checked(MenuItem::InOut));
    EXPECT_EQ(SettingsBytes(), before) << "toggles are never written";
}

TEST_F(OverlayTest, OnlyDisableWithCustomStoresThePlaceOrSaysItCouldNotAndAlwaysGoesBackToConfiguration) {
    const EventLog disable = {"StopTimer", "Clear", "TrayRemove", "OpenConfiguration", "Close"};
    // A place that could not be stored is said before the configuration window opens.
    const EventLog reported = {"StopTimer", "Clear", "TrayRemove", "MessageBox", "OpenConfiguration", "Close"};
    messages.whileShown = [&] { log.push_back("MessageBox"); };
    struct Case {
        const char* position;
        MenuItem command;
        bool unwritable;  // the file is replaced by a folder of its name: every write fails
        EventLog expected;
        bool stores;
    };
    const Case cases[] = {
        {"00001", MenuItem::Disable, false, disable, true},
        {"00010", MenuItem::Disable, false, disable, false},
        {"00001", MenuItem::Exit, false, {"TrayRemove", "Close"}, false},
        {"00001", MenuItem::Disable, true, reported, false},
    };
    const auto file = std::filesystem::path(folder.File("Sayvane.INI"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position + std::string(c.unwritable ? " unwritable" : ""));
        WriteSettings(std::string("Position=") + c.position + "\r\n");
        Create();
        window.Move(4500, 600);  // dragged
        if (c.unwritable) {
            std::filesystem::remove(file);
            std::filesystem::create_directory(file);
        }
        const std::string before = c.unwritable ? "" : SettingsBytes();
        log.clear();

        overlay->MenuCommand(c.command);
        EXPECT_EQ(log, c.expected);
        if (c.stores) {
            EXPECT_EQ(ReadIni(store, SettingsPath(folder.Path().string()), "LastX", ""), "000000004500");
            EXPECT_EQ(ReadIni(store, SettingsPath(folder.Path().string()), "LastY", ""), "000000000600");
        } else if (!c.unwritable) {
            EXPECT_EQ(SettingsBytes(), before);
        }
        overlay->Form_Unload();  // the close handler clears the tray again: harmless
        EXPECT_FALSE(tray.Shown());
    }
    EXPECT_TRUE(std::filesystem::is_directory(file));
    ASSERT_EQ(messages.Messages().size(), 1U);
    const sim::MessageRecord& box = messages.Messages().front();
    EXPECT_NE(box.text.find("could not save the overlay's place to\r\n" + SettingsPath(folder.Path().string())),
              std::string::npos)
        << box;
    EXPECT_EQ(box.caption, "Sayvane");
    EXPECT_EQ(box.style, message_box::kOk | message_box::kIconExclamation);
}

TEST_F(OverlayTest, TrayStatesAndTheRestartedTaskBar) {
    Create();
    overlay->SetTrayState(3);  // the rest of state 3 is told by RefreshCycleTest
    EXPECT_EQ(tray.Tip(), "Sayvane Enabled") << "the enabled flag stays";
    overlay->SetTrayState(0);

    log.clear();
    overlay->TaskbarRestarted();
    EXPECT_EQ(log, (EventLog{"TrayAdd enabled \"Sayvane Enabled\""}));
    overlay->ClearTray();
    log.clear();
    overlay->TaskbarRestarted();
    overlay->UpdateTrayTip();
    EXPECT_TRUE(log.empty()) << "a removed icon stays removed";
}

TEST(TrayIcon, RightReleaseAndLeftDoubleClickOpenTheMenu) {
    EXPECT_TRUE(TrayMouseMessageOpensMenu(0x0205));   // WM_RBUTTONUP
    EXPECT_TRUE(TrayMouseMessageOpensMenu(0x0203));   // WM_LBUTTONDBLCLK
    EXPECT_FALSE(TrayMouseMessageOpensMenu(0x0202));  // WM_LBUTTONUP: a single click
    EXPECT_FALSE(TrayMouseMessageOpensMenu(0x0201));
    EXPECT_FALSE(TrayMouseMessageOpensMenu(0x0204));        // WM_RBUTTONDOWN
    EXPECT_EQ(TrayTipText(false, ""), "Sayvane Disabled");  // the enabled tips are seen in the overlay's tray
}

}  // namespace
}  // namespace sayvane
