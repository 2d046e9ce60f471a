#include "Imaging.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The image fixtures of the common tests (written by ImageMagick).
std::wstring FixturePath(const char* name) {
    // The build gives the folder: __FILE__ is relative when ccache rewrites paths.
    std::string path = std::string(NORVANE_IMAGE_DATA_DIR) + name;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

std::vector<BYTE> ReadAll(const std::wstring& path) {
    std::vector<BYTE> bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        BYTE chunk[4096];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        fclose(f);
    }
    return bytes;
}

class ImagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        ASSERT_EQ(CreateImagingFactory(&m_factory), S_OK);
        ASSERT_NE(m_factory, nullptr);
    }
    void TearDown() override {
        if (m_factory)
            m_factory->Release();
        CoUninitialize();
    }

    // Draws the picture into a zeroed 32-bit section, top-down or bottom-up,
    // and returns its pixels top row first.
    std::vector<DWORD> DrawInto32(IImage* image, int width, int height, bool topDown,
                                  const RECT* dst = nullptr) {
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof bmi.bmiHeader, width, topDown ? -height : height, 1, 32, BI_RGB};
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HBITMAP section = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, section);
        ZeroMemory(bits, static_cast<size_t>(width) * height * 4);
        RECT whole{0, 0, width, height};
        EXPECT_EQ(image->Draw(memory, dst ? dst : &whole, nullptr), S_OK);
        GdiFlush();
        std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
        const DWORD* p = static_cast<const DWORD*>(bits);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[y * width + x] = p[(topDown ? y : height - 1 - y) * width + x];
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(section);
        ReleaseDC(nullptr, screen);
        return pixels;
    }

    IImagingFactory* m_factory = nullptr;
};

DWORD Argb(const BYTE* rgba) {
    return (DWORD(rgba[3]) << 24) | (DWORD(rgba[0]) << 16) | (DWORD(rgba[1]) << 8) | rgba[2];
}

} // namespace

TEST_F(ImagingTest, PngFromFileDrawsStraightAlphaAsImageMagickReadsIt) {
    std::vector<BYTE> expected = ReadAll(FixturePath("im32_png.rgba"));
    ASSERT_EQ(expected.size(), 150u * 9u * 4u) << "fixture missing";
    IImage* image = nullptr;
    ASSERT_EQ(m_factory->CreateImageFromFile(FixturePath("im32.png").c_str(), &image), S_OK);
    ImageInfo info{};
    ASSERT_EQ(image->GetImageInfo(&info), S_OK);
    EXPECT_EQ(info.Width, 150u);
    EXPECT_EQ(info.Height, 9u);
    EXPECT_TRUE(IsEqualGUID(info.RawDataFormat, ImageFormatPNG));
    EXPECT_TRUE(info.Flags & ImageFlagsHasAlpha);
    for (bool topDown : {true, false}) {
        std::vector<DWORD> got = DrawInto32(image, 150, 9, topDown);
        int mismatches = 0;
        for (size_t i = 0; i < got.size() && mismatches < 5; ++i) {
            if (got[i] != Argb(&expected[i * 4])) {
                ++mismatches;
                ADD_FAILURE() << (topDown ? "top-down" : "bottom-up") << " pixel " << i % 150 << ","
                              << i / 150 << ": expected " << std::hex << Argb(&expected[i * 4]) << " got "
                              << got[i];
            }
        }
    }
    image->Release();
}

TEST_F(ImagingTest, BufferStaysTheCallersAndDecodesTheSame) {
    std::vector<BYTE> png = ReadAll(FixturePath("im32.png"));
    std::vector<BYTE> expected = ReadAll(FixturePath("im32_png.rgba"));
    ASSERT_FALSE(png.empty());
    std::vector<BYTE> copy = png;
    IImage* image = nullptr;
    ASSERT_EQ(m_factory->CreateImageFromBuffer(png.data(), static_cast<UINT>(png.size()),
                                               BufferDisposalFlagNone, &image),
              S_OK);
    EXPECT_EQ(png, copy);
    std::vector<DWORD> got = DrawInto32(image, 150, 9, true);
    EXPECT_EQ(got[0], Argb(&expected[0]));
    EXPECT_EQ(got[150 * 6 + 75], Argb(&expected[(150 * 6 + 75) * 4])); // middle of the alpha ramp
    // A stretched draw into a larger section copies by nearest neighbour.
    RECT doubled{0, 0, 300, 18};
    std::vector<DWORD> big = DrawInto32(image, 300, 18, true, &doubled);
    EXPECT_EQ(big[2 * 300 * 6 + 2 * 75], Argb(&expected[(150 * 6 + 75) * 4]));
    image->Release();
}

TEST_F(ImagingTest, DrawOntoAnOrdinaryBitmapBlendsWithAlpha) {
    std::vector<BYTE> png = ReadAll(FixturePath("im32.png"));
    std::vector<BYTE> expected = ReadAll(FixturePath("im32_png.rgba"));
    IImage* image = nullptr;
    ASSERT_EQ(m_factory->CreateImageFromBuffer(png.data(), static_cast<UINT>(png.size()),
                                               BufferDisposalFlagNone, &image),
              S_OK);
    HDC screen = GetDC(nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof bmi.bmiHeader, 150, -9, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, section);
    PatBlt(memory, 0, 0, 150, 9, WHITENESS);
    RECT whole{0, 0, 150, 9};
    ASSERT_EQ(image->Draw(memory, &whole, nullptr), S_OK);
    // Row 6 is orange (255, 128, 0) with alpha rising from 0 to 255 left to right.
    COLORREF left = GetPixel(memory, 0, 6);
    COLORREF right = GetPixel(memory, 149, 6);
    COLORREF middle = GetPixel(memory, 75, 6);
    EXPECT_EQ(left, RGB(255, 255, 255));
    EXPECT_EQ(right, RGB(255, 128, 0));
    EXPECT_NEAR(GetGValue(middle), 255 - (255 - 128) * expected[(150 * 6 + 75) * 4 + 3] / 255, 2);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(section);
    ReleaseDC(nullptr, screen);
    image->Release();
}

TEST_F(ImagingTest, UnreadableInputFailsWithoutAnImage) {
    IImage* image = reinterpret_cast<IImage*>(1);
    EXPECT_TRUE(FAILED(m_factory->CreateImageFromFile(FixturePath("missing.png").c_str(), &image)));
    EXPECT_EQ(image, nullptr);
    const BYTE garbage[] = {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8};
    image = reinterpret_cast<IImage*>(1);
    EXPECT_TRUE(
        FAILED(m_factory->CreateImageFromBuffer(garbage, sizeof garbage, BufferDisposalFlagNone, &image)));
    EXPECT_EQ(image, nullptr);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(m_factory->QueryInterface(IID_IImagingFactory, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
}
