#include "TgaDecoder.h"
#include "ImageTestData.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace norvane;
using namespace norvane::testing;

namespace {

constexpr TgaPixel kRed{255, 0, 0, 255};
constexpr TgaPixel kGreen{0, 255, 0, 128};
constexpr TgaPixel kBlue{0, 0, 255, 0};
constexpr TgaPixel kGrey{90, 91, 92, 7};

std::uint32_t Packed(TgaPixel p, bool opaque) {
    return (std::uint32_t(p.r) << 24) | (std::uint32_t(p.g) << 16) | (std::uint32_t(p.b) << 8) |
           (opaque ? 255u : p.a);
}

// Two rows of two pixels, stored raw in file order: kRed kGreen / kBlue kGrey.
std::vector<std::uint8_t> TwoByTwo(int depth, std::uint8_t descriptor) {
    auto bytes = TgaHeader(2, 2, 2, static_cast<std::uint8_t>(depth), descriptor);
    for (TgaPixel p : {kRed, kGreen, kBlue, kGrey})
        AppendPixel(bytes, p, depth);
    return bytes;
}

bool Decode(const std::vector<std::uint8_t>& bytes, Bitmap32& image, TgaError* error = nullptr) {
    return DecodeTga(bytes.data(), bytes.size(), image, error);
}

} // namespace

TEST(TgaDecoder, RowOrderFollowsDescriptorBitSixteen) {
    Bitmap32 image;
    // Descriptor 8 (bit 16 clear): the first row in the file is the bottom row.
    ASSERT_TRUE(Decode(TwoByTwo(32, 8), image));
    EXPECT_EQ(PixelAt(image, 0, 1), Packed(kRed, false));
    EXPECT_EQ(PixelAt(image, 1, 1), Packed(kGreen, false));
    EXPECT_EQ(PixelAt(image, 0, 0), Packed(kBlue, false));
    EXPECT_EQ(PixelAt(image, 1, 0), Packed(kGrey, false));
    // Descriptor 24 (bit 16 set): the first row is the top row.
    ASSERT_TRUE(Decode(TwoByTwo(32, 24), image));
    EXPECT_EQ(PixelAt(image, 0, 0), Packed(kRed, false));
    EXPECT_EQ(PixelAt(image, 1, 1), Packed(kGrey, false));
    // Bit 32, the usual top-left flag of other readers, does not change the order.
    ASSERT_TRUE(Decode(TwoByTwo(32, 0x28), image));
    EXPECT_EQ(PixelAt(image, 0, 1), Packed(kRed, false));
}

TEST(TgaDecoder, TwentyFourBitPixelsAreOpaqueAndIdentificationFieldIsSkipped) {
    auto bytes = TgaHeader(2, 2, 2, 24, 0x10, 5);
    for (int i = 0; i < 5; ++i)
        bytes.push_back(0xEE);
    for (TgaPixel p : {kRed, kGreen, kBlue, kGrey})
        AppendPixel(bytes, p, 24);
    Bitmap32 image;
    ASSERT_TRUE(Decode(bytes, image));
    EXPECT_EQ(PixelAt(image, 0, 0), Packed(kRed, true));
    EXPECT_EQ(PixelAt(image, 1, 0), Packed(kGreen, true));
    EXPECT_EQ(PixelAt(image, 0, 1), Packed(kBlue, true));
    EXPECT_EQ(PixelAt(image, 1, 1), Packed(kGrey, true));
}

TEST(TgaDecoder, RunLengthPacketsRepeatOrCopyPixels) {
    // 3 x 2, top row first: run of 3 kGreen; raw kRed, kBlue; run of 1 kGrey.
    auto bytes = TgaHeader(10, 3, 2, 32, 0x18);
    bytes.push_back(0x82);
    AppendPixel(bytes, kGreen, 32);
    bytes.push_back(0x01);
    AppendPixel(bytes, kRed, 32);
    AppendPixel(bytes, kBlue, 32);
    bytes.push_back(0x80);
    AppendPixel(bytes, kGrey, 32);
    Bitmap32 image;
    ASSERT_TRUE(Decode(bytes, image));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(PixelAt(image, x, 0), Packed(kGreen, false)) << "x " << x;
    EXPECT_EQ(PixelAt(image, 0, 1), Packed(kRed, false));
    EXPECT_EQ(PixelAt(image, 1, 1), Packed(kBlue, false));
    EXPECT_EQ(PixelAt(image, 2, 1), Packed(kGrey, false));
}

TEST(TgaDecoder, PacketsThatCrossARowOrOverrunTheImageAreReadWithoutHarm) {
    // 2 x 2, bottom row first: one run of 3 crosses into the second file row,
    // then a raw packet of 4 of which only one pixel fits.
    auto bytes = TgaHeader(10, 2, 2, 24, 0);
    bytes.push_back(0x82);
    AppendPixel(bytes, kRed, 24);
    bytes.push_back(0x03);
    for (TgaPixel p : {kBlue, kGreen, kGreen, kGreen})
        AppendPixel(bytes, p, 24);
    Bitmap32 image;
    ASSERT_TRUE(Decode(bytes, image));
    EXPECT_EQ(PixelAt(image, 0, 1), Packed(kRed, true));
    EXPECT_EQ(PixelAt(image, 1, 1), Packed(kRed, true));
    EXPECT_EQ(PixelAt(image, 0, 0), Packed(kRed, true));
    EXPECT_EQ(PixelAt(image, 1, 0), Packed(kBlue, true));
}

