// The item's context menus hosted in the test Today screen: the entries each
// menu form offers (ids, texts, check marks, greying, submenus), and what the
// chosen entries do to the settings file on disk. The menu tracking, the
// message boxes and the shell's execute facility are replaced by recorders.
#include "TodayHost.h"

#include "DisplayScale.h"
#include "ItemMenus.h"
#include "MenuPainter.h"
#include "Module.h"
#include "Settings.h"
#include "TextCodec.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

constexpr wchar_t kInstallFolder[] = L"\\Program Files\\Norvane\\";
constexpr wchar_t kCardMeterFile[] = L"C:\\menutest_card.ini";
constexpr wchar_t kBatteryMeterFile[] = L"C:\\menutest_battery.ini";

// Home shows captions and mixes icon sizes; a hidden tab lies between Home and
// Games, so visible and stored tab numbers differ for Games.
const wchar_t kSettings[] =
    L"[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\n"
    L"[Tab1]\r\nName=Home\r\nUniqueID=11\r\nCaptionsEnabled=1\r\n"
    L"Shortcut1=\\Windows\\calc.exe\r\nLargeIcon1=1\r\n"
    L"Shortcut2=\\Windows\\notes.exe\r\nToolTipTitle2=Notes\r\n"
    L"Shortcut3=Card\r\nShortcutAdditional3=meter:\\menutest_card.ini\r\nLargeIcon3=1\r\n"
    L"Shortcut4=Reset\r\nShortcutAdditional4=special:softreset\r\n"
    L"Shortcut5=Docs\r\nShortcutAdditional5=folder:\\My Documents\r\nCaptionEnabled5=0\r\n"
    L"[Tab2]\r\nName=Secret\r\nUniqueID=13\r\nHidden=1\r\n"
    L"[Tab3]\r\nName=Games\r\nUniqueID=12\r\nOverrideDisplayMode=2\r\n"
    L"Shortcut1=\\Windows\\game.exe\r\nLargeIcon1=1\r\n"
    L"[Tab4]\r\nSpecialType=3\r\nShortcut1=Battery\r\nShortcutAdditional1=meter:\\menutest_battery.ini\r\n"
    L"[Tab5]\r\nSpecialType=4\r\nShortcut1=\\Windows\\quick.exe\r\n"
    L"[StorageCardPaths]\r\nMeterIniPath0=\\menutest_card.ini\r\nStorageCardPath0=\\SD Two\r\n";

// One menu item as the menu holds it.
struct Entry {
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    ULONG_PTR data = 0;
    std::wstring text;
    std::vector<Entry> sub;
    bool popup = false;

    bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool OwnerDrawn() const { return (type & MFT_OWNERDRAW) != 0; }
    bool Checked() const { return (state & MFS_CHECKED) != 0; }
    bool Grayed() const { return (state & MFS_GRAYED) != 0; }
};

std::vector<Entry> Snapshot(HMENU menu) {
    std::vector<Entry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        Entry entry;
        entry.id = info.wID;
        entry.type = info.fType;
        entry.state = info.fState;
        entry.data = info.dwItemData;
        if (!(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
            wchar_t text[256] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            entry.text = text;
        }
        if (info.hSubMenu) {
            entry.popup = true;
            entry.sub = Snapshot(info.hSubMenu);
        }
        entries.push_back(entry);
    }
    return entries;
}

// Texts in order, with markers: "-" separator, "<owner:id>" owner-drawn,
// "[x]" checked, "(g)" greyed, "{...}" a submenu.
std::wstring Describe(const std::vector<Entry>& entries) {
    std::wstring out;
    for (const Entry& e : entries) {
        if (!out.empty()) {
            out += L"|";
        }
        if (e.Separator()) {
            out += L"-";
            continue;
        }
        if (e.OwnerDrawn()) {
            out += L"<owner:" + std::to_wstring(e.id) + L">";
        } else {
            out += e.text;
            if (!e.popup) {
                out += L":" + std::to_wstring(e.id);
            }
        }
        if (e.Checked()) {
            out += L"[x]";
        }
        if (e.Grayed()) {
            out += L"(g)";
        }
        if (e.popup) {
            out += L"{" + Describe(e.sub) + L"}";
        }
    }
    return out;
}

