// The first settings file, gathered from the device.
#include "DefaultSettingsFile.h"

#include "DefaultSettings.h"
#include "ImageLoader.h"
#include "SettingsFile.h"
#include "SetupSystem.h"
#include "StringLookup.h"

#include "CeShell.h"

#include <shlobj.h>

#include <cpl.h>

namespace norvane::setup {

namespace {

std::wstring ShellFolder(int csidl, const wchar_t* fallback) {
    wchar_t path[MAX_PATH] = {};
    if (CeSHGetSpecialFolderPath(nullptr, path, csidl, FALSE) && path[0] != 0) {
        return path;
    }
    return fallback;
}

std::wstring WithBackslash(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') {
        folder += L'\\';
    }
    return folder;
}

// The Settings tab: the chosen applets of the control panel, named by the
// control panel itself.
void AddApplets(DefaultSettingsWriter& writer, const std::wstring& controlPanel) {
    UniqueModule module(LoadLibraryW(controlPanel.c_str()));
    auto entry = module ? reinterpret_cast<APPLET_PROC>(GetProcAddress(module.Get(), "CPlApplet")) : nullptr;
    if (!entry || entry(nullptr, CPL_INIT, 0, 0) == 0) {
        return;
    }
    for (int applet : kDefaultApplets) {
        NEWCPLINFOW info{};
        info.dwSize = sizeof info;
        std::wstring name;
        if (entry(nullptr, CPL_NEWINQUIRE, applet, reinterpret_cast<LPARAM>(&info)) == 0) {
            info.szName[std::size(info.szName) - 1] = 0;
            name = info.szName;
            if (info.hIcon) {
                DestroyIcon(info.hIcon);
            }
        }
        writer.AddApplet(applet, name);
    }
    entry(nullptr, CPL_EXIT, 0, 0);
}

// The Tools tab's special commands, named from the language module, text by
// text falling back to the plug-in's own table.
void AddSpecialCommands(DefaultSettingsWriter& writer, const DefaultSettingsPlaces& places) {
    UniqueModule language(LoadLibraryExW(JoinPath(places.dataFolder, kLanguageModuleName).c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE));
    UniqueModule plugin(LoadLibraryExW(places.pluginModule.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!language && !plugin) {
        return;
    }
    std::array<std::wstring, 4> texts;
    for (size_t i = 0; i < texts.size(); ++i) {
        const UINT id = kDefaultSpecialCommands[i].stringId;
        if (!LoadModuleString(language.Get(), id, texts[i])) {
            LoadModuleString(plugin.Get(), id, texts[i]);
        }
    }
    writer.AddSpecialCommands(texts, places.personalFolder);
}

void AddNewItemCommands(DefaultSettingsWriter& writer) {
    for (const wchar_t* key : kDefaultNewItemKeys) {
        std::wstring name;
        if (ReadString(OpenKey(HKEY_LOCAL_MACHINE, std::wstring(kNewMenuKey) + L"\\" + key).Get(), nullptr,
                       name)) {
            writer.AddNewItemCommand(key, name);
        }
    }
}

} // namespace

DefaultSettingsPlaces DevicePlaces() {
    DefaultSettingsPlaces places;
    places.dataFolder = EnsureDataFolder(ReadProgramFilesFolder());
    places.metersFolder = MetersFolder(ReadInstallFolder());
    places.programsFolder = ShellFolder(CSIDL_PROGRAMS, L"\\Windows\\Start Menu\\Programs");
    wchar_t documents[MAX_PATH] = {};
    places.documentsFolder =
        (SHGetDocumentsFolder(L"\\", documents) && documents[0] != 0) ? documents : L"\\My Documents";
    places.personalFolder = WithBackslash(ShellFolder(CSIDL_PERSONAL, L"\\My Documents"));
    places.controlPanel = kControlPanelModule;
    places.pluginModule = kPluginPath;
    return places;
}

bool WriteDefaultSettings(bool metersInstalled, const DefaultSettingsPlaces& places) {
    const std::wstring path = JoinPath(places.dataFolder, L"Norvane.ini");
    if (PathExists(path)) {
        return false; // the user's own settings are never touched
    }
    SettingsFile file;
    file.SetPath(path);
    DefaultSettingsWriter writer(file);
    writer.AddTabs();
    // A first, tab-only file in place before anything is asked of other modules.
    if (!file.Save()) {
        return false;
    }
    if (metersInstalled) {
        writer.AddMeters(places.metersFolder);
    }
    writer.AddFolderShortcuts(kHomeTab, places.programsFolder, FileNamesIn(places.programsFolder));
    const std::wstring games = JoinPath(places.programsFolder, L"Games");
    writer.AddFolderShortcuts(kGamesTab, games, FileNamesIn(games));
    writer.AddFolderShortcuts(kDocumentsTab, places.documentsFolder, FileNamesIn(places.documentsFolder));
    AddApplets(writer, places.controlPanel);
    AddSpecialCommands(writer, places);
    AddNewItemCommands(writer);
    return file.Save();
}

} // namespace norvane::setup
