#include "win/ImageLoader.h"
#include "ImageWinTestSupport.h"
#include "Imaging.h"
#include "TgaDecoder.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;

namespace {

constexpr TgaPixel kTeal{0, 128, 128, 200};
constexpr TgaPixel kPlum{142, 69, 133, 255};

// Gives the loaders an imaging service, or explicitly none.
class ImageLoaderTest : public ::testing::Test {
protected:
    ImagingService m_service;
};

std::vector<std::uint8_t> FixtureBytes(const char* name) {
    return ReadImageData(name);
}

void ExpectMatchesRgba(const Bitmap32& image, const std::vector<std::uint8_t>& rgba) {
    ASSERT_EQ(rgba.size(), image.PixelCount() * 4);
    int mismatches = 0;
    for (std::size_t i = 0; i < image.PixelCount() && mismatches < 5; ++i) {
        const std::uint8_t* e = &rgba[i * 4];
        if (image.Red()[i] != e[0] || image.Green()[i] != e[1] || image.Blue()[i] != e[2] ||
            image.Alpha()[i] != e[3]) {
            ++mismatches;
            ADD_FAILURE() << "pixel " << i << ": expected " << int(e[0]) << "," << int(e[1]) << ","
                          << int(e[2]) << "," << int(e[3]) << " got " << int(image.Red()[i]) << ","
                          << int(image.Green()[i]) << "," << int(image.Blue()[i]) << ","
                          << int(image.Alpha()[i]);
        }
    }
}

// Copies this test program to a scratch file and adds resources to the copy,
// giving a module with "PNG" and "TARGA" resources of our choosing.
class ResourceModule {
public:
    explicit ResourceModule(ScratchFolder& folder) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        m_path = folder.Path() + L"resources.bin";
        CopyFileW(self, m_path.c_str(), FALSE);
        m_update = BeginUpdateResourceW(m_path.c_str(), FALSE);
    }
    ~ResourceModule() {
        if (m_module)
            FreeLibrary(m_module);
        DeleteFileW(m_path.c_str());
    }
    void Add(const wchar_t* type, int id, const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(
            UpdateResourceW(m_update, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                            const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size())));
    }
    HMODULE Load() {
        EXPECT_TRUE(EndUpdateResourceW(m_update, FALSE));
        m_module = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return m_module;
    }

private:
    std::wstring m_path;
    HANDLE m_update = nullptr;
    HMODULE m_module = nullptr;
};

} // namespace

TEST_F(ImageLoaderTest, PngFileAndBufferDecodeToStraightAlphaAsImageMagickReadsThem) {
    ASSERT_TRUE(m_service.Available());
    std::vector<std::uint8_t> expected = FixtureBytes("im32_png.rgba");
    Bitmap32 image;
    ASSERT_TRUE(LoadImageFile(image, ImageDataPath("im32.png")));
    ASSERT_EQ(image.Width(), 150);
    ASSERT_EQ(image.Height(), 9);
    ExpectMatchesRgba(image, expected);

    std::vector<std::uint8_t> png = FixtureBytes("im32.png");
    Bitmap32 fromBuffer;
    ASSERT_TRUE(LoadPngBuffer(fromBuffer, png.data(), png.size()));
    ExpectMatchesRgba(fromBuffer, expected);
}

TEST_F(ImageLoaderTest, FilesGoToTheirDecoderByExtensionAndFailuresLeaveTheImageEmpty) {
    Bitmap32 image;
    ASSERT_TRUE(LoadImageFile(image, ImageDataPath("im24rle.tga")));
    EXPECT_EQ(image.Width(), 150);
    // Upper-case extension.
    ScratchFolder folder;
    std::wstring upper = folder.Write(L"SOLID.TGA", SolidTga(2, 2, kTeal));
    ASSERT_TRUE(LoadImageFile(image, upper));
    EXPECT_EQ(PixelAt(image, 1, 1), 0x008080C8u);
    // A PNG under a ".tga" name is no TGA; other extensions never load.
    std::wstring misnamed = folder.Write(L"png.tga", FixtureBytes("im32.png"));
    EXPECT_FALSE(LoadImageFile(image, misnamed));
    EXPECT_TRUE(image.IsEmpty());
    ASSERT_TRUE(LoadImageFile(image, upper));
    EXPECT_FALSE(LoadImageFile(image, folder.Write(L"icon.bmp", SolidTga(2, 2, kTeal))));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_FALSE(LoadImageFile(image, L".png"));
    EXPECT_FALSE(LoadImageFile(image, folder.Path() + L"missing.png"));
}

