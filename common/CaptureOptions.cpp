// Screen-capture options from a shortcut's properties, and capture file names.
#include "CaptureOptions.h"

#include "SpecialCommands.h"

#include <algorithm>
#include <cstdio>

namespace norvane {

namespace {

constexpr int kMaxNameAttempts = 1000;

bool IsBitmapDepth(int bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

int ClampCaptureCount(int count) {
    return std::clamp(count, capturelimit::kMinCount, capturelimit::kMaxCount);
}

int ClampCaptureDelay(int seconds) {
    return std::clamp(seconds, capturelimit::kMinDelay, capturelimit::kMaxDelay);
}

int ClampCaptureRepeatDelay(int seconds) {
    return std::clamp(seconds, capturelimit::kMinRepeatDelay, capturelimit::kMaxRepeatDelay);
}

CaptureRequest ReadCaptureRequest(const PropertyList& properties, std::wstring_view documentsFolder) {
    CaptureRequest request;
    request.delaySeconds = ClampCaptureDelay(PropertyInteger(properties.Get(specialkey::kDelay)));
    request.count = ClampCaptureCount(PropertyInteger(properties.Get(specialkey::kCount)));
    request.repeatDelaySeconds =
        ClampCaptureRepeatDelay(PropertyInteger(properties.Get(specialkey::kRepeatDelay)));
    request.promptBeforeStarting = IsTrueProperty(properties.Get(specialkey::kPromptBeforeStarting));
    request.promptAfterFinishing = IsTrueProperty(properties.Get(specialkey::kPromptAfterFinishing));
    const int depth = PropertyInteger(properties.Get(specialkey::kColorDepth));
    request.colourDepth = IsBitmapDepth(depth) ? depth : 0;
    std::wstring path = properties.Get(specialkey::kPath);
    if (path.empty()) {
        path.assign(documentsFolder);
    }
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    request.path = std::move(path);
    request.prefix = properties.Get(specialkey::kPrefix);
    request.format = properties.Get(specialkey::kFormat);
    if (request.format.empty()) {
        request.format = L"BMP";
    }
    return request;
}

bool IsJpegFormat(std::wstring_view format) {
    return format == L"JPG";
}

const wchar_t* CaptureExtension(std::wstring_view format) {
    return IsJpegFormat(format) ? L"jpg" : L"bmp";
}

std::wstring CaptureFileName(std::wstring_view path, std::wstring_view prefix, const CaptureTime& time,
                             std::wstring_view extension) {
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%04d%02d%02d_%02d%02d%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    std::wstring name(path);
    name += prefix;
    name += stamp;
    name += L'.';
    name += extension;
    return name;
}

std::wstring FreeCaptureFileName(std::wstring_view path, std::wstring_view prefix, const CaptureTime& time,
                                 std::wstring_view extension,
                                 const std::function<bool(const std::wstring&)>& taken) {
    std::wstring name = CaptureFileName(path, prefix, time, extension);
    if (!taken(name)) {
        return name;
    }
    const std::wstring tail = L"." + std::wstring(extension);
    const std::wstring stem = name.substr(0, name.size() - tail.size());
    for (int n = 2; n <= kMaxNameAttempts; ++n) {
        std::wstring candidate = stem + L"_" + std::to_wstring(n) + tail;
        if (!taken(candidate)) {
            return candidate;
        }
    }
    return std::wstring();
}

} // namespace norvane
