// The device's imaging service (imaging.h of the SDK): IImagingFactory and
// IImage with the SDK's names, GUIDs and layouts, implemented over WIC.
//
// What the launcher relies on: PNG (and JPEG, BMP, GIF) decoding from a file
// or from a caller-owned buffer, the picture's size, and IImage::Draw into a
// 32-bit device-independent section, which *copies* straight (not
// premultiplied) alpha into bits 24-31 of each pixel. Onto any other
// destination Draw blends the picture with its alpha.
//
// The encoder side writes pictures through WIC: the installed encoders are
// BMP, JPEG, GIF and PNG (GetInstalledEncoders, with the MIME types callers
// choose by); an encoder bound to a file or a stream hands out an image sink
// that takes pixel rows and writes the file when the sink ends.
#pragma once

#include <windows.h>
#include <objbase.h>

// PixelFormatID values (the same numbers as GDI+).
typedef INT PixelFormatID;
#define PixelFormatIndexed 0x00010000
#define PixelFormatGDI 0x00020000
#define PixelFormatAlpha 0x00040000
#define PixelFormatPAlpha 0x00080000
#define PixelFormatCanonical 0x00200000
#define PixelFormat16bppRGB555 (5 | (16 << 8) | PixelFormatGDI)
#define PixelFormat16bppRGB565 (6 | (16 << 8) | PixelFormatGDI)
#define PixelFormat24bppRGB (8 | (24 << 8) | PixelFormatGDI)
#define PixelFormat32bppRGB (9 | (32 << 8) | PixelFormatGDI)
#define PixelFormat32bppARGB (10 | (32 << 8) | PixelFormatAlpha | PixelFormatGDI | PixelFormatCanonical)
#define PixelFormat32bppPARGB (11 | (32 << 8) | PixelFormatAlpha | PixelFormatPAlpha | PixelFormatGDI)

// ImageInfo::Flags.
enum ImageFlags {
    ImageFlagsNone = 0,
    ImageFlagsScalable = 0x0001,
    ImageFlagsHasAlpha = 0x0002,
    ImageFlagsHasTranslucent = 0x0004,
    ImageFlagsPartiallyScalable = 0x0008,
    ImageFlagsColorSpaceRGB = 0x0010,
    ImageFlagsColorSpaceCMYK = 0x0020,
    ImageFlagsColorSpaceGRAY = 0x0040,
    ImageFlagsColorSpaceYCBCR = 0x0080,
    ImageFlagsColorSpaceYCCK = 0x0100,
    ImageFlagsHasRealDPI = 0x1000,
    ImageFlagsHasRealPixelSize = 0x2000,
    ImageFlagsReadOnly = 0x00010000,
    ImageFlagsCaching = 0x00020000,
};

// What CreateImageFromBuffer does with the buffer once the image is released.
enum BufferDisposalFlag {
    BufferDisposalFlagNone,
    BufferDisposalFlagGlobalFree,
    BufferDisposalFlagCoTaskMemFree,
    BufferDisposalFlagUnmapView,
};

enum InterpolationHint {
    InterpolationHintDefault,
    InterpolationHintNearestNeighbor,
    InterpolationHintBilinear,
    InterpolationHintAveraging,
    InterpolationHintBicubic,
};

enum DecoderInitFlag {
    DecoderInitFlagNone = 0,
    DecoderInitFlagNoBlock = 0x0001,
    DecoderInitFlagBuiltIn1st = 0x0002,
};

struct ImageInfo {
    GUID RawDataFormat;
    PixelFormatID PixelFormat;
    UINT Width;
    UINT Height;
    UINT TileWidth;
    UINT TileHeight;
    double Xdpi;
    double Ydpi;
    UINT Flags;
};

