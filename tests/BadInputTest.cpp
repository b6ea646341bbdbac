// Bad input the other tests leave out: settings values far too long or far out of range, speaker
// IDs that name nobody, a pane text longer than any buffer, and a settings file that turns
// unwritable while the overlay runs. docs/bad-input.md lists every bad input with its test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "OverlayHarness.h"
#include "TempFolder.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "overlay/Placement.h"
#include "sim/PortableProfileStore.h"
#include "sim/SimOverlayWindow.h"
#include "sim/SimulatedDesktop.h"
#include "teamspeak/TeamSpeakWindow.h"

namespace sayvane {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

class BadSettingsTest : public ::testing::Test {
protected:
    void GivenFile(const std::string& lines) { WriteBytes(m_folder.File("Sayvane.INI"), "[Setup]\r\n" + lines); }

    OverlaySettings Load() {
        OverlaySettings settings;  // as a new window has them
        LoadSettings(m_store, m_file, settings);
        return settings;
    }

    TempFolder m_folder;
    std::string m_file = SettingsPath(m_folder.Path().string());
    sim::PortableProfileStore m_store;
};

TEST_F(BadSettingsTest, ValuesOfThreeHundredCharactersAreCutTo254BeforeTheyConvert) {
    const std::string ones(300, '1');
    GivenFile("Position=" + ones + "\r\nForeColor=" + ones + "\r\nRefresh=" + std::string(298, '0') +
              "12\r\nTransparent=" + std::string(300, '9') + "\r\n");
    const OverlaySettings s = Load();
    EXPECT_EQ(s.Position, (PositionFlags{true, true, true, true, true})) << "only the first five characters count";
    EXPECT_EQ(s.ForeColor, 0) << "254 digits are beyond 32 bits: the field keeps its value";
    EXPECT_EQ(s.RefreshInterval, 250) << "the digits after the 254th are lost: 0 is left";
    EXPECT_EQ(s.Transparent, 0) << "beyond 16 bits: a new window's zero, fully transparent";
}

TEST_F(BadSettingsTest, NumbersBeyondTheirRangeKeepTheOverlayRunnable) {
    struct Case {
        const char* line;
        std::int16_t OverlaySettings::*field;
        std::int16_t expected;
    };
    const Case cases[] = {
        // 250 + 50 x 1000 is beyond 16 bits: no interval, so the default one (a timer needs one).
        {"Refresh=1000", &OverlaySettings::RefreshInterval, 550},
        {"Refresh=1e9", &OverlaySettings::RefreshInterval, 550},
        {"Refresh=600", &OverlaySettings::RefreshInterval, 30250},  // slow, but a period
        // A retention time that does not fit leaves a new window's zero: one tick, no wait.
        {"Delay=200", &OverlaySettings::RetentionTime, 0},
        {"Delay=-2", &OverlaySettings::RetentionTime, 0},
        {"Size=999", &OverlaySettings::SpeakerFontSize, 1007},  // taken as it is: a giant font
        {"Size=32760", &OverlaySettings::SpeakerFontSize, 0},
        {"Size=-8", &OverlaySettings::SpeakerFontSize, 0},
        {"SizeUsers=1e300", &OverlaySettings::UserFontSize, 0},
        {"Transparent=32767", &OverlaySettings::Transparent, 100},
        {"Transparent=-32768", &OverlaySettings::Transparent, 0},
    };
    for (const Case& c : cases) {
        GivenFile(std::string(c.line) + "\r\n");
        EXPECT_EQ(Load().*c.field, c.expected) << c.line;
    }
}

TEST_F(BadSettingsTest, AStoredPlaceThatDoesNotConvertKeepsTheCurrentOne) {
    const WindowPlace defaults{7000, 5000};
    const WindowPlace current{100, 200};
    const std::pair<const char*, WindowPlace> cases[] = {
        {"LastX=99999999999\r\nLastY=-99999999999\r\n", current},
        {"LastX=\r\nLastY=\r\n", current},
        {"LastX=12abc\r\nLastY=0x10\r\n", current},
        {"LastX="
         "000000001500"
         "\r\n",
         WindowPlace{1500, 5000}},
    };
    for (const auto& [lines, expected] : cases) {
        GivenFile(lines);
        EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), expected) << lines;
    }
}

