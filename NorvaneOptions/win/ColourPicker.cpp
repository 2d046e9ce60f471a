// The colour picker.
#include "ColourPicker.h"

#include "Aygshell.h"
#include "CeMenuBar.h"
#include "DisplayScale.h"
#include "OptionsApp.h"
#include "Pictures.h"

#include <commctrl.h>

namespace norvane::options {

namespace {

constexpr int kSliders[] = {IDC_RED_SLIDER, IDC_GREEN_SLIDER, IDC_BLUE_SLIDER};
constexpr int kFields[] = {IDC_RED_FIELD, IDC_GREEN_FIELD, IDC_BLUE_FIELD};
constexpr int kLabels[] = {IDC_RED_LABEL, IDC_GREEN_LABEL, IDC_BLUE_LABEL};
constexpr UINT kLabelTexts[] = {IDS_RED, IDS_GREEN, IDS_BLUE};
// Everything the "RGB Values" tab shows.
constexpr int kRgbControls[] = {IDC_RED_SLIDER,  IDC_GREEN_SLIDER, IDC_BLUE_SLIDER, IDC_RED_LABEL,
                                IDC_GREEN_LABEL, IDC_BLUE_LABEL,   IDC_RED_FIELD,   IDC_GREEN_FIELD,
                                IDC_BLUE_FIELD,  IDC_HEX_FIELD,    IDC_HEX_LABEL};
constexpr COLORREF kSwatchFrame = 0x281414;

int IndexOf(const int (&ids)[3], int id) {
    for (int i = 0; i < 3; ++i) {
        if (ids[i] == id) {
            return i;
        }
    }
    return -1;
}

} // namespace

ColourPicker::ColourPicker(OptionsApp& app, int initial, int startTab)
    : m_app(app), m_colour(initial), m_tab(startTab == kPickerTab ? kPickerTab : kRgbValuesTab),
      m_rgb(initial >= 0 ? SplitColour(static_cast<ColorValue>(initial)) : Rgb{}) {}

int ColourPicker::Run(HWND owner) {
    m_answer = kPickerCancelled;
    RunModal(m_app.Instance(), IDD_COLOR_DIALOG_NAME, owner);
    return m_answer;
}

HWND ColourPicker::Create(HWND owner) {
    m_answer = kPickerCancelled;
    return CreateModeless(m_app.Instance(), IDD_COLOR_DIALOG_NAME, owner);
}

int ColourPicker::ComponentOf(int which) const {
    return which == 0 ? m_rgb.red : which == 1 ? m_rgb.green : m_rgb.blue;
}

RECT ColourPicker::PaletteRect() const {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int width = ScaleX(184);
    const int left = (client.right - width) / 2;
    return RECT{left, ScaleX(20), left + width, ScaleX(20) + ScaleX(42)};
}

RECT ColourPicker::StripRect() const {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int tabsHeight = ScaleX(22);
    return RECT{0, client.bottom - tabsHeight - ScaleX(24), client.right, client.bottom - tabsHeight};
}

void ColourPicker::OnInit() {
    m_parentCaption.clear();
    if (HWND parent = GetParent(m_hwnd)) {
        wchar_t caption[256] = L"";
        GetWindowTextW(parent, caption, 256);
        m_parentCaption = caption;
        SetWindowTextW(parent, m_app.Text(IDS_COLOR_PICKER).c_str());
    }
    SetWindowTextW(m_hwnd, m_app.Text(IDS_COLOR_PICKER).c_str());
    PrepareDialog(m_hwnd, m_app, 0, m_fonts, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = m_hwnd;
    bar.nToolBarId = IDM_COLOR_BAR;
    bar.hInstRes = m_app.ResourceModuleFor(RT_MENU, MAKEINTRESOURCEW(IDM_COLOR_BAR));
    if (SHCreateMenuBar(&bar)) {
        m_menuBar = bar.hwndMB;
    }
    for (int i = 0; i < 3; ++i) {
        SetDlgItemTextW(m_hwnd, kLabels[i], m_app.Text(kLabelTexts[i]).c_str());
        SendDlgItemMessageW(m_hwnd, kSliders[i], TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        SendDlgItemMessageW(m_hwnd, kFields[i], EM_LIMITTEXT, 8, 0);
    }
    SetDlgItemTextW(m_hwnd, IDC_HEX_LABEL, m_app.Text(IDS_HTML).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_HEX_FIELD, EM_LIMITTEXT, 256, 0);

    // The tab strip along the bottom.
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int tabsHeight = ScaleX(22);
    m_tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_BOTTOM, 0,
                             client.bottom - tabsHeight, client.right, tabsHeight, m_hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_COLOR_TABS)), m_app.Instance(),
                             nullptr);
    SendMessageW(m_tabs, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(m_hwnd, m_fonts)), FALSE);
    const std::wstring names[] = {m_app.Text(IDS_RGB_VALUES), m_app.Text(IDS_PICKER)};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(names[i].c_str());
        SendMessageW(m_tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    // The tabs take the strip's whole height (less the lift of the selected
    // one), so that no empty page frame shows above them.
    SendMessageW(m_tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(0, tabsHeight - ScaleX(2)));
    LoadJpegResource(m_app.Instance(), ScaleX(1) > 1 ? IDJ_PALETTE_LARGE : IDJ_PALETTE, m_palette);
    m_stripFont = m_fonts.Add(CreateFontW(-ScaleX(12), 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                          0, CLEARTYPE_QUALITY, 0, L"Tahoma"));
    ShowColour(true);
    SelectTab(m_tab);
}

