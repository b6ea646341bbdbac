// The window-system behaviours every Desktop must show (see DesktopContract.h).
#include "DesktopContract.h"

#include <algorithm>

namespace sayvane::testing {

using sim::Window;

namespace {

class SimulatedScene final : public DesktopScene {
public:
    Desktop& View() override { return m_desktop; }
    WindowHandle Add(const Window& newWindow) override { return m_desktop.Add(Window(newWindow).Process(kProcess)); }
    void Destroy(WindowHandle window) override { m_desktop.Destroy(window); }
    [[nodiscard]] ProcessId OwnProcess() const override { return kProcess; }

private:
    static constexpr ProcessId kProcess = 4242;
    sim::SimulatedDesktop m_desktop;
};

// The windows an enumeration visits, in its order.
template <typename Enumerate>
std::vector<WindowHandle> Visited(Enumerate enumerate) {
    std::vector<WindowHandle> order;
    enumerate([&](WindowHandle w) {
        order.push_back(w);
        return true;
    });
    return order;
}

std::vector<WindowHandle> SiblingChain(Desktop& desktop, WindowHandle parent) {
    std::vector<WindowHandle> chain;
    for (WindowHandle w = desktop.FirstChild(parent); w != kNoWindow; w = desktop.NextSibling(w)) {
        chain.push_back(w);
    }
    return chain;
}

// `windows` without the ones that are not in `mine`, order kept.
std::vector<WindowHandle> KeepOnly(const std::vector<WindowHandle>& windows, const std::vector<WindowHandle>& mine) {
    std::vector<WindowHandle> kept;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(kept),
                 [&](WindowHandle w) { return std::find(mine.begin(), mine.end(), w) != mine.end(); });
    return kept;
}

}  // namespace

TEST_P(DesktopContract, NewTopLevelWindowsGoOnTopOfTheZOrder) {
    const WindowHandle first = Add(Window("SayvaneSceneFirst").Caption("first"));
    const WindowHandle second = Add(Window("SayvaneSceneSecond").Caption("second"));
    const WindowHandle third = Add(Window("SayvaneSceneThird").Caption("third").Hidden());
    const std::vector<WindowHandle> mine{first, second, third};
    const std::vector<WindowHandle> expected{third, second, first};

    EXPECT_EQ(KeepOnly(Visited([&](auto visit) { View().EnumerateTopLevelWindows(visit); }), mine), expected)
        << "EnumWindows";
    EXPECT_EQ(KeepOnly(SiblingChain(View(), View().DesktopWindow()), mine), expected) << "GW_CHILD of the desktop";

    std::vector<WindowHandle> stopped;
    View().EnumerateTopLevelWindows([&](WindowHandle w) {
        stopped.push_back(w);
        return w != second;
    });
    EXPECT_EQ(stopped.back(), second) << "the enumeration stops when the visitor says so";
}

TEST_P(DesktopContract, FindTopLevelWindowTakesTheFirstMatchIgnoringCase) {
    const WindowHandle lower = Add(Window("SayvaneSceneTwin").Caption("One Twin"));
    const WindowHandle upper = Add(Window("SayvaneSceneTwin").Caption("Two Twin").Hidden());

    EXPECT_EQ(View().FindTopLevelWindow("sayvanescenetwin", std::nullopt), upper) << "class, any case, top first";
    EXPECT_EQ(View().FindTopLevelWindow(std::nullopt, "ONE TWIN"), lower) << "caption, any case";
    EXPECT_EQ(View().FindTopLevelWindow("SayvaneSceneTwin", "one twin"), lower) << "both";
    EXPECT_EQ(View().FindTopLevelWindow("SayvaneSceneTwin", "One"), kNoWindow) << "the whole caption";
    EXPECT_EQ(View().FindTopLevelWindow("SayvaneSceneNone", std::nullopt), kNoWindow);
}

