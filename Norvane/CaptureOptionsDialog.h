// The capture options dialog (resource 131): the number of captures, the delay
// before the first and the delay between them, each on a track bar with its
// value beside it.
#pragma once

#include <windows.h>

namespace norvane {

inline constexpr int kCaptureOptionsDialogId = 131;

namespace ids {
inline constexpr UINT kCancel = 50021;
inline constexpr UINT kSecondsFormat = 50058;
inline constexpr UINT kCaptureCountLabel = 50059;
inline constexpr UINT kCaptureDelayLabel = 50060;
inline constexpr UINT kCaptureRepeatLabel = 50061;
inline constexpr UINT kCaptureOptionsTitle = 50074;
} // namespace ids

// Control ids of dialog 131.
namespace captureoptions {
inline constexpr int kCountLabel = 1001;
inline constexpr int kDelayLabel = 1002;
inline constexpr int kRepeatLabel = 1003;
inline constexpr int kCountBar = 1011;
inline constexpr int kDelayBar = 1012;
inline constexpr int kRepeatBar = 1013;
inline constexpr int kCountValue = 1021;
inline constexpr int kDelayValue = 1022;
inline constexpr int kRepeatValue = 1023;
} // namespace captureoptions

// Shows the dialog with the values (held to the bars' ranges first); on OK the
// values are the bars' and the result is true, on Cancel they stay as they were.
bool ShowCaptureOptionsDialog(HWND owner, int& count, int& delay, int& repeatDelay);

} // namespace norvane
