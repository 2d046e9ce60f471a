// The options program's shared services.
#include "OptionsApp.h"

#include "CeFileDialog.h"
#include "CeMessageBox.h"
#include "DisplayScale.h"
#include "Settings.h"
#include "Win32Handles.h"

#include <vector>

namespace norvane::options {

std::wstring FormatText(const std::wstring& text, const std::wstring& argument) {
    std::wstring result = text;
    const std::size_t at = result.find(L"%s");
    if (at != std::wstring::npos) {
        result.replace(at, 2, argument);
    }
    return result;
}

OptionsApp::OptionsApp(HINSTANCE own, SettingsEnvironment& environment)
    : m_instance(own), m_environment(environment), m_strings(own) {
    m_settingsChanged = RegisterWindowMessageW(names::kSettingsChangedMessage);
}

HINSTANCE OptionsApp::ResourceModuleFor(LPCWSTR type, LPCWSTR id) const {
    HMODULE language = m_strings.LanguageModule();
    if (language != nullptr && FindResourceW(language, id, type) != nullptr) {
        return language;
    }
    return m_instance;
}

int OptionsApp::MessageWithCaption(HWND owner, const std::wstring& text, const std::wstring& caption,
                                   UINT flags) const {
    flags |= MB_SETFOREGROUND;
    if (m_messageHandler) {
        return m_messageHandler(owner, text, caption, flags);
    }
    return CeMessageBox(owner, text.c_str(), caption.c_str(), flags);
}

int OptionsApp::Message(HWND owner, UINT textId, UINT flags, const std::wstring& argument) const {
    return MessageWithCaption(owner, FormatText(Text(textId), argument), Title(), flags);
}

bool OptionsApp::ChooseFile(HWND owner, const FileRequest& request, std::wstring& path) const {
    if (m_fileHandler) {
        return m_fileHandler(owner, request, path);
    }
    // "Name\0pattern\0...\0\0", as the file dialogs take their filter.
    std::wstring filter;
    for (const auto& [name, pattern] : request.filters) {
        filter += name;
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    }
    filter += L'\0';
    std::vector<wchar_t> file(MAX_PATH + 1, L'\0');
    request.fileName.copy(file.data(), MAX_PATH);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    ofn.Flags = request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL chosen = request.save ? CeGetSaveFileName(&ofn) : CeGetOpenFileName(&ofn);
    if (!chosen) {
        return false;
    }
    path = file.data();
    return true;
}

void OptionsApp::DecideDisplayFlags(int dpiX, DWORD trueVgaOptions, bool optionsValueRead) {
    bool scaling = false;
    if (optionsValueRead) {
        scaling = trueVgaOptions == 1 || (trueVgaOptions == 2 && dpiX == 96);
    }
    const bool hiRes = scaling || (optionsValueRead && trueVgaOptions == 2) || dpiX > 96;
    SetDisplayFlags(scaling, hiRes);
}

void OptionsApp::SetDisplayFlags(bool trueVgaScaling, bool hiResDisplay) {
    m_trueVgaScaling = trueVgaScaling;
    m_hiResDisplay = hiResDisplay;
    RestoreDisplayFlags();
}

void OptionsApp::RestoreDisplayFlags() const {
    norvane::SetDisplayFlags(m_trueVgaScaling, m_hiResDisplay);
}

bool OptionsApp::LoadSettings(Settings& settings, const std::wstring& path) const {
    const bool loaded = settings.Load(path);
    RestoreDisplayFlags();
    return loaded;
}

void OptionsApp::BroadcastSettingsChanged() const {
    if (m_broadcastHandler) {
        m_broadcastHandler();
        return;
    }
    PostMessageW(HWND_BROADCAST, m_settingsChanged, 0, 0);
}

void OptionsApp::SetRegistryKey(HKEY root, std::wstring key) {
    m_registryRoot = root;
    m_registryKey = std::move(key);
}

bool OptionsApp::ReadDword(const wchar_t* name, DWORD& value) const {
    UniqueRegKey key;
    if (RegOpenKeyExW(m_registryRoot, m_registryKey.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return false;
    }
    value = data;
    return true;
}

bool OptionsApp::WriteDword(const wchar_t* name, DWORD value) const {
    UniqueRegKey key;
    if (RegCreateKeyExW(m_registryRoot, m_registryKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool OptionsApp::ReadString(const wchar_t* name, std::wstring& value, std::size_t limit) const {
    UniqueRegKey key;
    if (RegOpenKeyExW(m_registryRoot, m_registryKey.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<wchar_t> buffer(limit + 1, L'\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(limit * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    buffer[std::min<std::size_t>(size / sizeof(wchar_t), limit)] = L'\0';
    value = buffer.data();
    return true;
}

bool OptionsApp::WriteString(const wchar_t* name, const std::wstring& value) const {
    UniqueRegKey key;
    if (RegCreateKeyExW(m_registryRoot, m_registryKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void OptionsApp::DeleteValue(const wchar_t* name) const {
    UniqueRegKey key;
    if (RegOpenKeyExW(m_registryRoot, m_registryKey.c_str(), 0, KEY_WRITE, key.Receive()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.Get(), name);
    }
}

} // namespace norvane::options
