// Colour fill, reveal, pie, charging overlay and value text of a meter.
#include "MeterRenderer.h"

#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "MeterGeometry.h"
#include "MeterImages.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace norvane {

namespace {

// Text rectangles far outside the meter are pulled in this far, so that adding
// the meter's position can never overflow; the square clips them anyway.
constexpr int kTextReach = 4;

std::mutex g_fontLock;
std::map<std::pair<int, bool>, HFONT> g_fonts;

// Pie masks by size and value: a meter is drawn again and again at the same
// value, and drawing a mask costs far more than looking it up.
constexpr std::size_t kMaxCachedPieMasks = 64;
std::mutex g_pieLock;
std::map<std::pair<int, int>, std::vector<std::uint8_t>> g_pieMasks;

std::vector<std::uint8_t> CachedPieMask(int size, int percent) {
    {
        std::lock_guard<std::mutex> guard(g_pieLock);
        auto found = g_pieMasks.find({size, percent});
        if (found != g_pieMasks.end()) {
            return found->second;
        }
    }
    std::vector<std::uint8_t> mask = RenderPieMask(size, percent);
    std::lock_guard<std::mutex> guard(g_pieLock);
    if (g_pieMasks.size() >= kMaxCachedPieMasks) {
        g_pieMasks.clear();
    }
    g_pieMasks[{size, percent}] = mask;
    return mask;
}

HFONT MeterFont(int height, bool bold) {
    std::lock_guard<std::mutex> guard(g_fontLock);
    auto key = std::make_pair(height, bold);
    auto found = g_fonts.find(key);
    if (found != g_fonts.end()) {
        return found->second;
    }
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = bold ? 700 : 300;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(font.lfFaceName, LF_FACESIZE, L"Tahoma");
    HFONT created = CreateFontIndirectW(&font);
    if (created) {
        g_fonts[key] = created;
    }
    return created;
}

COLORREF ToColour(ColorValue value) {
    return RGB(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// The meter's pixels of a colour-fill element: the colour where the mask is
// lit within the covered lines, transparent elsewhere. Drawn through the
// alpha routine, alpha 255 replaces the pixel and alpha 0 leaves it.
void DrawColourFill(const MeterDefinition& definition, const MeterElement& element, int percent, HDC dc,
                    int x, int y) {
    if (!element.Mask || element.ExtentLast == -1) {
        return;
    }
    const MeterSpan span =
        ColourFillSpan(element.ExtentFirst, element.ExtentLast, percent, definition.Horizontal);
    if (span.count <= 0) {
        return;
    }
    const int size = definition.Size;
    const MeterMask& mask = *element.Mask;
    const int width = std::min(size, mask.Width());
    const int height = std::min(size, mask.Height());
    if (width <= 0 || height <= 0) {
        return;
    }
    Bitmap32 fill;
    if (!fill.CreateFilled(width, height, MeterColourFor(element, percent), 0)) {
        return;
    }
    const int first = std::max(span.first, 0);
    const int last = span.first + span.count - 1;
    bool any = false;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const int line = definition.Horizontal ? i : j;
            if (line >= first && line <= last && mask.IsLit(i, j)) {
                fill.Alpha()[static_cast<std::size_t>(j) * width + i] = 255;
                any = true;
            }
        }
    }
    if (any) {
        DrawImage(fill, dc, x, y);
    }
}

void DrawReveal(const MeterDefinition& definition, const MeterElement& element, int percent, HDC dc, int x,
                int y) {
    if (element.Image.IsEmpty() || element.ExtentLast == -1) {
        return;
    }
    const MeterSpan span =
        RevealSpan(element.ExtentFirst, element.ExtentLast, percent, definition.Horizontal);
    const int size = definition.Size;
    if (span.count <= 0 || span.first >= size) {
        return;
    }
    const Bitmap32& image = element.Image;
    const int lines = std::min(span.count, size - span.first);
    if (definition.Horizontal) {
        // Columns span.first onwards over the image's full height.
        DrawImageRegion(image, dc, x + span.first, y, lines, std::min(image.Height(), size), span.first, 0,
                        lines, -1);
    } else {
        // Rows span.first onwards over the image's full width.
        DrawImageRegion(image, dc, x, y + span.first, std::min(image.Width(), size), lines, 0, span.first, -1,
                        lines);
    }
}

void DrawPie(const MeterDefinition& definition, const MeterElement& element, int percent, HDC dc, int x,
             int y) {
    if (element.Image.IsEmpty() || percent < 1) {
        return;
    }
    const int size = definition.Size;
    const std::vector<std::uint8_t> mask = CachedPieMask(size, std::min(percent, 100));
    if (mask.empty()) {
        return;
    }
    const Bitmap32& image = element.Image;
    const int width = std::min(size, image.Width());
    const int height = std::min(size, image.Height());
    Bitmap32 sector;
    if (width <= 0 || height <= 0 || !sector.Allocate(width, height)) {
        return;
    }
    // Inside the sector the image's own pixel; outside it nothing, so the
    // background stays as it was.
    const int maskSize = 2 * size;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            int mx = 0;
            int my = 0;
            if (!PieMaskPixel(size, element.PieCentreX, element.PieCentreY, i, j, mx, my) ||
                !mask[static_cast<std::size_t>(my) * maskSize + mx]) {
                continue;
            }
            const std::size_t from = static_cast<std::size_t>(j) * image.Width() + i;
            const std::size_t to = static_cast<std::size_t>(j) * width + i;
            sector.Red()[to] = image.Red()[from];
            sector.Green()[to] = image.Green()[from];
            sector.Blue()[to] = image.Blue()[from];
            sector.Alpha()[to] = image.Alpha()[from];
        }
    }
    DrawImage(sector, dc, x, y);
}

