// The imaging service's encoders over WIC: the list of installed encoders, and
// an encoder whose image sink gathers the picture's rows and writes the file
// when the sink ends.
#include "ImagingInternal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

namespace norvane::platform {

namespace {

// Pictures larger than this are refused (a hostile or mistaken size).
constexpr UINT64 kMaxPixels = 16u * 1024u * 1024u;
constexpr float kJpegQuality = 0.9f;

struct CodecEntry {
    const CLSID* clsid;
    const GUID* format;    // the imaging service's ImageFormat*
    const GUID* container; // WIC's container format
    const wchar_t* name;
    const wchar_t* description;
    const wchar_t* extensions;
    const wchar_t* mimeType;
};

const CodecEntry kEncoders[] = {
    {&CLSID_BmpEncoder, &ImageFormatBMP, &GUID_ContainerFormatBmp, L"Built-in BMP Codec", L"BMP",
     L"*.BMP;*.DIB;*.RLE", L"image/bmp"},
    {&CLSID_JpegEncoder, &ImageFormatJPEG, &GUID_ContainerFormatJpeg, L"Built-in JPEG Codec", L"JPEG",
     L"*.JPG;*.JPEG;*.JPE;*.JFIF", L"image/jpeg"},
    {&CLSID_PngEncoder, &ImageFormatPNG, &GUID_ContainerFormatPng, L"Built-in PNG Codec", L"PNG", L"*.PNG",
     L"image/png"},
};

const CodecEntry* FindEncoder(const CLSID* clsid) {
    if (!clsid)
        return nullptr;
    for (const CodecEntry& entry : kEncoders) {
        if (IsEqualCLSID(*clsid, *entry.clsid))
            return &entry;
    }
    return nullptr;
}

// Straight blue, green, red, 255 from one pixel of a source row.
bool ConvertRow(PixelFormatID format, const BYTE* source, UINT width, BYTE* out) {
    switch (format) {
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        for (UINT x = 0; x < width; ++x) {
            out[x * 4] = source[x * 4];
            out[x * 4 + 1] = source[x * 4 + 1];
            out[x * 4 + 2] = source[x * 4 + 2];
            out[x * 4 + 3] = 255;
        }
        return true;
    case PixelFormat24bppRGB:
        for (UINT x = 0; x < width; ++x) {
            out[x * 4] = source[x * 3];
            out[x * 4 + 1] = source[x * 3 + 1];
            out[x * 4 + 2] = source[x * 3 + 2];
            out[x * 4 + 3] = 255;
        }
        return true;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565: {
        const bool five65 = format == PixelFormat16bppRGB565;
        for (UINT x = 0; x < width; ++x) {
            const unsigned v = source[x * 2] | source[x * 2 + 1] << 8;
            const unsigned r = five65 ? (v >> 11) & 0x1F : (v >> 10) & 0x1F;
            const unsigned g = five65 ? (v >> 5) & 0x3F : (v >> 5) & 0x1F;
            const unsigned b = v & 0x1F;
            out[x * 4] = static_cast<BYTE>(b << 3 | b >> 2);
            out[x * 4 + 1] = static_cast<BYTE>(five65 ? (g << 2 | g >> 4) : (g << 3 | g >> 2));
            out[x * 4 + 2] = static_cast<BYTE>(r << 3 | r >> 2);
            out[x * 4 + 3] = 255;
        }
        return true;
    }
    default:
        return false;
    }
}

bool IsWholeRectInside(const RECT& rect, UINT width, UINT height) {
    return rect.left >= 0 && rect.top >= 0 && rect.right > rect.left && rect.bottom > rect.top &&
           static_cast<UINT>(rect.right) <= width && static_cast<UINT>(rect.bottom) <= height;
}

class Encoder;

class Sink final : public IImageSink {
public:
    explicit Sink(Encoder* encoder);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IImageSink)) {
            *object = static_cast<IImageSink*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE BeginSink(ImageInfo* imageInfo, RECT* subarea) override {
        if (!imageInfo)
            return E_INVALIDARG;
        if (m_begun)
            return E_FAIL;
        const UINT width = imageInfo->Width, height = imageInfo->Height;
        if (width == 0 || height == 0 || static_cast<UINT64>(width) * height > kMaxPixels)
            return E_INVALIDARG;
        try {
            m_pixels.assign(static_cast<size_t>(width) * height * 4, 0);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        for (size_t i = 3; i < m_pixels.size(); i += 4)
            m_pixels[i] = 255;
        m_width = width;
        m_height = height;
        m_begun = true;
        m_pushed = false;
        // The whole picture is wanted, in one pass of any of the formats we take.
        if (subarea)
            *subarea = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        imageInfo->Flags &= ~static_cast<UINT>(ImageFlagsHasAlpha);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE EndSink(HRESULT statusCode) override;

    HRESULT STDMETHODCALLTYPE SetPalette(const ColorPalette*) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetPixelDataBuffer(const RECT* rect, PixelFormatID pixelFormat, BOOL,
                                                 BitmapData* bitmapData) override {
        if (!rect || !bitmapData)
            return E_INVALIDARG;
        if (!m_begun || !IsWholeRectInside(*rect, m_width, m_height))
            return E_INVALIDARG;
        if (pixelFormat != PixelFormat32bppRGB && pixelFormat != PixelFormat32bppARGB)
            return E_NOTIMPL;
        // Rows straight into the picture; the alpha byte is set again on release.
        bitmapData->Width = static_cast<UINT>(rect->right - rect->left);
        bitmapData->Height = static_cast<UINT>(rect->bottom - rect->top);
        bitmapData->Stride = static_cast<INT>(m_width * 4);
        bitmapData->PixelFormat = pixelFormat;
        bitmapData->Scan0 = m_pixels.data() + (static_cast<size_t>(rect->top) * m_width + rect->left) * 4;
        bitmapData->Reserved = 0;
        m_bufferRect = *rect;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ReleasePixelDataBuffer(const BitmapData* bitmapData) override {
        if (!bitmapData || !m_begun)
            return E_INVALIDARG;
        for (LONG y = m_bufferRect.top; y < m_bufferRect.bottom; ++y) {
            BYTE* row = m_pixels.data() + static_cast<size_t>(y) * m_width * 4;
            for (LONG x = m_bufferRect.left; x < m_bufferRect.right; ++x)
                row[x * 4 + 3] = 255;
        }
        m_pushed = true;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE PushPixelData(const RECT* rect, const BitmapData* bitmapData, BOOL) override {
        if (!rect || !bitmapData || !bitmapData->Scan0)
            return E_INVALIDARG;
        if (!m_begun || !IsWholeRectInside(*rect, m_width, m_height))
            return E_INVALIDARG;
        const UINT width = static_cast<UINT>(rect->right - rect->left);
        const UINT height = static_cast<UINT>(rect->bottom - rect->top);
        if (bitmapData->Width < width || bitmapData->Height < height)
            return E_INVALIDARG;
        const BYTE* source = static_cast<const BYTE*>(bitmapData->Scan0);
        for (UINT y = 0; y < height; ++y) {
            BYTE* out = m_pixels.data() + (static_cast<size_t>(rect->top + y) * m_width + rect->left) * 4;
            // A negative stride walks a bottom-up bitmap from its top row.
            const BYTE* row = source + static_cast<ptrdiff_t>(y) * bitmapData->Stride;
            if (!ConvertRow(bitmapData->PixelFormat, row, width, out))
                return E_NOTIMPL;
        }
        m_pushed = true;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE PushRawData(const void*, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NeedTransform(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NeedRawProperty(void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PushRawInfo(void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyBuffer(UINT, PropertyItem** buffer) override {
        if (buffer)
            *buffer = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PushPropertyItems(UINT, UINT, PropertyItem*, BOOL) override {
        return E_NOTIMPL;
    }

private:
    ~Sink();

    std::atomic<ULONG> m_refs{1};
    Encoder* m_encoder;
    std::vector<BYTE> m_pixels; // blue, green, red, 255; top row first
    UINT m_width = 0;
    UINT m_height = 0;
    RECT m_bufferRect{};
    bool m_begun = false;
    bool m_pushed = false;
};

class Encoder final : public IImageEncoder {
public:
    Encoder(IWICImagingFactory* wic, const CodecEntry& codec) : m_wic(wic), m_codec(codec) {
        m_wic->AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IImageEncoder)) {
            *object = static_cast<IImageEncoder*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE InitEncoder(IStream* stream) override {
        if (!stream)
            return E_INVALIDARG;
        if (m_stream)
            return E_FAIL;
        stream->AddRef();
        *m_stream.Put() = stream;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TerminateEncoder() override {
        m_stream.Reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEncodeSink(IImageSink** sink) override {
        if (!sink)
            return E_POINTER;
        *sink = nullptr;
        if (!m_stream)
            return E_FAIL;
        Sink* created = new (std::nothrow) Sink(this);
        if (!created)
            return E_OUTOFMEMORY;
        *sink = created;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFrameDimension(const GUID*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetEncoderParameterListSize(UINT* size) override {
        if (!size)
            return E_POINTER;
        *size = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEncoderParameterList(UINT, EncoderParameters*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetEncoderParameters(const EncoderParameters*) override { return E_NOTIMPL; }

    // Encodes the picture (blue, green, red, 255 rows, top first) into the stream.
    HRESULT Write(UINT width, UINT height, BYTE* pixels) {
        if (!m_stream)
            return E_FAIL;
        ComPtr<IWICBitmapEncoder> encoder;
        HRESULT hr = m_wic->CreateEncoder(*m_codec.container, nullptr, encoder.Put());
        if (FAILED(hr))
            return hr;
        hr = encoder->Initialize(m_stream.Get(), WICBitmapEncoderNoCache);
        if (FAILED(hr))
            return hr;
        ComPtr<IWICBitmapFrameEncode> frame;
        ComPtr<IPropertyBag2> options;
        hr = encoder->CreateNewFrame(frame.Put(), options.Put());
        if (FAILED(hr))
            return hr;
        if (options && IsEqualGUID(*m_codec.container, GUID_ContainerFormatJpeg)) {
            PROPBAG2 option{};
            option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_R4;
            value.fltVal = kJpegQuality;
            options->Write(1, &option, &value); // a codec without the option keeps its own quality
        }
        hr = frame->Initialize(options.Get());
        if (FAILED(hr))
            return hr;
        hr = frame->SetSize(width, height);
        if (FAILED(hr))
            return hr;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        hr = frame->SetPixelFormat(&format);
        if (FAILED(hr))
            return hr;
        ComPtr<IWICBitmap> bitmap;
        hr = m_wic->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGR, width * 4,
                                           width * height * 4, pixels, bitmap.Put());
        if (FAILED(hr))
            return hr;
        // The frame says which format it takes; convert to that and hand over the rows.
        ComPtr<IWICFormatConverter> converter;
        hr = m_wic->CreateFormatConverter(converter.Put());
        if (FAILED(hr))
            return hr;
        hr = converter->Initialize(bitmap.Get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
        if (FAILED(hr))
            return hr;
        UINT bits = 0;
        {
            ComPtr<IWICComponentInfo> info;
            ComPtr<IWICPixelFormatInfo> formatInfo;
            if (SUCCEEDED(m_wic->CreateComponentInfo(format, info.Put())) &&
                SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo,
                                               reinterpret_cast<void**>(formatInfo.Put()))))
                formatInfo->GetBitsPerPixel(&bits);
        }
        if (bits == 0)
            bits = 24;
        const UINT stride = (width * bits + 31) / 32 * 4;
        std::vector<BYTE> rows;
        try {
            rows.resize(static_cast<size_t>(stride) * height);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        hr = converter->CopyPixels(nullptr, stride, static_cast<UINT>(rows.size()), rows.data());
        if (FAILED(hr))
            return hr;
        hr = frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data());
        if (FAILED(hr))
            return hr;
        hr = frame->Commit();
        if (FAILED(hr))
            return hr;
        return encoder->Commit();
    }

private:
    ~Encoder() { m_wic->Release(); }

    std::atomic<ULONG> m_refs{1};
    IWICImagingFactory* m_wic;
    const CodecEntry& m_codec;
    ComPtr<IStream> m_stream;
};

Sink::Sink(Encoder* encoder) : m_encoder(encoder) {
    m_encoder->AddRef();
}

Sink::~Sink() {
    m_encoder->Release();
}

HRESULT Sink::EndSink(HRESULT statusCode) {
    if (!m_begun)
        return E_FAIL;
    m_begun = false;
    if (FAILED(statusCode))
        return S_OK; // the caller gave up: nothing is written
    if (!m_pushed)
        return E_FAIL;
    return m_encoder->Write(m_width, m_height, m_pixels.data());
}

size_t TextBytes(const wchar_t* text) {
    return (wcslen(text) + 1) * sizeof(wchar_t);
}

} // namespace

HRESULT InstalledWicEncoders(UINT* count, ImageCodecInfo** encoders) {
    if (!count || !encoders)
        return E_POINTER;
    *count = 0;
    *encoders = nullptr;
    const UINT n = static_cast<UINT>(std::size(kEncoders));
    size_t bytes = sizeof(ImageCodecInfo) * n;
    for (const CodecEntry& entry : kEncoders)
        bytes += TextBytes(entry.name) + TextBytes(entry.description) + TextBytes(entry.extensions) +
                 TextBytes(entry.mimeType);
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(bytes));
    if (!block)
        return E_OUTOFMEMORY;
    std::memset(block, 0, bytes);
    auto* infos = reinterpret_cast<ImageCodecInfo*>(block);
    BYTE* text = block + sizeof(ImageCodecInfo) * n;
    auto place = [&text](const wchar_t* value) {
        const size_t size = TextBytes(value);
        std::memcpy(text, value, size);
        const auto* placed = reinterpret_cast<const WCHAR*>(text);
        text += size;
        return placed;
    };
    for (UINT i = 0; i < n; ++i) {
        const CodecEntry& entry = kEncoders[i];
        ImageCodecInfo& info = infos[i];
        info.Clsid = *entry.clsid;
        info.FormatID = *entry.format;
        info.CodecName = place(entry.name);
        info.DllName = nullptr;
        info.FormatDescription = place(entry.description);
        info.FilenameExtension = place(entry.extensions);
        info.MimeType = place(entry.mimeType);
        info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
        info.Version = 1;
    }
    *count = n;
    *encoders = infos;
    return S_OK;
}

HRESULT CreateWicEncoderToStream(IWICImagingFactory* wic, const CLSID* clsid, IStream* stream,
                                 IImageEncoder** encoder) {
    if (!encoder)
        return E_POINTER;
    *encoder = nullptr;
    if (!stream)
        return E_INVALIDARG;
    const CodecEntry* codec = FindEncoder(clsid);
    if (!codec)
        return REGDB_E_CLASSNOTREG;
    Encoder* created = new (std::nothrow) Encoder(wic, *codec);
    if (!created)
        return E_OUTOFMEMORY;
    const HRESULT hr = created->InitEncoder(stream);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *encoder = created;
    return S_OK;
}

HRESULT CreateWicEncoderToFile(IWICImagingFactory* wic, const CLSID* clsid, const WCHAR* filename,
                               IImageEncoder** encoder) {
    if (!encoder)
        return E_POINTER;
    *encoder = nullptr;
    if (!filename || !*filename)
        return E_INVALIDARG;
    if (!FindEncoder(clsid))
        return REGDB_E_CLASSNOTREG;
    ComPtr<IWICStream> stream;
    HRESULT hr = wic->CreateStream(stream.Put());
    if (FAILED(hr))
        return hr;
    hr = stream->InitializeFromFilename(filename, GENERIC_WRITE);
    if (FAILED(hr))
        return hr;
    return CreateWicEncoderToStream(wic, clsid, stream.Get(), encoder);
}

} // namespace norvane::platform
