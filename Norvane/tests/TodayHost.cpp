// The test Today screen and scratch helpers.
#include "TodayHost.h"

#include "DeviceContract.h"
#include "DisplayScale.h"
#include "Module.h"
#include "TextCodec.h"

namespace norvane::test {

namespace {
constexpr wchar_t kListenerClass[] = L"NorvaneTestListener";
constexpr wchar_t kItemKey[] = L"Software\\Tarsel\\Norvane";
} // namespace

SharedStateLock::SharedStateLock() {
    m_mutex = CreateMutexW(nullptr, FALSE, L"NorvaneItemTestsSharedState");
    if (m_mutex) {
        WaitForSingleObject(m_mutex, INFINITE); // an abandoned lock is ours as well
    }
}

SharedStateLock::~SharedStateLock() {
    if (m_mutex) {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
}

TodayHost::TodayHost() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = device::kTodayClass;
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(0, device::kTodayClass, device::kTodayTitle, WS_POPUP | WS_VISIBLE, 0, 0,
                             GetSystemMetrics(SM_CXSCREEN), 400, nullptr, nullptr, GetModuleHandleW(nullptr),
                             this);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    WNDCLASSW lc = {};
    lc.lpfnWndProc = ListenerProc;
    lc.hInstance = GetModuleHandleW(nullptr);
    lc.lpszClassName = kListenerClass;
    RegisterClassW(&lc);
    m_listener = CreateWindowExW(0, kListenerClass, L"listener", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_listener, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_heightMessage = RegisterWindowMessageW(L"NorvaneCurrentHeight");
    m_ready = CreateEventW(nullptr, TRUE, TRUE, device::kShellReadyEvent);
    SetEvent(m_ready);
}

TodayHost::~TodayHost() {
    DestroyWindow(m_listener);
    DestroyWindow(m_hwnd);
    CloseHandle(m_ready);
}

void TodayHost::SetShellReady(bool ready) {
    if (ready) {
        SetEvent(m_ready);
    } else {
        ResetEvent(m_ready);
    }
}

bool TodayHost::PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    DWORD deadline = GetTickCount() + static_cast<DWORD>(timeoutMs);
    while (true) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) {
            return true;
        }
        if (static_cast<int>(deadline - GetTickCount()) <= 0) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void TodayHost::Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

LRESULT CALLBACK TodayHost::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TodayHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case TODAYM_GETCOLOR:
        return wp == TODAYCOLOR_TEXT ? kHostTextColour : RGB(255, 255, 255);
    case TODAYM_DRAWWATERMARK: {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lp);
        HBRUSH brush = CreateSolidBrush(kHostBackground);
        FillRect(info->hdc, &info->rc, brush);
        DeleteObject(brush);
        return TRUE;
    }
    case WM_WININICHANGE:
        if (self && wp == TODAY_SETTINGCHANGE_CODE) {
            ++self->m_settingChanges;
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK TodayHost::ListenerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TodayHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == self->m_heightMessage && msg != 0) {
        self->m_heights.push_back(static_cast<int>(wp));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void PrepareItemTest() {
    Module::SetInstance(GetModuleHandleW(nullptr));
    Module::Start();
    SetDisplayFlags(false, false);
    ResetItemRegistry();
    RemoveSettingsFile();
}

void ResetItemRegistry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        for (const wchar_t* name :
             {L"CurrentTab", L"LastHeight", L"MinimizeOnRefresh", L"TrueVGA", L"TrueVGAOptions"}) {
            RegDeleteValueW(key, name);
        }
        RegCloseKey(key);
    }
}

std::wstring SettingsFilePath() {
    return L"C:\\Program Files\\Tarsel\\Norvane\\Norvane.ini";
}

void WriteSettingsBytes(const std::string& bytes) {
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(L"C:\\Program Files\\Tarsel", nullptr);
    CreateDirectoryW(L"C:\\Program Files\\Tarsel\\Norvane", nullptr);
    HANDLE file = CreateFileW(SettingsFilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void WriteSettingsText(const std::wstring& text) {
    std::wstring withMark = std::wstring(1, static_cast<wchar_t>(0xFEFF)) + text;
    WriteSettingsBytes(TextToUtf16LeBytes(withMark));
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

void RemoveSettingsFile() {
    DeleteFileW(SettingsFilePath().c_str());
}

bool ReadItemValue(const wchar_t* name, DWORD& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = sizeof(value);
    LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void WriteItemValue(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kItemKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }
}

} // namespace norvane::test
