// The demo driver: runs the real Sayvane.exe the way a user meets it and saves screenshots
// of the moments worth seeing, with a line of account for each.
//   sayvane_demo.exe OUTPUT_FOLDER
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "harness/PeerProcess.h"
#include "harness/SayvaneRun.h"
#include "TempFolder.h"
#include "win32/resource.h"

namespace {

using sayvane::e2e::SayvaneRun;

// Saves the whole screen as a 24-bit BMP.
bool SaveScreenshot(const std::string& file) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + stride * static_cast<DWORD>(height);
    bool written = false;
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                  std::fwrite(bits, stride, static_cast<size_t>(height), out) == static_cast<size_t>(height);
        std::fclose(out);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

void Say(const std::string& text) {
    std::printf("demo: %s\n", text.c_str());
    std::fflush(stdout);
}

int Fail(const std::string& what) {
    std::printf("demo: FAILED: %s\n", what.c_str());
    return 1;
}

// What the screen shows of the right three quarters of a window (right of the about window's
// picture): its dark and light pixels, and a digest to tell whether it still changes. The
// screen is copied once (reading it pixel by pixel is far too slow for a 500 ms splash).
struct ScreenSample {
    int area = 0;
    int dark = 0;
    int light = 0;
    std::uint64_t digest = 0;
};

ScreenSample SampleRightOfPicture(HWND window) {
    ScreenSample sample;
    RECT r{};
    GetWindowRect(window, &r);
    r.left += (r.right - r.left) / 4;
    const std::vector<std::uint32_t> pixels = sayvane::e2e::ScreenPixels(r);
    sample.area = static_cast<int>(pixels.size());
    sample.digest = 1469598103934665603ULL;  // FNV-1a
    for (const std::uint32_t p : pixels) {
        const std::uint32_t sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        sample.dark += sum < 384 ? 1 : 0;
        sample.light += sum > 600 ? 1 : 0;
        sample.digest = (sample.digest ^ p) * 1099511628211ULL;
    }
    return sample;
}

// Waits until a window shows on the screen as text on a light ground (at least one dark pixel
// in `darkShare`) and has stopped changing for a few polls: drawn, not half drawn.
void WaitUntilDrawn(HWND window, int darkShare, int timeoutMs) {
    std::uint64_t lastDigest = 0;
    int unchanged = 0;
    sayvane::e2e::WaitUntil(
        [&] {
            const ScreenSample sample = SampleRightOfPicture(window);
            unchanged = sample.digest == lastDigest ? unchanged + 1 : 0;
            lastDigest = sample.digest;
            return sample.area > 0 && sample.light > sample.area / 2 && sample.dark > sample.area / darkShare &&
                   unchanged >= 3;
        },
        timeoutMs);
}

// The overlay's diagnostic panel: a list the overlay keeps, as an inspection tool reads it.
std::size_t ListCount(HWND overlay, const char* name) {
    HWND frame = FindWindowExA(overlay, nullptr, "STATIC", "frameDebug");
    HWND list = FindWindowExA(frame, nullptr, "LISTBOX", name);
    return list == nullptr ? 0 : static_cast<std::size_t>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

// Act one: the first start, as a new user meets Sayvane.
int FirstStart(const std::string& out) {
    SayvaneRun run;
    if (!run.Start()) {
        return Fail("Sayvane.exe did not start");
    }
    HWND splash = run.WaitForWindow("SayvaneAbout");
    if (splash == nullptr) {
        return Fail("no splash");
    }
    // Shown is not yet on the screen: wait until its texts are (under Wine the screen catches
    // up with a window's drawing a little later).
    WaitUntilDrawn(splash, 100, 450);
    SaveScreenshot(out + "\\01-splash.bmp");
    Say("Sayvane starts with its about window as a splash, \"Loading ...\" under its text -> 01-splash.png");

    HWND config = run.WaitForWindow("#32770", "Sayvane");
    if (config == nullptr) {
        return Fail("no configuration window");
    }
    sayvane::e2e::WaitUntil(
        [&] { return sayvane::e2e::FindProcessWindow(run.ProcessId(), "SayvaneAbout") == nullptr; });
    WaitUntilDrawn(config, 40, 3000);
    SaveScreenshot(out + "\\02-configuration.bmp");
    Say("first run: no settings file yet, so the configuration window opens with the defaults -> 02-configuration.png");

    // Preview: the overlay as these settings draw it, before anything is saved.
    SendMessageA(GetDlgItem(config, IDC_CHK_PREVIEW), BM_CLICK, 0, 0);
    HWND preview = nullptr;
    if (!sayvane::e2e::WaitUntil([&] {
            preview = sayvane::e2e::FindProcessWindow(run.ProcessId(), "SayvaneOverlay");
            return preview != nullptr;
        })) {
        return Fail("no preview");
    }
    WaitUntilDrawn(config, 40, 1000);
    SaveScreenshot(out + "\\02-preview.bmp");
    Say("\"Preview\" shows the overlay as the window's settings would draw it, with sample callsigns; it follows "
        "every change and saves nothing -> 02-preview.png");
    SendMessageA(GetDlgItem(config, IDC_CHK_PREVIEW), BM_CLICK, 0, 0);

    PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
    sayvane::e2e::WaitUntil([&] { return !IsWindow(preview); });
    HWND overlay = run.WaitForOverlay();
    if (overlay == nullptr) {
        return Fail("no overlay after Save and Enable");
    }
    Say("\"Save and Enable\" wrote Sayvane.INI next to the program and opened the overlay");

    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);  // a right click on the tray icon
    HWND menu = nullptr;
    sayvane::e2e::WaitUntil(
        [&] { return (menu = sayvane::e2e::FindProcessWindow(run.ProcessId(), "#32768")) != nullptr; });
    if (menu == nullptr) {
        return Fail("no tray menu");
    }
    SaveScreenshot(out + "\\03-tray-menu.bmp");
    Say("a right click on the tray icon opens the overlay's menu -> 03-tray-menu.png");
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    if (!run.WaitForExit()) {
        return Fail("Sayvane did not end after Exit");
    }
    Say("\"Exit\" from the menu ended Sayvane");
    return 0;
}

// Act two: a controller's evening on a busy approach frequency.
int OnFrequency(const std::string& out) {
    const std::string scenarioFile = sayvane::e2e::FolderOfThisProgram() + "\\scenarios\\approach.txt";
    sayvane::e2e::Ts2SimRun voice(sayvane::testing::ReadBytes(scenarioFile));
    if (voice.MainWindow() == nullptr) {
        return Fail("the simulated voice client did not start");
    }
    sayvane::testing::TempFolder radarFolder;
    const std::string radarLog = radarFolder.File("ivacsim.log");
    sayvane::e2e::PeerProcess radar("ivacsim.exe", {"--caption", "IvAc 1.2 - EDDF_APP [Online]", "--log", radarLog});
    Say("the simulated TeamSpeak 2 client plays a busy Frankfurt approach frequency; the simulated IvAc radar runs");

    SayvaneRun run(
        "[Setup]\r\nAutoStart=1\r\nRefresh=0\r\nDelay=6\r\nShowChannel=1\r\nShowInOut=1\r\nTransparent=85\r\n"
        "Position=01000\r\nIvAcSelect=1\r\nMeFromChannel=0\r\nShowMe=0\r\n");
    if (!run.Start()) {
        return Fail("Sayvane.exe did not start");
    }
    HWND overlay = run.WaitForOverlay();
    if (overlay == nullptr) {
        return Fail("no overlay");
    }
    Say("Sayvane starts straight into its overlay (Auto Enable), top right, ticking every 250 ms");

    const auto reach = [&](const char* what, const std::function<bool()>& condition) {
        if (!sayvane::e2e::WaitUntil(condition, 90000)) {
            std::printf("demo: FAILED: %s\n", what);
            return false;
        }
        return true;
    };
    if (!reach("no speaker shown",
               [&] { return IsWindowVisible(overlay) && ListCount(overlay, "lstSpeakers") >= 1; })) {
        return 1;
    }
    SaveScreenshot(out + "\\04-speaker.bmp");
    Say("a pilot speaks: his callsign shows under the channel name, in green -> 04-speaker.png");

    if (!reach("no two speakers", [&] { return IsWindowVisible(overlay) && ListCount(overlay, "lstSpeakers") >= 2; })) {
        return 1;
    }
    SaveScreenshot(out + "\\05-two-speakers.bmp");
    Say("two speakers within the retention time: newest first, the window grows to fit -> 05-two-speakers.png");

    // The controller holds Shift+F12: the pilot heard last is selected on the radar.
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_F12, 0, 0, 0);
    const bool selected = sayvane::e2e::WaitUntil([&] { return !sayvane::testing::ReadBytes(radarLog).empty(); }, 5000);
    keybd_event(VK_F12, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    if (!selected) {
        return Fail("Shift+F12 reached no radar");
    }
    SaveScreenshot(out + "\\06-shift-f12.bmp");
    Say("Shift+F12: Sayvane typed \".s\" and the callsign into IvAc's command box and pressed Enter; the radar's "
        "log lists it -> 06-shift-f12.png");

    if (!reach("no join or leave line",
               [&] { return IsWindowVisible(overlay) && ListCount(overlay, "lstInOut") >= 1; })) {
        return 1;
    }
    SaveScreenshot(out + "\\07-join-leave.bmp");
    Say("a pilot joins or leaves the frequency: an \"In:\" line in cyan, an \"Out:\" line in red -> 07-join-leave.png");

    // Create TS Channel (the eighth item): the position's channel, through TeamSpeak's dialog.
    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);
    HWND channelMenu = nullptr;
    sayvane::e2e::WaitUntil(
        [&] { return (channelMenu = sayvane::e2e::FindProcessWindow(run.ProcessId(), "#32768")) != nullptr; });
    if (channelMenu == nullptr) {
        return Fail("no tray menu");
    }
    for (int i = 0; i < 8; ++i) {
        PostMessageA(channelMenu, WM_KEYDOWN, VK_DOWN, 0);
    }
    PostMessageA(channelMenu, WM_KEYDOWN, VK_RETURN, 0);
    if (!voice.WaitForLog("channel created: EDDF_APP", 10000)) {
        return Fail("no channel created");
    }
    sayvane::e2e::WaitUntil([&] { return ListCount(overlay, "lstChans") == 5; }, 15000);
    SaveScreenshot(out + "\\08-channel-created.bmp");
    Say("\"Create TS Channel  (EDDF_APP)\" from the menu: TeamSpeak now has the channel EDDF_APP, and the controller "
        "sits in it -> 08-channel-created.png");

