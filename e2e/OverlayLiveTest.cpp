// The real Sayvane.exe against the simulated voice client and the substitute library:
// speakers, join lines, the retention time, "Disconnected" and the status word, as a user
// (and a window-inspection tool) would see them; the overlay measured and drawn for the DPI
// of its monitor, and back in its corner when the display settings change.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "harness/SayvaneRun.h"

namespace sayvane::e2e {
namespace {

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

// Wine's screen DPI for the programs started while it lives (its LogPixels setting); the
// old setting comes back afterwards.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        DWORD old = 0;
        DWORD size = sizeof old;
        if (RegGetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &old, &size) ==
            ERROR_SUCCESS) {
            m_old = old;
        }
        RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~ScreenDpi() {
        if (m_old) {
            RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &*m_old, sizeof *m_old);
        } else {
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels");
        }
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    static constexpr char kKey[] = "Control Panel\\Desktop";
    std::optional<DWORD> m_old;
};

// Tells the overlay, as Windows does, that its monitor's DPI is now `dpi`. The suggested
// rectangle must lie in the overlay's own process: it is written there.
bool SendDpiChanged(const SayvaneRun& run, HWND overlay, UINT dpi, const RECT& suggested) {
    void* remote = VirtualAllocEx(run.Handle(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr || !WriteProcessMemory(run.Handle(), remote, &suggested, sizeof suggested, nullptr)) {
        return false;
    }
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutA(overlay, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                              reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result) != 0;
    VirtualFreeEx(run.Handle(), remote, 0, MEM_RELEASE);
    return answered;
}

void ExpectTopRightCorner(HWND overlay, const char* when) {
    EXPECT_NEAR(WindowRect(overlay).right, WorkArea().right - 2, 1) << when;
    EXPECT_NEAR(WindowRect(overlay).top, WorkArea().top + 2, 1) << when;
}

// Told as Windows does that the overlay is now on a monitor of 144 dots per inch, and back;
// then of changes of the work area and of the display.
void ExpectDpiAndDisplayChangesKeepTheCorner(const SayvaneRun& run, HWND overlay) {
    const RECT at96 = WindowRect(overlay);
    const LONG height96 = at96.bottom - at96.top;
    // Windows suggests half as big again, grown from the top-left corner as under a pointer
    // that drags it: past the edge of the screen. The overlay goes back to its corner.
    ASSERT_TRUE(SendDpiChanged(
        run, overlay, 144,
        RECT{at96.left, at96.top, at96.left + (at96.right - at96.left) * 3 / 2, at96.top + height96 * 3 / 2}));
    EXPECT_TRUE(WaitUntil([&] {
        return WindowRect(overlay).bottom - WindowRect(overlay).top >= height96 * 4 / 3 && ShowsColour(overlay, kGreen);
    })) << "measured and drawn again with the fonts for 144 dpi";
    ExpectTopRightCorner(overlay, "at 144 dpi");

    // And back, suggested two-thirds the size from the top-left again: the size it had.
    const RECT now = WindowRect(overlay);
    ASSERT_TRUE(SendDpiChanged(
        run, overlay, 96,
        RECT{now.left, now.top, now.left + (now.right - now.left) * 2 / 3, now.top + (now.bottom - now.top) * 2 / 3}));
    EXPECT_TRUE(WaitUntil([&] {
        const RECT r = WindowRect(overlay);
        return r.bottom - r.top == height96 && r.right - r.left == at96.right - at96.left;
    }));
    ExpectTopRightCorner(overlay, "back at 96 dpi");
    EXPECT_TRUE(ShowsColour(overlay, kGreen));

    // Moved away from its corner, then told of a change: whether it goes back.
    const auto tell = [&](UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs) {
        SetWindowPos(overlay, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(WaitUntil([&] { return WindowRect(overlay).left == 300; }));
        SendMessageTimeoutA(overlay, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, nullptr);
        SendMessageTimeoutA(overlay, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        return WaitUntil([&] { return WindowRect(overlay).left == at96.left && WindowRect(overlay).top == at96.top; },
                         timeoutMs);
    };
    // The task bar moved or changed its size: Windows tells every window of the new work area.
    EXPECT_TRUE(tell(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, 10000));
    // Another resolution or another monitor arrangement.
    EXPECT_TRUE(tell(WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768), 10000));
    // Any other setting leaves it where it is (until its content changes).
    EXPECT_FALSE(tell(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0, 0));
    EXPECT_EQ(WindowRect(overlay).left, 300);
    EXPECT_TRUE(tell(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, 10000));
}

TEST(OverlayLive, SpeakersJoinLinesRetentionDpiAndDisconnect) {
    const ScreenDpi screen(96);
    Ts2SimRun client(kScenario, {"--hold"});
    ASSERT_NE(client.MainWindow(), nullptr);
    ASSERT_EQ(client.Step(), 7) << "the server, its channels and players";

    SayvaneRun run(kSettings);
    ASSERT_TRUE(run.Start());
    HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    const DiagnosticPanel panel(overlay);
    ASSERT_TRUE(panel.Found());
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; })) << panel.Status();
    EXPECT_TRUE(WaitUntil([&] { return panel.List("lstUsers").size() == 3; }));
    EXPECT_EQ(panel.List("lstChans"), (std::vector<std::string>{"Lobby", "Frankfurt Approach"}));
    // Once the lists know the channel, its name shows once (in its colour), then the overlay
    // hides: nobody speaks.
    EXPECT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));

    // A pilot speaks: listed, shown in the speakers' colour, in the top-right corner.
    client.Step();
    ASSERT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kGreen); }));
    EXPECT_EQ(panel.List("lstSpeakers"), std::vector<std::string>{"DLH4AB"});
    const RECT one = WindowRect(overlay);
    ExpectTopRightCorner(overlay, "one speaker at 96 dpi");
    ExpectDpiAndDisplayChangesKeepTheCorner(run, overlay);

    // A second one: the window grows by a line and keeps its corner.
    client.Step();
    ASSERT_TRUE(WaitUntil([&] { return panel.List("lstSpeakers").size() == 2; }));
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(overlay).bottom - WindowRect(overlay).top > one.bottom - one.top; }));
    EXPECT_NEAR(WindowRect(overlay).right, WorkArea().right - 2, 1);

    // Silence: after the retention time the overlay hides.
    client.Step();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));
    // The panel's lists are brought up to date at the end of the tick that hid the window.
    EXPECT_TRUE(WaitUntil([&] { return panel.List("lstSpeakers").empty(); }));

    // Someone joins and speaks at once: his join line shows in its colour with him.
    client.Step();
    ASSERT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kCyan); }));
    EXPECT_EQ(panel.List("lstInOut"), std::vector<std::string>{"In:AFR7731"});
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(overlay, kGreen); })) << "and, from the next tick, himself";
    client.Step();  // silence: his line and his name expire
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));
    EXPECT_TRUE(WaitUntil([&] { return panel.List("lstInOut").empty(); }));

    // The client disconnects while we are in a channel: "Disconnected", then "Running".
    client.Step();
    EXPECT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); })) << "the notice in the channel colour";
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Running"; })) << panel.Status();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); })) << "hidden after the notice";

    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));
    ASSERT_TRUE(client.Close());

    // Started at 144 dots per inch, the same speaker shows half as big again, in the same corner:
    // the font and the margins are made for the screen's DPI.
    const ScreenDpi highDpi(144);
    Ts2SimRun again(kScenario, {"--hold"});
    ASSERT_NE(again.MainWindow(), nullptr);
    again.Step();
    SayvaneRun at144(kSettings);
    ASSERT_TRUE(at144.Start());
    overlay = at144.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    // The channel's name shows once; then the pilot speaks.
    EXPECT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(overlay); }));
    again.Step();
    ASSERT_TRUE(
        WaitUntil([&] { return VisibleIn(overlay, kGreen) && WindowRect(overlay).bottom > WindowRect(overlay).top; }));
    ExpectTopRightCorner(overlay, "one speaker at 144 dpi");
    const RECT big = WindowRect(overlay);
    EXPECT_NEAR(double(big.bottom - big.top) / (one.bottom - one.top), 1.5, 0.2);
    EXPECT_NEAR(double(big.right - big.left) / (one.right - one.left), 1.5, 0.25);
}

}  // namespace
}  // namespace sayvane::e2e
