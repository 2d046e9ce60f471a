// Colours, fonts, shadowed text, blends, frames and shortcut pictures.
#include "Painter.h"

#include "CeShell.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageShortcutIcon.h"
#include "Module.h"
#include "TodayApi.h"

#include <algorithm>

namespace norvane {

namespace {
constexpr int kTextColourIndex = 4;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNearWhite = 0xFEFFFF;

COLORREF Resolve(ColorValue value, COLORREF automatic) {
    return value == kAutomaticColor ? automatic : ToColorRef(value);
}

COLORREF TodayColour(HWND todayParent, WPARAM which, COLORREF fallback) {
    if (!todayParent) {
        return fallback;
    }
    return static_cast<COLORREF>(SendMessageW(todayParent, TODAYM_GETCOLOR, which, 0));
}
} // namespace

COLORREF ToColorRef(ColorValue value) {
    return static_cast<COLORREF>(value & 0xFFFFFF);
}

BYTE OpacityToAlpha(int percent) {
    percent = std::min(std::max(percent, 0), 100);
    return static_cast<BYTE>(percent * 255 / 100);
}

COLORREF AutomaticShadow(COLORREF text) {
    int sum = GetRValue(text) + GetGValue(text) + GetBValue(text);
    return sum < 200 ? kNearWhite : kBlack;
}

PaintColours ResolvePaintColours(const GeneralOptions& g, HWND todayParent, COLORREF separator) {
    PaintColours c;
    const COLORREF systemText = SystemColour(kTextColourIndex, kBlack);
    c.caption = Resolve(g.CaptionColor, systemText);
    c.captionShadow = Resolve(g.CaptionShadowColor, AutomaticShadow(c.caption));
    c.selectedCaption = Resolve(g.SelectedCaptionColor,
                                TodayColour(todayParent, TODAYCOLOR_HIGHLIGHTEDTEXT, RGB(255, 255, 255)));
    c.selectedCaptionShadow = Resolve(g.SelectedCaptionShadowColor, AutomaticShadow(c.selectedCaption));
    c.tabText = Resolve(g.TabTextColor, systemText);
    c.currentTabText = Resolve(g.CurrentTabTextColor, systemText);
    c.tabTextShadow = Resolve(g.TabTextShadowColor, AutomaticShadow(c.tabText));
    c.currentTabTextShadow = Resolve(g.CurrentTabTextShadowColor, AutomaticShadow(c.currentTabText));
    c.selection = Resolve(g.SelectedItemColor, GetSysColor(COLOR_HIGHLIGHT));
    c.selectionAlpha = OpacityToAlpha(g.SelectedShortcutOpacity);
    c.tabBackground = g.TabBGColor != kAutomaticColor;
    c.tabBackgroundColour = ToColorRef(g.TabBGColor);
    c.tabAlpha = OpacityToAlpha(g.TabOpacity);
    c.currentTabBackground = g.CurrentTabBGColor != kAutomaticColor;
    c.currentTabBackgroundColour = ToColorRef(g.CurrentTabBGColor);
    c.currentTabAlpha = OpacityToAlpha(g.CurrentTabOpacity);
    c.floatingPanelBackground = g.FloatingPanelColor != kAutomaticColor;
    c.floatingPanel = ToColorRef(g.FloatingPanelColor);
    c.floatingPanelAlpha = OpacityToAlpha(g.FloatingPanelOpacity);
    c.separator = separator;
    return c;
}

HFONT CreateItemFont(const std::wstring& face, int height, bool bold) {
    LOGFONTW font = {};
    CeGetSystemFont(&font);
    if (!face.empty()) {
        std::wstring name = face.substr(0, std::min<size_t>(face.size(), 31));
        wcsncpy_s(font.lfFaceName, LF_FACESIZE, name.c_str(), _TRUNCATE);
    }
    font.lfHeight = height;
    font.lfWidth = 0;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return CreateFontIndirectW(&font);
}

void BlendRect(HDC dc, const RECT& rect, COLORREF colour, BYTE alpha) {
    if (rect.bottom <= rect.top || rect.right <= rect.left || alpha == 0) {
        return;
    }
    FillTranslucent(dc, rect, colour, alpha);
}

void DrawShadowedText(HDC dc, const std::wstring& text, const RECT& rect, UINT format, COLORREF colour,
                      COLORREF shadow, int style) {
    if (text.empty()) {
        return;
    }
    const int length = static_cast<int>(text.size());
    auto drawAt = [&](int dx, int dy, COLORREF c) {
        RECT r = {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
        SetTextColor(dc, c);
        DrawTextW(dc, text.c_str(), length, &r, format);
    };
    if (style == 1) {
        drawAt(1, 1, shadow);
    } else if (style == 2) {
        drawAt(1, 1, shadow);
        drawAt(1, -1, shadow);
        drawAt(-1, -1, shadow);
        drawAt(-1, 1, shadow);
    }
    drawAt(0, 0, colour);
}

void DrawFrame(HDC dc, const RECT& rect, COLORREF colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

void DrawVerticalEdges(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT left = {rect.left, rect.top, rect.left + 1, rect.bottom};
    RECT right = {rect.right - 1, rect.top, rect.right, rect.bottom};
    FillRect(dc, &left, brush);
    FillRect(dc, &right, brush);
    DeleteObject(brush);
}

bool DrawShortcutPicture(HDC dc, const ShortcutIcon& icon, int x, int y, int size) {
    if (!icon.image.IsEmpty()) {
        return DrawImage(icon.image, dc, x, y);
    }
    if (icon.bitmap) {
        BITMAP info = {};
        if (!GetObjectW(icon.bitmap.get(), sizeof(info), &info)) {
            return false;
        }
        UniqueMemoryDc source(CreateCompatibleDC(dc));
        SelectedObject selected(source.get(), icon.bitmap.get());
        return BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY) != FALSE;
    }
    if (icon.icon) {
        return DrawIconEx(dc, x, y, icon.icon.get(), size, size, 0, nullptr, DI_NORMAL) != FALSE;
    }
    return false;
}

const ShortcutIcon* PictureOf(const CachedIcon* cached) {
    if (!cached) {
        return nullptr;
    }
    // The icon loader keeps its picture in a ShortcutIconCache.
    const auto* cache = dynamic_cast<const ShortcutIconCache*>(cached);
    return cache && cache->icon.IsLoaded() ? &cache->icon : nullptr;
}

ThemeImageContext ItemThemeContext(const Settings& settings) {
    ThemeImageContext context;
    context.additionalImagesPath = settings.General.AdditionalImagesPath;
    context.installFolder = ReadInstallFolder();
    context.shellReady = IsAPIReady(SH_SHELL) != FALSE;
    // Our own module carries the fallback pictures; a language module carries
    // only texts.
    context.resourceModule = Module::Instance();
    return context;
}

void PaintDoubleBuffered(HWND hwnd, const std::function<void(HDC, const RECT&)>& paint) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width > 0 && height > 0) {
        // A 32-bit section rather than a device bitmap: the pictures blend
        // straight into its bits, without copies to and from a scratch section.
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        UniqueMemoryDc memory(CreateCompatibleDC(hdc));
        UniqueBitmap bitmap(CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap) {
            bitmap.reset(CreateCompatibleBitmap(hdc, width, height));
        }
        if (memory && bitmap) {
            SelectedObject selected(memory.get(), bitmap.get());
            paint(memory.get(), client);
            BitBlt(hdc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(hwnd, &ps);
}

} // namespace norvane
