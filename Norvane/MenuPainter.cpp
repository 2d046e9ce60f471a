// Owner-drawn menu items.
#include "MenuPainter.h"

#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageShortcutIcon.h"
#include "Module.h"
#include "TodayItemWindow.h"

namespace norvane {

namespace {
constexpr UINT kOptionsId = 2100;
constexpr UINT kMinimizeId = 2101;
constexpr UINT kMaximizeId = 2102;
constexpr UINT kFirstTabId = 3400;
constexpr UINT kLastTabId = 3421;
constexpr UINT kOptionsText = 50002;
constexpr UINT kMinimizeText = 50003;
constexpr UINT kMaximizeText = 50004;
constexpr COLORREF kHeaderBand = 0xC0C0C0;

bool IsHeader(ULONG_PTR kind) {
    return kind == menukind::kHeader || kind == menukind::kSubHeader;
}
} // namespace

std::wstring OwnerMenuText(const TodayItemWindow& window, UINT id) {
    switch (id) {
    case kOptionsId:
        return Module::Text(kOptionsText) + L"...";
    case kMinimizeId:
        return Module::Text(kMinimizeText);
    case kMaximizeId:
        return Module::Text(kMaximizeText);
    default:
        break;
    }
    if (id >= kFirstTabId && id <= kLastTabId) {
        // The tabs the user can select: the view's visible tabs, as the
        // current tab counts them.
        const size_t index = id - kFirstTabId;
        if (const ItemView* view = window.View()) {
            const auto& visible = view->VisibleTabs();
            return index < visible.size() ? visible[index]->Name : std::wstring();
        }
        const auto& tabs = window.GetSettings().Tabs();
        if (index < tabs.size()) {
            return tabs[index]->Name;
        }
    }
    return std::wstring();
}

void MeasureOwnerMenuItem(MEASUREITEMSTRUCT& item, const std::wstring& text, HFONT font) {
    ScreenDc screen;
    SelectedObject selected(screen.Get(), font);
    SIZE size = {};
    GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    item.itemHeight = static_cast<UINT>(ScaleY(20));
    item.itemWidth =
        static_cast<UINT>(size.cx + ScaleX(20) + (item.itemData == menukind::kWide ? ScaleX(3) : 0));
}

void DrawOwnerMenuItem(const DRAWITEMSTRUCT& item, const std::wstring& text, HFONT font,
                       const Bitmap32& image) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool header = IsHeader(item.itemData);
    COLORREF background = header ? RGB(255, 255, 255) : GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    int column = ScaleX(16) + (item.itemData == menukind::kWide ? ScaleX(2) : 0);
    if (header) {
        RECT band = {rc.left, rc.top, rc.left + column + ScaleX(2), rc.bottom};
        HBRUSH grey = CreateSolidBrush(kHeaderBand);
        FillRect(dc, &band, grey);
        DeleteObject(grey);
    }
    if (!image.IsEmpty()) {
        DrawImage(image, dc, rc.left + ScaleX(2), rc.top + ScaleY(2));
    }
    RECT textRect = {rc.left + column + ScaleX(4), rc.top, rc.right, rc.bottom};
    SelectedObject selectedFont(dc, font);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour =
        SetTextColor(dc, GetSysColor(selected && !header ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void DrawMenuPicture(const DRAWITEMSTRUCT& item, const ShortcutIcon& picture) {
    const int size = ScaleX(16);
    const int x = item.rcItem.left + ScaleX(2);
    const int y = item.rcItem.top + ScaleY(2);
    if (!picture.image.IsEmpty()) {
        if (picture.image.Width() <= size && picture.image.Height() <= size) {
            DrawImage(picture.image, item.hDC, x, y);
            return;
        }
        Bitmap32 reduced = picture.image.Halve();
        while ((reduced.Width() > size || reduced.Height() > size) && reduced.Width() >= 2 &&
               reduced.Height() >= 2) {
            Bitmap32 half = reduced.Halve();
            reduced.Exchange(half);
        }
        DrawImage(reduced, item.hDC, x, y);
    } else if (picture.bitmap) {
        BITMAP info = {};
        if (GetObjectW(picture.bitmap.get(), sizeof(info), &info)) {
            UniqueMemoryDc source(CreateCompatibleDC(item.hDC));
            SelectedObject selected(source.get(), picture.bitmap.get());
            const int oldMode = SetStretchBltMode(item.hDC, HALFTONE);
            StretchBlt(item.hDC, x, y, size, size, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
            SetStretchBltMode(item.hDC, oldMode);
        }
    } else if (picture.icon) {
        DrawIconEx(item.hDC, x, y, picture.icon.get(), size, size, 0, nullptr, DI_NORMAL);
    }
}

} // namespace norvane
