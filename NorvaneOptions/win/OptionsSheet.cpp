// The options sheet and the pages' common handling.
#include "OptionsSheet.h"

#include "AboutPage.h"
#include "OptionsApp.h"
#include "OptionsPage.h"
#include "ShortcutsPage.h"
#include "StartTrace.h"
#include "TabsPage.h"

#include <commctrl.h>

#include <algorithm>

namespace norvane::options {

namespace {

// The sheet being created: its callback carries no pointer of its own. The
// program is single-threaded and builds one sheet at a time.
OptionsSheet* g_creating = nullptr;

constexpr UINT_PTR kSheetSubclassId = 1;
constexpr int kApplyNowId = 0x3021;
constexpr int kHelpId = 0x0009;

// The desktop sheet's own buttons: a device sheet has none.
constexpr int kSheetButtons[] = {IDOK, IDCANCEL, kApplyNowId, kHelpId};

} // namespace

// ---------------------------------------------------------------- pages

PageBase::PageBase(OptionsSheet& sheet, int templateId, int landscapeId, UINT titleId)
    : m_sheet(sheet), m_templateId(templateId), m_landscapeId(landscapeId),
      m_title(sheet.App().Text(titleId)) {}

OptionsApp& PageBase::App() const {
    return m_sheet.App();
}

Settings& PageBase::Working() const {
    return m_sheet.Working();
}

PROPSHEETPAGEW PageBase::Describe() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = App().Instance();
    page.pszTemplate = MAKEINTRESOURCEW(m_templateId);
    page.pszTitle = m_title.c_str();
    page.pfnDlgProc = Procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK PageBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PageBase* self = nullptr;
    if (message == WM_INITDIALOG) {
        const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        self = page != nullptr ? reinterpret_cast<PageBase*>(page->lParam) : nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self == nullptr) {
            return FALSE;
        }
        self->m_hwnd = hwnd;
        TraceStep("page_created");
        self->m_anchors.Capture(hwnd,
                                PrepareDialog(hwnd, self->App(), self->m_landscapeId, self->m_fonts, 0));
        TraceStep("page_prepared");
        self->OnInit();
        return TRUE;
    }
    self = reinterpret_cast<PageBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == PSN_SETACTIVE) {
            self->OnSetActive();
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (header->code == PSN_QUERYCANCEL) {
            // The sheet is never cancelled by itself: the frame asks first.
            self->m_sheet.Host().SheetCommand(IDC_CLOSE_WITHOUT_SAVING);
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    }
    case WM_SIZE:
        self->Arrange();
        break;
    default:
        break;
    }
    const INT_PTR result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->m_fonts.Clear();
        self->m_hwnd = nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    }
    return result;
}

void PageBase::Arrange() {
    RECT client;
    if (m_hwnd == nullptr || !m_sheet.Placed() || !GetClientRect(m_hwnd, &client)) {
        return;
    }
    if (client.right == m_arranged.cx && client.bottom == m_arranged.cy) {
        return;
    }
    m_arranged = SIZE{client.right, client.bottom};
    m_anchors.Apply(client.right, client.bottom);
    OnResize(client.right, client.bottom);
}

// ---------------------------------------------------------------- the sheet

OptionsSheet::OptionsSheet(OptionsApp& app, SheetHost& host, int initialTab)
    : m_app(app), m_host(host), m_settings(app.Environment()), m_shortcutsTab(initialTab),
      m_tabsTab(initialTab) {
    m_app.LoadSettings(m_settings);
    m_options = std::make_unique<OptionsPage>(*this);
    m_shortcuts = std::make_unique<ShortcutsPage>(*this);
    m_tabs = std::make_unique<TabsPage>(*this);
    m_about = std::make_unique<AboutPage>(*this);
    m_pages = {m_options.get(), m_shortcuts.get(), m_tabs.get(), m_about.get()};
}

OptionsSheet::~OptionsSheet() {
    Destroy();
}

HWND OptionsSheet::Create(HWND frame) {
    PROPSHEETPAGEW pages[4];
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        pages[i] = m_pages[i]->Describe();
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = frame;
    header.hInstance = m_app.Instance();
    header.nPages = static_cast<UINT>(m_pages.size());
    header.ppsp = pages;
    header.pfnCallback = SheetCallback;
    g_creating = this;
    const INT_PTR created = PropertySheetW(&header);
    g_creating = nullptr;
    if (created <= 0) {
        m_hwnd = nullptr;
        return nullptr;
    }
    m_hwnd = reinterpret_cast<HWND>(created);
    // Laid out when the frame gives the sheet its size (LayoutSheet).
    return m_hwnd;
}

