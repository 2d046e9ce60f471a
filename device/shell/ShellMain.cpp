// DeviceShell.exe: the simulated Pocket PC's shell process.
#include "DeviceShell.h"

#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    {
        norvane::device::DeviceShell shell;
        code = shell.Run();
    }
    CoUninitialize();
    return code;
}
