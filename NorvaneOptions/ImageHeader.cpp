// Picture sizes from file headers.
#include "ImageHeader.h"

#include <cstdint>
#include <cwctype>

namespace norvane::options {

namespace {

bool EndsWithIgnoringCase(std::wstring_view name, std::wstring_view ending) {
    if (name.size() < ending.size()) {
        return false;
    }
    name = name.substr(name.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (std::towlower(static_cast<std::wint_t>(name[i])) != static_cast<std::wint_t>(ending[i])) {
            return false;
        }
    }
    return true;
}

std::uint32_t Byte(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

} // namespace

ImageFileKind ImageFileKindOf(std::wstring_view name) {
    if (EndsWithIgnoringCase(name, L".png")) {
        return ImageFileKind::Png;
    }
    if (EndsWithIgnoringCase(name, L".tga")) {
        return ImageFileKind::Tga;
    }
    if (EndsWithIgnoringCase(name, L".bmp")) {
        return ImageFileKind::Bmp;
    }
    return ImageFileKind::Other;
}

bool ReadImageHeaderSize(std::string_view bytes, ImageFileKind kind, int& width, int& height) {
    if (kind == ImageFileKind::Png) {
        static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        if (bytes.size() < 24) {
            return false;
        }
        for (std::size_t i = 0; i < sizeof kSignature; ++i) {
            if (Byte(bytes, i) != kSignature[i]) {
                return false;
            }
        }
        if (bytes.substr(12, 4) != "IHDR") {
            return false;
        }
        const std::uint32_t w =
            Byte(bytes, 16) << 24 | Byte(bytes, 17) << 16 | Byte(bytes, 18) << 8 | Byte(bytes, 19);
        const std::uint32_t h =
            Byte(bytes, 20) << 24 | Byte(bytes, 21) << 16 | Byte(bytes, 22) << 8 | Byte(bytes, 23);
        if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) {
            return false;
        }
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        return true;
    }
    if (kind == ImageFileKind::Tga) {
        if (bytes.size() < 18) {
            return false;
        }
        const int w = static_cast<int>(Byte(bytes, 12) | Byte(bytes, 13) << 8);
        const int h = static_cast<int>(Byte(bytes, 14) | Byte(bytes, 15) << 8);
        if (w == 0 || h == 0) {
            return false;
        }
        width = w;
        height = h;
        return true;
    }
    return false;
}

} // namespace norvane::options
