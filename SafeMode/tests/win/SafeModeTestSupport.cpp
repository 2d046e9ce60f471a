#include "SafeModeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace norvane::safemode::test {

namespace {

std::wstring Hex(const BYTE* data, DWORD size) {
    std::wstring text;
    wchar_t pair[4];
    for (DWORD i = 0; i < size; ++i) {
        swprintf(pair, 4, L"%02x", data[i]);
        text += pair;
    }
    return text;
}

void ExportKey(HKEY key, const std::wstring& path, std::vector<std::wstring>& lines) {
    lines.push_back(L"[" + path + L"]");
    DWORD maxName = 0;
    DWORD maxData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                     nullptr, nullptr);
    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS) {
            break;
        }
        lines.push_back(L"\"" + std::wstring(name.data(), nameLength) + L"\" " + std::to_wstring(type) +
                        L":" + Hex(data.data(), size));
    }
    std::vector<std::wstring> subkeys;
    wchar_t subkey[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        subkeys.emplace_back(subkey, length);
    }
    for (const auto& name : subkeys) {
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
            ExportKey(child, path + L"\\" + name, lines);
            RegCloseKey(child);
        }
    }
}

void ListFolder(const std::wstring& host, const std::wstring& relative, std::vector<std::wstring>& lines) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((host + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::pair<std::wstring, bool>> entries;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            entries.emplace_back(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(entries.begin(), entries.end());
    for (const auto& [name, folder] : entries) {
        const std::wstring path = relative + L"\\" + name;
        if (folder) {
            lines.push_back(path + L"\\");
            ListFolder(host + L"\\" + name, path, lines);
            continue;
        }
        HANDLE file = CreateFileW((host + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::string bytes;
        if (file != INVALID_HANDLE_VALUE) {
            char buffer[4096];
            DWORD read = 0;
            while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
                bytes.append(buffer, read);
            }
            CloseHandle(file);
        }
        lines.push_back(path + L" " + std::to_wstring(bytes.size()) + L" " +
                        Hex(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
    }
}

void DeleteFolderTree(const std::wstring& host) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((host + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(host + L"\\" + name);
            } else {
                DeleteFileW((host + L"\\" + name).c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(host.c_str());
}

void CreateFolders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(path.c_str(), nullptr);
}

} // namespace

ScratchDevice::ScratchDevice() {
    static int counter = 0;
    const std::wstring stamp = std::to_wstring(GetCurrentProcessId()) + L"_" +
                               std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
    m_keyPath = L"Software\\NorvaneTests\\SafeMode_" + stamp;
    RegCreateKeyExW(HKEY_CURRENT_USER, (m_keyPath + L"\\HKLM").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, m_machine.Receive(), nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, (m_keyPath + L"\\HKCR").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, m_classes.Receive(), nullptr);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_root = std::wstring(temp) + L"nv_safemode_" + stamp;
    CreateFolders(m_root + L"\\Windows");
}

ScratchDevice::~ScratchDevice() {
    m_machine.Reset();
    m_classes.Reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, m_keyPath.c_str());
    DeleteFolderTree(m_root);
}

SafeModePlaces ScratchDevice::Places() const {
    SafeModePlaces places;
    places.machine = Machine();
    places.classes = Classes();
    const std::wstring root = m_root;
    places.hostPath = [root](const std::wstring& path) { return root + path; };
    return places;
}

void ScratchDevice::SetString(HKEY root, const std::wstring& key, const wchar_t* name,
                              const std::wstring& text, DWORD type) const {
    UniqueRegKey k;
    ASSERT_EQ(
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Receive(), nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(k.Get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void ScratchDevice::SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) const {
    UniqueRegKey k;
    ASSERT_EQ(
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Receive(), nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(k.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ScratchDevice::SetBinary(HKEY root, const std::wstring& key, const wchar_t* name,
                              const std::vector<BYTE>& bytes) const {
    UniqueRegKey k;
    ASSERT_EQ(
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Receive(), nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(k.Get(), name, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool ScratchDevice::HasKey(HKEY root, const std::wstring& key) const {
    UniqueRegKey k;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, k.Receive()) == ERROR_SUCCESS;
}

std::wstring ScratchDevice::String(HKEY root, const std::wstring& key, const wchar_t* name) const {
    wchar_t text[512] = L"";
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     text, &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return text;
}

DWORD ScratchDevice::Dword(HKEY root, const std::wstring& key, const wchar_t* name) const {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return 0xFFFFFFFF;
    }
    return value;
}

void ScratchDevice::WriteFile(const std::wstring& devicePath, const std::string& bytes) const {
    const std::wstring host = Host(devicePath);
    CreateFolders(host.substr(0, host.rfind(L'\\')));
    HANDLE file = CreateFileW(host.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << std::string(host.begin(), host.end());
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ScratchDevice::ReadFile(const std::wstring& devicePath) const {
    HANDLE file = CreateFileW(Host(devicePath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

bool ScratchDevice::Exists(const std::wstring& devicePath) const {
    return GetFileAttributesW(Host(devicePath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ScratchDevice::Export(HKEY root, const std::wstring& key) const {
    std::vector<std::wstring> lines;
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) {
        lines.push_back(L"<no key " + key + L">");
        return lines;
    }
    ExportKey(k, key, lines);
    RegCloseKey(k);
    return lines;
}

std::vector<std::wstring> ScratchDevice::Listing(const std::wstring& devicePath) const {
    std::vector<std::wstring> lines;
    if (!Exists(devicePath)) {
        lines.push_back(L"<no folder " + devicePath + L">");
        return lines;
    }
    ListFolder(Host(devicePath), L"", lines);
    return lines;
}

void PrepareDevice(const ScratchDevice& d) {
    const HKEY m = d.Machine();
    const HKEY c = d.Classes();
    d.SetDword(m, L"Software\\Microsoft\\Today", L"Date", 1);
    d.SetDword(m, L"Software\\Microsoft\\Today", L"Enabled", 1);
    d.SetBinary(m, L"Software\\Microsoft\\Today", L"Layout", {0, 1, 2, 0xFE, 0xFF});
    d.SetString(m, L"Software\\Microsoft\\Today", L"", L"default text");
    for (const auto& [name, order] :
         {std::pair{L"Norvane", 100}, std::pair{L"Weather", 3}, std::pair{L"Calendar", 7}}) {
        const std::wstring key = std::wstring(L"Software\\Microsoft\\Today\\Items\\") + name;
        d.SetString(m, key, L"DLL", std::wstring(L"\\Windows\\") + name + L".dll");
        d.SetDword(m, key, L"Type", 4);
        d.SetDword(m, key, L"Order", static_cast<DWORD>(order));
        d.SetDword(m, key, L"Enabled", 1);
        d.SetString(m, key, L"Path", L"%WINDIR%\\x", REG_EXPAND_SZ);
    }
    d.SetDword(m, L"Software\\Microsoft\\Today\\Items\\Weather\\Cache\\Deep", L"Level", 3);

    d.SetString(m, L"Software\\Tarsel\\Norvane", L"SafeServices", L"BAG0,NFY0, CRD1");
    for (const auto& [key, prefix, index, dll] :
         {std::tuple{L"Batt", L"BAG", 0, L"batt.dll"}, std::tuple{L"Notify", L"NFY", 0, L"notify.dll"},
          std::tuple{L"Cards", L"CRD", 1, L"cards.dll"}, std::tuple{L"Obex", L"OBX", 0, L"obex.dll"},
          std::tuple{L"GpsExtra", L"GPX", 0, L"gpsx.dll"},
          std::tuple{L"NVGD", L"NVG", 0, L"NorvaneSafeMode.dll"}}) {
        const std::wstring path = std::wstring(L"Services\\") + key;
        d.SetString(m, path, L"Dll", dll);
        d.SetString(m, path, L"Prefix", prefix);
        d.SetDword(m, path, L"Index", static_cast<DWORD>(index));
    }
    // No prefix: left alone. No Dll: nothing to switch off.
    d.SetString(m, L"Services\\NoPrefix", L"Dll", L"noprefix.dll");
    d.SetString(m, L"Services\\NoDll", L"Prefix", L"NDL");

    const auto method = [&](const wchar_t* clsid, const wchar_t* state, const wchar_t* server) {
        const std::wstring key = std::wstring(L"CLSID\\") + clsid;
        d.SetString(c, key, L"", L"method");
        if (state) {
            d.SetString(c, key + L"\\IsSIPInputMethod", L"", state);
        }
        if (server && *server) {
            d.SetString(c, key + L"\\InprocServer32", L"", server);
        } else if (server) {
            d.SetString(c, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        }
    };
    method(L"{00000001-0000-0000-0000-000000000000}", L"1", L"msim.dll");
    method(L"{00000002-0000-0000-0000-000000000000}", L"1", L"\\Windows\\blockrec.dll");
    method(L"{00000003-0000-0000-0000-000000000000}", L"0", L"\\Windows\\letters.dll");
    method(L"{00000004-0000-0000-0000-000000000000}", L"1", L"MSIM.DLL");
    method(L"{00000005-0000-0000-0000-000000000000}", nullptr, L"\\Windows\\notamethod.dll");
    method(L"{00000006-0000-0000-0000-000000000000}", L"1", nullptr);
    method(L"{00000007-0000-0000-0000-000000000000}", L"1", L"");

    d.WriteFile(L"\\Windows\\StartUp\\Check.lnk", "22#\"\\Windows\\check.exe\"");
    d.WriteFile(L"\\Windows\\StartUp\\Sync.lnk", "21#\"\\Windows\\sync.exe\" /boot");
    d.WriteFile(L"\\Windows\\StartUp\\Empty.txt", "");
    d.WriteFile(L"\\Windows\\StartUp\\Tools\\Deep\\Inner.lnk", std::string(5000, 'x'));
}

std::wstring Difference(const std::vector<std::wstring>& expected, const std::vector<std::wstring>& actual) {
    std::wstring text;
    const std::set<std::wstring> a(expected.begin(), expected.end());
    const std::set<std::wstring> b(actual.begin(), actual.end());
    for (const auto& line : expected) {
        if (!b.count(line)) {
            text += L"\n  - " + line;
        }
    }
    for (const auto& line : actual) {
        if (!a.count(line)) {
            text += L"\n  + " + line;
        }
    }
    if (text.empty() && expected != actual) {
        text = L"\n  (same lines in another order)";
    }
    return text;
}

} // namespace norvane::safemode::test
