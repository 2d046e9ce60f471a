// The About page.
#include "AboutPage.h"

#include "ImageDraw.h"
#include "OptionsApp.h"
#include "Pictures.h"

#include <algorithm>

namespace norvane::options {

AboutPage::AboutPage(OptionsSheet& sheet) : PageBase(sheet, IDD_ABOUT_PAGE, IDD_ABOUT_PAGE_WIDE, IDS_ABOUT) {}

void AboutPage::OnInit() {
    SetDlgItemTextW(m_hwnd, IDC_ABOUT_VERSION, App().Text(IDS_VERSION).c_str());
    SetDlgItemTextW(m_hwnd, IDC_ABOUT_TEXT, App().Text(IDS_ABOUT_TEXT).c_str());
    LoadJpegResource(App().Instance(), App().HiResDisplay() ? IDJ_LOGO_LARGE : IDJ_LOGO, m_logo);
    m_anchors.Add(IDC_ABOUT_LOGO, kStretchRight);
    m_anchors.Add(IDC_ABOUT_VERSION, kStretchRight);
    m_anchors.Add(IDC_ABOUT_TEXT, kStretchRight | kStretchDown);
}

INT_PTR AboutPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_ABOUT_LOGO) {
            return FALSE;
        }
        // The page's own background around the picture.
        HBRUSH background = reinterpret_cast<HBRUSH>(SendMessageW(m_hwnd, WM_CTLCOLORSTATIC,
                                                                  reinterpret_cast<WPARAM>(item->hDC),
                                                                  reinterpret_cast<LPARAM>(item->hwndItem)));
        FillRect(item->hDC, &item->rcItem,
                 background != nullptr ? background : GetSysColorBrush(COLOR_WINDOW));
        if (!m_logo.IsEmpty()) {
            const int width = item->rcItem.right - item->rcItem.left;
            const int height = item->rcItem.bottom - item->rcItem.top;
            // At its own size, centred; scaled down only when the place is smaller.
            const int size = std::min({width, height, m_logo.Width()});
            RECT target{item->rcItem.left + (width - size) / 2, item->rcItem.top + (height - size) / 2, 0, 0};
            target.right = target.left + size;
            target.bottom = target.top + size * m_logo.Height() / std::max(1, m_logo.Width());
            StretchPicture(item->hDC, m_logo, target);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace norvane::options