void WriteTextFile(const std::wstring& path, const std::wstring& text) {
    const std::string bytes = TextToUtf16LeBytes(std::wstring(1, static_cast<wchar_t>(0xFEFF)) + text);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The settings file as the options program would write it after an edit.
std::string EditedSettings(const std::function<void(Settings&)>& edit) {
    Settings settings;
    settings.SkipIcons = true;
    settings.LoadFromBytes(TextToUtf16LeBytes(std::wstring(1, static_cast<wchar_t>(0xFEFF)) + kSettings));
    edit(settings);
    return settings.SaveToBytes();
}

class ItemMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareItemTest();
        WriteTextFile(kCardMeterFile,
                      L"[general]\r\ntype=reveal\r\n[32]\r\nmeter=m.png\r\nstorage-card=c.png\r\n");
        WriteTextFile(kBatteryMeterFile, L"[general]\r\n[16]\r\nmeter=m.png\r\nbattery=b.png\r\n");
    }

    void TearDown() override {
        item.reset();
        ResetItemRegistry();
        DeleteFileW(kCardMeterFile);
        DeleteFileW(kBatteryMeterFile);
    }

    void StartItem(const std::wstring& settings = kSettings) {
        WriteSettingsText(settings);
        item = std::make_unique<TodayItemWindow>();
        item->Trace = [this](const char* step) { steps.push_back(step); };
        LauncherServices& launcher = item->GetLauncher().Services();
        launcher.shellExecute = [this](SHELLEXECUTEINFOW& info) {
            executions.emplace_back(info.lpFile ? info.lpFile : L"",
                                    info.lpParameters ? info.lpParameters : L"");
            return TRUE;
        };
        launcher.messageBox = [this](HWND, const std::wstring& text, UINT flags) {
            messages.emplace_back(text, flags);
            if (onMessage) {
                onMessage();
            }
            return answer;
        };
        launcher.installFolder = [] { return std::wstring(kInstallFolder); };
        launcher.launchHooks.meterKinds = nullptr;
        ItemMenuServices& menus = item->Menus().Services();
        menus.track = [this](HMENU menu, POINT at, HWND owner) {
            shown.push_back(Snapshot(menu));
            points.push_back(at);
            owners.push_back(owner);
            if (duringMenu) {
                duringMenu();
            }
            return choice;
        };
        menus.storageCards = [] { return std::vector<std::wstring>{L"Storage Card", L"SD Two"}; };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
    }

    ShortcutRecord& Ordinary(size_t tab, size_t index) {
        return *item->GetSettings().Tabs().at(tab)->Shortcuts.at(index);
    }
    ShortcutRecord& Special(SpecialTabType type, size_t index) {
        return *item->GetSettings().SpecialTab(type).Shortcuts.at(index);
    }

    void OpenShortcutMenu(size_t tab, size_t index, UINT command, bool byKeyboard = false) {
        choice = command;
        item->Menus().ShowShortcutMenu(Ordinary(tab, index), POINT{30, 40}, byKeyboard);
    }

    // The record the settings file on disk loads into.
    std::unique_ptr<Settings> LoadFromDisk() {
        auto settings = std::make_unique<Settings>();
        settings->SkipIcons = true;
        settings->SetPath(SettingsFilePath());
        settings->Load();
        return settings;
    }

    std::wstring LastShown() { return shown.empty() ? std::wstring() : Describe(shown.back()); }
    int Loads() {
        return static_cast<int>(std::count(steps.begin(), steps.end(), std::string("settings.load")));
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::vector<std::string> steps;
    std::vector<std::pair<std::wstring, std::wstring>> executions;
    std::vector<std::pair<std::wstring, UINT>> messages;
    std::vector<std::vector<Entry>> shown;
    std::vector<POINT> points;
    std::vector<HWND> owners;
    std::function<void()> duringMenu;
    std::function<void()> onMessage;
    UINT choice = 0;
    int answer = IDNO;
};