bool Charging(const MeterElement& element, const PowerState& power) {
    return (element.Kind == statuskind::kBattery && power.charging) ||
           (element.Kind == statuskind::kBackupBattery && power.backupCharging);
}

void DrawValueText(const MeterDefinition& definition, const MeterElement& element, HDC dc, int x, int y,
                   const MeterDrawContext& context) {
    const MeterText& text = element.Text;
    const int size = definition.Size;
    const int reach = kTextReach * std::max(size, 1);
    auto pull = [reach](int v) { return std::clamp(v, -reach, reach); };
    RECT rect = {x + pull(text.Rect.left), y + pull(text.Rect.top), x + pull(text.Rect.right),
                 y + pull(text.Rect.bottom)};
    if (text.Rect.IsEmpty() || rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    const std::wstring value = context.status->ValueText(element.Kind, element.StoragePath);
    if (value.empty()) {
        return;
    }
    const int dpiY = context.dpiY > 0 ? context.dpiY : (ScreenDpiY() > 0 ? ScreenDpiY() : 96);
    const bool hiRes = context.hiResDisplay >= 0 ? context.hiResDisplay != 0 : HiResDisplay();
    const bool trueVga = context.trueVga >= 0 ? context.trueVga != 0 : TrueVga();
    HFONT font = MeterFont(MeterFontHeight(dpiY, text.FontSize, hiRes, trueVga), text.Bold);
    if (!font) {
        return;
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    format |= text.Align == MeterTextAlign::Left    ? DT_LEFT
              : text.Align == MeterTextAlign::Right ? DT_RIGHT
                                                    : DT_CENTER;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, x, y, x + size, y + size);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (const MeterPoint& offset : MeterTextOffsets(text.Shadow)) {
        const bool last = offset.x == 0 && offset.y == 0;
        RECT pass = {rect.left + offset.x, rect.top + offset.y, rect.right + offset.x,
                     rect.bottom + offset.y};
        SetTextColor(dc, ToColour(last ? text.Colour : text.ShadowColour));
        DrawTextW(dc, value.c_str(), static_cast<int>(value.size()), &pass, format);
    }
    RestoreDC(dc, saved);
}

} // namespace

std::vector<std::uint8_t> RenderPieMask(int size, int percent) {
    const std::vector<MeterTriangle> triangles = PieTriangles(size, percent);
    if (triangles.empty()) {
        return {};
    }
    const int side = 2 * size;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    if (!section || !memory || !bits) {
        return {};
    }
    {
        SelectedObject selectedBitmap(memory.get(), section.get());
        RECT all = {0, 0, side, side};
        FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        UniquePen pen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
        SelectedObject selectedPen(memory.get(), pen.get());
        SelectedObject selectedBrush(memory.get(), GetStockObject(WHITE_BRUSH));
        for (const MeterTriangle& t : triangles) {
            POINT points[3] = {{t.a.x, t.a.y}, {t.b.x, t.b.y}, {t.c.x, t.c.y}};
            Polygon(memory.get(), points, 3);
        }
        GdiFlush();
    }
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(side) * side);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < mask.size(); ++i) {
        mask[i] = (pixels[i] & 0x00FFFFFFu) != 0 ? 1 : 0;
    }
    return mask;
}

void DrawMeterElement(MeterDefinition& definition, MeterElement& element, HDC dc, int x, int y,
                      const MeterDrawContext& context) {
    if (!context.status || definition.Size <= 0) {
        return;
    }
    const int percent = context.status->Percent(element.Kind, element.StoragePath);
    switch (definition.Type) {
    case MeterDrawingType::Reveal:
        DrawReveal(definition, element, percent, dc, x, y);
        break;
    case MeterDrawingType::Pie:
        DrawPie(definition, element, percent, dc, x, y);
        break;
    default:
        DrawColourFill(definition, element, percent, dc, x, y);
        break;
    }
    if (!element.ChargingImagePath.empty() && Charging(element, context.status->Power())) {
        DeviceMeterSource deviceImages;
        MeterImageSource& images = context.images ? *context.images : deviceImages;
        if (const Bitmap32* overlay = definition.ChargingImage(element, images)) {
            DrawImage(*overlay, dc, x, y, std::min(overlay->Width(), definition.Size),
                      std::min(overlay->Height(), definition.Size));
        }
    }
    if (context.drawText) {
        DrawValueText(definition, element, dc, x, y, context);
    }
}

void DrawMeter(MeterDefinition& definition, HDC dc, int x, int y, const MeterDrawContext& context) {
    for (unsigned kind : statuskind::kOrder) {
        if (!(definition.Kinds & kind)) {
            continue;
        }
        if (MeterElement* element = definition.ElementFor(kind)) {
            DrawMeterElement(definition, *element, dc, x, y, context);
        }
    }
}

void ReleaseMeterCaches() {
    {
        std::lock_guard<std::mutex> guard(g_fontLock);
        for (auto& entry : g_fonts) {
            DeleteObject(entry.second);
        }
        g_fonts.clear();
    }
    std::lock_guard<std::mutex> guard(g_pieLock);
    g_pieMasks.clear();
}

} // namespace norvane
