// The Shortcuts page (see ShortcutsPage.h).
#include "ShortcutsPage.h"

#include "OptionsApp.h"

namespace norvane::options {

ShortcutsPage::ShortcutsPage(OptionsSheet& sheet)
    : PageBase(sheet, IDD_SHORTCUTS_PAGE, IDD_SHORTCUTS_PAGE_WIDE, IDS_SHORTCUTS) {}

void ShortcutsPage::OnInit() {
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUTS_NOTICE, App().Text(IDS_SHORTCUTS_NOTICE).c_str());
    m_anchors.Add(IDC_SHORTCUTS_NOTICE, kStretchRight | kStretchDown);
}

INT_PTR ShortcutsPage::HandleMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace norvane::options
