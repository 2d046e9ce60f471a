// The single-edit switches that must write nothing, the tab numbering they
// share with the item, the theme installation's registry rules, and the
// dialog templates: every landscape place belongs to a portrait control, no
// controls overlap, and everything fits the device's screens.
#include "DialogTemplate.h"
#include "OptionTables.h"
#include "OptionsTestSupport.h"
#include "SingleEdits.h"
#include "Win32Handles.h"

#include <string_view>

namespace norvane::options::test {
namespace {

class SingleEditsTest : public OptionsTest {};

TEST_F(SingleEditsTest, SwitchesThatNameNothingWriteNothing) {
    WriteSettings(kThreeTabs);
    const std::string before = SettingsBytes();
    const wchar_t* lines[] = {L"/image:0",    L"/image:9:0",      L"/image:0:5",       L"/image:-3:-1",
                              L"/target:0:5", L"/additional:2:0", L"/additional:12:0", L"/target:1",
                              L"/target:0:0", L"/additional:0:0", L"/select:1"};
    for (const wchar_t* line : lines) {
        m_messages.clear();
        EXPECT_EQ(RunSingleEdit(m_app, ParseStartCommand(line), nullptr), EditOutcome::NothingDone)
            << testing::PrintToString(std::wstring(line));
        EXPECT_EQ(SettingsBytes(), before) << testing::PrintToString(std::wstring(line));
    }
    EXPECT_EQ(m_broadcasts, 0);
    // The last three opened their dialogs, which were cancelled.
    EXPECT_EQ(m_dialogsShown, (std::vector<int>{IDD_TARGET_BROWSER, IDD_ADDITIONAL, IDD_TARGET_BROWSER}));
}

TEST_F(SingleEditsTest, TabsAreNumberedAsTheItemNumbersThem) {
    WriteSettings(kThreeTabs);
    Settings settings(m_environment);
    LoadSaved(settings);
    EXPECT_EQ(TabAtSwitchIndex(settings, 0), settings.Tabs()[0].get());
    EXPECT_EQ(TabAtSwitchIndex(settings, 2), settings.Tabs()[2].get());
    EXPECT_EQ(TabAtSwitchIndex(settings, 3), &settings.SpecialTab(SpecialTabType::ShellTray));
    EXPECT_EQ(TabAtSwitchIndex(settings, 6), &settings.SpecialTab(SpecialTabType::QuickLaunch));
    EXPECT_EQ(TabAtSwitchIndex(settings, 9), &settings.SpecialTab(SpecialTabType::MeterBar));
    EXPECT_EQ(TabAtSwitchIndex(settings, 10), nullptr);
    EXPECT_EQ(TabAtSwitchIndex(settings, -1), nullptr);
}

class ThemeTest : public OptionsTest {
protected:
    void SetToday(const wchar_t* name, const std::wstring& value) {
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (m_key + L"\\Today").c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, key.Receive(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool TodayValue(const wchar_t* name, std::wstring* value = nullptr) {
        wchar_t text[MAX_PATH] = L"";
        DWORD size = sizeof text;
        const bool found = RegGetValueW(HKEY_CURRENT_USER, (m_key + L"\\Today").c_str(), name, RRF_RT_ANY,
                                        nullptr, text, &size) == ERROR_SUCCESS;
        if (value != nullptr) {
            *value = text;
        }
        return found;
    }
    bool HasThemePath() {
        std::wstring path;
        return m_app.ReadString(names::kThemePathValue, path);
    }
};

TEST_F(ThemeTest, AnInstalledThemeIsLeftAlone) {
    EXPECT_FALSE(InstallPendingTheme(m_app)) << "no pending theme";
    m_app.WriteString(names::kThemePathValue, L"\\My Documents\\Blue.tsk");
    SetToday(L"Skin", L"\\My Documents\\Blue.tsk");
    SetToday(L"UseStartImage", L"1");
    EXPECT_FALSE(InstallPendingTheme(m_app));
    EXPECT_FALSE(HasThemePath()) << "the pending path is deleted in any case";
    EXPECT_TRUE(TodayValue(L"UseStartImage")) << "an installed theme is not installed again";
}

TEST_F(ThemeTest, AThemeWhoseInstallerCannotRunIsNotRecordedAsInstalled) {
    m_app.WriteString(names::kThemePathValue, L"\\My Documents\\Green.tsk");
    SetToday(L"Skin", L"\\My Documents\\Blue.tsk");
    SetToday(L"UseStartImage", L"1");
    // The test machine has no \Windows\wceload.exe.
    EXPECT_FALSE(InstallPendingTheme(m_app));
    EXPECT_FALSE(HasThemePath());
    EXPECT_FALSE(TodayValue(L"UseStartImage")) << "UseStartImage goes before the installer runs";
    std::wstring skin;
    TodayValue(L"Skin", &skin);
    EXPECT_EQ(skin, L"\\My Documents\\Blue.tsk");
    EXPECT_EQ(ThemeInstallerArguments(L"\\My Documents\\Green.tsk"),
              L"/safe /noui /nouninstall /delete 0 \"\\My Documents\\Green.tsk\"");
}

// ---------------------------------------------------------------- templates

DialogTemplateInfo Template(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) {
        found = FindResourceW(module, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)), RT_DIALOG);
    }
    DialogTemplateInfo info;
    if (found != nullptr) {
        const void* data = LockResource(LoadResource(module, found));
        ReadDialogTemplate(std::string_view(static_cast<const char*>(data), SizeofResource(module, found)),
                           info);
    }
    return info;
}

DialogTemplateInfo NamedTemplate(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, RT_DIALOG);
    DialogTemplateInfo info;
    if (found != nullptr) {
        const void* data = LockResource(LoadResource(module, found));
        ReadDialogTemplate(std::string_view(static_cast<const char*>(data), SizeofResource(module, found)),
                           info);
    }
    return info;
}

