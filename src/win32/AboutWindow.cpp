// The about window, also the start-up splash.
#include "win32/AboutWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include "about/AboutText.h"
#include "about/VersionInfo.h"
#include "overlay/Placement.h"
#include "win32/Artwork.h"
#include "win32/System.h"
#include "win32/Win32VersionApi.h"

namespace sayvane::win32 {

namespace {

enum ControlId { kImage1 = 10, kImage2, kTitle, kTitleShade, kInfo, kVersion, kAuthor };

constexpr int kClientWidthTwips = 7485;
constexpr int kClientHeightTwips = 1695;

// Where each control sits, in twips of the client area.
struct Placement {
    int id;
    int left;
    int top;
    int width;
    int height;
};
constexpr Placement kLayout[] = {
    {kImage1, 0, 0, 1485, 1305},   {kImage2, 1740, 30, 480, 480},  {kTitleShade, 1680, 90, 2760, 435},
    {kTitle, 1650, 60, 2760, 435}, {kInfo, 2280, 570, 4965, 1110}, {kVersion, 4830, 120, 2415, 255},
    {kAuthor, 0, 1350, 1485, 195},
};
// The info text's five lines and the author's name have a little more room than their fonts
// need at 96 dots per inch: at other DPIs fonts do not grow exactly in step with twips.
constexpr int kIconTwips = 480;  // the program icon's square: 32 pixels at 96 dots per inch
constexpr COLORREF kShadeGrey = 0xC0C0C0;
constexpr COLORREF kLinkBlue = 0xFF0000;

}  // namespace

AboutWindow::AboutWindow(HINSTANCE instance, HWND owner) : m_instance(instance), m_owner(owner) {
    WNDCLASSA wc{};
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassOnce(instance, kAboutClass, wc);
    RECT centreOn{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner != nullptr) {
        GetWindowRect(owner, &centreOn);
    }
    // Sized for the monitor it opens on.
    m_dpi = MonitorDpi(MonitorFromRect(&centreOn, MONITOR_DEFAULTTOPRIMARY));
    const double twipsPerPixel = 1440.0 / m_dpi;

    const DWORD style = WS_POPUP | WS_DLGFRAME;
    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, twipsPerPixel), TwipsToPixels(kClientHeightTwips, twipsPerPixel)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = centreOn.left + (centreOn.right - centreOn.left - width) / 2;
    const int top = centreOn.top + (centreOn.bottom - centreOn.top - height) / 2;
    if (CreateBound(0, kAboutClass, "Sayvane", style, POINT{left, top}, SIZE{width, height}, owner, instance) !=
        nullptr) {
        Form_Load();
    }
}

AboutWindow::~AboutWindow() {
    Close();
}

HWND AboutWindow::Label(const char* text, DWORD align, int id) {
    return CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_NOTIFY | align, 0, 0, 0, 0,
                           Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
}

