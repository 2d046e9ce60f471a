// The options sheet: a modeless property sheet living as a child of the frame,
// its tab strip at the bottom, with the pages Options, Shortcuts, Tabs and
// About in that order. It owns the one working copy of the settings that every
// page edits; nothing reaches the settings file until the frame saves.
#pragma once

#include "DialogSupport.h"
#include "Settings.h"

#include <windows.h>
#include <prsht.h>

#include <array>
#include <memory>

namespace norvane::options {

class OptionsApp;
class OptionsSheet;

// What the sheet asks of the frame that holds it.
class SheetHost {
public:
    virtual ~SheetHost() = default;
    // Saves (when asked) and closes the program; false when a save failed and
    // the sheet stays open.
    virtual bool EndOptions(bool save) = 0;
    // The sheet has been built: the frame adds its soft-key bar.
    virtual void SheetReady(HWND sheet) = 0;
    // A command for the frame (Close Without Saving when the sheet is cancelled).
    virtual void SheetCommand(UINT command) = 0;
};

// One page of the sheet.
class PageBase {
public:
    PageBase(OptionsSheet& sheet, int templateId, int landscapeId, UINT titleId);
    virtual ~PageBase() = default;
    PageBase(const PageBase&) = delete;
    PageBase& operator=(const PageBase&) = delete;

    HWND Handle() const { return m_hwnd; }
    int TemplateId() const { return m_templateId; }
    // The page's entry for the sheet header; the title string must outlive it.
    PROPSHEETPAGEW Describe();
    // Called by the frame before saving: the page stores what is still pending
    // in its fields (a text field stores on losing the focus).
    virtual void CommitPending() {}
    // The page was resized to the given client size.
    virtual void OnResize(int width, int height) {}
    // Lays the controls out for the page's present size, once per size. Until
    // the frame has placed the sheet, the size is only the sheet's first guess
    // from the templates and nothing moves.
    void Arrange();

    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // After the template's places, the landscape places and true-VGA doubling.
    virtual void OnInit() {}
    // The page becomes the current one.
    virtual void OnSetActive() {}

    OptionsApp& App() const;
    Settings& Working() const;
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

    OptionsSheet& m_sheet;
    HWND m_hwnd = nullptr;
    DialogFonts m_fonts;
    // Controls that follow the page's size; OnInit adds them.
    Anchors m_anchors;

private:
    int m_templateId;
    int m_landscapeId;
    std::wstring m_title;
    SIZE m_arranged{-1, -1};
};

class OptionsPage;
class ShortcutsPage;
class TabsPage;
class AboutPage;

class OptionsSheet {
public:
    // Loads the working settings from the default settings file. initialTab is
    // the launcher tab the Shortcuts and Tabs pages start on.
    OptionsSheet(OptionsApp& app, SheetHost& host, int initialTab);
    ~OptionsSheet();
    OptionsSheet(const OptionsSheet&) = delete;
    OptionsSheet& operator=(const OptionsSheet&) = delete;

    // Creates the modeless sheet as a child of the frame; null on failure.
    HWND Create(HWND frame);
    HWND Handle() const { return m_hwnd; }
    void Destroy();

    OptionsApp& App() const { return m_app; }
    SheetHost& Host() const { return m_host; }
    Settings& Working() { return m_settings; }

    // Fills the given area of the parent: the pages above, the tab strip below.
    void Layout();
    // The frame has given the sheet its place: pages may lay themselves out.
    bool Placed() const { return m_placed; }
    // Switches to a page by its position (0 Options ... 3 About).
    void ShowPage(int index);
    int CurrentPage() const;
    HWND CurrentPageHandle() const;
    // Keyboard messages for the sheet and its pages; true when it took msg.
    bool PreTranslate(MSG& msg);
    // Asks every page to store what it still holds (before a save or export).
    void CommitPending();

    // The launcher tab each of the two tab-listing pages shows; setting one
    // page's tab sets the other's too.
    int ShortcutsPageTab() const { return m_shortcutsTab; }
    int TabsPageTab() const { return m_tabsTab; }
    void SetShortcutsPageTab(int tab) { m_shortcutsTab = tab; }
    void SetTabsPageTab(int tab) { m_tabsTab = tab; }

    OptionsPage& Options() { return *m_options; }
    ShortcutsPage& Shortcuts() { return *m_shortcuts; }
    TabsPage& Tabs() { return *m_tabs; }
    AboutPage& About() { return *m_about; }

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SheetSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);
    void OnInitialized(HWND sheet);
    void LayoutPage(HWND page);
    static int StripHeight(HWND tabs);

    OptionsApp& m_app;
    SheetHost& m_host;
    Settings m_settings;
    HWND m_hwnd = nullptr;
    bool m_placed = false;
    int m_shortcutsTab = 0;
    int m_tabsTab = 0;
    std::unique_ptr<OptionsPage> m_options;
    std::unique_ptr<ShortcutsPage> m_shortcuts;
    std::unique_ptr<TabsPage> m_tabs;
    std::unique_ptr<AboutPage> m_about;
    std::array<PageBase*, 4> m_pages{};
};

// Position of each page in the sheet.
inline constexpr int kOptionsPageIndex = 0;
inline constexpr int kShortcutsPageIndex = 1;
inline constexpr int kTabsPageIndex = 2;
inline constexpr int kAboutPageIndex = 3;

} // namespace norvane::options
