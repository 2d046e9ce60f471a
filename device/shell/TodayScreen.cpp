#include "TodayScreen.h"

#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "ShellHost.h"
#include "Theme.h"

#include <algorithm>

namespace norvane::device {

namespace {

constexpr wchar_t kTodayKey[] = L"Software\\Microsoft\\Today";
constexpr wchar_t kItemsKey[] = L"Software\\Microsoft\\Today\\Items";
constexpr UINT_PTR kHeightPollTimer = 1;
constexpr DWORD kDefaultHeightPollMs = 2000;
constexpr UINT_PTR kClockTimer = 2;
// A refresh that waits for an item's own loop (its menu, its message box) to end.
constexpr UINT_PTR kDeferredRefreshTimer = 3;
constexpr UINT kDeferredRefreshMs = 50;

bool HasHeight(DWORD cyp) {
    return cyp != 0 && cyp != static_cast<DWORD>(-1);
}

} // namespace

// One loaded Today item. The record lives as long as the item, because the item
// keeps its address.
struct TodayScreen::Item {
    ItemEntry entry;
    TODAYLISTITEM record{};
    HMODULE module = nullptr;
    HWND window = nullptr;
};

TodayScreen::TodayScreen(ShellHost& host) : m_host(host) {}

TodayScreen::~TodayScreen() {
    UnloadItems();
}

bool TodayScreen::Create(const RECT& area) {
    m_resetMessage = RegisterWindowMessageW(kResetMessage);
    m_powerOffMessage = RegisterWindowMessageW(kPowerOffMessage);
    m_shutdownMessage = RegisterWindowMessageW(kShutdownMessage);
    m_rotateMessage = RegisterWindowMessageW(kRotateMessage);
    m_settledMessage = RegisterWindowMessageW(kSettledQueryMessage);
    if (!RegisterWindowClass(kTodayClass, CS_DBLCLKS, nullptr))
        return false;
    if (!CreateWindowFor(kTodayClass, kTodayTitle, WS_POPUP | WS_CLIPCHILDREN, 0, area.left, area.top,
                         area.right - area.left, area.bottom - area.top, nullptr))
        return false;
    // About every two seconds, as on the device; tests may ask for another period.
    const DWORD poll = ReadRegDword(HKEY_LOCAL_MACHINE, kStateKey, kHeightPollMs, kDefaultHeightPollMs);
    SetTimer(m_hwnd, kHeightPollTimer, poll ? poll : kDefaultHeightPollMs, nullptr);
    SetTimer(m_hwnd, kClockTimer, 30000, nullptr);
    return true;
}

void TodayScreen::Reposition(const RECT& area) {
    SetWindowPos(m_hwnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Items are as wide as the screen; their heights may depend on it.
    Layout();
    QueryHeights(true);
}

int TodayScreen::DateRowHeight() const {
    return m_showDate ? ScaleY(22) : 0;
}

std::vector<TodayScreen::ItemEntry> TodayScreen::ReadItemList() const {
    std::vector<ItemEntry> list;
    RegKey items;
    if (!items.Open(HKEY_LOCAL_MACHINE, kItemsKey))
        return list;
    for (const auto& name : items.SubKeys()) {
        RegKey key;
        if (!key.Open(items.Get(), name))
            continue;
        DWORD type = 0;
        ItemEntry entry;
        entry.name = name;
        if (!key.ReadDword(L"Type", type) || type != tlitCustom || !key.ReadString(L"DLL", entry.dll) ||
            entry.dll.empty())
            continue;
        key.ReadDword(L"Order", entry.order);
        key.ReadDword(L"Enabled", entry.enabled);
        key.ReadDword(L"Options", entry.options);
        key.ReadDword(L"Selectability", entry.selectability);
        list.push_back(entry);
    }
    std::stable_sort(list.begin(), list.end(), [](const ItemEntry& a, const ItemEntry& b) {
        return a.order != b.order ? a.order < b.order : LowerCase(a.name) < LowerCase(b.name);
    });
    return list;
}

void TodayScreen::LoadItems() {
    RefreshItemList();
}

void TodayScreen::UnloadItems() {
    ClearSelection();
    for (auto& item : m_items)
        UnloadItem(*item);
    m_items.clear();
}

bool TodayScreen::LoadItem(Item& item) {
    TODAYLISTITEM& r = item.record;
    r = TODAYLISTITEM{};
    lstrcpynW(r.szName, item.entry.name.c_str(), MAX_ITEMNAME);
    r.tlit = tlitCustom;
    r.dwOrder = item.entry.order;
    r.fEnabled = item.entry.enabled != 0;
    r.fOptions = item.entry.options != 0;
    lstrcpynW(r.szDLLPath, item.entry.dll.c_str(), MAX_PATH);
    item.module = LoadLibraryW(DeviceToWin32Path(item.entry.dll).c_str());
    if (!item.module) {
        AppendDeviceLog(L"today", L"cannot load " + item.entry.dll);
        return false;
    }
    r.hinstDLL = item.module;
    auto init = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
        GetProcAddress(item.module, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM)));
    if (!init) {
        AppendDeviceLog(L"today", L"no ordinal 240 in " + item.entry.dll);
        return true; // kept loaded so that a later refresh does not retry every time
    }
    HWND window = init(&r, m_hwnd);
    // The item may have been asked to go away while it was starting.
    item.window = (window && IsWindow(window)) ? window : nullptr;
    r.hwndCustom = item.window;
    return true;
}

