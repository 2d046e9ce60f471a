// Text lookup by string-table id: first in the language module NorvaneLang.dll
// (a resource-only DLL in the data folder), then in the program's own table; a text
// found in neither is empty. The module is optional: without it every text comes
// from the program itself.
#pragma once

#include "Win32Handles.h"

#include <windows.h>

#include <string>

namespace norvane {

inline constexpr wchar_t kLanguageModuleName[] = L"NorvaneLang.dll";

class StringLookup {
public:
    // own: the module whose string table holds the built-in (English) texts.
    explicit StringLookup(HMODULE own);
    StringLookup(const StringLookup&) = delete;
    StringLookup& operator=(const StringLookup&) = delete;

    // Loads the language module at path as a resource module (no code of it runs),
    // replacing any loaded before. False when it cannot be loaded; lookups then use
    // the program's own table.
    bool LoadLanguageModule(const std::wstring& path);
    // NorvaneLang.dll in the given data folder.
    bool LoadLanguageModuleFrom(const std::wstring& dataFolder);
    void UnloadLanguageModule() { m_language.Reset(); }
    // For the module's other resources (menus, images); null without one.
    HMODULE LanguageModule() const { return m_language.Get(); }
    HMODULE OwnModule() const { return m_own; }

    std::wstring Get(UINT id) const;

private:
    HMODULE m_own;
    UniqueModule m_language;
};

// The string with the id from one module's table; false when it has none (or an
// empty one).
bool LoadModuleString(HMODULE module, UINT id, std::wstring& text);

} // namespace norvane
