// Imgdecmp.dll as programs use it: loaded by name, DecompressImageIndirect fed
// through the read callback in chunks of the caller's buffer size.
#include "Imgdecmp.h"

#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A JPEG of the given size, its left half red and its right half blue, written
// by WIC's own encoder.
std::vector<BYTE> MakeJpeg(UINT width, UINT height) {
    std::vector<BYTE> result;
    IWICImagingFactory* wic = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&wic))))
        return result;
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    wic->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder);
    encoder->Initialize(stream, WICBitmapEncoderNoCache);
    encoder->CreateNewFrame(&frame, nullptr);
    frame->Initialize(nullptr);
    frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    frame->SetPixelFormat(&format);
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 3);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = x < width / 2 ? 0 : 255; // blue
            p[2] = x < width / 2 ? 255 : 0; // red
        }
    frame->WritePixels(height, width * 3, static_cast<UINT>(pixels.size()), pixels.data());
    frame->Commit();
    encoder->Commit();
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream, &memory);
    const SIZE_T size = GlobalSize(memory);
    const BYTE* data = static_cast<const BYTE*>(GlobalLock(memory));
    result.assign(data, data + size);
    GlobalUnlock(memory);
    frame->Release();
    encoder->Release();
    stream->Release();
    wic->Release();
    return result;
}

struct Source {
    const std::vector<BYTE>* bytes;
    size_t offset = 0;
    DWORD claimExtra = 0; // a callback that says it gave more than it was asked for
};

DWORD CALLBACK GetData(LPSTR buffer, DWORD max, LPARAM param) {
    auto* source = reinterpret_cast<Source*>(param);
    const size_t left = source->bytes->size() - source->offset;
    const DWORD n = static_cast<DWORD>(left < max ? left : max);
    memcpy(buffer, source->bytes->data() + source->offset, n);
    source->offset += n;
    return n == 0 ? 0 : n + source->claimExtra;
}

class ImgdecmpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_module = LoadLibraryW(L"Imgdecmp.dll");
        ASSERT_NE(m_module, nullptr) << "Imgdecmp.dll beside the test program";
        m_decompress =
            reinterpret_cast<DECOMPRESSIMAGEINDIRECT>(GetProcAddress(m_module, "DecompressImageIndirect"));
        ASSERT_NE(m_decompress, nullptr);
        m_jpeg = MakeJpeg(64, 32);
        ASSERT_GT(m_jpeg.size(), 100u);
    }
    void TearDown() override {
        if (m_module)
            FreeLibrary(m_module);
        CoUninitialize();
    }

    HRESULT Decode(DecompressImageInfo& info, Source& source, BYTE* buffer, DWORD bufferSize) {
        info.dwSize = sizeof info;
        info.pbBuffer = buffer;
        info.dwBufferMax = bufferSize;
        info.pfnGetData = GetData;
        info.lParam = reinterpret_cast<LPARAM>(&source);
        return m_decompress(&info);
    }

    static BITMAP Describe(HBITMAP bitmap) {
        BITMAP bm{};
        GetObjectW(bitmap, sizeof bm, &bm);
        return bm;
    }
    // The colour at (x, y) of a DIB section, as a COLORREF.
    static COLORREF Pixel(HBITMAP bitmap, int x, int y) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF colour = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return colour;
    }
    static bool Near(COLORREF colour, int r, int g, int b) {
        return abs(GetRValue(colour) - r) < 40 && abs(GetGValue(colour) - g) < 40 &&
               abs(GetBValue(colour) - b) < 40;
    }

    HMODULE m_module = nullptr;
    DECOMPRESSIMAGEINDIRECT m_decompress = nullptr;
    std::vector<BYTE> m_jpeg;
};

