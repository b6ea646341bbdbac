// IvAc window discovery, the callsign in its caption, and the shared window utilities, on the
// simulated desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ivac/IvAcWindows.h"
#include "sim/SimulatedDesktop.h"
#include "sim/VirtualClock.h"

namespace sayvane {
namespace {

using sim::Window;

TEST(CutIvAcCallsign, TakesTheTextBetweenTheFirstDashAndTheFirstBracket) {
    struct Case {
        const char* caption;
        const char* callsign;
    };
    const Case cases[] = {
        {"IvAc 1.2 - edDf_twr [Online]", "EDDF_TWR"},
        {"IvAc 1.2 - abc - def [x]", "ABC - DEF"},  // only the first "-" splits
        {"IvAc 1.2 - abc", "ABC"},                  // no "["
        {"IvAc 1.2 [x] - abc", ""},                 // no "-" before the first "["
        {"IvAc 1.2 -    [x]", ""},
        {"IvAc 1.2", ""},
        {"", ""},
        {"IvAc 1.2 -lfpg_app[Online]", "LFPG_APP"},
        {"IvAc 1.2 - ekch_ctr [a] - [b]", "EKCH_CTR"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutIvAcCallsign(c.caption), c.callsign) << c.caption;
    }
}

class IvAcWindowsTest : public ::testing::Test {
protected:
    sim::SimulatedDesktop desktop;
    sim::VirtualClock clock;
    IvAcWindows ivac{desktop, clock};
};

TEST_F(IvAcWindowsTest, TheSearchTakesTheFirstCaptionBeginningWithIvAc1InZOrder) {
    struct Case {
        const char* caption;
        bool accepted;
    };
    const Case cases[] = {
        {"IvAc 1.2 - EDDF_TWR [Online]", true}, {"IvAc 10", true}, {"IvAc 1", true},     {"ivac 1.2 - EDDF_TWR", false},
        {"IvAc 2.0 - EDDF_TWR", false},         {"IvAc", false},   {" IvAc 1.2", false}, {"", false},
    };
    desktop.Add(Window("Other").Caption("Radar notes"));
    for (const Case& c : cases) {
        const WindowHandle window = desktop.Add(Window("IvAcMain").Caption(c.caption));
        const WindowHandle above = desktop.Add(Window("Another").Caption("Browser"));
        EXPECT_EQ(ivac.FindIvAcWindow(), c.accepted ? window : kNoWindow) << c.caption;
        desktop.Destroy(window);
        desktop.Destroy(above);
    }
}

TEST_F(IvAcWindowsTest, TheCallsignNeedsTeamSpeakAndIvAc) {
    const WindowHandle radar = desktop.Add(Window("IvAcMain").Caption("IvAc 1.2 - abc_twr [xyz]"));
    EXPECT_EQ(ivac.GetIvAcCallsign(), "") << "no window of class TMainForm";
    EXPECT_EQ(ivac.hWndIvAc(), kNoWindow) << "IvAc is not even searched";

    desktop.Add(Window("tmainform").Caption("anything").Hidden());
    EXPECT_EQ(ivac.GetIvAcCallsign(), "ABC_TWR");
    EXPECT_EQ(ivac.hWndIvAc(), radar);

    // The caption is read through a buffer of 255: the "[" at position 265 is cut away.
    desktop.SetCaption(radar, "IvAc 1.2 - " + std::string(250, 'a') + " [Online]");
    EXPECT_EQ(ivac.GetIvAcCallsign(), std::string(243, 'A'));

    desktop.Destroy(radar);
    EXPECT_EQ(ivac.GetIvAcCallsign(), "");
}

// Which boxes and lines it finds on a radar is told by AircraftSelectionTest (top-level
// windows in Z order, near-miss classes and captions, classes in another case); here the
// array it fills and what the window utilities read.
TEST_F(IvAcWindowsTest, FindWindowLikeLooksAtDirectChildrenWithTheExactClass) {
    const WindowHandle box = desktop.Add(Window("#32770").Caption("COMMBox"));
    const WindowHandle narrow = desktop.Add(Window("Edit").Parent(box).Bounds(0, 0, 70, 20));
    const WindowHandle label = desktop.Add(Window("Static").Parent(box));
    desktop.Add(Window("Edit").Parent(label));
    const WindowHandle wide = desktop.Add(Window("Edit").Parent(box).Bounds(80, 0, 300, 20).Text(".s AFR123"));

    std::vector<WindowHandle> hWndArray{7, 8, 9, 10, 11};
    EXPECT_EQ(ivac.FindWindowLike(hWndArray, box, "Edit"), 2);
    EXPECT_EQ(hWndArray, (std::vector<WindowHandle>{kNoWindow, narrow, wide}))
        << "in window order after the unused element 0, no grandchildren";
    EXPECT_EQ(ivac.FindWindowLike(hWndArray, narrow, "Edit"), 0) << "a window without children";
    EXPECT_EQ(hWndArray, std::vector<WindowHandle>{kNoWindow});
    EXPECT_EQ(ivac.GetText(wide), ".s AFR123") << "the control's own text, not a caption";

    // A class is read through a buffer of 255 characters, as FindWindowLike reads it.
    const WindowHandle longClass = desktop.Add(Window(std::string(300, 'C')).Parent(box));
    EXPECT_EQ(ivac.GetWindowClass(longClass), std::string(254, 'C'));
    desktop.Destroy(box);
    EXPECT_EQ(ivac.GetWindowClass(narrow), "");
    EXPECT_EQ(ivac.GetText(wide), "") << "a window that is gone";
}

// A window system whose sibling chain runs round in a circle, as one can seem to while
// another program reorders its windows during the walk.
class CircularSiblings final : public sim::SimulatedDesktop {
public:
    WindowHandle NextSibling(WindowHandle window) override {
        const WindowHandle next = SimulatedDesktop::NextSibling(window);
        return next != kNoWindow ? next : FirstChild(ParentOrOwner(window));
    }
};

TEST(FindWindowLike, EndsWhenTheSiblingChainComesRound) {
    CircularSiblings desktop;
    sim::VirtualClock clock;
    const WindowHandle box = desktop.Add(Window("#32770").Caption("COMMBox"));
    const WindowHandle a = desktop.Add(Window("Edit").Parent(box));
    desktop.Add(Window("Button").Parent(box));
    const WindowHandle b = desktop.Add(Window("Edit").Parent(box));
    IvAcWindows ivac(desktop, clock);
    std::vector<WindowHandle> hWndArray;
    EXPECT_EQ(ivac.FindWindowLike(hWndArray, box, "Edit"), 2);
    EXPECT_EQ(hWndArray, (std::vector<WindowHandle>{kNoWindow, a, b}));
}

TEST_F(IvAcWindowsTest, TheParentClimbFollowsParentsAndOwnersAfterOneYield) {
    const WindowHandle hidden = desktop.Add(Window("TApplication").Caption("TeamSpeak 2").Hidden());
    const WindowHandle main = desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Owner(hidden));
    const WindowHandle dialog = desktop.Add(Window("TfrmCreateChannel").Owner(main));
    const WindowHandle group = desktop.Add(Window("TGroupBox").Parent(dialog));
    const WindowHandle edit = desktop.Add(Window("TLabeledEdit").Parent(group));
    const WindowHandle tool = desktop.Add(Window("TTool").Owner(main).Overlapped());

    EXPECT_EQ(ivac.GetTheParentWindowHandle(edit), hidden);
    EXPECT_EQ(clock.YieldCount(), 1);
    EXPECT_EQ(ivac.GetTheParentWindowHandle(main), hidden);
    EXPECT_EQ(ivac.GetTheParentWindowHandle(hidden), hidden) << "no parent, no owner: the window itself";
    EXPECT_EQ(ivac.GetTheParentWindowHandle(tool), tool) << "GetParent reports no owner of an overlapped window";
    EXPECT_EQ(ivac.GetTheParentWindowHandle(kNoWindow), kNoWindow);
    EXPECT_EQ(clock.YieldCount(), 5);

    // Pending messages run before the climb: a window closed then is no longer climbed.
    clock.OnYield([&] { desktop.Destroy(hidden); });
    EXPECT_EQ(ivac.GetTheParentWindowHandle(edit), edit) << "the whole tree went with its owner";
}

}  // namespace
}  // namespace sayvane