TEST(TgaDecoder, RefusesWhatItCannotDecodeAndLeavesTheImageEmpty) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        TgaError expected;
    };
    auto good = TwoByTwo(32, 8);
    auto withField = [&](std::size_t index, std::uint8_t value) {
        auto b = good;
        b[index] = value;
        return b;
    };
    auto truncatedRaw = good;
    truncatedRaw.pop_back();
    auto truncatedRle = TgaHeader(10, 4, 1, 24, 0);
    truncatedRle.push_back(0x03); // raw packet of 4, only 2 pixels present
    AppendPixel(truncatedRle, kRed, 24);
    AppendPixel(truncatedRle, kRed, 24);
    auto runWithoutPixel = TgaHeader(10, 1, 1, 32, 0);
    runWithoutPixel.push_back(0x80);
    runWithoutPixel.push_back(1);
    auto hugeRle = TgaHeader(10, 65535, 65535, 32, 0);
    hugeRle.insert(hugeRle.end(), 5000, 0xFF);
    auto hugeButComplete = TgaHeader(10, 8192, 8192, 24, 0);
    for (int i = 0; i < 8192 * 8192 / 128; ++i) {
        hugeButComplete.push_back(0xFF);
        AppendPixel(hugeButComplete, kRed, 24);
    }

    const Case cases[] = {
        {"empty", {}, TgaError::TooShort},
        {"17 bytes", std::vector<std::uint8_t>(good.begin(), good.begin() + 17), TgaError::TooShort},
        {"colour map type 1", withField(1, 1), TgaError::ColourMapped},
        {"image type 1", withField(2, 1), TgaError::UnsupportedType},
        {"image type 3", withField(2, 3), TgaError::UnsupportedType},
        {"image type 9", withField(2, 9), TgaError::UnsupportedType},
        {"image type 11", withField(2, 11), TgaError::UnsupportedType},
        {"depth 16", withField(16, 16), TgaError::UnsupportedDepth},
        {"depth 8", withField(16, 8), TgaError::UnsupportedDepth},
        {"width 0", withField(12, 0), TgaError::EmptySize},
        {"identification field past the end", withField(0, 200), TgaError::Truncated},
        {"raw data one byte short", truncatedRaw, TgaError::Truncated},
        {"raw packet short", truncatedRle, TgaError::Truncated},
        {"run packet without its pixel", runWithoutPixel, TgaError::Truncated},
        {"65535 x 65535 from a few bytes", hugeRle, TgaError::Truncated},
        {"8192 x 8192, over the size limit", hugeButComplete, TgaError::TooLarge},
    };
    for (const Case& c : cases) {
        Bitmap32 image;
        ASSERT_TRUE(image.CreateFilled(3, 3, 0xFFFFFF, 255));
        TgaError error = TgaError::None;
        EXPECT_FALSE(Decode(c.bytes, image, &error)) << c.what;
        EXPECT_EQ(error, c.expected) << c.what << ": " << TgaErrorText(error);
        EXPECT_TRUE(image.IsEmpty()) << c.what;
    }
}

TEST(TgaDecoder, AgreesWithImageMagickOnItsOwnFiles) {
    // Files written by ImageMagick (uncompressed and run-length, 24 and 32 bits)
    // and ImageMagick's reading of each as straight RGBA. ImageMagick keeps the
    // rows in file order; these files leave descriptor bit 16 clear, so we take
    // the first row in the file as the bottom row: our row y is its row 8 - y.
    for (const char* name : {"im32.tga", "im32rle.tga", "im24.tga", "im24rle.tga"}) {
        SCOPED_TRACE(name);
        std::string stem(name);
        std::vector<std::uint8_t> expected = ReadImageData(stem.substr(0, stem.size() - 4) + "_tga.rgba");
        ASSERT_EQ(expected.size(), 150u * 9u * 4u) << "fixture missing";
        Bitmap32 image;
        TgaError error = TgaError::None;
        ASSERT_TRUE(LoadTgaFile(ImageDataPath(name), image, &error)) << TgaErrorText(error);
        ASSERT_EQ(image.Width(), 150);
        ASSERT_EQ(image.Height(), 9);
        int mismatches = 0;
        for (std::size_t i = 0; i < image.PixelCount() && mismatches < 5; ++i) {
            const std::size_t x = i % 150, y = i / 150;
            const std::uint8_t* e = &expected[((8 - y) * 150 + x) * 4];
            if (image.Red()[i] != e[0] || image.Green()[i] != e[1] || image.Blue()[i] != e[2] ||
                image.Alpha()[i] != e[3]) {
                ++mismatches;
                ADD_FAILURE() << "pixel " << x << "," << y << ": expected " << int(e[0]) << "," << int(e[1])
                              << "," << int(e[2]) << "," << int(e[3]) << " got " << int(image.Red()[i]) << ","
                              << int(image.Green()[i]) << "," << int(image.Blue()[i]) << ","
                              << int(image.Alpha()[i]);
            }
        }
    }
}

TEST(TgaDecoder, MissingFileFailsAsUnreadable) {
    Bitmap32 image;
    TgaError error = TgaError::None;
    EXPECT_FALSE(LoadTgaFile(ImageDataPath("no-such-file.tga"), image, &error));
    EXPECT_EQ(error, TgaError::Unreadable);
    EXPECT_FALSE(LoadTgaFile(L"", image, &error));
}
