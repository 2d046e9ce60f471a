#include "Bitmap32.h"
#include "ImageTestData.h"

#include <gtest/gtest.h>

using namespace norvane;
using norvane::testing::PixelAt;

TEST(Bitmap32, CreateFilledTakesRedFromTheLowByte) {
    Bitmap32 image;
    ASSERT_TRUE(image.CreateFilled(3, 2, 0x00332211, 0x80));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_FALSE(image.IsEmpty());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelAt(image, x, y), 0x11223380u) << "at " << x << "," << y;
}

TEST(Bitmap32, RefusesEmptyNegativeAndAbsurdSizesAndStaysEmpty) {
    Bitmap32 image;
    ASSERT_TRUE(image.CreateFilled(4, 4, 0, 255));
    EXPECT_FALSE(image.CreateFilled(0, 5, 0, 255));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_FALSE(image.Allocate(-3, 5));
    EXPECT_FALSE(image.Allocate(65535, 65535));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Alpha(), nullptr);
}

TEST(Bitmap32, CopyFromGivesAnIndependentCopyAndAnEmptySourceEmpties) {
    Bitmap32 source, copy;
    ASSERT_TRUE(source.CreateFilled(3, 2, 0x112233, 200));
    source.Alpha()[5] = 7;
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Height(), 2);
    EXPECT_NE(copy.Red(), source.Red()) << "planes of its own";
    EXPECT_EQ(copy.Red()[4], 0x33);
    EXPECT_EQ(copy.Blue()[0], 0x11);
    EXPECT_EQ(copy.Alpha()[5], 7);
    source.Red()[4] = 0;
    EXPECT_EQ(copy.Red()[4], 0x33);
    EXPECT_TRUE(copy.CopyFrom(copy)) << "a copy of itself stays as it is";
    EXPECT_EQ(copy.Alpha()[5], 7);
    Bitmap32 empty;
    EXPECT_FALSE(copy.CopyFrom(empty));
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(Bitmap32, ExchangeAndMoveSwapPlanesWithoutCopying) {
    Bitmap32 a, b;
    ASSERT_TRUE(a.CreateFilled(2, 3, 0x0000FF, 255));
    const std::uint8_t* planeOfA = a.Red();
    a.Exchange(b);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(b.Red(), planeOfA);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Height(), 3);

    Bitmap32 c = std::move(b);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(c.Red(), planeOfA);
    c.Empty();
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_EQ(c.Width(), 0);
    EXPECT_EQ(c.Height(), 0);
}

TEST(Bitmap32, HalveAveragesBlocksTruncatingAndDropsOddEdges) {
    Bitmap32 image;
    ASSERT_TRUE(image.Allocate(5, 3));
    // Values chosen so the truncated mean differs from a rounded one.
    const std::uint8_t values[15] = {10, 11, 200, 201, 99, 12, 14, 255, 255, 99, 99, 99, 99, 99, 99};
    for (int i = 0; i < 15; ++i) {
        image.Red()[i] = values[i];
        image.Green()[i] = static_cast<std::uint8_t>(255 - values[i]);
        image.Blue()[i] = 7;
        image.Alpha()[i] = static_cast<std::uint8_t>(i * 10);
    }
    Bitmap32 half = image.Halve();
    ASSERT_EQ(half.Width(), 2);
    ASSERT_EQ(half.Height(), 1);
    EXPECT_EQ(half.Red()[0], (10 + 11 + 12 + 14) >> 2);     // 47 / 4 = 11
    EXPECT_EQ(half.Red()[1], (200 + 201 + 255 + 255) >> 2); // 911 / 4 = 227
    EXPECT_EQ(half.Green()[0], (245 + 244 + 243 + 241) >> 2);
    EXPECT_EQ(half.Blue()[1], 7);
    EXPECT_EQ(half.Alpha()[0], (0 + 10 + 50 + 60) >> 2);
    EXPECT_EQ(half.Alpha()[1], (20 + 30 + 70 + 80) >> 2);
    // The source is left as it was.
    EXPECT_EQ(image.Width(), 5);

    Bitmap32 thin;
    ASSERT_TRUE(thin.CreateFilled(7, 1, 0, 255));
    EXPECT_TRUE(thin.Halve().IsEmpty());
    EXPECT_TRUE(Bitmap32().Halve().IsEmpty());
}
