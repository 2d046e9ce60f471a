// "\Windows\wceload.exe": the device's cabinet installer. Cabinets themselves are
// not unpacked here; the control tool hands it a manifest of the product's files
// instead (InstallManifest.h), and it installs them the way the device's
// installer does: it loads the setup DLL, calls Install_Init, copies the files,
// registers the self-registering DLLs, calls Install_Exit; on removal
// Uninstall_Init, removes the files (and the folders they leave empty below the
// install folder), Uninstall_Exit. Without a setup DLL it registers the listed
// Today items itself. Theme packages (".tsk" with the silent switches) are
// logged and accepted.
//
//   wceload.exe /install MANIFEST | /uninstall MANIFEST
#include "CeSetup.h"
#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "InstallManifest.h"
#include "TodayApi.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace norvane::device;

namespace {

constexpr wchar_t kItemsKey[] = L"Software\\Microsoft\\Today\\Items\\";

bool ReadManifest(const std::wstring& path, InstallManifest& manifest) {
    UniqueHandle file(CreateFileW(DeviceToWin32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0 &&
           bytes.size() <= kMaxManifestBytes)
        bytes.append(buffer, got);
    if (!ParseInstallManifest(bytes, manifest))
        return false;
    for (const std::wstring& refused : manifest.refused)
        AppendDeviceLog(L"wceload.exe", L"refused " + refused);
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

// The installer's dialogs are gone: the Today screen is in front again and
// takes the keys, as it does when a cabinet finishes on a real device.
void ReturnToToday() {
    if (HWND today = FindWindowW(kTodayClass, nullptr))
        SetForegroundWindow(GetAncestor(today, GA_ROOT));
}

// A file the Today screen still holds (an item whose menu was open when the
// refresh came lets go a moment later) is tried again for a few seconds.
template <typename Operation> bool WhileInUse(Operation operation) {
    constexpr int kTries = 50;
    constexpr DWORD kPauseMs = 100;
    for (int i = 0;; ++i) {
        if (operation())
            return true;
        const DWORD error = GetLastError();
        if (i + 1 >= kTries || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                                error != ERROR_LOCK_VIOLATION && error != ERROR_USER_MAPPED_FILE))
            return false;
        Sleep(kPauseMs);
    }
}

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
    SetupDll(const SetupDll&) = delete;
    SetupDll& operator=(const SetupDll&) = delete;
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

// Calls DllRegisterServer or DllUnregisterServer of a DLL on the device.
void SelfRegister(const std::wstring& dll, bool registering) {
    HMODULE module = LoadLibraryW(DeviceToWin32Path(dll).c_str());
    if (!module)
        return;
    using RegisterProc = HRESULT(STDAPICALLTYPE*)();
    const char* name = registering ? "DllRegisterServer" : "DllUnregisterServer";
    if (auto proc = reinterpret_cast<RegisterProc>(GetProcAddress(module, name))) {
        const HRESULT hr = proc();
        AppendDeviceLog(L"wceload.exe", FileNameOf(dll) +
                                            (registering ? L" registered " : L" unregistered ") +
                                            std::to_wstring(static_cast<long>(hr)));
    }
    FreeLibrary(module);
}

int Install(const InstallManifest& manifest) {
    SetupDll setup(manifest.setup);
    const bool hasSetup = static_cast<bool>(setup);
    bool previously = false;
    for (const auto& item : manifest.items)
        previously |= GetFileAttributesW(DeviceToWin32Path(item.second).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (auto init = setup.Get<pfnINSTALL_INIT>(szINSTALL_INIT)) {
        const int code = init(nullptr, TRUE, previously, manifest.installDir.c_str());
        AppendDeviceLog(L"wceload.exe", L"Install_Init returned " + std::to_wstring(code));
        if (code != codeINSTALL_INIT_CONTINUE)
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
        const std::wstring from = DeviceToWin32Path(source);
        if (!WhileInUse([&] { return CopyFileW(from.c_str(), target.c_str(), FALSE) != FALSE; })) {
            ++failedFiles;
            AppendDeviceLog(L"wceload.exe", L"cannot copy " + source + L" to " + destination);
        }
    }
    for (const std::wstring& dll : manifest.selfRegister)
        SelfRegister(dll, true);
    if (!hasSetup) {
        DWORD order = 10;
        for (const auto& item : manifest.items)
            RegisterItem(item.first, item.second, order++);
    }
    if (auto exit = setup.Get<pfnINSTALL_EXIT>(szINSTALL_EXIT)) {
        const int code = exit(nullptr, manifest.installDir.c_str(), 0, failedFiles, 0, 0, 0);
        AppendDeviceLog(L"wceload.exe", L"Install_Exit returned " + std::to_wstring(code));
    }
    RefreshToday();
    ReturnToToday();
    return failedFiles == 0 ? 0 : 4;
}

// The folders a removal may leave empty: those of the removed files below the
// install folder, deepest first. Only empty ones go.
void RemoveEmptyFolders(const InstallManifest& manifest) {
    std::wstring install = LowerCase(manifest.installDir);
    while (install.size() > 1 && install.back() == L'\\')
        install.pop_back();
    std::vector<std::wstring> folders;
    for (const auto& file : manifest.files) {
        std::wstring folder = file.second;
        for (size_t slash = folder.rfind(L'\\'); slash != std::wstring::npos && slash > 0;
             slash = folder.rfind(L'\\')) {
            folder.resize(slash);
            const std::wstring lower = LowerCase(folder);
            if (lower.size() < install.size() || lower.compare(0, install.size(), install) != 0 ||
                (lower.size() > install.size() && lower[install.size()] != L'\\') || install == L"\\")
                break;
            folders.push_back(folder);
        }
    }
    std::sort(folders.begin(), folders.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::wstring& folder : folders)
        RemoveDirectoryW(DeviceToWin32Path(folder).c_str());
}

int Uninstall(const InstallManifest& manifest) {
    SetupDll setup(manifest.setup);
    if (auto init = setup.Get<pfnUNINSTALL_INIT>(szUNINSTALL_INIT)) {
        const int code = init(nullptr, manifest.installDir.c_str());
        AppendDeviceLog(L"wceload.exe", L"Uninstall_Init returned " + std::to_wstring(code));
        if (code != codeUNINSTALL_INIT_CONTINUE)
            return 3;
    }
    if (!setup) {
        for (const auto& item : manifest.items)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kItemsKey + item.first).c_str());
        RefreshToday();
    }
    for (const std::wstring& dll : manifest.selfRegister)
        SelfRegister(dll, false);
    for (const auto& file : manifest.files) {
        const std::wstring path = DeviceToWin32Path(file.second);
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            WhileInUse([&] { return DeleteFileW(path.c_str()) != FALSE; });
    }
    RemoveEmptyFolders(manifest);
    if (auto exit = setup.Get<pfnUNINSTALL_EXIT>(szUNINSTALL_EXIT)) {
        exit(nullptr);
        AppendDeviceLog(L"wceload.exe", L"Uninstall_Exit done");
    }
    RefreshToday();
    ReturnToToday();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    SetCurrentDirectoryW(L"C:\\");
    AppendDeviceLog(L"wceload.exe", ArgumentsOfThisProcess());
    std::vector<std::wstring> args(argv + 1, argv + argc);
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == L"/install" || args[i] == L"/uninstall") {
            InstallManifest manifest;
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