TEST_F(ItemMenusTest, ShortcutMenuFormsListTheirEntriesWithChecksAndGreying) {
    StartItem();
    // A large program shortcut in a captioned tab, opened by tap-and-hold.
    OpenShortcutMenu(0, 0, 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(LastShown(),
              L"<owner:0>|Small:5000|Large:5001[x]|-|Delete:5002|-|"
              L"Move shortcut to...{Secret:3001|Games:3002}|Copy shortcut to...{Secret:3101|Games:3102}|"
              L"Modify Image...:5005|Additional Properties...:5006|Change Target...:5009|"
              L"Caption Enabled:2108[x]|-|Launch:5003");
    EXPECT_EQ(shown[0][0].data, menukind::kHeader);
    EXPECT_EQ(item->Menus().ShortcutHeader(), L"calc.exe");
    EXPECT_EQ(points[0].x, 30);
    EXPECT_EQ(points[0].y, 40);
    EXPECT_EQ(owners[0], item->Hwnd());

    // The keyboard form names the shortcut first and ends with Cancel; a small
    // icon's caption cannot be switched while SmallIconCaptionMode is 0.
    item->GetSettings().General.SmallIconCaptionMode = 0;
    OpenShortcutMenu(0, 1, 0, true);
    EXPECT_EQ(LastShown(),
              L"Launch Notes:5003|Small:5000[x]|Large:5001|-|Delete:5002|-|"
              L"Move shortcut to...{Secret:3001|Games:3002}|Copy shortcut to...{Secret:3101|Games:3102}|"
              L"Modify Image...:5005|Additional Properties...:5006|Change Target...:5009|"
              L"Caption Enabled:2108[x](g)|-|Cancel:0");

    // A storage meter: the card submenu with the stored card checked, no image
    // change and no target change. A special command has no target change
    // either; a folder has one, and its caption is off.
    OpenShortcutMenu(0, 2, 0);
    EXPECT_EQ(LastShown(),
              L"<owner:0>|Small:5000|Large:5001[x]|-|Delete:5002|-|"
              L"Move shortcut to...{Secret:3001|Games:3002}|Copy shortcut to...{Secret:3101|Games:3102}|"
              L"Meter refers to storage card...{\\Storage Card:2300|\\SD Two:2301[x]}|-|"
              L"Modify Image...:5005(g)|Additional Properties...:5006|"
              L"Caption Enabled:2108[x]|-|Launch:5003");
    OpenShortcutMenu(0, 3, 0);
    EXPECT_EQ(LastShown().find(L"Change Target"), std::wstring::npos);
    EXPECT_EQ(LastShown().find(L"storage card"), std::wstring::npos);
    OpenShortcutMenu(0, 4, 0);
    EXPECT_NE(LastShown().find(L"Change Target...:5009|Caption Enabled:2108(g)|-|Launch"),
              std::wstring::npos);

    // In a tab without captions there is no caption entry; every other tab
    // (the hidden one too) is offered by its stored index.
    OpenShortcutMenu(2, 0, 0);
    EXPECT_EQ(LastShown(),
              L"<owner:0>|Small:5000|Large:5001[x]|-|Delete:5002|-|"
              L"Move shortcut to...{Home:3000|Secret:3001}|Copy shortcut to...{Home:3100|Secret:3101}|"
              L"Modify Image...:5005|Additional Properties...:5006|Change Target...:5009|Launch:5003");
    EXPECT_EQ(Loads(), 1) << "opening and cancelling menus reloads nothing";
}

TEST_F(ItemMenusTest, SpecialShortcutMenuOffersLockForTheTopBarAndItsConfigureEntry) {
    StartItem();
    choice = 0;
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::TopBar, 0), 2, POINT{5, 6});
    EXPECT_EQ(LastShown(), L"<owner:0>|Delete:5002|-|Modify Image...:5005(g)|Additional Properties...:5006|"
                           L"Launch:5003|Lock Icon (Prevent Drag):5010|-|Configure  Top Bar Tab:5008");
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::QuickLaunch, 0), 3, POINT{5, 6});
    EXPECT_EQ(LastShown(), L"<owner:0>|Delete:5002|-|Modify Image...:5005|Additional Properties...:5006|"
                           L"Launch:5003|-|Configure Quick Launch Tab:5008");

    // Lock toggles and is saved; configure opens the options at the special tab
    // (three ordinary tabs, then Top Bar as the third special one).
    choice = menucmd::kLockIcon;
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::TopBar, 0), 2, POINT{5, 6});
    EXPECT_TRUE(item->GetSettings().General.TopBarIconLocked);
    EXPECT_TRUE(LoadFromDisk()->General.TopBarIconLocked);
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::TopBar, 0), 2, POINT{5, 6});
    EXPECT_NE(LastShown().find(L"Lock Icon (Prevent Drag):5010[x]"), std::wstring::npos);

    choice = menucmd::kConfigureSpecialTab;
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::TopBar, 0), 2, POINT{5, 6});
    choice = menucmd::kModifyImage;
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::QuickLaunch, 0), 3, POINT{5, 6});
    ASSERT_EQ(executions.size(), 2u);
    EXPECT_EQ(executions[0].first, L"\\Program Files\\Norvane\\NorvaneOptions.exe");
    EXPECT_EQ(executions[0].second, L"/showtab:5");
    EXPECT_EQ(executions[1].second, L"/image:6:0");

    // Delete in a special tab, after the question.
    answer = IDYES;
    choice = menucmd::kDelete;
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::QuickLaunch, 0), 3, POINT{5, 6});
    EXPECT_TRUE(LoadFromDisk()->SpecialTab(SpecialTabType::QuickLaunch).Shortcuts.empty());
}

