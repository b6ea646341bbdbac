// Selecting an aircraft on the radar, on the simulated desktop: the messages IvAc's command
// line receives, the pauses between them, the beep, and every case in which nothing is sent.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ivac/AircraftSelection.h"
#include "sim/IvAcScene.h"
#include "sim/SimulatedDesktop.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/SoundRecorder.h"
#include "sim/VirtualClock.h"

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

class AircraftSelectionTest : public ::testing::Test {
protected:
    SelectionResult Select(const std::string& line, std::int16_t resetZoom = 0, std::int16_t beep = 0) {
        return selection.InviaCallsignIVAC(line, resetZoom, beep);
    }

    // Nothing reached any window, nobody waited, nothing sounded.
    void ExpectNothingDone() {
        EXPECT_TRUE(desktop.Commands().empty());
        EXPECT_TRUE(clock.Sleeps().empty());
        EXPECT_TRUE(sound.Beeps().empty());
    }

    sim::SimulatedDesktop desktop;
    sim::VirtualClock clock;
    sim::SoundRecorder sound;
    IvAcWindows ivac{desktop, clock};
    AircraftSelection selection{ivac, desktop, clock, sound};
};

TEST_F(AircraftSelectionTest, TheCallsignAndTheZoomResetGoToTheCommandLineFiftyMillisecondsApart) {
    const sim::IvAcScene scene = sim::AddIvAc(desktop, "IvAc 1.2 - EDDF_TWR [Online]");
    const WindowHandle line = scene.commBoxes[0].commandLine;
    // When each message arrived, on the virtual clock.
    std::vector<std::int64_t> arrivals;
    desktop.OnMessage([&](const DesktopMessage&) { arrivals.push_back(clock.NowMilliseconds()); });

    EXPECT_EQ(Select(".s AFR123", 1, 1), SelectionResult::Typed);

    EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(line, ".s AFR123"), Enter(line),
                                                               SentSetText(line, ".z 0"), Enter(line)}));
    EXPECT_EQ(arrivals, (std::vector<std::int64_t>{0, 50, 100, 150}));
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{50, 50, 50})) << "no pause after the second Enter";
    EXPECT_EQ(clock.YieldCount(), 0) << "no message of the program runs while it waits";
    EXPECT_EQ(sound.Beeps(), (std::vector<BeepRecord>{{400, 10}}));
    EXPECT_EQ(desktop.CurrentText(scene.commBoxes[0].narrowEdit), "") << "the narrow edit is passed over";
    EXPECT_EQ(desktop.ForegroundWindow(), kNoWindow) << "the foreground stays as it was";
}

TEST_F(AircraftSelectionTest, EachOptionIsOnOnlyWhenItIsExactlyOne) {
    struct Case {
        std::int16_t resetZoom;
        std::int16_t beep;
        std::size_t lines;
        std::size_t beeps;
    };
    const Case cases[] = {
        {0, 0, 1, 0}, {1, 0, 2, 0},   {0, 1, 1, 1}, {1, 1, 2, 1},
        {2, 2, 1, 0}, {-1, -1, 1, 0}, {2, 1, 1, 1}, {1, -1, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "IvAcResetZoom " << c.resetZoom << ", IvAcBeepSelect " << c.beep);
        sim::SimulatedDesktop scene;
        sim::VirtualClock time;
        sim::SoundRecorder speaker;
        IvAcWindows search(scene, time);
        const WindowHandle line = sim::AddIvAc(scene, "IvAc 1.2 - LOWW_APP [Online]").commBoxes[0].commandLine;

        EXPECT_EQ(AircraftSelection(search, scene, time, speaker).InviaCallsignIVAC(".s DLH4AB", c.resetZoom, c.beep),
                  SelectionResult::Typed);
        std::vector<DesktopMessage> expected{SentSetText(line, ".s DLH4AB"), Enter(line)};
        if (c.lines == 2) {
            expected.insert(expected.end(), {SentSetText(line, ".z 0"), Enter(line)});
        }
        EXPECT_EQ(scene.Commands(), expected);
        EXPECT_EQ(time.NowMilliseconds(), c.lines == 2 ? 150 : 100);
        EXPECT_EQ(speaker.Beeps().size(), c.beeps);
    }
}

TEST_F(AircraftSelectionTest, WithoutIvAcNothingIsSentEvenToAnotherProgramsCommandBox) {
    const WindowHandle box = desktop.Add(Window("#32770").Caption("COMMBox").Process(900));
    desktop.Add(Window("Edit").Text("").Parent(box).Bounds(10, 10, 300, 20));
    desktop.Add(Window("IvAcMain").Caption("IvAc 2.0 - EDDF_TWR [Online]"));

    EXPECT_EQ(Select(".s AFR123", 1, 1), SelectionResult::NoIvAc);
    ExpectNothingDone();
}

TEST_F(AircraftSelectionTest, WithoutACommandBoxNothingIsSent) {
    const sim::IvAcScene scene = sim::AddIvAc(desktop, "IvAc 1.2 - EDDF_TWR [Online]", 0);
    // Near misses: other captions, another class, a "COMMBox" that is no top-level window.
    for (const char* caption : {"commbox", "COMMBox ", "COMMBox2", "Command"}) {
        const WindowHandle dialog = desktop.Add(Window("#32770").Caption(caption).Owner(scene.main));
        desktop.Add(Window("Edit").Text("").Parent(dialog).Bounds(10, 10, 300, 20));
    }
    const WindowHandle notADialog = desktop.Add(Window("TForm").Caption("COMMBox").Owner(scene.main));
    desktop.Add(Window("Edit").Text("").Parent(notADialog).Bounds(10, 10, 300, 20));
    const WindowHandle panel = desktop.Add(Window("TPanel").Caption("radar panel").Owner(scene.main));
    const WindowHandle nested = desktop.Add(Window("#32770").Caption("COMMBox").Parent(panel));
    desktop.Add(Window("Edit").Text("").Parent(nested).Bounds(10, 10, 300, 20));

    EXPECT_EQ(Select(".s AFR123", 1, 1), SelectionResult::NoCommandBox);
    ExpectNothingDone();
}

