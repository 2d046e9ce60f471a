// Meters drawn into a 32-bit section, held against pictures worked out here
// independently: covered pixels counted, colours read at known rows, the pie's
// sector from the angle of each pixel. Sizes 16, 32 and 64 with the display
// facts of the 96-dpi and the 192-dpi screen. A failing test leaves its
// picture as a BMP file beside the test program.
#include "MeterRenderer.h"
#include "MeterTestSource.h"
#include "TestSupport.h"

#include "ImageHandles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace norvane {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(200, 40, 40); // FakeMeterSource's pictures
constexpr double kPi = 3.14159265358979323846;

// Every kind answers the same percent; charging as asked.
class FixedPlatform : public StatusPlatform {
public:
    int percent = 50;
    bool charging = false;
    bool backupCharging = false;
    bool ReadPowerStatus(std::uint8_t (&record)[kPowerStatusSize]) override {
        std::memset(record, 0, sizeof record);
        record[powerbyte::kBatteryFlag] = charging ? 9 : 1;
        record[powerbyte::kBatteryPercent] = static_cast<std::uint8_t>(percent);
        record[powerbyte::kBackupBatteryFlag] = backupCharging ? 8 : 1;
        record[powerbyte::kBackupBatteryPercent] = static_cast<std::uint8_t>(percent);
        return true;
    }
    bool ReadMemoryStatus(unsigned& load, std::uint32_t& total, std::uint32_t& available) override {
        load = static_cast<unsigned>(100 - percent);
        total = 64u << 20;
        available = 38u << 20;
        return true;
    }
    bool ReadFreeSpace(const std::wstring&, std::uint64_t& freeBytes, std::uint64_t& totalBytes) override {
        totalBytes = 1000ull << 20;
        freeBytes = totalBytes * static_cast<std::uint64_t>(percent) / 100;
        return true;
    }
    bool IsFolder(const std::wstring&) override { return true; }
};

// A white 32-bit canvas that meters are drawn into.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap.reset(
            CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0));
        m_dc.reset(CreateCompatibleDC(nullptr));
        m_old = SelectObject(m_dc.get(), m_bitmap.get());
        Clear();
    }
    ~Canvas() {
        // A failing test leaves the picture it drew last.
        if (::testing::Test::HasFailure()) {
            Save(::testing::UnitTest::GetInstance()->current_test_info()->name());
        }
        SelectObject(m_dc.get(), m_old);
    }
    void Clear() {
        for (int i = 0; i < m_width * m_height; ++i) {
            m_bits[i] = 0xFFFFFF;
        }
    }
    HDC Dc() const { return m_dc.get(); }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const DWORD v = m_bits[y * m_width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Pixels of a colour within a rectangle.
    int Count(int left, int top, int right, int bottom, COLORREF colour) const {
        int n = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                n += At(x, y) == colour;
            }
        }
        return n;
    }
    int CountNot(int left, int top, int right, int bottom, COLORREF colour) const {
        return (right - left) * (bottom - top) - Count(left, top, right, bottom, colour);
    }
    void Save(const std::string& name) const {
        GdiFlush();
        FILE* f = std::fopen((name + ".bmp").c_str(), "wb");
        if (!f) {
            return;
        }
        BITMAPFILEHEADER fh = {};
        BITMAPINFOHEADER ih = {};
        ih.biSize = sizeof(ih);
        ih.biWidth = m_width;
        ih.biHeight = -m_height;
        ih.biPlanes = 1;
        ih.biBitCount = 32;
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(fh) + sizeof(ih);
        fh.bfSize = fh.bfOffBits + m_width * m_height * 4;
        std::fwrite(&fh, sizeof(fh), 1, f);
        std::fwrite(&ih, sizeof(ih), 1, f);
        std::fwrite(m_bits, 4, static_cast<std::size_t>(m_width) * m_height, f);
        std::fclose(f);
    }

private:
    int m_width;
    int m_height;
    DWORD* m_bits = nullptr;
    UniqueBitmap m_bitmap;
    UniqueMemoryDc m_dc;
    HGDIOBJ m_old = nullptr;
};

