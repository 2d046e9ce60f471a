// The installer's portable rules: languages, folder names, the safe-services list
// and the removal policy of an uninstallation.
#include "SetupRules.h"

#include <algorithm>

namespace norvane::setup {

namespace {

wchar_t LowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return lower;
}

bool EndsWith(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Our own folders inside a folder the product installed into.
bool IsProductFolderName(std::wstring_view lowerName) {
    return lowerName == L"images" || lowerName == L"meters" || lowerName == L"meters_temp";
}

} // namespace

int LanguageIndex(std::wstring_view name) {
    for (size_t i = 0; i < kLanguages.size(); ++i) {
        if (name == kLanguages[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::wstring LanguageModulePath(const std::wstring& installFolder, std::wstring_view name) {
    return installFolder + std::wstring(name) + L".dll";
}

std::wstring ProgramFilesFolder(const std::wstring& registryValue) {
    return registryValue.empty() ? std::wstring(kDefaultProgramFiles) : registryValue;
}

std::wstring TarselFolder(const std::wstring& programFiles) {
    return programFiles + L"\\Tarsel";
}

std::wstring DataFolder(const std::wstring& programFiles) {
    return TarselFolder(programFiles) + L"\\Norvane";
}

std::wstring MetersFolder(const std::wstring& installFolder) {
    return installFolder + L"meters\\";
}

std::wstring TemporaryMetersFolder(const std::wstring& programFiles) {
    return DataFolder(programFiles) + L"\\meters_temp";
}

std::wstring FormatSafeServices(const std::vector<ServiceName>& services) {
    std::wstring list;
    for (const ServiceName& service : services) {
        if (!list.empty()) {
            list += L',';
        }
        list += service.prefix + std::to_wstring(service.index);
    }
    return list;
}

std::wstring ComparablePath(std::wstring_view path) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.empty() || !separator(path[0]) || (path.size() > 1 && separator(path[1]))) {
        return {}; // relative, with a drive letter, or a network or host prefix ("\\x\y", "\\?\")
    }
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring_view::npos) {
            end = path.size();
        }
        std::wstring part = Lower(path.substr(start, end - start));
        start = end + 1;
        // Trailing dots and spaces are dropped by the file system: "..." or ". ." climb too.
        while (!part.empty() && (part.back() == L' ' || part.back() == L'.') && part != L"." &&
               part != L"..") {
            part.pop_back();
        }
        if (part.empty() || part == L".") {
            continue;
        }
        if (part == L".." || part.find(L':') != std::wstring::npos) {
            return {};
        }
        parts.push_back(std::move(part));
    }
    std::wstring result;
    for (const std::wstring& part : parts) {
        result += L'\\';
        result += part;
    }
    return result.empty() ? L"\\" : result;
}

bool IsSameOrBelow(const std::wstring& path, const std::wstring& folder) {
    if (path.empty() || folder.empty()) {
        return false;
    }
    if (folder == L"\\") {
        return true;
    }
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == L'\\');
}

TreeRemoval DecideTreeRemoval(std::wstring_view folder, const ProtectedFolders& protectedFolders) {
    const std::wstring path = ComparablePath(folder);
    if (path.empty()) {
        return TreeRemoval::Refuse;
    }
    const std::wstring windows = ComparablePath(protectedFolders.windows);
    std::wstring programFiles = ComparablePath(protectedFolders.programFiles);
    // A program-files folder that is the root or lies in the Windows folder would
    // make every folder there look like ours: the device's usual one stands in.
    if (programFiles.empty() || programFiles == L"\\" || IsSameOrBelow(programFiles, windows)) {
        programFiles = ComparablePath(kDefaultProgramFiles);
    }
    const std::wstring guarded[] = {windows, programFiles, ComparablePath(kDefaultProgramFiles),
                                    ComparablePath(protectedFolders.documents),
                                    ComparablePath(protectedFolders.startUp)};
    for (const std::wstring& kept : guarded) {
        if (IsSameOrBelow(kept, path)) {
            return TreeRemoval::ProductFilesOnly;
        }
    }
    if (IsSameOrBelow(path, programFiles) && !IsSameOrBelow(path, windows)) {
        return TreeRemoval::Whole;
    }
    return TreeRemoval::WholeIfOnlyProducts;
}

bool IsProductNamedFile(std::wstring_view fileName) {
    const std::wstring name = Lower(fileName);
    if (name.size() <= 7 || name.compare(0, 7, L"norvane") != 0 ||
        name.find_first_of(L"\\/") != std::wstring::npos) {
        return false;
    }
    return EndsWith(name, L".exe") || EndsWith(name, L".dll") || EndsWith(name, L".ini") ||
           EndsWith(name, L".ini.new");
}

bool IsProductEntry(std::wstring_view relativePath, bool isFolder) {
    const size_t slash = relativePath.find_first_of(L"\\/");
    const std::wstring first = Lower(relativePath.substr(0, slash));
    if (first.empty()) {
        return false;
    }
    if (slash != std::wstring_view::npos || isFolder) {
        return IsProductFolderName(first);
    }
    if (IsProductNamedFile(first)) {
        return true;
    }
    for (const wchar_t* language : kLanguages) {
        if (first == Lower(language) + L".dll") {
            return true;
        }
    }
    return false;
}

} // namespace norvane::setup
