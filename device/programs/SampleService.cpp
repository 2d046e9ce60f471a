// The device's sample services: one DLL serving several stream-interface
// prefixes, each of whose Init logs that it ran and returns a handle.
#include "DeviceSupport.h"

#include <string>

using namespace norvane::device;

namespace {
DWORD Init(const wchar_t* prefix, DWORD context) {
    AppendDeviceLog(L"service", std::wstring(prefix) + L"_Init " + std::to_wstring(context));
    return 0x1000 + context;
}
} // namespace

#define SERVICE_ENTRIES(P)                                                                                   \
    extern "C" __declspec(dllexport) DWORD WINAPI P##_Init(DWORD context) {                                  \
        return Init(L## #P, context);                                                                        \
    }                                                                                                        \
    extern "C" __declspec(dllexport) BOOL WINAPI P##_Deinit(DWORD) {                                         \
        return TRUE;                                                                                         \
    }

SERVICE_ENTRIES(BAG)
SERVICE_ENTRIES(NFY)
SERVICE_ENTRIES(CRD)
SERVICE_ENTRIES(LAS)
SERVICE_ENTRIES(GPX)
