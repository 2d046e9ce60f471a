// The dialog that ends an installation: the product picture, a bold title, the
// "Install Default Norvane Meters" check box and the language list. Full screen
// with a Done button; its controls take the landscape template's places when
// the screen is wider than high.
#pragma once

#include "ImageHandles.h"

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>

namespace norvane::setup {

struct InstallChoice {
    bool meters = true;
    int languageIndex = 0; // into kLanguages
};

// The display name of each language of the table: "English" for the first and
// for every language whose module is missing or has no string 1, the module's
// string 1 otherwise.
std::array<std::wstring, 8> LanguageDisplayNames(const std::wstring& installFolder,
                                                 const std::wstring& english);

class InstallDialog {
public:
    InstallDialog(HMODULE module, std::wstring installFolder, InstallChoice initial);
    InstallDialog(const InstallDialog&) = delete;
    InstallDialog& operator=(const InstallDialog&) = delete;

    // Shows the dialog and waits for it. The choice made there, or the initial
    // one when the dialog cannot be shown.
    InstallChoice Run(HWND parent);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND hwnd);
    void OnDone();
    // Control places of one template, in pixels of this dialog's font.
    std::map<int, RECT> TemplateLayout(int templateId, SIZE& size) const;
    void Layout();
    void ShowPicture();

    HMODULE m_module;
    std::wstring m_installFolder;
    InstallChoice m_choice;
    HWND m_hwnd = nullptr;
    std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter> m_boldFont;
    UniqueBitmap m_picture;
    std::map<int, RECT> m_portrait, m_landscape;
    SIZE m_portraitSize{}, m_landscapeSize{};
    bool m_landscapeShown = false;
    bool m_laidOut = false;
};

} // namespace norvane::setup