void TodayScreen::UnloadItem(Item& item) {
    if (item.window && IsWindow(item.window))
        DestroyWindow(item.window);
    item.window = nullptr;
    item.record.hwndCustom = nullptr;
    if (item.module)
        FreeLibrary(item.module);
    item.module = nullptr;
}

bool TodayScreen::RefreshUnloadsAnItem() const {
    const auto list = ReadItemList();
    for (const auto& item : m_items) {
        if (!item || !item->module)
            continue;
        const bool kept = std::any_of(list.begin(), list.end(), [&](const ItemEntry& e) {
            return LowerCase(e.name) == LowerCase(item->entry.name) &&
                   LowerCase(e.dll) == LowerCase(item->entry.dll) && e.enabled == item->entry.enabled &&
                   e.options == item->entry.options;
        });
        if (!kept)
            return true;
    }
    return false;
}

void TodayScreen::RefreshItemList() {
    if (m_refreshDepth > 0) {
        // Re-entered from an item's own handler: finish the running pass first,
        // then read the list once more.
        m_refreshPending = true;
        return;
    }
    ++m_refreshDepth;
    do {
        m_refreshPending = false;
        m_showDate = ReadRegDword(HKEY_LOCAL_MACHINE, kTodayKey, L"Date", 1) != 0;
        const auto list = ReadItemList();
        ClearSelection();
        // Let go of items whose entry is gone or changed, so that their DLL files
        // can be replaced as soon as the 0xF2 message returns.
        for (auto it = m_items.begin(); it != m_items.end();) {
            const Item& item = **it;
            auto match = std::find_if(list.begin(), list.end(), [&](const ItemEntry& e) {
                return LowerCase(e.name) == LowerCase(item.entry.name) &&
                       LowerCase(e.dll) == LowerCase(item.entry.dll) && e.enabled == item.entry.enabled &&
                       e.options == item.entry.options;
            });
            if (match == list.end()) {
                UnloadItem(**it);
                it = m_items.erase(it);
            } else {
                ++it;
            }
        }
        std::vector<std::unique_ptr<Item>> ordered;
        for (const auto& entry : list) {
            auto existing = std::find_if(m_items.begin(), m_items.end(), [&](const auto& item) {
                return item && LowerCase(item->entry.name) == LowerCase(entry.name);
            });
            if (existing != m_items.end()) {
                (*existing)->entry = entry;
                ordered.push_back(std::move(*existing));
                continue;
            }
            auto item = std::make_unique<Item>();
            item->entry = entry;
            if (LoadItem(*item))
                ordered.push_back(std::move(item));
        }
        m_items = std::move(ordered);
    } while (m_refreshPending);
    --m_refreshDepth;
    QueryHeights(true);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void TodayScreen::QueryHeights(bool forceLayout) {
    if (m_refreshDepth > 0) {
        // Asked from inside a pass over the items: the running pass lays out.
        return;
    }
    ++m_refreshDepth;
    bool changed = forceLayout;
    for (size_t i = 0; i < m_items.size(); ++i) {
        Item& item = *m_items[i];
        if (!item.window || !IsWindow(item.window))
            continue;
        if (SendMessageW(item.window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                         reinterpret_cast<WPARAM>(&item.record), 0))
            changed = true;
        // A handler may have unloaded items (0xF2 sent from inside); stop here.
        if (i >= m_items.size())
            break;
    }
    if (changed)
        Layout();
    m_lastQueryChanged = changed;
    --m_refreshDepth;
    // An item asked for a new list while we were talking to it.
    if (m_refreshPending)
        RefreshItemList();
}

void TodayScreen::Layout() {
    if (!m_hwnd)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    int y = DateRowHeight();
    for (auto& item : m_items) {
        if (!item->window || !IsWindow(item->window))
            continue;
        const int height = HasHeight(item->record.cyp) ? static_cast<int>(item->record.cyp) : 0;
        SetWindowPos(item->window, nullptr, 0, y, client.right, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | (height > 0 ? SWP_SHOWWINDOW : 0));
        y += height;
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void TodayScreen::Paint(HDC dc, const RECT& update) {
    RECT client;
    GetClientRect(m_hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(m_hwnd, &origin);
    const Theme& theme = m_host.GetTheme();
    theme.PaintBackground(dc, client, origin);
    if (m_showDate) {
        wchar_t date[128] = L"";
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, 128);
        HFONT font = CreateFontW(-ScaleY(12), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                 CLEARTYPE_QUALITY, 0, L"Tahoma");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, theme.TextColor());
        RECT row{ScaleX(6), 0, client.right - ScaleX(4), DateRowHeight()};
        DrawTextW(dc, date, -1, &row, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(font);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(115, 142, 239));
        old = SelectObject(dc, pen);
        MoveToEx(dc, ScaleX(4), DateRowHeight() - 1, nullptr);
        LineTo(dc, client.right - ScaleX(4), DateRowHeight() - 1);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

bool TodayScreen::IsSettled() {
    // Work still queued for this thread: an item's start-up timer, a posted
    // reload, a window that has yet to paint.
    if (HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_INPUT)) != 0)
        return false;
    if (m_refreshDepth > 0)
        return false;
    // Ask now rather than at the next poll: an item that changed its mind is
    // re-stacked at once, and the screen has settled only once none does.
    QueryHeights(false);
    return !m_lastQueryChanged;
}

int TodayScreen::ItemIndexOfWindow(HWND hwnd) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->window && (m_items[i]->window == hwnd || IsChild(m_items[i]->window, hwnd)))
            return static_cast<int>(i);
    return -1;
}

