// The folder picker: a full-screen dialog showing the current folder and a
// list of its sub-folders; a tap on a sub-folder enters it, a tap left of the
// folder line goes up, "Select" answers the current folder.
#pragma once

#include "DialogSupport.h"

#include <string>

namespace norvane::options {

class OptionsApp;

class FolderPicker : public DialogBase {
public:
    // start: the folder to open at ("\" when empty).
    FolderPicker(OptionsApp& app, std::wstring start);

    // Modal; true with the chosen folder, false on Cancel.
    bool Run(HWND owner, std::wstring& folder);
    const std::wstring& Folder() const { return m_folder; }
    // Enters a sub-folder of the current one, or goes to the parent ("..").
    void Enter(const std::wstring& name);
    void GoUp();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Fill();

    OptionsApp& m_app;
    std::wstring m_folder;
    DialogFonts m_fonts;
    Anchors m_anchors;
    HWND m_menuBar = nullptr;
};

// The folders below a folder (device path with a closing "\"), by name.
std::vector<std::wstring> SubFolders(const std::wstring& folder);

} // namespace norvane::options
