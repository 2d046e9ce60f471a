// Module-wide state of the Today item DLL: its instance, the registered window
// messages shared with the key stubs and the options program, and text lookup
// through the language module.
#pragma once

#include <windows.h>

#include <string>

namespace norvane {

namespace names {
inline constexpr wchar_t kWindowClass[] = L"NorvaneWindowClass";
inline constexpr wchar_t kWindowCaption[] = L"Norvane";
inline constexpr wchar_t kLauncherMessage[] = L"NorvaneLauncherMsg";
inline constexpr wchar_t kSettingsChangedMessage[] = L"NorvaneSettingsChanged";
inline constexpr wchar_t kScreenCaptureMessage[] = L"Norvane_Screen_Capture";
inline constexpr wchar_t kCurrentHeightMessage[] = L"NorvaneCurrentHeight";
inline constexpr wchar_t kRegistryKey[] = L"Software\\Tarsel\\Norvane";
inline constexpr wchar_t kCurrentTabValue[] = L"CurrentTab";
inline constexpr wchar_t kTrueVgaValue[] = L"TrueVGA";
inline constexpr wchar_t kLastHeightValue[] = L"LastHeight";
inline constexpr wchar_t kMinimizeOnRefreshValue[] = L"MinimizeOnRefresh";
inline constexpr wchar_t kFloatingPanelTitle[] = L"Norvane_FloatingPanel";
inline constexpr wchar_t kCeShellDll[] = L"ceshell.dll";
inline constexpr wchar_t kTaskBarClass[] = L"HHTaskBar";
} // namespace names

// String ids of the item's own table.
namespace ids {
inline constexpr UINT kModuleCaption = 125;
inline constexpr UINT kSettingsLoadFailed = 50001;
inline constexpr UINT kSettingsSaveFailed = 50090;
inline constexpr UINT kLoading = 50041;
} // namespace ids

// Private messages of the item window.
namespace appmsg {
inline constexpr UINT kTrayCallback = WM_APP + 5;
inline constexpr UINT kStatusRefresh = WM_APP + 9;
inline constexpr UINT kRebuildMeterBar = WM_APP + 11;
inline constexpr UINT kExecuteShortcut = WM_APP + 14;
inline constexpr UINT kTabMenu = WM_APP + 15;
inline constexpr UINT kJumpToTab = WM_APP + 16;
inline constexpr UINT kMinMax = WM_APP + 17;
inline constexpr UINT kCaptionPopupClosed = WM_APP + 100;
} // namespace appmsg

// Timers of the item window.
namespace timers {
inline constexpr UINT_PTR kStartup = 0x8002;
inline constexpr UINT_PTR kClearSelection = 0x8003;
inline constexpr UINT_PTR kSnapBack = 0x8004;
inline constexpr UINT_PTR kMinimize = 0x8006;
inline constexpr UINT_PTR kStatus = 0x8007;
inline constexpr UINT_PTR kPostLoadRefresh = 0x8008;
inline constexpr UINT_PTR kDragHover = 0x800A;
inline constexpr UINT_PTR kScreenCapture = 0x800C;
inline constexpr UINT_PTR kTaskManagerAnimation = 0x800D;
inline constexpr UINT_PTR kPanelWatch = 0x8010;
} // namespace timers

struct RegisteredMessages {
    UINT launcher = 0;
    UINT settingsChanged = 0;
    UINT screenCapture = 0;
    UINT currentHeight = 0;
};

class Module {
public:
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE Instance();

    // Registers the messages, loads the language module and the caption the
    // first time the Today screen calls us (never under the loader lock).
    static void Start();
    // Releases the language module when the DLL goes away.
    static void Stop();

    static const RegisteredMessages& Messages();

    // A text of the item: the language module first, then our own table; empty
    // when neither has it.
    static std::wstring Text(UINT id);
    // Caption of the item's message boxes.
    static std::wstring Caption();
    // Shows a message box with a text of the table, brought to the foreground.
    static void ShowMessage(HWND owner, UINT textId, UINT flags);

    // The screen's dots per inch, asked once.
    static int DpiX();
    static int DpiY();
};

// Registry helpers for the item's values under Software\Tarsel\Norvane.
bool ReadItemDword(const wchar_t* name, DWORD& out);
bool WriteItemDword(const wchar_t* name, DWORD value);
void DeleteItemValue(const wchar_t* name);

// The shell's theme colour n (a "%d" value or the "SHColor" array), or the default.
COLORREF SystemColour(int index, COLORREF fallback);

} // namespace norvane
