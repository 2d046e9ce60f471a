// The services manager's calls (service.h): a service looks up its own
// instance by name and deregisters itself, after which the manager calls the
// service's Deinit and unloads its DLL. On the device the manager is the
// process DeviceServices.exe; these calls reach its window.
#pragma once

#include <windows.h>

// The handle of a loaded service instance named by its prefix and index with a
// colon ("NVG0:"), or INVALID_HANDLE_VALUE when no such service is loaded (or
// no services manager runs). szDllName and pdwDllBuf must be NULL: the device's
// manager does not report the DLL's name.
HANDLE GetServiceHandle(LPWSTR szPrefix, LPWSTR szDllName, DWORD* pdwDllBuf);

// Stops a service: the manager forgets the handle, calls the service's Deinit
// and unloads its DLL. When the calling thread belongs to the manager's process
// (a service deregistering itself from its own thread), the DLL is unloaded
// only after that thread has ended, so that the thread can return through the
// DLL's code. FALSE for an unknown handle.
BOOL DeregisterService(HANDLE hDevice);
