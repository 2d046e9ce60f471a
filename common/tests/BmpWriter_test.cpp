// The capture's BMP files: header fields for every depth, and files that
// ImageMagick reads back to the pixels written (on the host build, where
// ImageMagick runs).
#include "BmpWriter.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace norvane {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

struct Rgb {
    int r, g, b;
};

// A picture of one depth with pixels set through a colour per (x, y), and the
// colours a reader should see.
struct TestPicture {
    BmpPicture picture;
    std::vector<std::uint8_t> rows; // bottom-up
    std::vector<Rgb> expected;      // top-down, row by row

    TestPicture(int width, int height, int bits) {
        picture.width = width;
        picture.height = height;
        picture.bitsPerPixel = bits;
        rows.assign(BmpRowBytes(width, bits) * height, 0xEE); // padding bytes are junk on purpose
        expected.resize(static_cast<std::size_t>(width) * height);
        if (bits <= 8) {
            // Colours that no two entries share, so a wrong index shows.
            for (int i = 0; i < (1 << bits); ++i) {
                picture.colours.push_back(
                    static_cast<std::uint32_t>((i * 37 % 256) << 16 | (255 - i) << 8 | (i * 91 % 256)));
            }
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Set(x, y, (x * 7 + y * 13) % 256);
            }
        }
    }

    void Set(int x, int y, int seed) {
        const int bits = picture.bitsPerPixel;
        std::uint8_t* row = rows.data() + BmpRowBytes(picture.width, bits) * (picture.height - 1 - y);
        Rgb& want = expected[static_cast<std::size_t>(y) * picture.width + x];
        if (bits <= 8) {
            const int index = seed % (1 << bits);
            const int perByte = 8 / bits;
            const int shift = (perByte - 1 - x % perByte) * bits;
            std::uint8_t& byte = row[x / perByte];
            if (x % perByte == 0) {
                byte = 0;
            }
            byte = static_cast<std::uint8_t>(byte | index << shift);
            const std::uint32_t c = picture.colours[index];
            want = {static_cast<int>(c >> 16 & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                    static_cast<int>(c & 0xFF)};
        } else if (bits == 16) {
            const int r = seed % 32, g = (seed * 3) % 32, b = 31 - seed % 32;
            const std::uint16_t v = static_cast<std::uint16_t>(r << 10 | g << 5 | b);
            row[x * 2] = static_cast<std::uint8_t>(v);
            row[x * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
            // Five bits widen to eight by repeating their top bits, as readers do.
            auto scale = [](int five) { return five << 3 | five >> 2; };
            want = {scale(r), scale(g), scale(b)};
        } else {
            const int bytes = bits / 8;
            const int r = seed, g = (seed * 5) % 256, b = 255 - seed;
            row[x * bytes] = static_cast<std::uint8_t>(b);
            row[x * bytes + 1] = static_cast<std::uint8_t>(g);
            row[x * bytes + 2] = static_cast<std::uint8_t>(r);
            if (bytes == 4) {
                row[x * bytes + 3] = 0x5A; // the unused byte must not matter
            }
            want = {r, g, b};
        }
    }
};

TEST(BmpWriter, HeadersDescribeEveryDepth) {
    struct Case {
        int bits;
        int entries;
        std::uint32_t compression;
    };
    const Case cases[] = {{1, 2, 0}, {2, 4, 0}, {4, 16, 0}, {8, 256, 0}, {16, 3, 3}, {24, 0, 0}, {32, 3, 3}};
    for (const Case& c : cases) {
        TestPicture test(13, 5, c.bits);
        const std::vector<std::uint8_t> file = EncodeBmp(test.picture, test.rows.data());
        ASSERT_FALSE(file.empty()) << c.bits;
        const std::uint32_t imageSize = static_cast<std::uint32_t>(((c.bits * 13 + 31) / 32) * 4 * 5);
        const std::uint32_t offset = 54 + 4 * c.entries;
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(U32(file, 2), offset + imageSize) << c.bits;
        EXPECT_EQ(file.size(), offset + imageSize) << c.bits;
        EXPECT_EQ(U32(file, 6), 0u);
        EXPECT_EQ(U32(file, 10), offset) << c.bits;
        EXPECT_EQ(U32(file, 14), 40u);
        EXPECT_EQ(U32(file, 18), 13u);
        EXPECT_EQ(U32(file, 22), 5u); // positive: bottom-up
        EXPECT_EQ(U16(file, 26), 1u);
        EXPECT_EQ(U16(file, 28), c.bits);
        EXPECT_EQ(U32(file, 30), c.compression) << c.bits;
        EXPECT_EQ(U32(file, 34), imageSize) << c.bits;
        for (std::size_t at = 38; at < 54; at += 4) {
            EXPECT_EQ(U32(file, at), 0u) << c.bits << " field at " << at;
        }
        if (c.bits == 16) {
            EXPECT_EQ(U32(file, 54), 0x7C00u);
            EXPECT_EQ(U32(file, 58), 0x03E0u);
            EXPECT_EQ(U32(file, 62), 0x001Fu);
        } else if (c.bits == 32) {
            EXPECT_EQ(U32(file, 54), 0xFF0000u);
            EXPECT_EQ(U32(file, 58), 0x00FF00u);
            EXPECT_EQ(U32(file, 62), 0x0000FFu);
        } else if (c.bits <= 8) {
            for (int i = 0; i < c.entries; ++i) {
                EXPECT_EQ(U32(file, 54 + 4 * i), test.picture.colours[i]) << c.bits << " entry " << i;
            }
        }
        EXPECT_EQ(0, std::memcmp(file.data() + offset, test.rows.data(), imageSize)) << c.bits;
    }
}

TEST(BmpWriter, ShortTablesArePaddedAndBadPicturesRefused) {
    BmpPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.bitsPerPixel = 8;
    picture.colours = {0x123456};
    const std::vector<std::uint8_t> headers = BmpHeaders(picture);
    ASSERT_EQ(headers.size(), 54u + 1024u);
    EXPECT_EQ(U32(headers, 54), 0x123456u);
    EXPECT_EQ(U32(headers, 58), 0u);
    EXPECT_EQ(U32(headers, 54 + 1020), 0u);
    // An over-long table is cut to the depth's size; the reserved byte stays 0.
    picture.bitsPerPixel = 1;
    picture.colours = {0xFF000001, 0x000002, 0x000003};
    const std::vector<std::uint8_t> mono = BmpHeaders(picture);
    ASSERT_EQ(mono.size(), 62u);
    EXPECT_EQ(U32(mono, 54), 0x000001u);

    const BmpPicture bad[] = {{0, 1, 24, {}}, {1, 0, 24, {}}, {-3, 2, 24, {}},       {2, 2, 3, {}},
                              {2, 2, 0, {}},  {2, 2, 64, {}}, {70000, 70000, 32, {}}};
    for (const BmpPicture& b : bad) {
        EXPECT_TRUE(BmpHeaders(b).empty()) << b.width << "x" << b.height << "x" << b.bitsPerPixel;
    }
    EXPECT_TRUE(EncodeBmp(picture, nullptr).empty());
    EXPECT_EQ(BmpRowBytes(1, 1), 4u);
    EXPECT_EQ(BmpRowBytes(33, 1), 8u);
    EXPECT_EQ(BmpRowBytes(3, 24), 12u);
    EXPECT_EQ(BmpRowBytes(5, 16), 12u);
}

TEST(BmpWriter, StandardPalettesFillTheirTables) {
    EXPECT_EQ(StandardPalette(1).size(), 2u);
    EXPECT_EQ(StandardPalette(2).size(), 4u);
    EXPECT_EQ(StandardPalette(4).size(), 16u);
    const std::vector<std::uint32_t> full = StandardPalette(8);
    ASSERT_EQ(full.size(), 256u);
    EXPECT_EQ(full.front(), 0x000000u);
    EXPECT_EQ(full.back(), 0xFFFFFFu);
    EXPECT_TRUE(StandardPalette(16).empty());
}

#ifndef _WIN32
// ImageMagick's reading of a file as 8-bit red, green, blue triples, top row first.
bool ReadWithImageMagick(const std::filesystem::path& file, int width, int height, std::vector<Rgb>& out) {
    const std::string command = "convert 'BMP:" + file.string() + "' -depth 8 RGB:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(width) * height * 3 + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), pipe);
    const int status = pclose(pipe);
    if (status != 0 || got != bytes.size() - 1) {
        return false;
    }
    out.clear();
    for (std::size_t i = 0; i + 2 < got; i += 3) {
        out.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
    }
    return true;
}

TEST(BmpWriter, ImageMagickReadsBackThePixelsOfEveryDepth) {
    test::ScratchDir scratch;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        TestPicture test(37, 11, bits); // odd sizes: every row needs padding
        const std::vector<std::uint8_t> file = EncodeBmp(test.picture, test.rows.data());
        const auto path = scratch.Path("depth" + std::to_string(bits) + ".bmp");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
        std::vector<Rgb> read;
        ASSERT_TRUE(ReadWithImageMagick(path, 37, 11, read))
            << "ImageMagick cannot read the " << bits << "-bit file";
        ASSERT_EQ(read.size(), test.expected.size());
        int wrong = 0;
        for (std::size_t i = 0; i < read.size() && wrong < 5; ++i) {
            const Rgb& a = read[i];
            const Rgb& e = test.expected[i];
            if (a.r != e.r || a.g != e.g || a.b != e.b) {
                ADD_FAILURE() << bits << " bits, pixel (" << i % 37 << "," << i / 37 << "): expected " << e.r
                              << "," << e.g << "," << e.b << " got " << a.r << "," << a.g << "," << a.b;
                ++wrong;
            }
        }
    }
}
#endif

} // namespace
} // namespace norvane
