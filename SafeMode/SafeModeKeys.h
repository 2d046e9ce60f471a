// The names safe mode reads and writes, spelled as the device shows them:
// registry keys and values, folders, the named event and the instance name.
#pragma once

namespace norvane::safemode {

// The service's own key and its values.
inline constexpr wchar_t kServiceKey[] = L"Services\\NVGD";
inline constexpr wchar_t kSafeModeValue[] = L"SafeMode";
inline constexpr wchar_t kPromptModeValue[] = L"PromptMode";
inline constexpr wchar_t kLastResetValue[] = L"LastReset";
inline constexpr wchar_t kForceResetValue[] = L"ForceResetEnabled";
inline constexpr unsigned kMaxLastResetText = 80;

// What the installer recorded.
inline constexpr wchar_t kNorvaneKey[] = L"Software\\Tarsel\\Norvane";
inline constexpr wchar_t kSafeServicesValue[] = L"SafeServices";
inline constexpr wchar_t kStartUpPathValue[] = L"WindowsStartUpPath";
inline constexpr wchar_t kDefaultStartUpFolder[] = L"\\Windows\\StartUp";
inline constexpr wchar_t kDisabledStartUpFolder[] = L"\\Windows\\StartUp_nv_disable";

// The Today screen's items, and the one item of a safe-mode start.
inline constexpr wchar_t kTodayKey[] = L"Software\\Microsoft\\Today";
inline constexpr wchar_t kTodayDisabledKey[] = L"Software\\Microsoft\\Today_nv_disable";
inline constexpr wchar_t kItemsSubkey[] = L"Items";
inline constexpr wchar_t kSafeModeItemSubkey[] = L"Items\\NorvaneSafeMode";
inline constexpr wchar_t kSafeModeItemDll[] = L"\\Windows\\NorvaneSafeMode.dll";

// Input methods and services.
inline constexpr wchar_t kClsidKey[] = L"CLSID";
inline constexpr wchar_t kIsSipInputMethodSubkey[] = L"IsSIPInputMethod";
inline constexpr wchar_t kInprocServerSubkey[] = L"InprocServer32";
inline constexpr wchar_t kInputMethodMark[] = L"nvDisabled";
inline constexpr unsigned kMaxClsidName = 80;
inline constexpr unsigned kMaxInputMethodText = 80;
inline constexpr wchar_t kServicesKey[] = L"Services";

// Between the safe-mode item and the service.
inline constexpr wchar_t kItemRunningEvent[] = L"Norvane_Safe_Mode_Today_Plugin_Running";
inline constexpr wchar_t kInstanceName[] = L"NVG0:";
inline constexpr wchar_t kCoverWindowName[] = L"NVGS_Child_Service_Wnd";

} // namespace norvane::safemode