void OptionsSheet::Destroy() {
    if (m_hwnd != nullptr && IsWindow(m_hwnd)) {
        RemoveWindowSubclass(m_hwnd, SheetSubclass, kSheetSubclassId);
        DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

int CALLBACK OptionsSheet::SheetCallback(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam != 0) {
        // A child of the frame: no caption, no frame, no popup.
        auto* words = reinterpret_cast<WORD*>(lParam);
        const bool extended = words[0] == 1 && words[1] == 0xFFFF;
        auto* style = reinterpret_cast<DWORD*>(extended ? reinterpret_cast<BYTE*>(lParam) + 12
                                                        : reinterpret_cast<BYTE*>(lParam));
        auto* exStyle = reinterpret_cast<DWORD*>(extended ? reinterpret_cast<BYTE*>(lParam) + 8
                                                          : reinterpret_cast<BYTE*>(lParam) + 4);
        *style &= ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_THICKFRAME |
                                      DS_CONTEXTHELP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        *style |= WS_CHILD | WS_CLIPCHILDREN;
        *exStyle &= ~static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTEXTHELP);
        *exStyle |= WS_EX_CONTROLPARENT;
    } else if (message == PSCB_INITIALIZED && g_creating != nullptr) {
        g_creating->OnInitialized(hwnd);
    }
    return 0;
}

void OptionsSheet::OnInitialized(HWND sheet) {
    TraceStep("sheet_dialog");
    m_hwnd = sheet;
    for (int id : kSheetButtons) {
        if (HWND button = GetDlgItem(sheet, id)) {
            ShowWindow(button, SW_HIDE);
            EnableWindow(button, FALSE);
        }
    }
    if (HWND tabs = PropSheet_GetTabControl(sheet)) {
        SetWindowLongPtrW(tabs, GWL_STYLE, GetWindowLongPtrW(tabs, GWL_STYLE) | TCS_BOTTOM);
    }
    SetWindowSubclass(sheet, SheetSubclass, kSheetSubclassId, reinterpret_cast<DWORD_PTR>(this));
    m_host.SheetReady(sheet);
}

LRESULT CALLBACK OptionsSheet::SheetSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) {
    auto* self = reinterpret_cast<OptionsSheet*>(data);
    switch (message) {
    case WM_SIZE:
        if (self->m_hwnd == hwnd) {
            self->Layout();
        }
        return 0;
    case WM_COMMAND:
        // The sheet's own OK and Cancel are hidden; the keyboard still reaches
        // them. Enter does nothing, Escape asks to close without saving.
        if (lParam == 0 || GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == LOWORD(wParam)) {
            if (LOWORD(wParam) == IDOK) {
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                self->m_host.SheetCommand(IDC_CLOSE_WITHOUT_SAVING);
                return 0;
            }
        }
        break;
    case WM_NOTIFY: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TCN_SELCHANGE) {
            self->LayoutPage(self->CurrentPageHandle());
        }
        return result;
    }
    case PSM_SETCURSEL: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        self->LayoutPage(self->CurrentPageHandle());
        return result;
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void OptionsSheet::Layout() {
    if (m_hwnd == nullptr) {
        return;
    }
    m_placed = true;
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (HWND tabs = PropSheet_GetTabControl(m_hwnd)) {
        // The tab control is only the strip of tabs at the bottom; the pages
        // fill the rest. Covering the whole sheet, it would paint its pane
        // under the page first, which costs more than the rest of the page.
        // How many rows the tabs take depends on the width, so that comes first.
        SetWindowPos(tabs, HWND_BOTTOM, 0, client.bottom, client.right, 0, SWP_NOACTIVATE);
        const int strip = std::min<int>(StripHeight(tabs), client.bottom);
        SetWindowPos(tabs, HWND_BOTTOM, 0, client.bottom - strip, client.right, strip, SWP_NOACTIVATE);
    }
    for (PageBase* page : m_pages) {
        if (page->Handle() != nullptr) {
            LayoutPage(page->Handle());
        }
    }
}

int OptionsSheet::StripHeight(HWND tabs) {
    // The control around an empty display area: its rows of tabs and edges.
    RECT window{0, 0, 0, 0};
    TabCtrl_AdjustRect(tabs, TRUE, &window);
    return window.bottom - window.top;
}

void OptionsSheet::LayoutPage(HWND page) {
    HWND tabs = PropSheet_GetTabControl(m_hwnd);
    if (page == nullptr || tabs == nullptr) {
        return;
    }
    RECT area;
    GetClientRect(m_hwnd, &area);
    RECT strip;
    GetWindowRect(tabs, &strip);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&strip), 2);
    area.bottom = strip.top;
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
    // A page whose size did not change had no WM_SIZE to lay it out.
    if (auto* self = reinterpret_cast<PageBase*>(GetWindowLongPtrW(page, DWLP_USER))) {
        self->Arrange();
    }
}

void OptionsSheet::ShowPage(int index) {
    if (m_hwnd != nullptr) {
        PropSheet_SetCurSel(m_hwnd, nullptr, index);
    }
}

int OptionsSheet::CurrentPage() const {
    if (m_hwnd == nullptr) {
        return -1;
    }
    HWND tabs = PropSheet_GetTabControl(m_hwnd);
    return tabs != nullptr ? TabCtrl_GetCurSel(tabs) : -1;
}

HWND OptionsSheet::CurrentPageHandle() const {
    return m_hwnd != nullptr ? PropSheet_GetCurrentPageHwnd(m_hwnd) : nullptr;
}

bool OptionsSheet::PreTranslate(MSG& msg) {
    return m_hwnd != nullptr && PropSheet_IsDialogMessage(m_hwnd, &msg);
}

void OptionsSheet::CommitPending() {
    for (PageBase* page : m_pages) {
        if (page->Handle() != nullptr) {
            page->CommitPending();
        }
    }
}

} // namespace norvane::options
