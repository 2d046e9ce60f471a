// Loading pictures into Bitmap32: image files (TGA by our own decoder, PNG
// through the platform's imaging service), resources ("PNG" before "TARGA"),
// theme images looked up through the search folders, and tab images.
#pragma once

#include "Bitmap32.h"

#include <windows.h>

#include <string>

struct IImagingFactory;

namespace norvane {

// The process's one imaging-service instance. The plug-in creates it when it
// starts and releases it when its window class is torn down; while there is
// none, PNG loads fail and TGA still works.
class ImagingService {
public:
    // Initialises the component runtime on this thread and creates the
    // factory. Available() tells whether that worked; the process runs on
    // without PNG support when it did not.
    ImagingService();
    // Releases the factory and uninitialises the runtime (when we initialised it).
    ~ImagingService();
    ImagingService(const ImagingService&) = delete;
    ImagingService& operator=(const ImagingService&) = delete;

    bool Available() const { return m_factory != nullptr; }

    // The factory the loaders use: the one of the living ImagingService (or
    // the one installed with SetCurrent), or nullptr.
    static IImagingFactory* Current();
    // Installs a factory (which the caller keeps alive) or nullptr; for tools
    // and tests that manage the runtime themselves. Returns the previous one.
    static IImagingFactory* SetCurrent(IImagingFactory* factory);

private:
    IImagingFactory* m_factory = nullptr;
    IImagingFactory* m_previous = nullptr;
    bool m_uninitialise = false;
};

// PNG (or any picture the imaging service reads) from a file or from bytes
// that stay the caller's. Fails without an imaging service.
bool LoadPngFile(Bitmap32& image, const std::wstring& path);
bool LoadPngBuffer(Bitmap32& image, const void* data, std::size_t size);

// By the last four characters, without regard to case: ".png" through the
// imaging service, ".tga" through our decoder; anything else (and a path of
// four characters or fewer) fails. The image is emptied first.
bool LoadImageFile(Bitmap32& image, const std::wstring& path);

// A resource of type "PNG" with the ID (only while there is an imaging
// service), otherwise one of type "TARGA".
bool LoadResourceImage(Bitmap32& image, HMODULE module, int id);

// The install folder: "InstallPath" under HKLM Software\Tarsel\Norvane (at most
// 260 characters) with a "\" at its end; "\Windows\" when it is missing. The
// key can be changed for tests.
std::wstring ReadInstallFolder(HKEY root = HKEY_LOCAL_MACHINE,
                               const wchar_t* subkey = L"SOFTWARE\\Tarsel\\Norvane");

// What theme image loading needs from the plug-in.
struct ThemeImageContext {
    std::wstring additionalImagesPath; // the AdditionalImagesPath setting
    std::wstring installFolder;        // ReadInstallFolder()
    bool shellReady = false;           // IsAPIReady(SH_SHELL)
    HMODULE resourceModule = nullptr;  // the language module, else the plug-in
};

// The first of the candidate files that exists, or empty.
std::wstring ResolveThemeImage(const std::wstring& name, const ThemeImageContext& context);

// Only while the shell is ready: the resolved file, and, when that leaves the
// image empty and fallbackId is not 0, that resource of the resource module.
bool LoadThemeImage(Bitmap32& image, const std::wstring& name, int fallbackId,
                    const ThemeImageContext& context);

// A tab's image text: a built-in picture (resource 4300 + 3n + variant) from
// module, or from resourceModule when module is nullptr; any other text is an
// image file.
bool LoadTabImage(const std::wstring& text, Bitmap32& image, HMODULE module, HMODULE resourceModule,
                  bool highResolution);

} // namespace norvane
