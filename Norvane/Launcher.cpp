// Launching: activation, quick launch, soft keys, tab menu, jump to tab and the
// options program.
#include "Launcher.h"

#include "StatusDialog.h"

#include "CeMessageBox.h"

#include "ShortcutLaunch.h"

#include "CeLaunch.h"
#include "CeShell.h"
#include "DisplayScale.h"
#include "ImageLoader.h"
#include "MeterImages.h"
#include "Module.h"
#include "Settings.h"
#include "TodayItemWindow.h"

namespace norvane {

namespace {
constexpr UINT kSnapBackDelayMs = 1000;
constexpr UINT kRunMinimizedDelayMs = 1000;

// The text with its first "%d" replaced by the number. Texts may come from a
// language module, so they are never used as a format.
std::wstring WithNumber(std::wstring text, int number) {
    size_t at = text.find(L"%d");
    if (at != std::wstring::npos) {
        text.replace(at, 2, std::to_wstring(number));
    }
    return text;
}

int DefaultTabMenu(HWND owner, TabRecord& tab, POINT screenPoint) {
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return 0;
    }
    for (size_t i = 0; i < tab.Shortcuts.size(); ++i) {
        std::wstring caption = tab.Shortcuts[i]->Caption();
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), caption.c_str());
    }
    int chosen = static_cast<int>(TrackPopupMenuEx(menu, TPM_RIGHTALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                   screenPoint.x, screenPoint.y, owner, nullptr));
    DestroyMenu(menu);
    return chosen;
}
} // namespace

namespace optionsswitch {
std::wstring ShowTab(int tab) {
    return L"/showtab:" + std::to_wstring(tab);
}
std::wstring Select(int tab) {
    return L"/select:" + std::to_wstring(tab);
}
std::wstring Target(int tab, int shortcut) {
    return L"/target:" + std::to_wstring(tab) + L":" + std::to_wstring(shortcut);
}
std::wstring Image(int tab, int shortcut) {
    return L"/image:" + std::to_wstring(tab) + L":" + std::to_wstring(shortcut);
}
std::wstring Additional(int tab, int shortcut) {
    return L"/additional:" + std::to_wstring(tab) + L":" + std::to_wstring(shortcut);
}
} // namespace optionsswitch

Launcher::Launcher(TodayItemWindow& item) : m_item(item) {
    m_services.shellExecute = [](SHELLEXECUTEINFOW& info) { return CeShellExecuteEx(&info); };
    m_services.messageBox = [](HWND owner, const std::wstring& text, UINT flags) {
        std::wstring caption = Module::Caption();
        return CeMessageBox(owner, text.c_str(), caption.c_str(), flags | MB_SETFOREGROUND);
    };
    m_services.chooseFromTabMenu = DefaultTabMenu;
    m_services.installFolder = [] { return ReadInstallFolder(); };
}

bool Launcher::Activate(ShortcutRecord& shortcut, bool fromTap) {
    if (!ExecuteTarget(shortcut)) {
        return false;
    }
    HWND hwnd = m_item.Hwnd();
    if (fromTap) {
        std::vector<TabRecord*> tabs =
            m_item.View() ? m_item.View()->VisibleTabs() : m_item.GetSettings().VisibleTabs();
        for (size_t i = 0; i < tabs.size(); ++i) {
            if (tabs[i]->SnapBack) {
                if (static_cast<int>(i) != m_item.CurrentTab()) {
                    WriteItemDword(names::kCurrentTabValue, static_cast<DWORD>(i & 0xFFFF));
                    if (hwnd) {
                        SetTimer(hwnd, timers::kSnapBack, kSnapBackDelayMs, nullptr);
                    }
                }
                break;
            }
        }
    }
    if (m_item.View()) {
        m_item.View()->HidePopupChild();
    }
    if (m_item.GetSettings().General.RunMinimized && hwnd) {
        SetTimer(hwnd, timers::kMinimize, kRunMinimizedDelayMs, nullptr);
    }
    return true;
}

bool Launcher::ExecuteTarget(ShortcutRecord& shortcut) {
    // Every kind of target goes through the shared launch code; the shell's
    // execute facility is ours, so that the item's own seam sees what is opened.
    LaunchHooks hooks = m_services.launchHooks;
    if (!hooks.shellOpen && m_services.shellExecute) {
        hooks.shellOpen = [this](const std::wstring& file, const std::wstring& parameters) {
            SHELLEXECUTEINFOW info = {};
            info.cbSize = sizeof(info);
            info.lpFile = file.c_str();
            info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
            info.nShow = SW_HIDE; // show state 0: the device starts programs shown anyway
            return m_services.shellExecute(info) != FALSE;
        };
    }
    // A meter's kinds and card folder come from its definition, loaded with
    // its icon (or now, when the icon was never loaded).
    std::unique_ptr<MeterDefinition> loaded;
    auto meterOf = [&]() -> const MeterDefinition* {
        if (shortcut.Meter()) {
            return shortcut.Meter();
        }
        if (!loaded) {
            const int size =
                MeterIconSize(shortcut.LargeIcon(), HiResDisplay(), TrueVga(), shortcut.InSpecialTab());
            loaded = LoadMeterDefinition(std::wstring(TargetArgument(shortcut.AdditionalTarget())), size,
                                         nullptr, &m_item.GetSettings());
        }
        return loaded.get();
    };
    // A meter tapped with MeterTap 0 opens the status dialog.
    if (!hooks.showStatusDialog) {
        hooks.showStatusDialog = [this](HWND owner) { ShowStatusDialog(owner, m_services.launchHooks); };
    }
    if (!hooks.meterKinds) {
        hooks.meterKinds = [&](const std::wstring&) { return meterOf()->Kinds; };
    }
    if (!hooks.meterStorageFolder) {
        hooks.meterStorageFolder = [&](const std::wstring&) {
            const MeterElement* card = meterOf()->ElementFor(statuskind::kStorageCard);
            return card ? card->StoragePath : std::wstring();
        };
    }
    return LaunchShortcut(shortcut, m_item.Hwnd(), &m_item.GetSettings(), hooks);
}

