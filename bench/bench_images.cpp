// Image benchmarks: TGA decoding and the blend arithmetic everywhere; under
// Windows also Draw against GDI's AlphaBlend of the same picture onto the same
// section, in the same run. Prints "name: value unit" lines.
#include "Bitmap32.h"
#include "ImageBlend.h"
#include "TgaDecoder.h"

#ifdef _WIN32
#include "win/ImageDraw.h"
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace norvane;
using Clock = std::chrono::steady_clock;

namespace {

// A picture with the alpha mix of a real icon: transparent surround, an
// anti-aliased edge and an opaque body.
Bitmap32 MakeIcon(int width, int height) {
    Bitmap32 image;
    image.Allocate(width, height);
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    const double radius = (width < height ? width : height) * 0.42;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::size_t i = static_cast<std::size_t>(y) * width + x;
            double dx = (x - cx) / radius, dy = (y - cy) / radius * (width > height ? 1.0 : 1.0);
            double d = (dx * dx + dy * dy);
            double edge = (1.0 - d) * 6.0;
            int a = edge <= 0 ? 0 : edge >= 1 ? 255 : static_cast<int>(edge * 255);
            if (width > 4 * height) // a strip: a translucent band with opaque ends
                a = (x % 64) < 8 ? 255 : (y * 255) / (height - 1);
            image.Red()[i] = static_cast<std::uint8_t>(40 + x * 3);
            image.Green()[i] = static_cast<std::uint8_t>(90 + y * 2);
            image.Blue()[i] = 200;
            image.Alpha()[i] = static_cast<std::uint8_t>(a);
        }
    return image;
}

template <class F> double SecondsPer(F&& f, int repeat) {
    f(); // warm up
    auto start = Clock::now();
    for (int i = 0; i < repeat; ++i)
        f();
    return std::chrono::duration<double>(Clock::now() - start).count() / repeat;
}

std::vector<std::uint8_t> MakeTga(const Bitmap32& image, bool rle) {
    std::vector<std::uint8_t> bytes = {0,
                                       0,
                                       static_cast<std::uint8_t>(rle ? 10 : 2),
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       static_cast<std::uint8_t>(image.Width() & 0xFF),
                                       static_cast<std::uint8_t>(image.Width() >> 8),
                                       static_cast<std::uint8_t>(image.Height() & 0xFF),
                                       static_cast<std::uint8_t>(image.Height() >> 8),
                                       32,
                                       0x18};
    for (std::size_t i = 0; i < image.PixelCount(); ++i) {
        if (rle)
            bytes.push_back(0); // one raw pixel per packet: the slowest form
        bytes.push_back(image.Blue()[i]);
        bytes.push_back(image.Green()[i]);
        bytes.push_back(image.Red()[i]);
        bytes.push_back(image.Alpha()[i]);
    }
    return bytes;
}

void NativeFigures() {
    Bitmap32 picture = MakeIcon(480, 64);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(480) * 3 * 64, 128);
    BgrRows view{rows.data(), 480 * 3, 480, 64};
    double seconds = SecondsPer([&] { BlendTiled(picture, view); }, 2000);
    std::printf("blend_mpix_per_s: %.1f Mpix/s\n", 480.0 * 64 / seconds / 1e6);

    Bitmap32 big = MakeIcon(512, 512);
    for (bool rle : {false, true}) {
        std::vector<std::uint8_t> file = MakeTga(big, rle);
        Bitmap32 out;
        double s = SecondsPer([&] { DecodeTga(file.data(), file.size(), out); }, 50);
        std::printf("%s: %.1f MB/s\n", rle ? "tga_rle_decode_mb_per_s" : "tga_decode_mb_per_s",
                    file.size() / s / 1e6);
    }
}

#ifdef _WIN32
// A 32-bit section (what the views paint into), or with deviceBitmap a device
// bitmap, which pictures reach through the copy to a 24-bit section and back.
struct Canvas {
    Canvas(int width, int height, bool deviceBitmap = false) {
        HDC screen = GetDC(nullptr);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof bmi.bmiHeader, width, -height, 1, 32, BI_RGB};
        bitmap = deviceBitmap ? CreateCompatibleBitmap(screen, width, height)
                              : CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0);
        dc = CreateCompatibleDC(screen);
        old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, width, height, WHITENESS);
        ReleaseDC(nullptr, screen);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
};

// The same picture premultiplied in a 32-bit section, as AlphaBlend wants it.
struct Premultiplied : Canvas {
    explicit Premultiplied(const Bitmap32& image) : Canvas(image.Width(), image.Height()) {
        DIBSECTION section{};
        GetObjectW(bitmap, sizeof section, &section);
        auto* p = static_cast<std::uint8_t*>(section.dsBm.bmBits);
        for (std::size_t i = 0; i < image.PixelCount(); ++i, p += 4) {
            unsigned a = image.Alpha()[i];
            p[0] = static_cast<std::uint8_t>(image.Blue()[i] * a / 255);
            p[1] = static_cast<std::uint8_t>(image.Green()[i] * a / 255);
            p[2] = static_cast<std::uint8_t>(image.Red()[i] * a / 255);
            p[3] = static_cast<std::uint8_t>(a);
        }
    }
};

void DrawRatio(const char* name, const Bitmap32& image, int repeat, bool deviceBitmap = false) {
    Canvas target(480, 640, deviceBitmap);
    Premultiplied source(image);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int w = image.Width(), h = image.Height();
    // Five rounds, the two taking turns, the best round of each counted: on a
    // busy machine a burst of load then hits both alike, or neither's best.
    double ours = 1e9, gdi = 1e9;
    for (int round = 0; round < 5; ++round) {
        ours = std::min(ours, SecondsPer([&] { DrawImage(image, target.dc, 10, 20); }, repeat / 5));
        gdi = std::min(gdi,
                       SecondsPer([&] { AlphaBlend(target.dc, 10, 20, w, h, source.dc, 0, 0, w, h, blend); },
                                  repeat / 5));
    }
    std::printf("%s_us: %.2f us\n", name, ours * 1e6);
    std::printf("%s_alphablend_us: %.2f us\n", name, gdi * 1e6);
    std::printf("%s_ratio: %.2f x\n", name, gdi / ours);
}
#endif

} // namespace

int main() {
    NativeFigures();
#ifdef _WIN32
    DrawRatio("draw_icon", MakeIcon(32, 32), 20000);
    DrawRatio("draw_strip", MakeIcon(480, 26), 5000);
    // The same onto a device bitmap, through the copy to a 24-bit section.
    DrawRatio("draw_icon_copied", MakeIcon(32, 32), 20000, true);
    DrawRatio("draw_strip_copied", MakeIcon(480, 26), 5000, true);
#endif
    return 0;
}
