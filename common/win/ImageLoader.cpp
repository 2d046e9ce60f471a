// Image loading on Windows: the imaging service for PNG, resources, registry
// and the theme search folders. Name rules and TGA decoding are portable.
#include "ImageLoader.h"

#include "BuiltinImage.h"
#include "ImageFile.h"
#include "ImageHandles.h"
#include "ImageNames.h"
#include "Imaging.h"
#include "TgaDecoder.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <tuple>

namespace norvane {

namespace {

IImagingFactory* g_factory = nullptr;

constexpr wchar_t kInstallPathValue[] = L"InstallPath";
constexpr DWORD kMaxInstallPath = 260;

class ImageRef {
public:
    ~ImageRef() {
        if (m_image)
            m_image->Release();
    }
    IImage** Put() { return &m_image; }
    IImage* Get() const { return m_image; }

private:
    IImage* m_image = nullptr;
};

// Lets the imaging service draw the picture into a zeroed 32-bit top-down
// section and takes the straight A R G B values back out.
bool ImageToBitmap(IImage* picture, Bitmap32& image) {
    ImageInfo info{};
    if (FAILED(picture->GetImageInfo(&info)) || info.Width == 0 || info.Height == 0 || info.Width > 0x7FFF ||
        info.Height > 0x7FFF)
        return false;
    const int width = static_cast<int>(info.Width);
    const int height = static_cast<int>(info.Height);
    if (!image.Allocate(width, height))
        return false;

    ScreenDc screen;
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    if (!memory) {
        image.Empty();
        return false;
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap section(CreateDIBSection(screen.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) {
        image.Empty();
        return false;
    }
    const std::size_t count = image.PixelCount();
    ZeroMemory(bits, count * 4);
    bool drawn;
    {
        SelectedObject selected(memory.get(), section.get());
        RECT rect{0, 0, width, height};
        drawn = SUCCEEDED(picture->Draw(memory.get(), &rect, nullptr));
        GdiFlush();
    }
    if (!drawn) {
        image.Empty();
        return false;
    }
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (std::size_t i = 0; i < count; ++i) {
        const DWORD v = pixels[i];
        image.Red()[i] = static_cast<std::uint8_t>(v >> 16);
        image.Green()[i] = static_cast<std::uint8_t>(v >> 8);
        image.Blue()[i] = static_cast<std::uint8_t>(v);
        image.Alpha()[i] = static_cast<std::uint8_t>(v >> 24);
    }
    return true;
}

bool FindResourceBytes(HMODULE module, int id, const wchar_t* type, const void*& data, DWORD& size) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    data = loaded ? LockResource(loaded) : nullptr;
    size = SizeofResource(module, found);
    return data && size > 0;
}

} // namespace

ImagingService::ImagingService() {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    m_uninitialise = SUCCEEDED(hr); // S_FALSE too: each success needs its uninitialise
    if (FAILED(CreateImagingFactory(&m_factory)))
        m_factory = nullptr;
    m_previous = SetCurrent(m_factory);
}

ImagingService::~ImagingService() {
    if (g_factory == m_factory)
        SetCurrent(m_previous);
    if (m_factory)
        m_factory->Release();
    if (m_uninitialise)
        CoUninitialize();
}

IImagingFactory* ImagingService::Current() {
    return g_factory;
}

IImagingFactory* ImagingService::SetCurrent(IImagingFactory* factory) {
    IImagingFactory* previous = g_factory;
    g_factory = factory;
    return previous;
}

bool LoadPngFile(Bitmap32& image, const std::wstring& path) {
    image.Empty();
    IImagingFactory* factory = ImagingService::Current();
    if (!factory || path.empty())
        return false;
    ImageRef picture;
    if (FAILED(factory->CreateImageFromFile(path.c_str(), picture.Put())))
        return false;
    return ImageToBitmap(picture.Get(), image);
}

bool LoadPngBuffer(Bitmap32& image, const void* data, std::size_t size) {
    image.Empty();
    IImagingFactory* factory = ImagingService::Current();
    if (!factory || !data || size == 0 || size > 0x7FFFFFFF)
        return false;
    ImageRef picture;
    if (FAILED(factory->CreateImageFromBuffer(data, static_cast<UINT>(size), BufferDisposalFlagNone,
                                              picture.Put())))
        return false;
    return ImageToBitmap(picture.Get(), image);
}

bool LoadImageFile(Bitmap32& image, const std::wstring& path) {
    image.Empty();
    switch (ClassifyImagePath(path)) {
    case ImageFileKind::Png:
        return LoadPngFile(image, path);
    case ImageFileKind::Tga:
        return LoadTgaFile(path, image);
    case ImageFileKind::Other:
        break;
    }
    return false;
}

namespace {

// Decoded resource pictures, kept for the life of the process: every view
// switch wants its tab images, arrows and buttons again, and decoding them is
// most of the work. Keyed by the resource's bytes (their size and a hash), not
// by module and ID, so that a module unloaded and another loaded at the same
// address can never be answered with the first one's pictures.
class ResourceImageCache {
public:
    using Key = std::tuple<bool, std::size_t, std::uint64_t>; // PNG, size, hash

