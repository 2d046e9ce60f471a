// The Additional Properties dialog (see AdditionalProperties.h).
#include "AdditionalProperties.h"

#include "Aygshell.h"
#include "FolderPicker.h"
#include "FollowUpDialogs.h"
#include "OptionTables.h"
#include "OptionsApp.h"
#include "Settings.h"

#include <commctrl.h>

namespace norvane::options {

namespace {

constexpr int kEditors[] = {IDC_PROP_CHECK, IDC_PROP_CHOICE, IDC_PROP_TEXT, IDC_PROP_BROWSE, IDC_PROP_COLOR};

std::wstring FieldText(HWND field) {
    wchar_t text[MAX_PATH + 1] = L"";
    GetWindowTextW(field, text, MAX_PATH + 1);
    return text;
}

} // namespace

AdditionalPropertiesDialog::AdditionalPropertiesDialog(OptionsApp& app, const Settings& settings,
                                                       ShortcutRecord& shortcut)
    : m_app(app), m_settings(settings), m_shortcut(shortcut),
      m_options(PropertyOptionsFor(shortcut.AdditionalTarget())) {}

bool AdditionalPropertiesDialog::Run(HWND owner) {
    m_accepted = false;
    RunModal(m_app.Instance(), MAKEINTRESOURCEW(IDD_ADDITIONAL), owner);
    return m_accepted;
}

HWND AdditionalPropertiesDialog::Create(HWND owner) {
    m_accepted = false;
    return CreateModeless(m_app.Instance(), MAKEINTRESOURCEW(IDD_ADDITIONAL), owner);
}

void AdditionalPropertiesDialog::OnInit() {
    SetWindowTextW(m_hwnd, m_app.Text(IDS_ADDITIONAL_TITLE).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_HEADING, m_app.Text(IDS_ADDITIONAL_HEADING).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_NAME, m_shortcut.Caption().c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_DESCRIPTION, m_app.Text(IDS_SELECT_OPTION).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_BROWSE, m_app.Text(IDS_BROWSE_BUTTON).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_PROP_TEXT, EM_LIMITTEXT, MAX_PATH, 0);
    m_anchors.Capture(m_hwnd, PrepareDialog(m_hwnd, m_app, IDD_ADDITIONAL_WIDE, m_fonts,
                                            SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN));
    m_menuBar.Create(m_hwnd);
    for (int id : {IDC_PROP_HEADING, IDC_PROP_NAME, IDC_PROP_DESCRIPTION, IDC_PROP_CHECK, IDC_PROP_CHOICE,
                   IDC_PROP_TEXT}) {
        m_anchors.Add(id, kStretchRight);
    }
    m_anchors.Add(IDC_PROP_BROWSE, kMoveRight);
    m_anchors.Add(IDC_PROP_LIST, kStretchRight | kStretchDown);
    HWND list = Item(IDC_PROP_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ListView_InsertColumn(list, 0, &column);
    m_updating = true;
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        const std::wstring title = OptionTitle(m_app.Text(m_options[i]->textId));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(title.c_str());
        ListView_InsertItem(list, &item);
    }
    m_updating = false;
    HideEditors();
    RECT client;
    GetClientRect(m_hwnd, &client);
    m_anchors.Apply(client.right, client.bottom);
    GetClientRect(list, &client);
    ListView_SetColumnWidth(list, 0, client.right);
    m_app.DialogReady(m_hwnd, IDD_ADDITIONAL);
}

void AdditionalPropertiesDialog::HideEditors() {
    for (int id : kEditors) {
        ShowWindow(Item(id), SW_HIDE);
    }
}

const PropertyOption* AdditionalPropertiesDialog::Current() const {
    return m_selected >= 0 && m_selected < static_cast<int>(m_options.size())
               ? m_options[static_cast<std::size_t>(m_selected)]
               : nullptr;
}

void AdditionalPropertiesDialog::SelectOption(int index) {
    if (index < 0 || index >= static_cast<int>(m_options.size())) {
        return;
    }
    CommitText();
    m_selected = index;
    const PropertyOption& option = *m_options[static_cast<std::size_t>(index)];
    const std::wstring text = m_app.Text(option.textId);
    SetDlgItemTextW(m_hwnd, IDC_PROP_DESCRIPTION, OptionDescription(text).c_str());
    HideEditors();
    m_updating = true;
    switch (option.editor) {
    case PropertyEditor::CheckBox:
        SetDlgItemTextW(m_hwnd, IDC_PROP_CHECK, OptionTitle(text).c_str());
        CheckDlgButton(m_hwnd, IDC_PROP_CHECK,
                       ReadProperty(option, m_shortcut) == L"1" ? BST_CHECKED : BST_UNCHECKED);
        ShowWindow(Item(IDC_PROP_CHECK), SW_SHOW);
        break;
    case PropertyEditor::ChoiceList: {
        HWND combo = Item(IDC_PROP_CHOICE);
        m_choices = PropertyChoices(option, m_settings, [this](unsigned id) { return m_app.Text(id); });
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const PropertyChoice& choice : m_choices) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text.c_str()));
        }
        SendMessageW(combo, CB_SETCURSEL,
                     ShownPropertyChoice(option, m_choices, ReadProperty(option, m_shortcut)), 0);
        ShowWindow(combo, SW_SHOW);
        break;
    }
    case PropertyEditor::FolderField:
    case PropertyEditor::ContactField:
        ShowWindow(Item(IDC_PROP_BROWSE), SW_SHOW);
        [[fallthrough]];
    case PropertyEditor::TextField:
        SetDlgItemTextW(m_hwnd, IDC_PROP_TEXT, ReadProperty(option, m_shortcut).c_str());
        SendDlgItemMessageW(m_hwnd, IDC_PROP_TEXT, EM_SETMODIFY, FALSE, 0);
        ShowWindow(Item(IDC_PROP_TEXT), SW_SHOW);
        break;
    }
    m_updating = false;
}

