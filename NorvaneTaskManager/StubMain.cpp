// A key stub: wakes the Today item by posting "NorvaneLauncherMsg" with its code
// to every top-level window, and ends. It creates no window, reads nothing and
// never waits for the item. One source, built once per hardware key: the code
// is fixed at build time (NORVANE_KEY_CODE), or taken from the command line for
// the task-manager key.
#include <windows.h>

#ifndef NORVANE_KEY_CODE
#include "StubCommandLine.h"
#endif

namespace {
// Registered before the main routine runs.
const UINT g_launcherMessage = RegisterWindowMessageW(L"NorvaneLauncherMsg");
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
#ifdef NORVANE_KEY_CODE
    const int code = NORVANE_KEY_CODE;
#else
    const int code = norvane::TaskManagerKeyCode(norvane::ArgumentsOf(GetCommandLineW()));
#endif
    if (g_launcherMessage != 0) {
        PostMessageW(HWND_BROADCAST, g_launcherMessage, static_cast<WPARAM>(code), 0);
    }
    return 0;
}
