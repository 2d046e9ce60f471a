// The follow-up questions of a new shortcut and the contact chooser.
#include "FollowUpDialogs.h"

#include "Aygshell.h"
#include "CeContacts.h"
#include "OptionsApp.h"
#include "Settings.h"
#include "ShortcutEditing.h"

#include <algorithm>

namespace norvane::options {

namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[MAX_PATH + 1] = L"";
    GetDlgItemTextW(dialog, id, text, MAX_PATH + 1);
    return text;
}

void CentreOnOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT area;
    if (owner == nullptr || !GetWindowRect(owner, &area)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own;
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    // A dialog taller than its owner stays between the task bar and the soft
    // keys, its title below the task bar when it cannot fit.
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU)};
    RECT bar;
    if (HWND taskBar = FindWindowW(L"HHTaskBar", nullptr); taskBar != nullptr && GetWindowRect(taskBar, &bar)) {
        screen.top = bar.bottom;
    }
    left = std::max<int>(screen.left, std::min<int>(left, screen.right - width));
    top = std::max<int>(screen.top, std::min<int>(top, screen.bottom - height));
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace

INT_PTR FollowUpDialog::RunWith(int templateId, HWND owner) {
    m_templateId = templateId;
    return RunModal(m_app.Instance(), MAKEINTRESOURCEW(templateId), owner);
}

INT_PTR FollowUpDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        PrepareDialog(m_hwnd, m_app, 0, m_fonts, 0);
        SetDlgItemTextW(m_hwnd, IDOK, m_app.Text(IDS_OK).c_str());
        OnInit();
        CentreOnOwner(m_hwnd);
        m_app.DialogReady(m_hwnd, m_templateId);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            if (OnOk()) {
                End(IDOK);
            }
            return TRUE;
        }
        if (id == IDCANCEL) {
            End(IDCANCEL);
            return TRUE;
        }
        return OnCommand(id, HIWORD(wParam)) ? TRUE : FALSE;
    }
    default:
        break;
    }
    return FALSE;
}

MeterPathDialog::MeterPathDialog(OptionsApp& app, std::wstring meterName, std::vector<std::wstring> cards)
    : FollowUpDialog(app), m_meterName(std::move(meterName)), m_cards(std::move(cards)) {}

bool MeterPathDialog::Run(HWND owner, std::wstring& card) {
    if (m_cards.empty()) {
        return false; // nothing to choose from: skipped without a word
    }
    if (RunWith(IDD_METER_PATH, owner) != IDOK) {
        return false;
    }
    card = m_card;
    return true;
}

void MeterPathDialog::OnInit() {
    SetDlgItemTextW(m_hwnd, IDC_FOLLOW_TEXT,
                    FormatText(m_app.Text(IDS_METER_PATH_PROMPT), m_meterName).c_str());
    HWND list = Item(IDC_FOLLOW_CHOICE);
    for (const std::wstring& card : m_cards) {
        const std::wstring entry = L"\\" + card;
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, 0, 0);
}

bool MeterPathDialog::OnOk() {
    const int chosen = static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_FOLLOW_CHOICE, CB_GETCURSEL, 0, 0));
    if (chosen < 0 || chosen >= static_cast<int>(m_cards.size())) {
        return false;
    }
    m_card = L"\\" + m_cards[static_cast<std::size_t>(chosen)];
    return true;
}

PhoneNumberDialog::PhoneNumberDialog(OptionsApp& app, std::wstring additionalTarget, bool fullScreen)
    : FollowUpDialog(app), m_target(std::move(additionalTarget)), m_fullScreen(fullScreen) {}

bool PhoneNumberDialog::Run(HWND owner, std::wstring& number) {
    if (RunWith(IDD_PHONE_NUMBER, owner) != IDOK) {
        return false;
    }
    number = m_number;
    return true;
}

void PhoneNumberDialog::OnInit() {
    SetWindowTextW(m_hwnd, m_app.Text(IDS_SELECT_PHONE_NUMBER).c_str());
    static constexpr UINT kSubjects[] = {IDS_SMS_WORD, IDS_PHONE_CALL_WORD, IDS_ACTION_WORD};
    const std::wstring subject = m_app.Text(kSubjects[PhoneNumberSubject(m_target)]);
    SetDlgItemTextW(m_hwnd, IDC_FOLLOW_TEXT, FormatText(m_app.Text(IDS_PHONE_PROMPT), subject).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PHONE_CONTACTS, m_app.Text(IDS_SELECT_FROM_CONTACTS).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_PHONE_NUMBER, EM_LIMITTEXT, 100, 0);
    if (m_fullScreen) {
        SHINITDLGINFO info{};
        info.dwMask = SHIDIM_FLAGS;
        info.hDlg = m_hwnd;
        info.dwFlags = SHIDIF_SIZEDLGFULLSCREEN;
        SHInitDialog(&info);
        SHSipPreference(m_hwnd, SIP_UP);
    }
    SetFocus(Item(IDC_PHONE_NUMBER));
}

