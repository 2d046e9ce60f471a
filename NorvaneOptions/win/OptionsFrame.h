// The options frame: the program's one top-level window ("NorvaneOptionsFrame",
// captioned with the program's title), full screen below the task bar, holding
// the options sheet and the soft-key bar with Save and the Menu of Close
// Without Saving, Disable True VGA hack, Export and Import.
#pragma once

#include "OptionsSheet.h"

#include <windows.h>

#include <memory>
#include <string>

namespace norvane::options {

class OptionsApp;

// Private message: build the sheet once the frame's creation has finished.
inline constexpr UINT kBuildSheetMessage = WM_APP + 1;

class OptionsFrame : public SheetHost {
public:
    // showTab: the launcher tab to preselect ("/showtab:"), -1 for none.
    OptionsFrame(OptionsApp& app, int showTab);
    ~OptionsFrame() override;
    OptionsFrame(const OptionsFrame&) = delete;
    OptionsFrame& operator=(const OptionsFrame&) = delete;

    // Creates the frame; at kBuildSheetMessage it builds the sheet and shows
    // itself with the show command.
    bool Create(int showCommand);
    HWND Handle() const { return m_hwnd; }
    OptionsSheet* Sheet() const { return m_sheet.get(); }
    HWND MenuBar() const { return m_menuBar; }
    // Keyboard messages for the sheet and the accelerators.
    bool PreTranslate(MSG& msg);
    // Whether destroying the frame ends the message loop (not for test frames
    // made children of a test window).
    void SetQuitOnDestroy(bool quit) { m_quitOnDestroy = quit; }

    // SheetHost
    bool EndOptions(bool save) override;
    void SheetReady(HWND sheet) override;
    void SheetCommand(UINT command) override;

    // Writes the working settings to the settings file (or path) and mirrors
    // "Auto minimize" into MinimizeOnRefresh; false when the file was not written.
    bool Save(const std::wstring& path = std::wstring());
    void Import();
    void Export();
    void OnCommand(UINT command);

    // The frame's place: below the task bar, above the soft-key bar.
    static RECT FrameArea();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildSheet();
    void LayoutSheet();

    OptionsApp& m_app;
    int m_showTab;
    HWND m_hwnd = nullptr;
    HWND m_menuBar = nullptr;
    HACCEL m_accelerators = nullptr;
    std::unique_ptr<OptionsSheet> m_sheet;
    bool m_quitOnDestroy = true;
    int m_showCommand = SW_SHOWNORMAL;
    bool m_ending = false;
};

} // namespace norvane::options
