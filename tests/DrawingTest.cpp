// What the overlay draws, how big it is and when it skips a redraw.
#include <gtest/gtest.h>

#include "app/Settings.h"
#include "overlay/Drawing.h"
#include "sim/PortableProfileStore.h"
#include "sim/SimOverlayWindow.h"
#include "sim/VirtualClock.h"

namespace sayvane {
namespace {

// The default colours.
constexpr std::int32_t kFore = 65280;
constexpr std::int32_t kChannel = 33023;
constexpr std::int32_t kJoin = 16776960;
constexpr std::int32_t kLeave = 8421631;

class DrawingTest : public ::testing::Test {
protected:
    DrawingTest() {
        // The overlay's defaults (on top, 60 % opaque, its colours, notices of 1000 ms), with the
        // channel shown, smaller join/leave lines and the bottom-right corner.
        sim::PortableProfileStore noFile;
        LoadSettings(noFile, "no-such-folder/Sayvane.INI", m_settings);
        m_settings.ShowChannel = 1;
        m_settings.UserFontSize = 12;
        m_settings.Position = {false, false, true, false, false};
        // 195 twips a line at the speaker size, 165 at the user size; 100 twips a character.
        m_window.SetMetrics({[](int points) { return points == 16 ? 195 : 165; },
                             [](int, std::string_view text) { return static_cast<std::int32_t>(text.size()) * 100; }});
        m_state.CurrentChannelName = m_state.LastChannelName = "Approach";
    }

    void Draw() {
        m_state.width = 0;  // a new tick
        DrawOverlay(m_state, DrawingContext{m_window, m_settings, m_screen, m_clock});
    }

    void Speakers(std::initializer_list<const char*> names) { Fill(m_state.lstSpeakers, names); }
    void InOut(std::initializer_list<const char*> lines) { Fill(m_state.lstInOut, lines); }
    static void Fill(ItemList& list, std::initializer_list<const char*> texts) {
        list.Clear();
        for (const char* text : texts) {
            list.Add(text, 1);
        }
    }

    sim::EventLog m_log;
    sim::SimOverlayWindow m_window{m_log};
    ScreenMetrics m_screen = sim::SimOverlayWindow::DefaultScreen();
    sim::VirtualClock m_clock;
    OverlaySettings m_settings;
    OverlayState m_state;
};

TEST_F(DrawingTest, SpeakersNewestFirstUnderTheChannelAndOverTheirLines) {
    Speakers({"DLH4AB", "BAW12"});  // BAW12 heard last
    InOut({"In:AFR7731", "Out:EZY45KP", "In:SWR100"});
    Draw();
    const std::vector<sim::DrawnLine> expected = {
        {"Approach", kChannel, 16, 0},    {"BAW12", kFore, 16, 195},     {"DLH4AB", kFore, 16, 390},
        {"Out:EZY45KP", kLeave, 12, 585}, {"In:SWR100", kJoin, 12, 750}, {"In:AFR7731", kJoin, 12, 915},
    };
    EXPECT_EQ(m_window.Lines(), expected);
    // 30 + 3 x 195 + 3 x 165 high; the widest text (1100) + 180 wide; in the bottom-right corner.
    EXPECT_EQ(m_window.Geometry().height, 1110);
    EXPECT_EQ(m_window.Geometry().width, 1280);
    EXPECT_EQ(m_window.Geometry().left, 15 * (1024 - 2) - 1280);
    EXPECT_EQ(m_window.Geometry().top, 15 * (738 - 2) - 1110);
    EXPECT_TRUE(m_window.IsVisible());
    EXPECT_EQ(m_window.Alpha(), 153);
    EXPECT_TRUE(m_window.Topmost());

    m_settings.ShowChannel = 0;
    Draw();
    EXPECT_EQ(m_window.Geometry().height, 915) << "30 + 2 x 195 + 3 x 165";
    EXPECT_EQ(m_window.LineTexts().front(), "BAW12") << "the channel is unchanged, so not printed";
}

// That a change of order is drawn is told by RefreshCycleTest.
TEST_F(DrawingTest, TheSameContentIsNotRedrawnButPresentedAgain) {
    Speakers({"DLH4AB", "BAW12"});
    Draw();
    const int redraws = m_window.Redraws();
    m_window.Hide();
    m_window.SetTopmost(false);
    Draw();
    EXPECT_EQ(m_window.Redraws(), redraws);
    EXPECT_TRUE(m_window.IsVisible());
    EXPECT_TRUE(m_window.Topmost());
}

TEST_F(DrawingTest, SixJoinLeaveLinesAndMoreEndWithDots) {
    InOut({"In:A1", "In:A2", "In:A3", "In:A4", "In:A5", "In:A6", "Out:A7"});
    Draw();
    const std::vector<std::string> seven = {"Approach", "Out:A7", "In:A6", "In:A5", "In:A4", "In:A3", "In:A2", "..."};
    EXPECT_EQ(m_window.LineTexts(), seven);
    EXPECT_EQ(m_window.Lines().back().colour, kJoin) << "the dots take the last line's colour";
    EXPECT_EQ(m_window.Geometry().height, 30 + 195 + 7 * 165) << "sized for all seven, no line for the dots";

    InOut({"In:A1", "In:A2", "In:A3", "In:A4", "In:A5", "In:A6"});
    Draw();
    EXPECT_EQ(m_window.LineTexts().size(), 8u) << "exactly six lines also get the dots";
    EXPECT_EQ(m_window.LineTexts().back(), "...");
    EXPECT_EQ(m_window.Geometry().height, 30 + 195 + 6 * 165);
}

TEST_F(DrawingTest, ANewChannelIsPrintedAboveTheSpeakersWithoutALineOfItsOwn) {
    m_settings.ShowChannel = 0;
    Speakers({"DLH4AB"});
    m_state.CurrentChannelName = "Tower";  // changed on this tick
    Draw();
    EXPECT_EQ(m_window.LineTexts(), (std::vector<std::string>{"Tower", "DLH4AB"}));
    EXPECT_EQ(m_window.Geometry().height, 30 + 195) << "the speaker's line is cut off";
}

// When the notice shows and that it hides again is told by RefreshCycleTest; here its size, and
// that the content after it is drawn again.
TEST_F(DrawingTest, AChannelNoticeIsSizedToItsNameAndForgetsTheLastContent) {
    m_state.CurrentChannelName = "Tower";
    m_state.LastShownText = ",x";
    Draw();
    EXPECT_EQ(m_window.LineTexts(), std::vector<std::string>{"Tower"});
    EXPECT_EQ(m_window.Geometry().height, 195 + 30);
    EXPECT_EQ(m_window.Geometry().width, 500 + 180);
    EXPECT_EQ(m_clock.Sleeps(), std::vector<int>{1000});
    EXPECT_EQ(m_state.LastShownText, "");
}

TEST_F(DrawingTest, JoinLeaveLinesStayHiddenWhenNotShown) {
    m_settings.ShowInOut = 0;
    InOut({"In:A1"});
    m_window.Hide();
    Draw();
    EXPECT_FALSE(m_window.IsVisible()) << "idle: the channel is known and unchanged";
    Speakers({"DLH4AB"});
    Draw();
    EXPECT_EQ(m_window.LineTexts(), (std::vector<std::string>{"Approach", "DLH4AB"}));
    EXPECT_EQ(m_window.Geometry().height, 30 + 2 * 195);
}

}  // namespace
}  // namespace sayvane
