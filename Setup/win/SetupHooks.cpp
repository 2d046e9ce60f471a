// Install and uninstall hooks: the Today item and the safe-mode service are
// registered, the folders recorded, the soft keys saved and restored, the user
// asked for meters and a language, and the first settings file written.
#include "SetupHooks.h"

#include "DefaultSettingsFile.h"
#include "ImageLoader.h"
#include "InstallDialog.h"
#include "SetupResources.h"
#include "SetupSystem.h"
#include "StringLookup.h"

#include "CeMessageBox.h"
#include "CeShell.h"

#include <shlobj.h>
#include "TodayApi.h"

namespace norvane::setup {

namespace {

constexpr wchar_t kRefreshInOtherProduct[] = L"NorvaneRefreshInCal";
constexpr DWORD kRefreshTimeoutMs = 30000;

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring Text(UINT id) {
    std::wstring text;
    LoadModuleString(ThisModule(), id, text);
    return text;
}

std::wstring ShellFolder(int csidl, const wchar_t* fallback) {
    wchar_t path[MAX_PATH] = {};
    if (CeSHGetSpecialFolderPath(nullptr, path, csidl, FALSE) && path[0] != 0) {
        return path;
    }
    return fallback;
}

// The default value and "Open" of one soft-key binding, each only when present.
void CopyBinding(HKEY from, HKEY to) {
    std::wstring text;
    if (ReadString(from, nullptr, text)) {
        WriteString(to, nullptr, text);
    }
    if (ReadString(from, L"Open", text)) {
        WriteString(to, L"Open", text);
    }
}

bool SoftKeysRebound() {
    DWORD modified = 0;
    return ReadDword(OpenKey(HKEY_LOCAL_MACHINE, kKeysBackupKey).Get(), L"Modified", modified) &&
           modified != 0;
}

void RegisterTodayItem(bool otherProductShowedUs) {
    UniqueRegKey item = CreateKey(HKEY_LOCAL_MACHINE, kTodayItemKey);
    if (!item) {
        return;
    }
    WriteString(item.Get(), L"DLL", kPluginPath);
    // A reinstallation keeps the user's place and switches for the item.
    if (!HasValue(item.Get(), L"Type")) {
        WriteDword(item.Get(), L"Type", 4);
        WriteDword(item.Get(), L"Order", 100);
        WriteDword(item.Get(), L"Enabled", otherProductShowedUs ? 0 : 1);
        WriteDword(item.Get(), L"Options", 0);
    }
    WriteDword(item.Get(), L"Selectability", 2);
    RegFlushKey(item.Get());
}

void RegisterSafeModeService() {
    UniqueRegKey service = CreateKey(HKEY_LOCAL_MACHINE, kSafeModeServiceKey);
    if (!service || HasValue(service.Get(), L"Order")) {
        return;
    }
    // "NV_" finds no entry points: the service stays off until safe mode is wanted.
    WriteDword(service.Get(), L"Order", 0);
    WriteString(service.Get(), L"Dll", L"NorvaneSafeMode.dll");
    WriteDword(service.Get(), L"Keep", 1);
    WriteString(service.Get(), L"Prefix", L"NV_");
    WriteDword(service.Get(), L"Index", 0);
    WriteString(service.Get(), L"DisplayName", L"NorvaneSafeMode");
    WriteString(service.Get(), L"Description", L"NorvaneSafeMode");
    WriteDword(service.Get(), L"Context", 0);
    RegFlushKey(service.Get());
}

InstallChoice PreviousChoice() {
    UniqueRegKey norvane = OpenKey(HKEY_LOCAL_MACHINE, kNorvaneKey);
    InstallChoice choice;
    DWORD meters = 1;
    choice.meters = !(ReadDword(norvane.Get(), L"InstalledMeters", meters) && meters == 0);
    std::wstring language;
    if (ReadString(norvane.Get(), L"Language", language, kMaxLanguageText)) {
        choice.languageIndex = std::max(0, LanguageIndex(language));
    }
    return choice;
}

void MoveMeters(bool wanted, const std::wstring& programFiles, const std::wstring& installFolder) {
    const std::wstring temporary = TemporaryMetersFolder(programFiles);
    if (!wanted) {
        DeleteTree(temporary);
        return;
    }
    const std::wstring meters = MetersFolder(installFolder);
    CreateFolder(meters);
    MoveTreeInto(temporary, meters);
}

void InstallLanguage(const std::wstring& chosen, const std::wstring& previous, const std::wstring& dataFolder,
                     const std::wstring& installFolder) {
    const std::wstring installed = JoinPath(dataFolder, kLanguageModuleName);
    const std::wstring shipped = LanguageModulePath(installFolder, chosen);
    // A reinstallation that ships no module for the language already in use
    // keeps the one installed before rather than falling back to English.
    const bool keep =
        chosen != kEnglish && chosen == previous && !PathExists(shipped) && PathExists(installed);
    if (!keep) {
        DeleteOneFile(installed);
        if (chosen != kEnglish) {
            MoveFileW(shipped.c_str(), installed.c_str());
        }
    }
    for (const wchar_t* language : kLanguages) {
        if (std::wstring(language) != kEnglish) {
            DeleteOneFile(LanguageModulePath(installFolder, language));
        }
    }
}

ProtectedFolders DeviceProtectedFolders(const std::wstring& programFiles) {
    ProtectedFolders folders;
    folders.windows = ShellFolder(CSIDL_WINDOWS, L"\\Windows");
    folders.programFiles = programFiles;
    wchar_t documents[MAX_PATH] = {};
    if (SHGetDocumentsFolder(L"\\", documents) && documents[0] != 0) {
        folders.documents = documents;
    }
    std::wstring startUp;
    if (ReadString(OpenKey(HKEY_LOCAL_MACHINE, kNorvaneKey).Get(), L"WindowsStartUpPath", startUp) &&
        !startUp.empty()) {
        folders.startUp = startUp;
    }
    return folders;
}

void RemoveProduct() {
    const std::wstring programFiles = ReadProgramFilesFolder();
    const ProtectedFolders kept = DeviceProtectedFolders(programFiles);
    RemoveProductFolder(DataFolder(programFiles), kept);
    RemoveProductFolder(ReadInstallFolder(), kept);
    RemoveDirectoryW(TarselFolder(programFiles).c_str()); // only when nothing else is in it
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kNorvaneKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kTodayItemKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kSafeModeServiceKey);
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kTarselKey);
}

} // namespace

