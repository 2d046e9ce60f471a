// The registry and file-system steps of the installer, each of which is allowed
// to fail: a failing step is skipped and the installation goes on. Paths are the
// device's (no drive letter); the installer runs with the device's root as its
// current folder.
#pragma once

#include "SetupRules.h"
#include "Win32Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace norvane::setup {

// Registry keys and values, spelt as the system uses them.
inline constexpr wchar_t kNorvaneKey[] = L"Software\\Tarsel\\Norvane";
inline constexpr wchar_t kTarselKey[] = L"Software\\Tarsel";
inline constexpr wchar_t kKeysBackupKey[] = L"Software\\Tarsel\\Norvane\\Keys_backup";
inline constexpr wchar_t kTodayItemKey[] = L"Software\\Microsoft\\Today\\Items\\Norvane";
inline constexpr wchar_t kSafeModeItemKey[] = L"Software\\Microsoft\\Today\\Items\\NorvaneSafeMode";
inline constexpr wchar_t kTodayKey[] = L"Software\\Microsoft\\Today";
inline constexpr wchar_t kTodayKeysKey[] = L"Software\\Microsoft\\Today\\Keys";
inline constexpr wchar_t kTodayKeysStrayKey[] = L"Keys_nv";
inline constexpr wchar_t kServicesKey[] = L"Services";
inline constexpr wchar_t kSafeModeServiceKey[] = L"Services\\NVGD";
inline constexpr wchar_t kOtherProductTabKey[] = L"Software\\Tarsel\\Calimbra\\TabSettings\\Norvane";
inline constexpr wchar_t kNewMenuKey[] = L"SOFTWARE\\Microsoft\\Shell\\Extensions\\NewMenu";
inline constexpr wchar_t kSoftKeyNames[2][4] = {L"112", L"113"};
inline constexpr wchar_t kPluginPath[] = L"\\Windows\\Norvane.dll";
inline constexpr DWORD kMaxRegistryText = 260;
inline constexpr DWORD kMaxLanguageText = 80;

// ---------------------------------------------------------------- registry

UniqueRegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
UniqueRegKey CreateKey(HKEY root, const std::wstring& path);
bool KeyExists(HKEY root, const std::wstring& path);
// A string value of at most maxChars characters; false when missing, of another
// type, longer, or unreadable.
bool ReadString(HKEY key, const wchar_t* name, std::wstring& out, DWORD maxChars = kMaxRegistryText);
bool ReadDword(HKEY key, const wchar_t* name, DWORD& out);
bool HasValue(HKEY key, const wchar_t* name);
bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value);
bool WriteDword(HKEY key, const wchar_t* name, DWORD value);
void DeleteValue(HKEY root, const std::wstring& path, const wchar_t* name);
// The key with all its subkeys.
void DeleteKeyTree(HKEY root, const std::wstring& path);
// The key only when it holds neither values nor subkeys.
void DeleteKeyIfEmpty(HKEY root, const std::wstring& path);

// The program-files folder as the registry records it ("ProgramFilesPath"); the
// install folder is ReadInstallFolder() of the image code.
std::wstring ReadProgramFilesFolder();

// ---------------------------------------------------------------- files

bool PathExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Creates one folder; an existing one is fine.
bool CreateFolder(const std::wstring& path);
// "<program files>\Tarsel\Norvane", created (with "\Tarsel") when missing.
std::wstring EnsureDataFolder(const std::wstring& programFiles);
// Joins a folder (with or without "\" at the end) and a name.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The names of a folder's entries that are not folders, in the order the file
// system gives them.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder);
bool DeleteOneFile(const std::wstring& path);
// Moves every file below from into the same place below to (replacing files of
// the same name, creating folders as needed), then deletes from's tree.
void MoveTreeInto(const std::wstring& from, const std::wstring& to);
// Deletes a folder with everything in it; true when it is gone.
bool DeleteTree(const std::wstring& path);
// True when every entry below folder is the product's (IsProductEntry).
bool HoldsOnlyProductEntries(const std::wstring& folder);
// Removes a folder tree of the product as far as the removal rules allow.
void RemoveProductFolder(const std::wstring& folder, const ProtectedFolders& protectedFolders);

} // namespace norvane::setup