TEST_F(ImgdecmpTest, DecodesThroughTheCallbackAtTheDepthAskedFor) {
    for (int depth : {24, 16, 32, 8}) {
        Source source{&m_jpeg};
        BYTE buffer[7]; // the image arrives seven bytes at a time
        HBITMAP bitmap = nullptr;
        IImageRender* render = reinterpret_cast<IImageRender*>(1);
        DecompressImageInfo info{};
        info.phBM = &bitmap;
        info.ppImageRender = &render;
        info.iBitDepth = depth;
        info.iScale = 100;
        ASSERT_EQ(Decode(info, source, buffer, sizeof buffer), S_OK) << "depth " << depth;
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(render, nullptr) << "no progressive renderer is handed out";
        const BITMAP bm = Describe(bitmap);
        EXPECT_EQ(bm.bmWidth, 64);
        EXPECT_EQ(bm.bmHeight, 32);
        EXPECT_EQ(bm.bmBitsPixel, depth == 8 ? 24 : depth) << "an unsupported depth gives 24";
        EXPECT_TRUE(Near(Pixel(bitmap, 8, 16), 255, 0, 0)) << std::hex << Pixel(bitmap, 8, 16);
        EXPECT_TRUE(Near(Pixel(bitmap, 56, 16), 0, 0, 255)) << std::hex << Pixel(bitmap, 56, 16);
        DeleteObject(bitmap);
    }
}

TEST_F(ImgdecmpTest, ScalesAndFitsKeepingTheShape) {
    struct Case {
        int scale, maxWidth, maxHeight;
        LONG width, height;
    } cases[] = {
        {100, 0, 0, 64, 32},  {50, 0, 0, 32, 16},      {0, 0, 0, 64, 32}, {100, 32, 100, 32, 16},
        {100, 100, 8, 16, 8}, {100, 200, 200, 64, 32}, {1, 0, 0, 1, 1},   {100, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        Source source{&m_jpeg};
        HBITMAP bitmap = nullptr;
        DecompressImageInfo info{};
        info.phBM = &bitmap;
        info.iBitDepth = 24;
        info.iScale = c.scale;
        info.iMaxWidth = c.maxWidth;
        info.iMaxHeight = c.maxHeight;
        ASSERT_EQ(Decode(info, source, nullptr, 0), S_OK);
        const BITMAP bm = Describe(bitmap);
        EXPECT_EQ(bm.bmWidth, c.width) << "scale " << c.scale << " max " << c.maxWidth << "x" << c.maxHeight;
        EXPECT_EQ(bm.bmHeight, c.height)
            << "scale " << c.scale << " max " << c.maxWidth << "x" << c.maxHeight;
        DeleteObject(bitmap);
    }
}

TEST_F(ImgdecmpTest, BadInputGivesAFailureAndNoBitmap) {
    BYTE buffer[512];
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    DecompressImageInfo info{};
    info.phBM = &bitmap;
    info.iBitDepth = 24;

    std::vector<BYTE> garbage(300, 0x5A);
    Source noise{&garbage};
    EXPECT_TRUE(FAILED(Decode(info, noise, buffer, sizeof buffer)));
    EXPECT_EQ(bitmap, nullptr);

    std::vector<BYTE> cut(m_jpeg.begin(), m_jpeg.begin() + 40); // a header and no picture
    Source truncated{&cut};
    EXPECT_TRUE(FAILED(Decode(info, truncated, buffer, sizeof buffer)));
    EXPECT_EQ(bitmap, nullptr);

    std::vector<BYTE> empty;
    Source nothing{&empty};
    EXPECT_EQ(Decode(info, nothing, buffer, sizeof buffer), IMGDECOMP_E_NOIMAGE);

    DecompressImageInfo small{};
    small.dwSize = sizeof small - 4;
    small.pfnGetData = GetData;
    EXPECT_EQ(m_decompress(&small), E_INVALIDARG);
    EXPECT_EQ(m_decompress(nullptr), E_INVALIDARG);
}

TEST_F(ImgdecmpTest, ACallbackThatOverstatesWhatItGaveIsHeldToTheBuffer) {
    Source source{&m_jpeg};
    source.claimExtra = 1u << 30;
    BYTE buffer[64];
    HBITMAP bitmap = nullptr;
    DecompressImageInfo info{};
    info.phBM = &bitmap;
    info.iBitDepth = 24;
    // Read as the buffer's size, the image is whole again.
    EXPECT_EQ(Decode(info, source, buffer, sizeof buffer), S_OK);
    EXPECT_EQ(Describe(bitmap).bmWidth, 64);
    DeleteObject(bitmap);
}

} // namespace
