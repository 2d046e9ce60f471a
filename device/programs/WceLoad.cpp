// "\Windows\wceload.exe": the device's cabinet installer. Cabinets themselves are
// not unpacked here; the control tool hands it a manifest of the product's files
// instead, and it installs them the way the device's installer does: it loads the
// setup DLL, calls Install_Init, copies the files, calls Install_Exit (and the
// Uninstall_ pair on removal). Without a setup DLL it registers the listed Today
// items itself. Theme packages (".tsk" with the silent switches) are logged and
// accepted.
//
// Manifest (UTF-8, one entry a line):
//   setup=<path of the setup DLL>
//   installdir=<device folder, default \Windows\>
//   file=<source path>|<device destination path>
//   item=<Today item name>|<device path of its DLL>
#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "TodayApi.h"

#include <string>
#include <vector>

using namespace norvane::device;

namespace {

constexpr wchar_t kItemsKey[] = L"Software\\Microsoft\\Today\\Items\\";

struct Manifest {
    std::wstring setup;
    std::wstring installDir = L"\\Windows\\";
    std::vector<std::pair<std::wstring, std::wstring>> files;
    std::vector<std::pair<std::wstring, std::wstring>> items;
};

bool ReadManifest(const std::wstring& path, Manifest& manifest) {
    UniqueHandle file(CreateFileW(DeviceToWin32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0 && bytes.size() < (1u << 20))
        bytes.append(buffer, got);
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' '))
            line.pop_back();
        const size_t equals = line.find(L'=');
        if (line.empty() || line[0] == L'#' || equals == std::wstring::npos)
            continue;
        const std::wstring key = line.substr(0, equals), value = line.substr(equals + 1);
        const size_t bar = value.find(L'|');
        if (key == L"setup")
            manifest.setup = value;
        else if (key == L"installdir")
            manifest.installDir = value;
        else if (key == L"file" && bar != std::wstring::npos)
            manifest.files.emplace_back(value.substr(0, bar), value.substr(bar + 1));
        else if (key == L"item" && bar != std::wstring::npos)
            manifest.items.emplace_back(value.substr(0, bar), value.substr(bar + 1));
    }
    return true;
}

bool MakeFoldersFor(const std::wstring& win32Path) {
    for (size_t i = 3; i < win32Path.size(); ++i)
        if (win32Path[i] == L'\\')
            CreateDirectoryW(win32Path.substr(0, i).c_str(), nullptr);
    return true;
}

// Lets the Today screen re-read its items (and let go of removed DLLs) before
// this returns.
void RefreshToday() {
    HWND today = FindWindowW(kTodayClass, nullptr);
    DWORD_PTR result = 0;
    if (today)
        SendMessageTimeoutW(today, WM_SETTINGCHANGE, TODAY_SETTINGCHANGE_CODE, 0, SMTO_NORMAL, 10000,
                            &result);
}

using InstallInitProc = int(WINAPI*)(HWND, BOOL, BOOL, LPCWSTR);
using InstallExitProc = int(WINAPI*)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD);
using UninstallInitProc = int(WINAPI*)(HWND, LPCWSTR);
using UninstallExitProc = int(WINAPI*)(HWND);

class SetupDll {
public:
    explicit SetupDll(const std::wstring& source) {
        if (source.empty())
            return;
        // The installer runs the setup DLL from a copy on the device.
        CreateDirectoryW(L"C:\\Windows\\Temp", nullptr);
        m_copy = L"C:\\Windows\\Temp\\" + FileNameOf(source);
        if (!CopyFileW(DeviceToWin32Path(source).c_str(), m_copy.c_str(), FALSE))
            return;
        m_module = LoadLibraryW(m_copy.c_str());
    }
    ~SetupDll() {
        if (m_module)
            FreeLibrary(m_module);
        if (!m_copy.empty())
            DeleteFileW(m_copy.c_str());
    }
    explicit operator bool() const { return m_module != nullptr; }
    template <typename T> T Get(const char* name) const {
        return m_module ? reinterpret_cast<T>(GetProcAddress(m_module, name)) : nullptr;
    }

private:
    HMODULE m_module = nullptr;
    std::wstring m_copy;
};

