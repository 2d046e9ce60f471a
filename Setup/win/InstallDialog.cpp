// The install dialog.
#include "InstallDialog.h"

#include "SetupResources.h"
#include "SetupRules.h"
#include "StringLookup.h"

#include "Aygshell.h"
#include "Imgdecmp.h"

#include <algorithm>
#include <cstring>

namespace norvane::setup {

namespace {

// The product picture, handed to the decompression library piece by piece.
struct PictureSource {
    const BYTE* data = nullptr;
    DWORD size = 0;
    DWORD offset = 0;
};

DWORD CALLBACK ReadPicture(LPSTR buffer, DWORD max, LPARAM param) {
    auto* source = reinterpret_cast<PictureSource*>(param);
    const DWORD count = std::min(max, source->size - source->offset);
    std::memcpy(buffer, source->data + source->offset, count);
    source->offset += count;
    return count;
}

// The JPEG resource decoded to fit width x height; null when it cannot be had.
HBITMAP DecodePicture(HMODULE module, int width, int height) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_PRODUCT_PICTURE), L"JPEG");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data || width <= 0 || height <= 0) {
        return nullptr;
    }
    UniqueModule library(LoadLibraryW(L"imgdecmp.dll"));
    auto decompress = library ? reinterpret_cast<DECOMPRESSIMAGEINDIRECT>(
                                    GetProcAddress(library.Get(), "DecompressImageIndirect"))
                              : nullptr;
    if (!decompress) {
        return nullptr;
    }
    PictureSource source{data, SizeofResource(module, found)};
    BYTE buffer[4096];
    HBITMAP bitmap = nullptr;
    DecompressImageInfo info{};
    info.dwSize = sizeof info;
    info.pbBuffer = buffer;
    info.dwBufferMax = sizeof buffer;
    info.phBM = &bitmap;
    info.iBitDepth = 24;
    info.iScale = 100;
    info.iMaxWidth = width;
    info.iMaxHeight = height;
    info.pfnGetData = ReadPicture;
    info.lParam = reinterpret_cast<LPARAM>(&source);
    if (FAILED(decompress(&info))) {
        return nullptr;
    }
    return bitmap;
}

INT_PTR CALLBACK LayoutProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

bool ScreenIsLandscape() {
    return GetSystemMetrics(SM_CXSCREEN) >= GetSystemMetrics(SM_CYSCREEN);
}

} // namespace

std::array<std::wstring, 8> LanguageDisplayNames(const std::wstring& installFolder,
                                                 const std::wstring& english) {
    std::array<std::wstring, 8> names;
    for (size_t i = 0; i < kLanguages.size(); ++i) {
        names[i] = english;
        if (i == 0) {
            continue;
        }
        UniqueModule module(LoadLibraryExW(LanguageModulePath(installFolder, kLanguages[i]).c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE));
        std::wstring own;
        if (module && LoadModuleString(module.Get(), 1, own) && !own.empty()) {
            names[i] = own;
        }
    }
    return names;
}

InstallDialog::InstallDialog(HMODULE module, std::wstring installFolder, InstallChoice initial)
    : m_module(module), m_installFolder(std::move(installFolder)), m_choice(initial) {}

InstallChoice InstallDialog::Run(HWND parent) {
    const InstallChoice initial = m_choice;
    const INT_PTR result = DialogBoxParamW(m_module, MAKEINTRESOURCEW(IDD_INSTALL), parent, Proc,
                                           reinterpret_cast<LPARAM>(this));
    m_hwnd = nullptr;
    return result == IDOK ? m_choice : initial;
}

