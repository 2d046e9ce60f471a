// Painting the task-manager rows.
#include "TaskItems.h"

#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageShortcutIcon.h"

#include <algorithm>
#include <cstdint>

namespace norvane {

namespace {

constexpr UINT kRowFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS;

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// Draws a picture centred vertically with its left edge at x.
void DrawPictureAt(HDC dc, const Bitmap32* image, int x, const RECT& row) {
    if (image && !image->IsEmpty()) {
        DrawImage(*image, dc, x, row.top + (row.bottom - row.top - image->Height()) / 2);
    }
}

} // namespace

void DrawFittedPicture(HDC dc, const ShortcutIcon& picture, int x, int y, int size) {
    if (!picture.image.IsEmpty()) {
        if (picture.image.Width() <= size && picture.image.Height() <= size) {
            DrawImage(picture.image, dc, x + (size - picture.image.Width()) / 2,
                      y + (size - picture.image.Height()) / 2);
            return;
        }
        Bitmap32 reduced = picture.image.Halve();
        while ((reduced.Width() > size || reduced.Height() > size) && reduced.Width() >= 2 &&
               reduced.Height() >= 2) {
            Bitmap32 half = reduced.Halve();
            reduced.Exchange(half);
        }
        DrawImage(reduced, dc, x + (size - reduced.Width()) / 2, y + (size - reduced.Height()) / 2);
    } else if (picture.bitmap) {
        BITMAP info = {};
        if (GetObjectW(picture.bitmap.get(), sizeof(info), &info)) {
            UniqueMemoryDc source(CreateCompatibleDC(dc));
            SelectedObject selected(source.get(), picture.bitmap.get());
            const int oldMode = SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, x, y, size, size, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
            SetStretchBltMode(dc, oldMode);
        }
    } else if (picture.icon) {
        DrawIconEx(dc, x, y, picture.icon.get(), size, size, 0, nullptr, DI_NORMAL);
    }
}

bool IconToImage(HICON icon, Bitmap32& image) {
    image.Empty();
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) {
        return false;
    }
    int width = 0;
    int height = 0;
    BITMAP bitmap = {};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap)) {
        width = bitmap.bmWidth;
        height = bitmap.bmHeight;
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof bitmap, &bitmap)) {
        width = bitmap.bmWidth;
        height = bitmap.bmHeight / 2; // a monochrome icon: mask over picture
    }
    if (info.hbmColor) {
        DeleteObject(info.hbmColor);
    }
    if (info.hbmMask) {
        DeleteObject(info.hbmMask);
    }
    if (width <= 0 || height <= 0 || width > 256 || height > 256 || !image.Allocate(width, height)) {
        return false;
    }
    // Drawn once over black and once over white: the difference is the
    // transparency, whatever kind of icon it is (alpha channel or mask).
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    void* black = nullptr;
    void* white = nullptr;
    UniqueBitmap onBlack(CreateDIBSection(dc.get(), &header, DIB_RGB_COLORS, &black, nullptr, 0));
    UniqueBitmap onWhite(CreateDIBSection(dc.get(), &header, DIB_RGB_COLORS, &white, nullptr, 0));
    if (!dc || !onBlack || !onWhite) {
        image.Empty();
        return false;
    }
    const RECT all{0, 0, width, height};
    {
        SelectedObject selected(dc.get(), onBlack.get());
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(dc.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    {
        SelectedObject selected(dc.get(), onWhite.get());
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIconEx(dc.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    GdiFlush();
    const auto* b = static_cast<const std::uint8_t*>(black);
    const auto* w = static_cast<const std::uint8_t*>(white);
    for (std::size_t i = 0; i < image.PixelCount(); ++i) {
        // Per channel: over black c * a, over white c * a + 255 * (1 - a).
        const int alpha = 255 - std::clamp(static_cast<int>(w[4 * i + 1]) - b[4 * i + 1], 0, 255);
        image.Alpha()[i] = static_cast<std::uint8_t>(alpha);
        auto unblend = [alpha](int premultiplied) {
            return static_cast<std::uint8_t>(alpha == 0 ? 0 : std::min(255, premultiplied * 255 / alpha));
        };
        image.Blue()[i] = unblend(b[4 * i]);
        image.Green()[i] = unblend(b[4 * i + 1]);
        image.Red()[i] = unblend(b[4 * i + 2]);
    }
    return true;
}

int PlainX(int n) {
    return TrueVga() ? ScaleX(n) / 2 : ScaleX(n);
}

int PlainY(int n) {
    return TrueVga() ? ScaleY(n) / 2 : ScaleY(n);
}

void TaskItem::Paint(HDC dc, const RECT& row, const TaskDrawState& state) {
    PaintContent(dc, row, state, m_text, kRowFormat);
}

void TaskItem::PaintContent(HDC dc, const RECT& row, const TaskDrawState& state, const std::wstring& text,
                            UINT format) {
    m_rowRect = row;
    m_closeRect = RECT{};
    int textRight = row.right;
    if (m_hasCloseBox) {
        // A square at the row's right end: big enough for a fingertip.
        const int side = row.bottom - row.top;
        m_closeRect = RECT{row.right - side, row.top, row.right, row.bottom};
        textRight = m_closeRect.left;
    }
    if (state.selected) {
        RECT fill = state.closeBoxSelected
                        ? m_closeRect
                        : RECT{row.left - ScaleX(1), row.top, textRight + ScaleX(1), row.bottom};
        if (!state.closeBoxSelected && m_hasCloseBox) {
            fill.right = m_closeRect.left;
        }
        FillSolid(dc, fill, state.selectedFill);
    }
    DrawPictureAt(dc, m_image, row.left + PlainX(3), row);
    if (m_hasCloseBox && state.closeBoxImage && !state.closeBoxImage->IsEmpty()) {
        const Bitmap32& box = *state.closeBoxImage;
        DrawImage(box, dc, m_closeRect.left + (m_closeRect.right - m_closeRect.left - box.Width()) / 2,
                  m_closeRect.top + (m_closeRect.bottom - m_closeRect.top - box.Height()) / 2);
    }
    RECT textRect{row.left + PlainX(23), row.top, textRight - ScaleX(2), row.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColour(state));
    HGDIOBJ oldFont = SelectObject(dc, state.font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format);
    SelectObject(dc, oldFont);
}

void SeparatorItem::Paint(HDC dc, const RECT& row, const TaskDrawState& state) {
    m_rowRect = row;
    const int thickness = std::max(ScaleY(1), 1);
    const int top = row.top + (row.bottom - row.top - thickness) / 2;
    FillSolid(dc, RECT{row.left + ScaleX(2), top, row.right - ScaleX(2), top + thickness}, state.text);
}

CommandItem::CommandItem(int bit, std::wstring caption, const Bitmap32* image)
    : TaskItem(TaskRowKind::Command, std::move(caption)) {
    m_value = static_cast<std::uintptr_t>(bit);
    m_accelerator = CaptionAccelerator(m_text);
    m_image = image;
}

CommandItem::CommandItem(TaskRowKind kind, std::wstring caption) : TaskItem(kind, std::move(caption)) {
    m_accelerator = CaptionAccelerator(m_text);
}

void CommandItem::Paint(HDC dc, const RECT& row, const TaskDrawState& state) {
    // The caption's "&" underlines the accelerator.
    PaintContent(dc, row, state, m_text, kRowFormat);
}

LaunchItem::LaunchItem(std::wstring caption) : CommandItem(TaskRowKind::Launch, std::move(caption)) {
    m_value = 1;
}

void LaunchItem::Paint(HDC dc, const RECT& row, const TaskDrawState& state) {
    CommandItem::Paint(dc, row, state);
    // A small filled triangle pointing right, in the text's colour.
    const int width = PlainX(4);
    const int height = PlainY(8);
    const int tip = row.right - ScaleX(6);
    const int middle = row.top + (row.bottom - row.top) / 2;
    const POINT points[3] = {
        {tip, middle}, {tip - width, middle - height / 2}, {tip - width, middle + height / 2}};
    const COLORREF colour = TextColour(state);
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // Without an outline a polygon leaves out its right and bottom edges:
    // one pixel more keeps the tip where it belongs.
    const POINT grown[3] = {{points[0].x + 1, points[0].y}, points[1], {points[2].x, points[2].y + 1}};
    Polygon(dc, grown, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}

WindowItem::WindowItem(HWND window, std::wstring title) : TaskItem(TaskRowKind::Window, std::move(title)) {
    m_value = reinterpret_cast<std::uintptr_t>(window);
}

std::wstring WindowItem::ShownText(bool prefixes) const {
    // Titles print literally; with the prefixes the digit in front is underlined.
    std::wstring shown = DoubleAmpersands(m_text);
    if (prefixes && m_accelerator) {
        shown = std::wstring(L"&") + m_accelerator + L" " + shown;
    }
    return shown;
}

void WindowItem::Paint(HDC dc, const RECT& row, const TaskDrawState& state) {
    PaintContent(dc, row, state, ShownText(state.prefixes), kRowFormat);
}

} // namespace norvane
