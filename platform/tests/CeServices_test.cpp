// The services manager's calls as a service makes them: lookup of an instance
// by name and deregistration, against a manager window that answers as the
// device's does.
#include "CeServices.h"

#include "DeviceContract.h"
#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace device = norvane::device;

struct ManagerLog {
    std::wstring lastName;
    device::ServiceDeregistration lastRequest{};
    int deregistrations = 0;
};
ManagerLog g_manager;

LRESULT CALLBACK ManagerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (copy->dwData == device::kCopyDataGetService) {
        g_manager.lastName.assign(static_cast<const wchar_t*>(copy->lpData), copy->cbData / sizeof(wchar_t));
        return _wcsicmp(static_cast<const wchar_t*>(copy->lpData), L"NVG0:") == 0 ? 0x4E560001 : 0;
    }
    if (copy->dwData == device::kCopyDataDeregisterService &&
        copy->cbData == sizeof(device::ServiceDeregistration)) {
        g_manager.lastRequest = *static_cast<const device::ServiceDeregistration*>(copy->lpData);
        ++g_manager.deregistrations;
        return g_manager.lastRequest.handle == 0x4E560001 ? 1 : 0;
    }
    return 0;
}

class Services : public norvane::platform::test::ScratchDevice {};

} // namespace

TEST_F(Services, LookUpAndDeregisterThroughTheManager) {
    wchar_t name[] = L"NVG0:";
    EXPECT_EQ(GetServiceHandle(name, nullptr, nullptr), INVALID_HANDLE_VALUE) << "no manager runs";

    const std::wstring cls = norvane::platform::ServicesWindowClassName();
    WNDCLASSW wc{};
    wc.lpfnWndProc = ManagerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls.c_str();
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND manager = CreateWindowExW(WS_EX_TOOLWINDOW, cls.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    ASSERT_TRUE(manager);

    const HANDLE handle = GetServiceHandle(name, nullptr, nullptr);
    EXPECT_EQ(handle, reinterpret_cast<HANDLE>(0x4E560001));
    EXPECT_EQ(g_manager.lastName, std::wstring(L"NVG0:") + L'\0') << "the name goes with its terminator";
    wchar_t other[] = L"GPX1:";
    EXPECT_EQ(GetServiceHandle(other, nullptr, nullptr), INVALID_HANDLE_VALUE);
    DWORD size = 0;
    EXPECT_EQ(GetServiceHandle(name, name, &size), INVALID_HANDLE_VALUE) << "the DLL name is not reported";

    EXPECT_TRUE(DeregisterService(handle));
    EXPECT_EQ(g_manager.lastRequest.threadId, GetCurrentThreadId());
    EXPECT_EQ(g_manager.lastRequest.processId, GetCurrentProcessId());
    EXPECT_FALSE(DeregisterService(reinterpret_cast<HANDLE>(0x1234)));
    const int asked = g_manager.deregistrations;
    EXPECT_FALSE(DeregisterService(INVALID_HANDLE_VALUE));
    EXPECT_EQ(g_manager.deregistrations, asked) << "an invalid handle never reaches the manager";

    DestroyWindow(manager);
    UnregisterClassW(cls.c_str(), wc.hInstance);
}