INT_PTR CALLBACK InstallDialog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<InstallDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    switch (message) {
    case WM_INITDIALOG:
        self->OnInit(hwnd);
        return FALSE; // the focus was set
    case WM_COMMAND:
        // The push button and the Done button both carry id 1; the installation
        // cannot be cancelled from here, so Escape does nothing.
        if (LOWORD(wParam) == IDOK) {
            self->OnDone();
        }
        return TRUE;
    case WM_CLOSE:
        return TRUE;
    case WM_SIZE:
        if (self->m_laidOut && ScreenIsLandscape() != self->m_landscapeShown) {
            self->Layout();
            self->ShowPicture();
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void InstallDialog::OnInit(HWND hwnd) {
    m_hwnd = hwnd;
    SHINITDLGINFO full{SHIDIM_FLAGS, hwnd, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&full);

    LOGFONTW font{};
    if (HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        dialogFont && GetObjectW(dialogFont, sizeof font, &font) == sizeof font) {
        font.lfWeight = FW_BOLD;
        m_boldFont.reset(CreateFontIndirectW(&font));
        if (m_boldFont) {
            SendDlgItemMessageW(hwnd, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont.get()),
                                FALSE);
        }
    }

    CheckDlgButton(hwnd, IDC_METERS, m_choice.meters ? BST_CHECKED : BST_UNCHECKED);
    std::wstring english;
    LoadModuleString(m_module, IDS_ENGLISH, english);
    for (const std::wstring& name : LanguageDisplayNames(m_installFolder, english)) {
        SendDlgItemMessageW(hwnd, IDC_LANGUAGE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendDlgItemMessageW(hwnd, IDC_LANGUAGE, CB_SETCURSEL, m_choice.languageIndex, 0);

    m_portrait = TemplateLayout(IDD_INSTALL, m_portraitSize);
    m_landscape = TemplateLayout(IDD_INSTALL_LANDSCAPE, m_landscapeSize);
    Layout();
    m_laidOut = true;
    ShowPicture();
    SetFocus(GetDlgItem(hwnd, IDOK));
    SetForegroundWindow(hwnd);
}

void InstallDialog::OnDone() {
    m_choice.meters = IsDlgButtonChecked(m_hwnd, IDC_METERS) == BST_CHECKED;
    const LRESULT selected = SendDlgItemMessageW(m_hwnd, IDC_LANGUAGE, CB_GETCURSEL, 0, 0);
    m_choice.languageIndex = (selected >= 0 && selected < static_cast<LRESULT>(kLanguages.size()))
                                 ? static_cast<int>(selected)
                                 : 0;
    EndDialog(m_hwnd, IDOK);
}

std::map<int, RECT> InstallDialog::TemplateLayout(int templateId, SIZE& size) const {
    std::map<int, RECT> places;
    size = {};
    // A hidden copy of the template, laid out in the same font, tells the places.
    HWND copy = CreateDialogParamW(m_module, MAKEINTRESOURCEW(templateId), m_hwnd, LayoutProc, 0);
    if (!copy) {
        return places;
    }
    RECT client{};
    GetClientRect(copy, &client);
    size = {client.right, client.bottom};
    for (HWND child = GetWindow(copy, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, copy, reinterpret_cast<POINT*>(&place), 2);
        places[GetDlgCtrlID(child)] = place;
    }
    DestroyWindow(copy);
    return places;
}

void InstallDialog::Layout() {
    m_landscapeShown = ScreenIsLandscape() && !m_landscape.empty();
    const auto& places = m_landscapeShown ? m_landscape : m_portrait;
    const SIZE size = m_landscapeShown ? m_landscapeSize : m_portraitSize;
    if (places.empty()) {
        return; // the template could not be read: the controls stay where they are
    }
    RECT client{};
    GetClientRect(m_hwnd, &client);
    // The template's block of controls is centred across a screen wider than it,
    // and drawn together to fit one narrower or lower than it (a large dialog
    // font on a small screen).
    const double fx = (size.cx > client.right && client.right > 0) ? double(client.right) / size.cx : 1.0;
    const double fy = (size.cy > client.bottom && client.bottom > 0) ? double(client.bottom) / size.cy : 1.0;
    const int dx = std::max<LONG>(0, (client.right - size.cx) / 2);
    const auto x = [&](LONG v) { return static_cast<int>(v * fx + 0.5) + dx; };
    const auto y = [&](LONG v) { return static_cast<int>(v * fy + 0.5); };
    for (HWND control = GetWindow(m_hwnd, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const auto place = places.find(GetDlgCtrlID(control));
        if (place == places.end()) {
            ShowWindow(control, SW_HIDE); // this form has no room for it
            continue;
        }
        const RECT& r = place->second;
        MoveWindow(control, x(r.left), y(r.top), x(r.right) - x(r.left), y(r.bottom) - y(r.top), TRUE);
        ShowWindow(control, SW_SHOWNA);
    }
}

void InstallDialog::ShowPicture() {
    HWND control = GetDlgItem(m_hwnd, IDC_PICTURE);
    if (!control) {
        return;
    }
    RECT box{};
    GetClientRect(control, &box);
    UniqueBitmap picture(DecodePicture(m_module, box.right, box.bottom));
    if (!picture) {
        return; // the picture stays empty
    }
    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
    m_picture = std::move(picture); // the control does not own it; the earlier one goes now
}

} // namespace norvane::setup
