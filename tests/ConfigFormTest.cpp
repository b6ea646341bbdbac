// The configuration window's lists, and how it loads and saves the settings file.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "config/ConfigForm.h"
#include "sim/PortableProfileStore.h"

namespace sayvane {
namespace {

TEST(ConfigLists, DurationsReadAsTheUserExpects) {
    const auto refresh = RefreshListEntries();
    ASSERT_EQ(refresh.size(), 46u);
    EXPECT_EQ(refresh.front(), (ListEntry{"250 ms.", 250}));
    EXPECT_EQ(refresh[14], (ListEntry{"950 ms.", 950}));
    EXPECT_EQ(refresh[15], (ListEntry{"1 sec.", 1000}));
    EXPECT_EQ(refresh[16], (ListEntry{"1.05 sec.", 1050}));
    EXPECT_EQ(refresh[17], (ListEntry{"1.1 sec.", 1100}));
    EXPECT_EQ(refresh[44], (ListEntry{"2.45 sec.", 2450}));
    EXPECT_EQ(refresh.back(), (ListEntry{"2.5 sec.", 2500}));

    const auto delay = DelayListEntries();
    ASSERT_EQ(delay.size(), 20u);
    EXPECT_EQ(delay.front(), (ListEntry{"500 ms.", 500}));
    EXPECT_EQ(delay[3], (ListEntry{"1.25 sec.", 1250}));  // the refresh list shows the other forms
    EXPECT_EQ(delay.back(), (ListEntry{"5.25 sec.", 5250}));

    const auto sizes = FontSizeListEntries();
    ASSERT_EQ(sizes.size(), 93u);
    EXPECT_EQ(sizes.front(), (ListEntry{"8", 8}));
    EXPECT_EQ(sizes[8], (ListEntry{"16", 16}));
    EXPECT_EQ(sizes.back(), (ListEntry{"100", 100}));
}

class ConfigFormTest : public ::testing::Test {
protected:
    void GivenSettings(const std::string& lines) {
        testing::WriteBytes(m_folder.File("Sayvane.INI"), "[Setup]\r\n" + lines);
    }
    ConfigForm Open() {
        ConfigForm form(m_store, m_folder.Path().string());
        form.Form_Load();
        return form;
    }

    testing::TempFolder m_folder;
    sim::PortableProfileStore m_store;
};

TEST_F(ConfigFormTest, WithoutAFileTheControlsShowTheDefaultsAndSaveThemAsTheTwentyOneKeysInOrder) {
    ConfigForm form = Open();
    EXPECT_FALSE(form.Controls().chkBeepEnabled) << "no IvAc selection";
    EXPECT_FALSE(form.Controls().chkZoomEnabled);
    form.Controls().txtMe = "EDDF_TWR";
    ASSERT_TRUE(form.SaveConfig());

    const std::vector<std::string> expected = {
        "[Setup]",
        "OnTop=1",
        "MeFromChannel=1",
        "ShowChannel=0",
        "ShowMe=0",
        "AutoStart=0",
        "IvAcSelect=0",
        "IvAcResetZoom=0",
        "IvAcBeepSelect=0",
        "ShowInOut=1",
        "Delay=6",    // 2 sec.
        "Refresh=2",  // 350 ms.
        "Size=8",     // 16 points
        "NickName=EDDF_TWR",
        "Position=00010",
        "Transparent=60",
        "BackColor=000000000000",
        "ForeColor=000000065280",
        "ChannelForeColor=000000033023",
        "SizeUsers=8",
        "JoinForeColor=000016776960",
        "LeaveForeColor=000008421631",
    };
    EXPECT_EQ(testing::ReadLines(m_folder.File("Sayvane.INI")), expected);
}

TEST_F(ConfigFormTest, ValuesAControlRefusesLeaveItAsItWasOpened) {
    GivenSettings(
        "OnTop=3\r\nShowMe=abc\r\nShowChannel=2\r\nDelay=20\r\nRefresh=-1\r\nSize=x\r\nSizeUsers=93\r\n"
        "Transparent=101\r\nForeColor=blue\r\nJoinForeColor=255 \r\nPosition=0z\r\nIvAcSelect=0\r\n"
        "IvAcBeepSelect=1\r\n");
    const ConfigForm form = Open();
    const ConfigControls& c = form.Controls();
    EXPECT_EQ(c.Check(ConfigCheck::OnTop), CheckState::Checked);
    EXPECT_EQ(c.Check(ConfigCheck::ShowMe), CheckState::Unchecked);
    EXPECT_EQ(c.Check(ConfigCheck::ShowChannel), CheckState::Grayed);
    EXPECT_EQ(c.cboDelay, 6);
    EXPECT_EQ(c.cboRefresh, 0);
    EXPECT_EQ(c.cboSize, 8);
    EXPECT_EQ(c.cboUsers, -1);
    EXPECT_EQ(c.HScroll1, 60);
    EXPECT_EQ(c.Colour(ConfigColour::Fore), 0) << "a colour without a number is black";
    EXPECT_EQ(c.Colour(ConfigColour::Join), 255);
    EXPECT_EQ(c.optPosition, (PositionFlags{false, false, false, true, false})) << "'0' clears TopLeft only";
    EXPECT_EQ(c.Check(ConfigCheck::Beep), CheckState::Checked) << "shows its stored state";
    EXPECT_FALSE(c.chkBeepEnabled) << "but stays disabled without IvAc selection";
}

TEST_F(ConfigFormTest, TheLastPositionSetWinsAndAGreyedOrUnsetControlIsSavedAsItIs) {
    GivenSettings("SizeUsers=200\r\nShowChannel=2\r\nIvAcSelect=1\r\nPosition=11111\r\n");
    ConfigForm form = Open();
    EXPECT_TRUE(form.Controls().chkZoomEnabled);
    EXPECT_EQ(form.Controls().optPosition, (PositionFlags{false, false, false, false, true}))
        << "the last one set wins";
    std::filesystem::remove(m_folder.File("Sayvane.INI"));  // saving writes a new file
    ASSERT_TRUE(form.SaveConfig());
    const std::string file = form.SettingsFile();
    EXPECT_EQ(ReadIni(m_store, file, "ShowChannel", ""), "2");
    EXPECT_EQ(ReadIni(m_store, file, "SizeUsers", ""), "-1");
    EXPECT_EQ(ReadIni(m_store, file, "IvAcSelect", ""), "1");
    EXPECT_EQ(ReadIni(m_store, file, "Position", ""), "00001");
}

TEST_F(ConfigFormTest, TheIvAcBoxEnablesItsSubOptions) {
    ConfigForm form = Open();
    form.Controls().Check(ConfigCheck::IvAc) = CheckState::Checked;
    form.chkIvAc_Click();
    EXPECT_TRUE(form.Controls().chkBeepEnabled);
    EXPECT_TRUE(form.Controls().chkZoomEnabled);
    form.Controls().Check(ConfigCheck::Zoom) = CheckState::Checked;
    form.Controls().Check(ConfigCheck::IvAc) = CheckState::Unchecked;
    form.chkIvAc_Click();
    EXPECT_FALSE(form.Controls().chkZoomEnabled);
    EXPECT_EQ(form.Controls().Check(ConfigCheck::Zoom), CheckState::Checked) << "its own state stays";
}

TEST(ConfigSave, AFailedWriteIsReported) {
    testing::TempFolder folder;
    sim::PortableProfileStore store;
    ConfigForm form(store, (folder.Path() / "read-only").string());
    form.Form_Load();
    EXPECT_FALSE(form.SaveConfig());
}

}  // namespace
}  // namespace sayvane
