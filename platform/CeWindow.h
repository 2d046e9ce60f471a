// Window calls whose meaning on the device differs from the desktop's.
#pragma once

#include <windows.h>

// ShowWindow as the device has it. SW_MINIMIZE (and the other minimizing
// commands) is the device's smart minimize: the program moves to the back and
// out of sight, stays visible (it is still a running program), and the next
// program or the Today screen comes forward. The device shell's task bar does
// it; without one the desktop call minimizes as usual. Other commands are the
// desktop's. Returns whether the window was visible before.
BOOL CeShowWindow(HWND hWnd, int nCmdShow);
