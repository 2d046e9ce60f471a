// DeviceServices.exe: the device's services manager, a process of its own as on
// the device. At boot it loads every service under HKLM\Services in ascending
// "Order", calls Prefix + "_Init"(Context) on its own thread, keeps the DLL when
// "Keep" is 1 and Init returned a handle (else unloads it), signals that the
// services are up and stays alive for the services it keeps. A kept service is
// known by its instance name, Prefix + Index + ":"; GetServiceHandle looks it up
// and DeregisterService stops it (Prefix + "_Deinit", then the DLL is unloaded,
// after the deregistering thread of this process has left it).
#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "Window.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace norvane::device;

namespace {

using InitProc = DWORD(WINAPI*)(DWORD);
using DeinitProc = BOOL(WINAPI*)(DWORD);

// Posted to the manager's own window: unload the service with this handle.
constexpr UINT kUnloadMessage = WM_APP + 1;
constexpr size_t kMaxWaits = MAXIMUM_WAIT_OBJECTS - 1;

struct Service {
    std::wstring key;
    std::wstring dll;
    std::wstring prefix;
    DWORD order = 0;
    DWORD index = 0;
    DWORD context = 0;
    DWORD keep = 0;
    // While it runs:
    HMODULE module = nullptr;
    DWORD initHandle = 0;
    DWORD handle = 0; // what GetServiceHandle answers; 0 once deregistered

    std::wstring Instance() const { return prefix + std::to_wstring(index) + L":"; }
};

// One service's values as they are now; false when it has no DLL.
bool ReadService(const std::wstring& name, Service& s) {
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, L"Services\\" + name))
        return false;
    s = Service{};
    s.key = name;
    if (!key.ReadString(L"Dll", s.dll) || s.dll.empty())
        return false;
    key.ReadString(L"Prefix", s.prefix);
    key.ReadDword(L"Order", s.order);
    key.ReadDword(L"Index", s.index);
    key.ReadDword(L"Context", s.context);
    key.ReadDword(L"Keep", s.keep);
    return true;
}