TEST_F(ItemMenusTest, DeleteAsksAndOnlyYesRemovesTheShortcutFromTheFile) {
    StartItem();
    const std::string before = ReadFileBytes(SettingsFilePath());
    ASSERT_FALSE(before.empty());
    const int loadsBefore = Loads();

    answer = IDNO;
    OpenShortcutMenu(0, 1, menucmd::kDelete);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, L"Are you sure you want to delete the shortcut Notes?");
    EXPECT_EQ(messages[0].second, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND));
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), before) << "No leaves the file as it was, byte for byte";
    EXPECT_EQ(item->GetSettings().Tabs()[0]->Shortcuts.size(), 5u);
    EXPECT_EQ(Loads(), loadsBefore);

    answer = IDYES;
    OpenShortcutMenu(0, 1, menucmd::kDelete);
    auto disk = LoadFromDisk();
    ASSERT_EQ(disk->Tabs()[0]->Shortcuts.size(), 4u);
    for (const auto& shortcut : disk->Tabs()[0]->Shortcuts) {
        EXPECT_NE(shortcut->Caption(), L"Notes");
    }
    EXPECT_EQ(disk->Tabs()[0]->Shortcuts[1]->Target(), L"Card") << "the others close up in order";
    EXPECT_EQ(Loads(), loadsBefore + 1) << "saved, then reloaded";
    EXPECT_EQ(item->GetSettings().Tabs()[0]->Shortcuts.size(), 4u);
}

TEST_F(ItemMenusTest, MoveAndCopyCarryTheShortcutToTheChosenTab) {
    StartItem();
    // Home -> Games (stored index 2): moved to the end of Games.
    OpenShortcutMenu(0, 1, menucmd::kFirstMoveTab + 2);
    {
        auto disk = LoadFromDisk();
        ASSERT_EQ(disk->Tabs()[0]->Shortcuts.size(), 4u);
        ASSERT_EQ(disk->Tabs()[2]->Shortcuts.size(), 2u);
        EXPECT_EQ(disk->Tabs()[2]->Shortcuts[1]->Target(), L"\\Windows\\notes.exe");
        EXPECT_EQ(disk->Tabs()[2]->Shortcuts[1]->ToolTipTitle(), L"Notes");
    }
    // Copy of the folder shortcut into the hidden tab keeps every stored field.
    OpenShortcutMenu(0, 3, menucmd::kFirstCopyTab + 1);
    auto disk = LoadFromDisk();
    ASSERT_EQ(disk->Tabs()[0]->Shortcuts.size(), 4u) << "a copy leaves the original";
    ASSERT_EQ(disk->Tabs()[1]->Shortcuts.size(), 1u);
    const ShortcutRecord& copy = *disk->Tabs()[1]->Shortcuts[0];
    EXPECT_EQ(copy.Target(), L"Docs");
    EXPECT_EQ(copy.AdditionalTarget(), L"folder:\\My Documents");
    EXPECT_EQ(copy.CaptionEnabled(), 0);

    // The current tab is never a destination, even when its id is forged.
    const std::string before = ReadFileBytes(SettingsFilePath());
    OpenShortcutMenu(0, 0, menucmd::kFirstMoveTab + 0);
    OpenShortcutMenu(0, 0, menucmd::kFirstCopyTab + 7);
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), before);
}

TEST_F(ItemMenusTest, ShortcutEntriesChangeSizeCaptionAndCardOrStartTheOptionsWithTheirSwitches) {
    StartItem();
    OpenShortcutMenu(0, 1, menucmd::kLarge);
    OpenShortcutMenu(0, 0, menucmd::kCaptions);
    OpenShortcutMenu(0, 2, menucmd::kFirstCard);
    auto disk = LoadFromDisk();
    EXPECT_TRUE(disk->Tabs()[0]->Shortcuts[1]->LargeIcon());
    EXPECT_EQ(disk->Tabs()[0]->Shortcuts[0]->CaptionEnabled(), 0);
    EXPECT_EQ(disk->StorageCardPath(L"\\menutest_card.ini").value_or(L""), L"\\Storage Card");
    OpenShortcutMenu(0, 2, 0);
    EXPECT_NE(LastShown().find(L"{\\Storage Card:2300[x]|\\SD Two:2301}"), std::wstring::npos);

    // Choosing the size it already has changes nothing and saves nothing.
    const std::string before = ReadFileBytes(SettingsFilePath());
    const int loads = Loads();
    OpenShortcutMenu(0, 1, menucmd::kLarge);
    EXPECT_EQ(Loads(), loads);
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), before);

    // Games is visible tab 1 but stored tab 2: the switches count stored tabs.
    OpenShortcutMenu(2, 0, menucmd::kModifyImage);
    OpenShortcutMenu(0, 4, menucmd::kAdditionalProperties);
    OpenShortcutMenu(0, 1, menucmd::kChangeTarget);
    ASSERT_EQ(executions.size(), 3u);
    EXPECT_EQ(executions[0].second, L"/image:2:0");
    EXPECT_EQ(executions[1].second, L"/additional:0:4");
    EXPECT_EQ(executions[2].second, L"/target:0:1");

    OpenShortcutMenu(0, 0, menucmd::kLaunch);
    ASSERT_EQ(executions.size(), 4u);
    EXPECT_EQ(executions[3].first, L"\\Windows\\calc.exe");
}

