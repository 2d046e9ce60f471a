// The item's context menus and their actions.
#include "ItemMenus.h"

#include "FlashCards.h"
#include "DisplayScale.h"
#include "ImageShortcutIcon.h"
#include "MenuPainter.h"
#include "MeterPictures.h"
#include "Painter.h"
#include "Module.h"
#include "SettingsFile.h"
#include "ShortcutTarget.h"
#include "TodayItemWindow.h"
#include "Win32Handles.h"

#include <algorithm>
#include <optional>

namespace norvane {

namespace {

struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU menu) { DestroyMenu(menu); }
};
using UniqueMenu = UniqueWin32<HMENU, MenuTraits>;

constexpr unsigned kStorageCardKind = 16;
constexpr wchar_t kStorageCardKey[] = L"storage-card";

std::wstring WithText(std::wstring text, const std::wstring& argument) {
    size_t at = text.find(L"%s");
    if (at != std::wstring::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}

void AppendText(HMENU menu, UINT id, const std::wstring& text, UINT flags = 0) {
    AppendMenuW(menu, MF_STRING | flags, id, text.c_str());
}

void AppendString(HMENU menu, UINT id, UINT textId, UINT flags = 0) {
    AppendText(menu, id, Module::Text(textId), flags);
}

void AppendSeparator(HMENU menu) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

// An owner-drawn item: the item data marks its kind.
void AppendOwnerDrawn(HMENU menu, UINT id, ULONG_PTR kind) {
    AppendMenuW(menu, MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(kind));
}

// Hands the submenu to its parent; an empty one is shown greyed.
void AppendSubmenu(HMENU menu, UniqueMenu submenu, UINT textId) {
    const UINT flags = GetMenuItemCount(submenu.Get()) > 0 ? 0 : MF_GRAYED;
    const std::wstring text = Module::Text(textId);
    if (AppendMenuW(menu, MF_POPUP | MF_STRING | flags, reinterpret_cast<UINT_PTR>(submenu.Get()),
                    text.c_str())) {
        submenu.Release();
    }
}

UINT Checked(bool on) {
    return on ? MF_CHECKED : MF_UNCHECKED;
}

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool MixesIconSizes(const TabRecord& tab) {
    bool large = false;
    bool small = false;
    for (const auto& shortcut : tab.Shortcuts) {
        (shortcut->LargeIcon() ? large : small) = true;
    }
    return large && small;
}

// The definition file's section for the size names a storage-card element.
bool DefinitionMeasuresCard(const std::wstring& meterPath, int size) {
    SettingsFile definition;
    if (!definition.Load(meterPath)) {
        return false;
    }
    return definition.FindValue(std::to_wstring(size), kStorageCardKey) != nullptr;
}

} // namespace

ItemMenus::ItemMenus(TodayItemWindow& item) : m_item(item) {
    m_services.track = [this](HMENU menu, POINT at, HWND owner) {
        return static_cast<UINT>(TrackPopupMenuEx(menu, m_trackAlignment | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
                                                  at.y, owner, nullptr));
    };
    m_services.storageCards = FlashCardNames;
}

// Finding things again ------------------------------------------------------

bool ItemMenus::Locate(const ShortcutRecord& shortcut, ShortcutPlace& place) const {
    auto search = [&](const TabRecord& tab) {
        for (size_t i = 0; i < tab.Shortcuts.size(); ++i) {
            if (tab.Shortcuts[i].get() == &shortcut) {
                place.index = static_cast<int>(i);
                place.target = shortcut.Target();
                place.additionalTarget = shortcut.AdditionalTarget();
                return true;
            }
        }
        return false;
    };
    const Settings& settings = m_item.GetSettings();
    const auto& tabs = settings.Tabs();
    for (size_t i = 0; i < tabs.size(); ++i) {
        if (search(*tabs[i])) {
            place.tabId = tabs[i]->UniqueID;
            place.special = 0;
            place.tabIndex = static_cast<int>(i);
            return true;
        }
    }
    for (int type = 1; type <= kSpecialTabCount; ++type) {
        if (search(settings.SpecialTab(static_cast<SpecialTabType>(type)))) {
            place.tabId = 0;
            place.special = type;
            return true;
        }
    }
    return false;
}