TEST_P(DesktopContract, ChildrenKeepCreationOrderAndDescendantsAreWalkedDepthFirst) {
    const WindowHandle top = Add(Window("SayvaneSceneTop").Caption("top").Bounds(40, 30, 400, 300));
    const WindowHandle panel = Add(Window("SayvaneScenePanel").Parent(top).Bounds(55, 70, 210, 20));
    const WindowHandle inner1 = Add(Window("SayvaneScenePane").Caption("inner 1").Parent(panel));
    const WindowHandle inner2 = Add(Window("SayvaneScenePane").Caption("inner 2").Parent(panel));
    const WindowHandle deep = Add(Window("SayvaneScenePane").Caption("deep").Parent(inner2));
    const WindowHandle button = Add(Window("SayvaneSceneButton").Caption("OK").Parent(top));

    EXPECT_EQ(SiblingChain(View(), top), (std::vector<WindowHandle>{panel, button}));
    EXPECT_EQ(SiblingChain(View(), panel), (std::vector<WindowHandle>{inner1, inner2}));
    EXPECT_EQ(SiblingChain(View(), button), std::vector<WindowHandle>{});
    EXPECT_EQ(Visited([&](auto visit) { View().EnumerateDescendants(top, visit); }),
              (std::vector<WindowHandle>{panel, inner1, inner2, deep, button}));
    // Rectangles are in screen pixels, a child's as well as a top-level window's.
    EXPECT_EQ(View().WindowRect(top), (ScreenRect{40, 30, 440, 330}));
    EXPECT_EQ(View().WindowRect(panel), (ScreenRect{55, 70, 265, 90}));

    EXPECT_EQ(View().FindChildWindow(top, kNoWindow, "SayvaneSceneButton", std::nullopt), button);
    EXPECT_EQ(View().FindChildWindow(top, kNoWindow, "SayvaneScenePane", std::nullopt), kNoWindow)
        << "direct children only";
    EXPECT_EQ(View().FindChildWindow(panel, kNoWindow, "SayvaneScenePane", std::nullopt), inner1);
    EXPECT_EQ(View().FindChildWindow(panel, inner1, "SayvaneScenePane", std::nullopt), inner2) << "after inner 1";
    EXPECT_EQ(View().FindChildWindow(panel, inner2, "SayvaneScenePane", std::nullopt), kNoWindow);
    EXPECT_EQ(View().FindChildWindow(panel, kNoWindow, std::nullopt, "INNER 2"), inner2);

    EXPECT_EQ(View().ParentOrOwner(deep), inner2);
    EXPECT_EQ(View().ParentOrOwner(panel), top);
}

TEST_P(DesktopContract, GetParentReportsTheOwnerOfAnOwnedPopup) {
    const WindowHandle main = Add(Window("SayvaneSceneMain").Caption("main"));
    const WindowHandle popup = Add(Window("SayvaneSceneDialog").Caption("dialog").Owner(main));
    const WindowHandle overlapped = Add(Window("SayvaneSceneTool").Caption("tool").Owner(main).Overlapped());
    const WindowHandle edit = Add(Window("SayvaneSceneEdit").Parent(popup));

    EXPECT_EQ(View().ParentOrOwner(popup), main);
    EXPECT_EQ(View().ParentOrOwner(edit), popup);
    EXPECT_EQ(View().ParentOrOwner(overlapped), kNoWindow);
    EXPECT_EQ(View().ParentOrOwner(main), kNoWindow) << "a top-level window has no parent";
    EXPECT_EQ(View().FindChildWindow(kNoWindow, kNoWindow, "SayvaneSceneDialog", "Dialog"), popup)
        << "an owned window is a top-level window";
}

TEST_P(DesktopContract, TextsComeThroughBuffersOfTheGivenSize) {
    const WindowHandle window = Add(Window("SayvaneSceneLimits").Caption("IvAc 1.2 - EDDF_TWR [Online]"));

    EXPECT_EQ(View().ClassName(window, 256), "SayvaneSceneLimits");
    EXPECT_EQ(View().ClassName(window, 8), "Sayvane") << "7 characters and the NUL";
    EXPECT_EQ(View().ClassName(window, 1), "");
    EXPECT_EQ(View().Caption(window, 256), "IvAc 1.2 - EDDF_TWR [Online]");
    EXPECT_EQ(View().Caption(window, 7), "IvAc 1");
    EXPECT_EQ(View().TextLength(window), 28);
    EXPECT_EQ(View().Text(window, 29), "IvAc 1.2 - EDDF_TWR [Online]");
    EXPECT_EQ(View().Text(window, 5), "IvAc");

    View().SendSetText(window, ".s AFR123");
    EXPECT_EQ(View().Caption(window, 256), ".s AFR123");
    EXPECT_EQ(View().TextLength(window), 9);
    View().SendSetText(window, "");
    EXPECT_EQ(View().TextLength(window), 0);
}

TEST_P(DesktopContract, ProcessesAndWindowsThatAreGone) {
    const WindowHandle main = Add(Window("SayvaneSceneMain").Caption("main").Bounds(10, 10, 200, 100));
    const WindowHandle child = Add(Window("SayvaneSceneChild").Caption("child").Parent(main));
    EXPECT_EQ(View().ProcessOf(main), Scene().OwnProcess());
    EXPECT_EQ(View().ProcessOf(child), Scene().OwnProcess());

    EXPECT_TRUE(View().ActivateProcess(Scene().OwnProcess()));
    EXPECT_EQ(View().ForegroundProcess(), Scene().OwnProcess());
    EXPECT_FALSE(View().ActivateProcess(0)) << "no process";

    Scene().Destroy(main);
    EXPECT_EQ(View().ProcessOf(child), 0u) << "the child went with its parent";
    EXPECT_EQ(View().ClassName(main, 256), "");
    EXPECT_EQ(View().Caption(main, 256), "");
    EXPECT_EQ(View().TextLength(main), 0);
    EXPECT_EQ(View().ParentOrOwner(child), kNoWindow);
    EXPECT_EQ(View().WindowRect(main), std::nullopt);
    EXPECT_FALSE(View().Post(main, message::kKeyDown, kVirtualKeyReturn, 1));
}

INSTANTIATE_TEST_SUITE_P(Desktop, DesktopContract, ::testing::Values(MakeScene<SimulatedScene>("Simulated")));

}  // namespace sayvane::testing
