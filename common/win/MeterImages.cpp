// Meter images, masks, storage cards and theme colours on the device.
#include "MeterImages.h"

#include "CeFlashCard.h"
#include "CeShell.h"
#include "ImageLoader.h"
#include "Settings.h"

#include <vector>

namespace norvane {

DeviceMeterMask::~DeviceMeterMask() {
    if (m_bitmap) {
        DeleteObject(m_bitmap);
    }
}

bool DeviceMeterMask::Adopt(HBITMAP bitmap) {
    if (m_bitmap) {
        DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
    if (!bitmap) {
        return false;
    }
    BITMAP info = {};
    if (!GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        static_cast<unsigned long long>(info.bmWidth) * static_cast<unsigned long long>(info.bmHeight) >
            Bitmap32::kMaxPixels) {
        DeleteObject(bitmap);
        return false;
    }
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    // Read back as 32-bit top-down rows, whatever the file's depth was.
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) {
        DeleteObject(bitmap);
        return false;
    }
    std::vector<std::uint8_t> lit(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        lit[i] = (pixels[i] & 0x00FFFFFFu) != 0 ? 1 : 0;
    }
    if (!Assign(width, height, std::move(lit))) {
        DeleteObject(bitmap);
        return false;
    }
    m_bitmap = bitmap;
    return true;
}

COLORREF ShellThemeColour(int index, COLORREF fallback) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Color", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return fallback;
    }
    COLORREF result = fallback;
    wchar_t name[16];
    wsprintfW(name, L"%d", index);
    BYTE bytes[64] = {};
    DWORD size = sizeof(bytes);
    if (RegQueryValueExW(key, name, nullptr, nullptr, bytes, &size) == ERROR_SUCCESS && size >= 3) {
        result = RGB(bytes[0], bytes[1], bytes[2]);
    } else {
        DWORD needed = 0;
        if (RegQueryValueExW(key, L"SHColor", nullptr, nullptr, nullptr, &needed) == ERROR_SUCCESS &&
            index >= 0 && needed > 4u * static_cast<DWORD>(index) + 4u) {
            std::vector<BYTE> data(needed, 0);
            if (RegQueryValueExW(key, L"SHColor", nullptr, nullptr, data.data(), &needed) == ERROR_SUCCESS &&
                needed > 4u * static_cast<DWORD>(index) + 4u) {
                const BYTE* entry = data.data() + 4 * index;
                result = RGB(entry[0], entry[1], entry[2]);
            }
        }
    }
    RegCloseKey(key);
    return result;
}

bool DeviceMeterSource::LoadPicture(const std::wstring& path, Bitmap32& image) {
    return LoadImageFile(image, path);
}

std::unique_ptr<MeterMask> DeviceMeterSource::LoadMask(const std::wstring& path) {
    HBITMAP bitmap = SHLoadDIBitmap(path.c_str());
    if (!bitmap) {
        return nullptr;
    }
    auto mask = std::make_unique<DeviceMeterMask>();
    if (!mask->Adopt(bitmap)) {
        return nullptr;
    }
    return mask;
}

bool DeviceMeterSource::FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring DeviceMeterSource::StoredStorageCardPath(const std::wstring& meterPath) {
    if (!m_settings) {
        return {};
    }
    return m_settings->StorageCardPath(meterPath).value_or(std::wstring());
}

std::wstring DeviceMeterSource::FirstStorageCard() {
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFlashCard(&data);
    if (find == INVALID_HANDLE_VALUE) {
        return {};
    }
    FindClose(find);
    return data.cFileName;
}

ColorValue DeviceMeterSource::ThemeTextColour() {
    const COLORREF colour = ShellThemeColour(4, RGB(0, 0, 0));
    return MakeColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

std::unique_ptr<MeterDefinition> LoadMeterDefinition(const std::wstring& meterPath, int size,
                                                     ShortcutRecord* owner, const Settings* settings) {
    DeviceMeterSource source(settings);
    auto definition = std::make_unique<MeterDefinition>();
    definition->Load(meterPath, size, owner, source);
    return definition;
}

} // namespace norvane
