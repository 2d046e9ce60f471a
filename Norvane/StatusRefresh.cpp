// The status refresh: re-reading the status sources that loaded meters use
// and redrawing only the meters whose kinds changed.
#include "ItemParts.h"

#include "IconLayout.h"
#include "ItemView.h"
#include "MeterDefinition.h"
#include "Settings.h"
#include "StatusSources.h"
#include "TodayItemWindow.h"

namespace norvane {

StatusRefresh::StatusRefresh(TodayItemWindow& item) : m_item(item) {}

void StatusRefresh::Tick(bool& fileChangePending) {
    unsigned mask = statuskind::kMemory;
    bool force = false;
    if (fileChangePending) {
        fileChangePending = false;
        mask |= statuskind::kMainStorage | statuskind::kStorageCard;
        force = true;
    }
    const int major = platformMajorVersion ? platformMajorVersion() : PlatformMajorVersion();
    if (major <= 4 && (MeterKindsInUse() & statuskind::kMainStorage)) {
        mask |= statuskind::kMainStorage;
    }
    Refresh(mask, force);
}

void StatusRefresh::CatchUpPower() {
    if (!(MeterKindsInUse() & statuskind::kBatteries)) {
        return;
    }
    const unsigned changed = ProcessStatus().UpdatePower() & statuskind::kBatteries;
    m_powerRead = true;
    if (changed) {
        Redraw(changed);
    }
}

void StatusRefresh::Refresh(unsigned mask, bool force) {
    m_lastMask = mask;
    SystemStatus& status = ProcessStatus();
    const unsigned inUse = MeterKindsInUse();
    unsigned changed = 0;
    if ((mask & statuskind::kBatteries) && (inUse & statuskind::kBatteries)) {
        // Notifications only tell of changes: the first refresh asks the
        // platform once, so battery meters do not stay empty until the battery
        // next changes.
        if (m_item.GetSettings().General.UsePollingForBattery || !m_powerRead) {
            status.UpdatePower();
            m_powerRead = true;
        }
        changed |= statuskind::kBatteries;
    }
    if ((mask & statuskind::kMemory) && (inUse & statuskind::kMemory)) {
        changed |= status.UpdateMemory();
    }
    if ((mask & statuskind::kStorageCard) && (inUse & statuskind::kStorageCard)) {
        changed |= status.UpdateStorageCards();
    }
    if ((mask & statuskind::kMainStorage) && (inUse & statuskind::kMainStorage)) {
        changed |= status.UpdateMainStorage();
    }
    if (force) {
        changed = mask;
    }
    m_lastChanged = changed;
    if (changed) {
        Redraw(changed);
    }
}

void StatusRefresh::Redraw(unsigned changed) {
    // The current tab's meters, where its icons are: the item (scrolled) or
    // its popup panel.
    ItemView* view = m_item.View();
    TabRecord* tab = m_item.CurrentTabRecord();
    if (view && tab) {
        HWND window = view->InputWindow();
        const int dy = view->PopupChild() ? 0 : view->ScrollOffset();
        for (const auto& shortcut : tab->Shortcuts) {
            const MeterDefinition* meter = shortcut->Meter();
            const IconPlacement* placement = view->PlacementOf(shortcut.get());
            if (!meter || !(meter->Kinds & changed) || !placement || !window) {
                continue;
            }
            RECT area = {placement->hit.left, placement->hit.top, placement->hit.right,
                         placement->hit.bottom};
            RECT icon = {placement->originX, placement->originY, placement->originX + meter->Size,
                         placement->originY + meter->Size};
            RECT caption = {placement->caption.left, placement->caption.top, placement->caption.right,
                            placement->caption.bottom};
            UnionRect(&area, &area, &icon);
            UnionRect(&area, &area, &caption);
            OffsetRect(&area, 0, dy);
            InvalidateRect(window, &area, FALSE);
            ++m_redraws;
        }
    }
    m_redraws += m_item.Tray().RefreshMeters(changed);
    // The top-bar shortcut on the task bar.
    auto& topBar = m_item.GetSettings().SpecialTab(SpecialTabType::TopBar).Shortcuts;
    if (!topBar.empty() && topBar.front()->Meter() && (topBar.front()->Meter()->Kinds & changed)) {
        m_item.TopBarHost().RedrawTopBar();
        ++m_redraws;
    }
    if (m_item.MeterBar().Kinds() & changed) {
        m_item.MeterBar().Redraw();
        ++m_redraws;
    }
}

} // namespace norvane