struct ImageCodecInfo {
    CLSID Clsid;
    GUID FormatID;
    const WCHAR* CodecName;
    const WCHAR* DllName;
    const WCHAR* FormatDescription;
    const WCHAR* FilenameExtension;
    const WCHAR* MimeType;
    DWORD Flags;
    DWORD Version;
    DWORD SigCount;
    DWORD SigSize;
    const BYTE* SigPattern;
    const BYTE* SigMask;
};

// ImageCodecInfo::Flags.
enum ImageCodecFlags {
    ImageCodecFlagsEncoder = 0x00000001,
    ImageCodecFlagsDecoder = 0x00000002,
    ImageCodecFlagsSupportBitmap = 0x00000004,
    ImageCodecFlagsSupportVector = 0x00000008,
    ImageCodecFlagsSeekableEncode = 0x00000010,
    ImageCodecFlagsBlockingDecode = 0x00000020,
    ImageCodecFlagsBuiltin = 0x00010000,
    ImageCodecFlagsSystem = 0x00020000,
    ImageCodecFlagsUser = 0x00040000,
};

typedef DWORD ARGB;

struct ColorPalette {
    UINT Flags;
    UINT Count;
    ARGB Entries[1];
};

struct EncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    VOID* Value;
};

struct EncoderParameters {
    UINT Count;
    EncoderParameter Parameter[1];
};

struct PropertyItem {
    PROPID id;
    ULONG length;
    WORD type;
    VOID* value;
};

struct BitmapData {
    UINT Width;
    UINT Height;
    INT Stride;
    PixelFormatID PixelFormat;
    void* Scan0;
    UINT_PTR Reserved;
};