TEST_F(ItemMenusTest, StorageMetersAreFoundFromTheirDefinitionAtTheShortcutsSize) {
    StartItem();
    // The card meter's definition has a storage-card element only at size 32:
    // large, it is a storage meter; made small (size 16), it is not.
    OpenShortcutMenu(0, 2, menucmd::kSmall);
    OpenShortcutMenu(0, 2, 0);
    EXPECT_EQ(LastShown().find(L"storage card"), std::wstring::npos);
    OpenShortcutMenu(0, 2, menucmd::kLarge);
    OpenShortcutMenu(0, 2, 0);
    EXPECT_NE(LastShown().find(L"storage card"), std::wstring::npos);
    // A battery meter has no card submenu.
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::TopBar, 0), 2, POINT{});
    EXPECT_EQ(LastShown().find(L"storage card"), std::wstring::npos);

    // Without cards the submenu is there but greyed; without a stored card the
    // meter points at the device's first card.
    item->Menus().Services().storageCards = [] { return std::vector<std::wstring>{}; };
    OpenShortcutMenu(0, 2, 0);
    EXPECT_NE(LastShown().find(L"Meter refers to storage card...(g){}"), std::wstring::npos);
    item->Menus().Services().storageCards = [] { return std::vector<std::wstring>{L"CF", L"Other"}; };
    OpenShortcutMenu(0, 2, 0);
    EXPECT_NE(LastShown().find(L"{\\CF:2300|\\Other:2301}"), std::wstring::npos)
        << "the stored card is not in the device: none is ticked";
    item->GetSettings().SetStorageCardPath(L"\\menutest_card.ini", L"");
    OpenShortcutMenu(0, 2, 0);
    EXPECT_NE(LastShown().find(L"{\\CF:2300[x]|\\Other:2301}"), std::wstring::npos) << LastShown();
}

TEST_F(ItemMenusTest, TabMenuListsItsEntriesAndActsOnTheStoredTab) {
    StartItem();
    choice = 0;
    item->Menus().ShowTabMenu(1, POINT{7, 8}, true);
    EXPECT_EQ(
        LastShown(),
        L"<owner:0>|Modify Image...:5005|All Shortcuts...{Make small:5000|Make large:5001}|"
        L"Override Icon Arrangement...{Use Default:2103|Left:2104|Centered:2105|Right:2106[x]|Spread:2107}|"
        L"Free Icon Placement:5011|Captions Enabled for Tab:2108|-|Add Shortcut...:5004|"
        L"Refresh Norvane:5007|<owner:2100>|Cancel:0");
    EXPECT_EQ(item->Menus().TabHeader(), L"Games");
    EXPECT_EQ(shown.back()[0].data, menukind::kSubHeader);
    EXPECT_EQ(OwnerMenuText(*item, menucmd::kOptions), L"Options...");

    // From the keyboard: no Cancel. Home mixes sizes: no arrangement ticked.
    item->Menus().ShowTabMenu(0, POINT{7, 8}, false);
    EXPECT_EQ(
        LastShown(),
        L"<owner:0>|Modify Image...:5005|All Shortcuts...{Make small:5000|Make large:5001}|"
        L"Override Icon Arrangement...{Use Default:2103|Left:2104|Centered:2105|Right:2106|Spread:2107}|"
        L"Free Icon Placement:5011|Captions Enabled for Tab:2108[x]|-|Add Shortcut...:5004|"
        L"Refresh Norvane:5007|<owner:2100>");

    // The switches name the stored tab (Games is stored third).
    for (UINT command : {menucmd::kModifyImage, menucmd::kAddShortcut, menucmd::kOptions}) {
        choice = command;
        item->Menus().ShowTabMenu(1, POINT{}, true);
    }
    ASSERT_EQ(executions.size(), 3u);
    EXPECT_EQ(executions[0].second, L"/image:2:-1");
    EXPECT_EQ(executions[1].second, L"/select:2");
    EXPECT_EQ(executions[2].second, L"/showtab:2");

    // Toggles and "All Shortcuts": saved at once.
    const int loads = Loads();
    for (UINT command : {menucmd::kFreeIconPlacement, menucmd::kCaptions, menucmd::kSmall}) {
        choice = command;
        item->Menus().ShowTabMenu(1, POINT{}, true);
    }
    EXPECT_EQ(Loads(), loads + 3);
    auto disk = LoadFromDisk();
    EXPECT_TRUE(disk->General.FreeIconPlacement);
    EXPECT_EQ(disk->Tabs()[2]->CaptionsEnabled, 1);
    EXPECT_FALSE(disk->Tabs()[2]->Shortcuts[0]->LargeIcon());
    choice = menucmd::kRefresh;
    item->Menus().ShowTabMenu(1, POINT{}, true);
    EXPECT_EQ(Loads(), loads + 4) << "Refresh reloads";
    choice = 0;
    item->Menus().ShowTabMenu(5, POINT{}, true);
    item->Menus().ShowTabMenu(-1, POINT{}, true);
    EXPECT_EQ(shown.size(), 9u) << "no menu for a tab that is not visible";
}

