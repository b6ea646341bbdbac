// The configuration window's preview and its readability warning: the sample drawn by the
// overlay's own code, as the settings in the window say, and the choices nobody could read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "overlay/Placement.h"
#include "overlay/Preview.h"
#include "sim/SimOverlayWindow.h"
#include "sim/VirtualClock.h"

namespace sayvane {
namespace {

OverlaySettings Look() {
    OverlaySettings look;
    look.OnTop = 1;
    look.ShowChannel = 1;
    look.ShowInOut = 1;
    look.Transparent = 60;
    look.SpeakerFontSize = 16;
    look.UserFontSize = 10;
    look.ForeColor = 65280;
    look.ChannelForeColor = 33023;
    look.JoinForeColor = 16776960;
    look.LeaveForeColor = 8421631;
    look.Position = ParsePositionString("01000");
    return look;
}

TEST(Preview, TheSampleIsDrawnSizedAndPlacedAsTheOverlayWouldDrawIt) {
    sim::EventLog log;
    sim::SimOverlayWindow window(log);
    sim::VirtualClock clock;
    OverlayPreview preview(window, clock);

    OverlaySettings look = Look();
    preview.Show(look, WindowPlace{});
    EXPECT_EQ(window.LineTexts(),
              (std::vector<std::string>{"Frankfurt Approach", "DLH4AB", "BAW12", "Out:KLM1853", "In:AFR7731"}));
    EXPECT_TRUE(window.IsVisible());
    EXPECT_TRUE(window.Topmost());
    EXPECT_EQ(window.Alpha(), AlphaForOpacity(60));
    const TwipsRect corner = window.Geometry();
    EXPECT_EQ(corner.top, 30) << "two pixels below the top, at the right";
    EXPECT_GT(corner.left, 4500);

    // Without the heading and the join/leave lines, a smaller window; Custom: the place given.
    look.ShowChannel = 0;
    look.ShowInOut = 0;
    look.Position = ParsePositionString("00001");
    preview.Show(look, WindowPlace{4500, 3000});
    EXPECT_EQ(window.LineTexts(), (std::vector<std::string>{"DLH4AB", "BAW12"}));
    EXPECT_EQ(window.Geometry().left, 4500);
    EXPECT_EQ(window.Geometry().top, 3000);
    EXPECT_LT(window.Geometry().height, corner.height);
    EXPECT_TRUE(clock.Sleeps().empty()) << "a preview never waits";
}

TEST(Preview, AChoiceNobodyCouldReadIsSaid) {
    struct Case {
        const char* story;
        void (*change)(OverlaySettings&);
        const char* warning;  // a part of it; nullptr: none
    };
    const Case cases[] = {
        {"the defaults", [](OverlaySettings&) {}, nullptr},
        {"opacity 0", [](OverlaySettings& s) { s.Transparent = 0; }, "invisible"},
        {"speakers in the background's colour", [](OverlaySettings& s) { s.ForeColor = 0x0A0A0A; }, "the speakers"},
        {"a hidden heading may share it",
         [](OverlaySettings& s) {
             s.ShowChannel = 0;
             s.ChannelForeColor = 0;
         },
         nullptr},
        {"a shown heading may not", [](OverlaySettings& s) { s.ChannelForeColor = 0x101010; }, "the channel name"},
        {"leave lines", [](OverlaySettings& s) { s.LeaveForeColor = 0x000014; }, "the leaving lines"},
        {"far enough apart", [](OverlaySettings& s) { s.ForeColor = 0x303030; }, nullptr},
    };
    for (const Case& c : cases) {
        OverlaySettings look = Look();
        c.change(look);
        const std::string warning = ReadabilityWarning(look);
        if (c.warning == nullptr) {
            EXPECT_EQ(warning, "") << c.story;
        } else {
            EXPECT_NE(warning.find(c.warning), std::string::npos) << c.story << ": " << warning;
        }
    }
}

}  // namespace
}  // namespace sayvane