std::vector<Service> ReadServices() {
    std::vector<Service> services;
    RegKey root;
    if (!root.Open(HKEY_LOCAL_MACHINE, L"Services"))
        return services;
    for (const auto& name : root.SubKeys()) {
        Service s;
        if (ReadService(name, s))
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

class ServicesManager : public Window {
public:
    bool Create() {
        if (!RegisterWindowClass(kServicesWindowClass, 0, nullptr))
            return false;
        // Hidden and untitled: no program list or task bar ever shows it.
        return CreateWindowFor(kServicesWindowClass, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
    }

    void StartServices() {
        // In the order of the start, but each read again just before it loads: a
        // service that comes first (the safe-mode service, Order 0) may switch
        // the DLLs of the later ones back on.
        for (const auto& listed : ReadServices()) {
            Service s;
            if (ReadService(listed.key, s))
                Start(s);
        }
    }

    // Runs until WM_QUIT, unloading deregistered services once their threads end.
    void Run() {
        while (true) {
            std::vector<HANDLE> waits;
            for (const auto& pending : m_pending)
                waits.push_back(pending.thread.Get());
            const DWORD count = static_cast<DWORD>(std::min(waits.size(), kMaxWaits));
            const DWORD result = MsgWaitForMultipleObjects(count, waits.empty() ? nullptr : waits.data(),
                                                           FALSE, INFINITE, QS_ALLINPUT);
            if (result < WAIT_OBJECT_0 + count) {
                Service* service = m_pending[result - WAIT_OBJECT_0].service;
                m_pending.erase(m_pending.begin() + (result - WAIT_OBJECT_0));
                Unload(service);
                continue;
            }
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT)
                    return;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }

    void UnloadAll() {
        for (auto& s : m_running)
            Unload(s.get());
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COPYDATA) {
            const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (copy->dwData == kCopyDataGetService)
                return LookUp(copy);
            if (copy->dwData == kCopyDataDeregisterService && copy->cbData == sizeof(ServiceDeregistration))
                return Deregister(*static_cast<const ServiceDeregistration*>(copy->lpData)) ? 1 : 0;
            return 0;
        }
        if (message == kUnloadMessage) {
            for (auto& s : m_running)
                if (reinterpret_cast<WPARAM>(s.get()) == wParam)
                    Unload(s.get());
            return 0;
        }
        return Window::HandleMessage(message, wParam, lParam);
    }

private:
    struct PendingUnload {
        Service* service;
        UniqueHandle thread;
    };

    void Start(Service& s) {
        // A DLL renamed by safe mode ("..._nv_disable") no longer loads: skipped.
        HMODULE module = LoadLibraryW(DeviceToWin32Path(s.dll).c_str());
        if (!module) {
            AppendDeviceLog(L"services", L"skipped " + s.key + L" (" + s.dll + L")");
            return;
        }
        // A prefix that names no exports ("NV_" for "NVG") leaves the service off.
        auto init =
            s.prefix.empty()
                ? nullptr
                : reinterpret_cast<InitProc>(GetProcAddress(module, Narrow(s.prefix + L"_Init").c_str()));
        if (!init) {
            AppendDeviceLog(L"services", L"no " + s.prefix + L"_Init in " + s.dll);
            FreeLibrary(module);
            return;
        }
        const DWORD initHandle = init(s.context);
        AppendDeviceLog(L"services", s.Instance().substr(0, s.Instance().size() - 1) + L": " + s.key +
                                         L" Init returned " + std::to_wstring(initHandle));
        if (s.keep != 1 || initHandle == 0) {
            FreeLibrary(module);
            return;
        }
        auto running = std::make_unique<Service>(s);
        running->module = module;
        running->initHandle = initHandle;
        running->handle = m_nextHandle++;
        m_running.push_back(std::move(running));
    }

    Service* Find(DWORD handle) {
        for (auto& s : m_running)
            if (handle != 0 && s->handle == handle)
                return s.get();
        return nullptr;
    }

    LRESULT LookUp(const COPYDATASTRUCT* copy) {
        const size_t length = copy->cbData / sizeof(wchar_t);
        if (length == 0)
            return 0;
        std::wstring name(static_cast<const wchar_t*>(copy->lpData), length);
        name.resize(wcsnlen(name.c_str(), length));
        for (auto& s : m_running)
            if (s->handle != 0 && LowerCase(s->Instance()) == LowerCase(name))
                return static_cast<LRESULT>(s->handle);
        return 0;
    }

    bool Deregister(const ServiceDeregistration& request) {
        Service* s = Find(static_cast<DWORD>(request.handle));
        if (!s)
            return false;
        AppendDeviceLog(L"services", s->Instance() + L" deregistered");
        // Not found by name any more, from now on.
        s->handle = 0;
        if (request.processId == GetCurrentProcessId() && request.threadId != GetCurrentThreadId()) {
            // The service's own thread asks from inside the DLL: unload once it has left.
            UniqueHandle thread(OpenThread(SYNCHRONIZE, FALSE, request.threadId));
            if (!thread || m_pending.size() >= kMaxWaits) {
                AppendDeviceLog(L"services", s->Instance() + L" stays loaded (cannot wait for its thread)");
                return true;
            }
            m_pending.push_back(PendingUnload{s, std::move(thread)});
            return true;
        }
        // Asked from this thread (or from elsewhere): once the caller is done.
        PostMessageW(m_hwnd, kUnloadMessage, reinterpret_cast<WPARAM>(s), 0);
        return true;
    }

    void Unload(Service* s) {
        if (!s->module)
            return;
        if (auto deinit = reinterpret_cast<DeinitProc>(
                GetProcAddress(s->module, Narrow(s->prefix + L"_Deinit").c_str())))
            deinit(s->initHandle);
        FreeLibrary(s->module);
        s->module = nullptr;
        s->handle = 0;
        AppendDeviceLog(L"services", s->Instance() + L" unloaded");
    }

    std::vector<std::unique_ptr<Service>> m_running;
    std::vector<PendingUnload> m_pending;
    DWORD m_nextHandle = 0x4E560001;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetCurrentDirectoryW(L"C:\\");
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, kServicesReadyEvent));
    ServicesManager manager;
    if (!manager.Create())
        AppendDeviceLog(L"services", L"no manager window: " + Window::LastFailure());
    manager.StartServices();
    if (ready)
        SetEvent(ready.Get());
    // Services run their own threads; the manager stays alive for them.
    manager.Run();
    manager.UnloadAll();
    return 0;
}
