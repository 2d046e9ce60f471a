#include "ImageBlend.h"
#include "win/ImageDraw.h"
#include "ImageWinTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace norvane;
using namespace norvane::testing;

namespace {

// A 10 x 10 picture: red rising with x, green with y, alpha 255 except a
// transparent first column and a half-transparent second column.
Bitmap32 Gradient() {
    Bitmap32 image;
    image.Allocate(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            std::size_t i = y * 10 + x;
            image.Red()[i] = static_cast<std::uint8_t>(20 * x);
            image.Green()[i] = static_cast<std::uint8_t>(20 * y);
            image.Blue()[i] = 90;
            image.Alpha()[i] = x == 0 ? 0 : x == 1 ? 128 : 255;
        }
    return image;
}

} // namespace

TEST(ImageDraw, OneShotBlendsAtThePositionAndLeavesTheRestAlone) {
    TestCanvas canvas(40, 30);
    canvas.Fill(RGB(200, 100, 50));
    Bitmap32 image = Gradient();
    ASSERT_TRUE(DrawImage(image, canvas.Dc(), 5, 7));
    EXPECT_EQ(canvas.At(5, 7), RGB(200, 100, 50)) << "transparent column keeps the background";
    EXPECT_EQ(canvas.At(6, 8),
              RGB(BlendChannel(20, 200, 128), BlendChannel(20, 100, 128), BlendChannel(90, 50, 128)));
    EXPECT_EQ(canvas.At(14, 16), RGB(180, 180, 90));
    EXPECT_EQ(canvas.At(15, 7), RGB(200, 100, 50)) << "right of the picture";
    EXPECT_EQ(canvas.At(4, 7), RGB(200, 100, 50)) << "left of the picture";
    EXPECT_EQ(canvas.At(10, 17), RGB(200, 100, 50)) << "below the picture";
}

TEST(ImageDraw, LargerRectangleTilesSmallerOneCrops) {
    TestCanvas canvas(40, 30);
    canvas.Fill(RGB(0, 0, 0));
    Bitmap32 image = Gradient();
    // 25 x 5: two and a half copies across, the top half of the picture.
    ASSERT_TRUE(DrawImage(image, canvas.Dc(), 0, 0, 25, 5));
    EXPECT_EQ(canvas.At(12, 3), RGB(40, 60, 90));
    EXPECT_EQ(canvas.At(24, 4), RGB(80, 80, 90));
    EXPECT_EQ(canvas.At(20, 2), RGB(0, 0, 0)) << "transparent column of the third copy";
    EXPECT_EQ(canvas.At(12, 5), RGB(0, 0, 0)) << "below the rectangle";
    EXPECT_EQ(canvas.At(25, 0), RGB(0, 0, 0)) << "right of the rectangle";
    // A 3 x 2 rectangle shows the top-left corner only.
    canvas.Fill(RGB(0, 0, 0));
    ASSERT_TRUE(DrawImage(image, canvas.Dc(), 30, 20, 3, 2));
    EXPECT_EQ(canvas.At(32, 21), RGB(40, 20, 90));
    EXPECT_EQ(canvas.At(33, 21), RGB(0, 0, 0));
}

TEST(ImageDraw, EmptyImagesAndRectanglesDrawNothing) {
    TestCanvas canvas(8, 8);
    canvas.Fill(RGB(1, 2, 3));
    Bitmap32 empty;
    EXPECT_FALSE(DrawImage(empty, canvas.Dc(), 0, 0));
    Bitmap32 image = Gradient();
    EXPECT_FALSE(DrawImage(image, canvas.Dc(), 0, 0, 0, 5));
    EXPECT_FALSE(DrawImage(image, nullptr, 0, 0));
    EXPECT_EQ(canvas.At(3, 3), RGB(1, 2, 3));
    // Partly off the canvas: drawn where it lands, without harm.
    EXPECT_TRUE(DrawImage(image, canvas.Dc(), 4, -3));
    EXPECT_EQ(canvas.At(7, 0), RGB(60, 60, 90));
}

