// The options frame under Wine: saving and what it mirrors, a save that fails,
// closing without saving, the true-VGA escape, import and export.
#include "OptionsFrame.h"
#include "OptionsPage.h"
#include "OptionsTestSupport.h"
#include "TabsPage.h"

#include <commctrl.h>

namespace norvane::options::test {
namespace {

class OptionsFrameTest : public OptionsTest {
protected:
    // Opens the frame on the settings file and waits for its sheet.
    void Open() {
        m_frame = std::make_unique<OptionsFrame>(m_app, -1);
        m_frame->SetQuitOnDestroy(false);
        ASSERT_TRUE(m_frame->Create(SW_SHOWNOACTIVATE));
        ASSERT_TRUE(Pump([&] {
            return m_frame->Sheet() != nullptr && m_frame->Sheet()->Handle() != nullptr;
        })) << "the sheet was not built";
        ASSERT_NE(m_frame->MenuBar(), nullptr) << "no soft-key bar";
    }
    bool Pump(const std::function<bool()>& done, DWORD ms = 5000) {
        return PumpUntil(done, ms, [this](MSG& msg) {
            return m_frame && m_frame->Handle() && m_frame->PreTranslate(msg);
        });
    }
    bool FrameOpen() const { return m_frame && m_frame->Handle() != nullptr && IsWindow(m_frame->Handle()); }
    Settings& Working() { return m_frame->Sheet()->Working(); }
    DWORD MinimizeOnRefresh() {
        DWORD value = 0;
        return m_app.ReadDword(names::kMinimizeOnRefreshValue, value) ? value : 0xFFFFFFFF;
    }

