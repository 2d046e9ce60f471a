// The shortcut editor under Wine: the Shortcuts page's buttons and limits,
// adding through the target browser with each follow-up question, moving,
// copying and removing, changing a target; the browser's modes on a prepared
// folder; the Additional Properties dialog writing into the shortcut; and the
// switches that run these dialogs on their own.
#include "AdditionalProperties.h"
#include "FollowUpDialogs.h"
#include "OptionsFrame.h"
#include "OptionsTestSupport.h"
#include "ShortcutsPage.h"
#include "SingleEdits.h"
#include "SpecialCommands.h"
#include "TargetBrowser.h"

#include <commctrl.h>

#include <algorithm>

namespace norvane::options::test {
namespace {

// Four tabs, one of them hidden.
constexpr wchar_t kTabs[] =
    L"\r\n[General]\r\nBehaviorMode=2\r\nDefaultLargeIcons=1\r\nShowFileNamesOnly=1\r\n"
    L"\r\n[Tab1]\r\nName=Home\r\nUniqueID=1\r\nShortcut1=\\Windows\\Notes.exe\r\n"
    L"Shortcut2=\\Windows\\Calc.exe\r\nShortcut3=\\Windows\\Start Menu\\Games\\Solitaire.lnk\r\n"
    L"\r\n[Tab2]\r\nName=Games\r\nUniqueID=2\r\n"
    L"\r\n[Tab3]\r\nName=Secret\r\nUniqueID=3\r\nHidden=1\r\n"
    L"\r\n[Tab4]\r\nName=Tools\r\nUniqueID=4\r\n";

// The position of a special tab in the page's tab choice list (four ordinary tabs).
int SpecialPosition(int type) {
    return 4 + type;
}

// A browser answer: the mode's rows at the given indices, then "Select".
std::function<void(HWND, int)> Pick(int mode, std::vector<int> rows) {
    return [mode, rows](HWND dialog, int templateId) {
        EXPECT_EQ(templateId, IDD_TARGET_BROWSER);
        HWND tabs = GetDlgItem(dialog, IDC_BROWSER_TABS);
        TabCtrl_SetCurSel(tabs, mode);
        NMHDR header{tabs, IDC_BROWSER_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(dialog, WM_NOTIFY, IDC_BROWSER_TABS, reinterpret_cast<LPARAM>(&header));
        HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
        for (int row : rows) {
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        }
        PostMessageW(dialog, WM_COMMAND, IDC_BROWSER_SELECT, 0);
    };
}

// The special functions' rows.
enum SpecialRowIndex { kSoftReset = 0, kPowerOff, kCapture, kRotate, kTabMenu, kJumpToTab, kMinMax };

class ShortcutEditorTest : public OptionsTest {
protected:
    void Open() {
        WriteSettings(kTabs);
        m_frame = std::make_unique<OptionsFrame>(m_app, 0);
        m_frame->SetQuitOnDestroy(false);
        ASSERT_TRUE(m_frame->Create(SW_SHOWNOACTIVATE));
        ASSERT_TRUE(
            PumpUntil([&] { return m_frame->Sheet() != nullptr && m_frame->Sheet()->Handle() != nullptr; }));
        m_frame->Sheet()->ShowPage(kShortcutsPageIndex);
        ASSERT_NE(Page().Handle(), nullptr);
    }
    ShortcutsPage& Page() { return m_frame->Sheet()->Shortcuts(); }
    Settings& Working() { return m_frame->Sheet()->Working(); }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(Page().Handle(), id)) != FALSE; }
    TabRecord& Special(SpecialTabType type) { return Working().SpecialTab(type); }

