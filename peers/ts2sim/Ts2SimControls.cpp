// The simulated voice client's control classes.
#include "Ts2SimControls.h"

#include <algorithm>
#include <new>
#include <string>

namespace ts2sim {
namespace {

WNDPROC g_editProc = nullptr;
WNDPROC g_buttonProc = nullptr;

std::string* PaneText(HWND hwnd) {
    return reinterpret_cast<std::string*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// A rich-text pane as the real client has: it keeps its text itself, so other programs read
// it only with WM_GETTEXTLENGTH / WM_GETTEXT (GetWindowText from outside sees nothing).
LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new (std::nothrow) std::string));
            return PaneText(hwnd) != nullptr;
        case WM_NCDESTROY:
            delete PaneText(hwnd);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            return 0;
        case WM_SETTEXT:
            if (std::string* text = PaneText(hwnd)) {
                *text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return TRUE;
        case WM_GETTEXTLENGTH: return PaneText(hwnd) != nullptr ? static_cast<LRESULT>(PaneText(hwnd)->size()) : 0;
        case WM_GETTEXT: {
            const std::string* text = PaneText(hwnd);
            auto* buffer = reinterpret_cast<char*>(lParam);
            if (text == nullptr || buffer == nullptr || wParam == 0) {
                return 0;
            }
            const std::size_t copied = std::min<std::size_t>(text->size(), wParam - 1);
            text->copy(buffer, copied);
            buffer[copied] = '\0';
            return static_cast<LRESULT>(copied);
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            RECT area;
            GetClientRect(hwnd, &area);
            FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            InflateRect(&area, -4, -4);
            HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            if (const std::string* text = PaneText(hwnd)) {
                DrawTextA(dc, text->c_str(), static_cast<int>(text->size()), &area, DT_LEFT | DT_TOP | DT_NOPREFIX);
            }
            SelectObject(dc, oldFont);
            EndPaint(hwnd, &paint);
            return 0;
        }
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK GroupBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            RECT area;
            GetClientRect(hwnd, &area);
            FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
            area.top += 7;
            DrawEdge(dc, &area, EDGE_ETCHED, BF_RECT);
            char caption[64] = {};
            GetWindowTextA(hwnd, caption, sizeof caption);
            HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            TextOutA(dc, 8, 0, caption, lstrlenA(caption));
            SelectObject(dc, oldFont);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_COMMAND:  // the edits' notifications belong to the form
            return SendMessageA(GetParent(hwnd), message, wParam, lParam);
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// An edit whose Enter confirms its form, also when the key reaches it without passing the
// form's dialog navigation (a WM_KEYDOWN sent to it directly).
LRESULT CALLBACK LabeledEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        PostMessageA(GetAncestor(hwnd, GA_ROOT), WM_COMMAND, IDOK, 0);
        return 0;
    }
    if (message == WM_CHAR && wParam == '\r') {
        return 0;  // a single-line edit would beep at it
    }
    return CallWindowProcA(g_editProc, hwnd, message, wParam, lParam);
}

// BM_CLICK notifies the parent directly. The standard button simulates a mouse press for it,
// which depends on the button's window being able to take the capture.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == BM_CLICK) {
        if (IsWindowEnabled(hwnd)) {
            SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd));
        }
        return 0;
    }
    return CallWindowProcA(g_buttonProc, hwnd, message, wParam, lParam);
}

bool RegisterPlain(HINSTANCE instance, const char* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

// A class of our own name that behaves as a system control: its procedure, then ours.
bool RegisterSuperclass(HINSTANCE instance, const char* base, const char* name, WNDPROC proc, WNDPROC& baseProc) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, base, &wc)) {
        return false;
    }
    baseProc = wc.lpfnWndProc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    return RegisterClassExA(&wc) != 0;
}

}  // namespace

bool RegisterControlClasses(HINSTANCE instance) {
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    return RegisterPlain(instance, kPanelClass, DefWindowProcA, face) &&
           RegisterPlain(instance, kInfoPaneClass, PaneProc, nullptr) &&
           RegisterPlain(instance, kLogPaneClass, PaneProc, nullptr) &&
           RegisterPlain(instance, kGroupBoxClass, GroupBoxProc, face) &&
           RegisterSuperclass(instance, "EDIT", kLabeledEditClass, LabeledEditProc, g_editProc) &&
           RegisterSuperclass(instance, "BUTTON", kButtonClass, ButtonProc, g_buttonProc);
}

}  // namespace ts2sim
