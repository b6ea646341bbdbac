// ivacsim: a stand-in for the IvAc radar client. Its main window carries the caption Sayvane
// reads the callsign from; its "COMMBox" dialog holds a narrow "Edit" (first in Z order)
// and the wide command line. Every text put into an edit and every Enter reaching one is
// shown on the radar and written to a log file, one line each:
//   settext<TAB>box<TAB>edit<TAB>text      text put in with WM_SETTEXT
//   enter<TAB>box<TAB>edit<TAB>text        Enter pressed; the text the box held then
// box is 1 or 2, edit is "narrow" or "wide"; tab, CR, LF and "\" in text are written as
// \t, \r, \n and \\. After an Enter on the command line the box is emptied, as IvAc does.
//
//   ivacsim [--caption TEXT | --callsign CS --status ST] [--log FILE] [--commbox none|one|two]
//
// The caption defaults to "IvAc 1.2 - CALLSIGN [STATUS]" with EDDF_TWR and Online. With
// --commbox two a second "COMMBox" opens above the first; with none there is no command box.
// The main window appears last, once every dialog exists. Closing it ends the program.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kRadarClass[] = "IvAcSimRadar";
constexpr int kNarrowEditId = 101;
constexpr int kWideEditId = 102;
constexpr int kNarrowWidth = 70;

struct Options {
    std::string caption;
    std::string callsign = "EDDF_TWR";
    std::string status = "Online";
    std::string logFile;
    int commBoxes = 1;
};

Options g_options;
HWND g_radarList = nullptr;
WNDPROC g_editProc = nullptr;

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--caption") {
            options.caption = value;
        } else if (name == "--callsign") {
            options.callsign = value;
        } else if (name == "--status") {
            options.status = value;
        } else if (name == "--log") {
            options.logFile = value;
        } else if (name == "--commbox") {
            if (value == "none") {
                options.commBoxes = 0;
            } else if (value == "one") {
                options.commBoxes = 1;
            } else if (value == "two") {
                options.commBoxes = 2;
            } else {
                return false;
            }
        } else {
            return false;
        }
    }
    if (options.caption.empty()) {
        options.caption = "IvAc 1.2 - " + options.callsign + " [" + options.status + "]";
    }
    return true;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return out;
}

// Shows the event on the radar and appends it to the log, which is opened and closed for each
// line so that a test reading it sees every line at once.
void Record(const char* event, HWND edit, const std::string& text) {
    HWND box = GetParent(edit);
    const auto boxNumber = static_cast<int>(GetWindowLongPtrA(box, DWLP_USER));
    const char* which = GetDlgCtrlID(edit) == kWideEditId ? "wide" : "narrow";
    const std::string line = std::string(event) + "\t" + std::to_string(boxNumber) + "\t" + which + "\t" + Escape(text);
    if (g_radarList != nullptr) {
        SendMessageA(g_radarList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (!g_options.logFile.empty()) {
        if (FILE* log = std::fopen(g_options.logFile.c_str(), "ab")) {
            std::fprintf(log, "%s\n", line.c_str());
            std::fclose(log);
        }
    }
}

std::string EditText(HWND edit) {
    std::vector<char> buffer(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    const int length = GetWindowTextA(edit, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

bool IsReturnKeyDown(const MSG* msg) {
    return msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_GETDLGCODE:
            // The dialog loop's IsDialogMessage would turn Enter into IDOK; asking for it here
            // lets the key reach the edit itself, as with IvAc's command line.
            if (IsReturnKeyDown(reinterpret_cast<const MSG*>(lParam))) {
                return CallWindowProcA(g_editProc, hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
            }
            break;
        case WM_SETTEXT: Record("settext", hwnd, lParam != 0 ? reinterpret_cast<const char*>(lParam) : ""); break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                Record("enter", hwnd, EditText(hwnd));
                if (GetDlgCtrlID(hwnd) == kWideEditId) {
                    CallWindowProcA(g_editProc, hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
                }
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r') {
                return 0;  // no beep for the Enter already handled
            }
            break;
        default: break;
    }
    return CallWindowProcA(g_editProc, hwnd, message, wParam, lParam);
}

HWND MakeEdit(HWND box, int id, int x, int width) {
    HWND edit =
        CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, x, 8, width,
                        24, box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
    return edit;
}

INT_PTR CALLBACK CommBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_INITDIALOG: {
            const auto boxNumber = static_cast<int>(lParam);
            SetWindowLongPtrA(box, DWLP_USER, boxNumber);
            // Sizes in pixels: the narrow edit must be exactly 70 pixels wide, which dialog
            // units cannot promise.
            SetWindowPos(box, nullptr, 60 + 30 * boxNumber, 440 + 90 * (boxNumber - 1), 460, 80,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            MakeEdit(box, kNarrowEditId, 8, kNarrowWidth);
            HWND wide = MakeEdit(box, kWideEditId, 8 + kNarrowWidth + 8, 340);
            SetFocus(wide);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            // Enter and Escape must not close the command box.
            return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL ? TRUE : FALSE;
        case WM_CLOSE: return TRUE;  // IvAc's command box stays
        default: return FALSE;
    }
}

// A modeless dialog of the standard class "#32770" captioned "COMMBox", without controls of
// its own: WM_INITDIALOG adds the edits in pixels.
HWND MakeCommBox(HWND owner, int boxNumber) {
    std::vector<WORD> tmpl(64, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(tmpl.data());
    header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    header->cdit = 0;
    header->cx = 200;
    header->cy = 40;
    WORD* p = tmpl.data() + sizeof(DLGTEMPLATE) / sizeof(WORD);
    *p++ = 0;                                // no menu
    *p++ = 0;                                // the standard dialog class
    for (const char* c = "COMMBox";; ++c) {  // the title, UTF-16
        *p++ = static_cast<WORD>(*c);
        if (*c == '\0') {
            break;
        }
    }
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), header, owner, CommBoxProc, boxNumber);
}

LRESULT CALLBACK RadarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_CREATE:
            g_radarList = CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                                          0, 0, 100, 100, hwnd, nullptr, GetModuleHandleA(nullptr), nullptr);
            return 0;
        case WM_SIZE: MoveWindow(g_radarList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE); return 0;
        case WM_DESTROY:
            g_radarList = nullptr;
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!ParseOptions(__argc, __argv, g_options)) {
        MessageBoxA(nullptr,
                    "ivacsim [--caption TEXT | --callsign CS --status ST] [--log FILE] [--commbox none|one|two]",
                    "ivacsim", MB_OK);
        return 2;
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = RadarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kRadarClass;
    RegisterClassA(&wc);

    // Hidden until the command boxes exist: a visible main window means a complete IvAc.
    HWND radar = CreateWindowExA(0, kRadarClass, g_options.caption.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 560, 380,
                                 nullptr, nullptr, instance, nullptr);
    if (radar == nullptr) {
        return 1;
    }
    std::vector<HWND> boxes;
    for (int i = 1; i <= g_options.commBoxes; ++i) {
        HWND box = MakeCommBox(radar, i);
        if (box == nullptr) {
            return 1;
        }
        ShowWindow(box, SW_SHOWNOACTIVATE);
        boxes.push_back(box);
    }
    ShowWindow(radar, SW_SHOWNOACTIVATE);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        bool handled = false;
        for (HWND box : boxes) {
            if (IsWindow(box) && IsDialogMessageA(box, &msg)) {
                handled = true;
                break;
            }
        }
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
