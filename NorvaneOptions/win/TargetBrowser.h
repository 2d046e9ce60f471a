// The target browser: the full-screen dialog in which the user picks what a
// shortcut launches. Five modes, one per tab at the bottom: the device's files
// and folders, the control-panel applets, the installed meters, the shell's
// new-item commands and the built-in special functions. It answers one entry
// per chosen row: the path or display name and the additional target text.
#pragma once

#include "DialogSupport.h"
#include "RowPictures.h"

#include <windows.h>

#include <string>
#include <vector>

namespace norvane {
class Settings;
}

namespace norvane::options {

class OptionsApp;

struct TargetBrowserSetup {
    bool multipleSelection = false; // all five modes, several rows ("Add...", "/select:")
    bool programsOnly = false;      // only folders and programs ("Folders Open With App")
};

struct ChosenTarget {
    std::wstring path;       // the file, or the name of the target
    std::wstring additional; // its additional target text ("meter:...", ...)
};

enum BrowseMode { kFilesMode = 0, kAppletsMode, kMetersMode, kNewItemsMode, kSpecialMode, kBrowseModeCount };

// One row of the list.
struct BrowserRow {
    std::wstring name;
    std::wstring additional;
    int kind = 0; // 0 file, 1 folder, 2 a target in the additional text
};

class TargetBrowser : public DialogBase {
public:
    TargetBrowser(OptionsApp& app, const Settings& settings, TargetBrowserSetup setup);

    // Modal; true on OK with the chosen entries.
    bool Run(HWND owner, std::vector<ChosenTarget>& chosen);
    HWND Create(HWND owner); // modeless, for tests
    bool Accepted() const { return m_accepted; }
    const std::vector<ChosenTarget>& Chosen() const { return m_chosen; }

    int Mode() const { return m_mode; }
    const std::wstring& Folder() const { return m_folder; }
    const std::vector<BrowserRow>& Rows() const { return m_rows; }
    const std::vector<std::wstring>& Locations() const { return m_locations; }
    void SetMode(int mode);
    void GoUp();
    void ChooseLocation(int index);
    void EnterFolder(const std::wstring& name);
    // "Select": ends with OK when a row is selected.
    void SelectChosen();
    void ThisDir();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInit();
    void Fill();
    void FillFiles();
    void FillApplets();
    void FillMeters();
    void FillNewItems();
    void FillSpecials();
    void AddRow(BrowserRow row, int picture);
    int TargetPicture(const std::wstring& name, const std::wstring& additional);
    void FillLocations();
    void FitTabs();
    void Finish(bool ok);
    void DrawUp(const DRAWITEMSTRUCT& item);

    OptionsApp& m_app;
    const Settings& m_settings;
    TargetBrowserSetup m_setup;
    bool m_singleFile;
    std::wstring m_folder;
    int m_mode = kFilesMode;
    std::vector<BrowserRow> m_rows;
    std::vector<std::wstring> m_locations;
    std::vector<ChosenTarget> m_chosen;
    bool m_accepted = false;
    bool m_filling = false;
    int m_pictureSize = 16;
    UniqueImageList m_pictures;
    DialogFonts m_fonts;
    Anchors m_anchors;
    EmptyMenuBar m_menuBar;
};

// Runs the browser modally; false when the user cancels.
bool BrowseTargets(OptionsApp& app, const Settings& settings, HWND owner, const TargetBrowserSetup& setup,
                   std::vector<ChosenTarget>& chosen);

// The device's Start Menu and documents folders, with their closing "\".
std::wstring StartMenuFolder();
std::wstring MyDocumentsFolder();

} // namespace norvane::options
