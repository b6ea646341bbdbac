// ts2sim: a simulated TeamSpeak 2 client for tests and the demo. It plays a scenario of
// server events, publishes the server for the substitute TSRemote.dll, and shows the
// windows Sayvane reads and drives: the main form with its "Player:" pane, a menu bar
// reachable with Alt, "c", "c", and the create-channel dialog opened by command 12.
//
//   ts2sim.exe [--scenario FILE] [--log FILE] [--hold] [--no-command-12]
#include <windows.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Ts2SimControls.h"
#include "common/Ts2SimControl.h"
#include "common/TsSharedMemory.h"
#include "sim/TsClientView.h"
#include "sim/TsScenario.h"

namespace ts2sim {
namespace {

using sayvane::peers::kCmdCreateChannel;
using sayvane::peers::kCmdCreateChannelMenuOnly;
using sayvane::sim::TsScenario;
using sayvane::sim::TsScenarioPlayer;
using sayvane::sim::TsServer;

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 20;
constexpr std::size_t kLogPaneLines = 14;

enum MenuCommand : UINT {
    kCmdDisconnect = 101,
    kCmdReconnect = 102,
    kCmdExit = 103,
    kCmdHold = 111,
    kCmdResume = 112,
    kCmdStep = 113,
};

enum ExitCode : int { kExitOk = 0, kExitUsage = 2, kExitAlreadyRunning = 3, kExitWindows = 4 };

struct Options {
    std::string scenarioFile;
    std::string logFile;
    bool hold = false;
    bool noCommand12 = false;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scenario" && i + 1 < argc) {
            options.scenarioFile = argv[++i];
        } else if (arg == "--log" && i + 1 < argc) {
            options.logFile = argv[++i];
        } else if (arg == "--hold") {
            options.hold = true;
        } else if (arg == "--no-command-12") {
            options.noCommand12 = true;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

class Ts2Sim {
public:
    explicit Ts2Sim(Options options) : m_options(std::move(options)) {}

    int Run(HINSTANCE instance);

    LRESULT MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool LoadScenario();
    bool CreateMainWindow();
    void Layout();
    void Tick();
    // After any change of the server: publish it and redraw the windows.
    void Changed();
    void Log(const std::string& text);
    void OpenCreateChannelDialog();
    void CreateChannelFromDialog();

    Options m_options;
    HINSTANCE m_instance = nullptr;
    TsServer m_server;
    std::unique_ptr<TsScenarioPlayer> m_player;
    sayvane::peers::SharedServerWriter m_shared;
    std::ofstream m_log;
    std::deque<std::string> m_recent;
    std::vector<std::string> m_treeLines;
    ULONGLONG m_lastTick = 0;

    HWND m_main = nullptr;
    HWND m_tree = nullptr;
    HWND m_panel = nullptr;
    HWND m_infoPane = nullptr;
    HWND m_logPane = nullptr;
    HWND m_dialog = nullptr;
    HWND m_nameEdit = nullptr;
};

Ts2Sim* g_app = nullptr;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (g_app == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return g_app->MainProc(hwnd, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CreateChannelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (g_app == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return g_app->DialogProc(hwnd, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void Ts2Sim::Log(const std::string& text) {
    const std::string line = std::to_string(m_player ? m_player->Now() : 0) + " " + text;
    if (m_log.is_open()) {
        m_log << line << "\r\n";
        m_log.flush();
    }
    m_recent.push_back(text);
    while (m_recent.size() > kLogPaneLines) {
        m_recent.pop_front();
    }
    if (m_logPane != nullptr) {
        std::string joined;
        for (const std::string& l : m_recent) {
            joined += l + "\r\n";
        }
        SendMessageA(m_logPane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(joined.c_str()));
    }
}

bool Ts2Sim::LoadScenario() {
    TsScenario scenario;
    if (!m_options.scenarioFile.empty()) {
        std::ifstream in(m_options.scenarioFile, std::ios::binary);
        if (!in) {
            Log("cannot read scenario " + m_options.scenarioFile);
            return false;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        sayvane::sim::TsScenarioError error;
        auto parsed = sayvane::sim::ParseTsScenario(text, &error);
        if (!parsed) {
            Log("scenario error: line " + std::to_string(error.line) + ": " + error.message);
            return false;
        }
        scenario = std::move(*parsed);
    }
    // Without a scenario there is no server to be connected to.
    m_server.connected = !m_options.scenarioFile.empty();
    m_player = std::make_unique<TsScenarioPlayer>(std::move(scenario), m_server,
                                                  [this](std::int64_t, const std::string& text) { Log(text); });
    if (m_options.hold) {
        m_player->Hold();
    }
    return true;
}

bool Ts2Sim::CreateMainWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = m_instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kMainFormClass;
    WNDCLASSA dialogClass = wc;
    dialogClass.lpfnWndProc = CreateChannelProc;
    dialogClass.lpszClassName = kCreateChannelClass;
    if (!RegisterClassA(&wc) || !RegisterClassA(&dialogClass) || !RegisterControlClasses(m_instance)) {
        return false;
    }

    HMENU bar = CreateMenu();
    HMENU connection = CreatePopupMenu();
    AppendMenuA(connection, MF_STRING, kCmdDisconnect, "&Disconnect");
    AppendMenuA(connection, MF_STRING, kCmdReconnect, "&Reconnect");
    AppendMenuA(connection, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(connection, MF_STRING, kCmdExit, "E&xit");
    HMENU channels = CreatePopupMenu();
    AppendMenuA(channels, MF_STRING, m_options.noCommand12 ? kCmdCreateChannelMenuOnly : kCmdCreateChannel,
                "&Create Channel...");
    HMENU scenario = CreatePopupMenu();
    AppendMenuA(scenario, MF_STRING, kCmdHold, "&Hold");
    AppendMenuA(scenario, MF_STRING, kCmdResume, "&Resume");
    AppendMenuA(scenario, MF_STRING, kCmdStep, "&Step");
    // "&Channels" is the only top-level entry on "c", and "&Create Channel..." the only one
    // in its menu: Alt, "c", "c" reaches it.
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(connection), "C&onnection");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(channels), "&Channels");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(scenario), "Sc&enario");

    m_main = CreateWindowExA(0, kMainFormClass, "TeamSpeak 2", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 160, 120, 660,
                             440, nullptr, bar, m_instance, nullptr);
    if (m_main == nullptr) {
        return false;
    }
    m_tree = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOSEL, 0, 0,
                             10, 10, m_main, nullptr, m_instance, nullptr);
    // The "Player:" pane sits inside a panel, as in the real client: readers must walk all
    // descendants, not only the direct children.
    m_panel = CreateWindowExA(0, kPanelClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, m_main, nullptr, m_instance,
                              nullptr);
    m_infoPane = CreateWindowExA(WS_EX_CLIENTEDGE, kInfoPaneClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 m_panel, nullptr, m_instance, nullptr);
    m_logPane = CreateWindowExA(WS_EX_CLIENTEDGE, kLogPaneClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, m_main,
                                nullptr, m_instance, nullptr);
    SendMessageA(m_tree, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    Layout();
    ShowWindow(m_main, SW_SHOW);
    UpdateWindow(m_main);
    return true;
}

void Ts2Sim::Layout() {
    RECT area;
    GetClientRect(m_main, &area);
    const int width = area.right;
    const int height = area.bottom;
    constexpr int kTreeWidth = 240;
    constexpr int kInfoHeight = 130;
    MoveWindow(m_tree, 4, 4, kTreeWidth, height - 8, TRUE);
    MoveWindow(m_panel, kTreeWidth + 8, 4, width - kTreeWidth - 12, kInfoHeight, TRUE);
    MoveWindow(m_infoPane, 0, 0, width - kTreeWidth - 12, kInfoHeight, TRUE);
    MoveWindow(m_logPane, kTreeWidth + 8, kInfoHeight + 8, width - kTreeWidth - 12, height - kInfoHeight - 12, TRUE);
}

void Ts2Sim::Changed() {
    m_shared.Publish(m_server);
    const std::string info = sayvane::sim::ClientInfoPaneText(m_server);
    SendMessageA(m_infoPane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(info.c_str()));
    std::vector<std::string> lines = sayvane::sim::ClientTreeLines(m_server);
    if (lines != m_treeLines) {
        m_treeLines = std::move(lines);
        SendMessageA(m_tree, WM_SETREDRAW, FALSE, 0);
        SendMessageA(m_tree, LB_RESETCONTENT, 0, 0);
        for (const std::string& line : m_treeLines) {
            SendMessageA(m_tree, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        }
        SendMessageA(m_tree, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_tree, nullptr, TRUE);
    }
}

void Ts2Sim::Tick() {
    const ULONGLONG now = GetTickCount64();
    const auto elapsed = static_cast<std::int64_t>(now - m_lastTick);
    m_lastTick = now;
    if (m_player->Advance(elapsed) > 0) {
        Changed();
    }
    if (m_player->QuitRequested()) {
        DestroyWindow(m_main);
    }
}

void Ts2Sim::OpenCreateChannelDialog() {
    if (m_dialog != nullptr) {
        SetForegroundWindow(m_dialog);
        SetFocus(m_nameEdit);
        return;
    }
    // The form is built as a hidden child of the main window and only then made a top-level
    // window, so that whoever finds it by its class (FindWindow sees top-level windows only)
    // finds it whole: the real client's dialog is complete when it can be found, and
    // Sayvane looks for the controls right after finding the form.
    // It is made at its final screen position: SetParent keeps the coordinates, and a form
    // that moved after it could be found would show its controls at changing places.
    RECT owner;
    GetWindowRect(m_main, &owner);
    m_dialog = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kCreateChannelClass, "Create Channel",
                               WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, owner.left + 120, owner.top + 100,
                               380, 230, m_main, nullptr, m_instance, nullptr);
    if (m_dialog == nullptr) {
        Log("create-channel dialog could not be made");
        return;
    }
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND group = CreateWindowExA(WS_EX_CONTROLPARENT, kGroupBoxClass, "Channel", WS_CHILD | WS_VISIBLE, 10, 8, 354, 130,
                                 m_dialog, nullptr, m_instance, nullptr);
    struct Field {
        const char* label;
        int top;
        DWORD style;
    };
    // Made out of screen order on purpose: the name field is the top-most one, not the
    // first child.
    const Field fields[] = {
        {"Topic:", 62, 0},
        {"Name:", 28, 0},
        {"Password:", 96, ES_PASSWORD},
    };
    for (const Field& field : fields) {
        HWND label = CreateWindowExA(0, "STATIC", field.label, WS_CHILD | WS_VISIBLE, 12, field.top + 3, 70, 18, group,
                                     nullptr, m_instance, nullptr);
        HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, kLabeledEditClass, "",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | field.style, 90, field.top,
                                    250, 22, group, nullptr, m_instance, nullptr);
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (field.top == 28) {
            m_nameEdit = edit;
        }
    }
    HWND create = CreateWindowExA(0, kButtonClass, "Create Channel",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 130, 150, 120, 28, m_dialog,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDOK)), m_instance, nullptr);
    HWND cancel =
        CreateWindowExA(0, kButtonClass, "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 260, 150, 100, 28, m_dialog,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDCANCEL)), m_instance, nullptr);
    SendMessageA(create, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetParent(m_dialog, nullptr);
    // SetParent leaves WS_CHILD as it was: the form becomes a popup owned by the main window.
    SetWindowLongPtrA(m_dialog, GWL_STYLE, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
    SetWindowLongPtrA(m_dialog, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_main));
    SetWindowPos(m_dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    ShowWindow(m_dialog, SW_SHOW);
    SetForegroundWindow(m_dialog);
    SetFocus(m_nameEdit);
    Log("create-channel dialog opened");
}

void Ts2Sim::CreateChannelFromDialog() {
    if (m_dialog == nullptr || m_nameEdit == nullptr) {
        return;
    }
    char name[256] = {};
    GetWindowTextA(m_nameEdit, name, sizeof name);
    const std::optional<std::int32_t> id = m_server.CreateChannel(name);
    if (id) {
        Log(std::string("channel created: ") + name + " (id " + std::to_string(*id) + ")");
        Changed();
    } else {
        Log(std::string("channel refused: \"") + name + "\" (empty or taken)");
    }
    DestroyWindow(m_dialog);
}

LRESULT Ts2Sim::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                CreateChannelFromDialog();
            } else if (LOWORD(wParam) == IDCANCEL) {
                Log("create-channel dialog cancelled");
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_DESTROY:
            m_dialog = nullptr;
            m_nameEdit = nullptr;
            return 0;
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT Ts2Sim::MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTickTimer) {
                Tick();
            }
            return 0;
        case WM_SIZE:
            if (m_panel != nullptr) {
                Layout();
            }
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kCmdCreateChannel:
                    if (m_options.noCommand12) {
                        Log("command 12 ignored");
                    } else {
                        OpenCreateChannelDialog();
                    }
                    return 0;
                case kCmdCreateChannelMenuOnly: OpenCreateChannelDialog(); return 0;
                case kCmdDisconnect:
                    m_server.connected = false;
                    Log("disconnect (menu)");
                    Changed();
                    return 0;
                case kCmdReconnect:
                    m_server.connected = true;
                    Log("connect (menu)");
                    Changed();
                    return 0;
                case kCmdExit: DestroyWindow(hwnd); return 0;
                case kCmdHold: m_player->Hold(); return 0;
                case kCmdResume: m_player->Resume(); return 0;
                case kCmdStep:
                    if (m_player->Step() > 0) {
                        Changed();
                    }
                    return 0;
                default: return 0;
            }
        case sayvane::peers::kTs2SimStep: {
            const int applied = m_player->Step();
            if (applied > 0) {
                Changed();
            }
            if (m_player->QuitRequested()) {
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
            }
            return applied;
        }
        case sayvane::peers::kTs2SimHold: m_player->Hold(); return 1;
        case sayvane::peers::kTs2SimResume:
            m_player->Resume();
            m_lastTick = GetTickCount64();
            return 1;
        case sayvane::peers::kTs2SimNow: return static_cast<LRESULT>(m_player->Now());
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_DESTROY:
            KillTimer(hwnd, kTickTimer);
            // From now on the library answers "not running", even before the block is gone.
            m_server.clientRunning = false;
            m_shared.Publish(m_server);
            Log("client exits");
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int Ts2Sim::Run(HINSTANCE instance) {
    m_instance = instance;
    if (!m_options.logFile.empty()) {
        m_log.open(m_options.logFile, std::ios::binary | std::ios::app);
    }
    if (!LoadScenario()) {
        return kExitUsage;
    }
    if (!m_shared.Create()) {
        Log("another simulated client is running");
        return kExitAlreadyRunning;
    }
    if (!CreateMainWindow()) {
        Log("windows could not be made");
        return kExitWindows;
    }
    Log("client started" + (m_options.scenarioFile.empty() ? std::string() : " with " + m_options.scenarioFile) +
        (m_options.hold ? ", held" : "") + (m_options.noCommand12 ? ", command 12 ignored" : ""));
    // The events of time 0 apply before anything can read the server.
    m_player->Advance(0);
    Changed();
    m_lastTick = GetTickCount64();
    SetTimer(m_main, kTickTimer, kTickMs, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // The dialog's keyboard navigation: Tab between fields, Enter = "Create Channel".
        if (m_dialog != nullptr && IsDialogMessageA(m_dialog, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return kExitOk;
}

}  // namespace
}  // namespace ts2sim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const auto options = ts2sim::ParseOptions(__argc, __argv);
    if (!options) {
        return ts2sim::kExitUsage;
    }
    ts2sim::Ts2Sim app(*options);
    ts2sim::g_app = &app;
    const int code = app.Run(instance);
    ts2sim::g_app = nullptr;
    return code;
}
