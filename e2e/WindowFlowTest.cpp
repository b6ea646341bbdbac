// The real Sayvane.exe under Wine: start-up, the configuration window, the overlay with its
// tray menu, the about window, and the flow between them.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <vector>

#include <colordlg.h>

#include "about/AboutText.h"
#include "harness/SayvaneRun.h"
#include "win32/resource.h"

namespace sayvane::e2e {
namespace {

constexpr char kConfigClass[] = "#32770";
constexpr char kAboutClass[] = "SayvaneAbout";
constexpr char kTipClass[] = "tooltips_class32";  // TOOLTIPS_CLASSA

// The words of a text, as separated by blanks.
std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

bool Checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

POINT CentreOf(HWND window) {
    const RECT r = WindowRect(window);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The user's mouse, as real input that the system hit-tests: the pointer moves to `at` (screen
// pixels) and, when `click`, the left button goes down and up there.
void MouseAt(POINT at, bool click) {
    // Absolute moves are in 65536ths of the screen: rounded up, they map back to this pixel.
    const auto scaled = [](LONG pixel, int size) { return static_cast<LONG>((pixel * 65536L + size - 1) / size); };
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = scaled(at.x, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = scaled(at.y, GetSystemMetrics(SM_CYSCREEN));
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(click ? 3 : 1, inputs, sizeof(INPUT));
}

// The about window's picture of the program's icon: its one static that shows an icon.
HWND AboutIcon(HWND about) {
    for (HWND child : Windows(about)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return child;
        }
    }
    return nullptr;
}

TEST(WindowFlow, FirstRunShowsTheSplashThenTheConfigurationWindowWithItsDefaults) {
    SayvaneRun run;
    ASSERT_TRUE(run.Start());

    HWND splash = run.WaitForWindow(kAboutClass);
    ASSERT_NE(splash, nullptr) << "no splash";
    // The splash is asleep for its half second: read the label without a message.
    EXPECT_NE(FindChildWithCaption(splash,
                                   "Sayvane: a TeamSpeak2 add-on to display Channel Speakers\r\n\n"
                                   "Use SHIFT+F12 to Display Aircraft in IvAc Radar Window\r\n\nLoading ..."),
              nullptr);

    HWND config = run.WaitForWindow(kConfigClass, "Sayvane");
    ASSERT_NE(config, nullptr) << "no configuration window";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(splash); })) << "the splash closes";

    EXPECT_TRUE(Checked(config, IDC_CHK_ONTOP));
    EXPECT_TRUE(Checked(config, IDC_CHK_MECHANNEL));
    EXPECT_TRUE(Checked(config, IDC_CHK_SHOWINOUT));
    for (int id : {IDC_CHK_SHOWME, IDC_CHK_IVAC, IDC_CHK_SHOWCHANNEL, IDC_CHK_AUTOSTART, IDC_CHK_BEEP, IDC_CHK_ZOOM}) {
        EXPECT_FALSE(Checked(config, id)) << id;
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(config, IDC_CHK_BEEP)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(config, IDC_CHK_ZOOM)));
    EXPECT_EQ(WindowText(GetDlgItem(config, IDC_CBO_REFRESH)), "350 ms.");
    EXPECT_EQ(WindowText(GetDlgItem(config, IDC_CBO_DELAY)), "2 sec.");
    EXPECT_EQ(WindowText(GetDlgItem(config, IDC_CBO_SIZE)), "16");
    EXPECT_EQ(WindowText(GetDlgItem(config, IDC_CBO_USERS)), "16");
    EXPECT_EQ(SendMessageA(GetDlgItem(config, IDC_CBO_REFRESH), CB_GETCOUNT, 0, 0), 46);
    EXPECT_EQ(SendMessageA(GetDlgItem(config, IDC_HSCROLL1), SBM_GETPOS, 0, 0), 60);
    EXPECT_TRUE(Checked(config, IDC_OPT_POSITION3)) << "BottomLeft";
    EXPECT_TRUE(Checked(config, IDC_OPT_TS2));
    EXPECT_EQ(WindowText(GetDlgItem(config, IDC_TXT_PORT)), "25639");

    // Save and Enable: the 21 keys in order and the voice client's three, then the overlay
    // instead of this window.
    PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
    HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr) << "no overlay";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    const std::vector<std::string> expected = Words(
        "[Setup] OnTop=1 MeFromChannel=1 ShowChannel=0 ShowMe=0 AutoStart=0 IvAcSelect=0 IvAcResetZoom=0 "
        "IvAcBeepSelect=0 ShowInOut=1 Delay=6 Refresh=2 Size=8 NickName= Position=00010 Transparent=60 "
        "BackColor=000000000000 ForeColor=000000065280 ChannelForeColor=000000033023 SizeUsers=8 "
        "JoinForeColor=000016776960 LeaveForeColor=000008421631 VoiceClient=2 QueryApiKey= QueryPort=25639 "
        "RemoteApiKey= RemotePort=5899");
    EXPECT_EQ(testing::ReadLines(run.SettingsFile()), expected);

    // In the bottom-left corner once its creation sequence has run (placing it is a late step);
    // layered at 60 %, topmost, without a task-bar button.
    EXPECT_TRUE(WaitUntil([&] {
        const RECT r = WindowRect(overlay);
        return r.left == 2 && std::abs(r.bottom - (WorkArea().bottom - 2)) <= 1;
    })) << WindowRect(overlay).left
        << "," << WindowRect(overlay).bottom;
    const LONG exStyle = GetWindowLongA(overlay, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(overlay, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 153);
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));

    // Exit from the tray menu: the program ends and the file stays as it was.
    const std::string before = testing::ReadBytes(run.SettingsFile());
    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));
    EXPECT_EQ(testing::ReadBytes(run.SettingsFile()), before);
}

