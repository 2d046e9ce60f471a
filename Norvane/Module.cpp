// Module-wide state: instance, registered messages, texts, registry values.
#include "Module.h"

#include "CeMessageBox.h"
#include "MeterImages.h"

#include "Settings.h"
#include "SettingsEnvironment.h"
#include "StringLookup.h"

#include <memory>

namespace norvane {

namespace {
HINSTANCE g_instance = nullptr;
RegisteredMessages g_messages;
std::unique_ptr<StringLookup> g_strings;
bool g_started = false;
std::wstring g_caption = names::kWindowCaption;
int g_dpiX = 0;
int g_dpiY = 0;

void AskDpi() {
    if (g_dpiX == 0) {
        HDC screen = GetDC(nullptr);
        g_dpiX = GetDeviceCaps(screen, LOGPIXELSX);
        g_dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
}
} // namespace

void Module::SetInstance(HINSTANCE instance) {
    g_instance = instance;
}

HINSTANCE Module::Instance() {
    return g_instance;
}

void Module::Start() {
    if (g_started) {
        return;
    }
    g_started = true;
    g_messages.launcher = RegisterWindowMessageW(names::kLauncherMessage);
    g_messages.settingsChanged = RegisterWindowMessageW(names::kSettingsChangedMessage);
    g_messages.screenCapture = RegisterWindowMessageW(names::kScreenCaptureMessage);
    g_messages.currentHeight = RegisterWindowMessageW(names::kCurrentHeightMessage);
    // The language module of the data folder, as a resource module only.
    g_strings = std::make_unique<StringLookup>(g_instance);
    Settings probe;
    g_strings->LoadLanguageModuleFrom(probe.Environment().ProgramsFolder() + L"\\Tarsel\\Norvane");
    std::wstring caption = Text(ids::kModuleCaption);
    if (!caption.empty()) {
        g_caption = caption;
    }
}

void Module::Stop() {
    g_strings.reset();
}

const RegisteredMessages& Module::Messages() {
    return g_messages;
}

std::wstring Module::Text(UINT id) {
    if (!g_strings) {
        std::wstring text;
        LoadModuleString(g_instance, id, text);
        return text;
    }
    return g_strings->Get(id);
}

std::wstring Module::Caption() {
    return g_caption;
}

void Module::ShowMessage(HWND owner, UINT textId, UINT flags) {
    std::wstring text = Text(textId);
    CeMessageBox(owner, text.c_str(), g_caption.c_str(), flags | MB_SETFOREGROUND);
}

int Module::DpiX() {
    AskDpi();
    return g_dpiX;
}

int Module::DpiY() {
    AskDpi();
    return g_dpiY;
}

bool ReadItemDword(const wchar_t* name, DWORD& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, names::kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) {
        return false;
    }
    out = value;
    return true;
}

bool WriteItemDword(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, names::kRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG rc = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void DeleteItemValue(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, names::kRegistryKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

COLORREF SystemColour(int index, COLORREF fallback) {
    return ShellThemeColour(index, fallback);
}

} // namespace norvane
