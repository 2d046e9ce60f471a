// The device's side of meter loading: TGA and PNG element images through the
// image loader, colour-fill masks through the shell's bitmap-file loader
// (SHLoadDIBitmap), the storage cards of the device and the shell's theme
// colours. The item, the options program and the meter tool load meters
// through this.
#pragma once

#include "MeterDefinition.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace norvane {

class Settings;

// A colour-fill mask that keeps the device bitmap it was read from.
class DeviceMeterMask : public MeterMask {
public:
    ~DeviceMeterMask() override;
    // Reads which pixels of the bitmap are not black; takes the bitmap over.
    // False (the bitmap freed) when it cannot be read or is too large.
    bool Adopt(HBITMAP bitmap);
    HBITMAP Bitmap() const { return m_bitmap; }

private:
    HBITMAP m_bitmap = nullptr;
};

// The shell's theme colour n: a "%d" value or the "SHColor" array under HKLM
// SOFTWARE\Microsoft\Color; the fallback when neither holds it.
COLORREF ShellThemeColour(int index, COLORREF fallback);

class DeviceMeterSource : public MeterImageSource {
public:
    // settings give the storage-card paths of meters (may be null).
    explicit DeviceMeterSource(const Settings* settings = nullptr) : m_settings(settings) {}

    bool LoadPicture(const std::wstring& path, Bitmap32& image) override;
    std::unique_ptr<MeterMask> LoadMask(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    std::wstring StoredStorageCardPath(const std::wstring& meterPath) override;
    std::wstring FirstStorageCard() override;
    ColorValue ThemeTextColour() override;

private:
    const Settings* m_settings;
};

// Loads the definition of a meter shortcut's path at an icon size.
std::unique_ptr<MeterDefinition> LoadMeterDefinition(const std::wstring& meterPath, int size,
                                                     ShortcutRecord* owner, const Settings* settings);

} // namespace norvane
