// Notification-area icons of the Shell Tray Tab: added at every reload,
// meters redrawn as their values change, taps and holds on them.
#include "ItemParts.h"

#include "CeGesture.h"
#include "CeShell.h"
#include "DisplayScale.h"
#include "MeterPictures.h"
#include "Settings.h"
#include "TodayItemWindow.h"

namespace norvane {

namespace {
constexpr UINT kFirstIconId = 100;
constexpr int kTrayBackgroundIndex = 7;
} // namespace

TrayIcons::TrayIcons(TodayItemWindow& item) : m_item(item) {}

TrayIcons::~TrayIcons() {
    for (auto& entry : m_icons) {
        DestroyIcon(entry.second);
    }
}

bool TrayIcons::Notify(DWORD message, UINT id, HICON icon) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_window;
    data.uID = id;
    data.uFlags = NIF_ICON;
    data.hIcon = icon;
    if (message == NIM_ADD) {
        data.uCallbackMessage = appmsg::kTrayCallback;
    }
    if (notify) {
        return notify(message, data);
    }
    return CeShell_NotifyIcon(message, &data);
}

HICON TrayIcons::Render(const ShortcutRecord& shortcut) const {
    const int size = shortcut.LargeIcon() ? ScaleX(32) : ScaleX(16);
    return RenderShortcutIcon(shortcut, size, SystemColour(kTrayBackgroundIndex, RGB(0, 0, 0)));
}

ShortcutRecord* TrayIcons::ShortcutOf(UINT id) const {
    auto& shortcuts = m_item.GetSettings().SpecialTab(SpecialTabType::ShellTray).Shortcuts;
    if (id < kFirstIconId || id - kFirstIconId >= shortcuts.size()) {
        return nullptr;
    }
    return shortcuts[id - kFirstIconId].get();
}

HICON TrayIcons::IconOf(UINT id) const {
    auto found = m_icons.find(id);
    return found == m_icons.end() ? nullptr : found->second;
}

void TrayIcons::RemoveAll(HWND itemWindow) {
    m_window = itemWindow;
    for (UINT id : m_ids) {
        Notify(NIM_DELETE, id, nullptr);
    }
    m_ids.clear();
    // Only now that the notification area has let go of them.
    for (auto& entry : m_icons) {
        DestroyIcon(entry.second);
    }
    m_icons.clear();
    m_pendingTap = 0;
}

void TrayIcons::Rebuild(HWND itemWindow, Settings& settings) {
    RemoveAll(itemWindow);
    auto& shortcuts = settings.SpecialTab(SpecialTabType::ShellTray).Shortcuts;
    const UINT count = static_cast<UINT>(shortcuts.size());
    for (UINT n = 0; n < count; ++n) {
        const UINT position = settings.General.TrayReverseOrder ? n : count - 1 - n;
        const UINT id = kFirstIconId + position;
        HICON icon = Render(*shortcuts[position]);
        Notify(NIM_ADD, id, icon);
        m_ids.push_back(id);
        if (icon) {
            m_icons[id] = icon;
        }
    }
}

int TrayIcons::RefreshMeters(unsigned changed) {
    int refreshed = 0;
    for (UINT id : m_ids) {
        const ShortcutRecord* shortcut = ShortcutOf(id);
        if (!shortcut || !shortcut->Meter() || !(shortcut->Meter()->Kinds & changed)) {
            continue;
        }
        HICON icon = Render(*shortcut);
        if (!icon) {
            continue;
        }
        Notify(NIM_MODIFY, id, icon);
        // The notification area holds the new icon now; the old one can go.
        auto found = m_icons.find(id);
        if (found != m_icons.end()) {
            DestroyIcon(found->second);
            found->second = icon;
        } else {
            m_icons[id] = icon;
        }
        ++refreshed;
    }
    return refreshed;
}

void TrayIcons::OnCallback(UINT id, UINT stylusMessage) {
    ShortcutRecord* shortcut = ShortcutOf(id);
    if (!shortcut) {
        return;
    }
    const GeneralOptions& general = m_item.GetSettings().General;
    if (stylusMessage == WM_LBUTTONDOWN) {
        m_pendingTap = id;
        const std::wstring name = shortcut->Caption();
        if (name.empty()) {
            return;
        }
        // Where the stylus is, a menu bar higher, relative to the Today screen.
        const DWORD position = GetMessagePos();
        POINT stylus = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        stylus.y -= GetSystemMetrics(SM_CYMENU);
        HWND desktop = CeGetDesktopWindow();
        POINT client = stylus;
        ScreenToClient(desktop, &client);
        SHRGINFO gesture = {};
        gesture.cbSize = sizeof(gesture);
        gesture.hwndClient = desktop;
        gesture.ptDown = client;
        gesture.dwFlags = SHRG_RETURNCMD | (general.ShowShortcutContextMenu ? 0 : SHRG_NOANIMATION);
        if (SHRecognizeGesture(&gesture) != GN_CONTEXTMENU) {
            return;
        }
        // A hold is no tap: its release must not launch the shortcut.
        m_pendingTap = 0;
        if (general.ShowShortcutContextMenu) {
            m_item.Menus().ShowSpecialShortcutMenu(*shortcut, 0, stylus);
        } else {
            m_item.ShowCaption(name, POINT{stylus.x - ScaleX(10), stylus.y - ScaleY(15)});
        }
        return;
    }
    if (stylusMessage == WM_LBUTTONUP) {
        const bool tap = m_pendingTap == id;
        m_pendingTap = 0;
        if (tap) {
            m_item.GetLauncher().Activate(*shortcut, false);
        }
    }
}

} // namespace norvane