struct Screen {
    const char* name;
    int dpi;
    bool hiRes;
};
constexpr Screen kScreens[] = {{"qvga", 96, false}, {"vga", 192, true}};

class MeterRendererTest : public ::testing::Test {
protected:
    std::unique_ptr<MeterDefinition> Load(const std::wstring& text, int size) {
        SettingsFile file;
        file.LoadFromBytes(test::Utf16File(text));
        auto definition = std::make_unique<MeterDefinition>();
        definition->Load(file, L"\\m\\meter.ini", size, nullptr, source);
        return definition;
    }
    void Draw(MeterDefinition& definition, Canvas& canvas, int x, int y, int percent, const Screen& screen,
              bool text = true) {
        platform.percent = percent;
        status.UpdatePower();
        status.UpdateMemory();
        status.UpdateMainStorage();
        status.UpdateStorageCards();
        MeterDrawContext context;
        context.status = &status;
        context.images = &source;
        context.drawText = text;
        context.dpiY = screen.dpi;
        context.hiResDisplay = screen.hiRes;
        context.trueVga = 0;
        canvas.Clear();
        DrawMeter(definition, canvas.Dc(), x, y, context);
    }
    test::FakeMeterSource source;
    FixedPlatform platform;
    SystemStatus status{platform};
};

TEST_F(MeterRendererTest, RevealUncoversItsRowsFromTheBottom) {
    for (const Screen& screen : kScreens) {
        for (int size : {16, 32, 64}) {
            SCOPED_TRACE(std::string(screen.name) + " " + std::to_string(size));
            // The picture carries rows 2 .. size - 3.
            const int first = 2;
            const int last = size - 3;
            source.AddImage(L"\\m\\r.tga", size, size, first, last);
            auto meter = Load(
                L"[general]\r\ntype=reveal\r\n[" + std::to_wstring(size) + L"]\r\nbattery=r.tga\r\n", size);
            Canvas canvas(size, size);
            for (int percent : {0, 3, 25, 50, 99, 100}) {
                Draw(*meter, canvas, 0, 0, percent, screen);
                // Worked out by hand: d = percent * E / 100 rows, of which the
                // bottom d - 1 show, ending one row above the last.
                const int lines = last - first + 1;
                const int d = percent * lines / 100;
                const int shown = std::max(d - 1, 0);
                EXPECT_EQ(canvas.Count(0, 0, size, size, kRed), shown * size) << percent << " %";
                if (shown > 0) {
                    const int top = last - d + 1;
                    EXPECT_EQ(canvas.At(0, top), kRed) << percent;
                    EXPECT_EQ(canvas.At(size - 1, last - 1), kRed) << percent;
                    EXPECT_EQ(canvas.At(0, top - 1), kWhite) << percent;
                    EXPECT_EQ(canvas.At(0, last), kWhite) << "the last row never shows";
                }
            }
        }
    }
}

TEST_F(MeterRendererTest, HorizontalRevealUncoversColumnsFromTheLeft) {
    source.AddImage(L"\\m\\h.tga", 32, 32, 4, 27, true);
    auto meter = Load(L"[general]\r\ntype=reveal\r\ndir=horizontal\r\n[32]\r\nbattery=h.tga\r\n", 32);
    Canvas canvas(48, 40);
    Draw(*meter, canvas, 8, 4, 50, kScreens[0]);
    // E = 24, d = 12: columns 4 .. 14 of the picture, at x 12 .. 22.
    EXPECT_EQ(canvas.Count(0, 0, 48, 40, kRed), 11 * 32);
    EXPECT_EQ(canvas.At(12, 4), kRed);
    EXPECT_EQ(canvas.At(22, 35), kRed);
    EXPECT_EQ(canvas.At(23, 20), kWhite);
    EXPECT_EQ(canvas.At(11, 20), kWhite);
}

