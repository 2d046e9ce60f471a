// Theme image names, install folder text and icon sizing rules.
#include "ImageNames.h"

namespace norvane {

std::wstring LowerCaseName(const std::wstring& name) {
    std::wstring lower = name;
    for (wchar_t& c : lower) {
        if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c = static_cast<wchar_t>(c + 32);
    }
    return lower;
}

std::vector<std::wstring> ThemeImageCandidates(const std::wstring& name,
                                               const std::wstring& additionalImagesPath,
                                               const std::wstring& installFolder) {
    std::wstring lower = LowerCaseName(name);
    std::size_t dot = lower.rfind(L'.');
    std::wstring stem = dot == std::wstring::npos ? lower + L"." : lower.substr(0, dot + 1);
    const std::wstring png = stem + L"png";
    const std::wstring tga = stem + L"tga";
    const std::wstring imagesFolder = installFolder + L"images\\";
    return {additionalImagesPath + png, additionalImagesPath + tga, imagesFolder + png, imagesFolder + tga};
}

std::wstring ThemeVariantName(const std::wstring& base, bool highResolution, bool landscape) {
    std::wstring name = base;
    if (highResolution)
        name += L"_vga";
    if (landscape)
        name += L"_ls";
    return name + L".tga";
}

std::wstring NormalizeInstallFolder(const std::wstring& value, bool present) {
    if (!present || value.empty())
        return L"\\Windows\\";
    if (value.back() == L'\\')
        return value;
    return value + L"\\";
}

int ScaleIconMeasure(int value, int dpi, bool trueVga) {
    // MulDiv rounding: halves away from zero.
    long long product = static_cast<long long>(value) * dpi;
    long long scaled = product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96);
    int result = static_cast<int>(scaled);
    return trueVga ? result * 2 : result;
}

int ShortcutIconSize(bool large, bool inSpecialTab, int dpi, bool trueVga) {
    if (trueVga && inSpecialTab)
        return 16;
    return ScaleIconMeasure(large ? 32 : 16, dpi, trueVga);
}

bool WantsLargeSystemIcon(bool large, bool inSpecialTab, bool trueVga) {
    return large || (trueVga && !inSpecialTab);
}

int CommandIconNumber(bool large, bool highResolution) {
    if (large && highResolution)
        return 64;
    if (!large && !highResolution)
        return 16;
    return 32;
}

std::wstring CommandIconFileName(const std::wstring& base, bool large, bool highResolution) {
    return base + std::to_wstring(CommandIconNumber(large, highResolution)) + L".tga";
}

int HalvingsToFit(int width, int height, int size) {
    int count = 0;
    while ((width > size || height > size) && width > 1 && height > 1) {
        width /= 2;
        height /= 2;
        ++count;
    }
    return count;
}

} // namespace norvane
