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
#include <map>
#include <mutex>
#include <string>
#include <utility>

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
    SharedIcon icon;

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
    // The same, kept and shared (SystemIconCache); when set, a shortcut's
    // target icon comes from here rather than from systemIcon.
    std::function<SharedIcon(const std::wstring& path, bool large)> sharedSystemIcon;
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

// The system's icons for files (the Platform() services' sharedSystemIcon
// goes through one of these, kept for the life of the module). Asking the
// shell for a program's icon means reading the program file, the slowest part
// of loading a tab, and the item reloads its settings (and with them every
// icon) at start and after every change. An entry holds while its file keeps
// its time and size; a changed, new or vanished file is asked for again. The
// icon is shared, not copied: icons are never changed once made, and a copy
// costs nearly as much as asking the shell.
class SystemIconCache {
public:
    SystemIconCache() = default;
    SystemIconCache(const SystemIconCache&) = delete;
    SystemIconCache& operator=(const SystemIconCache&) = delete;

    // The icon for the file at the given size: kept, or from load (which
    // returns an icon the cache then owns, or nullptr).
    SharedIcon Get(const std::wstring& path, bool large, const std::function<HICON()>& load);
    void Clear();

private:
    static constexpr std::size_t kMaxEntries = 512;
    struct Stamp {
        bool present = false;
        FILETIME written{};
        DWORD size = 0;
        bool operator==(const Stamp& o) const {
            return present == o.present && written.dwLowDateTime == o.written.dwLowDateTime &&
                   written.dwHighDateTime == o.written.dwHighDateTime && size == o.size;
        }
    };
    struct Entry {
        Stamp stamp;
        SharedIcon icon;
    };
    using Key = std::pair<std::wstring, bool>;
    static Stamp StampOf(const std::wstring& path);

    std::mutex m_lock;
    std::map<Key, Entry> m_entries;
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