// Controls that share one place and are never shown together (the Options
// page's value editors).
bool Exclusive(int a, int b) {
    const int editors[] = {IDC_OPTION_CHECK, IDC_OPTION_CHOICE, IDC_OPTION_TEXT, IDC_OPTION_BROWSE,
                           IDC_OPTION_COLOR};
    const bool ae = std::find(std::begin(editors), std::end(editors), a) != std::end(editors);
    const bool be = std::find(std::begin(editors), std::end(editors), b) != std::end(editors);
    return ae && be &&
           !((a == IDC_OPTION_TEXT && b == IDC_OPTION_BROWSE) ||
             (b == IDC_OPTION_TEXT && a == IDC_OPTION_BROWSE));
}

bool Overlap(const TemplateRect& a, const TemplateRect& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

// The height a control shows: a combo box's template height is its dropped list.
TemplateRect Shown(const TemplateItem& item, bool combo) {
    TemplateRect r = item.rect;
    if (combo) {
        r.cy = 13;
    }
    return r;
}

bool IsCombo(int templateId, int id) {
    switch (templateId) {
    case IDD_SHORTCUTS_PAGE:
    case IDD_SHORTCUTS_PAGE_WIDE:
        return id == IDC_SHORTCUT_TAB;
    case IDD_TARGET_BROWSER:
    case IDD_TARGET_BROWSER_WIDE:
        return id == IDC_BROWSER_LOCATION;
    case IDD_METER_PATH:
        return id == IDC_FOLLOW_CHOICE;
    case IDD_TAB_CHOOSER:
        return id == IDC_TAB_CHOICE;
    default:
        return id == IDC_OPTION_GROUP || id == IDC_OPTION_CHOICE;
    }
}

// Pixels of a dialog unit rectangle with the templates' font at 96 dpi.
SIZE Pixels(int cx, int cy) {
    HWND probe = CreateDialogIndirectParamW(
        nullptr,
        [] {
            static struct {
                DLGTEMPLATE header;
                WORD menu, cls, title, points;
                wchar_t face[7];
            } t{{DS_SETFONT | WS_POPUP, 0, 0, 0, 0, 10, 10}, 0, 0, 0, 8, L"Tahoma"};
            return &t.header;
        }(),
        nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    RECT r{0, 0, cx, cy};
    MapDialogRect(probe, &r);
    DestroyWindow(probe);
    return SIZE{r.right, r.bottom};
}

TEST(DialogTemplates, LandscapePlacesBelongToPortraitControlsAndNothingOverlaps) {
    const std::pair<int, int> pairs[] = {
        {IDD_OPTIONS_PAGE, IDD_OPTIONS_PAGE_WIDE},   {IDD_SHORTCUTS_PAGE, IDD_SHORTCUTS_PAGE_WIDE},
        {IDD_TABS_PAGE, IDD_TABS_PAGE_WIDE},         {IDD_ABOUT_PAGE, IDD_ABOUT_PAGE_WIDE},
        {IDD_IMAGE_CHOOSER, IDD_IMAGE_CHOOSER_WIDE}, {IDD_TARGET_BROWSER, IDD_TARGET_BROWSER_WIDE},
        {IDD_ADDITIONAL, IDD_ADDITIONAL_WIDE}};
    std::vector<std::pair<int, DialogTemplateInfo>> all;
    for (const auto& [portrait, landscape] : pairs) {
        const DialogTemplateInfo p = Template(portrait);
        const DialogTemplateInfo l = Template(landscape);
        ASSERT_FALSE(p.items.empty()) << portrait;
        ASSERT_FALSE(l.items.empty()) << landscape;
        for (const TemplateItem& item : l.items) {
            EXPECT_TRUE(std::any_of(p.items.begin(), p.items.end(),
                                    [&](const TemplateItem& q) { return q.id == item.id; }))
                << "template " << landscape << " places control " << item.id << " that " << portrait
                << " lacks";
        }
        all.emplace_back(portrait, p);
        all.emplace_back(landscape, l);
    }
    for (int id : {IDD_EXCEPTIONS, IDD_FOLDER_PICKER, IDD_METER_PATH, IDD_PHONE_NUMBER, IDD_TAB_CHOOSER,
                   IDD_CONTACTS}) {
        all.emplace_back(id, Template(id));
    }
    all.emplace_back(0, NamedTemplate(IDD_COLOR_DIALOG_NAME));
    for (const auto& [id, info] : all) {
        ASSERT_FALSE(info.items.empty()) << "template " << id;
        for (std::size_t i = 0; i < info.items.size(); ++i) {
            const TemplateItem& a = info.items[i];
            const TemplateRect ra = Shown(a, IsCombo(id, a.id));
            EXPECT_TRUE(ra.x >= 0 && ra.y >= 0 && ra.x + ra.cx <= info.rect.cx &&
                        ra.y + ra.cy <= info.rect.cy)
                << "control " << a.id << " of template " << id << " leaves the dialog";
            for (std::size_t j = i + 1; j < info.items.size(); ++j) {
                const TemplateItem& b = info.items[j];
                if (Exclusive(a.id, b.id)) {
                    continue;
                }
                EXPECT_FALSE(Overlap(ra, Shown(b, IsCombo(id, b.id))))
                    << "controls " << a.id << " and " << b.id << " of template " << id << " overlap";
            }
        }
    }
}

TEST(DialogTemplates, DialogsFitTheScreensTheyShowOn) {
    // The room below the task bar (26) and above the soft keys (19 here), less
    // the sheet's tab strip and frame for the pages.
    struct Room {
        int id;
        int width;
        int height;
    };
    const int pageStrip = 26;
    const Room rooms[] = {
        {IDD_OPTIONS_PAGE, 240 - 4, 320 - 26 - 19 - pageStrip},
        {IDD_TABS_PAGE, 240 - 4, 320 - 26 - 19 - pageStrip},
        {IDD_ABOUT_PAGE, 240 - 4, 320 - 26 - 19 - pageStrip},
        {IDD_SHORTCUTS_PAGE, 240 - 4, 320 - 26 - 19 - pageStrip},
        {IDD_OPTIONS_PAGE_WIDE, 320 - 4, 240 - 26 - 19 - pageStrip},
        {IDD_TABS_PAGE_WIDE, 320 - 4, 240 - 26 - 19 - pageStrip},
        {IDD_ABOUT_PAGE_WIDE, 320 - 4, 240 - 26 - 19 - pageStrip},
        {IDD_SHORTCUTS_PAGE_WIDE, 320 - 4, 240 - 26 - 19 - pageStrip},
        {IDD_IMAGE_CHOOSER, 240, 320 - 26 - 19},
        {IDD_IMAGE_CHOOSER_WIDE, 320, 240 - 26 - 19},
        {IDD_TARGET_BROWSER, 240, 320 - 26 - 19},
        {IDD_TARGET_BROWSER_WIDE, 320, 240 - 26 - 19},
        {IDD_ADDITIONAL, 240, 320 - 26 - 19},
        {IDD_ADDITIONAL_WIDE, 320, 240 - 26 - 19},
        {IDD_METER_PATH, 240, 240 - 26 - 19},
        {IDD_PHONE_NUMBER, 240, 240 - 26 - 19},
        {IDD_TAB_CHOOSER, 240, 240 - 26 - 19},
        {IDD_CONTACTS, 240, 240 - 26 - 19},
        // Without a landscape place of their own: the smaller of both screens.
        {IDD_EXCEPTIONS, 240, 240 - 26 - 19},
        {IDD_FOLDER_PICKER, 240, 240 - 26 - 19},
    };
    for (const Room& room : rooms) {
        const DialogTemplateInfo info = Template(room.id);
        const SIZE size = Pixels(info.rect.cx, info.rect.cy);
        EXPECT_LE(size.cx, room.width) << "template " << room.id;
        EXPECT_LE(size.cy, room.height) << "template " << room.id;
    }
    // The colour picker keeps its strip and tabs (24 + 22 pixels) below its controls.
    const DialogTemplateInfo colour = NamedTemplate(IDD_COLOR_DIALOG_NAME);
    int bottom = 0;
    for (const TemplateItem& item : colour.items) {
        bottom = std::max(bottom, item.rect.y + item.rect.cy);
    }
    EXPECT_LE(Pixels(colour.rect.cx, bottom).cy + 24 + 22, 240 - 26 - 19);
    EXPECT_LE(Pixels(colour.rect.cx, bottom).cx, 240);
}

TEST(OptionStrings, EveryTextOfTheTablesIsInTheStringTable) {
    StringLookup strings(GetModuleHandleW(nullptr));
    for (const OptionGroup& group : OptionGroups()) {
        EXPECT_FALSE(strings.Get(group.nameId).empty()) << group.nameId;
        for (const OptionDescriptor& option : group.options) {
            const std::wstring text = strings.Get(option.textId);
            EXPECT_FALSE(OptionTitle(text).empty()) << option.textId;
            for (const FixedChoice& choice : option.fixed) {
                EXPECT_FALSE(strings.Get(choice.textId).empty()) << choice.textId;
            }
        }
    }
    for (UINT id = IDS_CHOICE_CUSTOMIZED_TABS; id <= IDS_CHOICE_PERCENT_FORMAT; ++id) {
        EXPECT_FALSE(strings.Get(id).empty()) << id;
    }
    EXPECT_EQ(strings.Get(62000), L"Norvane Display Mode\nSelects the display mode for Norvane");
    EXPECT_EQ(strings.Get(62050), L"Captions Font Size") << "an option without a description";
    EXPECT_EQ(strings.Get(IDS_APP_TITLE), L"Norvane Options");
}

} // namespace
} // namespace norvane::options::test
