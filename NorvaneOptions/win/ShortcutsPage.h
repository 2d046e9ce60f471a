// The Shortcuts page: the shortcuts of one tab, ordinary or special, with
// adding through the target browser, removing, ordering, moving and copying to
// another tab, and changing a shortcut's image, target, large-icon flag and
// additional properties. Every change goes straight into the working settings.
#pragma once

#include "OptionsSheet.h"
#include "RowPictures.h"
#include "ShortcutEditing.h"

#include <string>
#include <vector>

namespace norvane::options {

class ShortcutsPage : public PageBase {
public:
    explicit ShortcutsPage(OptionsSheet& sheet);

    // Fills the tab choice list and shows the initial tab.
    void Fill();
    // Shows the tab at a position of the tab choice list.
    void ShowTab(int position);
    void SelectRow(int row);
    int Position() const { return m_position; }
    int SelectedRow() const { return m_selected; }
    const ShownTab& Shown() const { return m_shown; }
    ShortcutButtons Buttons() const;
    std::vector<std::wstring> RowTexts() const;

    void MoveUp();
    void MoveDown();
    void Add();
    void Remove();
    void ChangeImage();
    void EditAdditional();
    void ShowSpecialTabInfo();
    void OnLargeIconClicked();
    // The context menu's commands for a row (see BuildContextMenu).
    void RunContextCommand(int row, UINT command);
    // The menu for a row; null when there is no such row. The caller destroys it.
    HMENU BuildContextMenu(int row);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnSetActive() override;
    void OnResize(int width, int height) override;

private:
    ShortcutRecord* Selected() const;
    void FillRows();
    void InsertRow(int index);
    void UpdateButtons();
    void Exchange(int a, int b);
    // Takes row out of the shown tab and the list; the shortcut is handed back.
    std::unique_ptr<ShortcutRecord> TakeRow(int row);
    void AfterSpecialChange(bool removed);
    void ShowContextMenu(int row, POINT screen);
    void FitColumn();
    bool IsMeterThatMeasuresStorage(const ShortcutRecord& shortcut) const;

    int m_ordinaryCount = 0;
    int m_position = -1;
    ShownTab m_shown;
    int m_selected = -1;
    bool m_updating = false;
    int m_pictureSize = 16;
    UniqueImageList m_pictures;
    std::vector<std::wstring> m_cards; // the storage cards when the context menu was built
};

} // namespace norvane::options
