// Selecting an aircraft on the radar, on the simulated desktop: the messages IvAc's command
// line receives, the pauses between them, the beep, every case in which nothing is sent, and
// the hot key that selects the pilot heard last.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "OverlayHarness.h"
#include "ivac/AircraftSelection.h"
#include "sim/IvAcScene.h"
#include "sim/OverlayRig.h"

namespace sayvane {
namespace {

using sim::BeepRecord;
using sim::DesktopMessage;
using sim::PostedMessage;
using sim::SentSetText;
using sim::Window;

DesktopMessage Enter(WindowHandle target) {
    return PostedMessage(target, message::kKeyDown, kVirtualKeyReturn, 1);
}

// The selection on the simulated platform's services, with an empty desktop.
struct Bench : sim::OverlayRig {
    SelectionResult Select(const std::string& line, std::int16_t resetZoom = 0, std::int16_t beep = 0) {
        return selection.InviaCallsignIVAC(line, resetZoom, beep);
    }

    AircraftSelection selection{ivac, desktop, clock, sound};
};

// Each option is on only when it is exactly 1.
TEST(AircraftSelection, TheCallsignAndTheZoomResetGoToTheCommandLineFiftyMillisecondsApart) {
    struct Case {
        std::int16_t resetZoom;
        std::int16_t beep;
        bool zoomReset;
        bool beeps;
    };
    const Case cases[] = {
        {0, 0, false, false}, {1, 0, true, false},    {0, 1, false, true}, {1, 1, true, true},
        {2, 2, false, false}, {-1, -1, false, false}, {2, 1, false, true}, {1, -1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "IvAcResetZoom " << c.resetZoom << ", IvAcBeepSelect " << c.beep);
        Bench b;
        const sim::IvAcScene scene = sim::AddIvAc(b.desktop, "IvAc 1.2 - EDDF_TWR [Online]");
        const WindowHandle line = scene.commBoxes[0].commandLine;
        // When each message arrived, on the virtual clock.
        std::vector<std::int64_t> arrivals;
        b.desktop.OnMessage([&](const DesktopMessage&) { arrivals.push_back(b.clock.NowMilliseconds()); });

        EXPECT_EQ(b.Select(".s AFR123", c.resetZoom, c.beep), SelectionResult::Typed);

        std::vector<DesktopMessage> expected{SentSetText(line, ".s AFR123"), Enter(line)};
        if (c.zoomReset) {
            expected.insert(expected.end(), {SentSetText(line, ".z 0"), Enter(line)});
        }
        EXPECT_EQ(b.desktop.Commands(), expected);
        EXPECT_EQ(arrivals,
                  (c.zoomReset ? std::vector<std::int64_t>{0, 50, 100, 150} : std::vector<std::int64_t>{0, 50}));
        EXPECT_EQ(b.clock.Sleeps(), std::vector<int>(c.zoomReset ? 3 : 2, 50)) << "no pause after the second Enter";
        EXPECT_EQ(b.clock.YieldCount(), 0) << "no message of the program runs while it waits";
        EXPECT_EQ(b.sound.Beeps(), (c.beeps ? std::vector<BeepRecord>{{400, 10}} : std::vector<BeepRecord>{}));
        EXPECT_EQ(b.desktop.ForegroundWindow(), kNoWindow) << "the foreground stays as it was";
    }
}

TEST(AircraftSelection, WithoutIvAcOrACommandBoxNothingIsSent) {
    Bench b;
    // A dialog with an edit the command line could be.
    const auto addBox = [&](const Window& box) {
        const WindowHandle added = b.desktop.Add(box);
        b.desktop.Add(Window("Edit").Text("").Parent(added).Bounds(10, 10, 300, 20));
        return added;
    };
    const WindowHandle foreign = addBox(Window("#32770").Caption("COMMBox").Process(900));
    b.desktop.Add(Window("IvAcMain").Caption("IvAc 2.0 - EDDF_TWR [Online]"));
    EXPECT_EQ(b.Select(".s AFR123", 1, 1), SelectionResult::NoIvAc) << "not even another program's box is used";

    b.desktop.Destroy(foreign);
    const sim::IvAcScene scene = sim::AddIvAc(b.desktop, "IvAc 1.2 - EDDF_TWR [Online]", 0);
    // Near misses: other captions, another class, a "COMMBox" that is no top-level window.
    for (const char* caption : {"commbox", "COMMBox ", "COMMBox2", "Command"}) {
        addBox(Window("#32770").Caption(caption).Owner(scene.main));
    }
    addBox(Window("TForm").Caption("COMMBox").Owner(scene.main));
    const WindowHandle panel = b.desktop.Add(Window("TPanel").Caption("radar panel").Owner(scene.main));
    addBox(Window("#32770").Caption("COMMBox").Parent(panel));
    EXPECT_EQ(b.Select(".s AFR123", 1, 1), SelectionResult::NoCommandBox);

    EXPECT_TRUE(b.desktop.Commands().empty());
    EXPECT_TRUE(b.clock.Sleeps().empty());
    EXPECT_TRUE(b.sound.Beeps().empty());
}

TEST(AircraftSelection, TheCommandLineIsTheFirstEditChildThatIsNotSeventyPixelsWide) {
    struct Child {
        const char* windowClass;
        int width;
    };
    struct Case {
        const char* story;
        std::vector<Child> children;  // in Z order
        int target;                   // index of the child that gets the text, -1 for none
    };
    const std::vector<Case> cases = {
        {"the narrow edit first", {{"Edit", 70}, {"Edit", 340}}, 1},
        {"the wide edit first", {{"Edit", 340}, {"Edit", 70}}, 0},
        {"a wide label first", {{"Static", 300}, {"Edit", 70}, {"Edit", 71}}, 2},
        {"69 pixels is not 70", {{"Edit", 69}, {"Edit", 340}}, 0},
        {"the class must match in case too", {{"EDIT", 340}, {"edit", 340}, {"Edit", 30}}, 2},
        {"a longer class", {{"Edit2", 340}, {"RichEdit", 340}}, -1},
        {"only narrow edits", {{"Edit", 70}, {"Edit", 70}}, -1},
        {"no children", {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        Bench b;
        const sim::IvAcScene radar = sim::AddIvAc(b.desktop, "IvAc 1.2 - EDDF_TWR [Online]", 0);
        const WindowHandle box =
            b.desktop.Add(Window("#32770").Caption("COMMBox").Owner(radar.main).Bounds(90, 440, 460, 80));
        std::vector<WindowHandle> children;
        for (const Child& child : c.children) {
            children.push_back(
                b.desktop.Add(Window(child.windowClass).Text("").Parent(box).Bounds(100, 470, child.width, 24)));
        }
        // An edit inside a child is not a child of the box.
        if (!children.empty()) {
            b.desktop.Add(Window("Edit").Text("").Parent(children[0]).Bounds(100, 470, 200, 24));
        }

        const SelectionResult result = b.Select(".s X", 0, 1);
        if (c.target < 0) {
            EXPECT_EQ(result, SelectionResult::NoCommandLine);
            EXPECT_TRUE(b.desktop.Commands().empty());
            EXPECT_TRUE(b.sound.Beeps().empty()) << "no beep when nothing was typed";
        } else {
            const WindowHandle line = children[static_cast<std::size_t>(c.target)];
            EXPECT_EQ(result, SelectionResult::Typed);
            EXPECT_EQ(b.desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(line, ".s X"), Enter(line)}));
            EXPECT_EQ(b.sound.Beeps().size(), 1u);
        }
    }
}

TEST(AircraftSelection, TheHighestCommandBoxOnTheDesktopIsTheOneUsed) {
    Bench b;
    const sim::IvAcScene scene = sim::AddIvAc(b.desktop, "IvAc 1.2 - EDDF_TWR [Online]", 2);
    const WindowHandle lower = scene.commBoxes[0].commandLine;
    const WindowHandle upper = scene.commBoxes[1].commandLine;

    EXPECT_EQ(b.Select(".s AFR1"), SelectionResult::Typed);
    EXPECT_EQ(b.desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(upper, ".s AFR1"), Enter(upper)}));

