// The overlay window's creation, tray icon and pop-up menu commands, on the simulated platform.
#include <gtest/gtest.h>

#include <algorithm>

#include "OverlayHarness.h"
#include "app/SettingsFile.h"

namespace sayvane {
namespace {

using sim::EventLog;

class OverlayTest : public ::testing::Test {
protected:
    void GivenSettings(const std::string& lines) { m_h.WriteSettings(lines); }
    Overlay& Create() { return m_h.Create(); }
    [[nodiscard]] std::string FileBytes() const { return m_h.SettingsBytes(); }

    testing::OverlayHarness m_h;
    sim::EventLog& m_log = m_h.log;
    sim::SimOverlayWindow& m_window = m_h.window;
    sim::SimTrayIcon& m_tray = m_h.tray;
    sim::PortableProfileStore& m_store = m_h.store;
    testing::TempFolder& m_folder = m_h.folder;
    std::unique_ptr<Overlay>& m_overlay = m_h.overlay;
};

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
    EXPECT_EQ(m_log, expected);
    EXPECT_EQ(m_overlay->LastStatus(), -1);
    EXPECT_TRUE(m_tray.Checked(MenuItem::WinOnTop));
    EXPECT_TRUE(m_tray.Checked(MenuItem::InOut));
    EXPECT_FALSE(m_tray.Checked(MenuItem::ShowMe));
    EXPECT_FALSE(m_tray.Checked(MenuItem::ShowChannel));
    EXPECT_FALSE(m_tray.Checked(MenuItem::IvAc));
    EXPECT_FALSE(m_tray.Enabled(MenuItem::CreateTSChannel));
}

TEST_F(OverlayTest, SettingsShapeTheWindow) {
    GivenSettings("OnTop=0\r\nTransparent=10\r\nSize=0\r\nRefresh=45\r\nPosition=01000\r\nShowMe=1\r\n");
    Create();
    EXPECT_FALSE(m_window.Topmost());
    EXPECT_EQ(m_window.Alpha(), 26);
    EXPECT_EQ(m_window.FontSize(), 8);
    EXPECT_EQ(m_window.TimerInterval(), 2500);
    EXPECT_EQ(m_window.Geometry().left, 15 * 1022 - 100) << "top right";
    EXPECT_EQ(m_window.Geometry().top, 30);
    EXPECT_FALSE(m_window.IsVisible());
    EXPECT_FALSE(m_window.HasTaskbarButton());
    EXPECT_TRUE(m_tray.Checked(MenuItem::ShowMe));
}

TEST_F(OverlayTest, TheNicknameIsFoundAtRunTimeWhenMeFromChannelIsOn) {
    GivenSettings("NickName=EDDF_TWR\r\nMeFromChannel=1\r\n");
    EXPECT_EQ(Create().Settings().NickName, "");
    GivenSettings("NickName=EDDF_TWR\r\nMeFromChannel=0\r\n");
    EXPECT_EQ(Create().Settings().NickName, "EDDF_TWR");
}

TEST_F(OverlayTest, ACustomPlaceIsRestoredOnlyWhenAMonitorShowsIt) {
    GivenSettings("Position=00001\r\nLastX=000000001500\r\nLastY=000000003000\r\n");
    Create();
    EXPECT_EQ(m_window.Geometry().left, 1500);
    EXPECT_EQ(m_window.Geometry().top, 3000);

    // A place left behind on a monitor that is gone: back to the centre of the screen.
    GivenSettings("Position=00001\r\nLastX=000000040000\r\nLastY=000000003000\r\n");
    Create();
    EXPECT_EQ(m_window.Geometry().left, (15360 - 100) / 2);
    EXPECT_EQ(m_window.Geometry().top, (11520 - 100) / 2);

    // Without stored coordinates the centre is the default.
    GivenSettings("Position=00001\r\n");
    Create();
    EXPECT_EQ(m_window.Geometry().left, 7630);
    EXPECT_EQ(m_window.Geometry().top, 5710);
}

TEST_F(OverlayTest, ACustomPlaceOnASecondMonitorIsRestoredThereAndOnlyWhileItIsThere) {
    // A second monitor of 1280 x 1024 pixels left of the primary one.
    m_window.AddMonitor(PixelRect{-1280, 0, 0, 1024});
    GivenSettings("Position=00001\r\nLastX=-000000015000\r\nLastY=000000003000\r\n");
    Create();
    EXPECT_EQ(m_window.Geometry().left, -15000) << "kept on the second monitor";
    EXPECT_EQ(m_window.Geometry().top, 3000);

    // The same place once that monitor is gone: back to the primary screen's centre.
    testing::OverlayHarness other;
    other.WriteSettings("Position=00001\r\nLastX=-000000015000\r\nLastY=000000003000\r\n");
    other.Create();
    EXPECT_EQ(other.window.Geometry().left, (15360 - 100) / 2);
    EXPECT_EQ(other.window.Geometry().top, (11520 - 100) / 2);
}

TEST_F(OverlayTest, MenuTogglesChangeOnlyTheRecordAndItsCheckMarks) {
    GivenSettings("OnTop=1\r\nShowChannel=2\r\n");
    const std::string before = FileBytes();
    Overlay& overlay = Create();

    overlay.MenuCommand(MenuItem::WinOnTop);
    EXPECT_EQ(overlay.Settings().OnTop, 0);
    EXPECT_FALSE(m_tray.Checked(MenuItem::WinOnTop));
    overlay.MenuCommand(MenuItem::WinOnTop);
    EXPECT_EQ(overlay.Settings().OnTop, 1);
    EXPECT_TRUE(m_tray.Checked(MenuItem::WinOnTop));

    overlay.MenuCommand(MenuItem::ShowChannel);  // 2 counts as on: anything but 0 becomes 0
    EXPECT_EQ(overlay.Settings().ShowChannel, 0);
    for (MenuItem item : {MenuItem::ShowMe, MenuItem::IvAc, MenuItem::InOut}) {
        overlay.MenuCommand(item);
    }
    EXPECT_EQ(overlay.Settings().ShowMe, 1);
    EXPECT_EQ(overlay.Settings().IvAcSelect, 1);
    EXPECT_EQ(overlay.Settings().ShowInOut, 0);
    EXPECT_TRUE(m_tray.Checked(MenuItem::ShowMe));
    EXPECT_FALSE(m_tray.Checked(MenuItem::InOut));
    EXPECT_EQ(FileBytes(), before) << "toggles are never written";
}

TEST_F(OverlayTest, DisableWithCustomStoresThePlaceAndGoesBackToConfiguration) {
    GivenSettings("Position=00001\r\n");
    Overlay& overlay = Create();
    m_window.Move(4500, 600);  // dragged
    m_log.clear();

    overlay.MenuCommand(MenuItem::Disable);
    EXPECT_EQ(m_log, (EventLog{"StopTimer", "Clear", "TrayRemove", "OpenConfiguration", "Close"}));
    EXPECT_EQ(ReadIni(m_store, SettingsPath(m_folder.Path().string()), "LastX", ""), "000000004500");
    EXPECT_EQ(ReadIni(m_store, SettingsPath(m_folder.Path().string()), "LastY", ""), "000000000600");

    overlay.Form_Unload();  // the close handler clears the tray again: harmless
    EXPECT_FALSE(m_tray.Shown());
}

TEST_F(OverlayTest, DisableInACornerAndExitStoreNothing) {
    GivenSettings("Position=00010\r\n");
    const std::string before = FileBytes();
    Create().MenuCommand(MenuItem::Disable);
    EXPECT_EQ(FileBytes(), before);

    GivenSettings("Position=00001\r\n");
    const std::string custom = FileBytes();
    Overlay& overlay = Create();
    m_window.Move(4500, 600);
    m_log.clear();
    overlay.MenuCommand(MenuItem::Exit);
    EXPECT_EQ(m_log, (EventLog{"TrayRemove", "Close"}));
    EXPECT_EQ(FileBytes(), custom);
}

TEST_F(OverlayTest, TrayStatesAndTheRestartedTaskBar) {
    Overlay& overlay = Create();
    overlay.SetTrayState(3);
    EXPECT_EQ(m_tray.Picture(), TrayPicture::Disabled);
    EXPECT_EQ(m_tray.Caption(MenuItem::CreateTSChannel), "Create TS Channel ");
    EXPECT_FALSE(m_tray.Enabled(MenuItem::CreateTSChannel));
    EXPECT_EQ(m_tray.Tip(), "Sayvane Enabled") << "the enabled flag stays";
    overlay.SetTrayState(0);
    EXPECT_EQ(m_tray.Picture(), TrayPicture::Enabled);

    m_log.clear();
    overlay.TaskbarRestarted();
    EXPECT_EQ(m_log, (EventLog{"TrayAdd enabled \"Sayvane Enabled\""}));
    overlay.ClearTray();
    m_log.clear();
    overlay.TaskbarRestarted();
    overlay.UpdateTrayTip();
    EXPECT_TRUE(m_log.empty()) << "a removed icon stays removed";
}

TEST(TrayIcon, RightReleaseAndLeftDoubleClickOpenTheMenu) {
    EXPECT_TRUE(TrayMouseMessageOpensMenu(0x0205));   // WM_RBUTTONUP
    EXPECT_TRUE(TrayMouseMessageOpensMenu(0x0203));   // WM_LBUTTONDBLCLK
    EXPECT_FALSE(TrayMouseMessageOpensMenu(0x0202));  // WM_LBUTTONUP: a single click
    EXPECT_FALSE(TrayMouseMessageOpensMenu(0x0201));
    EXPECT_FALSE(TrayMouseMessageOpensMenu(0x0204));  // WM_RBUTTONDOWN
    EXPECT_EQ(TrayTipText(true, "EDDF_TWR"), "Sayvane Enabled (EDDF_TWR)");
    EXPECT_EQ(TrayTipText(true, ""), "Sayvane Enabled");
    EXPECT_EQ(TrayTipText(false, ""), "Sayvane Disabled");
}

}  // namespace
}  // namespace sayvane
