// A small Today item for the device's system tests. Its height comes from
// HKLM Software\NorvaneDevice\TestItems\<item name> "Height" (default 40) and is
// read at every height query; it logs what reaches it to the device log as
// "testitem|<name> <event> ...", so the tests can see taps, sizes and the
// keyboard selection. "Refuse" = 1 makes it refuse the selection.
#include "DeviceSupport.h"
#include "TodayApi.h"

#include <string>

using namespace norvane::device;

namespace {

constexpr wchar_t kTestItemsKey[] = L"Software\\NorvaneDevice\\TestItems\\";
constexpr wchar_t kClassName[] = L"NorvaneTestTodayItem";

HINSTANCE g_instance = nullptr;

struct ItemState {
    std::wstring name;
    bool selected = false;
};

DWORD Setting(const std::wstring& name, const wchar_t* value, DWORD fallback) {
    return ReadRegDword(HKEY_LOCAL_MACHINE, kTestItemsKey + name, value, fallback);
}

void Log(const ItemState& state, const std::wstring& text) {
    AppendDeviceLog(L"testitem", state.name + L" " + text);
}

void Paint(HWND hwnd, HDC dc, const ItemState& state) {
    RECT client;
    GetClientRect(hwnd, &client);
    TODAYDRAWWATERMARKINFO info{dc, client, hwnd};
    if (!SendMessageW(GetParent(hwnd), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info)))
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const COLORREF text =
        static_cast<COLORREF>(SendMessageW(GetParent(hwnd), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    RECT box = client;
    InflateRect(&box, -ScaleX(4), -ScaleY(3));
    const DWORD hue =
        static_cast<DWORD>(state.name.size() * 53 + (state.name.empty() ? 0 : state.name.back()) * 31);
    HBRUSH brush =
        CreateSolidBrush(state.selected ? RGB(49, 106, 197) : RGB(120 + hue % 100, 160 + hue % 60, 230));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(40, 70, 140));
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    RoundRect(dc, box.left, box.top, box.right, box.bottom, ScaleX(8), ScaleY(8));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, state.selected ? RGB(255, 255, 255) : text);
    HFONT font = CreateFontW(-ScaleY(12), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY,
                             0, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    const std::wstring label = state.name + L"  (" + std::to_wstring(client.bottom) + L" px)";
    DrawTextW(dc, label.c_str(), -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

LRESULT CALLBACK ItemProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ItemState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_NCDESTROY:
        if (state)
            Log(*state, L"destroyed");
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete state;
        return 0;
    }
    if (!state)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
        auto* record = reinterpret_cast<TODAYLISTITEM*>(wParam);
        const DWORD height =
            static_cast<DWORD>(ScaleY(static_cast<int>(Setting(state->name, L"Height", 40))));
        if (!record || record->cyp == height)
            return FALSE;
        record->cyp = height;
        return TRUE;
    }
    case WM_TODAYCUSTOM_RECEIVEDSELECTION:
        if (Setting(state->name, L"Refuse", 0)) {
            Log(*state, L"refused " + std::to_wstring(wParam));
            return FALSE;
        }
        state->selected = true;
        Log(*state, L"selected " + std::to_wstring(wParam));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    case WM_TODAYCUSTOM_LOSTSELECTION:
        state->selected = false;
        Log(*state, L"lost");
        InvalidateRect(hwnd, nullptr, FALSE);
        return FALSE;
    case WM_TODAYCUSTOM_USERNAVIGATION:
        Log(*state, L"navigation " + std::to_wstring(wParam));
        return wParam == VK_LEFT || wParam == VK_RIGHT;
    case WM_TODAYCUSTOM_ACTION:
        Log(*state, L"action " + std::to_wstring(wParam));
        return TRUE;
    case WM_SIZE:
        Log(*state, L"size " + std::to_wstring(LOWORD(lParam)) + L" " + std::to_wstring(HIWORD(lParam)));
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        Log(*state, L"down " + std::to_wstring(static_cast<short>(LOWORD(lParam))) + L" " +
                        std::to_wstring(static_cast<short>(HIWORD(lParam))));
        return 0;
    case WM_LBUTTONUP:
        Log(*state, L"tap " + std::to_wstring(static_cast<short>(LOWORD(lParam))) + L" " +
                        std::to_wstring(static_cast<short>(HIWORD(lParam))));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(hwnd, dc, *state);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_instance = instance;
    return TRUE;
}

// Ordinal 240: the Today screen creates the item.
extern "C" HWND InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    if (!item || !item->fEnabled)
        return nullptr;
    WNDCLASSW wc{};
    if (!GetClassInfoW(g_instance, kClassName, &wc)) {
        wc.lpfnWndProc = ItemProc;
        wc.hInstance = g_instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        RegisterClassW(&wc);
    }
    auto* state = new ItemState{item->szName};
    Log(*state, L"created");
    return CreateWindowExW(0, kClassName, item->szName, WS_CHILD | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), 0, parent, nullptr, g_instance, state);
}

// Ordinal 241: the options dialog procedure (the test item has no options).
extern "C" BOOL CustomItemOptionsDlgProc(HWND, UINT, UINT, LONG) {
    return FALSE;
}