    b.desktop.ClearMessages();
    b.desktop.BringToTop(scene.commBoxes[0].box);
    EXPECT_EQ(b.Select(".s AFR2"), SelectionResult::Typed);
    EXPECT_EQ(b.desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(lower, ".s AFR2"), Enter(lower)}));

    // The box is taken from the whole desktop: another program's "COMMBox" on top wins, and
    // when it has no command line the search ends there.
    b.desktop.ClearMessages();
    const WindowHandle foreign = b.desktop.Add(Window("#32770").Caption("COMMBox").Process(900));
    b.desktop.Add(Window("Edit").Text("").Parent(foreign).Bounds(0, 0, 70, 20));
    EXPECT_EQ(b.Select(".s AFR3"), SelectionResult::NoCommandLine);
    EXPECT_TRUE(b.desktop.Commands().empty());
    const WindowHandle foreignLine = b.desktop.Add(Window("Edit").Text("").Parent(foreign).Bounds(80, 0, 200, 20));
    EXPECT_EQ(b.Select(".s AFR4"), SelectionResult::Typed);
    EXPECT_EQ(b.desktop.Commands(),
              (std::vector<DesktopMessage>{SentSetText(foreignLine, ".s AFR4"), Enter(foreignLine)}));
}

// The overlay's tick answers Shift+F12: of the pilots still listed, the one heard last wins,
// and each key alone sends nothing.
TEST(AircraftSelectionHotKey, ShiftF12SelectsTheNewestOfTheListedSpeakers) {
    testing::OverlayHarness h;
    h.AddApproachScene();
    const WindowHandle line = sim::AddIvAc(h.desktop, "IvAc 1.2 - EDDF_APP [Online]").commBoxes[0].commandLine;
    h.WriteSettings("IvAcSelect=1\r\nRefresh=5\r\nDelay=10\r\n");  // ticks of 500 ms, speakers kept 3 s
    h.Create();
    h.Tick(2);
    h.api.Server().StartSpeaking(11);
    h.Tick();
    h.api.Server().StopSpeaking(11);
    h.api.Server().StartSpeaking(12);
    h.Tick();
    h.api.Server().StopSpeaking(12);
    ASSERT_EQ(testing::Texts(h.overlay->State().lstSpeakers), (std::vector<std::string>{"DLH4AB", "BAW12"}));

    h.keyboard.SetHeld(vk::kShift, true);
    h.Tick();
    EXPECT_TRUE(h.TextsSentTo(line).empty()) << "Shift alone";
    h.keyboard.SetHeld(vk::kShift, false);
    h.keyboard.SetHeld(vk::kF12, true);
    h.Tick();
    EXPECT_TRUE(h.TextsSentTo(line).empty()) << "F12 alone";
    h.keyboard.SetHeld(vk::kShift, true);
    h.Tick();
    EXPECT_EQ(h.TextsSentTo(line), std::vector<std::string>{".s BAW12"});
}

}  // namespace
}  // namespace sayvane
