// Picture sizes from the first bytes of PNG and TGA files.
#include "ImageHeader.h"

#include <gtest/gtest.h>

#include <string>

namespace norvane::options {
namespace {

std::string PngHeader(unsigned width, unsigned height) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (unsigned v : {width, height}) {
        bytes += static_cast<char>(v >> 24);
        bytes += static_cast<char>(v >> 16);
        bytes += static_cast<char>(v >> 8);
        bytes += static_cast<char>(v);
    }
    return bytes;
}

std::string TgaHeader(unsigned width, unsigned height) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = 32;
    return bytes;
}

TEST(ImageHeader, KindsByEndingInAnyCase) {
    EXPECT_EQ(ImageFileKindOf(L"\\Images\\a.png"), ImageFileKind::Png);
    EXPECT_EQ(ImageFileKindOf(L"B.PNG"), ImageFileKind::Png);
    EXPECT_EQ(ImageFileKindOf(L"c.Tga"), ImageFileKind::Tga);
    EXPECT_EQ(ImageFileKindOf(L"d.bmp"), ImageFileKind::Bmp);
    EXPECT_EQ(ImageFileKindOf(L"png"), ImageFileKind::Other);
    EXPECT_EQ(ImageFileKindOf(L"e.jpg"), ImageFileKind::Other);
    EXPECT_EQ(ImageFileKindOf(L""), ImageFileKind::Other);
}

TEST(ImageHeader, SizesFromHeaders) {
    int w = 0;
    int h = 0;
    ASSERT_TRUE(ReadImageHeaderSize(PngHeader(48, 80), ImageFileKind::Png, w, h));
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 80);
    ASSERT_TRUE(ReadImageHeaderSize(TgaHeader(300, 2), ImageFileKind::Tga, w, h));
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 2);
    // Too short, wrong signature, no IHDR, zero or huge sizes, a kind without header rules.
    EXPECT_FALSE(ReadImageHeaderSize(PngHeader(48, 48).substr(0, 23), ImageFileKind::Png, w, h));
    std::string jpeg = PngHeader(48, 48);
    jpeg[1] = 'J';
    EXPECT_FALSE(ReadImageHeaderSize(jpeg, ImageFileKind::Png, w, h));
    std::string chunk = PngHeader(48, 48);
    chunk[12] = 'X';
    EXPECT_FALSE(ReadImageHeaderSize(chunk, ImageFileKind::Png, w, h));
    EXPECT_FALSE(ReadImageHeaderSize(PngHeader(0, 48), ImageFileKind::Png, w, h));
    EXPECT_FALSE(ReadImageHeaderSize(PngHeader(0x80000000u, 48), ImageFileKind::Png, w, h));
    EXPECT_FALSE(ReadImageHeaderSize(TgaHeader(0, 5), ImageFileKind::Tga, w, h));
    EXPECT_FALSE(ReadImageHeaderSize(TgaHeader(5, 5).substr(0, 17), ImageFileKind::Tga, w, h));
    EXPECT_FALSE(ReadImageHeaderSize(PngHeader(5, 5), ImageFileKind::Bmp, w, h));
}

} // namespace
} // namespace norvane::options
