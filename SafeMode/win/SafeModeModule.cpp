#include "SafeModeModule.h"

namespace norvane::safemode {

namespace {
HMODULE g_module = nullptr;
} // namespace

void SetResourceModule(HMODULE module) {
    g_module = module;
}

HMODULE ResourceModule() {
    return g_module ? g_module : GetModuleHandleW(nullptr);
}

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadString hands out a pointer into the resource itself.
    const int length = LoadStringW(ResourceModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return (length > 0 && text) ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

} // namespace norvane::safemode
