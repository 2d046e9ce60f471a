#include "Imaging.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
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
    // Each kind's first bytes followed by nothing it can read.
    const std::vector<std::vector<BYTE>> garbage = {{0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8},
                                                    {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 9, 9},
                                                    {0xFF, 0xD8, 0xFF, 0xE0, 0, 0},
                                                    {'G', 'I', 'F', '8', '9', 'a', 1},
                                                    {'B', 'M', 0, 0, 0},
                                                    {1, 2, 3}};
    for (const std::vector<BYTE>& bytes : garbage) {
        image = reinterpret_cast<IImage*>(1);
        EXPECT_TRUE(FAILED(m_factory->CreateImageFromBuffer(bytes.data(), static_cast<UINT>(bytes.size()),
                                                            BufferDisposalFlagNone, &image)));
        EXPECT_EQ(image, nullptr);
    }
    IUnknown* unknown = nullptr;
    EXPECT_EQ(m_factory->QueryInterface(IID_IImagingFactory, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
}

namespace {

// A picture with flat areas and sharp edges, as a screen has: blue, green, red, x.
std::vector<BYTE> ScreenLikePicture(UINT width, UINT height) {
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            const bool bar = y < height / 4;
            p[0] = bar ? 0x80 : static_cast<BYTE>(x * 255 / width);
            p[1] = bar ? 0x30 : static_cast<BYTE>(y * 255 / height);
            p[2] = bar ? 0x10 : 0xC0;
            p[3] = 0x77; // ignored
        }
    }
    return pixels;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

const ImageCodecInfo* FindByMime(const ImageCodecInfo* codecs, UINT count, const wchar_t* mime) {
    const ImageCodecInfo* found = nullptr;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && _wcsicmp(codecs[i].MimeType, mime) == 0)
            found = &codecs[i];
    return found;
}

} // namespace

TEST_F(ImagingTest, EncodersAreListedWithTheirMimeTypes) {
    UINT count = 0;
    ImageCodecInfo* codecs = nullptr;
    ASSERT_EQ(m_factory->GetInstalledEncoders(&count, &codecs), S_OK);
    ASSERT_NE(codecs, nullptr);
    const ImageCodecInfo* jpeg = FindByMime(codecs, count, L"image/jpeg");
    ASSERT_NE(jpeg, nullptr);
    EXPECT_TRUE(IsEqualCLSID(jpeg->Clsid, CLSID_JpegEncoder));
    EXPECT_TRUE(IsEqualGUID(jpeg->FormatID, ImageFormatJPEG));
    EXPECT_TRUE(jpeg->Flags & ImageCodecFlagsEncoder);
    EXPECT_NE(FindByMime(codecs, count, L"image/bmp"), nullptr);
    EXPECT_NE(FindByMime(codecs, count, L"IMAGE/PNG"), nullptr);
    CoTaskMemFree(codecs);
}