    std::unique_ptr<OptionsFrame> m_frame;
};

TEST_F(OptionsFrameTest, SaveWritesTheWorkingSettingsAndMirrorsAutoMinimize) {
    WriteSettings(kThreeTabs);
    Open();
    EXPECT_EQ(Working().Tabs().size(), 3u) << "the sheet works on the settings file";
    Working().General.IconSpacing = 5;
    Working().General.RunMinimized = true;
    m_frame->OnCommand(IDC_SAVE);
    EXPECT_FALSE(FrameOpen()) << "Save closes the program";
    Settings saved(m_environment);
    LoadSaved(saved);
    EXPECT_EQ(saved.General.IconSpacing, 5);
    EXPECT_TRUE(saved.General.RunMinimized);
    EXPECT_EQ(MinimizeOnRefresh(), 1u);
    EXPECT_EQ(m_broadcasts, 1) << "the item is told to reload";

    Open();
    Working().General.RunMinimized = false;
    m_frame->OnCommand(IDC_SAVE);
    EXPECT_EQ(MinimizeOnRefresh(), 0xFFFFFFFFu) << "off deletes the value";
    EXPECT_TRUE(m_messages.empty()) << "a good save says nothing";
}

TEST_F(OptionsFrameTest, AFailedSaveKeepsTheSheetOpenWithTheEdits) {
    WriteSettings(kThreeTabs);
    const std::string before = SettingsBytes();
    Open();
    Working().General.IconSpacing = 6;
    m_environment.files.FailWriteNumber = 1; // the storage is full
    m_environment.files.Writes = 0;
    m_frame->OnCommand(IDC_SAVE);
    EXPECT_TRUE(FrameOpen()) << "the sheet stays with the user's edits";
    EXPECT_TRUE(Said(IDS_SAVE_FAILED)) << "and says why";
    ASSERT_FALSE(m_messages.empty());
    EXPECT_NE(m_messages.back().text.find(SettingsPath()), std::wstring::npos) << "naming the file";
    EXPECT_EQ(Working().General.IconSpacing, 6);
    EXPECT_EQ(SettingsBytes(), before) << "the old file stays whole";
    EXPECT_EQ(MinimizeOnRefresh(), 0xFFFFFFFFu) << "nothing is mirrored for a failed save";
    EXPECT_EQ(m_broadcasts, 0) << "nor is the item told to reload";

    m_environment.files.FailWriteNumber = 0; // space was freed
    m_frame->OnCommand(IDC_SAVE);
    EXPECT_FALSE(FrameOpen());
    Settings saved(m_environment);
    LoadSaved(saved);
    EXPECT_EQ(saved.General.IconSpacing, 6);
}

TEST_F(OptionsFrameTest, CloseWithoutSavingAsksAndLeavesTheFile) {
    WriteSettings(kThreeTabs);
    const std::string before = SettingsBytes();
    Open();
    Working().General.IconSpacing = 0;
    m_answers = {IDNO};
    m_frame->OnCommand(IDC_CLOSE_WITHOUT_SAVING);
    EXPECT_TRUE(Said(IDS_QUIT_WITHOUT_SAVING));
    EXPECT_TRUE(FrameOpen()) << "No leaves the sheet open";
    EXPECT_EQ(Working().General.IconSpacing, 0) << "and unchanged";
    m_answers = {IDYES};
    m_frame->OnCommand(IDC_CLOSE_WITHOUT_SAVING);
    EXPECT_FALSE(FrameOpen());
    EXPECT_EQ(SettingsBytes(), before);
    EXPECT_EQ(m_broadcasts, 0);
}

TEST_F(OptionsFrameTest, DisableTrueVgaWritesBothKeysZero) {
    WriteSettings(
        L"\r\n[General]\r\nTrueVGA=1\r\nTrueVGAOptions=2\r\n\r\n[Tab1]\r\nName=A\r\nUniqueID=1\r\n");
    const std::string before = SettingsBytes();
    Open();
    m_answers = {IDNO};
    m_frame->OnCommand(IDC_DISABLE_TRUE_VGA);
    EXPECT_TRUE(Said(IDS_DISABLE_TRUE_VGA_QUESTION));
    EXPECT_TRUE(FrameOpen());
    EXPECT_EQ(SettingsBytes(), before);
    m_answers = {IDYES};
    m_frame->OnCommand(IDC_DISABLE_TRUE_VGA);
    EXPECT_FALSE(FrameOpen());
    Settings saved(m_environment);
    LoadSaved(saved);
    EXPECT_EQ(saved.General.TrueVGA, 0);
    EXPECT_EQ(saved.General.TrueVGAOptions, 0);
}

TEST_F(OptionsFrameTest, ImportAsksBeforeTakingAFileThatIsNoSettingsFile) {
    WriteSettings(kThreeTabs);
    const std::string before = SettingsBytes();
    const std::wstring picture = m_scratch.WidePath("holiday.ini");
    WriteBytes(picture, std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00[Garbage]\x00\x01", 24));
    Open();
    m_paths = {picture};
    m_answers = {IDNO};
    m_frame->OnCommand(IDC_IMPORT_SETTINGS);
    ASSERT_EQ(m_fileRequests.size(), 1u);
    EXPECT_FALSE(m_fileRequests[0].save);
    ASSERT_EQ(m_fileRequests[0].filters.size(), 2u);
    EXPECT_EQ(m_fileRequests[0].filters[0].second, L"*.ini");
    EXPECT_EQ(m_fileRequests[0].fileName, L"Norvane.ini");
    EXPECT_TRUE(Said(IDS_IMPORT_NOT_SETTINGS));
    EXPECT_FALSE(Said(IDS_IMPORT_OK));
    EXPECT_TRUE(FrameOpen()) << "No: nothing happens";
    EXPECT_EQ(Working().Tabs().size(), 3u) << "the working settings are the user's";
    EXPECT_EQ(SettingsBytes(), before);

    // Asked again and answered Yes, the file replaces the settings.
    m_paths = {picture};
    m_answers = {IDYES, IDOK};
    m_frame->OnCommand(IDC_IMPORT_SETTINGS);
    EXPECT_TRUE(Said(IDS_IMPORT_OK));
    EXPECT_FALSE(FrameOpen());
    Settings saved(m_environment);
    LoadSaved(saved);
    EXPECT_EQ(saved.Tabs().size(), 1u) << "an empty record, as the user accepted";
}

TEST_F(OptionsFrameTest, ImportTakesASettingsFileAndACancelChangesNothing) {
    WriteSettings(kThreeTabs);
    const std::wstring other = m_scratch.WidePath("Other.ini");
    WriteBytes(other,
               Utf16File(L"\r\n[General]\r\nIconSpacing=4\r\n\r\n[Tab1]\r\nName=Imported\r\nUniqueID=7\r\n"));
    Open();
    m_frame->OnCommand(IDC_IMPORT_SETTINGS); // the file dialog is cancelled
    EXPECT_TRUE(FrameOpen());
    EXPECT_TRUE(m_messages.empty());
    m_paths = {other};
    m_frame->OnCommand(IDC_IMPORT_SETTINGS);
    EXPECT_FALSE(Said(IDS_IMPORT_NOT_SETTINGS)) << "a settings file is taken without a question";
    EXPECT_TRUE(Said(IDS_IMPORT_OK));
    EXPECT_NE(m_messages.back().text.find(other), std::wstring::npos);
    EXPECT_FALSE(FrameOpen());
    Settings saved(m_environment);
    LoadSaved(saved);
    ASSERT_EQ(saved.Tabs().size(), 1u);
    EXPECT_EQ(saved.Tabs()[0]->Name, L"Imported");
    EXPECT_EQ(saved.General.IconSpacing, 4);
}

TEST_F(OptionsFrameTest, AnUnreadableImportRevertsToTheSavedSettings) {
    WriteSettings(kThreeTabs);
    Open();
    Working().Tabs()[0]->Name = L"Edited";
    m_paths = {m_scratch.WidePath("missing.ini")};
    m_frame->OnCommand(IDC_IMPORT_SETTINGS);
    EXPECT_TRUE(Said(IDS_IMPORT_FAILED));
    EXPECT_EQ(m_messages.back().flags & MB_ICONINFORMATION, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_FALSE(FrameOpen());
    Settings saved(m_environment);
    LoadSaved(saved);
    ASSERT_EQ(saved.Tabs().size(), 3u);
    EXPECT_EQ(saved.Tabs()[0]->Name, L"Home") << "back to the settings file";
}

TEST_F(OptionsFrameTest, ExportWritesTheFileAndTheSheetStays) {
    WriteSettings(kThreeTabs);
    const std::string before = SettingsBytes();
    Open();
    Working().General.IconSpacing = 1;
    const std::wstring target = m_scratch.WidePath("Backup.ini");
    m_paths = {target};
    m_frame->OnCommand(IDC_EXPORT_SETTINGS);
    ASSERT_EQ(m_fileRequests.size(), 1u);
    EXPECT_TRUE(m_fileRequests[0].save);
    EXPECT_EQ(m_fileRequests[0].defaultExtension, L"ini");
    EXPECT_TRUE(Said(IDS_EXPORT_OK));
    EXPECT_TRUE(FrameOpen());
    EXPECT_EQ(SettingsBytes(), before) << "export leaves the settings file";
    Settings exported(m_environment);
    m_app.LoadSettings(exported, target);
    EXPECT_EQ(exported.General.IconSpacing, 1);
    EXPECT_EQ(exported.Tabs().size(), 3u);

    m_environment.files.FailCreate = true;
    m_paths = {m_scratch.WidePath("Nowhere.ini")};
    m_frame->OnCommand(IDC_EXPORT_SETTINGS);
    EXPECT_TRUE(Said(IDS_EXPORT_FAILED));
    EXPECT_EQ(m_messages.back().flags & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_TRUE(FrameOpen());
    m_environment.files.FailCreate = false;
}

// ---------------------------------------------------------------- the pages

TEST_F(OptionsFrameTest, OptionsPageGroupsEditorsAndTheTrueVgaQuestion) {
    WriteSettings(L"\r\n[General]\r\nBehaviorMode=4\r\n\r\n[Tab1]\r\nName=A\r\nUniqueID=1\r\n");
    Open();
    OptionsPage& page = m_frame->Sheet()->Options();
    HWND list = GetDlgItem(page.Handle(), IDC_OPTION_LIST);
    EXPECT_EQ(ListView_GetItemCount(list), 19);
    page.SelectGroup(kCustomizedTabsGroup);
    EXPECT_FALSE(Shown(page.Handle(), IDC_OPTION_LIST)) << "customised tab options need customised tabs";
    wchar_t text[512] = L"";
    GetDlgItemTextW(page.Handle(), IDC_OPTION_DESCRIPTION, text, 512);
    EXPECT_EQ(std::wstring(text), m_app.Text(IDS_CUSTOMIZED_TABS_ONLY));
    Working().General.BehaviorMode = 2;
    page.SelectGroup(kCustomizedTabsGroup);
    EXPECT_TRUE(Shown(page.Handle(), IDC_OPTION_LIST));
    EXPECT_EQ(ListView_GetItemCount(list), 10);

    // A choice list: "Tabs Style", the second choice.
    page.SelectOption(0);
    HWND combo = GetDlgItem(page.Handle(), IDC_OPTION_CHOICE);
    EXPECT_TRUE(Shown(page.Handle(), IDC_OPTION_CHOICE));
    EXPECT_FALSE(Shown(page.Handle(), IDC_OPTION_CHECK)) << "one editor at a time";
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SendMessageW(page.Handle(), WM_COMMAND, MAKEWPARAM(IDC_OPTION_CHOICE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(Working().General.BottomAlign, 1);

    // The true-VGA question: anything but Yes stores No.
    page.SelectGroup(0);
    page.SelectOption(8); // Enable 'true' VGA mode
    ASSERT_EQ(page.SelectedDescriptor()->key, std::wstring(L"TrueVGA"));
    m_answers = {IDNO};
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SendMessageW(page.Handle(), WM_COMMAND, MAKEWPARAM(IDC_OPTION_CHOICE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_TRUE(Said(IDS_TRUE_VGA_WARNING));
    EXPECT_EQ(Working().General.TrueVGA, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0) << "the list shows No again";
    m_answers = {IDYES};
    SendMessageW(combo, CB_SETCURSEL, 2, 0);
    SendMessageW(page.Handle(), WM_COMMAND, MAKEWPARAM(IDC_OPTION_CHOICE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(Working().General.TrueVGA, 2);

    // A check box carries the option's title.
    page.SelectOption(7); // Auto minimize
    HWND check = GetDlgItem(page.Handle(), IDC_OPTION_CHECK);
    GetWindowTextW(check, text, 512);
    EXPECT_EQ(std::wstring(text), L"Auto minimize");
    SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_TRUE(Working().General.RunMinimized);

    // A text field is stored when the frame saves, even while it has the focus.
    page.SelectOption(18); // Additional Image Path
    HWND field = GetDlgItem(page.Handle(), IDC_OPTION_TEXT);
    SetWindowTextW(field, L"\\Storage Card\\Images\\");
    SendMessageW(field, EM_SETMODIFY, TRUE, 0);
    m_frame->OnCommand(IDC_SAVE);
    Settings saved(m_environment);
    LoadSaved(saved);
    EXPECT_EQ(saved.General.AdditionalImagesPath, L"\\Storage Card\\Images\\");
    EXPECT_TRUE(saved.General.RunMinimized);
    EXPECT_EQ(saved.General.BottomAlign, 1);
}

// The choice list is made when an option first needs it, at the place the page
// keeps for it: doubled in true VGA with a doubled font like its neighbours, in
// the tab order after the group list, and following the page when it is resized.
TEST_F(OptionsFrameTest, TheChoiceListTakesItsPlaceAndFontWhenFirstNeeded) {
    m_app.SetDisplayFlags(true, true);
    WriteSettings(kThreeTabs);
    Open();
    OptionsPage& page = m_frame->Sheet()->Options();
    page.SelectOption(7); // Auto minimize: a check box in the same place
    const RECT check = ChildRect(page.Handle(), IDC_OPTION_CHECK);
    LOGFONTW checkFont{};
    GetObjectW(
        reinterpret_cast<HFONT>(SendDlgItemMessageW(page.Handle(), IDC_OPTION_CHECK, WM_GETFONT, 0, 0)),
        sizeof checkFont, &checkFont);
    page.SelectOption(8); // Enable 'true' VGA mode: a choice list
    HWND combo = GetDlgItem(page.Handle(), IDC_OPTION_CHOICE);
    wchar_t cls[32] = L"";
    GetClassNameW(combo, cls, 32);
    ASSERT_STREQ(cls, L"ComboBox");
    EXPECT_TRUE(Shown(page.Handle(), IDC_OPTION_CHOICE));
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    RECT list = ChildRect(page.Handle(), IDC_OPTION_CHOICE);
    EXPECT_EQ(list.left, check.left);
    EXPECT_EQ(list.top, check.top);
    EXPECT_EQ(list.right, check.right);
    LOGFONTW listFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0)), sizeof listFont, &listFont);
    EXPECT_EQ(listFont.lfHeight, checkFont.lfHeight) << "the doubled font";
    EXPECT_LT(listFont.lfHeight, -16) << "doubled";
    EXPECT_EQ(GetNextDlgTabItem(page.Handle(), GetDlgItem(page.Handle(), IDC_OPTION_GROUP), FALSE), combo)
        << "after the group list in the tab order";

    RECT frame;
    GetWindowRect(m_frame->Handle(), &frame);
    SetWindowPos(m_frame->Handle(), nullptr, 0, 0, frame.right - frame.left - 60, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    list = ChildRect(page.Handle(), IDC_OPTION_CHOICE);
    EXPECT_EQ(list.right, check.right - 60) << "the list follows the page's width";
    EXPECT_EQ(page.SelectedDescriptor()->key, std::wstring(L"TrueVGA")) << "and keeps its option";
    m_app.SetDisplayFlags(false, false);
}

// The tab control is the strip of tabs at the bottom and no more: the pages
// fill the sheet above it, so the control never paints a pane under them.
TEST_F(OptionsFrameTest, TheTabStripHoldsTheTabsAndThePageFillsTheSheetAboveIt) {
    WriteSettings(kThreeTabs);
    Open();
    HWND sheet = m_frame->Sheet()->Handle();
    HWND tabs = PropSheet_GetTabControl(sheet);
    ASSERT_NE(tabs, nullptr);
    RECT client;
    GetClientRect(sheet, &client);
    for (int index = 0; index < 4; ++index) {
        m_frame->Sheet()->ShowPage(index);
        HWND page = m_frame->Sheet()->CurrentPageHandle();
        ASSERT_NE(page, nullptr);
        const RECT strip = ChildRect(sheet, GetDlgCtrlID(tabs));
        RECT pageRect;
        GetWindowRect(page, &pageRect);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&pageRect), 2);
        EXPECT_EQ(strip.bottom, client.bottom);
        EXPECT_EQ(strip.left, 0);
        EXPECT_EQ(strip.right, client.right);
        EXPECT_EQ(pageRect.left, 0) << "page " << index;
        EXPECT_EQ(pageRect.top, 0) << "page " << index;
        EXPECT_EQ(pageRect.right, client.right) << "page " << index;
        EXPECT_EQ(pageRect.bottom, strip.top) << "page " << index << " ends where the tabs begin";
        for (int tab = 0; tab < 4; ++tab) {
            RECT item{};
            ASSERT_TRUE(TabCtrl_GetItemRect(tabs, tab, &item));
            EXPECT_GE(item.top, 0) << "tab " << tab << " whole inside the strip";
            EXPECT_LE(item.bottom, strip.bottom - strip.top) << "tab " << tab;
        }
        EXPECT_LT(strip.bottom - strip.top, (client.bottom - client.top) / 4) << "a strip, not the whole sheet";
    }
}

TEST_F(OptionsFrameTest, TabsPageKeepsOneTabVisibleAndAtMost22) {
    WriteSettings(L"\r\n[Tab1]\r\nName=Shown\r\nUniqueID=1\r\nShortcut1=\\Windows\\Notes.exe\r\n"
                  L"\r\n[Tab2]\r\nName=Hidden\r\nUniqueID=2\r\nHidden=1\r\n");
    Open();
    m_frame->Sheet()->ShowPage(kTabsPageIndex);
    TabsPage& page = m_frame->Sheet()->Tabs();
    ASSERT_NE(page.Handle(), nullptr);
    HWND hide = GetDlgItem(page.Handle(), IDC_TAB_HIDE);
    page.Select(0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page.Handle(), IDC_TAB_REMOVE)));
    page.Remove();
    EXPECT_TRUE(Said(IDS_TAB_CANNOT_DELETE)) << "the other tab is hidden";
    EXPECT_EQ(Working().Tabs().size(), 2u);
    SendMessageW(hide, BM_CLICK, 0, 0);
    EXPECT_TRUE(Said(IDS_TAB_CANNOT_HIDE));
    EXPECT_EQ(SendMessageW(hide, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the box is cleared again";
    EXPECT_FALSE(Working().Tabs()[0]->Hidden);
    page.Select(1);
    SendMessageW(hide, BM_CLICK, 0, 0);
    EXPECT_FALSE(Working().Tabs()[1]->Hidden) << "showing a hidden tab is always allowed";

    // Removing a tab with shortcuts asks, with the tab's name as caption.
    page.Select(0);
    m_answers = {IDNO};
    page.Remove();
    ASSERT_TRUE(Said(IDS_TAB_NOT_EMPTY));
    EXPECT_EQ(m_messages.back().caption, L"Shown");
    EXPECT_EQ(Working().Tabs().size(), 2u);
    m_messages.clear();
    page.Select(1);
    page.Remove();
    EXPECT_TRUE(m_messages.empty()) << "an empty tab goes without a question";
    EXPECT_EQ(Working().Tabs().size(), 1u);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page.Handle(), IDC_TAB_REMOVE))) << "the last tab stays";

    for (int i = 1; i < kMaxTabs; ++i) {
        page.Add();
    }
    EXPECT_EQ(Working().Tabs().size(), static_cast<std::size_t>(kMaxTabs));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page.Handle(), IDC_TAB_ADD)));
    EXPECT_EQ(Working().Tabs().back()->Name, m_app.Text(IDS_NEW_TAB));
    EXPECT_NE(Working().Tabs().back()->UniqueID, Working().Tabs()[20]->UniqueID) << "fresh unique ids";
    page.Select(kMaxTabs - 1);
    page.Remove();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page.Handle(), IDC_TAB_ADD)));
    EXPECT_EQ(page.SelectedTab(), kMaxTabs - 2) << "removing the last tab selects the new last";

    // Renaming follows every keystroke; moving keeps the tab selected.
    page.Select(0);
    SetDlgItemTextW(page.Handle(), IDC_TAB_NAME, L"Renamed");
    wchar_t row[64] = L"";
    SendDlgItemMessageW(page.Handle(), IDC_TAB_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
    EXPECT_EQ(std::wstring(row), L"Renamed");
    EXPECT_EQ(Working().Tabs()[0]->Name, L"Renamed");
    page.MoveDown();
    EXPECT_EQ(page.SelectedTab(), 1);
    EXPECT_EQ(Working().Tabs()[1]->Name, L"Renamed");
}

} // namespace
} // namespace norvane::options::test
