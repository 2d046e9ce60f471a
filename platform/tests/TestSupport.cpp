// Helpers of the stand-in's tests, and the child-process side of the
// cross-process tests.
#include "TestSupport.h"

#include "CeMsgQueue.h"
#include "DeviceState.h"

#include <shellapi.h>

#include <cstdio>

namespace norvane::platform::test {

void ScratchDevice::SetUp() {
    std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    m_root = L"Software\\NorvaneTest\\platform-" + tag;
    m_stateKey = m_root + L"\\State";
    m_cardsKey = m_root + L"\\Cards";
    m_suffix = L"_test" + tag;
    SetDeviceStateKeys(m_stateKey, m_cardsKey);
    SetDeviceNameSuffix(m_suffix);
}

void ScratchDevice::TearDown() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_root.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, m_root.c_str());
    SetDeviceNameSuffix(L"");
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

bool RemoveTree(const std::wstring& hostPath) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((hostPath + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = hostPath + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(hostPath.c_str());
    return GetFileAttributesW(hostPath.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

DWORD RunChild(const std::vector<std::wstring>& arguments, DWORD timeoutMs) {
    std::wstring program = ThisProgram();
    std::wstring commandLine = L"\"" + program + L"\" --platform-child";
    for (const std::wstring& argument : arguments) {
        commandLine += L" \"" + argument + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                        &startup, &info)) {
        return 0xFFFFFFFF;
    }
    CloseHandle(info.hThread);
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    } else {
        TerminateProcess(info.hProcess, 0xFFFFFFFE);
    }
    CloseHandle(info.hProcess);
    return code;
}

RecordingWindow::RecordingWindow(const std::wstring& className, const wchar_t* title) : m_class(className) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordingWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = m_class.c_str();
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(0, m_class.c_str(), title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
}

RecordingWindow::~RecordingWindow() {
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);
    }
    UnregisterClassW(m_class.c_str(), GetModuleHandleW(nullptr));
}

LRESULT CALLBACK RecordingWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->filter && self->filter(message, wParam, lParam)) {
        return 0;
    }
    bool interesting = message >= WM_USER || message == WM_COPYDATA || message == WM_LBUTTONUP ||
                       message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE;
    if (self == nullptr || !interesting) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    Message m{message, wParam, lParam};
    if (message == WM_COPYDATA) {
        auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        m.copyCode = data->dwData;
        m.copyBytes.assign(static_cast<const char*>(data->lpData), data->cbData);
        self->messages.push_back(std::move(m));
        return self->copyDataAnswer;
    }
    self->messages.push_back(std::move(m));
    if (message >= 0xC000 && message <= 0xFFFF) {
        return self->registeredAnswer;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace norvane::platform::test

namespace {

// The child side: "--platform-child <action> ...". Runs before any test.
int RunChildAction(int argc, wchar_t** argv) {
    std::wstring action = argv[2];
    if (action == L"write-dword" && argc >= 6) {
        // write-dword <key under HKLM> <value name> <number>
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[3], 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return 2;
        }
        DWORD value = wcstoul(argv[5], nullptr, 10);
        LONG rc =
            RegSetValueExW(key, argv[4], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? 0 : 3;
    }
    if (action == L"write-queue" && argc >= 5) {
        // write-queue <queue name> <text>: one message, the text's UTF-16 with terminator
        MSGQUEUEOPTIONS options{sizeof options, MSGQUEUE_ALLOW_BROKEN, 4, 256, FALSE};
        HANDLE queue = CreateMsgQueue(argv[3], &options);
        if (queue == nullptr) {
            return 2;
        }
        DWORD bytes = static_cast<DWORD>((wcslen(argv[4]) + 1) * sizeof(wchar_t));
        BOOL ok = WriteMsgQueue(queue, argv[4], bytes, 1000, 0);
        CloseMsgQueue(queue);
        return ok ? 0 : 3;
    }
    if (action == L"echo" && argc >= 4) {
        // echo <file>: writes the command line and the current folder, one per line, in UTF-16LE
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + folder + L"\n";
        HANDLE file =
            CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return 2;
        }
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
        return 0;
    }
    return 1;
}

struct ChildDispatch {
    ChildDispatch() {
        int argc = 0;
        wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
        if (argv != nullptr && argc >= 3 && wcscmp(argv[1], L"--platform-child") == 0) {
            int code = RunChildAction(argc, argv);
            ExitProcess(static_cast<UINT>(code));
        }
        if (argv != nullptr) {
            LocalFree(argv);
        }
    }
} gChildDispatch;

} // namespace
