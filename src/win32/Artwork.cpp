// Sayvane's own pictures, drawn at run time.
#include "win32/Artwork.h"

#include <algorithm>
#include <optional>

#include "win32/Handles.h"

namespace sayvane::win32 {

namespace {

// A 32-bit top-down DIB section to draw in, selected into its memory DC.
struct Canvas {
    Canvas(int width, int height) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        bitmap.Reset(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
        bits = static_cast<DWORD*>(pixels);
        selected.emplace(dc.Get(), bitmap.Get());
    }

    // The picture, no longer selected: the caller owns it.
    HBITMAP Release() {
        selected.reset();
        return bitmap.Release();
    }

    UniqueMemoryDC dc;
    UniqueBitmap bitmap;
    std::optional<ScopedSelect> selected;  // the bitmap in the DC while it is drawn in
    DWORD* bits = nullptr;
};

void Ellipse(HDC dc, COLORREF fill, COLORREF edge, int l, int t, int r, int b, int penWidth = 1) {
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, penWidth, edge));
    ScopedSelect b1(dc, brush.Get());
    ScopedSelect p1(dc, pen.Get());
    ::Ellipse(dc, l, t, r, b);
}

void Line(HDC dc, COLORREF colour, int width, int x1, int y1, int x2, int y2) {
    UniquePen pen(CreatePen(PS_SOLID, width, colour));
    ScopedSelect p1(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// The speech balloon: a rounded box with a tail, at (x, y) of size w x h.
void Balloon(HDC dc, COLORREF fill, COLORREF edge, int x, int y, int w, int h) {
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, 1, edge));
    ScopedSelect b1(dc, brush.Get());
    ScopedSelect p1(dc, pen.Get());
    RoundRect(dc, x, y, x + w, y + h * 3 / 4, w / 3, h / 3);
    const POINT tail[] = {{x + w / 4, y + h * 3 / 4 - 1}, {x + w / 5, y + h}, {x + w / 2, y + h * 3 / 4 - 1}};
    Polygon(dc, tail, 3);
}

}  // namespace

HICON MakeSayvaneIcon(int size, IconLook look) {
    const art::Image image = art::DrawSayvaneIcon(size, look);
    Canvas colour(image.width, image.height);
    if (colour.bits == nullptr) {
        return nullptr;
    }
    // Top-down 32-bit rows with straight alpha: the layout an icon's colour bitmap takes.
    std::copy(image.pixels.begin(), image.pixels.end(), colour.bits);
    UniqueBitmap mask(CreateBitmap(image.width, image.height, 1, 1, nullptr));
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.bitmap.Get();
    info.hbmMask = mask.Get();
    return CreateIconIndirect(&info);
}

HBITMAP MakeAboutPicture(int width, int height) {
    Canvas canvas(width, height);
    const RECT all{0, 0, width, height};
    UniqueBrush background(CreateSolidBrush(RGB(8, 24, 16)));
    FillRect(canvas.dc.Get(), &all, background.Get());
    const int cx = width / 2;
    const int cy = height / 2;
    const int r = (width < height ? width : height) / 2 - 4;
    for (int ring = 1; ring <= 3; ++ring) {
        const int rr = r * ring / 3;
        Ellipse(canvas.dc.Get(), RGB(8, 24, 16), RGB(0, 140, 70), cx - rr, cy - rr, cx + rr, cy + rr);
    }
    SelectObject(canvas.dc.Get(), GetStockObject(NULL_BRUSH));
    Line(canvas.dc.Get(), RGB(0, 140, 70), 1, cx - r, cy, cx + r, cy);
    Line(canvas.dc.Get(), RGB(0, 140, 70), 1, cx, cy - r, cx, cy + r);
    Line(canvas.dc.Get(), RGB(80, 255, 140), 2, cx, cy, cx + r * 7 / 10, cy - r * 7 / 10);
    const POINT blips[] = {{cx + r / 3, cy - r / 4}, {cx - r / 2, cy + r / 5}, {cx + r / 5, cy + r / 2}};
    for (const POINT& p : blips) {
        Ellipse(canvas.dc.Get(), RGB(255, 220, 64), RGB(255, 220, 64), p.x - 3, p.y - 3, p.x + 3, p.y + 3);
    }
    Balloon(canvas.dc.Get(), RGB(255, 255, 255), RGB(0, 0, 0), width - width / 3 - 4, 4, width / 3, height / 4);
    return canvas.Release();
}

}  // namespace sayvane::win32