void RecordSafeServices() {
    UniqueRegKey services = OpenKey(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ);
    if (!services) {
        return;
    }
    std::vector<ServiceName> found;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        const LONG result =
            RegEnumKeyExW(services.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            continue; // a name too long for any service
        }
        if (result != ERROR_SUCCESS) {
            break;
        }
        UniqueRegKey service = OpenKey(services.Get(), name);
        ServiceName entry;
        DWORD index = 0;
        if (ReadString(service.Get(), L"Prefix", entry.prefix) && ReadDword(service.Get(), L"Index", index)) {
            entry.index = index;
            found.push_back(std::move(entry));
        }
    }
    if (UniqueRegKey norvane = CreateKey(HKEY_LOCAL_MACHINE, kNorvaneKey)) {
        WriteString(norvane.Get(), L"SafeServices", FormatSafeServices(found));
    }
}

void BackUpSoftKeys() {
    // While our bindings are in force the backup already holds the user's own.
    if (SoftKeysRebound()) {
        return;
    }
    UniqueRegKey backup = CreateKey(HKEY_LOCAL_MACHINE, kKeysBackupKey);
    if (!backup) {
        return;
    }
    for (const wchar_t* slot : kSoftKeyNames) {
        // The backup mirrors the bindings of now: nothing older is kept beside them.
        CeRegDeleteKey(backup.Get(), slot);
        UniqueRegKey current = OpenKey(HKEY_CURRENT_USER, std::wstring(kTodayKeysKey) + L"\\" + slot);
        if (!current) {
            continue;
        }
        if (UniqueRegKey saved = CreateKey(backup.Get(), slot)) {
            CopyBinding(current.Get(), saved.Get());
        }
    }
    RegFlushKey(backup.Get());
}

void RestoreSoftKeys() {
    if (SoftKeysRebound()) {
        UniqueRegKey backup = OpenKey(HKEY_LOCAL_MACHINE, kKeysBackupKey, KEY_READ | KEY_WRITE);
        UniqueRegKey keys = CreateKey(HKEY_CURRENT_USER, kTodayKeysKey);
        if (backup && keys) {
            for (const wchar_t* slot : kSoftKeyNames) {
                // Only the two soft keys are ours to rewrite; other bindings stay.
                CeRegDeleteKey(keys.Get(), slot);
                UniqueRegKey saved = OpenKey(backup.Get(), slot);
                if (!saved) {
                    continue;
                }
                if (UniqueRegKey restored = CreateKey(keys.Get(), slot)) {
                    CopyBinding(saved.Get(), restored.Get());
                }
            }
            RegFlushKey(keys.Get());
            WriteDword(backup.Get(), L"Modified", 0);
        }
    }
    if (UniqueRegKey today = OpenKey(HKEY_CURRENT_USER, kTodayKey, KEY_READ | KEY_WRITE)) {
        CeRegDeleteKey(today.Get(), kTodayKeysStrayKey);
    }
}

