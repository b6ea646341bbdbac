// The overlay window on Windows: layered popup, tray icon, pop-up menu.
#include "win32/OverlayWindowWin32.h"

#include <shellapi.h>

#include <cstring>

#include "overlay/Placement.h"
#include "win32/Artwork.h"
#include "win32/ProgramServices.h"
#include "win32/System.h"

namespace sayvane::win32 {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kMenuBase = 100;  // command id of MenuItem n is kMenuBase + n

const UINT kTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

UINT CommandId(MenuItem item) {
    return kMenuBase + static_cast<UINT>(item);
}

// The pop-up menu in order: captions, with "-" for separators.
struct MenuEntry {
    const char* caption;
    bool separator;
    MenuItem item;
};
constexpr MenuEntry kMenu[] = {
    {"Disable", false, MenuItem::Disable},
    {"-", true, MenuItem::Close},
    {"Show User on IvAc (Shift+F12)", false, MenuItem::ShowIvac},
    {"-", true, MenuItem::Close},
    {"WinOnTop", false, MenuItem::WinOnTop},
    {"Show Me", false, MenuItem::ShowMe},
    {"Show Channel", false, MenuItem::ShowChannel},
    {"Enable IvAc Select", false, MenuItem::IvAc},
    {"Show User Joining/Leaving", false, MenuItem::InOut},
    {"-", true, MenuItem::Close},
    {"Create TS Channel", false, MenuItem::CreateTSChannel},
    {"-", true, MenuItem::Close},
    {"Close menu", false, MenuItem::Close},
    {"-", true, MenuItem::Close},
    {"Exit", false, MenuItem::Exit},
};

}  // namespace

std::unique_ptr<OverlayWindowWin32> OverlayWindowWin32::Create(WindowFlowWin32& flow) {
    std::unique_ptr<OverlayWindowWin32> window(new OverlayWindowWin32(flow));
    if (!window->CreateWindows()) {
        return nullptr;
    }
    window->m_overlay->Form_Load();
    // The show request that created the window; from the first tick on the refresh cycle
    // decides whether it is seen.
    ShowWindow(window->Hwnd(), SW_SHOWNA);
    return window;
}

std::unique_ptr<OverlayWindowWin32> OverlayWindowWin32::CreatePreview(WindowFlowWin32& flow,
                                                                      std::function<void()> screenChanged) {
    std::unique_ptr<OverlayWindowWin32> window(new OverlayWindowWin32(flow));
    window->m_previewScreenChanged = std::move(screenChanged);
    // A tool window that never takes the focus: the configuration window keeps it.
    if (!window->MakeWindow(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) {
        return nullptr;
    }
    window->m_screen = PrimaryScreen(window->PrimaryDpi());
    return window;
}

OverlayWindowWin32::OverlayWindowWin32(WindowFlowWin32& flow) : m_flow(flow) {}

OverlayWindowWin32::~OverlayWindowWin32() {
    DestroyUnbound();
    if (m_owner != nullptr && IsWindow(m_owner)) {
        DestroyWindow(m_owner);
    }
}

bool OverlayWindowWin32::MakeWindow(DWORD exStyle) {
    const HINSTANCE instance = m_flow.Instance();
    WNDCLASSA wc{};
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (!RegisterClassOnce(instance, kOverlayClass, wc)) {
        return false;
    }
    m_owner = CreateWindowExA(0, "STATIC", "Sayvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (CreateBound(exStyle, kOverlayClass, kOverlayCaption, WS_POPUP, POINT{0, 0}, SIZE{100, 100}, m_owner,
                    instance) == nullptr) {
        return false;
    }
    m_dpi = WindowDpi(Hwnd());
    return true;
}

