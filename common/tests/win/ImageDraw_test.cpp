#include "ImageBlend.h"
#include "win/ImageDraw.h"
#include "ImageWinTestSupport.h"

#include <gtest/gtest.h>

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