    std::unique_ptr<OptionsFrame> m_frame;
};

TEST_F(ShortcutEditorTest, ButtonsFollowTheRowAndTheSpecialTabsKeepTheirLimits) {
    Open();
    ShortcutsPage& page = Page();
    EXPECT_EQ(page.Position(), 0);
    EXPECT_EQ(page.RowTexts(), (std::vector<std::wstring>{L"Notes.exe", L"Calc.exe", L"Solitaire.lnk"}))
        << "file names only";
    EXPECT_EQ(page.SelectedRow(), 0);
    EXPECT_FALSE(Enabled(IDC_SHORTCUT_MOVE_UP));
    EXPECT_TRUE(Enabled(IDC_SHORTCUT_MOVE_DOWN));
    EXPECT_TRUE(Enabled(IDC_SHORTCUT_LARGE_ICON));
    EXPECT_FALSE(Shown(page.Handle(), IDC_SHORTCUT_SPECIAL_TAB));
    page.MoveDown();
    EXPECT_EQ(page.SelectedRow(), 1);
    EXPECT_EQ(Working().Tabs()[0]->Shortcuts[1]->Target(), L"\\Windows\\Notes.exe");
    EXPECT_EQ(page.RowTexts()[1], L"Notes.exe") << "the row's text moves along";
    page.MoveDown();
    EXPECT_FALSE(Enabled(IDC_SHORTCUT_MOVE_DOWN));
    page.MoveUp();
    EXPECT_EQ(page.SelectedRow(), 1);

    // The large-icon box writes the flag.
    page.SelectRow(0);
    SendDlgItemMessageW(page.Handle(), IDC_SHORTCUT_LARGE_ICON, BM_CLICK, 0, 0);
    EXPECT_EQ(Working().Tabs()[0]->Shortcuts[0]->LargeIcon(),
              IsDlgButtonChecked(page.Handle(), IDC_SHORTCUT_LARGE_ICON) == BST_CHECKED);

    // Three targets for the Top Bar Tab: one is taken, then Add is off.
    page.ShowTab(SpecialPosition(2));
    EXPECT_TRUE(Shown(page.Handle(), IDC_SHORTCUT_SPECIAL_TAB));
    Special(SpecialTabType::TopBar).Shortcuts.clear();
    page.ShowTab(SpecialPosition(2));
    m_dialogAnswers.push_back(Pick(kSpecialMode, {kSoftReset, kRotate, kMinMax}));
    page.Add();
    ASSERT_EQ(Special(SpecialTabType::TopBar).Shortcuts.size(), 1u);
    const ShortcutRecord& top = *Special(SpecialTabType::TopBar).Shortcuts[0];
    EXPECT_EQ(top.AdditionalTarget(), L"special:softreset");
    EXPECT_EQ(top.SpecialProperties().Get(specialkey::kPromptBeforeReset), L"1") << "the target's defaults";
    EXPECT_FALSE(top.LargeIcon()) << "special tabs take no large icons";
    EXPECT_FALSE(Enabled(IDC_SHORTCUT_ADD));
    EXPECT_FALSE(Enabled(IDC_SHORTCUT_LARGE_ICON));
    page.ShowSpecialTabInfo();
    ASSERT_FALSE(m_messages.empty());
    EXPECT_NE(m_messages.back().text.find(L"Limited to 1 shortcut"), std::wstring::npos)
        << "the limit filled in";

    // The meter bar: adding sets the tap action to launch, removing to nothing.
    Special(SpecialTabType::MeterBar).Shortcuts.clear();
    page.ShowTab(SpecialPosition(6));
    m_dialogAnswers.push_back(Pick(kSpecialMode, {kPowerOff}));
    page.Add();
    EXPECT_EQ(Working().General.TopBarMeterAction, 4);
    m_answers = {IDYES};
    page.Remove();
    EXPECT_TRUE(Special(SpecialTabType::MeterBar).Shortcuts.empty());
    EXPECT_EQ(Working().General.TopBarMeterAction, 0);

    // A soft-key tab: the reset notice once per Add, not per shortcut.
    Special(SpecialTabType::LeftSoftkey).Shortcuts.clear();
    page.ShowTab(SpecialPosition(4));
    m_messages.clear();
    m_dialogAnswers.push_back(Pick(kSpecialMode, {kPowerOff, kRotate}));
    page.Add();
    EXPECT_EQ(Special(SpecialTabType::LeftSoftkey).Shortcuts.size(), 1u);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(Said(IDS_SOFT_RESET_NOTICE));
}

TEST_F(ShortcutEditorTest, NewShortcutsAskTheirQuestionsAndACancelledQuestionStillAdds) {
    Open();
    ShortcutsPage& page = Page();
    page.ShowTab(1); // Games, empty
    ASSERT_EQ(page.RowTexts().size(), 0u);
    EXPECT_FALSE(Enabled(IDC_SHORTCUT_REMOVE));
    EXPECT_FALSE(Enabled(IDC_SHORTCUT_ADDITIONAL));

    // Rows come in list order: the tab menu first, which offers every tab;
    // cancelled, its shortcut still comes. Then jump to tab, which does not
    // offer the hidden tab; the third entry is Tools.
    std::size_t menuOffered = 0;
    std::vector<std::wstring> offered;
    m_dialogAnswers.push_back(Pick(kSpecialMode, {kJumpToTab, kTabMenu}));
    m_dialogAnswers.push_back([&](HWND dialog, int id) {
        EXPECT_EQ(id, IDD_TAB_CHOOSER);
        menuOffered =
            static_cast<std::size_t>(SendDlgItemMessageW(dialog, IDC_TAB_CHOICE, CB_GETCOUNT, 0, 0));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    m_dialogAnswers.push_back([&](HWND dialog, int) {
        HWND combo = GetDlgItem(dialog, IDC_TAB_CHOICE);
        for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[64] = L"";
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            offered.emplace_back(text);
        }
        SendMessageW(combo, CB_SETCURSEL, 2, 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    page.Add();
    EXPECT_EQ(menuOffered, 4u);
    EXPECT_EQ(offered, (std::vector<std::wstring>{L"Home", L"Games", L"Tools"}));
    TabRecord& games = *Working().Tabs()[1];
    ASSERT_EQ(games.Shortcuts.size(), 2u);
    EXPECT_EQ(games.Shortcuts[0]->AdditionalTarget(), L"special:tabmenu");
    EXPECT_EQ(games.Shortcuts[0]->SpecialProperties().Get(specialkey::kUniqueTabId), L"");
    EXPECT_EQ(games.Shortcuts[1]->SpecialProperties().Get(specialkey::kUniqueTabId), L"4");
    EXPECT_TRUE(games.Shortcuts[0]->LargeIcon()) << "DefaultLargeIcons on an ordinary tab";
    EXPECT_EQ(page.RowTexts().size(), 2u);
    EXPECT_EQ(page.SelectedRow(), 1) << "the last added row is selected";

    // The phone-number question, answered.
    PhoneNumberDialog probe(m_app, L"special:sms", false);
    m_dialogAnswers.push_back([](HWND dialog, int id) {
        EXPECT_EQ(id, IDD_PHONE_NUMBER);
        wchar_t text[256] = L"";
        GetDlgItemTextW(dialog, IDC_FOLLOW_TEXT, text, 256);
        EXPECT_NE(std::wstring(text).find(L"this SMS."), std::wstring::npos);
        SetDlgItemTextW(dialog, IDC_PHONE_NUMBER, L"+49 170 555");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    std::wstring number;
    EXPECT_TRUE(probe.Run(nullptr, number));
    EXPECT_EQ(number, L"+49 170 555");
}

// A question centred on a small owner low on the screen (the phone-number
// question over the Shortcuts page) stays above the soft keys.
TEST_F(ShortcutEditorTest, AQuestionOverALowOwnerStaysAboveTheSoftKeys) {
    const int bottom = GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU);
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, bottom - 40, 200, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    RECT placed{};
    m_dialogAnswers.push_back([&](HWND dialog, int id) {
        EXPECT_EQ(id, IDD_CONTACTS);
        GetWindowRect(dialog, &placed);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ContactPicker picker(m_app);
    std::wstring number;
    EXPECT_FALSE(picker.Run(owner, number));
    DestroyWindow(owner);
    EXPECT_GT(placed.bottom - placed.top, 40) << "taller than its owner";
    EXPECT_LE(placed.bottom, bottom) << "not over the soft keys";
    EXPECT_GE(placed.top, 0);
}

TEST_F(ShortcutEditorTest, MoveCopyRemoveAndChangeTargetThroughTheContextMenu) {
    Open();
    ShortcutsPage& page = Page();
    Settings& settings = Working();
    ShortcutRecord& notes = *settings.Tabs()[0]->Shortcuts[0];
    notes.SpecialProperties().Set(L"custom", L"one");

    // The menu: Move, Copy and, for a plain file, Change Target.
    HMENU menu = page.BuildContextMenu(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 3) << "every other ordinary tab";
    EXPECT_EQ(GetMenuItemID(menu, 3), static_cast<UINT>(IDC_CHANGE_TARGET));
    DestroyMenu(menu);
    EXPECT_EQ(page.BuildContextMenu(7), nullptr);

    // Copy to Games: an independent copy.
    page.RunContextCommand(0, IDC_COPY_TO_FIRST + 1);
    ASSERT_EQ(settings.Tabs()[1]->Shortcuts.size(), 1u);
    ShortcutRecord& copy = *settings.Tabs()[1]->Shortcuts[0];
    EXPECT_EQ(copy.Target(), L"\\Windows\\Notes.exe");
    copy.SpecialProperties().Set(L"custom", L"two");
    EXPECT_EQ(notes.SpecialProperties().Get(L"custom"), L"one");
    EXPECT_EQ(page.RowTexts().size(), 3u) << "copying leaves the row";

    // Move the last row to Tools: its row goes, the new last is selected.
    page.SelectRow(2);
    page.RunContextCommand(2, IDC_MOVE_TO_FIRST + 3);
    EXPECT_EQ(page.RowTexts().size(), 2u);
    EXPECT_EQ(page.SelectedRow(), 1);
    ASSERT_EQ(settings.Tabs()[3]->Shortcuts.size(), 1u);
    EXPECT_NE(settings.Tabs()[3]->Shortcuts[0]->Target().find(L"Solitaire"), std::wstring::npos);

    // Change Target to a folder; No resets the properties.
    m_dialogAnswers.push_back(
        [](HWND dialog, int) { PostMessageW(dialog, WM_COMMAND, IDC_BROWSER_THIS_DIR, 0); });
    m_answers = {IDNO};
    page.RunContextCommand(0, IDC_CHANGE_TARGET);
    ShortcutRecord& changed = *settings.Tabs()[0]->Shortcuts[0];
    EXPECT_EQ(changed.AdditionalTarget().rfind(L"folder:", 0), 0u)
        << testing::PrintToString(changed.AdditionalTarget());
    EXPECT_EQ(changed.Target().rfind(m_app.Text(IDS_FOLDER_PREFIX), 0), 0u);
    EXPECT_TRUE(Said(IDS_PRESERVE_PROPERTIES));
    EXPECT_TRUE(changed.SpecialProperties().Empty());
    // A special command gets no Change Target.
    changed.SetAdditionalTarget(L"special:rotate");
    menu = page.BuildContextMenu(0);
    EXPECT_EQ(GetMenuItemCount(menu), 2);
    DestroyMenu(menu);

    // Remove asks with the file name as caption; No keeps it.
    m_messages.clear();
    m_answers = {IDNO};
    page.SelectRow(1);
    page.Remove();
    ASSERT_TRUE(Said(IDS_REMOVE_SHORTCUT));
    EXPECT_EQ(m_messages.back().caption, L"Calc.exe");
    EXPECT_EQ(settings.Tabs()[0]->Shortcuts.size(), 2u);
    m_answers = {IDYES};
    page.Remove();
    EXPECT_EQ(settings.Tabs()[0]->Shortcuts.size(), 1u);
    EXPECT_EQ(page.SelectedRow(), 0);
}

// The soft-key bar a dialog owns, if it shows one.
HWND OwnedSoftKeyBar(HWND dialog) {
    for (HWND bar = FindWindowExW(nullptr, nullptr, L"NorvaneSoftKeyBar", nullptr); bar != nullptr;
         bar = FindWindowExW(nullptr, bar, L"NorvaneSoftKeyBar", nullptr)) {
        if (GetWindow(bar, GW_OWNER) == dialog && IsWindowVisible(bar)) {
            return bar;
        }
    }
    return nullptr;
}

TEST_F(ShortcutEditorTest, TheBrowserListsMetersSpecialsAndFoldersAndRemembersWhereItWas) {
    WriteSettings(kTabs);
    Settings settings(m_environment);
    LoadSaved(settings);
    const std::wstring meters = m_scratch.WidePath("meters");
    CreateDirectoryW(meters.c_str(), nullptr);
    for (const wchar_t* name : {L"wifi", L"Battery-Blue", L"empty"}) {
        CreateDirectoryW((meters + L"\\" + name).c_str(), nullptr);
    }
    // A definition that draws something at the small size is a meter; one
    // without any element is not.
    WriteBytes(meters + L"\\wifi\\meter.ini", "[general]\r\ntype=reveal\r\n[16]\r\nmemory=m16.tga\r\n");
    WriteBytes(meters + L"\\Battery-Blue\\meter.ini", "[16]\r\nbattery=b16.tga\r\n");
    WriteBytes(meters + L"\\empty\\meter.ini", "[general]\r\ntype=reveal\r\n[32]\r\nbattery=b32.tga\r\n");
    settings.General.AdditionalMeterPath = meters;
    settings.General.RememberFileBrowsePath = true;
    {
        TargetBrowserSetup setup;
        setup.multipleSelection = true;
        TargetBrowser browser(m_app, settings, setup);
        ASSERT_NE(browser.Create(nullptr), nullptr);
        EXPECT_NE(OwnedSoftKeyBar(browser.Handle()), nullptr) << "its own empty bar over the frame's keys";
        // All five tabs fit a portrait screen's width.
        SetWindowPos(browser.Handle(), nullptr, 0, 0, 240, 300, SWP_NOZORDER | SWP_NOMOVE);
        HWND tabs = GetDlgItem(browser.Handle(), IDC_BROWSER_TABS);
        RECT strip{};
        RECT last{};
        GetClientRect(tabs, &strip);
        TabCtrl_GetItemRect(tabs, kBrowseModeCount - 1, &last);
        EXPECT_LE(strip.right, 240);
        EXPECT_LE(last.right, strip.right) << "the Special tab is cut off";
        browser.SetMode(kSpecialMode);
        ASSERT_EQ(browser.Rows().size(), 7u) << "no telephony here";
        EXPECT_EQ(browser.Rows()[5].additional, L"special:jumptotab");
        browser.SetMode(kMetersMode);
        std::vector<std::wstring> names;
        for (const BrowserRow& row : browser.Rows()) {
            names.push_back(row.name);
        }
        ASSERT_GE(names.size(), 2u);
        EXPECT_EQ(names[names.size() - 2], L"Battery-Blue");
        EXPECT_EQ(std::count(names.begin(), names.end(), L"empty"), 0);
        EXPECT_EQ(browser.Rows().back().additional, L"meter:" + meters + L"\\wifi\\meter.ini");
        browser.SetMode(kFilesMode);
        browser.ChooseLocation(1); // Root
        EXPECT_EQ(browser.Folder(), L"\\");
        browser.GoUp();
        EXPECT_EQ(browser.Folder(), L"\\");
        DestroyWindow(browser.Handle());
    }
    // Opened again, it starts where it was left.
    {
        TargetBrowser browser(m_app, settings, TargetBrowserSetup{true, false});
        ASSERT_NE(browser.Create(nullptr), nullptr);
        EXPECT_EQ(browser.Folder(), L"\\");
        DestroyWindow(browser.Handle());
    }
    settings.General.RememberFileBrowsePath = false;
    {
        TargetBrowser browser(m_app, settings, TargetBrowserSetup{true, false});
        ASSERT_NE(browser.Create(nullptr), nullptr);
        EXPECT_EQ(browser.Folder(), StartMenuFolder());
        EXPECT_EQ(browser.Mode(), kFilesMode);
        DestroyWindow(browser.Handle());
    }
}

// The five mode tabs on a strip just wide enough for their texts with small
// margins: each tab holds its whole text and none hides behind scroll arrows.
TEST_F(ShortcutEditorTest, TheBrowserTabsGiveUpTheirMarginsBeforeTheirTexts) {
    WriteSettings(kTabs);
    Settings settings(m_environment);
    LoadSaved(settings);
    TargetBrowser browser(m_app, settings, TargetBrowserSetup{});
    ASSERT_NE(browser.Create(nullptr), nullptr);
    HWND tabs = GetDlgItem(browser.Handle(), IDC_BROWSER_TABS);
    HDC dc = GetDC(tabs);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(tabs, WM_GETFONT, 0, 0)));
    std::vector<int> texts;
    int total = 0;
    for (int i = 0; i < kBrowseModeCount; ++i) {
        wchar_t text[64] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tabs, i, &item);
        SIZE size{};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        texts.push_back(size.cx);
        total += size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(tabs, dc);
    // Room for the texts, margins of 2 and the current tab's outset, not for
    // the usual margins of 6.
    RECT dialog;
    RECT strip;
    GetClientRect(browser.Handle(), &dialog);
    GetClientRect(tabs, &strip);
    const int around = dialog.right - strip.right;
    SetWindowPos(browser.Handle(), nullptr, 0, 0, total + 2 * 2 * kBrowseModeCount + 4 + 2 + around, 300,
                 SWP_NOZORDER | SWP_NOMOVE);
    for (int i = 0; i < kBrowseModeCount; ++i) {
        RECT item{};
        TabCtrl_GetItemRect(tabs, i, &item);
        EXPECT_GE(item.right - item.left, texts[i] + 2) << "tab " << i << " holds its text";
    }
    HWND arrows = FindWindowExW(tabs, nullptr, L"msctls_updown32", nullptr);
    EXPECT_FALSE(arrows != nullptr && IsWindowVisible(arrows)) << "no scroll arrows";
    DestroyWindow(browser.Handle());
}

TEST_F(ShortcutEditorTest, AdditionalPropertiesWriteEachChangeIntoTheShortcut) {
    WriteSettings(kTabs);
    Settings settings(m_environment);
    LoadSaved(settings);
    ShortcutRecord capture;
    capture.SetTarget(L"Screen Capture");
    capture.SetAdditionalTarget(L"special:screencapture");
    capture.SpecialProperties().Set(specialkey::kColorDepth, L"32");
    AdditionalPropertiesDialog dialog(m_app, settings, capture);
    HWND hwnd = dialog.Create(nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_NE(OwnedSoftKeyBar(hwnd), nullptr) << "its own empty bar over the frame's keys";
    ASSERT_EQ(dialog.Options().size(), 11u);
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(hwnd, IDC_PROP_LIST)), 11);
    EXPECT_FALSE(Shown(hwnd, IDC_PROP_CHOICE));
    EXPECT_FALSE(Shown(hwnd, IDC_PROP_TEXT));

    const auto choose = [&](int index) {
        SendDlgItemMessageW(hwnd, IDC_PROP_CHOICE, CB_SETCURSEL, index, 0);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_PROP_CHOICE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_PROP_CHOICE)));
    };
    dialog.SelectOption(6); // Color Depth
    EXPECT_TRUE(Shown(hwnd, IDC_PROP_CHOICE));
    EXPECT_EQ(SendDlgItemMessageW(hwnd, IDC_PROP_CHOICE, CB_GETCURSEL, 0, 0), 0) << "32 shows Default";
    EXPECT_EQ(capture.SpecialProperties().Get(specialkey::kColorDepth), L"32") << "kept until a choice";
    choose(2);
    EXPECT_EQ(capture.SpecialProperties().Get(specialkey::kColorDepth), L"16");
    dialog.SelectOption(9); // Initial Delay
    choose(0);
    EXPECT_EQ(capture.SpecialProperties().Get(specialkey::kDelay), L"0");
    dialog.SelectOption(10); // Repeat Delay
    choose(0);
    EXPECT_EQ(capture.SpecialProperties().Get(specialkey::kRepeatDelay), L"1");
    dialog.SelectOption(2); // Prompt before beginning
    EXPECT_TRUE(Shown(hwnd, IDC_PROP_CHECK));
    SendDlgItemMessageW(hwnd, IDC_PROP_CHECK, BM_CLICK, 0, 0);
    EXPECT_EQ(capture.SpecialProperties().Get(specialkey::kPromptBeforeStarting),
              IsDlgButtonChecked(hwnd, IDC_PROP_CHECK) == BST_CHECKED ? L"1" : L"0");
    dialog.SelectOption(8); // Filename prefix, cut to 20 when the field is left
    EXPECT_TRUE(Shown(hwnd, IDC_PROP_TEXT));
    EXPECT_FALSE(Shown(hwnd, IDC_PROP_BROWSE));
    SetDlgItemTextW(hwnd, IDC_PROP_TEXT, L"abcdefghijklmnopqrstuvwxy");
    SendDlgItemMessageW(hwnd, IDC_PROP_TEXT, EM_SETMODIFY, TRUE, 0);
    dialog.SelectOption(0);
    EXPECT_EQ(capture.SpecialProperties().Get(specialkey::kPrefix), L"abcdefghijklmnopqrst");
    SetDlgItemTextW(hwnd, IDC_PROP_TEXT, L"Snap");
    SendDlgItemMessageW(hwnd, IDC_PROP_TEXT, EM_SETMODIFY, TRUE, 0);
    dialog.CommitText();
    EXPECT_EQ(capture.Caption(), L"Snap");
    DestroyWindow(hwnd);
}

TEST_F(ShortcutEditorTest, SwitchesAddChangeAndEditThenSaveAndTell) {
    WriteSettings(kTabs);
    // "/select:1": two specials into Games, the jump-to-tab one asking for its tab.
    m_dialogAnswers.push_back(Pick(kSpecialMode, {kRotate, kJumpToTab}));
    m_dialogAnswers.push_back([](HWND dialog, int) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(RunSingleEdit(m_app, ParseStartCommand(L"/select:1"), nullptr), EditOutcome::Saved);
    EXPECT_EQ(m_broadcasts, 1);
    {
        Settings saved(m_environment);
        LoadSaved(saved);
        ASSERT_EQ(saved.Tabs()[1]->Shortcuts.size(), 2u);
        EXPECT_EQ(saved.Tabs()[1]->Shortcuts[0]->AdditionalTarget(), L"special:rotate");
        EXPECT_TRUE(saved.Tabs()[1]->Shortcuts[0]->LargeIcon());
        EXPECT_EQ(saved.Tabs()[1]->Shortcuts[1]->SpecialProperties().Get(specialkey::kUniqueTabId), L"1");
    }
    // "/additional:1:0": the rotation mode, saved on OK.
    m_dialogAnswers.push_back([](HWND dialog, int id) {
        EXPECT_EQ(id, IDD_ADDITIONAL);
        HWND list = GetDlgItem(dialog, IDC_PROP_LIST);
        ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        SendDlgItemMessageW(dialog, IDC_PROP_CHOICE, CB_SETCURSEL, 4, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROP_CHOICE, CBN_SELCHANGE), 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunSingleEdit(m_app, ParseStartCommand(L"/additional:1:0"), nullptr), EditOutcome::Saved);
    {
        Settings saved(m_environment);
        LoadSaved(saved);
        EXPECT_EQ(saved.Tabs()[1]->Shortcuts[0]->SpecialProperties().Get(specialkey::kMode), L"180-only");
    }
    // "/target:1:0" with No: a folder now, its rotation mode gone.
    m_dialogAnswers.push_back([](HWND dialog, int) {
        EXPECT_FALSE(Shown(dialog, IDC_BROWSER_TABS)) << "the single-file set-up hides the modes";
        PostMessageW(dialog, WM_COMMAND, IDC_BROWSER_THIS_DIR, 0);
    });
    m_answers = {IDNO};
    EXPECT_EQ(RunSingleEdit(m_app, ParseStartCommand(L"/target:1:0"), nullptr), EditOutcome::Saved);
    {
        Settings saved(m_environment);
        LoadSaved(saved);
        const ShortcutRecord& changed = *saved.Tabs()[1]->Shortcuts[0];
        EXPECT_EQ(changed.AdditionalTarget().rfind(L"folder:", 0), 0u);
        EXPECT_TRUE(changed.SpecialProperties().Get(specialkey::kMode).empty());
    }
    EXPECT_EQ(m_broadcasts, 3);
}

} // namespace
} // namespace norvane::options::test