TEST_F(AircraftSelectionTest, TheCommandLineIsTheFirstEditChildThatIsNotSeventyPixelsWide) {
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
        sim::SimulatedDesktop scene;
        sim::VirtualClock time;
        sim::SoundRecorder speaker;
        IvAcWindows search(scene, time);
        const sim::IvAcScene radar = sim::AddIvAc(scene, "IvAc 1.2 - EDDF_TWR [Online]", 0);
        const WindowHandle box =
            scene.Add(Window("#32770").Caption("COMMBox").Owner(radar.main).Bounds(90, 440, 460, 80));
        std::vector<WindowHandle> children;
        for (const Child& child : c.children) {
            children.push_back(
                scene.Add(Window(child.windowClass).Text("").Parent(box).Bounds(100, 470, child.width, 24)));
        }
        // An edit inside a child is not a child of the box.
        if (!children.empty()) {
            scene.Add(Window("Edit").Text("").Parent(children[0]).Bounds(100, 470, 200, 24));
        }

        const SelectionResult result = AircraftSelection(search, scene, time, speaker).InviaCallsignIVAC(".s X", 0, 1);
        if (c.target < 0) {
            EXPECT_EQ(result, SelectionResult::NoCommandLine);
            EXPECT_TRUE(scene.Commands().empty());
            EXPECT_TRUE(speaker.Beeps().empty()) << "no beep when nothing was typed";
        } else {
            const WindowHandle line = children[static_cast<std::size_t>(c.target)];
            EXPECT_EQ(result, SelectionResult::Typed);
            EXPECT_EQ(scene.Commands(), (std::vector<DesktopMessage>{SentSetText(line, ".s X"), Enter(line)}));
            EXPECT_EQ(speaker.Beeps().size(), 1u);
        }
    }
}

TEST_F(AircraftSelectionTest, TheHighestCommandBoxOnTheDesktopIsTheOneUsed) {
    const sim::IvAcScene scene = sim::AddIvAc(desktop, "IvAc 1.2 - EDDF_TWR [Online]", 2);
    const WindowHandle lower = scene.commBoxes[0].commandLine;
    const WindowHandle upper = scene.commBoxes[1].commandLine;

    EXPECT_EQ(Select(".s AFR1"), SelectionResult::Typed);
    EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(upper, ".s AFR1"), Enter(upper)}));

    desktop.ClearMessages();
    desktop.BringToTop(scene.commBoxes[0].box);
    EXPECT_EQ(Select(".s AFR2"), SelectionResult::Typed);
    EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(lower, ".s AFR2"), Enter(lower)}));

    // The box is taken from the whole desktop: another program's "COMMBox" on top wins, and
    // when it has no command line the search ends there.
    desktop.ClearMessages();
    const WindowHandle foreign = desktop.Add(Window("#32770").Caption("COMMBox").Process(900));
    const WindowHandle foreignNarrow = desktop.Add(Window("Edit").Text("").Parent(foreign).Bounds(0, 0, 70, 20));
    EXPECT_EQ(Select(".s AFR3"), SelectionResult::NoCommandLine);
    EXPECT_TRUE(desktop.Commands().empty());
    const WindowHandle foreignLine = desktop.Add(Window("Edit").Text("").Parent(foreign).Bounds(80, 0, 200, 20));
    EXPECT_EQ(Select(".s AFR4"), SelectionResult::Typed);
    EXPECT_EQ(desktop.Commands(),
              (std::vector<DesktopMessage>{SentSetText(foreignLine, ".s AFR4"), Enter(foreignLine)}));
    EXPECT_EQ(desktop.CurrentText(foreignNarrow), "");
}

TEST_F(AircraftSelectionTest, AnEmptyCommandLineEmptiesTheBoxAndStillPressesEnter) {
    const sim::IvAcScene scene = sim::AddIvAc(desktop, "IvAc 1.2 - EDDF_TWR [Online]");
    const WindowHandle line = scene.commBoxes[0].commandLine;
    desktop.SetText(line, ".s half typed");

    EXPECT_EQ(Select("", 0, 1), SelectionResult::Typed);
    EXPECT_EQ(desktop.Commands(), (std::vector<DesktopMessage>{SentSetText(line, ""), Enter(line)}));
    EXPECT_EQ(desktop.CurrentText(line), "");
    EXPECT_EQ(sound.Beeps().size(), 1u);
}

TEST(HotKey, ShiftAndF12AreEachDownWhileHeld) {
    sim::SimulatedKeyboard keyboard;
    EXPECT_FALSE(IsShiftDown(keyboard));
    EXPECT_FALSE(IsF12Down(keyboard));

    keyboard.SetHeld(vk::kShift, true);
    EXPECT_TRUE(IsShiftDown(keyboard));
    EXPECT_FALSE(IsF12Down(keyboard));

    keyboard.SetHeld(vk::kF12, true);
    keyboard.SetHeld(vk::kShift, false);
    EXPECT_FALSE(IsShiftDown(keyboard));
    EXPECT_TRUE(IsF12Down(keyboard));
}

}  // namespace
}  // namespace sayvane