void AdditionalPropertiesDialog::CommitText() {
    const PropertyOption* option = Current();
    if (option == nullptr || option->editor == PropertyEditor::CheckBox ||
        option->editor == PropertyEditor::ChoiceList) {
        return;
    }
    HWND field = Item(IDC_PROP_TEXT);
    if (!SendMessageW(field, EM_GETMODIFY, 0, 0)) {
        return;
    }
    SendMessageW(field, EM_SETMODIFY, FALSE, 0);
    WriteProperty(*option, m_shortcut, FieldText(field));
    if (option->rule == PropertyRule::Caption) {
        SetDlgItemTextW(m_hwnd, IDC_PROP_NAME, m_shortcut.Caption().c_str());
    }
}

void AdditionalPropertiesDialog::OnChoiceChanged() {
    const PropertyOption* option = Current();
    const int index = static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_PROP_CHOICE, CB_GETCURSEL, 0, 0));
    if (option == nullptr || option->editor != PropertyEditor::ChoiceList || index < 0 ||
        index >= static_cast<int>(m_choices.size())) {
        return;
    }
    WriteProperty(*option, m_shortcut, m_choices[static_cast<std::size_t>(index)].stored);
}

void AdditionalPropertiesDialog::OnCheckClicked() {
    const PropertyOption* option = Current();
    if (option != nullptr && option->editor == PropertyEditor::CheckBox) {
        WriteProperty(*option, m_shortcut,
                      IsDlgButtonChecked(m_hwnd, IDC_PROP_CHECK) == BST_CHECKED ? L"1" : L"0");
    }
}

void AdditionalPropertiesDialog::OnBrowse() {
    const PropertyOption* option = Current();
    if (option == nullptr) {
        return;
    }
    std::wstring value;
    if (option->editor == PropertyEditor::FolderField) {
        SHSipPreference(m_hwnd, SIP_DOWN);
        FolderPicker picker(m_app, ReadProperty(*option, m_shortcut));
        if (!picker.Run(m_hwnd, value)) {
            return;
        }
        value = WithTrailingBackslash(value);
    } else if (option->editor == PropertyEditor::ContactField) {
        if (!ChooseContactNumber(m_app, m_hwnd, value)) {
            return;
        }
    } else {
        return;
    }
    WriteProperty(*option, m_shortcut, value);
    SetDlgItemTextW(m_hwnd, IDC_PROP_TEXT, ReadProperty(*option, m_shortcut).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_PROP_TEXT, EM_SETMODIFY, FALSE, 0);
}

INT_PTR AdditionalPropertiesDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_SIZE:
        m_anchors.Apply(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_PROP_LIST && header->code == LVN_ITEMCHANGED && !m_updating) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED)) {
                SelectOption(change->iItem);
            }
            return TRUE;
        }
        break;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        switch (id) {
        case IDC_PROP_CHOICE:
            if (code == CBN_SELCHANGE && !m_updating) {
                OnChoiceChanged();
            }
            return TRUE;
        case IDC_PROP_CHECK:
            if (code == BN_CLICKED && !m_updating) {
                OnCheckClicked();
            }
            return TRUE;
        case IDC_PROP_TEXT:
            if (code == EN_KILLFOCUS) {
                CommitText();
            }
            return TRUE;
        case IDC_PROP_BROWSE:
            if (code == BN_CLICKED) {
                OnBrowse();
            }
            return TRUE;
        case IDOK:
            CommitText();
            m_accepted = true;
            End(IDOK);
            return TRUE;
        case IDCANCEL:
        case IDC_CLOSE_WITHOUT_SAVING:
            CommitText();
            m_accepted = false;
            End(IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