TEST(ImageDraw, FillTranslucentAndRegion) {
    TestCanvas canvas(20, 20);
    canvas.Fill(RGB(255, 255, 255));
    RECT rect{2, 3, 12, 13};
    ASSERT_TRUE(FillTranslucent(canvas.Dc(), rect, RGB(0, 0, 255), 128));
    EXPECT_EQ(canvas.At(2, 3), RGB(BlendChannel(0, 255, 128), BlendChannel(0, 255, 128), 255));
    EXPECT_EQ(canvas.At(11, 12), canvas.At(2, 3));
    EXPECT_EQ(canvas.At(12, 12), RGB(255, 255, 255));
    EXPECT_FALSE(FillTranslucent(canvas.Dc(), RECT{5, 5, 5, 9}, RGB(0, 0, 0), 255));

    // Region: rows 2 to 4 of the picture, drawn at the top-left of (0, 0, 10, 3).
    canvas.Fill(RGB(0, 0, 0));
    Bitmap32 image = Gradient();
    ASSERT_TRUE(DrawImageRegion(image, canvas.Dc(), 0, 0, 10, 3, 0, 2, -1, 3));
    EXPECT_EQ(canvas.At(5, 0), RGB(100, 40, 90));
    EXPECT_EQ(canvas.At(5, 2), RGB(100, 80, 90));
    EXPECT_EQ(canvas.At(5, 3), RGB(0, 0, 0));
}

namespace {

// A target for the comparison below: a section of 24 or 32 bits, top-down or
// bottom-up (drawn into directly), or a device bitmap (drawn through the copy
// to a 24-bit section and back).
struct Target {
    enum Kind { Section32, Section32BottomUp, Section24BottomUp, DeviceBitmap };
    Target(Kind kind, int width, int height) : kind(kind), width(width), height(height) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        if (kind == DeviceBitmap) {
            bitmap = CreateCompatibleBitmap(screen, width, height);
        } else {
            BITMAPINFO bmi{};
            const int bits = kind == Section24BottomUp ? 24 : 32;
            bmi.bmiHeader = {sizeof bmi.bmiHeader,    width, kind == Section32 ? -height : height, 1,
                             static_cast<WORD>(bits), BI_RGB};
            bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &pixels, nullptr, 0);
        }
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // Every pixel a different colour; the fourth byte of a 32-bit section 0x5A.
    void FillPattern() {
        std::vector<std::uint32_t> rows(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                rows[y * width + x] = 0x5A000000u | ((x * 7 + y * 3) & 0xFF) << 16 |
                                      ((x * 5 + 40) & 0xFF) << 8 | ((y * 9 + 11) & 0xFF);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof bmi.bmiHeader, width, -height, 1, 32, BI_RGB};
        SetDIBits(dc, bitmap, 0, height, rows.data(), &bmi, DIB_RGB_COLORS);
        if (kind == Section32)
            for (std::size_t i = 0; i < rows.size(); ++i)
                static_cast<std::uint32_t*>(pixels)[i] = rows[i]; // keeps the fourth byte as well
    }
    // The pixels as 0x00RRGGBB, top row first.
    std::vector<std::uint32_t> Read() const {
        std::vector<std::uint32_t> rows(static_cast<std::size_t>(width) * height);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof bmi.bmiHeader, width, -height, 1, 32, BI_RGB};
        GetDIBits(dc, bitmap, 0, height, rows.data(), &bmi, DIB_RGB_COLORS);
        for (auto& v : rows)
            v &= 0xFFFFFF;
        return rows;
    }
    Kind kind;
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    void* pixels = nullptr;
};

