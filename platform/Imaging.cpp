// The imaging service over WIC. Pictures are decoded once, when the image object
// is created, into straight BGRA rows; Draw copies or blends from those.
#include "Imaging.h"

#include "ImagingInternal.h"

#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

namespace {

using norvane::platform::ComPtr;

// Pictures larger than this are refused rather than decoded (hostile headers).
constexpr UINT64 kMaxPixels = 16u * 1024u * 1024u;
constexpr double kHimetricPerInch = 2540.0;

// A decoded picture: straight B, G, R, A bytes, top row first.
struct Picture {
    UINT width = 0;
    UINT height = 0;
    double xdpi = 96.0;
    double ydpi = 96.0;
    GUID format = ImageFormatMemoryBMP;
    bool hasAlpha = false;
    std::vector<BYTE> pixels;
};

// The decoder for the picture's first bytes (JPEG, PNG, GIF, BMP), or null.
// Naming it directly spares WIC's search, which creates every installed
// decoder in turn to ask it; that search is most of a small picture's time.
const CLSID* DecoderFor(const BYTE* bytes, UINT size) {
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return &CLSID_WICJpegDecoder;
    if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0)
        return &CLSID_WICPngDecoder;
    if (size >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0))
        return &CLSID_WICGifDecoder;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return &CLSID_WICBmpDecoder;
    return nullptr;
}

GUID RawFormatOf(const GUID& container) {
    if (IsEqualGUID(container, GUID_ContainerFormatPng))
        return ImageFormatPNG;
    if (IsEqualGUID(container, GUID_ContainerFormatJpeg))
        return ImageFormatJPEG;
    if (IsEqualGUID(container, GUID_ContainerFormatBmp))
        return ImageFormatBMP;
    if (IsEqualGUID(container, GUID_ContainerFormatGif))
        return ImageFormatGIF;
    return ImageFormatMemoryBMP;
}

HRESULT DecodeFrame(IWICImagingFactory* wic, IWICBitmapDecoder* decoder, Picture& picture) {
    ComPtr<IWICBitmapFrameDecode> frame;
    HRESULT hr = decoder->GetFrame(0, frame.Put());
    if (FAILED(hr))
        return hr;
    UINT width = 0, height = 0;
    hr = frame->GetSize(&width, &height);
    if (FAILED(hr))
        return hr;
    if (width == 0 || height == 0 || static_cast<UINT64>(width) * height > kMaxPixels)
        return E_OUTOFMEMORY;
    ComPtr<IWICFormatConverter> converter;
    hr = wic->CreateFormatConverter(converter.Put());
    if (FAILED(hr))
        return hr;
    // 32bppBGRA is WIC's straight-alpha format: exactly what Draw hands out.
    hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                               0.0, WICBitmapPaletteTypeCustom);
    if (FAILED(hr))
        return hr;
    try {
        picture.pixels.resize(static_cast<size_t>(width) * height * 4);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(picture.pixels.size()),
                               picture.pixels.data());
    if (FAILED(hr))
        return hr;
    picture.width = width;
    picture.height = height;
    double xdpi = 0, ydpi = 0;
    if (SUCCEEDED(frame->GetResolution(&xdpi, &ydpi)) && xdpi > 1.0 && ydpi > 1.0) {
        picture.xdpi = xdpi;
        picture.ydpi = ydpi;
    }
    GUID container{};
    if (SUCCEEDED(decoder->GetContainerFormat(&container)))
        picture.format = RawFormatOf(container);
    for (size_t i = 3; i < picture.pixels.size(); i += 4) {
        if (picture.pixels[i] != 255) {
            picture.hasAlpha = true;
            break;
        }
    }
    return S_OK;
}

