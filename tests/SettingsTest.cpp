// The settings file as the overlay and the start-up routine read it, and as they write it.
#include <gtest/gtest.h>

#include <variant>

#include "TempFolder.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "sim/PortableProfileStore.h"

namespace sayvane {
namespace {

using sayvane::testing::TempFolder;
using sayvane::testing::WriteBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    // A settings file holding these "Key=Value" lines under [Setup].
    void GivenFile(std::initializer_list<std::string> lines) {
        std::string text = "[Setup]\r\n";
        for (const std::string& line : lines) {
            text += line + "\r\n";
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

// One number of the record: the value it held before loading and the value it holds after.
TEST_F(SettingsFileTest, ANumberThatDoesNotConvertKeepsThePreviousValueAndHandEditedValuesAreKeptUsable) {
    using Field = std::variant<std::int16_t OverlaySettings::*, std::int32_t OverlaySettings::*>;
    struct Case {
        std::string lines;
        Field field;
        std::int32_t previous;
        std::int32_t expected;
    };
    const Case cases[] = {
        // Not numbers, or numbers out of the field's range: the field keeps its value, even
        // when the value is empty (no fall-back to the default).
        {"OnTop=yes", &OverlaySettings::OnTop, 7, 7},
        {"OnTop=", &OverlaySettings::OnTop, 7, 7},
        {"ShowChannel=", &OverlaySettings::ShowChannel, 3, 3},
        {"Transparent=abc", &OverlaySettings::Transparent, 42, 42},
        {"Size=40000", &OverlaySettings::SpeakerFontSize, 11, 11},  // the number itself is out of range
        {"Size=32760", &OverlaySettings::SpeakerFontSize, 7, 7},    // 8 + 32760 is out of range
        {"Size=-8", &OverlaySettings::SpeakerFontSize, 0, 0},
        {"Size=999", &OverlaySettings::SpeakerFontSize, 0, 1007},  // taken as it is: a giant font
        {"SizeUsers=32760", &OverlaySettings::UserFontSize, 9, 9},
        {"SizeUsers=1e300", &OverlaySettings::UserFontSize, 0, 0},
        {"Delay=999", &OverlaySettings::RetentionTime, 1234, 1234},    // 500 + 250 x 999 is out of range
        {"Delay=200", &OverlaySettings::RetentionTime, 7, 7},          // a new window keeps 0: one tick, no wait
        {"ForeColor=99999999999", &OverlaySettings::ForeColor, 5, 5},  // beyond 32 bits
        // Later keys still load after one that does not convert.
        {"OnTop=yes\r\nSize=40000\r\nForeColor=99999999999\r\nLeaveForeColor=255", &OverlaySettings::LeaveForeColor, 0,
         255},
        // Colours read the leading number; none is black.
        {"ForeColor=000000065280", &OverlaySettings::ForeColor, 0, 65280},
        {"BackColor=65280", &OverlaySettings::BackColor, 0, 65280},
        {"ChannelForeColor=orange", &OverlaySettings::ChannelForeColor, 5, 0},
        {"JoinForeColor=255 red", &OverlaySettings::JoinForeColor, 0, 255},
        {"ForeColor=", &OverlaySettings::ForeColor, 5, 0},
        // Values are cut to 254 characters before they convert.
        {"ForeColor=" + std::string(300, '1'), &OverlaySettings::ForeColor, 5, 5},  // 254 digits: beyond 32 bits
        {"Refresh=" + std::string(298, '0') + "12", &OverlaySettings::RefreshInterval, 0, 250},  // the 12 is cut off
        {"Transparent=" + std::string(300, '9'), &OverlaySettings::Transparent, 42, 42},         // beyond 16 bits
        // Opacity is limited to 0..100 (above 100 it would wrap in a byte).
        {"Transparent=150", &OverlaySettings::Transparent, 0, 100},
        {"Transparent=32767", &OverlaySettings::Transparent, 0, 100},
        {"Transparent=-5", &OverlaySettings::Transparent, 0, 0},
        {"Transparent=-32768", &OverlaySettings::Transparent, 0, 0},
        {"Transparent=", &OverlaySettings::Transparent, 42, 42},  // a new window's 0: fully transparent
        // No timer runs on a period that is not positive: the default one instead.
        {"Refresh=", &OverlaySettings::RefreshInterval, 0, 550},
        {"Refresh=-5", &OverlaySettings::RefreshInterval, 0, 550},
        {"Refresh=-4", &OverlaySettings::RefreshInterval, 0, 50},
        {"Refresh=1000", &OverlaySettings::RefreshInterval, 0, 550},  // 250 + 50 x 1000 is beyond 16 bits
        {"Refresh=1e9", &OverlaySettings::RefreshInterval, 0, 550},
        {"Refresh=600", &OverlaySettings::RefreshInterval, 0, 30250},  // slow, but a period
        // A notice must not sleep a negative time.
        {"Delay=-2", &OverlaySettings::RetentionTime, 0, 0},
        {"Delay=-3", &OverlaySettings::RetentionTime, 0, 0},
    };
    for (const Case& c : cases) {
        GivenFile({c.lines});
        OverlaySettings previous;
        std::visit([&](auto field) { previous.*field = static_cast<std::int16_t>(c.previous); }, c.field);
        const OverlaySettings s = Load(previous);
        EXPECT_EQ(std::visit([&](auto field) { return static_cast<std::int32_t>(s.*field); }, c.field), c.expected)
            << c.lines.substr(0, 40);
    }
}

TEST_F(SettingsFileTest, TextValuesAreCutAndTrailingSpacesDropped) {
    GivenFile({"NickName=" + std::string(300, 'N'), "Position=" + std::string(300, '1')});
    EXPECT_EQ(Load().NickName, std::string(254, 'N'));
    EXPECT_EQ(Load().Position, (PositionFlags{true, true, true, true, true})) << "only the first five characters count";
    GivenFile({"NickName=\"ABC_TWR   \"", "Position="});
    EXPECT_EQ(Load().NickName, "ABC_TWR");
    EXPECT_EQ(Load().Position, PositionFlags{});
}

TEST(PositionString, CharactersSetTheFiveFlags) {
    EXPECT_EQ(ParsePositionString("00001"), (PositionFlags{false, false, false, false, true}));
    EXPECT_EQ(ParsePositionString("0"), PositionFlags{});
    EXPECT_EQ(ParsePositionString("11111"), (PositionFlags{true, true, true, true, true}));
    EXPECT_EQ(ParsePositionString("9x0a1"), (PositionFlags{true, false, false, false, true}));
    EXPECT_EQ(ParsePositionString("0001"), (PositionFlags{false, false, false, true, false}));
    for (const char* none : {"", "xxxxx", "-----", "00000"}) {
        EXPECT_EQ(ParsePositionString(none), PositionFlags{}) << none;
    }
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

TEST_F(SettingsFileTest, TheCustomPlaceRoundTripsBeyondSixteenBitsAndAnAxisThatDoesNotConvertStays) {
    const WindowPlace defaults{7000, 5000};
    const WindowPlace current{1, 2};
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), defaults) << "no file: the centre";

    // A 2560-pixel screen puts the right edge at 38400 twips.
    ASSERT_TRUE(SaveLastPlace(m_store, m_file, WindowPlace{36000, -150}));
    EXPECT_EQ(ReadIni(m_store, m_file, "LastX", ""), "000000036000");
    EXPECT_EQ(ReadIni(m_store, m_file, "LastY", ""), "-000000000150");
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), (WindowPlace{36000, -150}));

    const std::pair<const char*, WindowPlace> cases[] = {
        {"LastX=left\r\nLastY=300", {1, 300}}, {"LastX=99999999999\r\nLastY=-99999999999", current},
        {"LastX=\r\nLastY=", current},         {"LastX=12abc\r\nLastY=0x10", current},
        {"LastX=000000001500", {1500, 5000}},  // a missing key gives the default
    };
    for (const auto& [lines, expected] : cases) {
        GivenFile({lines});
        EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), expected) << lines;
    }
}

TEST(SettingsWrite, AFailedWriteIsReported) {
    TempFolder folder;
    sim::PortableProfileStore store;
    const std::string file = SettingsPath((folder.Path() / "missing").string());
    EXPECT_FALSE(WriteIni(store, file, kSettingsSection, "OnTop", 1));
    EXPECT_FALSE(SaveLastPlace(store, file, WindowPlace{0, 0}));
    EXPECT_EQ(ReadIni(store, file, "OnTop", "dflt"), "dflt");
}

}  // namespace
}  // namespace sayvane
