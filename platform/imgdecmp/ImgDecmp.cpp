// "Imgdecmp.dll" of the simulated device: DecompressImageIndirect over WIC. The
// image is read whole through the caller's callback, decoded, scaled by iScale
// and then shrunk to fit iMaxWidth x iMaxHeight, and returned as a top-down DIB
// section of the requested depth.
#include "Imgdecmp.h"

#include <wincodec.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr DWORD kOwnBufferSize = 4096;
constexpr UINT kMaxSide = 8192;

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_ptr)
            m_ptr->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* Get() const { return m_ptr; }
    T** Put() { return &m_ptr; }
    T* operator->() const { return m_ptr; }

private:
    T* m_ptr = nullptr;
};

class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

// Everything the callback gives, bounded; false when the image is too large.
bool ReadImage(const DecompressImageInfo& info, std::vector<BYTE>& bytes) {
    std::vector<BYTE> own;
    LPSTR buffer = reinterpret_cast<LPSTR>(info.pbBuffer);
    DWORD capacity = info.dwBufferMax;
    if (buffer && info.dwBufferCurrent > 0)
        bytes.assign(info.pbBuffer, info.pbBuffer + std::min(info.dwBufferCurrent, info.dwBufferMax));
    if (!buffer || capacity == 0) {
        own.resize(kOwnBufferSize);
        buffer = reinterpret_cast<LPSTR>(own.data());
        capacity = kOwnBufferSize;
    }
    if (!info.pfnGetData)
        return true;
    for (;;) {
        // A callback that claims more than the buffer holds is taken at the buffer's size.
        const DWORD got = std::min(info.pfnGetData(buffer, capacity, info.lParam), capacity);
        if (got == 0)
            return true;
        if (bytes.size() + got > IMGDECOMP_MAX_INPUT)
            return false;
        bytes.insert(bytes.end(), reinterpret_cast<BYTE*>(buffer), reinterpret_cast<BYTE*>(buffer) + got);
    }
}

// The output size: scaled by percent, then shrunk to fit the limits keeping the
// picture's shape; never below one pixel.
void OutputSize(UINT width, UINT height, int scale, int maxWidth, int maxHeight, UINT& outWidth,
                UINT& outHeight) {
    if (scale <= 0 || scale > 100)
        scale = 100;
    double w = width * (scale / 100.0), h = height * (scale / 100.0);
    double fit = 1.0;
    if (maxWidth > 0 && w > maxWidth)
        fit = std::min(fit, maxWidth / w);
    if (maxHeight > 0 && h > maxHeight)
        fit = std::min(fit, maxHeight / h);
    outWidth = std::max<UINT>(1, static_cast<UINT>(w * fit + 0.5));
    outHeight = std::max<UINT>(1, static_cast<UINT>(h * fit + 0.5));
}

// 32-bit BGRA rows to a DIB section of the depth asked for.
HBITMAP MakeBitmap(const std::vector<BYTE>& bgra, UINT width, UINT height, int depth) {
    if (depth != 16 && depth != 32)
        depth = 24;
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = static_cast<LONG>(width);
    info.header.biHeight = -static_cast<LONG>(height);
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(depth);
    info.header.biCompression = BI_RGB;
    if (depth == 16) {
        info.header.biCompression = BI_BITFIELDS;
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
    }
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
        return bitmap;
    const size_t stride = ((static_cast<size_t>(width) * depth + 31) / 32) * 4;
    for (UINT y = 0; y < height; ++y) {
        const BYTE* source = &bgra[static_cast<size_t>(y) * width * 4];
        BYTE* row = static_cast<BYTE*>(bits) + y * stride;
        for (UINT x = 0; x < width; ++x, source += 4) {
            if (depth == 32) {
                row[x * 4] = source[0];
                row[x * 4 + 1] = source[1];
                row[x * 4 + 2] = source[2];
                row[x * 4 + 3] = 0;
            } else if (depth == 24) {
                row[x * 3] = source[0];
                row[x * 3 + 1] = source[1];
                row[x * 3 + 2] = source[2];
            } else {
                const WORD pixel =
                    static_cast<WORD>(((source[2] >> 3) << 11) | ((source[1] >> 2) << 5) | (source[0] >> 3));
                row[x * 2] = static_cast<BYTE>(pixel & 0xFF);
                row[x * 2 + 1] = static_cast<BYTE>(pixel >> 8);
            }
        }
    }
    return bitmap;
}

HRESULT Decode(const std::vector<BYTE>& bytes, const DecompressImageInfo& info, HBITMAP& bitmap) {
    ComPtr<IWICImagingFactory> wic;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(wic.Put()));
    if (FAILED(hr))
        return hr;
    ComPtr<IWICStream> stream;
    if (FAILED(hr = wic->CreateStream(stream.Put())))
        return hr;
    if (FAILED(hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                                 static_cast<DWORD>(bytes.size()))))
        return hr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(wic->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                            decoder.Put())))
        return IMGDECOMP_E_NOIMAGE;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.Put())))
        return hr;
    UINT width = 0, height = 0;
    if (FAILED(hr = frame->GetSize(&width, &height)))
        return hr;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return IMGDECOMP_E_NOIMAGE;
    UINT outWidth = 0, outHeight = 0;
    OutputSize(width, height, info.iScale, info.iMaxWidth, info.iMaxHeight, outWidth, outHeight);
    IWICBitmapSource* source = frame.Get();
    ComPtr<IWICBitmapScaler> scaler;
    if (outWidth != width || outHeight != height) {
        if (FAILED(hr = wic->CreateBitmapScaler(scaler.Put())))
            return hr;
        if (FAILED(hr = scaler->Initialize(frame.Get(), outWidth, outHeight, WICBitmapInterpolationModeFant)))
            return hr;
        source = scaler.Get();
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = wic->CreateFormatConverter(converter.Put())))
        return hr;
    if (FAILED(hr = converter->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                          nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return hr;
    std::vector<BYTE> pixels(static_cast<size_t>(outWidth) * outHeight * 4);
    if (FAILED(hr = converter->CopyPixels(nullptr, outWidth * 4, static_cast<UINT>(pixels.size()),
                                          pixels.data())))
        return hr;
    bitmap = MakeBitmap(pixels, outWidth, outHeight, info.iBitDepth);
    return bitmap ? S_OK : E_OUTOFMEMORY;
}

} // namespace

extern "C" HRESULT WINAPI DecompressImageIndirect(DecompressImageInfo* pParams) {
    if (!pParams || pParams->dwSize < sizeof(DecompressImageInfo) || !pParams->pfnGetData)
        return E_INVALIDARG;
    if (pParams->phBM)
        *pParams->phBM = nullptr;
    if (pParams->ppImageRender)
        *pParams->ppImageRender = nullptr;
    std::vector<BYTE> bytes;
    if (!ReadImage(*pParams, bytes))
        return E_OUTOFMEMORY;
    if (bytes.empty())
        return IMGDECOMP_E_NOIMAGE;
    ComApartment com;
    HBITMAP bitmap = nullptr;
    const HRESULT hr = Decode(bytes, *pParams, bitmap);
    if (FAILED(hr))
        return hr;
    if (pParams->phBM)
        *pParams->phBM = bitmap;
    else
        DeleteObject(bitmap);
    return S_OK;
}