TEST(ImageLoaderWithoutService, PngFailsAndTgaStillWorks) {
    IImagingFactory* previous = ImagingService::SetCurrent(nullptr);
    Bitmap32 image;
    EXPECT_FALSE(LoadImageFile(image, ImageDataPath("im32.png")));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_TRUE(LoadImageFile(image, ImageDataPath("im32.tga")));
    ImagingService::SetCurrent(previous);
}

TEST_F(ImageLoaderTest, ResourcesArePngFirstThenTarga) {
    ScratchFolder folder;
    ResourceModule resources(folder);
    std::vector<std::uint8_t> png = FixtureBytes("im32.png");
    resources.Add(L"PNG", 4309, png);
    resources.Add(L"TARGA", 4309, SolidTga(3, 3, kTeal)); // shadowed by the PNG
    resources.Add(L"TARGA", 171, SolidTga(4, 2, kPlum));
    HMODULE module = resources.Load();
    ASSERT_NE(module, nullptr);

    Bitmap32 image;
    ASSERT_TRUE(LoadResourceImage(image, module, 4309));
    EXPECT_EQ(image.Width(), 150);
    ASSERT_TRUE(LoadResourceImage(image, module, 171));
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(PixelAt(image, 3, 1), 0x8E4585FFu);
    EXPECT_FALSE(LoadResourceImage(image, module, 999));
    EXPECT_TRUE(image.IsEmpty());

    // Tab images: "builtin:3s" is resource 4309 of the given module.
    ASSERT_TRUE(LoadTabImage(L"builtin:3s", image, module, nullptr, false));
    EXPECT_EQ(image.Width(), 150);
    ASSERT_TRUE(LoadTabImage(L"builtin:3s", image, nullptr, module, true));
    EXPECT_FALSE(LoadTabImage(L"builtin:3", image, module, nullptr, false)); // 4310 is absent
    std::wstring file = folder.Write(L"tab.tga", SolidTga(5, 5, kPlum));
    ASSERT_TRUE(LoadTabImage(file, image, module, nullptr, false));
    EXPECT_EQ(image.Width(), 5);

    // Without the imaging service the TARGA resource of the same ID is used.
    IImagingFactory* previous = ImagingService::SetCurrent(nullptr);
    ASSERT_TRUE(LoadResourceImage(image, module, 4309));
    EXPECT_EQ(image.Width(), 3);
    ImagingService::SetCurrent(previous);
}

TEST_F(ImageLoaderTest, DecodedResourcesAreKeptByTheirBytesNeverByModuleAndId) {
    // A second load gives the same picture as a copy of its own; a module
    // loaded after another was freed (quite likely at the same address) gives
    // its own pictures under the same ID.
    Bitmap32 first, second;
    {
        ScratchFolder folder;
        ResourceModule resources(folder);
        resources.Add(L"TARGA", 4310, SolidTga(4, 2, kPlum));
        HMODULE module = resources.Load();
        ASSERT_NE(module, nullptr);
        ASSERT_TRUE(LoadResourceImage(first, module, 4310));
        first.Red()[0] = 1;
        ASSERT_TRUE(LoadResourceImage(second, module, 4310));
        EXPECT_EQ(PixelAt(second, 0, 0), PixelAt(second, 1, 1))
            << "the kept picture is not the caller's copy";
    }
    ScratchFolder folder;
    ResourceModule resources(folder);
    resources.Add(L"TARGA", 4310, SolidTga(3, 3, kTeal));
    HMODULE module = resources.Load();
    ASSERT_NE(module, nullptr);
    Bitmap32 other;
    ASSERT_TRUE(LoadResourceImage(other, module, 4310));
    EXPECT_EQ(other.Width(), 3) << "another module's resource 4310";
    EXPECT_EQ(PixelAt(other, 2, 2), PixelAt(other, 0, 0));
    EXPECT_NE(PixelAt(other, 0, 0), PixelAt(second, 0, 0));
}