TabRecord* ItemMenus::TabById(int uniqueId, int* index, int hint) const {
    auto& tabs = m_item.GetSettings().Tabs();
    if (hint >= 0 && hint < static_cast<int>(tabs.size()) && tabs[hint]->UniqueID == uniqueId) {
        if (index) {
            *index = hint;
        }
        return tabs[hint].get();
    }
    for (size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i]->UniqueID == uniqueId) {
            if (index) {
                *index = static_cast<int>(i);
            }
            return tabs[i].get();
        }
    }
    return nullptr;
}

TabRecord* ItemMenus::TabOf(const ShortcutPlace& place) const {
    if (place.special != 0) {
        return &m_item.GetSettings().SpecialTab(static_cast<SpecialTabType>(place.special));
    }
    return TabById(place.tabId, nullptr, place.tabIndex);
}

ShortcutRecord* ItemMenus::Find(const ShortcutPlace& place) const {
    TabRecord* tab = TabOf(place);
    if (!tab || place.index < 0 || place.index >= static_cast<int>(tab->Shortcuts.size())) {
        return nullptr;
    }
    ShortcutRecord* shortcut = tab->Shortcuts[place.index].get();
    // A different shortcut in the same place (the settings changed meanwhile)
    // is not the one the user chose.
    if (shortcut->Target() != place.target || shortcut->AdditionalTarget() != place.additionalTarget) {
        return nullptr;
    }
    return shortcut;
}

int ItemMenus::SwitchTabNumber(const ShortcutPlace& place) const {
    if (place.special != 0) {
        return static_cast<int>(m_item.GetSettings().Tabs().size()) + place.special - 1;
    }
    int index = -1;
    return TabById(place.tabId, &index, place.tabIndex) ? index : -1;
}

// Helpers -------------------------------------------------------------------

UINT ItemMenus::Track(HMENU menu, POINT screenPoint) {
    return m_services.track ? m_services.track(menu, screenPoint, m_item.Hwnd()) : 0;
}

int ItemMenus::Ask(const std::wstring& text, UINT flags) {
    auto& messageBox = m_item.GetLauncher().Services().messageBox;
    return messageBox ? messageBox(m_item.Hwnd(), text, flags) : 0;
}

std::wstring ItemMenus::MeterPathOf(const ShortcutRecord& shortcut) const {
    return std::wstring(TargetArgument(shortcut.AdditionalTarget()));
}

bool ItemMenus::IsStorageMeter(const ShortcutRecord& shortcut) const {
    if (KindOf(shortcut) != TargetKind::Meter) {
        return false;
    }
    const std::wstring path = MeterPathOf(shortcut);
    const int size = MeterIconSize(shortcut.LargeIcon(), HiResDisplay(), TrueVga(), shortcut.InSpecialTab());
    if (m_services.isStorageMeter) {
        return m_services.isStorageMeter(path, size);
    }
    if (const MeterDefinition* meter = shortcut.Meter()) {
        return (meter->Kinds & statuskind::kStorageCard) != 0;
    }
    const auto& meterKinds = m_item.GetLauncher().Services().launchHooks.meterKinds;
    if (meterKinds) {
        return (meterKinds(path) & kStorageCardKind) != 0;
    }
    return DefinitionMeasuresCard(path, size);
}

std::vector<std::wstring> ItemMenus::StorageCards() const {
    return m_services.storageCards ? m_services.storageCards() : std::vector<std::wstring>();
}

void ItemMenus::AppendCardMenu(HMENU menu, const ShortcutRecord& shortcut,
                               std::vector<std::wstring>& cards) const {
    cards = StorageCards();
    if (cards.size() > static_cast<size_t>(menucmd::kMaxListedTabs)) {
        cards.resize(menucmd::kMaxListedTabs);
    }
    // Without a stored card the meter shows the device's first card.
    std::optional<std::wstring> stored = m_item.GetSettings().StorageCardPath(MeterPathOf(shortcut));
    std::wstring current = stored && !stored->empty() ? *stored
                           : cards.empty()            ? std::wstring()
                                                      : L"\\" + cards.front();
    UniqueMenu submenu(CreatePopupMenu());
    if (!submenu) {
        return;
    }
    for (size_t i = 0; i < cards.size(); ++i) {
        const std::wstring path = L"\\" + cards[i];
        AppendText(submenu.Get(), menucmd::kFirstCard + static_cast<UINT>(i), path,
                   Checked(SameNoCase(path, current)));
    }
    AppendSubmenu(menu, std::move(submenu), menutext::kStorageCard);
}