// The capture's way: the sink begins with a 16-bit description, then takes all
// rows in one pass as 32-bit RGB; the file reads back as the picture.
TEST_F(ImagingTest, AJpegWrittenThroughTheSinkReadsBackCloseToThePicture) {
    const UINT width = 96, height = 64;
    std::vector<BYTE> picture = ScreenLikePicture(width, height);
    const std::wstring path = TempFile(L"norvane-encoder-test.jpg");
    DeleteFileW(path.c_str());
    for (bool bottomUp : {false, true}) {
        IImageEncoder* encoder = nullptr;
        ASSERT_EQ(m_factory->CreateImageEncoderToFile(&CLSID_JpegEncoder, path.c_str(), &encoder), S_OK);
        IImageSink* sink = nullptr;
        ASSERT_EQ(encoder->GetEncodeSink(&sink), S_OK);
        ImageInfo info{};
        info.RawDataFormat = ImageFormatMemoryBMP;
        info.PixelFormat = PixelFormat16bppRGB555;
        info.Width = width;
        info.Height = height;
        ASSERT_EQ(sink->BeginSink(&info, nullptr), S_OK);
        // Bottom-up rows are pushed from the last row with a negative stride.
        std::vector<BYTE> rows = picture;
        if (bottomUp)
            for (UINT y = 0; y < height; ++y)
                std::memcpy(&rows[y * width * 4], &picture[(height - 1 - y) * width * 4], width * 4);
        BitmapData data{};
        data.Width = width;
        data.Height = height;
        data.Stride = bottomUp ? -static_cast<INT>(width * 4) : static_cast<INT>(width * 4);
        data.PixelFormat = PixelFormat32bppRGB;
        data.Scan0 = bottomUp ? &rows[(height - 1) * width * 4] : rows.data();
        RECT all{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        ASSERT_EQ(sink->PushPixelData(&all, &data, TRUE), S_OK);
        ASSERT_EQ(sink->EndSink(S_OK), S_OK);
        sink->Release();
        ASSERT_EQ(encoder->TerminateEncoder(), S_OK);
        encoder->Release();

        IImage* image = nullptr;
        ASSERT_EQ(m_factory->CreateImageFromFile(path.c_str(), &image), S_OK);
        ImageInfo read{};
        ASSERT_EQ(image->GetImageInfo(&read), S_OK);
        EXPECT_TRUE(IsEqualGUID(read.RawDataFormat, ImageFormatJPEG));
        ASSERT_EQ(read.Width, width);
        ASSERT_EQ(read.Height, height);
        std::vector<DWORD> got = DrawInto32(image, width, height, true);
        image->Release();
        // The same bytes from memory (its decoder named by the first bytes) read the same.
        std::vector<BYTE> bytes = ReadAll(path);
        ASSERT_EQ(m_factory->CreateImageFromBuffer(bytes.data(), static_cast<UINT>(bytes.size()),
                                                   BufferDisposalFlagNone, &image),
                  S_OK);
        ASSERT_EQ(image->GetImageInfo(&read), S_OK);
        EXPECT_TRUE(IsEqualGUID(read.RawDataFormat, ImageFormatJPEG));
        EXPECT_EQ(DrawInto32(image, width, height, true), got);
        image->Release();
        double squares = 0;
        for (size_t i = 0; i < got.size(); ++i)
            for (int c = 0; c < 3; ++c) {
                const int d = static_cast<int>((got[i] >> (8 * c)) & 0xFF) - picture[i * 4 + c];
                squares += d * d;
            }
        const double rmse = std::sqrt(squares / (got.size() * 3));
        EXPECT_LT(rmse, 4.0) << (bottomUp ? "bottom-up" : "top-down");
        // The flat bar keeps its colour.
        EXPECT_NEAR(static_cast<int>((got[5 * width + 5] >> 16) & 0xFF), 0x10, 3);
        EXPECT_NEAR(static_cast<int>(got[5 * width + 5] & 0xFF), 0x80, 3);
    }
    DeleteFileW(path.c_str());
}

TEST_F(ImagingTest, ABmpEncoderWritesTheExactPixels) {
    const UINT width = 7, height = 5;
    std::vector<BYTE> picture = ScreenLikePicture(width, height);
    const std::wstring path = TempFile(L"norvane-encoder-test.bmp");
    IImageEncoder* encoder = nullptr;
    ASSERT_EQ(m_factory->CreateImageEncoderToFile(&CLSID_BmpEncoder, path.c_str(), &encoder), S_OK);
    IImageSink* sink = nullptr;
    ASSERT_EQ(encoder->GetEncodeSink(&sink), S_OK);
    ImageInfo info{};
    info.PixelFormat = PixelFormat32bppRGB;
    info.Width = width;
    info.Height = height;
    ASSERT_EQ(sink->BeginSink(&info, nullptr), S_OK);
    // Two pushes: the top rows through the sink's own buffer, the rest pushed.
    RECT top{0, 0, static_cast<LONG>(width), 2};
    BitmapData buffer{};
    ASSERT_EQ(sink->GetPixelDataBuffer(&top, PixelFormat32bppRGB, TRUE, &buffer), S_OK);
    for (UINT y = 0; y < 2; ++y)
        std::memcpy(static_cast<BYTE*>(buffer.Scan0) + y * buffer.Stride, &picture[y * width * 4], width * 4);
    ASSERT_EQ(sink->ReleasePixelDataBuffer(&buffer), S_OK);
    RECT rest{0, 2, static_cast<LONG>(width), static_cast<LONG>(height)};
    BitmapData data{
        width, height - 2, static_cast<INT>(width * 4), PixelFormat32bppRGB, &picture[2 * width * 4], 0};
    ASSERT_EQ(sink->PushPixelData(&rest, &data, TRUE), S_OK);
    ASSERT_EQ(sink->EndSink(S_OK), S_OK);
    sink->Release();
    encoder->TerminateEncoder();
    encoder->Release();
    IImage* image = nullptr;
    ASSERT_EQ(m_factory->CreateImageFromFile(path.c_str(), &image), S_OK);
    std::vector<DWORD> got = DrawInto32(image, width, height, true);
    image->Release();
    for (size_t i = 0; i < got.size(); ++i) {
        const DWORD want = 0xFF000000u | picture[i * 4 + 2] << 16 | picture[i * 4 + 1] << 8 | picture[i * 4];
        ASSERT_EQ(got[i], want) << "pixel " << i;
    }
    DeleteFileW(path.c_str());
}

TEST_F(ImagingTest, SinksRefuseWhatTheyCannotTake) {
    IImageEncoder* encoder = reinterpret_cast<IImageEncoder*>(1);
    const std::wstring path = TempFile(L"norvane-encoder-refused.jpg");
    const CLSID unknown = IID_IImage;
    EXPECT_EQ(m_factory->CreateImageEncoderToFile(&unknown, path.c_str(), &encoder), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(encoder, nullptr);
    ASSERT_EQ(m_factory->CreateImageEncoderToFile(&CLSID_JpegEncoder, path.c_str(), &encoder), S_OK);
    IImageSink* sink = nullptr;
    ASSERT_EQ(encoder->GetEncodeSink(&sink), S_OK);
    EXPECT_EQ(sink->EndSink(S_OK), E_FAIL); // never begun
    ImageInfo info{};
    info.Width = 0;
    info.Height = 10;
    EXPECT_EQ(sink->BeginSink(&info, nullptr), E_INVALIDARG);
    info.Width = 100000;
    info.Height = 100000;
    EXPECT_EQ(sink->BeginSink(&info, nullptr), E_INVALIDARG);
    info.Width = 4;
    info.Height = 4;
    ASSERT_EQ(sink->BeginSink(&info, nullptr), S_OK);
    std::vector<BYTE> pixels(4 * 4 * 4);
    BitmapData data{4, 4, 16, PixelFormat32bppRGB, pixels.data(), 0};
    RECT outside{2, 2, 6, 6};
    EXPECT_EQ(sink->PushPixelData(&outside, &data, TRUE), E_INVALIDARG);
    RECT all{0, 0, 4, 4};
    data.PixelFormat = PixelFormat32bppPARGB + 1000;
    EXPECT_EQ(sink->PushPixelData(&all, &data, TRUE), E_NOTIMPL);
    EXPECT_EQ(sink->EndSink(S_OK), E_FAIL); // no rows arrived
    sink->Release();
    encoder->TerminateEncoder();
    EXPECT_EQ(encoder->GetEncodeSink(&sink), E_FAIL); // terminated
    encoder->Release();
    DeleteFileW(path.c_str());
}
