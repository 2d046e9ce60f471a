// The picture of a shortcut: its bitmap icon (a Bitmap32 for ".tga" and
// ".png", a device bitmap for anything else), the icon of its additional
// target, or the system's icon for its target; pictures are reduced to the
// shortcut's icon size by repeated halving when they are loaded.
//
// The functions take plain values so that ShortcutRecord can call them with its
// fields; the shell services they need come in through ShortcutIconServices.
#pragma once

#include "Bitmap32.h"
#include "CachedIcon.h"
#include "ImageHandles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace norvane {

class ShortcutRecord;

struct ShortcutIconRequest {
    std::wstring bitmapIcon;       // ShortcutBitmapIcon
    std::wstring additionalTarget; // ShortcutAdditional
    std::wstring target;           // Shortcut
    bool large = false;            // LargeIcon
    bool inSpecialTab = false;     // the tab's SpecialType is 2 to 7
};

// The process-wide display facts the rules depend on.
struct IconDisplay {
    int dpi = 96;                // horizontal dots per inch
    bool trueVga = false;        // TrueVga
    bool highResolution = false; // HiResDisplay
};

// A loaded shortcut picture: at most one of the three is set.
struct ShortcutIcon {
    Bitmap32 image;
    UniqueBitmap bitmap;
    UniqueIcon icon;

    bool IsLoaded() const { return !image.IsEmpty() || bitmap || icon; }
    void Clear() {
        image.Empty();
        bitmap.reset();
        icon.reset();
    }
};

struct ShortcutIconServices {
    // The system's icon for a file (SHGetFileInfo with SHGFI_ICON and the large
    // or small icon flag); the caller owns the result.
    std::function<HICON(const std::wstring& path, bool large)> systemIcon;
    // The shell's bitmap-file loader (SHLoadDIBitmap).
    std::function<HBITMAP(const std::wstring& path)> loadBitmapFile;
    // The icon of an additional target (applets, folders, special commands,
    // new items, meters); filled in by the shortcut-target code. Empty: no icon.
    std::function<bool(const ShortcutIconRequest&, const IconDisplay&, ShortcutIcon&)> additionalTargetIcon;

    // Desktop stand-ins: SHGetFileInfoW and LoadImageW from a file; no
    // additional-target icons. The plug-in replaces them with the platform's
    // calls, which know the device's shortcut files and paths.
    static ShortcutIconServices Desktop();
    // The device's calls: CeSHGetFileInfo and SHLoadDIBitmap (device paths and
    // CE shortcut files); additionalTargetIcon is left for the caller to fill
    // (LoadAdditionalTargetIcon in TargetIcon.h).
    static ShortcutIconServices Platform();
};

// The loaded picture as a shortcut keeps it (ShortcutRecord::Icon()).
class ShortcutIconCache : public CachedIcon {
public:
    ShortcutIcon icon;
};

// The picture a shortcut holds, or nullptr when none is loaded.
const ShortcutIcon* LoadedShortcutIcon(const ShortcutRecord& shortcut);

// Loads the shortcut's picture unless one is loaded already (then true). True
// when the shortcut has a picture afterwards.
bool LoadShortcutIcon(const ShortcutIconRequest& request, const IconDisplay& display,
                      const ShortcutIconServices& services, ShortcutIcon& icon);

// Halves a loaded Bitmap32 or device bitmap while it is wider or taller than
// size (system icons are left alone).
void FitShortcutIcon(ShortcutIcon& icon, int size);

// A device bitmap stretched to half its width and height (nullptr on failure
// or when nothing would be left).
HBITMAP HalveDeviceBitmap(HBITMAP bitmap);

} // namespace norvane