void RegisterItem(const std::wstring& name, const std::wstring& dll, DWORD order) {
    RegKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, kItemsKey + name))
        return;
    key.WriteString(L"DLL", dll);
    key.WriteDword(L"Type", 4);
    key.WriteDword(L"Order", order);
    key.WriteDword(L"Enabled", 1);
    key.WriteDword(L"Options", 0);
    key.WriteDword(L"Selectability", 2);
}

int Install(const Manifest& manifest) {
    SetupDll setup(manifest.setup);
    const bool hasSetup = static_cast<bool>(setup);
    bool previously = false;
    for (const auto& item : manifest.items)
        previously |= GetFileAttributesW(DeviceToWin32Path(item.second).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (auto init = setup.Get<InstallInitProc>("Install_Init")) {
        const int code = init(nullptr, TRUE, previously, manifest.installDir.c_str());
        AppendDeviceLog(L"wceload.exe", L"Install_Init returned " + std::to_wstring(code));
        if (code != 0)
            return 3;
    } else if (!hasSetup) {
        // Without a setup DLL: let the Today screen release the item before the
        // DLL is replaced.
        for (const auto& item : manifest.items) {
            RegKey key;
            if (key.Open(HKEY_LOCAL_MACHINE, kItemsKey + item.first, KEY_WRITE))
                RegDeleteValueW(key.Get(), L"DLL");
        }
        if (!manifest.items.empty())
            RefreshToday();
    }
    WORD failedFiles = 0;
    for (const auto& [source, destination] : manifest.files) {
        const std::wstring target = DeviceToWin32Path(destination);
        MakeFoldersFor(target);
        if (!CopyFileW(DeviceToWin32Path(source).c_str(), target.c_str(), FALSE)) {
            ++failedFiles;
            AppendDeviceLog(L"wceload.exe", L"cannot copy " + source + L" to " + destination);
        }
    }
    if (!hasSetup) {
        DWORD order = 10;
        for (const auto& item : manifest.items)
            RegisterItem(item.first, item.second, order++);
    }
    if (auto exit = setup.Get<InstallExitProc>("Install_Exit")) {
        const int code = exit(nullptr, manifest.installDir.c_str(), 0, failedFiles, 0, 0, 0);
        AppendDeviceLog(L"wceload.exe", L"Install_Exit returned " + std::to_wstring(code));
    }
    RefreshToday();
    return failedFiles == 0 ? 0 : 4;
}

int Uninstall(const Manifest& manifest) {
    SetupDll setup(manifest.setup);
    if (auto init = setup.Get<UninstallInitProc>("Uninstall_Init"))
        init(nullptr, manifest.installDir.c_str());
    if (!setup) {
        for (const auto& item : manifest.items)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kItemsKey + item.first).c_str());
        RefreshToday();
    }
    for (const auto& file : manifest.files)
        DeleteFileW(DeviceToWin32Path(file.second).c_str());
    if (auto exit = setup.Get<UninstallExitProc>("Uninstall_Exit"))
        exit(nullptr);
    RefreshToday();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    SetCurrentDirectoryW(L"C:\\");
    AppendDeviceLog(L"wceload.exe", ArgumentsOfThisProcess());
    std::vector<std::wstring> args(argv + 1, argv + argc);
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == L"/install" || args[i] == L"/uninstall") {
            Manifest manifest;
            if (!ReadManifest(args[i + 1], manifest)) {
                AppendDeviceLog(L"wceload.exe", L"cannot read " + args[i + 1]);
                return 2;
            }
            return args[i] == L"/install" ? Install(manifest) : Uninstall(manifest);
        }
    }
    // Theme packages and other cabinets: accepted silently; the file is kept.
    return 0;
}
