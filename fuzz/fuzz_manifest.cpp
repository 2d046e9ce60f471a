// Feeds arbitrary bytes to the cabinet installer's manifest parser and checks
// its promises: every destination it keeps is a plain device path.
#include "InstallManifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace norvane::device;
    InstallManifest manifest;
    if (!ParseInstallManifest(std::string_view(reinterpret_cast<const char*>(data), size), manifest))
        return 0;
    if (!IsPlainDevicePath(manifest.installDir) && manifest.installDir != L"\\Windows\\")
        std::abort();
    for (const auto& [source, destination] : manifest.files)
        if (source.empty() || !IsPlainDevicePath(destination) ||
            destination.find(L"\\..\\") != std::wstring::npos)
            std::abort();
    for (const auto& path : manifest.selfRegister)
        if (!IsPlainDevicePath(path))
            std::abort();
    for (const auto& [name, dll] : manifest.items)
        if (name.empty() || !IsPlainDevicePath(dll))
            std::abort();
    return 0;
}