TEST_F(ItemMenusTest, ArrangementOverrideIsSavedAndMixedTabsAreToldItWaits) {
    StartItem();
    choice = menucmd::kUseDefaultArrangement + 4; // Spread
    item->Menus().ShowTabMenu(1, POINT{}, true);
    EXPECT_EQ(LoadFromDisk()->Tabs()[2]->OverrideDisplayMode, 3);
    EXPECT_TRUE(messages.empty()) << "Games holds one icon size";
    item->Menus().ShowTabMenu(1, POINT{}, true);
    EXPECT_NE(LastShown().find(L"Spread:2107[x]"), std::wstring::npos);

    choice = menucmd::kUseDefaultArrangement + 2; // Centered, in the mixed Home tab
    item->Menus().ShowTabMenu(0, POINT{}, true);
    EXPECT_EQ(LoadFromDisk()->Tabs()[0]->OverrideDisplayMode, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, Module::Text(menutext::kMixedTabArrangement));
    EXPECT_FALSE(messages[0].first.empty());
    EXPECT_EQ(messages[0].second & MB_ICONINFORMATION, static_cast<UINT>(MB_ICONINFORMATION));

    choice = menucmd::kUseDefaultArrangement;
    item->Menus().ShowTabMenu(0, POINT{}, true);
    EXPECT_EQ(LoadFromDisk()->Tabs()[0]->OverrideDisplayMode, -1);
    EXPECT_EQ(messages.size(), 1u) << "Use Default needs no word";
}

TEST_F(ItemMenusTest, NoTabsViewOffersTheOtherVisibleTabsWhenOpenedByHold) {
    std::wstring settings = kSettings;
    settings.replace(settings.find(L"BehaviorMode=2"), 14, L"BehaviorMode=3");
    StartItem(settings);
    ASSERT_EQ(item->View()->GetType(), viewtype::kNoTabs);
    choice = 0;
    item->Menus().ShowTabMenu(0, POINT{}, true);
    EXPECT_NE(LastShown().find(L"Refresh Norvane:5007|Select Tab{<owner:3401>}|<owner:2100>|Cancel:0"),
              std::wstring::npos)
        << LastShown();
    EXPECT_EQ(OwnerMenuText(*item, 3401), L"Games") << "the hidden tab is not counted";
    item->Menus().ShowTabMenu(0, POINT{}, false);
    EXPECT_EQ(LastShown().find(L"Select Tab"), std::wstring::npos) << "only by tap-and-hold";

    choice = menucmd::kFirstSelectTab + 1;
    item->Menus().ShowTabMenu(0, POINT{}, true);
    EXPECT_EQ(item->CurrentTab(), 1);
    DWORD stored = 0;
    EXPECT_TRUE(ReadItemValue(L"CurrentTab", stored));
    EXPECT_EQ(stored, 1u);
    choice = menucmd::kFirstSelectTab + 1; // the current tab is not offered
    item->Menus().ShowTabMenu(1, POINT{}, true);
    EXPECT_NE(LastShown().find(L"Select Tab{<owner:3400>}"), std::wstring::npos);
    EXPECT_EQ(item->CurrentTab(), 1);
}

