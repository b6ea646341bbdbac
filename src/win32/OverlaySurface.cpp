// The overlay's surface: layered popup, GDI drawing, twips, DPI.
#include "win32/OverlaySurface.h"

#include "overlay/Placement.h"
#include "win32/System.h"

namespace sayvane::win32 {

namespace {

HFONT MakeOverlayFont(int points, UINT dpi) {
    return CreateFontA(FontHeight(points, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
}

}  // namespace

std::unique_ptr<OverlaySurface> OverlaySurface::CreatePreview(HINSTANCE instance, std::function<void()> screenChanged) {
    std::unique_ptr<OverlaySurface> surface(new OverlaySurface(instance));
    surface->m_previewScreenChanged = std::move(screenChanged);
    // A tool window that never takes the focus: the configuration window keeps it.
    if (!surface->MakeWindow(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) {
        return nullptr;
    }
    return surface;
}

OverlaySurface::OverlaySurface(HINSTANCE instance) : m_instance(instance) {}

OverlaySurface::~OverlaySurface() {
    DestroyWindows();
}

bool OverlaySurface::MakeWindow(DWORD exStyle) {
    WNDCLASSA wc{};
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (!RegisterClassOnce(m_instance, kOverlayClass, wc)) {
        return false;
    }
    m_owner.Reset(CreateWindowExA(0, "STATIC", "Sayvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, m_instance, nullptr));
    if (CreateBound(exStyle, kOverlayClass, kOverlayCaption, WS_POPUP, POINT{0, 0}, SIZE{100, 100}, m_owner.Get(),
                    m_instance) == nullptr) {
        return false;
    }
    m_dpi = WindowDpi(Hwnd());
    m_screen = PrimaryScreen(PrimaryDpi());
    return true;
}

void OverlaySurface::DestroyWindows() {
    DestroyUnbound();
    m_owner.Reset();
}

LRESULT OverlaySurface::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_NCDESTROY: Unbind(); return 0;
        default: return DrawingMessage(message, wParam, lParam);
    }
}

LRESULT OverlaySurface::DrawingMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_DISPLAYCHANGE: DisplayChanged(); return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETWORKAREA) {
                DisplayChanged();
            }
            break;
        default: break;
    }
    return DefWindowProcA(Hwnd(), message, wParam, lParam);
}

// The display settings changed (resolution, the task bar's place, the primary monitor's DPI).
void OverlaySurface::DisplayChanged() {
    const UINT primaryDpi = PrimaryDpi();
    m_screen = PrimaryScreen(primaryDpi);
    ScreenChanged(primaryDpi);
}

void OverlaySurface::ScreenChanged(UINT /*primaryDpi*/) {
    if (m_previewScreenChanged) {
        m_previewScreenChanged();
    }
}

UINT OverlaySurface::PrimaryDpi() const {
    // On the primary monitor the window's DPI is the primary's; it hears of a change first.
    const HMONITOR primary = PrimaryMonitor();
    return MonitorFromWindow(Hwnd(), MONITOR_DEFAULTTONEAREST) == primary ? m_dpi : MonitorDpi(primary);
}

// The window moved to a monitor of another DPI, or its monitor's DPI changed: fonts for the
// new DPI, the place Windows suggests (the same size in twips, under the pointer when it is
// being dragged), and then the overlay measures, sizes and places itself again.
void OverlaySurface::DpiChanged(UINT dpi, const RECT* suggested) {
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
    DisplayChanged();
}

bool OverlaySurface::IsOnAMonitor(const TwipsRect& rect) const {
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

TwipsRect OverlaySurface::Geometry() const {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    return TwipsRect{PixelsToTwips(r.left, m_screen.twipsPerPixelX), PixelsToTwips(r.top, m_screen.twipsPerPixelY),
                     PixelsToTwips(r.right - r.left, SizeTwipsPerPixel()),
                     PixelsToTwips(r.bottom - r.top, SizeTwipsPerPixel())};
}

void OverlaySurface::Move(std::int32_t left, std::int32_t top) {
    SetWindowPos(Hwnd(), nullptr, TwipsToPixels(left, m_screen.twipsPerPixelX),
                 TwipsToPixels(top, m_screen.twipsPerPixelY), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OverlaySurface::Resize(std::int32_t width, std::int32_t height) {
    SetWindowPos(Hwnd(), nullptr, 0, 0, TwipsToPixels(width, SizeTwipsPerPixel()),
                 TwipsToPixels(height, SizeTwipsPerPixel()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OverlaySurface::Show() {
    ShowWindow(Hwnd(), SW_SHOWNA);
}

void OverlaySurface::Hide() {
    ShowWindow(Hwnd(), SW_HIDE);
}

bool OverlaySurface::IsVisible() const {
    return IsWindowVisible(Hwnd()) != FALSE;
}

void OverlaySurface::RemoveTaskbarButton() {
    const LONG_PTR style = GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE);
    ShowWindow(Hwnd(), SW_HIDE);
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    ShowWindow(Hwnd(), SW_SHOWNA);
    SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void OverlaySurface::SetOpacity(std::uint8_t alpha) {
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(Hwnd(), 0, alpha, LWA_ALPHA);
}

void OverlaySurface::SetTopmost(bool onTop) {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    SetWindowPos(Hwnd(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, r.left, r.top, 0, 0,
                 SWP_NOSIZE | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void OverlaySurface::SetFontSize(int points) {
    m_fontSize = points;
    if (m_fonts.find(points) == m_fonts.end()) {
        m_fonts[points].Reset(MakeOverlayFont(points, m_dpi));
    }
}

// Every size in use, made again at the window's DPI.
void OverlaySurface::CreateFonts() {
    for (auto& [points, font] : m_fonts) {
        font.Reset(MakeOverlayFont(points, m_dpi));
    }
}

HGDIOBJ OverlaySurface::FontOrDefault(int fontSize) const {
    const auto font = m_fonts.find(fontSize);
    return font != m_fonts.end() ? font->second.Get() : GetStockObject(DEFAULT_GUI_FONT);
}

void OverlaySurface::SetBackColor(std::int32_t colour) {
    m_backColor = static_cast<COLORREF>(colour);
}

void OverlaySurface::SetForeColor(std::int32_t colour) {
    m_foreColor = static_cast<COLORREF>(colour);
}

SIZE OverlaySurface::MeasurePixels(std::string_view text) const {
    return MeasurePixels(text, m_fontSize);
}

SIZE OverlaySurface::MeasurePixels(std::string_view text, int fontSize) const {
    SIZE size{};
    ScopedGetDC dc(Hwnd());
    ScopedSelect select(dc.Get(), FontOrDefault(fontSize));
    GetTextExtentPoint32A(dc.Get(), text.data(), static_cast<int>(text.size()), &size);
    if (text.empty()) {
        // The height of a line does not depend on its text.
        GetTextExtentPoint32A(dc.Get(), "H", 1, &size);
        size.cx = 0;
    }
    return size;
}

std::int32_t OverlaySurface::TextHeight(std::string_view text) const {
    return PixelsToTwips(MeasurePixels(text).cy, SizeTwipsPerPixel());
}

std::int32_t OverlaySurface::TextWidth(std::string_view text) const {
    return PixelsToTwips(MeasurePixels(text).cx, SizeTwipsPerPixel());
}

void OverlaySurface::Repaint() {
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void OverlaySurface::Clear() {
    m_lines.clear();
    m_paintedBack = m_backColor;
    m_penTop = 0;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

void OverlaySurface::Print(std::string_view text) {
    m_lines.push_back(DrawnLine{std::string(text), m_foreColor, m_fontSize, m_penTop});
    m_penTop += MeasurePixels(text).cy;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

// Paints into a memory bitmap first and copies it in one go, so nothing flickers.
void OverlaySurface::Paint(HDC dc) const {
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
        const ScopedSelect selectFont(memory.Get(), FontOrDefault(line.fontSize));
        SetTextColor(memory.Get(), line.colour);
        TextOutA(memory.Get(), 0, line.top, line.text.data(), static_cast<int>(line.text.size()));
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
}

void OverlaySurface::Close() {
    // Posted, not done at once: the command that closes the window is still running in it.
    PostMessageA(Hwnd(), WM_CLOSE, 0, 0);
}

void OverlaySurface::SetStatusLabel(std::string_view /*text*/, std::int32_t /*colour*/) {}

void OverlaySurface::MirrorList(std::string_view /*listName*/, std::size_t /*count*/,
                                const std::function<MirroredItem(std::size_t)>& /*item*/) {}

void OverlaySurface::StartTimer(int /*intervalMilliseconds*/) {}

void OverlaySurface::StopTimer() {}

}  // namespace sayvane::win32
