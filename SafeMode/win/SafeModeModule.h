// The DLL's own module, whose resources hold the bar's template and the texts.
#pragma once

#include <windows.h>

#include <string>

namespace norvane::safemode {

// Set by DllMain; a test program that links the resources leaves it unset and
// uses its own.
void SetResourceModule(HMODULE module);
HMODULE ResourceModule();
// A text of the string table; empty when missing.
std::wstring LoadText(UINT id);

} // namespace norvane::safemode