    // The voice client quits while we are in a channel (after the join lines have gone).
    sayvane::e2e::WaitUntil([&] { return ListCount(overlay, "lstInOut") == 0; }, 30000);
    voice.Close();
    // The notice is one line high: at most 32 pixels at 96 dots per inch.
    HDC screen = GetDC(nullptr);
    const int oneLine = MulDiv(32, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    if (!reach("no notice", [&] {
            RECT r{};
            GetWindowRect(overlay, &r);
            return IsWindowVisible(overlay) && r.bottom - r.top <= oneLine;
        })) {
        return 1;
    }
    SaveScreenshot(out + "\\09-disconnected.bmp");
    Say("TeamSpeak 2 closes: \"Disconnected\" shows for the retention time, then the overlay hides -> "
        "09-disconnected.png");
    reach("the overlay did not hide", [&] { return !IsWindowVisible(overlay); });

    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    sayvane::e2e::WaitUntil(
        [&] { return (menu = sayvane::e2e::FindProcessWindow(run.ProcessId(), "#32768")) != nullptr; });
    if (menu != nullptr) {
        PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    }
    return run.WaitForExit() ? 0 : Fail("Sayvane did not end");
}

// The configuration window with the newer client chosen until its status line says
// `connected`, then the overlay showing a speaker from it: a screenshot of each. `waiting`,
// when given, is a status to catch on the way (with its own screenshot).
struct ClientAct {
    const char* client;
    std::string settings;
    std::string waiting;
    std::string waitingShot;
    std::string configShot;
    std::string speakerShot;
};

int OnNewerClient(const std::string& out, const ClientAct& act) {
    SayvaneRun run(act.settings);
    if (!run.Start()) {
        return Fail("Sayvane.exe did not start");
    }
    HWND config = run.WaitForWindow("#32770", "Sayvane", 20000);
    if (config == nullptr) {
        return Fail("no configuration window");
    }
    const HWND status = GetDlgItem(config, IDC_LBL_VOICESTATUS);
    const auto says = [&](const std::string& text) { return sayvane::e2e::WaitForText(status, text, 30000); };
    if (!act.waiting.empty()) {
        if (!says(act.waiting)) {
            return Fail("the status line never said: " + act.waiting);
        }
        WaitUntilDrawn(config, 100, 2000);
        SaveScreenshot(out + "\\" + act.waitingShot + ".bmp");
        Say(std::string(act.client) + " asks its user whether to allow Sayvane; the status line says so -> " +
            act.waitingShot + ".png");
    }
    if (!says("is connected to")) {
        return Fail("the status line never said connected");
    }
    WaitUntilDrawn(config, 100, 2000);
    SaveScreenshot(out + "\\" + act.configShot + ".bmp");
    Say(std::string(act.client) +
        " chosen in the configuration window: the line below says what Sayvane sees "
        "right now -> " +
        act.configShot + ".png");

    PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
    HWND overlay = run.WaitForOverlay();
    if (overlay == nullptr) {
        return Fail("no overlay");
    }
    if (!sayvane::e2e::WaitUntil([&] { return IsWindowVisible(overlay) && ListCount(overlay, "lstSpeakers") >= 1; },
                                 90000)) {
        return Fail(std::string("no speaker shown from ") + act.client);
    }
    SaveScreenshot(out + "\\" + act.speakerShot + ".bmp");
    Say(std::string("the same overlay, fed by ") + act.client + ": the speaker under the channel name -> " +
        act.speakerShot + ".png");
    return run.ExitFromTray(overlay) ? 0 : Fail("Sayvane did not end");
}

constexpr char kNewerClientSettings[] =
    "[Setup]\r\nAutoStart=0\r\nRefresh=0\r\nDelay=6\r\nShowChannel=1\r\nShowInOut=1\r\nTransparent=85\r\n"
    "Position=01000\r\nMeFromChannel=0\r\n";

// Act three: the same frequency on TeamSpeak 3, reached through its query interface; ports of
// their own, so that a TeamSpeak running on this computer is left alone.
int OnTeamSpeak3(const std::string& out, const std::string& scenario) {
    const sayvane::e2e::Ts3SimRun voice(scenario, 26639);
    if (!voice.Listening()) {
        return Fail("the simulated TeamSpeak 3 client did not start");
    }
    Say("the simulated TeamSpeak 3 client plays the same frequency, its query interface on 127.0.0.1:26639");
    return OnNewerClient(out, {"TeamSpeak 3",
                               std::string(kNewerClientSettings) +
                                   "VoiceClient=3\r\nQueryApiKey=SAYVANE-TEST-KEY\r\nQueryPort=26639\r\n",
                               "", "", "10-teamspeak3-configuration", "11-teamspeak3-speaker"});
}

// Act four: TeamSpeak 5/6 through its Remote Apps; its user allows Sayvane after a while.
int OnTeamSpeak5(const std::string& out, const std::string& scenario) {
    const sayvane::e2e::Ts5SimRun voice(scenario, 26899, {"--allow", "--confirm-delay", "6000"});
    if (!voice.Listening()) {
        return Fail("the simulated TeamSpeak 5/6 client did not start");
    }
    Say("the simulated TeamSpeak 5/6 client plays the same frequency, its Remote Apps on 127.0.0.1:26899");
    return OnNewerClient(out,
                         {"TeamSpeak 5/6", std::string(kNewerClientSettings) + "VoiceClient=5\r\nRemotePort=26899\r\n",
                          "Waiting for you to allow Sayvane", "12-teamspeak5-waiting", "13-teamspeak5-configuration",
                          "14-teamspeak5-speaker"});
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    if (const int failed = FirstStart(out)) {
        return failed;
    }
    if (const int failed = OnFrequency(out)) {
        return failed;
    }
    const std::string scenario =
        sayvane::testing::ReadBytes(sayvane::e2e::FolderOfThisProgram() + "\\scenarios\\approach.txt");
    if (const int failed = OnTeamSpeak3(out, scenario)) {
        return failed;
    }
    return OnTeamSpeak5(out, scenario);
}
