#include "ImageBlend.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace norvane;

namespace {

// A BGR buffer of width x height with rows padded to stride bytes, filled with
// one colour and a canary after the last row.
struct Rows {
    Rows(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r, std::size_t stride = 0)
        : stride(stride ? stride : static_cast<std::size_t>(width) * 3), width(width), height(height),
          bytes(this->stride * height + 4, 0xCD) {
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i) {
                std::uint8_t* p = At(i, j);
                p[0] = b;
                p[1] = g;
                p[2] = r;
            }
    }
    std::uint8_t* At(int i, int j) { return bytes.data() + j * stride + i * 3; }
    BgrRows View() { return {bytes.data(), static_cast<std::ptrdiff_t>(stride), width, height}; }
    bool CanaryIntact() const {
        for (std::size_t k = stride * height; k < bytes.size(); ++k)
            if (bytes[k] != 0xCD)
                return false;
        return true;
    }
    std::size_t stride;
    int width, height;
    std::vector<std::uint8_t> bytes;
};

} // namespace

TEST(ImageBlend, ChannelArithmeticIsExactDivisionByTwoFiftyFiveRounded) {
    // The shift form, kept in 16 bits, equals both the plain 32-bit shift form
    // and round(t / 255) for every input, without a division.
    for (unsigned a = 0; a <= 255; ++a)
        for (unsigned s = 0; s <= 255; ++s)
            for (unsigned d = 0; d <= 255; ++d) {
                const unsigned t = s * a + d * (255 - a) + 128;
                const unsigned wide = (t + (t >> 8)) >> 8;
                const unsigned exact = (s * a + d * (255 - a) + 127) / 255;
                const unsigned got = BlendChannel(s, d, a);
                if (got != wide || got != exact)
                    FAIL() << "s " << s << " d " << d << " a " << a << ": " << got << ", expected " << exact;
            }
    EXPECT_EQ(BlendChannel(200, 100, 128), 150);
}

TEST(ImageBlend, TransparentKeepsOpaqueReplacesOthersBlend) {
    Bitmap32 image;
    ASSERT_TRUE(image.Allocate(3, 1));
    const std::uint8_t alpha[3] = {0, 255, 64};
    for (int i = 0; i < 3; ++i) {
        image.Red()[i] = 250;
        image.Green()[i] = 20;
        image.Blue()[i] = 100;
        image.Alpha()[i] = alpha[i];
    }
    Rows rows(3, 1, 10, 20, 30);
    BlendTiled(image, rows.View());
    EXPECT_EQ(rows.At(0, 0)[0], 10);
    EXPECT_EQ(rows.At(0, 0)[2], 30);
    EXPECT_EQ(rows.At(1, 0)[0], 100);
    EXPECT_EQ(rows.At(1, 0)[1], 20);
    EXPECT_EQ(rows.At(1, 0)[2], 250);
    EXPECT_EQ(rows.At(2, 0)[0], BlendChannel(100, 10, 64));
    EXPECT_EQ(rows.At(2, 0)[2], BlendChannel(250, 30, 64));
    EXPECT_TRUE(rows.CanaryIntact());
}

TEST(ImageBlend, TilingRepeatsFromTheTopLeftCorner) {
    // A 10 x 10 image into 25 x 5: two and a half copies across, the top half.
    Bitmap32 image;
    ASSERT_TRUE(image.Allocate(10, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            std::size_t i = y * 10 + x;
            image.Red()[i] = static_cast<std::uint8_t>(x);
            image.Green()[i] = static_cast<std::uint8_t>(y);
            image.Blue()[i] = 200;
            image.Alpha()[i] = 255;
        }
    Rows rows(25, 5, 0, 0, 0, 28 * 3); // a section 28 pixels wide, as Draw makes it
    BlendTiled(image, rows.View());
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 25; ++i) {
            ASSERT_EQ(rows.At(i, j)[2], i % 10) << "red at " << i << "," << j;
            ASSERT_EQ(rows.At(i, j)[1], j) << "green at " << i << "," << j;
        }
    // The padding columns 25 to 27 are left alone.
    EXPECT_EQ(rows.At(25, 0)[0], 0xCD);
    EXPECT_EQ(rows.At(27, 4)[2], 0xCD);
    EXPECT_TRUE(rows.CanaryIntact());
}

