#include "ImageBlend.h"

#include <gtest/gtest.h>

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
    BgrRows View() { return {bytes.data(), stride, width, height}; }
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
    // The shift form equals round(t / 255) for every input, without a division.
    for (unsigned a = 0; a <= 255; ++a)
        for (unsigned s = 0; s <= 255; s += 5)
            for (unsigned d = 0; d <= 255; d += 3) {
                unsigned exact = (s * a + d * (255 - a) + 127) / 255;
                ASSERT_EQ(BlendChannel(s, d, a), exact) << "s " << s << " d " << d << " a " << a;
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
