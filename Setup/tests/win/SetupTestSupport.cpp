// Helpers of the installer's Wine tests.
#include "SetupTestSupport.h"

#include "SetupResources.h"

#include "CeShell.h"
#include "DeviceState.h"
#include "TodayApi.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace norvane::setup::test {

namespace {

// The stand-in's shell objects of this program carry a name of their own, so a
// Today window of ours is never mistaken for another test's.
const bool g_suffixSet = [] {
    norvane::platform::SetDeviceNameSuffix(L"-setup-tests");
    return true;
}();

std::wstring Host(const std::wstring& devicePath) {
    return norvane::platform::ToHostPath(devicePath);
}

DialogAnswerer* g_answerer = nullptr;

} // namespace

// ---------------------------------------------------------------- registry

ScratchRegistry::ScratchRegistry() {
    static std::atomic<int> counter{0};
    m_root = L"Software\\NorvaneSetupTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(counter++);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_root.c_str());
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (m_root + L"\\Machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &m_machine, nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExW(HKEY_CURRENT_USER, (m_root + L"\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &m_user, nullptr) != ERROR_SUCCESS) {
        return;
    }
    m_ready = RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine) == ERROR_SUCCESS &&
              RegOverridePredefKey(HKEY_CURRENT_USER, m_user) == ERROR_SUCCESS;
}

ScratchRegistry::~ScratchRegistry() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_machine)
        RegCloseKey(m_machine);
    if (m_user)
        RegCloseKey(m_user);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_root.c_str());
}

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(handle);
}

std::wstring GetValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return L"<none>";
    }
    BYTE data[2048] = {};
    DWORD type = 0, size = sizeof data - 2;
    const LONG result = RegQueryValueExW(handle, name, nullptr, &type, data, &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) {
        return L"<none>";
    }
    if (type == REG_DWORD) {
        return std::to_wstring(*reinterpret_cast<DWORD*>(data));
    }
    return reinterpret_cast<const wchar_t*>(data);
}

bool KeyPresent(HKEY root, const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

// ---------------------------------------------------------------- files

DeviceFiles::~DeviceFiles() {
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        const std::wstring host = Host(*it);
        const DWORD attributes = GetFileAttributesW(host.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDirectoryW(host.c_str());
        } else {
            DeleteFileW(host.c_str());
        }
    }
}

void DeviceFiles::Folder(const std::wstring& devicePath) {
    std::wstring path;
    size_t start = 1;
    while (start <= devicePath.size()) {
        size_t end = devicePath.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = devicePath.size();
        }
        if (end > start) {
            path += L"\\" + devicePath.substr(start, end - start);
            if (!DeviceExists(path) && CreateDirectoryW(Host(path).c_str(), nullptr)) {
                m_created.push_back(path);
            }
        }
        start = end + 1;
    }
}

void DeviceFiles::File(const std::wstring& devicePath, const std::string& bytes) {
    Folder(devicePath.substr(0, devicePath.rfind(L'\\')));
    const bool existed = DeviceExists(devicePath);
    std::ofstream out(std::filesystem::path(Host(devicePath)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!existed) {
        m_created.push_back(devicePath);
    }
}

void DeviceFiles::Copy(const std::wstring& hostPath, const std::wstring& devicePath) {
    Folder(devicePath.substr(0, devicePath.rfind(L'\\')));
    const bool existed = DeviceExists(devicePath);
    ASSERT_TRUE(CopyFileW(hostPath.c_str(), Host(devicePath).c_str(), FALSE))
        << "copy to " << devicePath.size();
    if (!existed) {
        m_created.push_back(devicePath);
    }
}

bool DeviceExists(const std::wstring& devicePath) {
    return GetFileAttributesW(Host(devicePath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadDeviceFile(const std::wstring& devicePath) {
    std::ifstream in(std::filesystem::path(Host(devicePath)), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WipeDeviceTree(const std::wstring& devicePath) {
    const std::wstring host = Host(devicePath);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((host + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                WipeDeviceTree(devicePath + L"\\" + name);
            } else {
                SetFileAttributesW((host + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((host + L"\\" + name).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(host.c_str());
}

std::wstring BuildPath(const std::wstring& relative) {
    const std::string root = NORVANE_BUILD_DIR;
    std::wstring path = L"Z:" + std::wstring(root.begin(), root.end()) + L"/" + relative;
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

// ---------------------------------------------------------------- Today window

RecordingToday::RecordingToday() : m_class(norvane::platform::TodayClassName()) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = m_class.c_str();
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(0, m_class.c_str(), L"Today", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RecordingToday::~RecordingToday() {
    DestroyWindow(m_hwnd);
    UnregisterClassW(m_class.c_str(), GetModuleHandleW(nullptr));
}

LRESULT CALLBACK RecordingToday::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingToday*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_SETTINGCHANGE && wParam == TODAY_SETTINGCHANGE_CODE) {
        ++self->refreshes;
        if (self->onRefresh) {
            self->onRefresh();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- dialogs

DialogAnswerer::DialogAnswerer() {
    g_answerer = this;
    m_timer = SetTimer(nullptr, 0, 30, Tick);
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, m_timer);
    g_answerer = nullptr;
}

void CALLBACK DialogAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_answerer) {
        return;
    }
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM) -> BOOL {
            wchar_t cls[32] = L"";
            GetClassNameW(hwnd, cls, 32);
            if (g_answerer && IsWindowVisible(hwnd) && wcscmp(cls, L"#32770") == 0) {
                g_answerer->Answer(hwnd);
            }
            return TRUE;
        },
        0);
}

void DialogAnswerer::Answer(HWND dialog) {
    wchar_t text[512] = L"";
    if (HWND languages = GetDlgItem(dialog, IDC_LANGUAGE)) {
        if (install.shown) {
            return;
        }
        install.shown = true;
        install.metersChecked = IsDlgButtonChecked(dialog, IDC_METERS) == BST_CHECKED;
        install.selectedLanguage = static_cast<int>(SendMessageW(languages, CB_GETCURSEL, 0, 0));
        const int count = static_cast<int>(SendMessageW(languages, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            SendMessageW(languages, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            install.languages.push_back(text);
        }
        install.pictureShown = SendDlgItemMessageW(dialog, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        install.doneButton = CeHasCaptionOkButton(dialog) != FALSE;
        LOGFONTW font{};
        HFONT title = reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, IDC_TITLE, WM_GETFONT, 0, 0));
        install.boldTitle = title && GetObjectW(title, sizeof font, &font) && font.lfWeight == FW_BOLD;
        if (meters >= 0) {
            CheckDlgButton(dialog, IDC_METERS, meters ? BST_CHECKED : BST_UNCHECKED);
        }
        if (languageIndex >= 0) {
            SendMessageW(languages, CB_SETCURSEL, languageIndex, 0);
        }
        SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        return;
    }
    if (question.shown) {
        return;
    }
    question.shown = true;
    GetWindowTextW(dialog, text, 512);
    question.caption = text;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = L"";
        GetClassNameW(child, cls, 32);
        if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0 &&
            wcslen(text) > question.text.size()) {
            question.text = text;
        }
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(questionButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, questionButton)));
}

} // namespace norvane::setup::test