TEST_F(ImageLoaderTest, ThemeImagesSearchAdditionalFolderThenImagesFolderPngFirst) {
    ScratchFolder additional;
    ScratchFolder install;
    std::wstring images = install.Path() + L"images\\";
    ASSERT_TRUE(CreateDirectoryW(images.c_str(), nullptr));
    ThemeImageContext context;
    context.additionalImagesPath = additional.Path();
    context.installFolder = install.Path();
    context.shellReady = true;

    auto write = [&](const std::wstring& folder, const wchar_t* name, TgaPixel pixel) {
        std::wstring path = folder + name;
        if (FILE* f = _wfopen(path.c_str(), L"wb")) {
            auto bytes = SolidTga(1, 1, pixel);
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        return path;
    };
    std::wstring inImagesTga = write(images, L"battery.tga", kPlum);
    EXPECT_EQ(ResolveThemeImage(L"Battery.TGA", context), inImagesTga);
    std::wstring inImagesPng = images + L"battery.png";
    ASSERT_TRUE(CopyFileW(ImageDataPath("im32.png").c_str(), inImagesPng.c_str(), FALSE));
    EXPECT_EQ(ResolveThemeImage(L"Battery.TGA", context), inImagesPng);
    std::wstring inAdditional = write(additional.Path(), L"battery.tga", kTeal);
    EXPECT_EQ(ResolveThemeImage(L"Battery.TGA", context), inAdditional);

    Bitmap32 image;
    ASSERT_TRUE(LoadThemeImage(image, L"Battery.TGA", 0, context));
    EXPECT_EQ(PixelAt(image, 0, 0), 0x008080C8u);
    EXPECT_EQ(ResolveThemeImage(L"nothing.tga", context), L"");
    EXPECT_FALSE(LoadThemeImage(image, L"nothing.tga", 0, context));

    // Before the shell is ready nothing is loaded, not even the fallback.
    context.shellReady = false;
    EXPECT_FALSE(LoadThemeImage(image, L"Battery.TGA", 0, context));
    EXPECT_TRUE(image.IsEmpty());

    DeleteFileW(inImagesTga.c_str());
    DeleteFileW(inImagesPng.c_str());
    DeleteFileW(inAdditional.c_str());
    RemoveDirectoryW(images.c_str());
}

TEST_F(ImageLoaderTest, MissingThemeFileFallsBackToTheResource) {
    ScratchFolder folder;
    ResourceModule resources(folder);
    resources.Add(L"TARGA", 174, SolidTga(6, 6, kPlum));
    HMODULE module = resources.Load();
    ThemeImageContext context;
    context.additionalImagesPath = folder.Path();
    context.installFolder = folder.Path();
    context.shellReady = true;
    context.resourceModule = module;
    Bitmap32 image;
    ASSERT_TRUE(LoadThemeImage(image, L"up_scroll_vga.tga", 174, context));
    EXPECT_EQ(image.Width(), 6);
    EXPECT_FALSE(LoadThemeImage(image, L"up_scroll_vga.tga", 175, context));
}

TEST(ImageLoaderRegistry, InstallFolderComesFromInstallPath) {
    const std::wstring key = L"Software\\NorvaneTests\\ImageLoader" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    EXPECT_EQ(ReadInstallFolder(HKEY_CURRENT_USER, key.c_str()), L"\\Windows\\");
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadInstallFolder(HKEY_CURRENT_USER, key.c_str()), L"\\Windows\\");
    const wchar_t value[] = L"\\Program Files\\Norvane";
    ASSERT_EQ(
        RegSetValueExW(handle, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
        ERROR_SUCCESS);
    EXPECT_EQ(ReadInstallFolder(HKEY_CURRENT_USER, key.c_str()), L"\\Program Files\\Norvane\\");
    // A value longer than 260 characters does not fit and counts as missing.
    std::wstring longValue(400, L'x');
    ASSERT_EQ(RegSetValueExW(handle, L"InstallPath", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(longValue.c_str()),
                             static_cast<DWORD>((longValue.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadInstallFolder(HKEY_CURRENT_USER, key.c_str()), L"\\Windows\\");
    RegCloseKey(handle);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}
