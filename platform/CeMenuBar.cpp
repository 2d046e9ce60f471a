// An application's soft-key bar, drawn and run by the program itself.
#include "CeMenuBar.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace {

constexpr wchar_t kBarClass[] = L"NorvaneSoftKeyBar";
// Posted to itself when the bar was activated: the activation goes on to its owner.
constexpr UINT kPassActivation = WM_APP + 1;

struct Bar {
    HWND owner = nullptr;
    HMENU menu = nullptr;
    COLORREF background = CLR_INVALID;
    int pressed = -1;
};

constexpr UINT_PTR kOwnerSubclass = 0x4E564D42; // "NVMB"

// The bar comes to the front with its owner: when the owner is activated or
// raised, the bar is put on top again (after the owner's own raising is done).
void PlaceOverOwner(HWND bar, HWND owner) {
    if (IsWindow(bar) && (GetForegroundWindow() == owner || GetActiveWindow() == owner)) {
        SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
}

// Placed once the owner's own activation and raising are done.
constexpr UINT kPlaceMessage = WM_APP + 0x3E1;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    HWND bar = reinterpret_cast<HWND>(data);
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_ACTIVATE:
    case WM_SHOWWINDOW:
        PostMessageW(bar, kPlaceMessage, 0, 0);
        break;
    case WM_WINDOWPOSCHANGED:
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & (SWP_NOZORDER | SWP_SHOWWINDOW)) !=
            SWP_NOZORDER) {
            PostMessageW(bar, kPlaceMessage, 0, 0);
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, OwnerProc, kOwnerSubclass);
        break;
    default:
        break;
    }
    return result;
}

Bar* BarOf(HWND hwnd) {
    return reinterpret_cast<Bar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int KeyCount(const Bar& bar) {
    return bar.menu != nullptr ? std::max(GetMenuItemCount(bar.menu), 0) : 0;
}

RECT KeyRect(HWND hwnd, const Bar& bar, int index) {
    RECT client;
    GetClientRect(hwnd, &client);
    int count = std::max(KeyCount(bar), 1);
    int width = client.right / count;
    RECT key{index * width, 0, index == count - 1 ? client.right : (index + 1) * width, client.bottom};
    return key;
}

void Paint(HWND hwnd, HDC dc, const Bar& bar) {
    RECT client;
    GetClientRect(hwnd, &client);
    COLORREF back = bar.background != CLR_INVALID ? bar.background : GetSysColor(COLOR_MENU);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    RECT line{0, 0, client.right, 1};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < KeyCount(bar); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(bar.menu, i, text, 128, MF_BYPOSITION);
        RECT key = KeyRect(hwnd, bar, i);
        if (i == bar.pressed) {
            FillRect(dc, &key, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(dc, GetSysColor((GetMenuState(bar.menu, i, MF_BYPOSITION) & MF_GRAYED)
                                             ? COLOR_GRAYTEXT
                                             : COLOR_MENUTEXT));
        }
        DrawTextW(dc, text, -1, &key, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX);
    }
    SelectObject(dc, oldFont);
}

// A key was released: run its command or open its popup above it.
void Activate(HWND hwnd, Bar& bar, int index) {
    if (index < 0 || index >= KeyCount(bar) || (GetMenuState(bar.menu, index, MF_BYPOSITION) & MF_GRAYED)) {
        return;
    }
    HMENU popup = GetSubMenu(bar.menu, index);
    if (popup == nullptr) {
        PostMessageW(bar.owner, WM_COMMAND, MAKEWPARAM(GetMenuItemID(bar.menu, index), 0),
                     reinterpret_cast<LPARAM>(hwnd));
        return;
    }
    RECT key = KeyRect(hwnd, bar, index);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&key), 2);
    const bool rightHalf = key.left >= GetSystemMetrics(SM_CXSCREEN) / 2;
    UINT align = TPM_BOTTOMALIGN | (rightHalf ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    bar.pressed = index;
    InvalidateRect(hwnd, nullptr, FALSE);
    UINT command =
        static_cast<UINT>(TrackPopupMenuEx(popup, align | TPM_RETURNCMD | TPM_NONOTIFY,
                                           rightHalf ? key.right : key.left, key.top, bar.owner, nullptr));
    bar.pressed = -1;
    InvalidateRect(hwnd, nullptr, FALSE);
    if (command != 0) {
        PostMessageW(bar.owner, WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(hwnd));
    }
}

int KeyAt(HWND hwnd, const Bar& bar, POINT point) {
    for (int i = 0; i < KeyCount(bar); ++i) {
        RECT key = KeyRect(hwnd, bar, i);
        if (PtInRect(&key, point)) {
            return i;
        }
    }
    return -1;
}

