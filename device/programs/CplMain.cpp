// "\Windows\cplmain.cpl": the device's main control-panel module, with the
// seventeen applets the platform has (3 is power, 4 memory).
#include "DeviceSupport.h"

#include <cpl.h>

using namespace norvane::device;

namespace {

HINSTANCE g_instance = nullptr;

constexpr const wchar_t* kApplets[] = {L"Owner Information",
                                       L"Password",
                                       L"Sounds & Notifications",
                                       L"Power",
                                       L"Memory",
                                       L"About",
                                       L"Backlight",
                                       L"Clock & Alarms",
                                       L"Regional Settings",
                                       L"Remove Programs",
                                       L"Screen",
                                       L"Buttons",
                                       L"Input",
                                       L"Menus",
                                       L"Today",
                                       L"Certificates",
                                       L"Error Reporting"};
constexpr int kAppletCount = sizeof kApplets / sizeof kApplets[0];

// Each applet has its own icon: resources 100 to 116, in the applets' order.
int IconOf(int applet) {
    return 100 + applet;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_instance = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM lParam1, LPARAM lParam2) {
    switch (message) {
    case CPL_INIT:
        return TRUE;
    case CPL_GETCOUNT:
        return kAppletCount;
    case CPL_INQUIRE: {
        if (lParam1 < 0 || lParam1 >= kAppletCount || !lParam2)
            return 1;
        auto* info = reinterpret_cast<CPLINFO*>(lParam2);
        info->idIcon = IconOf(static_cast<int>(lParam1));
        info->idName = 0;
        info->idInfo = 0;
        info->lData = lParam1;
        return 0;
    }
    case CPL_NEWINQUIRE: {
        if (lParam1 < 0 || lParam1 >= kAppletCount || !lParam2)
            return 1;
        auto* info = reinterpret_cast<NEWCPLINFOW*>(lParam2);
        info->dwSize = sizeof *info;
        info->dwFlags = 0;
        info->dwHelpContext = 0;
        info->lData = lParam1;
        info->hIcon =
            static_cast<HICON>(LoadImageW(g_instance, MAKEINTRESOURCEW(IconOf(static_cast<int>(lParam1))),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        lstrcpynW(info->szName, kApplets[lParam1], 32);
        lstrcpynW(info->szInfo, kApplets[lParam1], 64);
        info->szHelpFile[0] = 0;
        return 0;
    }
    case CPL_DBLCLK:
        if (lParam1 < 0 || lParam1 >= kAppletCount)
            return 1;
        AppendDeviceLog(L"cplmain.cpl", L"open " + std::to_wstring(lParam1) + L" " + kApplets[lParam1]);
        return 0;
    case CPL_STOP:
    case CPL_EXIT:
        return 0;
    }
    return 0;
}
