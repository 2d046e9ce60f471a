// Meter shortcuts on the screen, in captions, icons and menus.
#include "MeterPictures.h"

#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageShortcutIcon.h"
#include "MeterImages.h"
#include "MeterRenderer.h"
#include "Painter.h"
#include "Settings.h"
#include "ShortcutRecord.h"
#include "StatusSources.h"

#include <algorithm>
#include <vector>

namespace norvane {

void DrawShortcutMeter(const ShortcutRecord& shortcut, HDC dc, int x, int y, bool drawText) {
    MeterDefinition* meter = shortcut.Meter();
    if (!meter) {
        return;
    }
    MeterDrawContext context;
    context.status = &ProcessStatus();
    context.drawText = drawText;
    DrawMeter(*meter, dc, x, y, context);
}

bool MeterValueInCaption(const GeneralOptions& general, const TabRecord* currentTab,
                         const ShortcutRecord& shortcut) {
    const bool tabCaptions = !currentTab || currentTab->CaptionsEnabled != 0;
    if (!tabCaptions || general.ShowCaptionsForMeters != 2 || shortcut.CaptionEnabled() == 0) {
        return false;
    }
    return shortcut.LargeIcon() || general.SmallIconCaptionMode != 0;
}

std::optional<std::wstring> MeterCaptionText(const ShortcutRecord& shortcut, int showCaptionsForMeters) {
    const MeterDefinition* meter = shortcut.Meter();
    if (!meter || (showCaptionsForMeters != 2 && showCaptionsForMeters != 3)) {
        return std::nullopt;
    }
    return MeterDescription(*meter, showCaptionsForMeters == 3, ProcessStatus(), StatusKindName);
}

HBITMAP RenderShortcutPicture(const ShortcutRecord& shortcut, int size, COLORREF background) {
    if (size <= 0) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) {
        return nullptr;
    }
    {
        SelectedObject selected(dc.get(), bitmap.get());
        RECT all = {0, 0, size, size};
        UniqueBrush brush(CreateSolidBrush(background));
        FillRect(dc.get(), &all, brush.get());
        if (const ShortcutIcon* picture = PictureOf(shortcut.Icon())) {
            DrawShortcutPicture(dc.get(), *picture, 0, 0, size);
        }
        DrawShortcutMeter(shortcut, dc.get(), 0, 0, true);
        GdiFlush();
    }
    return bitmap.release();
}

HICON RenderShortcutIcon(const ShortcutRecord& shortcut, int size, COLORREF background) {
    UniqueBitmap colour(RenderShortcutPicture(shortcut, size, background));
    if (!colour) {
        return nullptr;
    }
    // An all-zero mask: every pixel is the colour bitmap's.
    std::vector<BYTE> zeros(static_cast<std::size_t>((size + 15) / 16 * 2) * size, 0);
    UniqueBitmap mask(CreateBitmap(size, size, 1, 1, zeros.data()));
    if (!mask) {
        return nullptr;
    }
    ICONINFO icon = {};
    icon.fIcon = TRUE;
    icon.hbmColor = colour.get();
    icon.hbmMask = mask.get();
    return CreateIconIndirect(&icon);
}

namespace {

// The meter's own drawing for the menu's icon column, when its file has one
// for that size: a large meter reduced to the column would squeeze its value
// text into a smudge. The storage cards stay the shortcut's.
bool DrawMeterAtColumnSize(const MeterDefinition& meter, HDC dc, int x, int y, int column) {
    if (column != 16 && column != 32 && column != 64) {
        return false;
    }
    DeviceMeterSource source;
    Bitmap32 picture;
    if (!MeterImageProbe(meter.Path, column, &picture, source)) {
        return false;
    }
    MeterDefinition small;
    small.Load(meter.Path, column, nullptr, source);
    if (small.Elements.empty()) {
        return false;
    }
    for (auto& [kind, element] : small.Elements) {
        const MeterElement* own = meter.ElementFor(kind);
        if (own) {
            element->StoragePath = own->StoragePath;
        }
    }
    DrawImage(picture, dc, x, y);
    MeterDrawContext context;
    context.status = &ProcessStatus();
    context.images = &source;
    DrawMeter(small, dc, x, y, context);
    return true;
}

} // namespace

bool DrawMenuMeterPicture(const DRAWITEMSTRUCT& item, const ShortcutRecord& shortcut) {
    const MeterDefinition* meter = shortcut.Meter();
    if (!meter) {
        return false;
    }
    const int column = ScaleX(16);
    const int x = item.rcItem.left + ScaleX(2);
    const int y = item.rcItem.top + ScaleY(2);
    const int size = std::max(meter->Size, 1);
    if (size > column && DrawMeterAtColumnSize(*meter, item.hDC, x, y, column)) {
        return true;
    }
    // The item's own background under the column, as the menu painted it.
    const COLORREF background = GetPixel(item.hDC, x, y);
    UniqueBitmap picture(
        RenderShortcutPicture(shortcut, size, background == CLR_INVALID ? RGB(255, 255, 255) : background));
    UniqueMemoryDc source(CreateCompatibleDC(item.hDC));
    if (!picture || !source) {
        return true;
    }
    SelectedObject selected(source.get(), picture.get());
    if (size <= column) {
        BitBlt(item.hDC, x, y, size, size, source.get(), 0, 0, SRCCOPY);
    } else {
        const int oldMode = SetStretchBltMode(item.hDC, HALFTONE);
        StretchBlt(item.hDC, x, y, column, column, source.get(), 0, 0, size, size, SRCCOPY);
        SetStretchBltMode(item.hDC, oldMode);
    }
    return true;
}

} // namespace norvane