bool ItemMenus::SaveAndReload() {
    Settings& settings = m_item.GetSettings();
    if (settings.Save()) {
        m_item.Reload(false);
        return true;
    }
    // Reloading now would load the old file over the change the user just
    // made; keep it and show it (laid out again before anything can paint),
    // then say that it is not on disk.
    if (ItemView* view = m_item.View()) {
        view->ReloadTabs();
        const int count = static_cast<int>(view->VisibleTabs().size());
        if (m_item.CurrentTab() >= count) {
            m_item.SetCurrentTab(count > 0 ? 0 : -1);
        }
        view->Relayout();
    }
    m_item.SelectShortcut(nullptr);
    Ask(WithText(Module::Text(menutext::kSaveFailed), settings.Path()), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// The shortcut menus ---------------------------------------------------------

void ItemMenus::ShowShortcutMenu(ShortcutRecord& shortcut, POINT screenPoint, bool byKeyboard) {
    ShortcutPlace place;
    if (!Locate(shortcut, place) || place.special != 0) {
        return;
    }
    const Settings& settings = m_item.GetSettings();
    const TabRecord* tab = TabOf(place);
    UniqueMenu menu(CreatePopupMenu());
    if (!menu || !tab) {
        return;
    }
    const std::wstring name = shortcut.Caption();
    m_shortcutHeader = name;
    m_headerPlace = place;
    if (byKeyboard) {
        AppendText(menu.Get(), menucmd::kLaunch, WithText(Module::Text(menutext::kLaunchNamed), name));
    } else {
        AppendOwnerDrawn(menu.Get(), menucmd::kNone, menukind::kHeader);
    }
    AppendString(menu.Get(), menucmd::kSmall, menutext::kSmall, Checked(!shortcut.LargeIcon()));
    AppendString(menu.Get(), menucmd::kLarge, menutext::kLarge, Checked(shortcut.LargeIcon()));
    AppendSeparator(menu.Get());
    AppendString(menu.Get(), menucmd::kDelete, menutext::kDelete);
    AppendSeparator(menu.Get());

    // Every ordinary tab but this one, by its index; the ids remember the tab.
    std::vector<int> moveTabs;
    UniqueMenu moveMenu(CreatePopupMenu());
    UniqueMenu copyMenu(CreatePopupMenu());
    const auto& tabs = settings.Tabs();
    for (size_t i = 0; i < tabs.size() && i < static_cast<size_t>(menucmd::kMaxListedTabs); ++i) {
        moveTabs.push_back(tabs[i].get() == tab ? 0 : tabs[i]->UniqueID);
        if (tabs[i].get() == tab) {
            continue;
        }
        AppendText(moveMenu.Get(), menucmd::kFirstMoveTab + static_cast<UINT>(i), tabs[i]->Name);
        AppendText(copyMenu.Get(), menucmd::kFirstCopyTab + static_cast<UINT>(i), tabs[i]->Name);
    }
    AppendSubmenu(menu.Get(), std::move(moveMenu), menutext::kMoveTo);
    AppendSubmenu(menu.Get(), std::move(copyMenu), menutext::kCopyTo);

    std::vector<std::wstring> cards;
    if (IsStorageMeter(shortcut)) {
        AppendCardMenu(menu.Get(), shortcut, cards);
        AppendSeparator(menu.Get());
    }
    const TargetKind kind = KindOf(shortcut);
    AppendString(menu.Get(), menucmd::kModifyImage, menutext::kModifyImage,
                 kind == TargetKind::Meter ? MF_GRAYED : 0);
    AppendString(menu.Get(), menucmd::kAdditionalProperties, menutext::kAdditionalProperties);
    if (kind == TargetKind::File || kind == TargetKind::Folder) {
        AppendString(menu.Get(), menucmd::kChangeTarget, menutext::kChangeTarget);
    }
    if (tab->CaptionsEnabled != 0) {
        const bool fixedOff = !shortcut.LargeIcon() && settings.General.SmallIconCaptionMode == 0;
        AppendString(menu.Get(), menucmd::kCaptions, menutext::kCaptionEnabled,
                     Checked(shortcut.CaptionEnabled() != 0) | (fixedOff ? MF_GRAYED : 0));
        AppendSeparator(menu.Get());
    }
    if (byKeyboard) {
        AppendString(menu.Get(), menucmd::kNone, menutext::kCancel);
    } else {
        AppendString(menu.Get(), menucmd::kLaunch, menutext::kLaunch);
    }

    const UINT command = Track(menu.Get(), screenPoint);
    menu.Reset();
    RunShortcutCommand(command, place, moveTabs, cards);
}

void ItemMenus::ShowSpecialShortcutMenu(ShortcutRecord& shortcut, int kind, POINT screenPoint) {
    ShortcutPlace place;
    if (!Locate(shortcut, place) || place.special == 0) {
        return;
    }
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    m_shortcutHeader = shortcut.Caption();
    m_headerPlace = place;
    AppendOwnerDrawn(menu.Get(), menucmd::kNone, menukind::kHeader);
    AppendString(menu.Get(), menucmd::kDelete, menutext::kDelete);
    std::vector<std::wstring> cards;
    if (IsStorageMeter(shortcut)) {
        AppendCardMenu(menu.Get(), shortcut, cards);
    }
    AppendSeparator(menu.Get());
    AppendString(menu.Get(), menucmd::kModifyImage, menutext::kModifyImage,
                 KindOf(shortcut) == TargetKind::Meter ? MF_GRAYED : 0);
    AppendString(menu.Get(), menucmd::kAdditionalProperties, menutext::kAdditionalProperties);
    AppendString(menu.Get(), menucmd::kLaunch, menutext::kLaunch);
    const int topBarKind = static_cast<int>(SpecialTabType::TopBar) - 1;
    if (kind == topBarKind) {
        AppendString(menu.Get(), menucmd::kLockIcon, menutext::kLockIcon,
                     Checked(m_item.GetSettings().General.TopBarIconLocked));
    }
    AppendSeparator(menu.Get());
    if (kind >= 0 && kind <= 3) {
        AppendString(menu.Get(), menucmd::kConfigureSpecialTab,
                     menutext::kConfigureShellTray + static_cast<UINT>(kind));
    } else {
        AppendText(menu.Get(), menucmd::kConfigureSpecialTab, menutext::kConfigureOtherSpecialTab);
    }

    const UINT command = Track(menu.Get(), screenPoint);
    menu.Reset();
    Settings& settings = m_item.GetSettings();
    switch (command) {
    case menucmd::kLockIcon:
        settings.General.TopBarIconLocked = !settings.General.TopBarIconLocked;
        SaveAndReload();
        return;
    case menucmd::kConfigureSpecialTab:
        m_item.GetLauncher().StartOptions(
            optionsswitch::ShowTab(static_cast<int>(settings.Tabs().size()) + kind));
        return;
    default:
        RunShortcutCommand(command, place, {}, cards);
        return;
    }
}

bool ItemMenus::RunShortcutCommand(UINT command, const ShortcutPlace& place, const std::vector<int>& moveTabs,
                                   const std::vector<std::wstring>& cards) {
    if (command == menucmd::kNone) {
        return false;
    }
    ShortcutRecord* shortcut = Find(place);
    if (!shortcut) {
        return false; // gone while the menu was open
    }
    Settings& settings = m_item.GetSettings();
    Launcher& launcher = m_item.GetLauncher();
    switch (command) {
    case menucmd::kSmall:
    case menucmd::kLarge: {
        const bool large = command == menucmd::kLarge;
        if (shortcut->LargeIcon() != large) {
            shortcut->SetLargeIcon(large);
            shortcut->DropIcon();
            SaveAndReload();
        }
        return true;
    }
    case menucmd::kDelete:
        DeleteShortcut(place);
        return true;
    case menucmd::kCaptions:
        shortcut->SetCaptionEnabled(shortcut->CaptionEnabled() != 0 ? 0 : 1);
        SaveAndReload();
        return true;
    case menucmd::kLaunch:
        launcher.Activate(*shortcut, true);
        return true;
    case menucmd::kModifyImage:
        launcher.StartOptions(optionsswitch::Image(SwitchTabNumber(place), place.index));
        return true;
    case menucmd::kAdditionalProperties:
        launcher.StartOptions(optionsswitch::Additional(SwitchTabNumber(place), place.index));
        return true;
    case menucmd::kChangeTarget:
        launcher.StartOptions(optionsswitch::Target(SwitchTabNumber(place), place.index));
        return true;
    default:
        break;
    }
    if (command >= menucmd::kFirstCard && command < menucmd::kFirstCard + cards.size()) {
        settings.SetStorageCardPath(MeterPathOf(*shortcut), L"\\" + cards[command - menucmd::kFirstCard]);
        shortcut->DropIcon();
        SaveAndReload();
        return true;
    }
    const bool move = command >= menucmd::kFirstMoveTab && command < menucmd::kFirstMoveTab + moveTabs.size();
    const bool copy = command >= menucmd::kFirstCopyTab && command < menucmd::kFirstCopyTab + moveTabs.size();
    if (move || copy) {
        const int listed =
            static_cast<int>(command - (move ? menucmd::kFirstMoveTab : menucmd::kFirstCopyTab));
        const int id = moveTabs[listed];
        TabRecord* from = TabOf(place);
        TabRecord* to = id != 0 ? TabById(id, nullptr, listed) : nullptr;
        if (!from || !to || to == from) {
            return false;
        }
        if (move) {
            std::unique_ptr<ShortcutRecord> moved = std::move(from->Shortcuts[place.index]);
            from->Shortcuts.erase(from->Shortcuts.begin() + place.index);
            moved->SetInSpecialTab(false);
            to->Shortcuts.push_back(std::move(moved));
        } else {
            std::unique_ptr<ShortcutRecord> copied = shortcut->CloneStored();
            copied->SetInSpecialTab(false);
            to->Shortcuts.push_back(std::move(copied));
        }
        SaveAndReload();
        return true;
    }
    return false;
}

void ItemMenus::DeleteShortcut(const ShortcutPlace& place) {
    const ShortcutRecord* shortcut = Find(place);
    if (!shortcut) {
        return;
    }
    const std::wstring question = WithText(Module::Text(menutext::kDeleteQuestion), shortcut->Caption());
    if (Ask(question, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES) {
        return;
    }
    // The question ran a modal loop too: find the shortcut once more.
    if (!Find(place)) {
        return;
    }
    TabRecord* tab = TabOf(place);
    if (m_item.SelectedShortcut() == tab->Shortcuts[place.index].get()) {
        m_item.SelectShortcut(nullptr);
    }
    tab->Shortcuts.erase(tab->Shortcuts.begin() + place.index);
    SaveAndReload();
}

// The tab menu ---------------------------------------------------------------

void ItemMenus::ShowTabMenu(int visibleTab, POINT screenPoint, bool byHold) {
    ItemView* view = m_item.View();
    if (!view || visibleTab < 0 || visibleTab >= static_cast<int>(view->VisibleTabs().size())) {
        return;
    }
    const TabRecord* tab = view->VisibleTabs()[visibleTab];
    const int tabId = tab->UniqueID;
    const auto& tabs = m_item.GetSettings().Tabs();
    const int tabIndex = static_cast<int>(
        std::find_if(tabs.begin(), tabs.end(), [tab](const auto& each) { return each.get() == tab; }) -
        tabs.begin());
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    m_tabHeader = tab->Name;
    AppendOwnerDrawn(menu.Get(), menucmd::kNone, menukind::kSubHeader);
    AppendString(menu.Get(), menucmd::kModifyImage, menutext::kModifyImage);

    UniqueMenu all(CreatePopupMenu());
    AppendString(all.Get(), menucmd::kSmall, menutext::kMakeSmall);
    AppendString(all.Get(), menucmd::kLarge, menutext::kMakeLarge);
    AppendSubmenu(menu.Get(), std::move(all), menutext::kAllShortcuts);

    // In a tab of mixed icon sizes no arrangement applies, so none is checked.
    const bool mixed = MixesIconSizes(*tab);
    UniqueMenu arrangement(CreatePopupMenu());
    const UINT arrangementTexts[] = {menutext::kUseDefault, menutext::kLeft, menutext::kCentered,
                                     menutext::kRight, menutext::kSpread};
    for (int mode = -1; mode <= 3; ++mode) {
        AppendString(arrangement.Get(), menucmd::kUseDefaultArrangement + static_cast<UINT>(mode + 1),
                     arrangementTexts[mode + 1], Checked(!mixed && tab->OverrideDisplayMode == mode));
    }
    AppendSubmenu(menu.Get(), std::move(arrangement), menutext::kOverrideArrangement);

    AppendString(menu.Get(), menucmd::kFreeIconPlacement, menutext::kFreeIconPlacement,
                 Checked(m_item.GetSettings().General.FreeIconPlacement));
    AppendString(menu.Get(), menucmd::kCaptions, menutext::kTabCaptions, Checked(tab->CaptionsEnabled == 1));
    AppendSeparator(menu.Get());
    AppendString(menu.Get(), menucmd::kAddShortcut, menutext::kAddShortcut);
    AppendString(menu.Get(), menucmd::kRefresh, menutext::kRefresh);

    std::vector<int> selectTabs;
    const auto& visible = view->VisibleTabs();
    if (byHold && view->GetType() == viewtype::kNoTabs && visible.size() >= 2) {
        UniqueMenu select(CreatePopupMenu());
        for (size_t i = 0; i < visible.size() && i < static_cast<size_t>(menucmd::kMaxListedTabs); ++i) {
            selectTabs.push_back(static_cast<int>(i) == m_item.CurrentTab() ? 0 : visible[i]->UniqueID);
            if (static_cast<int>(i) != m_item.CurrentTab()) {
                AppendOwnerDrawn(select.Get(), menucmd::kFirstSelectTab + static_cast<UINT>(i),
                                 menukind::kPlain);
            }
        }
        AppendSubmenu(menu.Get(), std::move(select), menutext::kSelectTab);
    }
    AppendOwnerDrawn(menu.Get(), menucmd::kOptions, menukind::kPlain);
    if (byHold) {
        AppendString(menu.Get(), menucmd::kNone, menutext::kCancel);
    }

    const UINT command = Track(menu.Get(), screenPoint);
    menu.Reset();
    RunTabCommand(command, tabId, tabIndex, selectTabs);
}

void ItemMenus::RunTabCommand(UINT command, int tabId, int tabIndex, const std::vector<int>& selectTabs) {
    if (command == menucmd::kNone) {
        return;
    }
    if (command == menucmd::kRefresh) {
        m_item.Reload(false);
        return;
    }
    Settings& settings = m_item.GetSettings();
    if (command == menucmd::kFreeIconPlacement) {
        settings.General.FreeIconPlacement = !settings.General.FreeIconPlacement;
        SaveAndReload();
        return;
    }
    if (command >= menucmd::kFirstSelectTab && command < menucmd::kFirstSelectTab + selectTabs.size()) {
        const int id = selectTabs[command - menucmd::kFirstSelectTab];
        ItemView* view = m_item.View();
        if (id == 0 || !view) {
            return;
        }
        const auto& visible = view->VisibleTabs();
        for (size_t i = 0; i < visible.size(); ++i) {
            if (visible[i]->UniqueID == id) {
                m_item.SetCurrentTab(static_cast<int>(i));
                view->OnCurrentTabChanged();
                return;
            }
        }
        return;
    }
    // Everything else acts on the tab, found again by its UniqueID.
    int index = -1;
    TabRecord* tab = TabById(tabId, &index, tabIndex);
    if (!tab) {
        return;
    }
    Launcher& launcher = m_item.GetLauncher();
    switch (command) {
    case menucmd::kModifyImage:
        launcher.StartOptions(optionsswitch::Image(index, -1));
        return;
    case menucmd::kAddShortcut:
        launcher.StartOptions(optionsswitch::Select(index));
        return;
    case menucmd::kOptions:
        launcher.StartOptions(optionsswitch::ShowTab(index));
        return;
    case menucmd::kSmall:
    case menucmd::kLarge: {
        const bool large = command == menucmd::kLarge;
        bool changed = false;
        for (auto& shortcut : tab->Shortcuts) {
            if (shortcut->LargeIcon() != large) {
                shortcut->SetLargeIcon(large);
                shortcut->DropIcon();
                changed = true;
            }
        }
        if (changed) {
            SaveAndReload();
        }
        return;
    }
    case menucmd::kCaptions:
        tab->CaptionsEnabled = tab->CaptionsEnabled == 1 ? 0 : 1;
        SaveAndReload();
        return;
    default:
        break;
    }
    if (command >= menucmd::kUseDefaultArrangement && command <= menucmd::kSpreadArrangement) {
        const int mode = static_cast<int>(command - menucmd::kUseDefaultArrangement) - 1;
        const bool mixed = MixesIconSizes(*tab);
        tab->OverrideDisplayMode = mode;
        // Told after the reload: the message box runs a loop of its own, and a
        // reload arriving there would otherwise lose the unsaved change.
        SaveAndReload();
        if (mixed && mode != -1) {
            Ask(Module::Text(menutext::kMixedTabArrangement), MB_OK | MB_ICONINFORMATION);
        }
    }
}

// The launcher's tab menu ------------------------------------------------------

int ItemMenus::ChooseFromTabMenu(HWND owner, TabRecord& tab, POINT screenPoint) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return 0;
    }
    m_tabMenuNames.clear();
    m_tabMenuPlaces.clear();
    for (size_t i = 0; i < tab.Shortcuts.size(); ++i) {
        ShortcutPlace place;
        Locate(*tab.Shortcuts[i], place);
        m_tabMenuNames.push_back(tab.Shortcuts[i]->Caption());
        m_tabMenuPlaces.push_back(place);
        AppendOwnerDrawn(menu.Get(), static_cast<UINT>(i + 1), menukind::kTabShortcut);
    }
    m_trackAlignment = TPM_RIGHTALIGN;
    const UINT chosen = m_services.track ? m_services.track(menu.Get(), screenPoint, owner) : 0;
    m_trackAlignment = TPM_LEFTALIGN;
    return chosen <= m_tabMenuNames.size() ? static_cast<int>(chosen) : 0;
}

// Owner-drawn items -----------------------------------------------------------

namespace {
// The text of one of our owner-drawn items; false when it is not ours.
bool OwnText(const MEASUREITEMSTRUCT* measure, const DRAWITEMSTRUCT* draw, const std::wstring& shortcutHeader,
             const std::wstring& tabHeader, const std::vector<std::wstring>& tabMenuNames,
             std::wstring& text) {
    const ULONG_PTR kind = measure ? measure->itemData : draw->itemData;
    const UINT id = measure ? measure->itemID : draw->itemID;
    switch (kind) {
    case menukind::kHeader:
        text = shortcutHeader;
        return true;
    case menukind::kSubHeader:
        text = tabHeader;
        return true;
    case menukind::kTabShortcut:
        text = id >= 1 && id <= tabMenuNames.size() ? tabMenuNames[id - 1] : std::wstring();
        return true;
    default:
        return false;
    }
}
} // namespace

bool ItemMenus::MeasureItem(MEASUREITEMSTRUCT& item) {
    std::wstring text;
    if (!OwnText(&item, nullptr, m_shortcutHeader, m_tabHeader, m_tabMenuNames, text)) {
        return false;
    }
    MeasureOwnerMenuItem(item, text, m_item.MenuFont());
    return true;
}

bool ItemMenus::DrawItem(const DRAWITEMSTRUCT& item) {
    std::wstring text;
    if (!OwnText(nullptr, &item, m_shortcutHeader, m_tabHeader, m_tabMenuNames, text)) {
        return false;
    }
    DrawOwnerMenuItem(item, text, m_item.MenuFont(), Bitmap32());
    if (item.itemData == menukind::kHeader) {
        DrawPictureOf(item, m_headerPlace);
    } else if (item.itemData == menukind::kTabShortcut && item.itemID >= 1 &&
               item.itemID <= m_tabMenuPlaces.size()) {
        DrawPictureOf(item, m_tabMenuPlaces[item.itemID - 1]);
    }
    return true;
}

void ItemMenus::DrawPictureOf(const DRAWITEMSTRUCT& item, const ShortcutPlace& place) const {
    // Found again: a reload while the menu is open may have replaced it.
    const ShortcutRecord* shortcut = Find(place);
    if (shortcut && DrawMenuMeterPicture(item, *shortcut)) {
        return;
    }
    const ShortcutIcon* picture = shortcut ? PictureOf(shortcut->Icon()) : nullptr;
    if (picture) {
        DrawMenuPicture(item, *picture);
    }
}

} // namespace norvane
