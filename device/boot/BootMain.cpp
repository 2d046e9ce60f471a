// DeviceBoot.exe: the device's boot loop. It counts the boot, starts the
// services manager and waits until every service's Init has returned, then runs
// the shell. When the shell ends with a reboot request (or dies), every device
// process is ended and the device boots again; a shutdown request ends the loop.
#include "DeviceContract.h"
#include "DeviceSupport.h"

#include <tlhelp32.h>

#include <string>

using namespace norvane::device;

namespace {

void CountBoot() {
    RegKey state;
    if (!state.Create(HKEY_LOCAL_MACHINE, kStateKey))
        return;
    DWORD count = 0;
    state.ReadDword(kBootCount, count);
    state.WriteDword(kBootCount, count + 1);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[32];
    wsprintfW(text, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    state.WriteString(kLastBootTime, text);
    state.WriteDword(kScreenOff, 0);
}

bool IsWineSystemImage(const std::wstring& image) {
    const std::wstring lower = LowerCase(image);
    return lower.find(L"\\windows\\system32\\") != std::wstring::npos ||
           lower.find(L"\\windows\\syswow64\\") != std::wstring::npos ||
           EndsWithNoCase(lower, L"\\windows\\explorer.exe") || lower.compare(0, 3, L"c:\\") != 0;
}

// Ends every device process but this one: a reset ends them all, and the
// registry and files survive.
void EndDeviceProcesses() {
    for (int pass = 0; pass < 3; ++pass) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return;
        PROCESSENTRY32W entry{sizeof entry};
        int ended = 0;
        for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID == GetCurrentProcessId())
                continue;
            UniqueHandle process(
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                            entry.th32ProcessID));
            if (!process)
                continue;
            wchar_t image[MAX_PATH * 2] = L"";
            DWORD size = MAX_PATH * 2;
            if (!QueryFullProcessImageNameW(process.Get(), 0, image, &size))
                continue;
            if (IsWineSystemImage(image) || EndsWithNoCase(image, L"\\DeviceAgent.exe"))
                continue;
            TerminateProcess(process.Get(), 0);
            WaitForSingleObject(process.Get(), 2000);
            ++ended;
        }
        CloseHandle(snapshot);
        if (ended == 0)
            return;
    }
}

// False when the power manager asked for a reset while the services started.
bool StartAndWaitServices(UniqueHandle& servicesProcess, HANDLE resetRequest) {
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, kServicesReadyEvent));
    if (ready)
        ResetEvent(ready.Get());
    HANDLE process = nullptr;
    if (!StartDeviceProgram(L"\\Windows\\DeviceServices.exe", L"", &process)) {
        AppendDeviceLog(L"boot", L"cannot start the services manager");
        return true;
    }
    servicesProcess.Reset(process);
    HANDLE waits[3];
    DWORD count = 0;
    if (resetRequest)
        waits[count++] = resetRequest;
    waits[count++] = process;
    if (ready)
        waits[count++] = ready.Get();
    // A service that never returns from Init does not keep the device from booting.
    const DWORD result = WaitForMultipleObjects(count, waits, FALSE, 30000);
    return !(resetRequest && result == WAIT_OBJECT_0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetCurrentDirectoryW(L"C:\\");
    // Keep the shell-ready event alive across shell restarts, cleared while booting.
    UniqueHandle shellReady(CreateEventW(nullptr, TRUE, FALSE, kShellReadyEvent));
    // The power manager's reset, asked for while no shell runs to take it.
    UniqueHandle resetRequest(CreateEventW(nullptr, TRUE, FALSE, kResetRequestEvent));
    int quickFailures = 0;
    while (true) {
        if (shellReady)
            ResetEvent(shellReady.Get());
        EndDeviceProcesses();
        if (resetRequest)
            ResetEvent(resetRequest.Get());
        CountBoot();
        AppendDeviceLog(L"boot", L"start");
        UniqueHandle services;
        if (!StartAndWaitServices(services, resetRequest.Get())) {
            AppendDeviceLog(L"boot", L"reset by the power manager");
            continue;
        }
        HANDLE shellProcess = nullptr;
        const DWORD started = GetTickCount();
        if (!StartDeviceProgram(L"\\Windows\\DeviceShell.exe", L"", &shellProcess)) {
            AppendDeviceLog(L"boot", L"cannot start the shell");
            return 1;
        }
        UniqueHandle shell(shellProcess);
        HANDLE running[2] = {shell.Get(), resetRequest.Get()};
        if (WaitForMultipleObjects(resetRequest ? 2 : 1, running, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            // A reset asked for while the shell was still coming up.
            AppendDeviceLog(L"boot", L"reset by the power manager");
            if (shellReady)
                ResetEvent(shellReady.Get());
            continue;
        }
        DWORD code = 0;
        GetExitCodeProcess(shell.Get(), &code);
        if (shellReady)
            ResetEvent(shellReady.Get());
        if (code == kShellExitShutdown) {
            AppendDeviceLog(L"boot", L"shutdown");
            EndDeviceProcesses();
            return 0;
        }
        if (code == kShellExitReboot) {
            AppendDeviceLog(L"boot", L"reset");
            quickFailures = 0;
            continue;
        }
        // The shell died: boot again, but not forever when it cannot even start.
        wchar_t text[64];
        wsprintfW(text, L"shell ended with 0x%08lX", code);
        AppendDeviceLog(L"boot", text);
        quickFailures = (GetTickCount() - started < 5000) ? quickFailures + 1 : 0;
        if (quickFailures >= 3) {
            AppendDeviceLog(L"boot", L"giving up");
            EndDeviceProcesses();
            return 1;
        }
    }
}