TEST(WindowFlow, DisableStoresACustomPlaceTheWindowsAlternateAndAboutShowsTheFilesVersionAndIgnoresItsIcon) {
    SayvaneRun run(
        "[Setup]\r\nAutoStart=1\r\nPosition=00001\r\nOnTop=0\r\nTransparent=100\r\n"
        "LastX=000000003000\r\nLastY=000000001500\r\n");
    ASSERT_TRUE(run.Start());
    HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    // The window exists before its creation sequence has placed it.
    const auto placedAt = [&](int left, int top) {
        return WaitUntil([&] { return WindowRect(overlay).left == left && WindowRect(overlay).top == top; });
    };
    EXPECT_TRUE(placedAt(200, 100)) << "LastX/LastY in twips";
    EXPECT_FALSE(GetWindowLongA(overlay, GWL_EXSTYLE) & WS_EX_TOPMOST);

    for (int round = 0; round < 2; ++round) {
        // The user drags the overlay, then chooses Disable (the first item).
        SetWindowPos(overlay, nullptr, 300 + round, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(ChooseFromTrayMenu(run.ProcessId(), overlay, {VK_DOWN, VK_RETURN}));
        HWND config = run.WaitForWindow(kConfigClass, "Sayvane");
        ASSERT_NE(config, nullptr) << "round " << round;
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(overlay); }));
        const auto lines = testing::ReadLines(run.SettingsFile());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "LastX=00000000" + std::to_string(4500 + 15 * round)),
                  lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "LastY=000000003000"), lines.end());
        EXPECT_TRUE(Checked(config, IDC_OPT_POSITION4)) << "Custom";

        // Save and Enable: a new overlay reads the file anew and opens at the stored place.
        PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
        overlay = run.WaitForOverlay();
        ASSERT_NE(overlay, nullptr);
        EXPECT_TRUE(placedAt(300 + round, 200));
    }

    ASSERT_TRUE(ChooseFromTrayMenu(run.ProcessId(), overlay, {VK_DOWN, VK_RETURN}));
    HWND config = run.WaitForWindow(kConfigClass, "Sayvane");
    ASSERT_NE(config, nullptr);
    // The about window over the configuration window: modal, with the version it reads from
    // the program file's version resource.
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(run.ProcessId(), kAboutClass) == nullptr; }));

    PostMessageA(config, WM_COMMAND, IDC_CMD_ABOUT, 0);
    HWND about = run.WaitForWindow(kAboutClass);
    ASSERT_NE(about, nullptr);
    EXPECT_NE(FindChildWithCaption(about, "1.00.0009"), nullptr);
    EXPECT_NE(FindChildWithCaption(about, "Sayvane"), nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), config);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(config); })) << "modal";

    // A click on the program's icon does nothing. Then the pointer rests on the information
    // text: the window takes its input in order, so its tip showing there means the click has
    // been taken, and the window is still open.
    POINT pointer{};
    GetCursorPos(&pointer);
    const HWND icon = AboutIcon(about);
    const HWND info = FindChildWithCaption(about, std::string(kAboutInfoText));
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(info, nullptr);
    MouseAt(CentreOf(icon), true);
    MouseAt(CentreOf(info), false);
    ASSERT_TRUE(WaitUntil([&] {
        const HWND tip = FindProcessWindow(run.ProcessId(), kTipClass);
        return tip != nullptr && GetWindow(tip, GW_OWNER) == about;
    })) << "after a click on its icon the about window "
        << (IsWindow(about) ? "shows no tip" : "is gone");
    EXPECT_TRUE(IsWindowVisible(about));
    SetCursorPos(pointer.x, pointer.y);

    PostMessageA(about, WM_LBUTTONUP, 0, 0);  // a click on its background closes it
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(config) != FALSE; }));

    // Exit saves nothing: the file, removed meanwhile, is not written again.
    ASSERT_TRUE(std::filesystem::remove(run.SettingsFile()));
    PostMessageA(config, WM_COMMAND, IDC_CMD_EXIT, 0);
    EXPECT_EQ(run.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(std::filesystem::exists(run.SettingsFile())) << "Exit saves nothing";
}

