// The real Sayvane.exe on a screen of 144 dots per inch: text measured and drawn for that DPI,
// the overlay in its corner; moved to a monitor of another DPI, measured again; and back in its
// corner when the display settings change.
#include <gtest/gtest.h>

#include <optional>

#include "harness/SayvaneRun.h"
#include "harness/Ts2SimRun.h"

namespace sayvane::e2e {
namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);     // ForeColor 65280
constexpr COLORREF kOrange = RGB(255, 128, 0);  // ChannelForeColor 33023

// One pilot who goes on speaking once the test steps the client on.
constexpr char kScenario[] =
    "0 server \"IVAO Test\"\n"
    "0 nickname EDDF_APP\n"
    "0 channel 1 \"Frankfurt Approach\"\n"
    "0 join EDDF_APP channel=1\n"
    "0 join DLH4AB channel=1\n"
    "1000 speak DLH4AB\n";

// Ticking every 250 ms, opaque, in the top-right corner, the speakers alone.
constexpr char kSettings[] =
    "[Setup]\r\nAutoStart=1\r\nRefresh=0\r\nDelay=0\r\nTransparent=100\r\nPosition=01000\r\nShowInOut=0\r\n"
    "ShowChannel=0\r\nMeFromChannel=0\r\n";

// Wine's screen DPI for the programs started while it lives (its LogPixels setting); the
// old setting comes back afterwards.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr);
        DWORD old = 0;
        DWORD size = sizeof old;
        if (RegQueryValueExA(m_key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old), &size) ==
            ERROR_SUCCESS) {
            m_old = old;
        }
        RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~ScreenDpi() {
        if (m_old) {
            RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*m_old), sizeof *m_old);
        } else {
            RegDeleteValueA(m_key, "LogPixels");
        }
        RegCloseKey(m_key);
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    static constexpr char kKey[] = "Control Panel\\Desktop";
    HKEY m_key = nullptr;
    std::optional<DWORD> m_old;
};

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// Tells the overlay, as Windows does, that its monitor's DPI is now `dpi`. The suggested
// rectangle must lie in the overlay's own process: it is written there.
bool SendDpiChanged(const SayvaneRun& run, HWND overlay, UINT dpi, const RECT& suggested) {
    void* remote = VirtualAllocEx(run.Process(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr || !WriteProcessMemory(run.Process(), remote, &suggested, sizeof suggested, nullptr)) {
        return false;
    }
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutA(overlay, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                              reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result) != 0;
    VirtualFreeEx(run.Process(), remote, 0, MEM_RELEASE);
    return answered;
}

// Sayvane running against the client, its overlay showing the speaking pilot.
struct SpeakerShown {
    SpeakerShown() : client(kScenario, "--hold"), run(kSettings) {}

    bool Start() {
        if (!client.Start() || client.Step() != 5 || !run.Start() || (overlay = run.WaitForOverlay()) == nullptr) {
            return false;
        }
        // The channel's name shows once; then the pilot speaks.
        WaitUntil([&] { return IsWindowVisible(overlay) && ShowsColour(overlay, kOrange); });
        WaitUntil([&] { return !IsWindowVisible(overlay); });
        client.Step();
        return WaitUntil([&] { return IsWindowVisible(overlay) && ShowsColour(overlay, kGreen); });
    }

    Ts2SimRun client;
    SayvaneRun run;
    HWND overlay = nullptr;
};

void ExpectTopRightCorner(const RECT& r, const char* when) {
    const RECT work = WorkArea();
    EXPECT_NEAR(r.right, work.right - 2, 1) << when;
    EXPECT_NEAR(r.top, work.top + 2, 1) << when;
}

TEST(HighDpi, At144DotsPerInchTheOverlayIsHalfAsBigAgainAndKeepsItsCorner) {
    RECT at96{};
    RECT at144{};
    for (const auto& [dpi, rect] : {std::pair<DWORD, RECT*>{96, &at96}, {144, &at144}}) {
        const ScreenDpi screen(dpi);
        SpeakerShown shown;
        ASSERT_TRUE(shown.Start()) << dpi;
        // Its size settles with the first draw of the speaker.
        ASSERT_TRUE(WaitUntil([&] {
            *rect = WindowRect(shown.overlay);
            return rect->bottom - rect->top > 0 && ShowsColour(shown.overlay, kGreen);
        }));
        ExpectTopRightCorner(*rect, dpi == 96 ? "at 96 dpi" : "at 144 dpi");
    }
    const double heightRatio = double(at144.bottom - at144.top) / (at96.bottom - at96.top);
    const double widthRatio = double(at144.right - at144.left) / (at96.right - at96.left);
    EXPECT_NEAR(heightRatio, 1.5, 0.2) << "the font and the margins are made for the screen's DPI";
    EXPECT_NEAR(widthRatio, 1.5, 0.25);
}

TEST(HighDpi, OnAMonitorOfAnotherDpiTheOverlayIsMeasuredAgainInItsCorner) {
    SpeakerShown shown;
    ASSERT_TRUE(shown.Start());
    const RECT at96 = WindowRect(shown.overlay);
    const LONG height96 = at96.bottom - at96.top;

    // Windows suggests half as big again, grown from the top-left corner as under a pointer
    // that drags it: past the edge of the screen. The overlay goes back to its corner.
    const RECT suggested{at96.left, at96.top, at96.left + (at96.right - at96.left) * 3 / 2,
                         at96.top + height96 * 3 / 2};
    ASSERT_TRUE(SendDpiChanged(shown.run, shown.overlay, 144, suggested));
    EXPECT_TRUE(WaitUntil([&] {
        const RECT r = WindowRect(shown.overlay);
        return r.bottom - r.top >= height96 * 4 / 3 && ShowsColour(shown.overlay, kGreen);
    })) << "measured and drawn again with the fonts for 144 dpi";
    ExpectTopRightCorner(WindowRect(shown.overlay), "at 144 dpi");

    // And back, suggested two-thirds the size from the top-left again: the size it had.
    const RECT now = WindowRect(shown.overlay);
    ASSERT_TRUE(SendDpiChanged(
        shown.run, shown.overlay, 96,
        RECT{now.left, now.top, now.left + (now.right - now.left) * 2 / 3, now.top + (now.bottom - now.top) * 2 / 3}));
    EXPECT_TRUE(WaitUntil([&] {
        const RECT r = WindowRect(shown.overlay);
        return r.bottom - r.top == height96 && r.right - r.left == at96.right - at96.left;
    }));
    ExpectTopRightCorner(WindowRect(shown.overlay), "back at 96 dpi");
    EXPECT_TRUE(ShowsColour(shown.overlay, kGreen));
}

TEST(HighDpi, WhenTheWorkAreaOrTheDisplayChangesTheOverlayGoesBackToItsCorner) {
    SpeakerShown shown;
    ASSERT_TRUE(shown.Start());
    const RECT corner = WindowRect(shown.overlay);
    const auto awayFromTheCorner = [&] {
        SetWindowPos(shown.overlay, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return WaitUntil([&] { return WindowRect(shown.overlay).left == 300; });
    };
    const auto backInTheCorner = [&] {
        return WaitUntil([&] {
            const RECT r = WindowRect(shown.overlay);
            return r.left == corner.left && r.top == corner.top;
        });
    };

    // The task bar moved or changed its size: Windows tells every window of the new work area.
    ASSERT_TRUE(awayFromTheCorner());
    SendMessageTimeoutA(shown.overlay, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_TRUE(backInTheCorner());

    // Another resolution or another monitor arrangement.
    ASSERT_TRUE(awayFromTheCorner());
    SendMessageTimeoutA(shown.overlay, WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768), SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_TRUE(backInTheCorner());

    // Any other setting leaves it where it is (until its content changes).
    ASSERT_TRUE(awayFromTheCorner());
    SendMessageTimeoutA(shown.overlay, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutA(shown.overlay, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_EQ(WindowRect(shown.overlay).left, 300);
}

}  // namespace
}  // namespace sayvane::e2e