TEST_F(MeterRendererTest, ColourFillColoursTheLitPixelsOfItsShare) {
    for (const Screen& screen : kScreens) {
        for (int size : {32, 64}) {
            SCOPED_TRACE(std::string(screen.name) + " " + std::to_string(size));
            // Horizontal, lit in rows 10 .. 19 across columns 0 .. size - 1.
            source.masks[L"\\m\\f.bmp"] = [size]() {
                std::vector<std::uint8_t> lit(static_cast<std::size_t>(size) * size, 0);
                for (int y = 10; y < 20; ++y) {
                    for (int x = 0; x < size; ++x) {
                        lit[static_cast<std::size_t>(y) * size + x] = 1;
                    }
                }
                auto mask = std::make_unique<MeterMask>();
                mask->Assign(size, size, std::move(lit));
                return mask;
            };
            const std::wstring n = std::to_wstring(size);
            auto meter = Load(L"[general]\r\ndir=horizontal\r\n[" + n +
                                  L"]\r\nmemory=f.bmp\r\n[colors-memory]\r\n"
                                  L"color1=40,255,0,0\r\ncolor2=100,0,255,0\r\n",
                              size);
            Canvas canvas(size, size);
            // 50 %: d = size / 2, columns 0 .. d (d + 1 of them), rows 10 .. 19 only.
            Draw(*meter, canvas, 0, 0, 50, screen);
            const int d = size / 2;
            EXPECT_EQ(canvas.Count(0, 0, size, size, RGB(0, 255, 0)), (d + 1) * 10);
            EXPECT_EQ(canvas.At(d, 10), RGB(0, 255, 0));
            EXPECT_EQ(canvas.At(d + 1, 10), kWhite);
            EXPECT_EQ(canvas.At(0, 9), kWhite);
            // 40 % is red, 41 % green.
            Draw(*meter, canvas, 0, 0, 40, screen);
            EXPECT_EQ(canvas.Count(0, 0, size, size, RGB(255, 0, 0)), (40 * size / 100 + 1) * 10);
            Draw(*meter, canvas, 0, 0, 41, screen);
            EXPECT_EQ(canvas.Count(0, 0, size, size, RGB(255, 0, 0)), 0);
            EXPECT_GT(canvas.Count(0, 0, size, size, RGB(0, 255, 0)), 0);
        }
    }
    // Vertical: the last d rows of the extent.
    source.AddMask(L"\\m\\v.bmp", 32, 32, 4, 27);
    auto vertical = Load(L"[32]\r\nmemory=v.bmp\r\n", 32);
    Canvas canvas(32, 32);
    Draw(*vertical, canvas, 0, 0, 25, kScreens[0]);
    EXPECT_EQ(canvas.Count(0, 0, 32, 32, RGB(0, 0, 255)), 6 * 32) << "24 rows at 25 %: 6, in blue";
    EXPECT_EQ(canvas.At(5, 22), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(5, 21), kWhite);
    EXPECT_EQ(canvas.At(5, 28), kWhite);
}

// Whether a pixel of the meter square lies in the sector of the value, by its
// angle clockwise from straight up around the centre; -1 when it lies within
// three pixels of an edge of the sector (or near the centre) to say.
int ExpectedInPie(int i, int j, int centreX, int centreY, int percent) {
    const double dx = i + 0.5 - centreX;
    const double dy = j + 0.5 - centreY;
    if (std::hypot(dx, dy) < 3.0) {
        return -1;
    }
    double angle = std::atan2(dx, -dy);
    if (angle < 0) {
        angle += 2 * kPi;
    }
    const double end = std::min(percent, 100) * 2 * kPi / 100;
    for (double edge : {0.0, end}) {
        // Distance from the ray of the edge (direction sin, -cos).
        const double along = dx * std::sin(edge) - dy * std::cos(edge);
        const double across = std::fabs(dx * std::cos(edge) + dy * std::sin(edge));
        if (along > -1.0 && across < 3.0) {
            return -1;
        }
    }
    // The tangent table puts an octant's last edge up to 1.8 degrees off the
    // value's own direction (12 % ends at the corner, at 45 degrees), and the
    // pen adds a pixel along every edge.
    if (std::fabs(angle - end) < 0.035 || angle < 0.03) {
        return -1;
    }
    return angle < end ? 1 : 0;
}

