// String lookup through the language module and the program's own table.
#include "StringLookup.h"

namespace norvane {

bool LoadModuleString(HMODULE module, UINT id, std::wstring& text) {
    if (!module) {
        return false;
    }
    // With a zero length LoadStringW hands back a pointer into the resource itself,
    // so texts of any length come out whole.
    const wchar_t* resource = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || !resource) {
        return false;
    }
    text.assign(resource, static_cast<std::size_t>(length));
    return true;
}

StringLookup::StringLookup(HMODULE own) : m_own(own) {}

bool StringLookup::LoadLanguageModule(const std::wstring& path) {
    m_language.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    return static_cast<bool>(m_language);
}

bool StringLookup::LoadLanguageModuleFrom(const std::wstring& dataFolder) {
    std::wstring path = dataFolder;
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return LoadLanguageModule(path + kLanguageModuleName);
}

std::wstring StringLookup::Get(UINT id) const {
    std::wstring text;
    if (LoadModuleString(m_language.Get(), id, text) || LoadModuleString(m_own, id, text)) {
        return text;
    }
    return std::wstring();
}

} // namespace norvane
