#include "CeServices.h"

#include "DeviceContract.h"
#include "DeviceState.h"

#include <cwchar>

namespace {

// The manager answers at once, unless its thread is busy starting a service.
constexpr UINT kManagerTimeoutMs = 30000;

HWND FindServicesManager() {
    return FindWindowW(norvane::platform::ServicesWindowClassName().c_str(), nullptr);
}

bool SendToManager(unsigned long code, const void* data, DWORD size, LRESULT& answer) {
    HWND manager = FindServicesManager();
    if (manager == nullptr) {
        return false;
    }
    COPYDATASTRUCT copy{};
    copy.dwData = code;
    copy.cbData = size;
    copy.lpData = const_cast<void*>(data);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(manager, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL,
                             kManagerTimeoutMs, &result)) {
        return false;
    }
    answer = static_cast<LRESULT>(result);
    return true;
}

} // namespace

HANDLE GetServiceHandle(LPWSTR szPrefix, LPWSTR szDllName, DWORD* pdwDllBuf) {
    if (szPrefix == nullptr || *szPrefix == L'\0' || szDllName != nullptr || pdwDllBuf != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const DWORD size = static_cast<DWORD>((wcslen(szPrefix) + 1) * sizeof(wchar_t));
    LRESULT handle = 0;
    if (!SendToManager(norvane::device::kCopyDataGetService, szPrefix, size, handle) || handle == 0) {
        SetLastError(ERROR_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(handle);
}

BOOL DeregisterService(HANDLE hDevice) {
    if (hDevice == nullptr || hDevice == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    norvane::device::ServiceDeregistration request{};
    request.handle = reinterpret_cast<unsigned long long>(hDevice);
    request.threadId = GetCurrentThreadId();
    request.processId = GetCurrentProcessId();
    LRESULT accepted = 0;
    if (!SendToManager(norvane::device::kCopyDataDeregisterService, &request, sizeof request, accepted) ||
        accepted == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
