// Landscape places, true-VGA doubling and full-screen sizing of the options
// program's dialogs.
#include "DialogSupport.h"

#include "Aygshell.h"
#include "CeMenuBar.h"
#include "DialogTemplate.h"
#include "OptionsApp.h"

#include <algorithm>
#include <string_view>

namespace norvane::options {

DialogFonts::~DialogFonts() {
    Clear();
}

HFONT DialogFonts::Add(HFONT font) {
    if (font != nullptr) {
        m_fonts.push_back(font);
    }
    return font;
}

void DialogFonts::Clear() {
    for (HFONT font : m_fonts) {
        DeleteObject(font);
    }
    m_fonts.clear();
    m_dialogFont = nullptr;
}

HFONT FontOf(HWND dialog, const DialogFonts& fonts) {
    if (fonts.DialogFont() != nullptr) {
        return fonts.DialogFont();
    }
    return reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
}

bool IsLandscapeScreen() {
    return GetSystemMetrics(SM_CXSCREEN) >= GetSystemMetrics(SM_CYSCREEN);
}

bool ApplyAlternateTemplate(HWND dialog, HINSTANCE module, LPCWSTR templateId, SIZE* size) {
    HRSRC found = FindResourceW(module, templateId, RT_DIALOG);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return false;
    }
    DialogTemplateInfo info;
    if (!ReadDialogTemplate(std::string_view(static_cast<const char*>(data), SizeofResource(module, found)),
                            info)) {
        return false;
    }
    if (size != nullptr) {
        RECT whole{0, 0, info.rect.cx, info.rect.cy};
        MapDialogRect(dialog, &whole);
        *size = SIZE{whole.right, whole.bottom};
    }
    for (const TemplateItem& item : info.items) {
        HWND control = GetDlgItem(dialog, item.id);
        if (control == nullptr || item.id == 0 || item.id == -1 || item.id == 0xFFFF) {
            continue;
        }
        RECT rect{item.rect.x, item.rect.y, item.rect.x + item.rect.cx, item.rect.y + item.rect.cy};
        MapDialogRect(dialog, &rect);
        SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

namespace {

HFONT DoubledFont(HWND window) {
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW font{};
    if (current == nullptr || GetObjectW(current, sizeof font, &font) == 0) {
        CeGetSystemFont(&font);
    }
    font.lfHeight *= 2;
    font.lfWidth *= 2;
    return CreateFontIndirectW(&font);
}

struct DoubleState {
    HWND dialog;
    DialogFonts* fonts;
};

BOOL CALLBACK DoubleChild(HWND child, LPARAM param) {
    auto* state = reinterpret_cast<DoubleState*>(param);
    if (GetParent(child) != state->dialog) {
        return TRUE; // the parts of a combo box follow the combo box
    }
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, state->dialog, reinterpret_cast<POINT*>(&rect), 2);
    wchar_t cls[32] = L"";
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"ComboBox") == 0) {
        // A combo box's window rectangle is its closed part; its size is the
        // dropped one.
        RECT dropped{};
        if (SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
            rect.bottom = rect.top + (dropped.bottom - dropped.top);
        }
    }
    SetWindowPos(child, nullptr, rect.left * 2, rect.top * 2, (rect.right - rect.left) * 2,
                 (rect.bottom - rect.top) * 2, SWP_NOZORDER | SWP_NOACTIVATE);
    if (HFONT font = state->fonts->Add(DoubledFont(child))) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    return TRUE;
}

} // namespace

void DoubleDialog(HWND dialog, DialogFonts& fonts) {
    fonts.SetDialogFont(DoubledFont(dialog));
    DoubleState state{dialog, &fonts};
    EnumChildWindows(dialog, DoubleChild, reinterpret_cast<LPARAM>(&state));
}

SIZE PrepareDialog(HWND dialog, const OptionsApp& app, int landscapeId, DialogFonts& fonts, DWORD shFlags) {
    RECT client;
    GetClientRect(dialog, &client);
    SIZE design{client.right, client.bottom};
    if (landscapeId != 0 && IsLandscapeScreen()) {
        ApplyAlternateTemplate(dialog, app.Instance(), MAKEINTRESOURCEW(landscapeId), &design);
    }
    if (app.TrueVgaScaling()) {
        DoubleDialog(dialog, fonts);
        design.cx *= 2;
        design.cy *= 2;
    }
    if (shFlags != 0) {
        SHINITDLGINFO info{};
        info.dwMask = SHIDIM_FLAGS;
        info.hDlg = dialog;
        info.dwFlags = shFlags;
        SHInitDialog(&info);
    }
    return design;
}

void Anchors::Capture(HWND dialog, SIZE designSize) {
    m_dialog = dialog;
    m_design = designSize;
    m_entries.clear();
}

void Anchors::Add(int id, unsigned flags) {
    if (m_dialog != nullptr && GetDlgItem(m_dialog, id) != nullptr) {
        m_entries.push_back({id, flags, ChildRect(m_dialog, id)});
    }
}

void Anchors::Apply(int width, int height) const {
    if (m_dialog == nullptr || width <= 0 || height <= 0) {
        return;
    }
    const int dx = width - m_design.cx;
    const int dy = height - m_design.cy;
    for (const Entry& entry : m_entries) {
        RECT r = entry.rect;
        if (entry.flags & kMoveRight) {
            OffsetRect(&r, dx, 0);
        }
        if (entry.flags & kMoveDown) {
            OffsetRect(&r, 0, dy);
        }
        if (entry.flags & kStretchRight) {
            r.right = std::max(r.left + 8, r.right + dx);
        }
        if (entry.flags & kStretchDown) {
            r.bottom = std::max(r.top + 8, r.bottom + dy);
        }
        HWND control = GetDlgItem(m_dialog, entry.id);
        wchar_t cls[32] = L"";
        GetClassNameW(control, cls, 32);
        int h = r.bottom - r.top;
        if (lstrcmpiW(cls, L"ComboBox") == 0) {
            RECT dropped{};
            if (SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
                h = std::max<int>(h, dropped.bottom - dropped.top);
            }
        }
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

INT_PTR DialogBase::RunModal(HINSTANCE module, LPCWSTR templateId, HWND owner) {
    m_modal = true;
    return DialogBoxParamW(module, templateId, owner, Procedure, reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::CreateModeless(HINSTANCE module, LPCWSTR templateId, HWND owner) {
    m_modal = false;
    return CreateDialogParamW(module, templateId, owner, Procedure, reinterpret_cast<LPARAM>(this));
}

void DialogBase::End(INT_PTR result) {
    if (m_modal) {
        EndDialog(m_hwnd, result);
    } else {
        DestroyWindow(m_hwnd);
    }
}

INT_PTR CALLBACK DialogBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        if (self != nullptr) {
            self->m_hwnd = hwnd;
        }
    } else {
        self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    const INT_PTR result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

void EmptyMenuBar::Create(HWND dialog) {
    Destroy();
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = dialog;
    bar.dwFlags = SHCMBF_EMPTYBAR;
    if (SHCreateMenuBar(&bar)) {
        m_bar = bar.hwndMB;
    }
}

void EmptyMenuBar::Destroy() {
    if (m_bar != nullptr && IsWindow(m_bar)) {
        DestroyWindow(m_bar);
    }
    m_bar = nullptr;
}

RECT ChildRect(HWND dialog, int id) {
    RECT rect{};
    HWND child = GetDlgItem(dialog, id);
    if (child != nullptr) {
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

} // namespace norvane::options