TEST_F(ItemMenusTest, ASequenceOfEditsLeavesACompleteFileThatLoadsToTheSameRecord) {
    StartItem();
    OpenShortcutMenu(0, 0, menucmd::kSmall);
    OpenShortcutMenu(0, 1, menucmd::kCaptions);
    OpenShortcutMenu(0, 2, menucmd::kFirstCard);
    OpenShortcutMenu(0, 3, menucmd::kFirstCopyTab + 2);
    OpenShortcutMenu(0, 4, menucmd::kFirstMoveTab + 1);
    choice = menucmd::kUseDefaultArrangement + 1;
    item->Menus().ShowTabMenu(1, POINT{}, true);
    choice = menucmd::kCaptions;
    item->Menus().ShowTabMenu(1, POINT{}, true);
    choice = menucmd::kLockIcon;
    item->Menus().ShowSpecialShortcutMenu(Special(SpecialTabType::TopBar, 0), 2, POINT{});

    const std::string onDisk = ReadFileBytes(SettingsFilePath());
    auto disk = LoadFromDisk();
    EXPECT_EQ(disk->SaveToBytes(), onDisk) << "loading the file and saving it again gives the same bytes";
    EXPECT_EQ(item->GetSettings().SaveToBytes(), onDisk) << "the item holds what the file holds";
    ASSERT_EQ(disk->Tabs().size(), 3u);
    EXPECT_EQ(disk->Tabs()[0]->Shortcuts.size(), 4u);
    EXPECT_FALSE(disk->Tabs()[0]->Shortcuts[0]->LargeIcon());
    EXPECT_EQ(disk->Tabs()[0]->Shortcuts[1]->CaptionEnabled(), 0);
    EXPECT_EQ(disk->Tabs()[1]->Shortcuts.size(), 1u);
    EXPECT_EQ(disk->Tabs()[1]->Shortcuts[0]->Target(), L"Docs");
    ASSERT_EQ(disk->Tabs()[2]->Shortcuts.size(), 2u);
    EXPECT_EQ(disk->Tabs()[2]->Shortcuts[1]->AdditionalTarget(), L"special:softreset");
    EXPECT_EQ(disk->Tabs()[2]->OverrideDisplayMode, 0);
    EXPECT_EQ(disk->Tabs()[2]->CaptionsEnabled, 1);
    EXPECT_EQ(disk->Tabs()[2]->UniqueID, 12);
    EXPECT_TRUE(disk->Tabs()[1]->Hidden);
    EXPECT_TRUE(disk->General.TopBarIconLocked);
    EXPECT_EQ(disk->SpecialTab(SpecialTabType::QuickLaunch).Shortcuts.size(), 1u);
    EXPECT_EQ(disk->StorageCardPath(L"\\MENUTEST_CARD.INI").value_or(L""), L"\\Storage Card");
}

TEST_F(ItemMenusTest, AReloadWhileTheMenuIsOpenIsFollowedOrTheChoiceDropped) {
    StartItem();
    // The options program saves a file without Notes while the menu is open.
    const std::string withoutNotes = EditedSettings([](Settings& settings) {
        auto& shortcuts = settings.Tabs()[0]->Shortcuts;
        shortcuts.erase(shortcuts.begin() + 1);
    });
    duringMenu = [&] {
        WriteSettingsBytes(withoutNotes);
        PostMessageW(HWND_BROADCAST, Module::Messages().settingsChanged, 0, 0);
        host.PumpUntil([&] { return item->GetSettings().Tabs()[0]->Shortcuts.size() == 4; });
    };
    answer = IDYES;
    OpenShortcutMenu(0, 1, menucmd::kDelete);
    ASSERT_EQ(item->GetSettings().Tabs()[0]->Shortcuts.size(), 4u) << "the reload did happen";
    EXPECT_TRUE(messages.empty()) << "the shortcut is gone: no question, nothing deleted";
    EXPECT_EQ(LoadFromDisk()->Tabs()[0]->Shortcuts.size(), 4u);
    EXPECT_EQ(LoadFromDisk()->Tabs()[0]->Shortcuts[1]->Target(), L"Card")
        << "the shortcut now in its place is left alone";

    // A reload of the same file: the choice applies to the new record.
    duringMenu = [&] { item->Reload(false); };
    OpenShortcutMenu(0, 0, menucmd::kSmall);
    EXPECT_FALSE(LoadFromDisk()->Tabs()[0]->Shortcuts[0]->LargeIcon());

    // The reload comes while the Delete question is up and removes the tab.
    duringMenu = nullptr;
    const std::string withoutGames = EditedSettings([](Settings& settings) {
        settings.Tabs()[0]->Shortcuts.erase(settings.Tabs()[0]->Shortcuts.begin() + 1);
        settings.Tabs().erase(settings.Tabs().begin() + 2);
    });
    onMessage = [&] {
        WriteSettingsBytes(withoutGames);
        item->Reload(false);
    };
    OpenShortcutMenu(2, 0, menucmd::kDelete);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(item->GetSettings().Tabs().size(), 2u);
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), withoutGames)
        << "the file the options program wrote stays as it is";

    // A tab that went away while its menu was open is not touched either.
    onMessage = nullptr;
    WriteSettingsText(kSettings);
    item->Reload(false);
    ASSERT_EQ(item->View()->VisibleTabs().size(), 2u);
    duringMenu = [&] {
        WriteSettingsBytes(withoutGames);
        item->Reload(false);
    };
    const int loads = Loads();
    choice = menucmd::kCaptions;
    item->Menus().ShowTabMenu(1, POINT{}, true);
    EXPECT_EQ(Loads(), loads + 1) << "only the reload inside the menu";
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), withoutGames);
}