void ColourPicker::SelectTab(int tab) {
    m_tab = tab == kPickerTab ? kPickerTab : kRgbValuesTab;
    if (m_tabs != nullptr) {
        SendMessageW(m_tabs, TCM_SETCURSEL, m_tab, 0);
    }
    for (int id : kRgbControls) {
        ShowWindow(Item(id), m_tab == kRgbValuesTab ? SW_SHOW : SW_HIDE);
    }
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ColourPicker::ShowColour(bool rewriteFields) {
    m_updating = true;
    for (int i = 0; i < 3; ++i) {
        const int component = ComponentOf(i);
        SendDlgItemMessageW(m_hwnd, kSliders[i], TBM_SETPOS, TRUE, SliderPosition(component));
        if (rewriteFields) {
            SetDlgItemInt(m_hwnd, kFields[i], static_cast<UINT>(component), FALSE);
        }
    }
    SetDlgItemTextW(m_hwnd, IDC_HEX_FIELD, HexText(m_rgb).c_str());
    m_updating = false;
    const RECT strip = StripRect();
    InvalidateRect(m_hwnd, &strip, TRUE);
}

void ColourPicker::SetComponent(int which, int value, bool fromSlider) {
    (which == 0 ? m_rgb.red : which == 1 ? m_rgb.green : m_rgb.blue) = value;
    m_colour = static_cast<int>(JoinColour(m_rgb));
    m_updating = true;
    SetDlgItemInt(m_hwnd, kFields[which], static_cast<UINT>(value), FALSE);
    m_updating = false;
    if (fromSlider) {
        // Leave the slider where the stylus put it.
        m_updating = true;
        SetDlgItemTextW(m_hwnd, IDC_HEX_FIELD, HexText(m_rgb).c_str());
        m_updating = false;
        const RECT strip = StripRect();
        InvalidateRect(m_hwnd, &strip, TRUE);
    } else {
        ShowColour(false);
    }
}

void ColourPicker::CommitField(int id) {
    const int which = IndexOf(kFields, id);
    // Only what the user typed counts: passing through a field changes nothing.
    if (which < 0 || m_updating || !SendDlgItemMessageW(m_hwnd, id, EM_GETMODIFY, 0, 0)) {
        return;
    }
    SendDlgItemMessageW(m_hwnd, id, EM_SETMODIFY, FALSE, 0);
    wchar_t text[64] = L"";
    GetDlgItemTextW(m_hwnd, id, text, 64);
    if (const auto value = ParseComponent(text)) {
        SetComponent(which, *value, false);
        return;
    }
    m_updating = true;
    m_app.MessageWithCaption(m_hwnd, m_app.Text(IDS_VALID_VALUES), m_app.Text(IDS_INVALID_VALUE),
                             MB_OK | MB_ICONEXCLAMATION);
    SetDlgItemInt(m_hwnd, id, static_cast<UINT>(ComponentOf(which)), FALSE);
    m_updating = false;
}

void ColourPicker::CommitHex() {
    if (m_updating || !SendDlgItemMessageW(m_hwnd, IDC_HEX_FIELD, EM_GETMODIFY, 0, 0)) {
        return;
    }
    SendDlgItemMessageW(m_hwnd, IDC_HEX_FIELD, EM_SETMODIFY, FALSE, 0);
    wchar_t text[260] = L"";
    GetDlgItemTextW(m_hwnd, IDC_HEX_FIELD, text, 260);
    if (const auto rgb = ParseHexColour(text)) {
        m_rgb = *rgb;
        m_colour = static_cast<int>(JoinColour(m_rgb));
        ShowColour(true);
        return;
    }
    // Not a colour: say so and put the current colour back.
    m_updating = true;
    m_app.MessageWithCaption(m_hwnd, m_app.Text(IDS_HEX_INVALID), m_app.Text(IDS_INVALID_VALUE),
                             MB_OK | MB_ICONEXCLAMATION);
    SetDlgItemTextW(m_hwnd, IDC_HEX_FIELD, HexText(m_rgb).c_str());
    m_updating = false;
}

void ColourPicker::PickAt(POINT point) {
    const RECT palette = PaletteRect();
    if (m_tab != kPickerTab || !PtInRect(&palette, point)) {
        return;
    }
    const COLORREF colour = PictureColourAt(m_palette, palette, point);
    m_rgb = SplitColour(colour);
    m_colour = static_cast<int>(JoinColour(m_rgb));
    ShowColour(true);
}

void ColourPicker::Paint(HDC dc) {
    if (m_tab == kPickerTab) {
        RECT palette = PaletteRect();
        StretchPicture(dc, m_palette, palette);
        InflateRect(&palette, 1, 1);
        FrameRect(dc, &palette, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    const RECT strip = StripRect();
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, m_stripFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const std::wstring label = m_app.Text(IDS_SELECTED_COLOR);
    RECT text = strip;
    text.left += ScaleX(4);
    DrawTextW(dc, label.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SIZE extent{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    const int x = text.left + extent.cx + ScaleX(2);
    if (m_colour < 0) {
        RECT value = strip;
        value.left = x;
        DrawTextW(dc, m_app.Text(IDS_COLOR_DEFAULT).c_str(), -1, &value,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    } else {
        const int top = (strip.top + strip.bottom - ScaleX(12)) / 2;
        RECT swatch{x, top, x + ScaleX(50), top + ScaleX(12)};
        HBRUSH frame = CreateSolidBrush(kSwatchFrame);
        FrameRect(dc, &swatch, frame);
        DeleteObject(frame);
        InflateRect(&swatch, -1, -1);
        HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(m_colour));
        FillRect(dc, &swatch, fill);
        DeleteObject(fill);
    }
    SelectObject(dc, oldFont);
}

INT_PTR ColourPicker::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return TRUE;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_SIZE:
        if (m_tabs != nullptr) {
            const int tabsHeight = ScaleX(22);
            SetWindowPos(m_tabs, nullptr, 0, HIWORD(lParam) - tabsHeight, LOWORD(lParam), tabsHeight,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(m_hwnd, nullptr, TRUE);
        }
        return TRUE;
    case WM_HSCROLL: {
        const int which = IndexOf(kSliders, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        if (which < 0 || LOWORD(wParam) == TB_ENDTRACK || m_updating) {
            return TRUE;
        }
        const int position = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
        SetComponent(which, ComponentAtSlider(position), true);
        return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
        if (message == WM_LBUTTONDOWN || (wParam & MK_LBUTTON)) {
            PickAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        }
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == m_tabs && header->code == TCN_SELCHANGE) {
            SelectTab(static_cast<int>(SendMessageW(m_tabs, TCM_GETCURSEL, 0, 0)));
            return TRUE;
        }
        break;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (IndexOf(kFields, id) >= 0 || id == IDC_HEX_FIELD) {
            if (code == EN_SETFOCUS) {
                SHSipPreference(m_hwnd, SIP_UP);
            } else if (code == EN_KILLFOCUS) {
                if (id == IDC_HEX_FIELD) {
                    CommitHex();
                } else {
                    CommitField(id);
                }
                SHSipPreference(m_hwnd, SIP_DOWN);
            }
            return TRUE;
        }
        switch (id) {
        case IDOK: {
            // Done may come while a field still holds what was typed.
            const int focused = GetDlgCtrlID(GetFocus());
            if (IndexOf(kFields, focused) >= 0) {
                CommitField(focused);
            } else if (focused == IDC_HEX_FIELD) {
                CommitHex();
            }
            m_answer = m_colour;
            End(IDOK);
            return TRUE;
        }
        case IDCANCEL:
        case IDC_CLOSE_WITHOUT_SAVING:
            m_answer = kPickerCancelled;
            End(IDCANCEL);
            return TRUE;
        case IDC_DEFAULT_COLOR: {
            m_colour = kPickerDefault;
            const RECT strip = StripRect();
            InvalidateRect(m_hwnd, &strip, TRUE);
            return TRUE;
        }
        default:
            break;
        }
        break;
    }
    case WM_DESTROY:
        if (HWND parent = GetParent(m_hwnd)) {
            SetWindowTextW(parent, m_parentCaption.c_str());
        }
        if (m_menuBar != nullptr && IsWindow(m_menuBar)) {
            DestroyWindow(m_menuBar);
        }
        m_menuBar = nullptr;
        m_tabs = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
