// The DLL's COM registration: an application id and nothing else.
#pragma once

#include <windows.h>

namespace norvane::safemode {

inline constexpr wchar_t kAppId[] = L"{39445973-2431-4013-AE3D-38EF3DBB0F3B}";

// Under the classes root: AppID\{id} = "NorvaneSafeMode" and
// AppID\NorvaneSafeMode.DLL with AppID = {id}.
HRESULT RegisterAppId(HKEY classes);
// Takes both keys away again; keys that are not there count as removed.
HRESULT UnregisterAppId(HKEY classes);

} // namespace norvane::safemode