TEST(WindowFlow, ASaveThatCannotBeWrittenIsReportedAndTheOverlayStillOpens) {
    SayvaneRun run;
    // A folder where the file should be: every write of the profile API fails.
    std::filesystem::create_directory(run.SettingsFile());
    ASSERT_TRUE(run.Start());
    HWND config = run.WaitForWindow(kConfigClass, "Sayvane");
    ASSERT_NE(config, nullptr);

    PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        box = FindProcessWindow(run.ProcessId(), "#32770", "Sayvane");
        return box != nullptr && box != config;
    }));
    const std::string message = WindowText(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(message.find(run.SettingsFile()), std::string::npos) << message;

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND overlay = run.WaitForOverlay();
    EXPECT_NE(overlay, nullptr) << "the overlay opens with what the file holds";
    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));
}

TEST(WindowFlow, AKeyTeamSpeak5HandsOutThatCannotBeKeptIsReportedAndUsedMeanwhile) {
    Ts5SimRun client(kRepeatingTowerRound, 26899, {"--allow"});
    ASSERT_TRUE(client.Listening());
    SayvaneRun run("[Setup]\r\nAutoStart=0\r\nVoiceClient=5\r\nRemotePort=26899\r\n");
    // Held open for reading only: it reads, but takes no write (a read-only flag binds no root).
    const HANDLE held =
        CreateFileA(run.SettingsFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.Start());
    const HWND config = run.WaitForWindow(kConfigClass, "Sayvane");
    ASSERT_NE(config, nullptr);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        box = FindProcessWindow(run.ProcessId(), "#32770", "Sayvane");
        return box != nullptr && box != config;
    }));
    EXPECT_NE(WindowText(GetDlgItem(box, 0xFFFF)).find(run.SettingsFile()), std::string::npos);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForText(GetDlgItem(config, IDC_LBL_VOICESTATUS), "connected to"));
    CloseHandle(held);
    EXPECT_TRUE(run.Close());
}

// The preview: the overlay window of this process while the configuration window is open.
HWND PreviewWindow(const SayvaneRun& run) {
    return FindProcessWindow(run.ProcessId(), "SayvaneOverlay", nullptr, false);
}

// Picks a colour in the colour dialog a "Change" button opens: its red, green and blue fields,
// then OK.
bool PickColour(const SayvaneRun& run, HWND config, int changeButton, BYTE red, BYTE green, BYTE blue) {
    PostMessageA(GetDlgItem(config, changeButton), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    if (!WaitUntil([&] {
            dialog = FindProcessWindow(run.ProcessId(), "#32770", nullptr);
            return dialog != nullptr && dialog != config && GetDlgItem(dialog, COLOR_RED) != nullptr;
        })) {
        return false;
    }
    const std::pair<int, BYTE> fields[] = {{COLOR_RED, red}, {COLOR_GREEN, green}, {COLOR_BLUE, blue}};
    for (const auto& [id, value] : fields) {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::to_string(value).c_str()));
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return WaitUntil([&] { return !IsWindow(dialog); });
}