// A key's popup by the key's position or command id (a popup key of a plain
// menu resource has no id of its own, so its position names it).
HMENU SubMenuFor(const Bar& bar, LPARAM which) {
    for (int i = 0; i < KeyCount(bar); ++i) {
        HMENU popup = GetSubMenu(bar.menu, i);
        if (popup != nullptr && (i == which || static_cast<LPARAM>(GetMenuItemID(bar.menu, i)) == which)) {
            return popup;
        }
    }
    return nullptr;
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Bar* bar = BarOf(hwnd);
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ACTIVATE:
        // A menu bar never keeps the activation (the system gives it one when
        // the window in front of its owner goes away): it belongs to the owner.
        if (LOWORD(wParam) != WA_INACTIVE && bar != nullptr) {
            PostMessageW(hwnd, kPassActivation, 0, 0);
        }
        break;
    case kPassActivation:
        if (bar != nullptr && IsWindowEnabled(bar->owner) && GetForegroundWindow() == hwnd) {
            SetForegroundWindow(bar->owner);
        }
        return 0;
    case WM_SETTINGCHANGE: {
        // The screen turned (or changed size): the bar stays across the bottom.
        const int height = GetSystemMetrics(SM_CYMENU);
        SetWindowPos(hwnd, nullptr, 0, GetSystemMetrics(SM_CYSCREEN) - height, GetSystemMetrics(SM_CXSCREEN),
                     height, SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (bar == nullptr) {
            break;
        }
        PAINTSTRUCT ps;
        HDC dc = message == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wParam);
        Paint(hwnd, dc, *bar);
        if (message == WM_PAINT) {
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (bar != nullptr) {
            bar->pressed = KeyAt(
                hwnd, *bar, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (bar != nullptr && GetCapture() == hwnd) {
            ReleaseCapture();
            int pressed = bar->pressed;
            bar->pressed = -1;
            InvalidateRect(hwnd, nullptr, FALSE);
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (pressed >= 0 && KeyAt(hwnd, *bar, point) == pressed) {
                Activate(hwnd, *bar, pressed);
            }
        }
        return 0;
    case kPlaceMessage:
        if (bar != nullptr) {
            PlaceOverOwner(hwnd, bar->owner);
        }
        return 0;
    case SHCMBM_GETMENU:
        return bar != nullptr ? reinterpret_cast<LRESULT>(bar->menu) : 0;
    case SHCMBM_GETSUBMENU:
        return bar != nullptr ? reinterpret_cast<LRESULT>(SubMenuFor(*bar, lParam)) : 0;
    case WM_NCDESTROY:
        if (bar != nullptr) {
            if (IsWindow(bar->owner)) {
                RemoveWindowSubclass(bar->owner, OwnerProc, kOwnerSubclass);
            }
            // The window owns its state since SHCreateMenuBar handed it over.
            std::unique_ptr<Bar> owned(bar);
            if (owned->menu != nullptr) {
                DestroyMenu(owned->menu);
            }
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* pmbi) {
    if (pmbi == nullptr || pmbi->cbSize < sizeof(SHMENUBARINFO) || !IsWindow(pmbi->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pmbi->hwndMB = nullptr;
    static const ATOM kClass = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = BarProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kBarClass;
        return RegisterClassW(&wc);
    }();
    if (kClass == 0) {
        return FALSE;
    }
    HMENU menu = nullptr;
    if (pmbi->dwFlags & SHCMBF_HMENU) {
        menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(pmbi->nToolBarId));
        if (!IsMenu(menu)) {
            return FALSE;
        }
    } else if ((pmbi->dwFlags & SHCMBF_EMPTYBAR) == 0) {
        menu = LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(pmbi->nToolBarId));
        if (menu == nullptr) {
            return FALSE;
        }
    }
    auto bar = std::make_unique<Bar>();
    bar->owner = pmbi->hwndParent;
    bar->menu = menu;
    if (pmbi->dwFlags & SHCMBF_COLORBK) {
        bar->background = pmbi->clrBk;
    }
    int height = GetSystemMetrics(SM_CYMENU);
    DWORD style = WS_POPUP | ((pmbi->dwFlags & SHCMBF_HIDDEN) ? 0 : WS_VISIBLE);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kBarClass, L"", style, 0,
                                GetSystemMetrics(SM_CYSCREEN) - height, GetSystemMetrics(SM_CXSCREEN), height,
                                pmbi->hwndParent, nullptr, GetModuleHandleW(nullptr), bar.get());
    if (hwnd == nullptr) {
        if (menu != nullptr) {
            DestroyMenu(menu);
        }
        return FALSE;
    }
    bar.release(); // the window frees it at WM_NCDESTROY
    SetWindowSubclass(pmbi->hwndParent, OwnerProc, kOwnerSubclass, reinterpret_cast<DWORD_PTR>(hwnd));
    PlaceOverOwner(hwnd, pmbi->hwndParent);
    PostMessageW(hwnd, kPlaceMessage, 0, 0);
    pmbi->hwndMB = hwnd;
    return TRUE;
}