TEST_F(BadSettingsTest, APositionWithNoFlagLeavesTheWindowWhereItIs) {
    for (const char* position : {"", "0", "xxxxx", "-----", "00000"}) {
        GivenFile(std::string("Position=") + position + "\r\n");
        const OverlaySettings s = Load();
        const TwipsRect window{1234, 5678, 3000, 600};
        EXPECT_EQ(AutoPositionPlace(s.Position, sim::SimOverlayWindow::DefaultScreen(), window),
                  (WindowPlace{1234, 5678}))
            << position;
    }
}

TEST(BadPaneText, ALongPaneAndALongNameAreReadWhole) {
    sim::SimulatedDesktop desktop;
    const WindowHandle main = desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2"));
    const std::string name(300, 'N');
    desktop.Add(sim::Window("TRichEditWithLinks")
                    .Parent(main)
                    .Text(std::string(400, '-') + "Player:\r\n" + name + "\r\nChannel:\r\nLobby"));
    TeamSpeakWindowReader reader(desktop);
    reader.ReadTeamSpeakWindow();
    EXPECT_EQ(reader.TSWindowNickname(), name);
}

class BadInputOverlayTest : public ::testing::Test {
protected:
    BadInputOverlayTest() {
        sim::TsServer& server = m_h.api.Server();
        server.ownNickname = "EDDF_APP";
        server.channels = {{1, 0, 0, 32, 9, "Lobby"}, {2, 0, 0, 1, 9, "Approach"}};
        server.players = {{10, 2, 0, 8, 0, "EDDF_APP"}, {11, 2, 0, 8, 0, "DLH4AB"}};
    }

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            m_h.clock.Advance(m_h.overlay->Settings().RefreshInterval);
            m_h.overlay->tmrRefresh_Timer();
        }
    }

    [[nodiscard]] int PlayerReads() const {
        const auto& calls = m_h.api.Calls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), "tsrGetPlayers"));
    }

    testing::OverlayHarness m_h;
};

TEST_F(BadInputOverlayTest, SpeakerIdsThatAreNotPositiveAreIgnoredWithoutARefresh) {
    m_h.WriteSettings("Refresh=5\r\n");
    m_h.Create();
    Tick(3);
    m_h.api.Server().speakers = {-5, 0, -2147483647 - 1, 11};
    m_h.api.ClearCalls();
    Tick();
    EXPECT_EQ(PlayerReads(), 0) << "the IDs before the known one are skipped, not looked for";
    ASSERT_EQ(m_h.overlay->State().lstSpeakers.Count(), 1u);
    EXPECT_EQ(m_h.overlay->State().lstSpeakers[0].text, "DLH4AB");

    // An ID nobody has, even after the refresh, lists nobody.
    m_h.api.Server().speakers = {2147483647};
    m_h.api.ClearCalls();
    Tick(10);
    EXPECT_EQ(PlayerReads(), 10) << "one refresh per tick it is heard";
    EXPECT_TRUE(m_h.overlay->State().lstSpeakers.Empty());
    EXPECT_FALSE(m_h.window.IsVisible());
}

TEST_F(BadInputOverlayTest, DisableWithAnUnwritableSettingsFileStillGoesBackToConfiguration) {
    m_h.WriteSettings("Position=00001\r\n");
    Overlay& overlay = m_h.Create();
    m_h.window.Move(4500, 600);
    // The file is replaced by a folder of its name: every write now fails.
    const auto file = std::filesystem::path(m_h.folder.File("Sayvane.INI"));
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    m_h.log.clear();

    overlay.MenuCommand(MenuItem::Disable);
    EXPECT_EQ(m_h.log, (sim::EventLog{"StopTimer", "Clear", "TrayRemove", "OpenConfiguration", "Close"}));
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

}  // namespace
}  // namespace sayvane
