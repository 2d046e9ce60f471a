// NorvaneSafeMode.dll's entry points. The services manager calls the stream
// interface with the prefix "NVG" (only Init does anything); the Today screen
// creates the safe-mode item through ordinal 240; the COM exports register the
// application id. DllMain stays trivial.
#include "SafeModeItem.h"
#include "SafeModeModule.h"
#include "SafeModeRegistration.h"
#include "SafeModeService.h"
#include "TodayApi.h"

#include <memory>
#include <olectl.h>

namespace {
// The one item of this DLL; a new creation call replaces it.
std::unique_ptr<norvane::safemode::SafeModeItem> g_item;
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        norvane::safemode::SetResourceModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" DWORD WINAPI NVG_Init(DWORD) {
    return norvane::safemode::StartService() ? 1 : 0;
}

extern "C" BOOL WINAPI NVG_Deinit(DWORD) {
    return 0;
}

extern "C" DWORD WINAPI NVG_Open(DWORD, DWORD, DWORD) {
    return 0;
}

extern "C" BOOL WINAPI NVG_Close(DWORD) {
    return 0;
}

extern "C" DWORD WINAPI NVG_Read(DWORD, LPVOID, DWORD) {
    return 0;
}

extern "C" DWORD WINAPI NVG_Write(DWORD, LPCVOID, DWORD) {
    return 0;
}

extern "C" DWORD WINAPI NVG_Seek(DWORD, long, DWORD) {
    return 0;
}

extern "C" BOOL WINAPI NVG_IOControl(DWORD, DWORD, PBYTE, DWORD, PBYTE, DWORD, PDWORD) {
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
    if (object) {
        *object = nullptr;
    }
    // An application id only: no class to hand out.
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return S_OK;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    return norvane::safemode::RegisterAppId(HKEY_CLASSES_ROOT);
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return norvane::safemode::UnregisterAppId(HKEY_CLASSES_ROOT);
}

extern "C" HWND InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    if (!item || !item->fEnabled) {
        return nullptr;
    }
    g_item.reset();
    try {
        auto window = std::make_unique<norvane::safemode::SafeModeItem>();
        if (!window->Create(parent)) {
            return nullptr;
        }
        g_item = std::move(window);
    } catch (...) {
        return nullptr;
    }
    return g_item->Hwnd();
}

extern "C" BOOL CustomItemOptionsDlgProc(HWND hwnd, UINT msg, UINT wp, LONG lp) {
    return static_cast<BOOL>(DefWindowProcW(hwnd, msg, wp, lp));
}