void RefreshToday() {
    if (HWND today = CeGetDesktopWindow()) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(today, WM_SETTINGCHANGE, TODAY_SETTINGCHANGE_CODE, 0, SMTO_NORMAL,
                            kRefreshTimeoutMs, &result);
    }
}

int InstallInit(HWND parent, BOOL firstCall, BOOL previouslyInstalled, LPCWSTR installDir) {
    // The Today screen lets go of both libraries before their files are replaced.
    DeleteValue(HKEY_LOCAL_MACHINE, kTodayItemKey, L"DLL");
    DeleteValue(HKEY_LOCAL_MACHINE, kSafeModeItemKey, L"DLL");

    UniqueRegKey tab = OpenKey(HKEY_CURRENT_USER, kOtherProductTabKey, KEY_READ | KEY_WRITE);
    DWORD enabled = 0;
    if (ReadDword(tab.Get(), L"Enabled", enabled) && enabled == 1 && WriteDword(tab.Get(), L"Enabled", 0)) {
        WriteDword(CreateKey(HKEY_LOCAL_MACHINE, kTarselKey).Get(), kRefreshInOtherProduct, 1);
    }

    if (UniqueRegKey norvane = CreateKey(HKEY_LOCAL_MACHINE, kNorvaneKey)) {
        if (installDir) {
            WriteString(norvane.Get(), L"InstallPath", installDir);
        }
        WriteString(norvane.Get(), L"WindowsStartUpPath", ShellFolder(CSIDL_STARTUP, kDefaultStartUp));
        WriteString(norvane.Get(), L"ProgramFilesPath",
                    ShellFolder(CSIDL_PROGRAM_FILES, kDefaultProgramFiles));
    }
    RecordSafeServices();
    RefreshToday();
    return 0;
}

int InstallExit(HWND parent, LPCWSTR installDir) {
    DWORD refresh = 0;
    const bool otherProductShowedUs =
        ReadDword(OpenKey(HKEY_LOCAL_MACHINE, kTarselKey).Get(), kRefreshInOtherProduct, refresh) &&
        refresh != 0;
    DeleteValue(HKEY_LOCAL_MACHINE, kTarselKey, kRefreshInOtherProduct);
    if (otherProductShowedUs) {
        WriteDword(CreateKey(HKEY_CURRENT_USER, kOtherProductTabKey).Get(), L"Enabled", 1);
    }
    RegisterTodayItem(otherProductShowedUs);
    RegisterSafeModeService();
    BackUpSoftKeys();

    const std::wstring installFolder = ReadInstallFolder();
    std::wstring previousLanguage = kEnglish;
    ReadString(OpenKey(HKEY_LOCAL_MACHINE, kNorvaneKey).Get(), L"Language", previousLanguage,
               kMaxLanguageText);
    InstallDialog dialog(ThisModule(), installFolder, PreviousChoice());
    const InstallChoice choice = dialog.Run(parent);
    const std::wstring language = kLanguages[choice.languageIndex];
    if (UniqueRegKey norvane = CreateKey(HKEY_LOCAL_MACHINE, kNorvaneKey)) {
        WriteDword(norvane.Get(), L"InstalledMeters", choice.meters ? 1 : 0);
        WriteString(norvane.Get(), L"Language", language);
    }

    const std::wstring programFiles = ReadProgramFilesFolder();
    MoveMeters(choice.meters, programFiles, installFolder);
    const std::wstring dataFolder = EnsureDataFolder(programFiles);
    InstallLanguage(language, previousLanguage, dataFolder, installFolder);
    // Meter shortcuts only for meters that are really there.
    const std::wstring meters = MetersFolder(installFolder);
    const bool metersInstalled = choice.meters && PathExists(meters + L"battery-default\\meter.ini") &&
                                 PathExists(meters + L"memory-default\\meter.ini");
    WriteDefaultSettings(metersInstalled, DevicePlaces());
    RefreshToday();
    return 0;
}

int UninstallInit(HWND parent, LPCWSTR installDir) {
    DeleteValue(HKEY_LOCAL_MACHINE, kTodayItemKey, L"DLL");
    RefreshToday();
    return 0;
}

int UninstallExit(HWND parent) {
    const std::wstring caption = Text(IDS_UNINSTALL_CAPTION);
    const std::wstring question = Text(IDS_UNINSTALL_QUESTION);
    const UINT style = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | (parent ? 0 : MB_TOPMOST);
    const bool preserve = CeMessageBox(parent, question.c_str(), caption.c_str(), style) != IDNO;
    // The soft keys go back first: the backup lives in the key that "No" deletes.
    RestoreSoftKeys();
    if (!preserve) {
        RemoveProduct();
    }
    return 0;
}

} // namespace norvane::setup