bool TodayScreen::OfferSelection(int from, int step, UINT vk) {
    for (int i = from; i >= 0 && i < static_cast<int>(m_items.size()); i += step) {
        Item& item = *m_items[i];
        if (item.entry.selectability != 2 || !item.window || !IsWindow(item.window) ||
            !HasHeight(item.record.cyp))
            continue;
        if (SendMessageW(item.window, WM_TODAYCUSTOM_RECEIVEDSELECTION, vk, 0)) {
            m_selected = i;
            return true;
        }
    }
    return false;
}

void TodayScreen::ClearSelection() {
    if (m_selected >= 0 && m_selected < static_cast<int>(m_items.size())) {
        HWND window = m_items[m_selected]->window;
        m_selected = -1;
        if (window && IsWindow(window))
            SendMessageW(window, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    }
    m_selected = -1;
}

void TodayScreen::OnKey(UINT vk) {
    const int count = static_cast<int>(m_items.size());
    if (m_selected >= count)
        m_selected = -1;
    if (m_selected < 0) {
        if (vk == VK_DOWN)
            OfferSelection(0, 1, vk);
        else if (vk == VK_UP)
            OfferSelection(count - 1, -1, vk);
        return;
    }
    HWND window = m_items[m_selected]->window;
    if (!window || !IsWindow(window)) {
        m_selected = -1;
        return;
    }
    if (vk == VK_RETURN) {
        SendMessageW(window, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
        return;
    }
    if (SendMessageW(window, WM_TODAYCUSTOM_USERNAVIGATION, vk, 0))
        return;
    if (vk != VK_UP && vk != VK_DOWN)
        return;
    // The item lets the selection go: pass it to the neighbour in that direction.
    const int step = vk == VK_DOWN ? 1 : -1;
    const int from = m_selected + step;
    SendMessageW(window, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    m_selected = -1;
    OfferSelection(from, step, vk);
}

LRESULT TodayScreen::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == m_resetMessage) {
        m_host.OnReset();
        return 0;
    }
    if (message != 0 && message == m_powerOffMessage) {
        m_host.OnPowerOff();
        return 0;
    }
    if (message != 0 && message == m_shutdownMessage) {
        m_host.OnShutdown();
        return 0;
    }
    if (message != 0 && message == m_rotateMessage)
        return m_host.OnRotate(static_cast<DWORD>(wParam)) ? 1 : 0;
    if (message != 0 && message == m_settledMessage)
        return IsSettled() ? 1 : 0;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc, ps.rcPaint);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(m_hwnd, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case TODAYM_DRAWWATERMARK: {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        if (!info || !info->hdc)
            return FALSE;
        // The background under the screen rectangle of the asking window, so
        // that popups outside the Today area match what lies beneath them.
        POINT origin{0, 0};
        if (info->hwnd && IsWindow(info->hwnd)) {
            ClientToScreen(info->hwnd, &origin);
        } else {
            ClientToScreen(m_hwnd, &origin);
        }
        origin.x += info->rc.left;
        origin.y += info->rc.top;
        m_host.GetTheme().PaintBackground(info->hdc, info->rc, origin);
        return TRUE;
    }
    case TODAYM_GETCOLOR:
        return static_cast<LRESULT>(m_host.GetTheme().TodayColor(wParam));
    case WM_SETTINGCHANGE:
        if (wParam == TODAY_SETTINGCHANGE_CODE) {
            // An item's library cannot go while one of its loops runs below us
            // (its menu, its message box): the menu is closed and the refresh
            // comes back once the loop has returned to the shell's own.
            if (m_host.InNestedLoop(m_hwnd, message, wParam) && RefreshUnloadsAnItem()) {
                EndMenu();
                SetTimer(m_hwnd, kDeferredRefreshTimer, kDeferredRefreshMs, nullptr);
                return 0;
            }
            KillTimer(m_hwnd, kDeferredRefreshTimer);
            RefreshItemList();
            InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kDeferredRefreshTimer) {
            // Timers reach us through nested loops too: wait for the shell's own.
            if (!m_host.InNestedLoop(m_hwnd, message, wParam)) {
                KillTimer(m_hwnd, kDeferredRefreshTimer);
                RefreshItemList();
                InvalidateRect(m_hwnd, nullptr, FALSE);
            }
        } else if (wParam == kHeightPollTimer)
            QueryHeights(false);
        else if (wParam == kClockTimer && m_showDate) {
            RECT row{0, 0, 4096, DateRowHeight()};
            InvalidateRect(m_hwnd, &row, FALSE);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT || wParam == VK_RIGHT ||
            wParam == VK_RETURN) {
            OnKey(static_cast<UINT>(wParam));
            return 0;
        }
        break;
    case WM_HOTKEY:
        m_host.OnHotKey(static_cast<int>(wParam));
        return 0;
    case WM_DISPLAYCHANGE:
        m_host.OnDisplayChange();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_LBUTTONDOWN:
        // A tap on the free background takes the selection away from the items.
        ClearSelection();
        return 0;
    case WM_CLOSE:
        return 0; // the desktop window is never closed by a program
    case WM_DESTROY:
        KillTimer(m_hwnd, kHeightPollTimer);
        KillTimer(m_hwnd, kClockTimer);
        UnloadItems();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace norvane::device
