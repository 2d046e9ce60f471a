// The Shortcuts page: the shortcuts of a launcher tab or of a special tab, with
// adding, ordering, targets, images and additional properties. The shortcut
// editor fills this class in; until then the page shows a notice and edits
// nothing. What it has to work with: the sheet's working settings (Working()),
// the launcher tab it starts on (m_sheet.ShortcutsPageTab(), set by the Tabs
// page too; it sets m_sheet.SetTabsPageTab() when its tab changes), the image
// chooser (ImageChooser, ImageMode::ShortcutImages), the target browser seam
// (TargetBrowser.h) and the folder picker.
#pragma once

#include "OptionsSheet.h"

namespace norvane::options {

class ShortcutsPage : public PageBase {
public:
    explicit ShortcutsPage(OptionsSheet& sheet);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
};

} // namespace norvane::options
