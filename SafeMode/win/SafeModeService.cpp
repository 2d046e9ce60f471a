#include "SafeModeService.h"

#include "CePower.h"
#include "CeServices.h"
#include "DeviceState.h"
#include "SafeModeBar.h"
#include "SafeModeKeys.h"
#include "SafeModeStart.h"

#include <memory>

namespace norvane::safemode {

namespace {

constexpr DWORD kItemPollMs = 100;

// The shell's restart first; early in a start there is no shell yet, and the
// power manager's reset takes over.
class DeviceRestart : public RestartRequest {
public:
    void Restart() override {
        CeExitWindowsEx(EWX_REBOOT, 0);
        CeSetSystemPowerState(nullptr, POWER_STATE_RESET, 0);
    }
};

void WaitForSafeModeItem() {
    while (true) {
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, kItemRunningEvent);
        if (event) {
            CloseHandle(event);
            return;
        }
        Sleep(kItemPollMs);
    }
}

DWORD WINAPI Worker(void* parameter) {
    std::unique_ptr<StartDecision> decision(static_cast<StartDecision*>(parameter));
    {
        SafeModeSwitch safeModeSwitch(DevicePlaces());
        DeviceRestart restart;
        SafeModeBar bar(safeModeSwitch, HKEY_LOCAL_MACHINE, *decision, restart);
        if (bar.Create()) {
            bar.RunMessageLoop();
        }
    }
    if (decision->startMode != 0) {
        WaitForSafeModeItem();
    }
    wchar_t instance[] = L"NVG0:";
    HANDLE service = GetServiceHandle(instance, nullptr, nullptr);
    if (service != INVALID_HANDLE_VALUE) {
        DeregisterService(service);
    }
    return 0;
}

} // namespace

SafeModePlaces DevicePlaces() {
    SafeModePlaces places;
    places.machine = HKEY_LOCAL_MACHINE;
    places.classes = HKEY_CLASSES_ROOT;
    places.hostPath = [](const std::wstring& path) { return norvane::platform::ToHostPath(path); };
    return places;
}

bool StartService() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    SafeModeSwitch safeModeSwitch(DevicePlaces());
    auto decision = std::make_unique<StartDecision>(DecideStart(safeModeSwitch, HKEY_LOCAL_MACHINE, now));
    HANDLE thread = CreateThread(nullptr, 0, Worker, decision.get(), 0, nullptr);
    if (!thread) {
        return false;
    }
    decision.release();
    CloseHandle(thread);
    return true;
}

} // namespace norvane::safemode