// A picture with every kind of alpha, 7 x 5 so that tiles do not line up with
// anything.
Bitmap32 OddPicture() {
    Bitmap32 image;
    image.Allocate(7, 5);
    for (int i = 0; i < 35; ++i) {
        image.Red()[i] = static_cast<std::uint8_t>(i * 7);
        image.Green()[i] = static_cast<std::uint8_t>(255 - i * 3);
        image.Blue()[i] = static_cast<std::uint8_t>(i * 11);
        image.Alpha()[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0 : i % 3 == 1 ? 255 : i * 7);
    }
    return image;
}

} // namespace

TEST(ImageDraw, DirectAndCopiedDrawingGiveTheSamePixels) {
    // Each case: where the picture goes (logical coordinates), the viewport
    // origin, and the clip rectangles (none, one, or two for a complex region).
    struct Case {
        const char* name;
        int x, y, w, h, originX, originY;
        std::vector<RECT> clip;
    };
    const Case cases[] = {
        {"once", 5, 7, -1, -1, 0, 0, {}},
        {"tiled, off the top left", -6, -2, 45, 13, 0, 0, {}},
        {"tiled past the bottom right", 30, 20, 17, 19, 0, 0, {}},
        {"clipped", 0, 0, 40, 30, 0, 0, {RECT{3, 4, 30, 25}}},
        {"viewport moved", 2, 2, 20, 9, 7, -3, {}},
        {"complex clip", 1, 1, 38, 28, 0, 0, {RECT{0, 0, 12, 30}, RECT{20, 5, 40, 12}}},
    };
    const Bitmap32 image = OddPicture();
    for (auto kind :
         {Target::Section32, Target::Section32BottomUp, Target::Section24BottomUp, Target::DeviceBitmap}) {
        for (const Case& c : cases) {
            Target target(kind, 40, 30);
            target.FillPattern();
            const std::vector<std::uint32_t> before = target.Read();
            SetViewportOrgEx(target.dc, c.originX, c.originY, nullptr);
            HRGN region = nullptr;
            for (const RECT& r : c.clip) {
                HRGN part = CreateRectRgnIndirect(&r);
                if (!region) {
                    region = part;
                } else {
                    CombineRgn(region, region, part, RGN_OR);
                    DeleteObject(part);
                }
            }
            SelectClipRgn(target.dc, region);
            ASSERT_TRUE(DrawImage(image, target.dc, c.x, c.y, c.w, c.h)) << c.name;
            // What the picture must have done, pixel by pixel, in device coordinates.
            const int w = c.w < 0 ? image.Width() : c.w, h = c.h < 0 ? image.Height() : c.h;
            const int left = c.x + c.originX, top = c.y + c.originY;
            const std::vector<std::uint32_t> after = target.Read();
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    std::uint32_t want = before[y * 40 + x];
                    const bool inRect = x >= left && x < left + w && y >= top && y < top + h;
                    const POINT p{x, y};
                    const bool inClip = !region || PtInRegion(region, p.x, p.y);
                    bool touched = inRect && inClip;
                    if (touched) {
                        const std::size_t k =
                            static_cast<std::size_t>((y - top) % image.Height()) * image.Width() +
                            (x - left) % image.Width();
                        const unsigned a = image.Alpha()[k];
                        want = std::uint32_t{BlendChannel(image.Red()[k], (want >> 16) & 0xFF, a)} << 16 |
                               std::uint32_t{BlendChannel(image.Green()[k], (want >> 8) & 0xFF, a)} << 8 |
                               BlendChannel(image.Blue()[k], want & 0xFF, a);
                    }
                    ASSERT_EQ(after[y * 40 + x], want)
                        << c.name << ", target " << kind << ", pixel " << x << "," << y;
                    if (kind == Target::Section32) {
                        const std::uint32_t raw = static_cast<std::uint32_t*>(target.pixels)[y * 40 + x];
                        ASSERT_EQ(raw >> 24, touched ? 0u : 0x5Au)
                            << c.name << ": the fourth byte at " << x << "," << y
                            << " (0 where drawn, as after a copy through 24 bits)";
                    }
                }
            SelectClipRgn(target.dc, nullptr);
            if (region)
                DeleteObject(region);
        }
    }
}