void Launcher::OnCode(int code) {
    if (code >= launchercode::kQuickLaunchFirst && code <= launchercode::kQuickLaunchLast) {
        QuickLaunch(code);
    } else if (code == launchercode::kLeftSoftKey || code == launchercode::kRightSoftKey) {
        SoftKeyShortcut(code);
    }
}

void Launcher::QuickLaunch(int number) {
    Settings& settings = m_item.GetSettings();
    TabRecord& tab = settings.SpecialTab(SpecialTabType::QuickLaunch);
    const int index = number - 1;
    if (index < 0) {
        return;
    }
    if (static_cast<int>(tab.Shortcuts.size()) > index) {
        AnchorScope anchor(*this, POINT{0, 0});
        ExecuteTarget(*tab.Shortcuts[index]);
        return;
    }
    if (index > 3) {
        return; // beyond the four buttons: nothing to set up
    }
    if (Ask(ids::kNoQuickLaunchShortcut, MB_YESNO | MB_ICONQUESTION, number) == IDYES) {
        const int quickLaunchTab =
            static_cast<int>(settings.Tabs().size()) + static_cast<int>(SpecialTabType::QuickLaunch) - 1;
        StartOptions(optionsswitch::ShowTab(quickLaunchTab));
    }
}

void Launcher::SoftKeyShortcut(int code) {
    const int bottom = GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU);
    const bool left = code == launchercode::kLeftSoftKey;
    TabRecord& tab =
        m_item.GetSettings().SpecialTab(left ? SpecialTabType::LeftSoftkey : SpecialTabType::RightSoftkey);
    if (tab.Shortcuts.empty()) {
        return;
    }
    AnchorScope anchor(*this, POINT{left ? 0 : GetSystemMetrics(SM_CXSCREEN), bottom});
    Activate(*tab.Shortcuts.front(), false);
}

TabRecord* Launcher::FindTab(int uniqueId) const {
    for (auto& tab : m_item.GetSettings().Tabs()) {
        if (tab->UniqueID == uniqueId) {
            return tab.get();
        }
    }
    return nullptr;
}

bool Launcher::ShowTabMenu(int uniqueId, POINT screenPoint) {
    TabRecord* tab = FindTab(uniqueId);
    if (!tab || tab->Shortcuts.empty()) {
        return false;
    }
    POINT at = HasMenuAnchor() ? m_menuAnchor : screenPoint;
    int chosen = m_services.chooseFromTabMenu(m_item.Hwnd(), *tab, at);
    // The menu ran its own loop: a reload may have replaced the tab meanwhile.
    tab = FindTab(uniqueId);
    if (tab && chosen >= 1 && chosen <= static_cast<int>(tab->Shortcuts.size())) {
        return ExecuteTarget(*tab->Shortcuts[chosen - 1]);
    }
    return false;
}

bool Launcher::JumpToTab(int uniqueId) {
    TabRecord* tab = FindTab(uniqueId);
    if (!tab) {
        return false;
    }
    if (tab->Hidden) {
        Ask(ids::kCannotJumpToHiddenTab, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    ItemView* view = m_item.View();
    if (uniqueId == 0 || !view) {
        return false;
    }
    const auto& tabs = view->VisibleTabs();
    for (size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i] == tab) {
            if (static_cast<int>(i) != m_item.CurrentTab()) {
                m_item.SetCurrentTab(static_cast<int>(i));
                SetForegroundWindow(CeGetDesktopWindow());
                view->OnCurrentTabChanged();
            }
            return true;
        }
    }
    return false;
}

bool Launcher::StartOptions(const std::wstring& optionsSwitch) {
    const std::wstring program = m_services.installFolder() + kOptionsProgram;
    m_lastSwitch = optionsSwitch;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.lpFile = program.c_str();
    info.lpParameters = m_lastSwitch.empty() ? nullptr : m_lastSwitch.c_str();
    info.nShow = SW_SHOWNORMAL;
    return m_services.shellExecute(info) != FALSE;
}

int Launcher::Ask(UINT textId, UINT flags, int number) {
    std::wstring text = Module::Text(textId);
    if (number >= 0) {
        text = WithNumber(text, number);
    }
    return m_services.messageBox(m_item.Hwnd(), text, flags);
}

} // namespace norvane