TEST(ImageBlend, FillTranslucentBlendsEveryPixel) {
    Rows rows(4, 2, 0, 128, 255);
    FillTranslucentRows(rows.View(), 0x00FF0000, 128); // blue at half opacity
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(rows.At(i, j)[0], BlendChannel(255, 0, 128));
            EXPECT_EQ(rows.At(i, j)[1], BlendChannel(0, 128, 128));
            EXPECT_EQ(rows.At(i, j)[2], BlendChannel(0, 255, 128));
        }
    Rows untouched(2, 2, 1, 2, 3);
    FillTranslucentRows(untouched.View(), 0xFFFFFF, 0);
    EXPECT_EQ(untouched.At(1, 1)[2], 3);
    EXPECT_TRUE(rows.CanaryIntact());
}

TEST(ImageBlend, RegionBlendsEveryPixelAndSkipsIndexesBeyondTheImage) {
    Bitmap32 image;
    ASSERT_TRUE(image.CreateFilled(4, 3, 0x0000FF, 0)); // red, fully transparent
    image.Alpha()[4 * 2 + 3] = 255;                     // last pixel opaque
    // Source from (2, 1), 4 wide, 3 high: indexes run past the image's end.
    Rows rows(4, 3, 9, 9, 9);
    BlendRegion(image, rows.bytes.data(), static_cast<std::ptrdiff_t>(rows.stride), 4, 3, 2, 1, 4, 3);
    // (2,1)->index 6 alpha 0: blended but unchanged; index 11 is the opaque pixel.
    EXPECT_EQ(rows.At(0, 0)[2], 9);
    EXPECT_EQ(rows.At(1, 1)[2], 255); // index (2 + 1) + 4 * (1 + 1) = 11
    EXPECT_EQ(rows.At(1, 1)[0], 0);
    EXPECT_EQ(rows.At(3, 2)[2], 9); // index 17: beyond the image, skipped
    EXPECT_TRUE(rows.CanaryIntact());
}

namespace {

// The blend as the plain per-pixel loop would do it, for comparison with the
// block-wise one: (i, j) takes source ((i + ox) mod w, (j + oy) mod h).
void ReferenceTiled(const Bitmap32& image, std::uint8_t* bits, std::ptrdiff_t stride, int pixelBytes,
                    int width, int height, int ox, int oy) {
    const int w = image.Width(), h = image.Height();
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const std::size_t k =
                static_cast<std::size_t>(((j + oy) % h + h) % h) * w + ((i + ox) % w + w) % w;
            std::uint8_t* d = bits + stride * j + static_cast<std::ptrdiff_t>(i) * pixelBytes;
            const unsigned a = image.Alpha()[k];
            if (a == 255) {
                d[0] = image.Blue()[k];
                d[1] = image.Green()[k];
                d[2] = image.Red()[k];
            } else if (a != 0) {
                d[0] = BlendChannel(image.Blue()[k], d[0], a);
                d[1] = BlendChannel(image.Green()[k], d[1], a);
                d[2] = BlendChannel(image.Red()[k], d[2], a);
            }
            if (pixelBytes == 4)
                d[3] = 0;
        }
}

