// The real Sayvane.exe against the simulated voice client and the substitute library:
// speakers, join lines, the retention time, "Disconnected" and the status word, as a user
// (and a window-inspection tool) would see them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "harness/SayvaneRun.h"
#include "harness/Ts2SimRun.h"

namespace sayvane::e2e {
namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);     // ForeColor 65280
constexpr COLORREF kOrange = RGB(255, 128, 0);  // ChannelForeColor 33023
constexpr COLORREF kCyan = RGB(0, 255, 255);    // JoinForeColor 16776960

// Each step of the client happens at its own time; the test moves it on one step at a time.
constexpr char kScenario[] =
    "0 server \"IVAO Test\"\n"
    "0 nickname EDDF_APP\n"
    "0 channel 1 Lobby flags=32\n"
    "0 channel 2 \"Frankfurt Approach\"\n"
    "0 join EDDF_APP channel=2\n"
    "0 join DLH4AB channel=2\n"
    "0 join BAW12 channel=2\n"
    "1000 speak DLH4AB\n"
    "2000 speak BAW12\n"
    "3000 silence\n"
    "4000 join AFR7731 channel=2\n"
    "4000 speak AFR7731\n"
    "5000 silence\n"
    "6000 disconnect\n";

// Sayvane ticking every 250 ms, keeping speakers 500 ms, opaque, in the top-right corner.
constexpr char kSettings[] =
    "[Setup]\r\nAutoStart=1\r\nRefresh=0\r\nDelay=0\r\nTransparent=100\r\nPosition=01000\r\nShowInOut=1\r\n"
    "ShowChannel=0\r\nMeFromChannel=0\r\n";

// The overlay's diagnostic panel: the status word and the lists, as an inspection tool reads them.
class DiagnosticPanel {
public:
    explicit DiagnosticPanel(HWND overlay) : m_frame(FindWindowExA(overlay, nullptr, "STATIC", "frameDebug")) {}
    [[nodiscard]] bool Found() const { return m_frame != nullptr; }
    [[nodiscard]] std::string Status() const {
        char text[64] = {};
        GetWindowTextA(GetDlgItem(m_frame, 1), text, sizeof text);
        return text;
    }
    [[nodiscard]] std::vector<std::string> List(const char* name) const {
        std::vector<std::string> items;
        HWND list = FindWindowExA(m_frame, nullptr, "LISTBOX", name);
        const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            // Read as Unicode: Wine's list box does not convert this message to ANSI across processes.
            wchar_t text[256] = {};
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            char narrow[512] = {};
            WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
            items.emplace_back(narrow);
        }
        return items;
    }

private:
    HWND m_frame;
};

TEST(OverlayLive, SpeakersJoinLinesRetentionAndDisconnect) {
    Ts2SimRun client(kScenario, "--hold");
    ASSERT_TRUE(client.Start());
    ASSERT_EQ(client.Step(), 7) << "the server, its channels and players";

    SayvaneRun run(kSettings);
    ASSERT_TRUE(run.Start());
    HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    // The panel is made just after the window itself.
    ASSERT_TRUE(WaitUntil([&] { return FindWindowExA(overlay, nullptr, "STATIC", "frameDebug") != nullptr; }));
    DiagnosticPanel panel(overlay);
    ASSERT_TRUE(panel.Found());
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; })) << panel.Status();
    EXPECT_TRUE(WaitUntil([&] { return panel.List("lstUsers").size() == 3; }));
    EXPECT_EQ(panel.List("lstChans"), (std::vector<std::string>{"Lobby", "Frankfurt Approach"}));
    // Once the lists know the channel, its name shows once (in its colour), then the overlay
    // hides: nobody speaks.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(overlay) && ShowsColour(overlay, kOrange); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));

    // A pilot speaks: listed, shown in the speakers' colour, in the top-right corner.
    client.Step();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(overlay) && ShowsColour(overlay, kGreen); }));
    EXPECT_EQ(panel.List("lstSpeakers"), std::vector<std::string>{"DLH4AB"});
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT one{};
    GetWindowRect(overlay, &one);
    EXPECT_NEAR(one.right, work.right - 2, 1);
    EXPECT_NEAR(one.top, 2, 1);

    // A second one: the window grows by a line and keeps its corner.
    client.Step();
    ASSERT_TRUE(WaitUntil([&] { return panel.List("lstSpeakers").size() == 2; }));
    ASSERT_TRUE(WaitUntil([&] {
        RECT two{};
        GetWindowRect(overlay, &two);
        return two.bottom - two.top > one.bottom - one.top;
    }));
    RECT two{};
    GetWindowRect(overlay, &two);
    EXPECT_NEAR(two.right, work.right - 2, 1);

    // Silence: after the retention time the overlay hides.
    client.Step();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));
    EXPECT_TRUE(panel.List("lstSpeakers").empty());

    // Someone joins and speaks at once: his join line shows in its colour with him.
    client.Step();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(overlay) && ShowsColour(overlay, kCyan); }));
    EXPECT_EQ(panel.List("lstInOut"), std::vector<std::string>{"In:AFR7731"});
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(overlay, kGreen); })) << "and, from the next tick, himself";
    client.Step();  // silence: his line and his name expire
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));
    EXPECT_TRUE(panel.List("lstInOut").empty());

    // The client disconnects while we are in a channel: "Disconnected", then "Running".
    client.Step();
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(overlay) && ShowsColour(overlay, kOrange); }))
        << "the notice in the channel colour";
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Running"; })) << panel.Status();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); })) << "hidden after the notice";

    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindProcessWindow(run.ProcessId(), "#32768")) != nullptr; }));
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(run.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace sayvane::e2e