class Image final : public IImage {
public:
    explicit Image(Picture&& picture) : m_picture(std::move(picture)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IImage)) {
            *object = static_cast<IImage*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetPhysicalDimension(SIZE* size) override {
        if (!size)
            return E_POINTER;
        size->cx = static_cast<LONG>(m_picture.width * kHimetricPerInch / m_picture.xdpi + 0.5);
        size->cy = static_cast<LONG>(m_picture.height * kHimetricPerInch / m_picture.ydpi + 0.5);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) override {
        if (!info)
            return E_POINTER;
        std::memset(info, 0, sizeof *info);
        info->RawDataFormat = m_picture.format;
        info->PixelFormat = PixelFormat32bppARGB;
        info->Width = m_picture.width;
        info->Height = m_picture.height;
        info->TileWidth = m_picture.width;
        info->TileHeight = 1;
        info->Xdpi = m_picture.xdpi;
        info->Ydpi = m_picture.ydpi;
        info->Flags = ImageFlagsColorSpaceRGB | ImageFlagsReadOnly | ImageFlagsHasRealPixelSize |
                      (m_picture.hasAlpha ? ImageFlagsHasAlpha | ImageFlagsHasTranslucent : 0);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetImageFlags(UINT) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE Draw(HDC hdc, const RECT* dstRect, const RECT* srcRect) override;

    HRESULT STDMETHODCALLTYPE PushIntoSink(IImageSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT, UINT, IImage**) override { return E_NOTIMPL; }

private:
    ~Image() = default;
    HRESULT CopyInto32(HDC hdc, const RECT& dst, const RECT& src) const;
    HRESULT BlendOnto(HDC hdc, const RECT& dst, const RECT& src) const;

    std::atomic<ULONG> m_refs{1};
    Picture m_picture;
};

HRESULT Image::Draw(HDC hdc, const RECT* dstRect, const RECT* srcRect) {
    if (!hdc || !dstRect)
        return E_INVALIDARG;
    RECT src{0, 0, static_cast<LONG>(m_picture.width), static_cast<LONG>(m_picture.height)};
    if (srcRect) {
        // The source rectangle comes in 0.01 mm.
        src.left = static_cast<LONG>(srcRect->left * m_picture.xdpi / kHimetricPerInch + 0.5);
        src.right = static_cast<LONG>(srcRect->right * m_picture.xdpi / kHimetricPerInch + 0.5);
        src.top = static_cast<LONG>(srcRect->top * m_picture.ydpi / kHimetricPerInch + 0.5);
        src.bottom = static_cast<LONG>(srcRect->bottom * m_picture.ydpi / kHimetricPerInch + 0.5);
        src.left = std::clamp<LONG>(src.left, 0, m_picture.width);
        src.right = std::clamp<LONG>(src.right, 0, m_picture.width);
        src.top = std::clamp<LONG>(src.top, 0, m_picture.height);
        src.bottom = std::clamp<LONG>(src.bottom, 0, m_picture.height);
    }
    if (src.right <= src.left || src.bottom <= src.top)
        return E_INVALIDARG;
    if (dstRect->right <= dstRect->left || dstRect->bottom <= dstRect->top)
        return S_OK;
    DIBSECTION section{};
    HGDIOBJ selected = GetCurrentObject(hdc, OBJ_BITMAP);
    if (selected && GetObjectW(selected, sizeof section, &section) == sizeof section && section.dsBm.bmBits &&
        section.dsBm.bmBitsPixel == 32 && section.dsBmih.biCompression == BI_RGB)
        return CopyInto32(hdc, *dstRect, src);
    return BlendOnto(hdc, *dstRect, src);
}

// Into a 32-bit section the straight B, G, R, A values are copied: GDI copies
// 32-bit pixels between 32-bit surfaces unchanged, alpha byte included, and
// takes care of the section's row order, the DC's mapping and its clipping.
HRESULT Image::CopyInto32(HDC hdc, const RECT& dst, const RECT& src) const {
    const LONG width = src.right - src.left;
    const LONG height = src.bottom - src.top;
    const BYTE* pixels = m_picture.pixels.data();
    std::vector<BYTE> part;
    if (width != static_cast<LONG>(m_picture.width) || height != static_cast<LONG>(m_picture.height)) {
        part.resize(static_cast<size_t>(width) * height * 4);
        for (LONG y = 0; y < height; ++y)
            std::memcpy(&part[static_cast<size_t>(y) * width * 4],
                        pixels + (static_cast<size_t>(src.top + y) * m_picture.width + src.left) * 4,
                        static_cast<size_t>(width) * 4);
        pixels = part.data();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
    const int lines = StretchDIBits(hdc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, 0, 0,
                                    width, height, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    if (oldMode)
        SetStretchBltMode(hdc, oldMode);
    return lines > 0 ? S_OK : E_FAIL;
}

// Onto any other destination: premultiply into a temporary section and let
// GDI blend it with its alpha.
HRESULT Image::BlendOnto(HDC hdc, const RECT& dst, const RECT& src) const {
    const LONG width = src.right - src.left;
    const LONG height = src.bottom - src.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP temporary = CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!temporary)
        return E_OUTOFMEMORY;
    BYTE* out = static_cast<BYTE*>(bits);
    for (LONG y = 0; y < height; ++y) {
        const BYTE* in =
            m_picture.pixels.data() + (static_cast<size_t>(src.top + y) * m_picture.width + src.left) * 4;
        for (LONG x = 0; x < width; ++x, in += 4, out += 4) {
            const unsigned a = in[3];
            out[0] = static_cast<BYTE>((in[0] * a + 127) / 255);
            out[1] = static_cast<BYTE>((in[1] * a + 127) / 255);
            out[2] = static_cast<BYTE>((in[2] * a + 127) / 255);
            out[3] = static_cast<BYTE>(a);
        }
    }
    HRESULT hr = E_FAIL;
    if (HDC memory = CreateCompatibleDC(hdc)) {
        HGDIOBJ old = SelectObject(memory, temporary);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (AlphaBlend(hdc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, memory, 0, 0,
                       width, height, blend))
            hr = S_OK;
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(temporary);
    return hr;
}

class ImagingFactory final : public IImagingFactory {
public:
    explicit ImagingFactory(IWICImagingFactory* wic) : m_wic(wic) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IImagingFactory)) {
            *object = static_cast<IImagingFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) override {
        if (!image)
            return E_POINTER;
        *image = nullptr;
        if (!stream)
            return E_INVALIDARG;
        ComPtr<IWICBitmapDecoder> decoder;
        HRESULT hr =
            m_wic->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put());
        if (FAILED(hr))
            return hr;
        return Finish(decoder.Get(), image);
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromFile(const WCHAR* filename, IImage** image) override {
        if (!image)
            return E_POINTER;
        *image = nullptr;
        if (!filename || !*filename)
            return E_INVALIDARG;
        ComPtr<IWICBitmapDecoder> decoder;
        HRESULT hr = m_wic->CreateDecoderFromFilename(filename, nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, decoder.Put());
        if (FAILED(hr))
            return hr;
        return Finish(decoder.Get(), image);
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size,
                                                    BufferDisposalFlag disposal, IImage** image) override {
        if (!image)
            return E_POINTER;
        *image = nullptr;
        if (!buffer || size == 0)
            return E_INVALIDARG;
        // Everything is decoded now, so the buffer is done with when we return.
        HRESULT hr = DecodeBuffer(buffer, size, image);
        switch (disposal) {
        case BufferDisposalFlagGlobalFree:
            GlobalFree(const_cast<void*>(buffer));
            break;
        case BufferDisposalFlagCoTaskMemFree:
            CoTaskMemFree(const_cast<void*>(buffer));
            break;
        case BufferDisposalFlagUnmapView:
            UnmapViewOfFile(buffer);
            break;
        default:
            break;
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE CreateNewBitmap(UINT, UINT, PixelFormatID, IBitmapImage** bitmap) override {
        return NotImplemented(bitmap);
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromImage(IImage*, UINT, UINT, PixelFormatID, InterpolationHint,
                                                    IBitmapImage** bitmap) override {
        return NotImplemented(bitmap);
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromBuffer(BitmapData*, IBitmapImage** bitmap) override {
        return NotImplemented(bitmap);
    }
    HRESULT STDMETHODCALLTYPE CreateImageDecoder(IStream*, DecoderInitFlag,
                                                 IImageDecoder** decoder) override {
        return NotImplemented(decoder);
    }
    HRESULT STDMETHODCALLTYPE CreateImageEncoderToStream(const CLSID* clsid, IStream* stream,
                                                         IImageEncoder** encoder) override {
        return norvane::platform::CreateWicEncoderToStream(m_wic, clsid, stream, encoder);
    }
    HRESULT STDMETHODCALLTYPE CreateImageEncoderToFile(const CLSID* clsid, const WCHAR* filename,
                                                       IImageEncoder** encoder) override {
        return norvane::platform::CreateWicEncoderToFile(m_wic, clsid, filename, encoder);
    }
    HRESULT STDMETHODCALLTYPE GetInstalledDecoders(UINT* count, ImageCodecInfo** decoders) override {
        return NoCodecs(count, decoders);
    }
    HRESULT STDMETHODCALLTYPE GetInstalledEncoders(UINT* count, ImageCodecInfo** encoders) override {
        return norvane::platform::InstalledWicEncoders(count, encoders);
    }
    HRESULT STDMETHODCALLTYPE InstallImageCodec(const ImageCodecInfo*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UninstallImageCodec(const WCHAR*, UINT) override { return E_NOTIMPL; }

private:
    ~ImagingFactory() {
        if (m_wic)
            m_wic->Release();
    }

    template <class T> static HRESULT NotImplemented(T** out) {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    static HRESULT NoCodecs(UINT* count, ImageCodecInfo** codecs) {
        if (!count || !codecs)
            return E_POINTER;
        *count = 0;
        *codecs = nullptr;
        return S_OK;
    }

    HRESULT DecodeBuffer(const void* buffer, UINT size, IImage** image) {
        ComPtr<IWICStream> stream;
        HRESULT hr = m_wic->CreateStream(stream.Put());
        if (FAILED(hr))
            return hr;
        hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(buffer)), size);
        if (FAILED(hr))
            return hr;
        ComPtr<IWICBitmapDecoder> decoder;
        if (const CLSID* known = DecoderFor(static_cast<const BYTE*>(buffer), size)) {
            if (SUCCEEDED(CoCreateInstance(*known, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                           reinterpret_cast<void**>(decoder.Put()))) &&
                SUCCEEDED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand))) {
                return Finish(decoder.Get(), image);
            }
            // Not what its first bytes said: let WIC find the decoder.
            decoder.Reset();
            const LARGE_INTEGER start{};
            stream->Seek(start, STREAM_SEEK_SET, nullptr);
        }
        hr = m_wic->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                            decoder.Put());
        if (FAILED(hr))
            return hr;
        return Finish(decoder.Get(), image);
    }

    HRESULT Finish(IWICBitmapDecoder* decoder, IImage** image) {
        Picture picture;
        HRESULT hr = DecodeFrame(m_wic, decoder, picture);
        if (FAILED(hr))
            return hr;
        Image* created = new (std::nothrow) Image(std::move(picture));
        if (!created)
            return E_OUTOFMEMORY;
        *image = created;
        return S_OK;
    }

    std::atomic<ULONG> m_refs{1};
    IWICImagingFactory* m_wic;
};

} // namespace

HRESULT CreateImagingFactory(IImagingFactory** factory) {
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    IImagingFactory* registered = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory,
                                   reinterpret_cast<void**>(&registered))) &&
        registered) {
        *factory = registered;
        return S_OK;
    }
    IWICImagingFactory* wic = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&wic));
    if (FAILED(hr) || !wic)
        return FAILED(hr) ? hr : E_FAIL;
    ImagingFactory* created = new (std::nothrow) ImagingFactory(wic);
    if (!created) {
        wic->Release();
        return E_OUTOFMEMORY;
    }
    *factory = created;
    return S_OK;
}
