// The DLL's entry points: DllMain stays trivial; the Today screen creates the
// item through ordinal 240 and may ask for the options dialog through 241.
#include "DisplayScale.h"
#include "Module.h"
#include "TodayApi.h"
#include "TodayItemWindow.h"

#include <memory>

namespace {
// The one item of this DLL; a new creation call replaces it.
std::unique_ptr<norvane::TodayItemWindow> g_item;
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        norvane::Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HWND InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    using namespace norvane;
    if (!item || !item->fEnabled) {
        return nullptr;
    }
    Module::Start();
    // Reads the screen once; a high-resolution screen starts with the large artwork.
    if (Module::DpiX() > 96) {
        SetDisplayFlags(TrueVga(), true);
    }
    g_item.reset();
    try {
        auto window = std::make_unique<TodayItemWindow>();
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
