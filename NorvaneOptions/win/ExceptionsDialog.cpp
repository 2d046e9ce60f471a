// The task-manager exceptions dialog.
#include "ExceptionsDialog.h"

#include "Aygshell.h"
#include "CeMenuBar.h"
#include "OptionsApp.h"

namespace norvane::options {

namespace {

struct FlagBox {
    int id;
    int flag;
    UINT text;
};
constexpr FlagBox kBoxes[] = {
    {IDC_EXCEPTION_HIDE, kExceptionHide, IDS_EXCEPTION_HIDE},
    {IDC_EXCEPTION_MINIMIZE, kExceptionMinimizeOnly, IDS_EXCEPTION_MINIMIZE},
    {IDC_EXCEPTION_IGNORE_CLOSE_ALL, kExceptionIgnoreCloseAll, IDS_EXCEPTION_IGNORE_CLOSE_ALL}};

} // namespace

ExceptionsDialog::ExceptionsDialog(OptionsApp& app, const ExceptionListEditor::List& exceptions)
    : m_app(app), m_editor(exceptions) {}

bool ExceptionsDialog::Run(HWND owner) {
    m_accepted = false;
    RunModal(m_app.Instance(), MAKEINTRESOURCEW(IDD_EXCEPTIONS), owner);
    return m_accepted;
}

HWND ExceptionsDialog::Create(HWND owner) {
    m_accepted = false;
    return CreateModeless(m_app.Instance(), MAKEINTRESOURCEW(IDD_EXCEPTIONS), owner);
}

void ExceptionsDialog::OnInit() {
    SetWindowTextW(m_hwnd, m_app.Text(IDS_EXCEPTIONS_TITLE).c_str());
    SetDlgItemTextW(m_hwnd, IDC_EXCEPTION_PROMPT, m_app.Text(IDS_EXCEPTION_PROMPT).c_str());
    SetDlgItemTextW(m_hwnd, IDC_EXCEPTION_REMOVE, m_app.Text(IDS_EXCEPTION_REMOVE).c_str());
    for (const FlagBox& box : kBoxes) {
        SetDlgItemTextW(m_hwnd, box.id, m_app.Text(box.text).c_str());
    }
    m_anchors.Capture(m_hwnd,
                      PrepareDialog(m_hwnd, m_app, 0, m_fonts, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN));
    m_anchors.Add(IDC_EXCEPTION_PROMPT, kStretchRight);
    m_anchors.Add(IDC_EXCEPTION_LIST, kStretchRight | kStretchDown);
    for (const FlagBox& box : kBoxes) {
        m_anchors.Add(box.id, kMoveDown);
    }
    m_anchors.Add(IDC_EXCEPTION_REMOVE, kMoveDown | kMoveRight);
    RECT client;
    GetClientRect(m_hwnd, &client);
    m_anchors.Apply(client.right, client.bottom);
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = m_hwnd;
    bar.nToolBarId = IDM_EXCEPTIONS_BAR;
    bar.hInstRes = m_app.ResourceModuleFor(RT_MENU, MAKEINTRESOURCEW(IDM_EXCEPTIONS_BAR));
    if (SHCreateMenuBar(&bar)) {
        m_menuBar = bar.hwndMB;
    }
    Fill();
}

void ExceptionsDialog::Fill() {
    HWND list = Item(IDC_EXCEPTION_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& title : m_editor.Titles()) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
    }
    if (m_editor.Titles().empty()) {
        SetDlgItemTextW(m_hwnd, IDC_EXCEPTION_PROMPT, m_app.Text(IDS_NO_EXCEPTIONS).c_str());
    }
    ShowSelection();
}

void ExceptionsDialog::ShowSelection() {
    SendDlgItemMessageW(m_hwnd, IDC_EXCEPTION_LIST, LB_SETCURSEL, m_editor.Selected(), 0);
    const bool selected = m_editor.HasSelection();
    const int flags = m_editor.Flags();
    for (const FlagBox& box : kBoxes) {
        CheckDlgButton(m_hwnd, box.id, (flags & box.flag) ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(Item(box.id), selected);
    }
    EnableWindow(Item(IDC_EXCEPTION_REMOVE), selected);
}

void ExceptionsDialog::RemoveSelected() {
    if (!m_editor.HasSelection()) {
        return;
    }
    const std::wstring title = m_editor.Titles()[m_editor.Selected()];
    if (m_app.Message(m_hwnd, IDS_EXCEPTION_REMOVE_QUESTION, MB_YESNO | MB_ICONQUESTION, title) != IDYES) {
        return;
    }
    const int at = m_editor.Selected();
    m_editor.RemoveSelected();
    SendDlgItemMessageW(m_hwnd, IDC_EXCEPTION_LIST, LB_DELETESTRING, at, 0);
    ShowSelection();
}

INT_PTR ExceptionsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_SIZE:
        m_anchors.Apply(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDC_EXCEPTION_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
            m_editor.Select(static_cast<int>(SendDlgItemMessageW(m_hwnd, id, LB_GETCURSEL, 0, 0)));
            ShowSelection();
            return TRUE;
        }
        for (const FlagBox& box : kBoxes) {
            if (id == box.id && HIWORD(wParam) == BN_CLICKED) {
                m_editor.SetFlag(box.flag, IsDlgButtonChecked(m_hwnd, box.id) == BST_CHECKED);
                return TRUE;
            }
        }
        switch (id) {
        case IDC_EXCEPTION_REMOVE:
            RemoveSelected();
            return TRUE;
        case IDOK:
            m_accepted = true;
            End(IDOK);
            return TRUE;
        case IDCANCEL:
        case IDC_CLOSE_WITHOUT_SAVING:
            m_accepted = false;
            End(IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    }
    case WM_DESTROY:
        if (m_menuBar != nullptr && IsWindow(m_menuBar)) {
            DestroyWindow(m_menuBar);
        }
        m_menuBar = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