TEST_F(MeterRendererTest, PieShowsTheSectorOfItsValue) {
    for (int size : {16, 32, 64}) {
        source.images[L"\\m\\p.tga"] = [size](Bitmap32& image) {
            image.CreateFilled(size, size, MakeColor(200, 40, 40), 255);
        };
        const int centre = size / 2;
        const std::wstring n = std::to_wstring(size);
        auto meter = Load(L"[general]\r\ntype=pie\r\n[" + n + L"]\r\nbackup-battery=p.tga\r\npiecenter=" +
                              std::to_wstring(centre) + L"," + std::to_wstring(centre) + L"\r\n",
                          size);
        Canvas canvas(size, size);
        for (int percent : {1, 12, 13, 25, 37, 50, 60, 75, 88, 99, 100}) {
            SCOPED_TRACE(std::to_string(size) + " px at " + std::to_string(percent) + " %");
            Draw(*meter, canvas, 0, 0, percent, kScreens[0]);
            int wrong = 0;
            for (int j = 0; j < size; ++j) {
                for (int i = 0; i < size; ++i) {
                    const int expected = ExpectedInPie(i, j, centre, centre, percent);
                    if (expected >= 0 && (canvas.At(i, j) == kRed) != (expected == 1)) {
                        ++wrong;
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
            // The covered share of the square, within a row of pixels.
            const int covered = canvas.Count(0, 0, size, size, kRed);
            if (percent == 100) {
                EXPECT_EQ(covered, size * size) << "all eight triangles cover the whole square";
            } else if (percent % 25 == 0) {
                EXPECT_NEAR(covered, size * size * percent / 100, 2 * size);
            }
        }
        // 0 %: nothing.
        Draw(*meter, canvas, 0, 0, 0, kScreens[0]);
        EXPECT_EQ(canvas.Count(0, 0, size, size, kRed), 0);
    }
}

TEST_F(MeterRendererTest, ChargingOverlayFollowsItsBattery) {
    source.AddImage(L"\\m\\b.tga", 32, 32, 0, 31);
    // The overlay: a blue square in the top-left corner.
    source.images[L"\\m\\plug.tga"] = [](Bitmap32& image) {
        image.CreateFilled(8, 8, MakeColor(0, 0, 255), 255);
    };
    auto meter = Load(L"[general]\r\ntype=reveal\r\n[32]\r\nbattery=b.tga\r\nbattery-charging=plug.tga\r\n"
                      L"backup-battery=b.tga\r\nbackup-battery-charging=plug.tga\r\n",
                      32);
    Canvas canvas(32, 32);
    const COLORREF blue = RGB(0, 0, 255);
    platform.charging = false;
    platform.backupCharging = false;
    Draw(*meter, canvas, 0, 0, 1, kScreens[0]);
    EXPECT_EQ(canvas.Count(0, 0, 32, 32, blue), 0) << "not charging: no overlay";
    platform.charging = true;
    Draw(*meter, canvas, 0, 0, 1, kScreens[0]);
    EXPECT_EQ(canvas.Count(0, 0, 32, 32, blue), 64);
    platform.charging = false;
    platform.backupCharging = true;
    Draw(*meter, canvas, 0, 0, 1, kScreens[0]);
    EXPECT_EQ(canvas.Count(0, 0, 32, 32, blue), 64) << "the backup battery's own overlay";
}

TEST_F(MeterRendererTest, ValueTextWithGlowIsDrawnLastAndFollowsTheFontRule) {
    source.AddImage(L"\\m\\b.tga", 32, 32, 0, 31);
    source.images[L"\\m\\plug.tga"] = [](Bitmap32& image) {
        image.CreateFilled(32, 32, MakeColor(0, 0, 255), 255);
    };
    for (const Screen& screen : kScreens) {
        SCOPED_TRACE(screen.name);
        auto meter =
            Load(L"[general]\r\ntype=reveal\r\n[32]\r\nbattery=b.tga\r\nbattery-charging=plug.tga\r\n"
                 L"[battery-32-text]\r\nrect=0,0,32,32\r\ncolor=255,255,0\r\nshadow=glow\r\n"
                 L"shadow-color=0,0,0\r\nbold=true\r\n",
                 32);
        Canvas canvas(32, 32);
        platform.charging = true;
        Draw(*meter, canvas, 0, 0, 88, screen);
        // The overlay covers everything, and the text is on top of it.
        const int yellow = canvas.Count(0, 0, 32, 32, RGB(255, 255, 0));
        const int black = canvas.Count(0, 0, 32, 32, RGB(0, 0, 0));
        EXPECT_GT(yellow, 10);
        EXPECT_GT(black, yellow) << "the glow surrounds the letters";
        // 10-pixel text on both screens: the letters stand about 7 to 11 rows tall.
        int top = 32;
        int bottom = -1;
        for (int y = 0; y < 32; ++y) {
            if (canvas.Count(0, y, 32, y + 1, RGB(255, 255, 0)) > 0) {
                top = std::min(top, y);
                bottom = y;
            }
        }
        EXPECT_GE(bottom - top + 1, 6);
        EXPECT_LE(bottom - top + 1, 11);
        // Without text (the caption shows the value), only the overlay.
        Draw(*meter, canvas, 0, 0, 88, screen, false);
        EXPECT_EQ(canvas.Count(0, 0, 32, 32, RGB(0, 0, 255)), 32 * 32);
        platform.charging = false;
    }
}

TEST_F(MeterRendererTest, HostileFilesDrawNothingOutsideTheMeter) {
    // Pictures far larger than the meter, a text far outside it, absurd pie
    // centres and font sizes: everything stays inside the 32 x 32 square.
    source.images[L"\\m\\huge.tga"] = [](Bitmap32& image) {
        image.CreateFilled(400, 300, MakeColor(200, 40, 40), 255);
    };
    source.masks[L"\\m\\huge.bmp"] = []() {
        auto mask = std::make_unique<MeterMask>();
        mask->Assign(300, 300, std::vector<std::uint8_t>(300 * 300, 1));
        return mask;
    };
    const wchar_t* files[] = {
        L"[general]\r\ntype=reveal\r\n[32]\r\nbattery=huge.tga\r\nbattery-charging=huge.tga\r\n"
        L"[battery-32-text]\r\nrect=-2000000000,-5,2000000000,90000\r\nsize=2147483647\r\ncolor=0,0,0\r\n",
        L"[general]\r\ntype=reveal\r\ndir=horizontal\r\n[32]\r\nmemory=huge.tga\r\n",
        L"[general]\r\ntype=pie\r\n[32]\r\nbattery=huge.tga\r\npiecenter=-2147483648,2147483647\r\n",
        L"[general]\r\ntype=pie\r\n[32]\r\nbattery=huge.tga\r\npiecenter=16,16\r\n",
        L"[32]\r\nstorage-main=huge.bmp\r\n[colors-storage-main]\r\ncolor1=100,1,2,3\r\n",
        L"[general]\r\ndir=horizontal\r\n[32]\r\nstorage-main=huge.bmp\r\n",
    };
    for (const wchar_t* text : files) {
        SCOPED_TRACE(Utf16ToUtf8(text));
        auto meter = Load(text, 32);
        Canvas canvas(96, 96);
        platform.charging = true;
        for (int percent : {1, 50, 100}) {
            Draw(*meter, canvas, 32, 32, percent, kScreens[1]);
            const int inside = canvas.CountNot(32, 32, 64, 64, kWhite);
            const int everywhere = canvas.CountNot(0, 0, 96, 96, kWhite);
            EXPECT_EQ(everywhere, inside) << percent << " %: pixels changed outside the meter";
        }
        platform.charging = false;
    }
}

} // namespace
} // namespace norvane