TEST_F(ItemMenusTest, AFailedSaveIsToldAndTheChangeIsNotReloadedAway) {
    StartItem();
    const std::string before = ReadFileBytes(SettingsFilePath());
    item->GetSettings().SetPath(L"C:\\no such folder\\deeper\\Norvane.ini");
    const int loads = Loads();
    OpenShortcutMenu(0, 1, menucmd::kLarge);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].first.find(L"could not save"), std::wstring::npos) << messages[0].first;
    EXPECT_NE(messages[0].first.find(L"no such folder"), std::wstring::npos);
    EXPECT_TRUE(messages[0].second & MB_ICONEXCLAMATION);
    EXPECT_EQ(Loads(), loads) << "no reload over the unsaved change";
    EXPECT_TRUE(Ordinary(0, 1).LargeIcon()) << "the change is kept in memory";
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), before);

    // A delete that cannot be saved still leaves a consistent, painted item.
    answer = IDYES;
    OpenShortcutMenu(0, 1, menucmd::kDelete);
    EXPECT_EQ(item->GetSettings().Tabs()[0]->Shortcuts.size(), 4u);
    RedrawWindow(item->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    host.Pump(50);
    EXPECT_EQ(Loads(), loads);
}

} // namespace

namespace {

UINT MeasuredWidth(HWND window, UINT id, ULONG_PTR kind) {
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemID = id;
    measure.itemData = kind;
    SendMessageW(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    return measure.itemWidth;
}

UINT ExpectedWidth(const std::wstring& text, HFONT font) {
    MEASUREITEMSTRUCT measure = {};
    MeasureOwnerMenuItem(measure, text, font);
    return measure.itemWidth;
}

} // namespace

TEST_F(ItemMenusTest, OwnerDrawnItemsTakeTheirTextsFromTheOpenMenu) {
    StartItem();
    HWND window = item->Hwnd();
    HFONT font = item->MenuFont();
    UINT headerWidth = 0;
    UINT expected = 0;
    COLORREF band = 0;
    COLORREF text = 0;
    duringMenu = [&] {
        headerWidth = MeasuredWidth(window, 0, menukind::kSubHeader);
        expected = ExpectedWidth(L"Games", font);
        // Drawn into a bitmap as the menu would: white with a grey band.
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 20);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemData = menukind::kSubHeader;
        draw.hDC = dc;
        draw.rcItem = RECT{0, 0, 120, 20};
        SendMessageW(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        band = GetPixel(dc, 1, 10);
        text = GetPixel(dc, 118, 1);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    };
    item->Menus().ShowTabMenu(1, POINT{}, true);
    EXPECT_EQ(headerWidth, expected);
    EXPECT_GT(headerWidth, ExpectedWidth(L"", font)) << "the tab's name is measured";
    EXPECT_EQ(band, RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(text, RGB(255, 255, 255));

    // The launcher's tab menu: one owner-drawn item per shortcut, by position.
    duringMenu = [&] {
        headerWidth = MeasuredWidth(window, 2, menukind::kTabShortcut);
        expected = ExpectedWidth(L"Notes", font);
    };
    choice = 2;
    EXPECT_EQ(item->Menus().ChooseFromTabMenu(window, *item->GetSettings().Tabs()[0], POINT{90, 10}), 2);
    EXPECT_EQ(headerWidth, expected);
    const std::vector<Entry>& entries = shown.back();
    ASSERT_EQ(entries.size(), 5u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_TRUE(entries[i].OwnerDrawn());
        EXPECT_EQ(entries[i].id, i + 1);
        EXPECT_EQ(entries[i].data, menukind::kTabShortcut);
    }
    duringMenu = nullptr;
    choice = 6;
    EXPECT_EQ(item->Menus().ChooseFromTabMenu(window, *item->GetSettings().Tabs()[0], POINT{}), 0)
        << "no position beyond the tab's shortcuts";
    EXPECT_EQ(MeasuredWidth(window, 2100, menukind::kPlain), ExpectedWidth(L"Options...", font))
        << "items that are not ours go to the common texts";
}

TEST_F(ItemMenusTest, ARepeatedUniqueIdStillActsOnTheTabTheMenuWasOpenedFor) {
    std::wstring settings = kSettings;
    settings.replace(settings.find(L"UniqueID=12"), 11, L"UniqueID=11");
    StartItem(settings);
    choice = menucmd::kCaptions;
    item->Menus().ShowTabMenu(1, POINT{}, true);
    auto disk = LoadFromDisk();
    EXPECT_EQ(disk->Tabs()[0]->CaptionsEnabled, 1) << "Home is left as it was";
    EXPECT_EQ(disk->Tabs()[2]->CaptionsEnabled, 1) << "Games got its captions";
    OpenShortcutMenu(2, 0, menucmd::kFirstMoveTab + 0);
    EXPECT_EQ(LoadFromDisk()->Tabs()[0]->Shortcuts.size(), 6u) << "moved to Home, the listed tab";
}
