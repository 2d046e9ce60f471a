// What a screen-capture shortcut asks for, read from its properties, and the
// names of the files it writes. Portable: the item runs the capture
// (Norvane/ScreenCapture), the options program shows the same values.
#pragma once

#include "PropertyList.h"

#include <functional>
#include <string>
#include <string_view>

namespace norvane {

// The ranges of the capture options dialog. Values from the settings file are
// held to them, so that a hand-edited file cannot ask for a negative delay, a
// thousand pictures or pictures taken in the same instant.
namespace capturelimit {
inline constexpr int kMinCount = 1;
inline constexpr int kMaxCount = 15;
inline constexpr int kMinDelay = 0;
inline constexpr int kMaxDelay = 15;
inline constexpr int kMinRepeatDelay = 1;
inline constexpr int kMaxRepeatDelay = 15;
} // namespace capturelimit

struct CaptureRequest {
    int count = 1;              // pictures to take
    int delaySeconds = 5;       // before the first
    int repeatDelaySeconds = 5; // between pictures
    bool promptBeforeStarting = false;
    bool promptAfterFinishing = true;
    int colourDepth = 0;                     // bits per pixel; 0 = the screen's
    std::wstring path = L"\\My Documents\\"; // ends with "\"
    std::wstring prefix = L"capture_";
    std::wstring format = L"BMP";
};

// Reads Delay, Count, RepeatDelay, PromptBeforeStarting, PromptAfterFinishing,
// ColorDepth, Path, Format and Prefix. Count, Delay and RepeatDelay are held to
// the dialog's ranges (a Count of 0 counts as 1); a ColorDepth that is no
// bitmap depth (1, 2, 4, 8, 16, 24, 32) means the screen's; an empty Path is the
// documents folder; a Path gets a final "\"; an empty Format is "BMP".
CaptureRequest ReadCaptureRequest(const PropertyList& properties, std::wstring_view documentsFolder);

int ClampCaptureCount(int count);
int ClampCaptureDelay(int seconds);
int ClampCaptureRepeatDelay(int seconds);

// Only the exact format "JPG" writes JPEG files; "jpg" and everything else BMP.
bool IsJpegFormat(std::wstring_view format);
// "jpg" or "bmp".
const wchar_t* CaptureExtension(std::wstring_view format);

struct CaptureTime {
    int year, month, day, hour, minute, second;
};

// "%s%s%04d%02d%02d_%02d%02d%02d.%s": path, prefix, date and time, extension.
std::wstring CaptureFileName(std::wstring_view path, std::wstring_view prefix, const CaptureTime& time,
                             std::wstring_view extension);
// The first of CaptureFileName, then the same name with "_2", "_3", ... before
// the extension, for which taken() is false: a picture taken in the same second
// as an earlier one never replaces it. Empty when every name up to a limit is
// taken.
std::wstring FreeCaptureFileName(std::wstring_view path, std::wstring_view prefix, const CaptureTime& time,
                                 std::wstring_view extension,
                                 const std::function<bool(const std::wstring&)>& taken);

} // namespace norvane