TEST(WindowFlow, ThePreviewShowsTheLookBeforeItIsSavedAndLeavesTheFileAlone) {
    const std::string settings =
        "[Setup]\r\nAutoStart=0\r\nShowChannel=1\r\nShowInOut=1\r\nTransparent=100\r\nPosition=01000\r\n";
    SayvaneRun run(settings);
    ASSERT_TRUE(run.Start());
    const HWND config = run.WaitForWindow(kConfigClass, "Sayvane");
    ASSERT_NE(config, nullptr);
    const auto previewShown = [&] { return PreviewWindow(run) != nullptr && IsWindowVisible(PreviewWindow(run)); };
    EXPECT_FALSE(previewShown());

    // On: the channel over the speakers in their colours, top right as chosen.
    SendMessageA(GetDlgItem(config, IDC_CHK_PREVIEW), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil(previewShown));
    const HWND preview = PreviewWindow(run);
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(preview, kGreen) && ShowsColour(preview, kOrange); }));
    EXPECT_NEAR(WindowRect(preview).right, WorkArea().right - 2, 1);
    EXPECT_EQ(GetForegroundWindow(), config) << "the configuration window keeps the focus";

    // Another corner and another speaker colour: at once.
    SendMessageA(GetDlgItem(config, IDC_OPT_POSITION3), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(preview).left == 2; })) << WindowRect(preview).left;
    ASSERT_TRUE(PickColour(run, config, IDC_CMD_FORECOLOR, 255, 0, 255));
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(preview, RGB(255, 0, 255)) && !ShowsColour(preview, kGreen); }));

    // A choice nobody could read is said; mended, the warning goes: speakers in the black of
    // the background, then an opacity of 0 %.
    const HWND warning = GetDlgItem(config, IDC_LBL_WARNING);
    ASSERT_TRUE(PickColour(run, config, IDC_CMD_FORECOLOR, 0, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(warning).find("cannot be read") != std::string::npos; }))
        << WindowText(warning);
    ASSERT_TRUE(PickColour(run, config, IDC_CMD_FORECOLOR, 255, 0, 255));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(warning).empty(); })) << WindowText(warning);
    const HWND opacity = GetDlgItem(config, IDC_HSCROLL1);
    SendMessageA(config, WM_HSCROLL, SB_LEFT, reinterpret_cast<LPARAM>(opacity));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(warning).find("invisible") != std::string::npos; }))
        << WindowText(warning);
    SendMessageA(config, WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(opacity));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(warning).empty(); })) << WindowText(warning);

    // Off: gone, and nothing was written.
    SendMessageA(GetDlgItem(config, IDC_CHK_PREVIEW), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !previewShown(); }));
    EXPECT_EQ(testing::ReadBytes(run.SettingsFile()), settings);

    // On again, then Save and Enable: the overlay takes over, and only it is left.
    SendMessageA(GetDlgItem(config, IDC_CHK_PREVIEW), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil(previewShown));
    const HWND second = PreviewWindow(run);
    PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(second); }));
    const HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_NE(testing::ReadBytes(run.SettingsFile()), settings) << "saved now";
    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));

    // Exit with the preview on: none stays, and the file is as it was.
    SayvaneRun again(settings);
    ASSERT_TRUE(again.Start());
    const HWND config2 = again.WaitForWindow(kConfigClass, "Sayvane");
    ASSERT_NE(config2, nullptr);
    SendMessageA(GetDlgItem(config2, IDC_CHK_PREVIEW), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return PreviewWindow(again) != nullptr; }));
    PostMessageA(config2, WM_COMMAND, IDC_CMD_EXIT, 0);
    EXPECT_EQ(again.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(testing::ReadBytes(again.SettingsFile()), settings);
}

}  // namespace
}  // namespace sayvane::e2e
