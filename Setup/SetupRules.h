// The installer's rules that need no platform: the language table, the folders
// the product uses and how they are spelt, the safe-services list, and which
// folders an uninstallation may delete. The Win32 half (Setup/win/) applies them
// to the registry and the file system.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::setup {

// The languages offered at installation, in list order. Every one but English is
// shipped as "<install folder><name>.dll".
inline constexpr std::array<const wchar_t*, 8> kLanguages = {L"English", L"German",  L"French",  L"Dutch",
                                                             L"Italian", L"Spanish", L"Russian", L"Czech"};
inline constexpr wchar_t kEnglish[] = L"English";
// The index of a language name in the table (exact comparison), or -1.
int LanguageIndex(std::wstring_view name);
// "<install folder><name>.dll"; the install folder ends in "\".
std::wstring LanguageModulePath(const std::wstring& installFolder, std::wstring_view name);

// Folders, as device paths. Folders used as a prefix end in "\".
inline constexpr wchar_t kDefaultProgramFiles[] = L"\\Program Files";
inline constexpr wchar_t kDefaultStartUp[] = L"\\Windows\\StartUp";
// The program-files folder from its registry value: the default when empty.
std::wstring ProgramFilesFolder(const std::wstring& registryValue);
// "<program files>\Tarsel" and "<program files>\Tarsel\Norvane" (no "\" at the end).
std::wstring TarselFolder(const std::wstring& programFiles);
std::wstring DataFolder(const std::wstring& programFiles);
// "<install folder>meters\" and "<program files>\Tarsel\Norvane\meters_temp".
std::wstring MetersFolder(const std::wstring& installFolder);
std::wstring TemporaryMetersFolder(const std::wstring& programFiles);

// One platform service that had a prefix and an index at installation.
struct ServiceName {
    std::wstring prefix;
    unsigned long index = 0;
};
// "BAG0,NFY0,..." in the order given.
std::wstring FormatSafeServices(const std::vector<ServiceName>& services);

// ---------------------------------------------------------------- removal

// A device path made comparable: "/" read as "\", repeated "\" collapsed, "."
// components dropped, no "\" at the end (the root stays "\"), ASCII letters in
// lower case. Empty when the path is not an absolute device path or climbs with
// "..": such a path is never deleted.
std::wstring ComparablePath(std::wstring_view path);
// Both comparable: true when path is folder or lies below it.
bool IsSameOrBelow(const std::wstring& path, const std::wstring& folder);

// What an uninstallation may do with a folder tree it wants to remove.
enum class TreeRemoval {
    Refuse,              // touch nothing: a path that cannot be trusted
    Whole,               // delete the folder with everything in it
    WholeIfOnlyProducts, // delete it only when everything in it is the product's (IsProductEntry)
    ProductFilesOnly,    // a folder shared with others: delete only our own files in it
};

// The folders of the device that are never removed, with their whole ancestry:
// the root, the Windows folder, the program-files folder, the documents and the
// start-up folders.
struct ProtectedFolders {
    std::wstring windows = L"\\Windows";
    std::wstring programFiles = kDefaultProgramFiles;
    std::wstring documents = L"\\My Documents";
    std::wstring startUp = kDefaultStartUp;
};

// The rule for one folder: below the program-files folder a folder of ours goes
// whole; the protected folders and their ancestors (the root among them) keep
// everything but our own files; anywhere else (below \Windows, on a card, in the root) a folder goes
// whole only when it holds nothing but the product's files.
TreeRemoval DecideTreeRemoval(std::wstring_view folder, const ProtectedFolders& protectedFolders);

// Whether an entry of a folder the product installed into is the product's,
// by its path relative to that folder ("NorvaneOptions.exe", "meters\x\meter.ini"):
// our programs, libraries, settings and language modules at the top, anything in
// our "images", "meters" and "meters_temp" folders.
bool IsProductEntry(std::wstring_view relativePath, bool isFolder);
// The files that carry the product's name ("Norvane*.exe", "Norvane*.dll",
// "Norvane.ini"): the only ones deleted from a folder that others use too.
bool IsProductNamedFile(std::wstring_view fileName);

} // namespace norvane::setup