    static Key KeyOf(bool png, const void* data, std::size_t size) {
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ull;
        return Key{png, size, hash};
    }
    bool Find(const Key& key, Bitmap32& image) {
        std::lock_guard<std::mutex> guard(m_lock);
        auto found = m_images.find(key);
        return found != m_images.end() && image.CopyFrom(found->second);
    }
    void Keep(const Key& key, const Bitmap32& image) {
        Bitmap32 copy;
        if (!copy.CopyFrom(image))
            return;
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_images.size() >= kMaxImages)
            m_images.clear();
        m_images[key] = std::move(copy);
    }

private:
    static constexpr std::size_t kMaxImages = 256;
    std::mutex m_lock;
    std::map<Key, Bitmap32> m_images;
};

ResourceImageCache& ResourceImages() {
    static ResourceImageCache cache;
    return cache;
}

} // namespace

bool LoadResourceImage(Bitmap32& image, HMODULE module, int id) {
    image.Empty();
    const void* data = nullptr;
    DWORD size = 0;
    bool png = ImagingService::Current() && FindResourceBytes(module, id, L"PNG", data, size);
    if (!png && !FindResourceBytes(module, id, L"TARGA", data, size))
        return false;
    const ResourceImageCache::Key key = ResourceImageCache::KeyOf(png, data, size);
    if (ResourceImages().Find(key, image))
        return true;
    const bool loaded = png ? LoadPngBuffer(image, data, size)
                            : DecodeTga(static_cast<const std::uint8_t*>(data), size, image);
    if (loaded)
        ResourceImages().Keep(key, image);
    return loaded;
}

std::wstring ReadInstallFolder(HKEY root, const wchar_t* subkey) {
    HKEY key = nullptr;
    std::wstring value;
    bool present = false;
    if (RegOpenKeyExW(root, subkey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        wchar_t buffer[kMaxInstallPath + 1] = {};
        DWORD type = 0;
        DWORD bytes = kMaxInstallPath * sizeof(wchar_t);
        if (RegQueryValueExW(key, kInstallPathValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &bytes) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            buffer[std::min<DWORD>(bytes / sizeof(wchar_t), kMaxInstallPath)] = L'\0';
            value = buffer;
            present = true;
        }
        RegCloseKey(key);
    }
    return NormalizeInstallFolder(value, present);
}

std::wstring ResolveThemeImage(const std::wstring& name, const ThemeImageContext& context) {
    for (const std::wstring& candidate :
         ThemeImageCandidates(name, context.additionalImagesPath, context.installFolder)) {
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
    }
    return {};
}

bool LoadThemeImage(Bitmap32& image, const std::wstring& name, int fallbackId,
                    const ThemeImageContext& context) {
    image.Empty();
    if (!context.shellReady)
        return false;
    std::wstring path = ResolveThemeImage(name, context);
    if (!path.empty())
        LoadImageFile(image, path);
    if (image.IsEmpty() && fallbackId != 0)
        LoadResourceImage(image, context.resourceModule, fallbackId);
    return !image.IsEmpty();
}

bool LoadTabImage(const std::wstring& text, Bitmap32& image, HMODULE module, HMODULE resourceModule,
                  bool highResolution) {
    TabImageRef ref = ParseTabImage(text, highResolution);
    if (!ref.builtin)
        return LoadImageFile(image, ref.path);
    return LoadResourceImage(image, module ? module : resourceModule, ref.resourceId);
}

} // namespace norvane