bool OverlayWindowWin32::CreateWindows() {
    if (!MakeWindow(WS_EX_APPWINDOW)) {
        return false;
    }
    const HINSTANCE instance = m_flow.Instance();
    m_screen = PrimaryScreen(PrimaryDpi());
    MakeIcons(PrimaryDpi());
    BuildMenu();

    // The diagnostic panel: hidden, never shown, readable by window-inspection tools.
    m_frameDebug =
        CreateWindowExA(0, "STATIC", "frameDebug", WS_CHILD, 0, 0, 200, 200, Hwnd(), nullptr, instance, nullptr);
    m_lblStatus = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 16, m_frameDebug,
                                  reinterpret_cast<HMENU>(1), instance, nullptr);
    SetWindowLongPtrA(m_lblStatus, GWLP_USERDATA, 0);

    ProgramServices& services = m_flow.Services();
    m_overlay = std::make_unique<Overlay>(
        *this, *this,
        OverlayServices{services.store, services.clock, m_flow, services.voice, services.teamSpeakWindow, services.ivac,
                        services.desktop, services.keyboard, services.sound, services.messages, ProgramFolder(),
                        UserNumberFormat(), true});
    return true;
}

void OverlayWindowWin32::BuildMenu() {
    m_menu.Reset(CreatePopupMenu());
    for (const MenuEntry& entry : kMenu) {
        if (entry.separator) {
            AppendMenuA(m_menu.Get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(m_menu.Get(), MF_STRING, CommandId(entry.item), entry.caption);
        }
    }
    SetMenuDefaultItem(m_menu.Get(), CommandId(MenuItem::Disable), FALSE);
}

LRESULT OverlayWindowWin32::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_overlay == nullptr) {
        return m_previewScreenChanged ? HandlePreviewMessage(message, wParam, lParam)
                                      : DefWindowProcA(Hwnd(), message, wParam, lParam);
    }
    return HandleMessage(message, wParam, lParam);
}

LRESULT OverlayWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTaskbarCreated && kTaskbarCreated != 0) {
        m_overlay->TaskbarRestarted();
        return 0;
    }
    switch (message) {
        case WM_TIMER:
            if (wParam == kRefreshTimer) {
                m_overlay->tmrRefresh_Timer();
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Dragging with any button: the system moves the window as if by its caption.
            ReleaseCapture();
            SendMessageA(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return 0;
        case WM_ERASEBKGND:
        case WM_PAINT:
        case WM_DPICHANGED:
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE: return HandleDrawingMessage(message, wParam, lParam);
        case WM_CLOSE: DestroyWindow(Hwnd()); return 0;
        case WM_DESTROY:
            KillTimer(Hwnd(), kRefreshTimer);
            m_overlay->Form_Unload();
            return 0;
        case WM_NCDESTROY:
            Unbind();
            m_flow.WindowClosed(this);
            return 0;
        default: return DefWindowProcA(Hwnd(), message, wParam, lParam);
    }
}

// Painting, and following DPI and display changes: the overlay and the preview alike.
LRESULT OverlayWindowWin32::HandleDrawingMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Hwnd(), &ps);
            Paint(dc);
            EndPaint(Hwnd(), &ps);
            return 0;
        }
        case WM_DPICHANGED: DpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_DISPLAYCHANGE: ScreenChanged(); return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETWORKAREA) {
                ScreenChanged();
            }
            break;
        default: break;
    }
    return DefWindowProcA(Hwnd(), message, wParam, lParam);
}

// The preview paints, follows DPI and display changes, and closes; nothing else.
LRESULT OverlayWindowWin32::HandlePreviewMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_ERASEBKGND:
        case WM_PAINT:
        case WM_DPICHANGED:
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE: return HandleDrawingMessage(message, wParam, lParam);
        case WM_NCDESTROY: Unbind(); return 0;
        default: return DefWindowProcA(Hwnd(), message, wParam, lParam);
    }
}

LRESULT CALLBACK OverlayWindowWin32::TrayWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<OverlayWindowWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->m_previousProc == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    const WNDPROC previous = self->m_previousProc;
    if (message == kTrayCallbackMessage && TrayMouseMessageOpensMenu(static_cast<std::uint32_t>(lParam))) {
        self->ShowPopupMenu();
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

void OverlayWindowWin32::ShowPopupMenu() {
    POINT at{};
    GetCursorPos(&at);
    // The menu only takes keys and closes on a click elsewhere when its owner is the
    // foreground window; the WM_NULL afterwards lets the next menu open properly.
    SetForegroundWindow(Hwnd());
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(m_menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Hwnd(), nullptr));
    PostMessageA(Hwnd(), WM_NULL, 0, 0);
    if (command >= kMenuBase && command <= CommandId(MenuItem::Exit)) {
        m_overlay->MenuCommand(static_cast<MenuItem>(command - kMenuBase));
    }
}