// Fonts, pictures and every control's place for the window's DPI.
void AboutWindow::Layout() {
    const double twipsPerPixel = 1440.0 / m_dpi;
    const auto pixels = [&](int twips) { return TwipsToPixels(twips, twipsPerPixel); };
    m_font.Reset(CreateFontA(FontHeight(8.25, m_dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));
    m_titleFont.Reset(CreateFontA(FontHeight(18, m_dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                  "Times New Roman"));
    m_linkFont.Reset(CreateFontA(FontHeight(8.25, m_dpi), 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));
    for (const Placement& p : kLayout) {
        HWND control = GetDlgItem(Hwnd(), p.id);
        SetWindowPos(control, nullptr, pixels(p.left), pixels(p.top), pixels(p.width), pixels(p.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        const HGDIOBJ font = p.id == kTitle || p.id == kTitleShade ? m_titleFont.Get()
                             : p.id == kAuthor                     ? m_linkFont.Get()
                                                                   : m_font.Get();
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // Image1: the picture, drawn at its control's size. Image2: the program's icon.
    m_picture.Reset(MakeAboutPicture(pixels(kLayout[0].width), pixels(kLayout[0].height)));
    SendMessageA(GetDlgItem(Hwnd(), kImage1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture.Get()));
    m_icon.Reset(MakeSayvaneIcon(pixels(kIconTwips), IconLook::Enabled));
    SendMessageA(GetDlgItem(Hwnd(), kImage2), STM_SETICON, reinterpret_cast<WPARAM>(m_icon.Get()), 0);
}

void AboutWindow::AddTip(HWND control, const char* text) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = Hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<char*>(text);
    SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void AboutWindow::Form_Load() {
    m_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, m_instance, nullptr);

    // Image1: the picture, scaled to its control.
    HWND image1 = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 0, 0, 0,
                                  Hwnd(), reinterpret_cast<HMENU>(kImage1), m_instance, nullptr);
    AddTip(image1, kCloseHint.data());

    // Image2: the program's icon; clicking it does nothing. It must notify all the same: a static
    // without SS_NOTIFY is transparent to the mouse, and the click would reach the title below
    // it or the window's background, both of which close the window.
    CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON | SS_NOTIFY, 0, 0, 0, 0, Hwnd(),
                    reinterpret_cast<HMENU>(kImage2), m_instance, nullptr);

    // The title twice: a grey copy 30 twips right of and below the first gives it a shade.
    // The grey one is created first so that it lies below.
    HWND shade = Label(kProgramName.data(), SS_CENTER, kTitleShade);
    HWND title = Label(kProgramName.data(), SS_CENTER, kTitle);
    SetWindowPos(shade, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    AddTip(title, kCloseHint.data());

    m_lblInfo = Label(kAboutInfoText.data(), SS_CENTER, kInfo);
    AddTip(m_lblInfo, kCloseHint.data());

    Win32VersionApi api;
    ErrorRecord error;
    const std::string version = GetVersionText(api, ProgramPath(), true, &error);
    if (error.Failed()) {
        MessageBoxA(Hwnd(), VersionErrorMessage(error).c_str(), "Sayvane", MB_OK);
    }
    m_lblVersion = Label(version.c_str(), SS_LEFT, kVersion);
    AddTip(m_lblVersion, kCloseHint.data());

    HWND author = Label(kAuthorName.data(), SS_CENTER, kAuthor);
    AddTip(author, kAuthorTip.data());
    Layout();
}

std::string AboutWindow::InfoText() const {
    if (m_lblInfo == nullptr) {
        return {};
    }
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(m_lblInfo)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(m_lblInfo, text.data(), static_cast<int>(text.size()))));
    return text;
}

void AboutWindow::SetInfoText(const std::string& text) {
    if (m_lblInfo != nullptr) {
        SetWindowTextA(m_lblInfo, text.c_str());
        // A transparent label does not wipe its old text: let the window repaint below it.
        RECT r{};
        GetWindowRect(m_lblInfo, &r);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
        InvalidateRect(Hwnd(), &r, TRUE);
    }
}

void AboutWindow::Show() {
    if (Hwnd() != nullptr) {
        ShowWindow(Hwnd(), SW_SHOW);
        // Paint the labels too, now: as the splash, the window is shown and then the program
        // sleeps, and a label left for later would stay blank all that time.
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        // Some display drivers (Wine's among them) copy a window's drawing to the screen only
        // when its thread looks at its messages: look once, taking none, before the sleep.
        MSG pending;
        PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE);
    }
}

void AboutWindow::Repaint() {
    if (Hwnd() != nullptr) {
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void AboutWindow::Close() {
    if (Hwnd() != nullptr && IsWindow(Hwnd())) {
        DestroyWindow(Hwnd());  // its WM_DESTROY lets go of it
    }
    Unbind();
}

void AboutWindow::ShowModal() {
    if (Hwnd() == nullptr) {
        return;
    }
    if (m_owner != nullptr) {
        EnableWindow(m_owner, FALSE);
    }
    Show();
    MSG msg;
    while (Hwnd() != nullptr && IsWindow(Hwnd())) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop to see
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (m_owner != nullptr) {
        EnableWindow(m_owner, TRUE);
        SetActiveWindow(m_owner);
    }
}

LRESULT AboutWindow::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONUP:  // a click on the window's background
            Close();
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == STN_CLICKED) {
                switch (LOWORD(wParam)) {
                    case kAuthor:
                        ShellExecuteA(Hwnd(), "open", kAuthorPage.data(), "", ProgramFolder().c_str(), SW_SHOWNORMAL);
                        return 0;
                    case kImage2: return 0;
                    default: Close(); return 0;
                }
            }
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == GetDlgItem(Hwnd(), kAuthor)) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefWindowProcA(Hwnd(), message, wParam, lParam);
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, id == kTitleShade ? kShadeGrey
                             : id == kAuthor   ? kLinkBlue
                                               : GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        case WM_DPICHANGED: {
            // Moved to a monitor of another DPI: the same size in twips, sharp there.
            m_dpi = HIWORD(wParam) != 0 ? HIWORD(wParam) : m_dpi;
            Layout();
            MoveToSuggested(Hwnd(), reinterpret_cast<const RECT*>(lParam));
            InvalidateRect(Hwnd(), nullptr, TRUE);
            return 0;
        }
        case WM_DESTROY: Unbind(); return 0;
        default: return DefWindowProcA(Hwnd(), message, wParam, lParam);
    }
}

}  // namespace sayvane::win32