// An icon-like picture: transparent and opaque runs long enough to fill whole
// blocks, edges of every alpha in between, and runs of alpha 1 and 254, which
// a block must not take for transparent or opaque.
Bitmap32 RandomPicture(std::mt19937& random, int width, int height) {
    Bitmap32 image;
    image.Allocate(width, height);
    std::uniform_int_distribution<int> byte(0, 255), run(1, 70), kind(0, 4);
    std::size_t i = 0;
    while (i < image.PixelCount()) {
        const int k = kind(random);
        for (int n = run(random); n > 0 && i < image.PixelCount(); --n, ++i) {
            image.Red()[i] = static_cast<std::uint8_t>(byte(random));
            image.Green()[i] = static_cast<std::uint8_t>(byte(random));
            image.Blue()[i] = static_cast<std::uint8_t>(byte(random));
            const int alpha[] = {0, 255, byte(random), 1, 254};
            image.Alpha()[i] = static_cast<std::uint8_t>(alpha[k]);
        }
    }
    return image;
}

} // namespace

TEST(ImageBlend, BlockwiseBlendMatchesThePlainLoopOnBothPixelSizes) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    struct Case {
        int imageWidth, imageHeight, width, height, ox, oy;
        bool bottomUp;
    };
    const Case cases[] = {
        {32, 32, 32, 32, 0, 0, false},    {480, 26, 480, 26, 0, 0, false}, {10, 10, 25, 5, 0, 0, false},
        {33, 7, 100, 9, 5, 3, false},     {1, 1, 7, 3, 0, 0, true},        {70, 3, 69, 4, 69, 2, true},
        {64, 64, 37, 61, -3, -70, false}, {5, 40, 131, 2, 12, 39, true},
    };
    for (const Case& c : cases) {
        const Bitmap32 image = RandomPicture(random, c.imageWidth, c.imageHeight);
        for (int pixelBytes : {3, 4}) {
            const std::size_t stride = (static_cast<std::size_t>(c.width) * pixelBytes + 3) & ~std::size_t{3};
            std::vector<std::uint8_t> want(stride * c.height + 8), got;
            for (auto& v : want)
                v = static_cast<std::uint8_t>(byte(random));
            got = want;
            // A bottom-up section is addressed from its top row, which comes last.
            const std::ptrdiff_t step =
                c.bottomUp ? -static_cast<std::ptrdiff_t>(stride) : static_cast<std::ptrdiff_t>(stride);
            const std::size_t top = c.bottomUp ? stride * (c.height - 1) : 0;
            ReferenceTiled(image, want.data() + top, step, pixelBytes, c.width, c.height, c.ox, c.oy);
            if (pixelBytes == 3)
                BlendTiled(image, BgrRows{got.data() + top, step, c.width, c.height}, c.ox, c.oy);
            else
                BlendTiled(image, BgrxRows{got.data() + top, step, c.width, c.height}, c.ox, c.oy);
            for (std::size_t k = 0; k < want.size(); ++k)
                ASSERT_EQ(got[k], want[k])
                    << "byte " << k << " of " << c.width << "x" << c.height << " from " << c.imageWidth << "x"
                    << c.imageHeight << " at " << c.ox << "," << c.oy << (c.bottomUp ? " bottom-up" : "")
                    << ", " << pixelBytes * 8 << " bit";
        }
    }
}

TEST(ImageBlend, FillTranslucentOnThirtyTwoBitPixelsClearsTheFourthByte) {
    std::uint8_t pixels[3 * 4 + 4];
    for (int k = 0; k < 16; ++k)
        pixels[k] = static_cast<std::uint8_t>(0x40 + k);
    FillTranslucentRows(BgrxRows{pixels, 12, 3, 1}, 0x00FF0000, 128);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pixels[4 * i], BlendChannel(255, 0x40 + 4 * i, 128));
        EXPECT_EQ(pixels[4 * i + 1], BlendChannel(0, 0x41 + 4 * i, 128));
        EXPECT_EQ(pixels[4 * i + 2], BlendChannel(0, 0x42 + 4 * i, 128));
        EXPECT_EQ(pixels[4 * i + 3], 0) << "the fourth byte, as after a copy through 24 bits";
    }
    EXPECT_EQ(pixels[12], 0x4C) << "past the row";
}
