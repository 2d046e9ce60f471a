// The preview sheet: one cell per value and state, each a fresh status record
// that answers that value for every kind.
#include "MeterPreview.h"

#include "DisplayScale.h"
#include "FileLayer.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageLoader.h"
#include "MeterImages.h"
#include "MeterRenderer.h"
#include "PlatformServices.h"
#include "PngWriter.h"
#include "TextCodec.h"

#include <cstring>

namespace norvane::meter {

namespace {

constexpr int kValues[] = {0, 5, 25, 50, 75, 100};
constexpr COLORREF kLight = RGB(244, 246, 248);
constexpr COLORREF kDark = RGB(32, 37, 44);
constexpr COLORREF kLabel = RGB(90, 96, 104);
constexpr std::uint64_t kVolume = 1048576000ull; // 1000 MB: every percent is exact
constexpr std::uint32_t kMemory = 64u << 20;

// Every status source answers one value.
class PreviewPlatform : public StatusPlatform {
public:
    PreviewPlatform(int percent, bool charging) : m_percent(percent), m_charging(charging) {}
    bool ReadPowerStatus(std::uint8_t (&record)[kPowerStatusSize]) override {
        std::memset(record, 0, sizeof record);
        const std::uint8_t level = m_percent < 5 ? 4 : m_percent < 20 ? 2 : 1;
        const std::uint8_t flag = static_cast<std::uint8_t>(level | (m_charging ? 8 : 0));
        record[powerbyte::kACLine] = m_charging ? 1 : 0;
        record[powerbyte::kBatteryFlag] = flag;
        record[powerbyte::kBatteryPercent] = static_cast<std::uint8_t>(m_percent);
        record[powerbyte::kBackupBatteryFlag] = flag;
        record[powerbyte::kBackupBatteryPercent] = static_cast<std::uint8_t>(m_percent);
        return true;
    }
    bool ReadMemoryStatus(unsigned& load, std::uint32_t& total, std::uint32_t& available) override {
        load = static_cast<unsigned>(100 - m_percent);
        total = kMemory;
        available = static_cast<std::uint32_t>(static_cast<std::uint64_t>(kMemory) * m_percent / 100);
        return true;
    }
    bool ReadFreeSpace(const std::wstring&, std::uint64_t& freeBytes, std::uint64_t& totalBytes) override {
        totalBytes = kVolume;
        freeBytes = kVolume * static_cast<std::uint64_t>(m_percent) / 100;
        return true;
    }
    bool IsFolder(const std::wstring&) override { return true; }

private:
    int m_percent;
    bool m_charging;
};

// The device's loaders, with a storage card always there.
class PreviewSource : public DeviceMeterSource {
public:
    std::wstring FirstStorageCard() override { return L"Storage Card"; }
};

std::string Utf8(std::wstring_view text) {
    return Utf16ToUtf8(text);
}

} // namespace

bool DrawPreviewSheet(const PreviewRequest& request, std::string& err) {
    ImagingService imaging; // PNG pictures need it
    const int n = request.size;
    // The screen a meter of this size is drawn on: 64 only on 192-dpi screens.
    const bool highResolution = n == 64;
    const int dpi = highResolution ? 192 : 96;
    SetDisplayFlags(false, highResolution);
    SetScreenDpi(dpi, dpi);

    PreviewSource source;
    MeterDefinition definition;
    definition.Load(request.file, n, nullptr, source);
    Bitmap32 picture;
    MeterImageProbe(request.file, n, &picture, source);
    if (definition.Elements.empty() && picture.IsEmpty()) {
        err += "norvane-meter: '" + Utf8(request.file) + "' has nothing to draw at size " +
               std::to_string(n) + " (see norvane-meter check)\n";
        return false;
    }

    const int pad = std::max(6, n / 4);
    const int cell = n + 2 * pad;
    const int labelHeight = 16;
    const int labelWidth = 64;
    const int columns = static_cast<int>(std::size(kValues));
    const int rows = 4; // light, dark; then charging light, charging dark
    const int width = labelWidth + columns * cell;
    const int height = labelHeight + rows * cell;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap sheet(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!sheet || !dc || !bits) {
        err += "norvane-meter: cannot create the sheet\n";
        return false;
    }
    {
        SelectedObject selected(dc.get(), sheet.get());
        RECT all = {0, 0, width, height};
        UniqueBrush white(CreateSolidBrush(RGB(255, 255, 255)));
        FillRect(dc.get(), &all, white.get());
        LOGFONTW face = {};
        face.lfHeight = -11;
        face.lfWeight = FW_NORMAL;
        wcscpy_s(face.lfFaceName, LF_FACESIZE, L"Tahoma");
        std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter> font(CreateFontIndirectW(&face));
        SelectedObject selectedFont(dc.get(), font.get());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), kLabel);
        for (int c = 0; c < columns; ++c) {
            const std::wstring label = std::to_wstring(kValues[c]) + L"%";
            RECT at = {labelWidth + c * cell, 0, labelWidth + (c + 1) * cell, labelHeight};
            DrawTextW(dc.get(), label.c_str(), -1, &at, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        for (int r = 0; r < rows; ++r) {
            const bool charging = r >= 2;
            const COLORREF background = r % 2 == 0 ? kLight : kDark;
            RECT label = {2, labelHeight + r * cell, labelWidth, labelHeight + (r + 1) * cell};
            DrawTextW(dc.get(), charging ? L"charging" : L"not charging", -1, &label,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            for (int c = 0; c < columns; ++c) {
                const int left = labelWidth + c * cell;
                const int top = labelHeight + r * cell;
                RECT box = {left, top, left + cell, top + cell};
                UniqueBrush fill(CreateSolidBrush(background));
                FillRect(dc.get(), &box, fill.get());
                PreviewPlatform platform(kValues[c], charging);
                SystemStatus status(platform);
                status.UpdatePower();
                status.UpdateMemory();
                status.UpdateMainStorage();
                if (!picture.IsEmpty()) {
                    DrawImage(picture, dc.get(), left + pad, top + pad);
                }
                MeterDrawContext context;
                context.status = &status;
                context.images = &source;
                context.dpiY = dpi;
                context.hiResDisplay = highResolution ? 1 : 0;
                context.trueVga = 0;
                DrawMeter(definition, dc.get(), left + pad, top + pad, context);
            }
        }
        GdiFlush();
    }
    const int zoom = request.zoom;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * zoom * height * zoom * 3);
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < height * zoom; ++y) {
        for (int x = 0; x < width * zoom; ++x) {
            const std::uint8_t* p = pixels + (static_cast<std::size_t>(y / zoom) * width + x / zoom) * 4;
            std::uint8_t* q = rgb.data() + (static_cast<std::size_t>(y) * width * zoom + x) * 3;
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    }
    const std::string png = EncodePng(width * zoom, height * zoom, rgb);
    auto writer = DefaultFileLayer().Create(request.output);
    if (!writer || !writer->Write(png.data(), png.size()) || !writer->Close()) {
        err += "norvane-meter: cannot write '" + Utf8(request.output) + "'\n";
        return false;
    }
    return true;
}

} // namespace norvane::meter