// The tray sits on the task bar of the primary monitor: its icons are made for its DPI.
void OverlayWindowWin32::MakeIcons(UINT trayDpi) {
    m_enabledIcon.Reset(MakeSayvaneIcon(MetricForDpi(SM_CXSMICON, trayDpi), IconLook::Enabled));
    m_disabledIcon.Reset(MakeSayvaneIcon(MetricForDpi(SM_CXSMICON, trayDpi), IconLook::Disabled));
    m_bigIcon.Reset(MakeSayvaneIcon(MetricForDpi(SM_CXICON, trayDpi), IconLook::Enabled));
    m_primaryDpi = trayDpi;
    SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.Get()));
    SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_enabledIcon.Get()));
}

// The display settings changed (resolution, the task bar's place, the primary monitor's DPI):
// the tray's icons are made again for that DPI, then the overlay places itself anew.
void OverlayWindowWin32::ScreenChanged() {
    const UINT primaryDpi = PrimaryDpi();
    if (m_overlay == nullptr) {
        m_screen = PrimaryScreen(primaryDpi);
        if (m_previewScreenChanged) {
            m_previewScreenChanged();
        }
        return;
    }
    if (primaryDpi != m_primaryDpi) {
        // The shell keeps a copy of the icon it was given: the old ones can go at once.
        MakeIcons(primaryDpi);
        m_overlay->UpdateTrayTip();
    }
    m_screen = PrimaryScreen(primaryDpi);
    m_overlay->ScreenChanged();
}

UINT OverlayWindowWin32::PrimaryDpi() const {
    // On the primary monitor the window's DPI is the primary's; it hears of a change first.
    const HMONITOR primary = PrimaryMonitor();
    return MonitorFromWindow(Hwnd(), MONITOR_DEFAULTTONEAREST) == primary ? m_dpi : MonitorDpi(primary);
}

// The window moved to a monitor of another DPI, or its monitor's DPI changed: fonts for the
// new DPI, the place Windows suggests (the same size in twips, under the pointer when it is
// being dragged), and then the overlay measures, sizes and places itself again.
void OverlayWindowWin32::DpiChanged(UINT dpi, const RECT* suggested) {
    if (dpi == 0 || dpi == m_dpi) {
        return;
    }
    m_dpi = dpi;
    CreateFonts();
    // What is on the window now keeps its lines, spaced for the new fonts, until it is redrawn.
    int top = 0;
    for (DrawnLine& line : m_lines) {
        line.top = top;
        top += MeasurePixels(line.text, line.fontSize).cy;
    }
    m_penTop = top;
    MoveToSuggested(Hwnd(), suggested);
    InvalidateRect(Hwnd(), nullptr, FALSE);
    ScreenChanged();
}

bool OverlayWindowWin32::IsOnAMonitor(const TwipsRect& rect) const {
    const int left = TwipsToPixels(rect.left, m_screen.twipsPerPixelX);
    const int top = TwipsToPixels(rect.top, m_screen.twipsPerPixelY);
    RECT pixels{left, top, left + TwipsToPixels(rect.width, SizeTwipsPerPixel()),
                top + TwipsToPixels(rect.height, SizeTwipsPerPixel())};
    if (pixels.right <= pixels.left) {
        pixels.right = pixels.left + 1;
    }
    if (pixels.bottom <= pixels.top) {
        pixels.bottom = pixels.top + 1;
    }
    return MonitorFromRect(&pixels, MONITOR_DEFAULTTONULL) != nullptr;
}

TwipsRect OverlayWindowWin32::Geometry() const {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    return TwipsRect{PixelsToTwips(r.left, m_screen.twipsPerPixelX), PixelsToTwips(r.top, m_screen.twipsPerPixelY),
                     PixelsToTwips(r.right - r.left, SizeTwipsPerPixel()),
                     PixelsToTwips(r.bottom - r.top, SizeTwipsPerPixel())};
}

