#include "Theme.h"

#include "Artwork.h"

#include "DeviceSupport.h"
#include "TodayApi.h"

#include <algorithm>
#include <cmath>

namespace norvane::device {

namespace {

BYTE Mix(BYTE a, BYTE b, int num, int den) {
    return static_cast<BYTE>(a + (b - a) * num / std::max(den, 1));
}

COLORREF MixColor(COLORREF a, COLORREF b, int num, int den) {
    return RGB(Mix(GetRValue(a), GetRValue(b), num, den), Mix(GetGValue(a), GetGValue(b), num, den),
               Mix(GetBValue(a), GetBValue(b), num, den));
}

// Selects a GDI object into a DC for one scope.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~SelectObjectScope() { SelectObject(m_dc, m_old); }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace

Theme::~Theme() {
    if (m_background)
        DeleteObject(m_background);
    if (m_startMark)
        DeleteObject(m_startMark);
}

void Theme::Rebuild(int width, int height) {
    if (m_background && width == m_width && height == m_height)
        return;
    if (m_background)
        DeleteObject(m_background);
    m_background = nullptr;
    m_width = width;
    m_height = height;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_background = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_background)
        return;
    HDC dc = CreateCompatibleDC(nullptr);
    {
        SelectObjectScope bitmap(dc, m_background);
        // A pale sky gradient, brighter at the top where the items sit.
        RECT all{0, 0, width, height};
        FillVerticalGradient(dc, all, RGB(250, 252, 255), RGB(196, 214, 244));

        // The watermark: sweeping bands from the lower right corner, as the
        // device's default theme has them.
        const int radiusStep = std::max(width, height) / 7;
        const POINT centre{width + width / 6, height + height / 10};
        SelectObjectScope noPen(dc, GetStockObject(NULL_PEN));
        for (int band = 6; band >= 1; --band) {
            const COLORREF colour = (band % 2) ? RGB(176, 200, 240) : RGB(206, 222, 248);
            HBRUSH brush = CreateSolidBrush(colour);
            {
                SelectObjectScope useBrush(dc, brush);
                const int r = radiusStep * band + radiusStep / 2;
                Ellipse(dc, centre.x - r, centre.y - r, centre.x + r, centre.y + r);
            }
            DeleteObject(brush);
        }
        // A large, faint compass star inside the bands: the device's own mark.
        const int mark = std::min(width, height) * 2 / 5;
        const RECT markRect{width - mark - ScaleX(12), height - mark - ScaleY(12), width - ScaleX(12),
                            height - ScaleY(12)};
        HBITMAP watermark = RenderWatermark(mark, mark, RGB(40, 96, 180));
        BlendPicture(dc, markRect, watermark, 40);
        if (watermark)
            DeleteObject(watermark);
    }
    DeleteDC(dc);
}

void Theme::PaintBackground(HDC dc, const RECT& dest, POINT origin) const {
    const int width = dest.right - dest.left, height = dest.bottom - dest.top;
    if (width <= 0 || height <= 0)
        return;
    if (!m_background) {
        HBRUSH brush = CreateSolidBrush(RGB(240, 244, 252));
        FillRect(dc, &dest, brush);
        DeleteObject(brush);
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, m_background);
    // Outside the screen the background repeats its edge.
    RECT whole = dest;
    HBRUSH edge = CreateSolidBrush(RGB(220, 230, 248));
    FillRect(dc, &whole, edge);
    DeleteObject(edge);
    const int sx = std::clamp<int>(origin.x, 0, m_width), sy = std::clamp<int>(origin.y, 0, m_height);
    const int dx = dest.left + (sx - origin.x), dy = dest.top + (sy - origin.y);
    const int w = std::min<int>(width - (dx - dest.left), m_width - sx);
    const int h = std::min<int>(height - (dy - dest.top), m_height - sy);
    if (w > 0 && h > 0)
        BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

COLORREF Theme::TodayColor(WPARAM id) const {
    switch (id) {
    case TODAYCOLOR_TEXT:
        return TextColor();
    case TODAYCOLOR_HIGHLIGHT:
        return HighlightColor();
    case TODAYCOLOR_HIGHLIGHTEDTEXT:
        return HighlightedTextColor();
    default:
        return CLR_INVALID;
    }
}

std::vector<BYTE> Theme::ShColorTable() {
    // Entry n is R, G, B, 0. Index 4: captions and meter text; 6: separators;
    // 7: the background of tray icons.
    const COLORREF colours[] = {
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(49, 106, 197),  RGB(255, 255, 255), RGB(0, 0, 0),
        RGB(0, 36, 115),    RGB(115, 142, 239), RGB(16, 60, 156),   RGB(214, 223, 247), RGB(0, 0, 0),
        RGB(198, 211, 239), RGB(49, 106, 197),  RGB(255, 255, 255), RGB(0, 0, 128),     RGB(128, 128, 128),
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(222, 231, 247), RGB(16, 60, 156),   RGB(255, 255, 255),
        RGB(0, 0, 0),       RGB(115, 142, 239), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(49, 106, 197),
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(214, 223, 247), RGB(0, 0, 0),       RGB(255, 255, 255),
        RGB(49, 106, 197),  RGB(255, 255, 255)};
    std::vector<BYTE> table;
    for (COLORREF c : colours) {
        table.push_back(GetRValue(c));
        table.push_back(GetGValue(c));
        table.push_back(GetBValue(c));
        table.push_back(0);
    }
    return table;
}

void Theme::FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    const int height = rect.bottom - rect.top;
    for (int y = 0; y < height; ++y) {
        RECT row{rect.left, rect.top + y, rect.right, rect.top + y + 1};
        HBRUSH brush = CreateSolidBrush(MixColor(top, bottom, y, std::max(height - 1, 1)));
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
}

void Theme::DrawStartMark(HDC dc, const RECT& rect) const {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!m_startMark || width != m_startMarkSize.cx || height != m_startMarkSize.cy) {
        if (m_startMark)
            DeleteObject(m_startMark);
        m_startMark = RenderStartMark(width, height);
        m_startMarkSize = SIZE{width, height};
    }
    BlendPicture(dc, rect, m_startMark, 255);
}

} // namespace norvane::device
