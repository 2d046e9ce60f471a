// DeviceServices.exe: the device's services manager, a process of its own as on
// the device. At boot it loads every service under HKLM\Services in ascending
// "Order", calls Prefix + "_Init"(Context) on its own thread, keeps the DLL when
// "Keep" is 1 (else unloads it), signals that the services are up and stays
// alive for the services it keeps.
#include "DeviceContract.h"
#include "DeviceSupport.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace norvane::device;

namespace {

struct Service {
    std::wstring key;
    std::wstring dll;
    std::wstring prefix;
    DWORD order = 0;
    DWORD index = 0;
    DWORD context = 0;
    DWORD keep = 0;
};

std::vector<Service> ReadServices() {
    std::vector<Service> services;
    RegKey root;
    if (!root.Open(HKEY_LOCAL_MACHINE, L"Services"))
        return services;
    for (const auto& name : root.SubKeys()) {
        RegKey key;
        if (!key.Open(root.Get(), name))
            continue;
        Service s;
        s.key = name;
        if (!key.ReadString(L"Dll", s.dll) || s.dll.empty())
            continue;
        key.ReadString(L"Prefix", s.prefix);
        key.ReadDword(L"Order", s.order);
        key.ReadDword(L"Index", s.index);
        key.ReadDword(L"Context", s.context);
        key.ReadDword(L"Keep", s.keep);
        services.push_back(s);
    }
    std::stable_sort(services.begin(), services.end(),
                     [](const Service& a, const Service& b) { return a.order < b.order; });
    return services;
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text)
        result.push_back(c < 128 ? static_cast<char>(c) : '?');
    return result;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetCurrentDirectoryW(L"C:\\");
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, kServicesReadyEvent));
    std::vector<HMODULE> kept;
    for (const auto& s : ReadServices()) {
        // A DLL renamed by safe mode ("..._nv_disable") no longer loads: skipped.
        HMODULE module = LoadLibraryW(DeviceToWin32Path(s.dll).c_str());
        if (!module) {
            AppendDeviceLog(L"services", L"skipped " + s.key + L" (" + s.dll + L")");
            continue;
        }
        using InitProc = DWORD(WINAPI*)(DWORD);
        auto init =
            s.prefix.empty()
                ? nullptr
                : reinterpret_cast<InitProc>(GetProcAddress(module, Narrow(s.prefix + L"_Init").c_str()));
        if (!init) {
            AppendDeviceLog(L"services", L"no " + s.prefix + L"_Init in " + s.dll);
            FreeLibrary(module);
            continue;
        }
        const DWORD handle = init(s.context);
        AppendDeviceLog(L"services", s.prefix + std::to_wstring(s.index) + L": " + s.key +
                                         L" Init returned " + std::to_wstring(handle));
        if (s.keep == 1 && handle != 0)
            kept.push_back(module);
        else
            FreeLibrary(module);
    }
    if (ready)
        SetEvent(ready.Get());
    // Services run their own threads; the manager only has to stay alive.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HMODULE module : kept)
        FreeLibrary(module);
    return 0;
}