bool PhoneNumberDialog::OnOk() {
    m_number = ItemText(m_hwnd, IDC_PHONE_NUMBER);
    if (m_fullScreen) {
        SHSipPreference(m_hwnd, SIP_DOWN);
    }
    return true;
}

bool PhoneNumberDialog::OnCommand(int id, int code) {
    if (id != IDC_PHONE_CONTACTS || code != BN_CLICKED) {
        return false;
    }
    std::wstring number;
    if (ChooseContactNumber(m_app, m_hwnd, number)) {
        SetDlgItemTextW(m_hwnd, IDC_PHONE_NUMBER, number.c_str());
    }
    return true;
}

TabChooserDialog::TabChooserDialog(OptionsApp& app, const Settings& settings, bool jumpToTab)
    : FollowUpDialog(app), m_settings(settings), m_jumpToTab(jumpToTab) {}

bool TabChooserDialog::Run(HWND owner, int& uniqueId) {
    if (RunWith(IDD_TAB_CHOOSER, owner) != IDOK) {
        return false;
    }
    uniqueId = m_chosen;
    return true;
}

void TabChooserDialog::OnInit() {
    SetDlgItemTextW(m_hwnd, IDC_FOLLOW_TEXT,
                    m_app.Text(m_jumpToTab ? IDS_JUMP_TO_TAB_PROMPT : IDS_TAB_MENU_PROMPT).c_str());
    HWND list = Item(IDC_TAB_CHOICE);
    for (const auto& tab : m_settings.Tabs()) {
        if (m_jumpToTab && tab->Hidden) {
            continue;
        }
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tab->Name.c_str()));
        m_ids.push_back(tab->UniqueID);
    }
    SendMessageW(list, CB_SETCURSEL, 0, 0);
}

bool TabChooserDialog::OnOk() {
    const int chosen = static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_TAB_CHOICE, CB_GETCURSEL, 0, 0));
    if (chosen < 0 || chosen >= static_cast<int>(m_ids.size())) {
        return false;
    }
    m_chosen = m_ids[static_cast<std::size_t>(chosen)];
    return true;
}

bool ContactPicker::Run(HWND owner, std::wstring& number) {
    if (RunWith(IDD_CONTACTS, owner) != IDOK) {
        return false;
    }
    number = m_number;
    return true;
}

void ContactPicker::OnInit() {
    SetWindowTextW(m_hwnd, m_app.Text(IDS_CONTACTS_TITLE).c_str());
    SetDlgItemTextW(m_hwnd, IDCANCEL, m_app.Text(IDS_CANCEL).c_str());
    HWND list = Item(IDC_CONTACT_LIST);
    for (const platform::ContactNumber& contact : platform::ReadContactNumbers()) {
        const std::wstring row = contact.name + L" (" + contact.kind + L"): " + contact.number;
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        m_numbers.push_back(contact.number);
    }
    if (m_numbers.empty()) {
        const std::wstring none = m_app.Text(IDS_NO_CONTACTS);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none.c_str()));
        EnableWindow(list, FALSE);
        EnableWindow(Item(IDOK), FALSE);
    } else {
        SendMessageW(list, LB_SETCURSEL, 0, 0);
    }
}

bool ContactPicker::OnOk() {
    const int chosen = static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_CONTACT_LIST, LB_GETCURSEL, 0, 0));
    if (chosen < 0 || chosen >= static_cast<int>(m_numbers.size())) {
        return false;
    }
    m_number = m_numbers[static_cast<std::size_t>(chosen)];
    return true;
}

bool ContactPicker::OnCommand(int id, int code) {
    if (id == IDC_CONTACT_LIST && code == LBN_DBLCLK) {
        if (OnOk()) {
            End(IDOK);
        }
        return true;
    }
    return false;
}

bool ChooseContactNumber(OptionsApp& app, HWND owner, std::wstring& number) {
    ContactPicker picker(app);
    return picker.Run(owner, number);
}

} // namespace norvane::options
