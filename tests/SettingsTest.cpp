// The settings file as the overlay and the start-up routine read it, and as they write it.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "sim/PortableProfileStore.h"

namespace sayvane {
namespace {

using sayvane::testing::ReadLines;
using sayvane::testing::TempFolder;
using sayvane::testing::WriteBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    // A settings file holding these "Key=Value" lines under [Setup].
    void GivenFile(std::initializer_list<const char*> lines) {
        std::string text = "[Setup]\r\n";
        for (const char* line : lines) {
            text += std::string(line) + "\r\n";
        }
        WriteBytes(m_folder.File("Sayvane.INI"), text);
    }

    OverlaySettings Load(OverlaySettings settings = {}) {
        LoadSettings(m_store, m_file, settings);
        return settings;
    }

    TempFolder m_folder;
    std::string m_file = SettingsPath(m_folder.Path().string());  // the path as the program builds it
    sim::PortableProfileStore m_store;
};

TEST(SettingsPath, IsTheProgramFolderAndTheFileName) {
    EXPECT_EQ(SettingsPath("C:\\Program Files\\Sayvane"), "C:\\Program Files\\Sayvane\\Sayvane.INI");
    EXPECT_EQ(SettingsPath("C:\\"), "C:\\\\Sayvane.INI");  // a drive root: Windows accepts the doubled "\"
}

TEST(SettingKeys, TheTwoReadersDifferOnlyOnRefreshAndDelay) {
    for (const SettingKey& key : kSettingKeys) {
        if (key.name == "Refresh") {
            EXPECT_EQ(key.overlayDefault, "6");
            EXPECT_EQ(key.configDefault, "2");
        } else if (key.name == "Delay") {
            EXPECT_EQ(key.overlayDefault, "2");
            EXPECT_EQ(key.configDefault, "6");
        } else {
            EXPECT_EQ(key.overlayDefault, key.configDefault) << key.name;
        }
    }
}

TEST_F(SettingsFileTest, WithoutAFileTheOverlayGetsItsDefaults) {
    const OverlaySettings s = Load();
    EXPECT_EQ(s.OnTop, 1);
    EXPECT_EQ(s.MeFromChannel, 1);
    EXPECT_EQ(s.ShowChannel, 0);
    EXPECT_EQ(s.ShowMe, 0);
    EXPECT_EQ(s.AutoStart, 0);
    EXPECT_EQ(s.IvAcSelect, 0);
    EXPECT_EQ(s.ShowInOut, 1);
    EXPECT_EQ(s.RefreshInterval, 550);
    EXPECT_EQ(s.RetentionTime, 1000);
    EXPECT_EQ(s.SpeakerFontSize, 16);
    EXPECT_EQ(s.UserFontSize, 16);
    EXPECT_EQ(s.NickName, "");
    EXPECT_EQ(s.Transparent, 60);
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_EQ(s.ForeColor, 65280);
    EXPECT_EQ(s.ChannelForeColor, 33023);
    EXPECT_EQ(s.JoinForeColor, 16776960);
    EXPECT_EQ(s.LeaveForeColor, 8421631);
    EXPECT_EQ(s.Position, (PositionFlags{false, false, false, true, false}));
    EXPECT_FALSE(ReadAutoStart(m_store, m_file));
}

TEST_F(SettingsFileTest, ListPositionsBecomeQuantities) {
    struct Case {
        const char *refresh, *delay, *size, *sizeUsers;
        int interval, retention, points, userPoints;
    };
    const Case cases[] = {
        {"0", "0", "0", "0", 250, 500, 8, 8},      {"45", "19", "92", "92", 2500, 5250, 100, 100},
        {"-1", "-1", "-1", "-1", 200, 250, 7, 7},   // what the configuration window saves for "no selection"
        {"2", "6", "8", "2.5", 350, 2000, 16, 10},  // 10.5 rounds to even
        {"2", "6", "8", "3.5", 350, 2000, 16, 12},
    };
    for (const Case& c : cases) {
        GivenFile({(std::string("Refresh=") + c.refresh).c_str(), (std::string("Delay=") + c.delay).c_str(),
                   (std::string("Size=") + c.size).c_str(), (std::string("SizeUsers=") + c.sizeUsers).c_str()});
        const OverlaySettings s = Load();
        EXPECT_EQ(s.RefreshInterval, c.interval) << c.refresh;
        EXPECT_EQ(s.RetentionTime, c.retention) << c.delay;
        EXPECT_EQ(s.SpeakerFontSize, c.points) << c.size;
        EXPECT_EQ(s.UserFontSize, c.userPoints) << c.sizeUsers;
    }
}

TEST_F(SettingsFileTest, AKeyThatDoesNotConvertKeepsThePreviousValueAndLoadingGoesOn) {
    GivenFile({"OnTop=yes", "ShowChannel=", "Size=40000", "Delay=999", "SizeUsers=32760", "Transparent=abc",
               "ShowInOut=1", "ForeColor=99999999999", "LeaveForeColor=255"});
    OverlaySettings previous;
    previous.OnTop = 7;
    previous.ShowChannel = 3;
    previous.SpeakerFontSize = 11;
    previous.RetentionTime = 1234;
    previous.UserFontSize = 9;
    previous.Transparent = 42;
    previous.ForeColor = 5;
    const OverlaySettings s = Load(previous);
    EXPECT_EQ(s.OnTop, 7);
    EXPECT_EQ(s.ShowChannel, 3);       // present but empty: no fallback to the default
    EXPECT_EQ(s.SpeakerFontSize, 11);  // the number itself is out of range
    EXPECT_EQ(s.RetentionTime, 1234);  // 500 + 250 * 999 is out of range
    EXPECT_EQ(s.UserFontSize, 9);      // 8 + 32760 is out of range
    EXPECT_EQ(s.Transparent, 42);
    EXPECT_EQ(s.ForeColor, 5);  // beyond 32 bits
    EXPECT_EQ(s.ShowInOut, 1);  // later keys still load
    EXPECT_EQ(s.LeaveForeColor, 255);
}

TEST_F(SettingsFileTest, EmptyValuesLeaveANewRecordAtZero) {
    GivenFile({"OnTop=", "Transparent=", "ForeColor=", "NickName=", "Position="});
    const OverlaySettings s = Load();
    EXPECT_EQ(s.OnTop, 0);
    EXPECT_EQ(s.Transparent, 0) << "an empty Transparent makes the overlay fully transparent";
    EXPECT_EQ(s.ForeColor, 0) << "an empty colour is black";
    EXPECT_EQ(s.NickName, "");
    EXPECT_EQ(s.Position, PositionFlags{});
}

TEST_F(SettingsFileTest, ColoursReadTheLeadingNumber) {
    GivenFile({"ForeColor=000000065280", "BackColor=65280", "ChannelForeColor=orange", "JoinForeColor=255 red"});
    const OverlaySettings s = Load();
    EXPECT_EQ(s.ForeColor, 65280);
    EXPECT_EQ(s.BackColor, 65280);
    EXPECT_EQ(s.ChannelForeColor, 0);
    EXPECT_EQ(s.JoinForeColor, 255);
}

TEST(PositionString, CharactersSetTheFiveFlags) {
    EXPECT_EQ(ParsePositionString("00001"), (PositionFlags{false, false, false, false, true}));
    EXPECT_EQ(ParsePositionString("0"), PositionFlags{});
    EXPECT_EQ(ParsePositionString("11111"), (PositionFlags{true, true, true, true, true}));
    EXPECT_EQ(ParsePositionString("9x0a1"), (PositionFlags{true, false, false, false, true}));
    EXPECT_EQ(ParsePositionString("0001"), (PositionFlags{false, false, false, true, false}));
    EXPECT_EQ(FormatPositionString({false, false, false, true, false}), "00010");
    EXPECT_EQ(FormatPositionString({false, false, false, false, true}), "00001");
}

TEST_F(SettingsFileTest, HandEditedValuesAreKeptUsable) {
    struct Case {
        const char* line;
        std::int16_t OverlaySettings::*field;
        std::int16_t expected;
    };
    const Case cases[] = {
        {"Transparent=150", &OverlaySettings::Transparent, 100},
        {"Transparent=-5", &OverlaySettings::Transparent, 0},
        {"Transparent=", &OverlaySettings::Transparent, 0},
        {"Refresh=", &OverlaySettings::RefreshInterval, 550},  // no timer runs on a zero period
        {"Refresh=-5", &OverlaySettings::RefreshInterval, 550},
        {"Refresh=-4", &OverlaySettings::RefreshInterval, 50},
        {"Delay=-3", &OverlaySettings::RetentionTime, 0},  // a notice must not sleep a negative time
    };
    for (const Case& c : cases) {
        GivenFile({c.line});
        EXPECT_EQ(Load().*c.field, c.expected) << c.line;
    }
}

TEST_F(SettingsFileTest, LongValuesAreCutAndTrailingSpacesDropped) {
    GivenFile({("NickName=" + std::string(300, 'N')).c_str()});
    EXPECT_EQ(Load().NickName, std::string(254, 'N'));
    GivenFile({"NickName=\"ABC_TWR   \""});
    EXPECT_EQ(Load().NickName, "ABC_TWR");
}

TEST_F(SettingsFileTest, AutoStartOpensTheOverlayOnlyForOne) {
    const std::pair<const char*, bool> cases[] = {
        {"AutoStart=1", true},   {"AutoStart= 1 ", true},  {"AutoStart=0", false}, {"AutoStart=2", false},
        {"AutoStart=-1", false}, {"AutoStart=yes", false}, {"AutoStart=", false}};
    for (const auto& [line, opensOverlay] : cases) {
        GivenFile({line});
        EXPECT_EQ(ReadAutoStart(m_store, m_file), opensOverlay) << line;
    }
}

TEST_F(SettingsFileTest, TheCustomPlaceRoundTripsBeyondSixteenBits) {
    const WindowPlace defaults{7000, 5000};
    const WindowPlace current{1, 2};
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), defaults) << "no file: the centre";

    // A 2560-pixel screen puts the right edge at 38400 twips.
    ASSERT_TRUE(SaveLastPlace(m_store, m_file, WindowPlace{36000, -150}));
    EXPECT_EQ(ReadIni(m_store, m_file, "LastX", ""), "000000036000");
    EXPECT_EQ(ReadIni(m_store, m_file, "LastY", ""), "-000000000150");
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), (WindowPlace{36000, -150}));

    GivenFile({"LastX=left", "LastY=300"});
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), (WindowPlace{1, 300}));
}

TEST(SettingsWrite, AFailedWriteIsReported) {
    TempFolder folder;
    sim::PortableProfileStore store;
    const std::string file = SettingsPath((folder.Path() / "missing").string());
    EXPECT_FALSE(WriteIni(store, file, kSettingsSection, "OnTop", 1));
    EXPECT_FALSE(SaveLastPlace(store, file, WindowPlace{0, 0}));
    EXPECT_EQ(ReadIni(store, file, "OnTop", "dflt"), "dflt");
}

TEST(SettingsWrite, NumbersAreWrittenAsDecimalText) {
    TempFolder folder;
    sim::PortableProfileStore store;
    const std::string file = SettingsPath(folder.Path().string());
    ASSERT_TRUE(WriteIni(store, file, kSettingsSection, "Delay", -1));
    ASSERT_TRUE(
        WriteIni(store, file, kSettingsSection, "Position", FormatPositionString({true, false, false, false, false})));
    EXPECT_EQ(ReadLines(folder.File("Sayvane.INI")),
              (std::vector<std::string>{"[Setup]", "Delay=-1", "Position=10000"}));
}

}  // namespace
}  // namespace sayvane