void OverlayWindowWin32::Move(std::int32_t left, std::int32_t top) {
    SetWindowPos(Hwnd(), nullptr, TwipsToPixels(left, m_screen.twipsPerPixelX),
                 TwipsToPixels(top, m_screen.twipsPerPixelY), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OverlayWindowWin32::Resize(std::int32_t width, std::int32_t height) {
    SetWindowPos(Hwnd(), nullptr, 0, 0, TwipsToPixels(width, SizeTwipsPerPixel()),
                 TwipsToPixels(height, SizeTwipsPerPixel()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OverlayWindowWin32::Show() {
    ShowWindow(Hwnd(), SW_SHOWNA);
}

void OverlayWindowWin32::Hide() {
    ShowWindow(Hwnd(), SW_HIDE);
}

bool OverlayWindowWin32::IsVisible() const {
    return IsWindowVisible(Hwnd()) != FALSE;
}

void OverlayWindowWin32::RemoveTaskbarButton() {
    const LONG_PTR style = GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE);
    ShowWindow(Hwnd(), SW_HIDE);
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    ShowWindow(Hwnd(), SW_SHOWNA);
    SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void OverlayWindowWin32::SetOpacity(std::uint8_t alpha) {
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(Hwnd(), 0, alpha, LWA_ALPHA);
}

void OverlayWindowWin32::SetTopmost(bool onTop) {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    SetWindowPos(Hwnd(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, r.left, r.top, 0, 0,
                 SWP_NOSIZE | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

namespace {

HFONT MakeOverlayFont(int points, UINT dpi) {
    return CreateFontA(FontHeight(points, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
}

}  // namespace

void OverlayWindowWin32::SetFontSize(int points) {
    m_fontSize = points;
    if (m_fonts.find(points) == m_fonts.end()) {
        m_fonts[points].Reset(MakeOverlayFont(points, m_dpi));
    }
}

// Every size in use, made again at the window's DPI.
void OverlayWindowWin32::CreateFonts() {
    for (auto& [points, font] : m_fonts) {
        font.Reset(MakeOverlayFont(points, m_dpi));
    }
}

void OverlayWindowWin32::SetBackColor(std::int32_t colour) {
    m_backColor = static_cast<COLORREF>(colour);
}

void OverlayWindowWin32::SetForeColor(std::int32_t colour) {
    m_foreColor = static_cast<COLORREF>(colour);
}

SIZE OverlayWindowWin32::MeasurePixels(std::string_view text) const {
    return MeasurePixels(text, m_fontSize);
}

SIZE OverlayWindowWin32::MeasurePixels(std::string_view text, int fontSize) const {
    SIZE size{};
    ScopedGetDC dc(Hwnd());
    const auto font = m_fonts.find(fontSize);
    ScopedSelect select(dc.Get(), font != m_fonts.end() ? font->second.Get() : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc.Get(), text.data(), static_cast<int>(text.size()), &size);
    if (text.empty()) {
        // The height of a line does not depend on its text.
        GetTextExtentPoint32A(dc.Get(), "H", 1, &size);
        size.cx = 0;
    }
    return size;
}

std::int32_t OverlayWindowWin32::TextHeight(std::string_view text) const {
    return PixelsToTwips(MeasurePixels(text).cy, SizeTwipsPerPixel());
}

std::int32_t OverlayWindowWin32::TextWidth(std::string_view text) const {
    return PixelsToTwips(MeasurePixels(text).cx, SizeTwipsPerPixel());
}

void OverlayWindowWin32::Repaint() {
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void OverlayWindowWin32::Clear() {
    m_lines.clear();
    m_paintedBack = m_backColor;
    m_penTop = 0;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

void OverlayWindowWin32::Print(std::string_view text) {
    m_lines.push_back(DrawnLine{std::string(text), m_foreColor, m_fontSize, m_penTop});
    m_penTop += MeasurePixels(text).cy;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

// Paints into a memory bitmap first and copies it in one go, so nothing flickers.
void OverlayWindowWin32::Paint(HDC dc) const {
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const UniqueMemoryDC memory(CreateCompatibleDC(dc));
    const UniqueBitmap bitmap(
        CreateCompatibleBitmap(dc, client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1));
    const ScopedSelect selectBitmap(memory.Get(), bitmap.Get());
    const UniqueBrush background(CreateSolidBrush(m_paintedBack));
    FillRect(memory.Get(), &client, background.Get());
    SetBkMode(memory.Get(), TRANSPARENT);
    for (const DrawnLine& line : m_lines) {
        const auto font = m_fonts.find(line.fontSize);
        const ScopedSelect selectFont(memory.Get(),
                                      font != m_fonts.end() ? font->second.Get() : GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(memory.Get(), line.colour);
        TextOutA(memory.Get(), 0, line.top, line.text.data(), static_cast<int>(line.text.size()));
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
}

void OverlayWindowWin32::SetStatusLabel(std::string_view text, std::int32_t colour) {
    SetWindowTextA(m_lblStatus, std::string(text).c_str());
    SetWindowLongPtrA(m_lblStatus, GWLP_USERDATA, colour);  // the label's colour, for inspection
}

void OverlayWindowWin32::MirrorList(std::string_view listName, std::size_t count,
                                    const std::function<MirroredItem(std::size_t)>& item) {
    const std::string name(listName);
    HWND& list = m_debugLists[name];
    if (list == nullptr) {
        // The list box carries the list's name as its window text so a tool can find it.
        list = CreateWindowExA(0, "LISTBOX", name.c_str(), WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0,
                               16 + 30 * static_cast<int>(m_debugLists.size()), 200, 30, m_frameDebug, nullptr,
                               m_flow.Instance(), nullptr);
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const MirroredItem mirrored = item(i);
        const std::string text(mirrored.text);  // the list box wants it NUL-terminated
        const auto index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), mirrored.value);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void OverlayWindowWin32::StartTimer(int intervalMilliseconds) {
    SetTimer(Hwnd(), kRefreshTimer, static_cast<UINT>(intervalMilliseconds > 0 ? intervalMilliseconds : 1), nullptr);
}

void OverlayWindowWin32::StopTimer() {
    KillTimer(Hwnd(), kRefreshTimer);
}

void OverlayWindowWin32::Close() {
    // Posted, not done at once: the command that closes the window is still running in it.
    PostMessageA(Hwnd(), WM_CLOSE, 0, 0);
}

bool OverlayWindowWin32::NotifyTray(DWORD action, TrayPicture picture, std::string_view tip) {
    const HICON icon = picture == TrayPicture::Enabled ? m_enabledIcon.Get() : m_disabledIcon.Get();
    SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the 88-byte form every shell understands
    data.hWnd = Hwnd();
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    const std::size_t length = std::min(tip.size(), sizeof(data.szTip) - 1);
    std::memcpy(data.szTip, tip.data(), length);
    data.szTip[length] = '\0';
    return Shell_NotifyIconA(action, &data) != FALSE;
}

void OverlayWindowWin32::Add(TrayPicture picture, std::string_view tip) {
    m_trayAdded = NotifyTray(NIM_ADD, picture, tip);
    if (m_previousProc == nullptr) {
        m_previousProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OverlayWindowWin32::TrayWndProc)));
    }
}

void OverlayWindowWin32::Modify(TrayPicture picture, std::string_view tip) {
    NotifyTray(NIM_MODIFY, picture, tip);
}

void OverlayWindowWin32::Remove() {
    if (Hwnd() == nullptr) {
        return;
    }
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = Hwnd();
    data.uID = 0;
    Shell_NotifyIconA(NIM_DELETE, &data);
    m_trayAdded = false;
    if (m_previousProc != nullptr) {
        SetWindowLongPtrA(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        m_previousProc = nullptr;
    }
}

void OverlayWindowWin32::SetChecked(MenuItem item, bool checked) {
    CheckMenuItem(m_menu.Get(), CommandId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void OverlayWindowWin32::SetCaption(MenuItem item, std::string_view caption) {
    const std::string text(caption);
    const UINT state = GetMenuState(m_menu.Get(), CommandId(item), MF_BYCOMMAND);
    ModifyMenuA(m_menu.Get(), CommandId(item), MF_BYCOMMAND | MF_STRING | (state & (MF_GRAYED | MF_CHECKED)),
                CommandId(item), text.c_str());
}

void OverlayWindowWin32::SetEnabled(MenuItem item, bool enabled) {
    EnableMenuItem(m_menu.Get(), CommandId(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace sayvane::win32
