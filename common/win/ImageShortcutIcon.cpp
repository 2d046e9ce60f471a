// Shortcut pictures: which source is used, and the reduction to icon size.
#include "ImageShortcutIcon.h"

#include "ImageLoader.h"
#include "ImageNames.h"

#include "ShortcutRecord.h"

#include <Aygshell.h>
#include <CeLaunch.h>
#include <shellapi.h>

namespace norvane {

namespace {

bool IsBitmap32Path(const std::wstring& path) {
    if (path.size() < 4)
        return false;
    std::wstring last = LowerCaseName(path.substr(path.size() - 4));
    return last == L".tga" || last == L".png";
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) == 0)
        return {0, 0};
    return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

SystemIconCache& SystemIcons() {
    static SystemIconCache cache;
    return cache;
}

} // namespace

void SystemIconCache::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
}

SystemIconCache::Stamp SystemIconCache::StampOf(const std::wstring& path) {
    Stamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        stamp.present = true;
        stamp.written = data.ftLastWriteTime;
        stamp.size = data.nFileSizeLow;
    }
    return stamp;
}

SharedIcon SystemIconCache::Get(const std::wstring& path, bool large, const std::function<HICON()>& load) {
    const Stamp stamp = StampOf(path);
    const Key key{LowerCaseName(path), large};
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto found = m_entries.find(key);
        if (found != m_entries.end() && found->second.stamp == stamp)
            return found->second.icon;
    }
    SharedIcon icon(load());
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_entries.size() >= kMaxEntries)
        m_entries.clear();
    m_entries[key] = Entry{stamp, icon};
    return icon;
}

ShortcutIconServices ShortcutIconServices::Desktop() {
    ShortcutIconServices services;
    services.systemIcon = [](const std::wstring& path, bool large) -> HICON {
        SHFILEINFOW info{};
        UINT flags = SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
        if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, flags))
            return nullptr;
        return info.hIcon;
    };
    services.loadBitmapFile = [](const std::wstring& path) -> HBITMAP {
        return static_cast<HBITMAP>(
            LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    };
    return services;
}

ShortcutIconServices ShortcutIconServices::Platform() {
    ShortcutIconServices services;
    services.systemIcon = [](const std::wstring& path, bool large) -> HICON {
        SHFILEINFOW info{};
        UINT flags = SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
        if (!CeSHGetFileInfo(path.c_str(), 0, &info, sizeof info, flags))
            return nullptr;
        return info.hIcon;
    };
    services.sharedSystemIcon = [system = services.systemIcon](const std::wstring& path, bool large) {
        return SystemIcons().Get(path, large, [&] { return system(path, large); });
    };
    services.loadBitmapFile = [](const std::wstring& path) -> HBITMAP {
        return SHLoadDIBitmap(path.c_str());
    };
    return services;
}

const ShortcutIcon* LoadedShortcutIcon(const ShortcutRecord& shortcut) {
    const auto* cache = dynamic_cast<const ShortcutIconCache*>(shortcut.Icon());
    return cache && cache->icon.IsLoaded() ? &cache->icon : nullptr;
}

HBITMAP HalveDeviceBitmap(HBITMAP bitmap) {
    SIZE size = BitmapSize(bitmap);
    const int width = size.cx / 2;
    const int height = size.cy / 2;
    if (width <= 0 || height <= 0)
        return nullptr;
    ScreenDc screen;
    UniqueMemoryDc source(CreateCompatibleDC(screen.Get()));
    UniqueMemoryDc target(CreateCompatibleDC(screen.Get()));
    UniqueBitmap half(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!source || !target || !half)
        return nullptr;
    SelectedObject selectedSource(source.get(), bitmap);
    SelectedObject selectedTarget(target.get(), half.get());
    SetStretchBltMode(target.get(), HALFTONE);
    SetBrushOrgEx(target.get(), 0, 0, nullptr);
    if (!StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, size.cx, size.cy, SRCCOPY))
        return nullptr;
    return half.release();
}

void FitShortcutIcon(ShortcutIcon& icon, int size) {
    while (!icon.image.IsEmpty() && (icon.image.Width() > size || icon.image.Height() > size)) {
        if (icon.image.Width() < 2 || icon.image.Height() < 2)
            break;
        Bitmap32 half = icon.image.Halve();
        icon.image.Exchange(half);
    }
    while (icon.bitmap) {
        SIZE current = BitmapSize(icon.bitmap.get());
        if ((current.cx <= size && current.cy <= size) || current.cx < 2 || current.cy < 2)
            break;
        HBITMAP half = HalveDeviceBitmap(icon.bitmap.get());
        if (!half)
            break;
        icon.bitmap.reset(half);
    }
}

bool LoadShortcutIcon(const ShortcutIconRequest& request, const IconDisplay& display,
                      const ShortcutIconServices& services, ShortcutIcon& icon) {
    if (icon.IsLoaded())
        return true;
    const int size = ShortcutIconSize(request.large, request.inSpecialTab, display.dpi, display.trueVga);
    if (!request.bitmapIcon.empty()) {
        if (IsBitmap32Path(request.bitmapIcon))
            LoadImageFile(icon.image, request.bitmapIcon);
        else if (services.loadBitmapFile)
            icon.bitmap.reset(services.loadBitmapFile(request.bitmapIcon));
    } else if (!request.additionalTarget.empty()) {
        if (services.additionalTargetIcon)
            services.additionalTargetIcon(request, display, icon);
    } else if (!request.target.empty()) {
        bool large = WantsLargeSystemIcon(request.large, request.inSpecialTab, display.trueVga);
        if (services.sharedSystemIcon)
            icon.icon = services.sharedSystemIcon(request.target, large);
        else if (services.systemIcon)
            icon.icon.reset(services.systemIcon(request.target, large));
    }
    FitShortcutIcon(icon, size);
    return icon.IsLoaded();
}

} // namespace norvane