// The class and interface identifiers of the device's imaging library.
// {327ABDA8-072B-11D3-9D7B-0000F81EF32E}
inline constexpr CLSID CLSID_ImagingFactory = {
    0x327ABDA8, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {327ABDA7-072B-11D3-9D7B-0000F81EF32E}
inline constexpr IID IID_IImagingFactory = {
    0x327ABDA7, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {327ABDA9-072B-11D3-9D7B-0000F81EF32E}
inline constexpr IID IID_IImage = {
    0x327ABDA9, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Raw data formats reported by GetImageInfo.
inline constexpr GUID ImageFormatMemoryBMP = {
    0xB96B3CAA, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatBMP = {
    0xB96B3CAB, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatJPEG = {
    0xB96B3CAE, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatPNG = {
    0xB96B3CAF, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatGIF = {
    0xB96B3CB0, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// {327ABDAE-072B-11D3-9D7B-0000F81EF32E}
inline constexpr IID IID_IImageEncoder = {
    0x327ABDAE, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {327ABDAF-072B-11D3-9D7B-0000F81EF32E}
inline constexpr IID IID_IImageSink = {
    0x327ABDAF, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// The encoders the factory lists (the same class ids as the desktop's codecs).
// {557CF400-1A04-11D3-9A73-0000F81EF32E}
inline constexpr CLSID CLSID_BmpEncoder = {
    0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {557CF401-1A04-11D3-9A73-0000F81EF32E}
inline constexpr CLSID CLSID_JpegEncoder = {
    0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {557CF402-1A04-11D3-9A73-0000F81EF32E}
inline constexpr CLSID CLSID_GifEncoder = {
    0x557CF402, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {557CF406-1A04-11D3-9A73-0000F81EF32E}
inline constexpr CLSID CLSID_PngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

struct IImageDecoder;
struct IBitmapImage;

// Takes a picture in rows: BeginSink with its size, the pixels through
// PushPixelData (or GetPixelDataBuffer and ReleasePixelDataBuffer), then
// EndSink. The stand-in's encoder sinks take 32-bit RGB and ARGB, 24-bit RGB
// and 16-bit RGB 555 and 565 rows, in any order and any stride sign.
struct IImageSink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE BeginSink(ImageInfo* imageInfo, RECT* subarea) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndSink(HRESULT statusCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPalette(const ColorPalette* palette) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelDataBuffer(const RECT* rect, PixelFormatID pixelFormat,
                                                         BOOL lastPass, BitmapData* bitmapData) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleasePixelDataBuffer(const BitmapData* bitmapData) = 0;
    virtual HRESULT STDMETHODCALLTYPE PushPixelData(const RECT* rect, const BitmapData* bitmapData,
                                                    BOOL lastPass) = 0;
    virtual HRESULT STDMETHODCALLTYPE PushRawData(const void* buffer, UINT bufsize) = 0;
    virtual HRESULT STDMETHODCALLTYPE NeedTransform(UINT* rotation) = 0;
    virtual HRESULT STDMETHODCALLTYPE NeedRawProperty(void* propItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE PushRawInfo(void* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyBuffer(UINT totalBufferSize, PropertyItem** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE PushPropertyItems(UINT numberOfProperties, UINT totalBufferSize,
                                                        PropertyItem* items, BOOL iccProfileChanged) = 0;
};

// Writes one picture to its stream or file: the picture goes through the sink
// of GetEncodeSink; TerminateEncoder lets go of the stream (closing the file).
struct IImageEncoder : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InitEncoder(IStream* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE TerminateEncoder() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEncodeSink(IImageSink** sink) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFrameDimension(const GUID* dimensionID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEncoderParameterListSize(UINT* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEncoderParameterList(UINT size, EncoderParameters* params) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEncoderParameters(const EncoderParameters* param) = 0;
};

struct IImage : public IUnknown {
    // Size in 0.01 mm.
    virtual HRESULT STDMETHODCALLTYPE GetPhysicalDimension(SIZE* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* imageInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetImageFlags(UINT flags) = 0;
    // dstRect in the DC's logical units; srcRect (NULL: the whole picture) in
    // 0.01 mm, as on the device.
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC hdc, const RECT* dstRect, const RECT* srcRect) = 0;
    virtual HRESULT STDMETHODCALLTYPE PushIntoSink(IImageSink* sink) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(UINT thumbWidth, UINT thumbHeight,
                                                   IImage** thumbImage) = 0;
};

struct IImagingFactory : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromFile(const WCHAR* filename, IImage** image) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size,
                                                            BufferDisposalFlag disposalFlag,
                                                            IImage** image) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateNewBitmap(UINT width, UINT height, PixelFormatID pixelFormat,
                                                      IBitmapImage** bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromImage(IImage* image, UINT width, UINT height,
                                                            PixelFormatID pixelFormat,
                                                            InterpolationHint hints,
                                                            IBitmapImage** bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromBuffer(BitmapData* bitmapData,
                                                             IBitmapImage** bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageDecoder(IStream* stream, DecoderInitFlag flags,
                                                         IImageDecoder** decoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageEncoderToStream(const CLSID* clsid, IStream* stream,
                                                                 IImageEncoder** encoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageEncoderToFile(const CLSID* clsid, const WCHAR* filename,
                                                               IImageEncoder** encoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInstalledDecoders(UINT* count, ImageCodecInfo** decoders) = 0;
    // One block from CoTaskMemAlloc, strings included: free it with CoTaskMemFree.
    virtual HRESULT STDMETHODCALLTYPE GetInstalledEncoders(UINT* count, ImageCodecInfo** encoders) = 0;
    virtual HRESULT STDMETHODCALLTYPE InstallImageCodec(const ImageCodecInfo* codecInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE UninstallImageCodec(const WCHAR* codecName, UINT flags) = 0;
};

// The stand-in's way to CoCreateInstance(CLSID_ImagingFactory, NULL,
// CLSCTX_INPROC_SERVER, IID_IImagingFactory, ...): a class registered for
// CLSID_ImagingFactory is used when there is one; otherwise the stand-in's own
// factory over WIC is created in process. The component runtime must be
// initialised on the calling thread. Fails (E_FAIL, *factory NULL) when
// neither can be had, in which case the caller runs without PNG support.
HRESULT CreateImagingFactory(IImagingFactory** factory);
