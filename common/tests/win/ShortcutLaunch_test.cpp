// Launching each kind of shortcut: which program starts with which command line,
// what the shell is asked to open, and what is handed to the other capabilities.
// The platform calls are replaced by recording hooks; the device system test
// starts the real programs.
#include "ImageLoader.h"
#include "Settings.h"
#include "ShortcutLaunch.h"
#include "ShortcutRecord.h"
#include "TextCodec.h"
#include "Win32Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace norvane {
namespace {

struct Recorder {
    std::vector<std::wstring> calls;
    std::set<std::wstring> existing{kPowerProgram, kOldPowerProgram};
    std::set<std::wstring> failingPrograms;
    std::vector<std::wstring> menuShown;
    int menuChoice = -1;
    bool specialResult = true;
    POINT menuAt{};

    LaunchHooks Hooks() {
        LaunchHooks hooks;
        hooks.startProcess = [this](const std::wstring& program, const std::wstring& commandLine) {
            calls.push_back(L"process " + program + L"|" + commandLine);
            return failingPrograms.count(program) == 0;
        };
        hooks.shellOpen = [this](const std::wstring& file, const std::wstring& parameters) {
            calls.push_back(L"shell " + file + L"|" + parameters);
            return true;
        };
        hooks.fileExists = [this](const std::wstring& path) { return existing.count(path) != 0; };
        hooks.specialCommand = [this](const std::wstring& name, const ShortcutRecord& shortcut, HWND owner) {
            calls.push_back(L"special " + name + L"|" + shortcut.Target() +
                            (owner == HWND_DESKTOP ? L"" : L"|owner"));
            return specialResult;
        };
        hooks.showStatusDialog = [this](HWND) { calls.push_back(L"status dialog"); };
        hooks.meterKinds = [](const std::wstring& path) -> unsigned {
            if (path.find(L"battery") != std::wstring::npos)
                return 2;
            if (path.find(L"backup") != std::wstring::npos)
                return 4 | 8;
            if (path.find(L"memory") != std::wstring::npos)
                return 1 | 8;
            return path.find(L"card") != std::wstring::npos ? 16 : 0;
        };
        hooks.createNewItem = [this](const ClassId& id) {
            calls.push_back(L"new item " + FormatClassId(id));
            return true;
        };
        hooks.chooseFromMenu = [this](const std::vector<std::wstring>& items, POINT at, HWND) {
            menuShown = items;
            menuAt = at;
            return menuChoice;
        };
        return hooks;
    }
};

std::unique_ptr<ShortcutRecord> MakeShortcut(const wchar_t* target, const wchar_t* additional,
                                             const wchar_t* commandLine = L"") {
    auto shortcut = std::make_unique<ShortcutRecord>();
    shortcut->SetTarget(target);
    shortcut->SetAdditionalTarget(additional);
    shortcut->SetCommandLine(commandLine);
    return shortcut;
}

std::wstring Joined(const std::vector<std::wstring>& calls) {
    std::wstring out;
    for (const auto& call : calls) {
        out += call + L"\n";
    }
    return out;
}

TEST(ShortcutLaunch, EachKindStartsExactlyTheRightThing) {
    struct Case {
        const wchar_t* target;
        const wchar_t* additional;
        const wchar_t* commandLine;
        bool quotes;
        const wchar_t* expected; // the calls, one per line
    };
    const Case cases[] = {
        {L"\\Windows\\Start Menu\\Programs\\Calculator.lnk", L"", L"", false,
         L"shell \\Windows\\Start Menu\\Programs\\Calculator.lnk|\n"},
        {L"\\Windows\\Notes.exe", L"", L"-open \"My Note\" /x", false,
         L"shell \\Windows\\Notes.exe|-open \"My Note\" /x\n"},
        {L"\"\\Program Files\\App\\app.exe\"", L"", L"", false, L"shell \\Program Files\\App\\app.exe|\n"},
        {L"Files", L"Folder:\\x", L"", false, L"shell Files|\n"},
        {L"My Documents", L"folder:\\My Documents", L"", true,
         L"process \\Windows\\Pocket Explorer.exe|\"\\My Documents\"\n"},
        {L"My Documents", L"folder:\\My Documents", L"", false,
         L"process \\Windows\\Pocket Explorer.exe|\\My Documents\n"},
        {L"Quoted", L"folder:\"\\My Documents\"", L"", true,
         L"process \\Windows\\Pocket Explorer.exe|\"\\My Documents\"\n"},
        {L"Power", L"cpl:cplmain.cpl|3", L"", false, L"process \\Windows\\powerg.exe|\n"},
        {L"Memory", L"cpl:cplmain.cpl|4", L"", false, L"process \\Windows\\ctlpnl.exe|cplmain.cpl,4,0\n"},
        {L"Upper", L"cpl:CPLMAIN.CPL|3", L"", false, L"process \\Windows\\ctlpnl.exe|CPLMAIN.CPL,3,0\n"},
        {L"No bar", L"cpl:cplmain.cpl", L"", false, L"process \\Windows\\ctlpnl.exe|,0,0\n"},
        {L"Soft Reset", L"special:SoftReset", L"", false, L"special SoftReset|Soft Reset|owner\n"},
        {L"Note", L"new:{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}", L"", false,
         L"new item {0FE5DCC1-5413-11D2-A53B-00C04F8ECDC8}\n"},
        {L"Bad", L"new:{not a class}", L"", false, L""},
        {L"\\My Documents\\Blue.tsk", L"special:softreset", L"", false,
         L"shell <install>NorvaneOptions.exe|/theme\n"},
        {L"", L"", L"", false, L""},
    };
    const std::wstring install = ReadInstallFolder();
    UniqueRegKey norvane;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tarsel\\Norvane", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, norvane.Receive(), nullptr),
              ERROR_SUCCESS);
    for (const Case& c : cases) {
        Settings settings;
        settings.General.PreferredFolderApp = L"\\Windows\\Pocket Explorer.exe";
        settings.General.FolderAppQuotes = c.quotes;
        Recorder recorder;
        auto shortcut = MakeShortcut(c.target, c.additional, c.commandLine);
        const bool started =
            LaunchShortcut(*shortcut, reinterpret_cast<HWND>(1), &settings, recorder.Hooks());
        std::wstring expected = c.expected;
        const std::size_t mark = expected.find(L"<install>");
        if (mark != std::wstring::npos) {
            expected.replace(mark, 9, install);
        }
        EXPECT_EQ(Joined(recorder.calls), expected)
            << Utf16ToUtf8(c.target) << " " << Utf16ToUtf8(c.additional);
        EXPECT_EQ(started, !expected.empty()) << Utf16ToUtf8(c.target);
    }
    // The theme package left its path for the options program.
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    ASSERT_EQ(RegQueryValueExW(norvane.Get(), kThemePathValue, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L"\\My Documents\\Blue.tsk");
    RegDeleteValueW(norvane.Get(), kThemePathValue);
}

TEST(ShortcutLaunch, FoldersFallBackToTheFileExplorer) {
    Recorder recorder;
    auto shortcut = MakeShortcut(L"Docs", L"folder:\\My Documents");
    // Without a settings record: the file explorer, no quotes.
    EXPECT_TRUE(LaunchShortcut(*shortcut, nullptr, nullptr, recorder.Hooks()));
    EXPECT_EQ(Joined(recorder.calls), L"process \\windows\\fexplore.exe|\\My Documents\n");

    Settings settings;
    settings.General.PreferredFolderApp = L"\\Windows\\missing.exe";
    settings.General.FolderAppQuotes = true;
    recorder.calls.clear();
    recorder.failingPrograms = {L"\\Windows\\missing.exe"};
    EXPECT_TRUE(LaunchShortcut(*shortcut, nullptr, &settings, recorder.Hooks()));
    EXPECT_EQ(Joined(recorder.calls), L"process \\Windows\\missing.exe|\"\\My Documents\"\n"
                                      L"process \\windows\\fexplore.exe|\\My Documents\n");

    recorder.calls.clear();
    recorder.failingPrograms.insert(kFileExplorer);
    EXPECT_FALSE(LaunchShortcut(*shortcut, nullptr, &settings, recorder.Hooks()));
    EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST(ShortcutLaunch, PowerAppletPrefersPowergThenPowerThenTheControlPanel) {
    Recorder recorder;
    auto shortcut = MakeShortcut(L"Power", L"cpl:\\Windows\\cplmain.cpl|3");
    recorder.existing = {kOldPowerProgram};
    EXPECT_TRUE(LaunchShortcut(*shortcut, nullptr, nullptr, recorder.Hooks()));
    recorder.existing.clear();
    EXPECT_TRUE(LaunchShortcut(*shortcut, nullptr, nullptr, recorder.Hooks()));
    EXPECT_EQ(Joined(recorder.calls), L"process \\Windows\\power.exe|\n"
                                      L"process \\Windows\\ctlpnl.exe|\\Windows\\cplmain.cpl,3,0\n");
}

TEST(ShortcutLaunch, MeterTapOpensTheDialogOrThePageOfItsKind) {
    struct Case {
        const wchar_t* meter;
        int meterTap;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"\\Windows\\meters\\battery.ini", 0, L"status dialog\n"},
        {L"\\Windows\\meters\\battery.ini", 1, L"process \\Windows\\powerg.exe|\n"},
        {L"\\Windows\\meters\\backup.ini", 2, L"process \\Windows\\powerg.exe|\n"},
        {L"\\Windows\\meters\\memory.ini", 1, L"process \\Windows\\ctlpnl.exe|cplmain.cpl,4,0\n"},
        {L"\\Windows\\meters\\card.ini", 1, L"process \\windows\\fexplore.exe|\\Storage Card\n"},
        {L"\\Windows\\meters\\Other.ini", 1, L"process \\windows\\fexplore.exe|\n"},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.General.MeterTap = c.meterTap;
        settings.SetStorageCardPath(L"\\Windows\\meters\\CARD.ini", L"\\Storage Card");
        Recorder recorder;
        auto shortcut = MakeShortcut(c.meter, (std::wstring(L"meter:") + c.meter).c_str());
        EXPECT_TRUE(LaunchShortcut(*shortcut, nullptr, &settings, recorder.Hooks()));
        EXPECT_EQ(Joined(recorder.calls), c.expected) << Utf16ToUtf8(c.meter) << " " << c.meterTap;
    }
    // Until there is a status dialog, MeterTap 0 opens the page or folder too.
    Settings settings;
    Recorder recorder;
    LaunchHooks hooks = recorder.Hooks();
    hooks.showStatusDialog = nullptr;
    auto battery = MakeShortcut(L"b", L"meter:\\Windows\\meters\\battery.ini");
    EXPECT_TRUE(LaunchShortcut(*battery, nullptr, &settings, hooks));
    EXPECT_EQ(Joined(recorder.calls), L"process \\Windows\\powerg.exe|\n");
}

TEST(ShortcutLaunch, MissingCapabilitiesAndFailingHooksStartNothing) {
    auto special = MakeShortcut(L"Reset", L"special:softreset");
    auto meter = MakeShortcut(L"m.ini", L"meter:m.ini");
    LaunchHooks empty;
    EXPECT_FALSE(LaunchShortcut(*special, nullptr, nullptr, empty));
    // A special command that stopped early is a launch that did not happen.
    Recorder refused;
    refused.specialResult = false;
    EXPECT_FALSE(LaunchShortcut(*special, nullptr, nullptr, refused.Hooks()));
    EXPECT_EQ(Joined(refused.calls), L"special softreset|Reset\n");
    EXPECT_FALSE(LaunchShortcut(*meter, nullptr, nullptr, empty));

    LaunchHooks throwing;
    throwing.shellOpen = [](const std::wstring&, const std::wstring&) -> bool {
        throw std::runtime_error("broken");
    };
    auto file = MakeShortcut(L"\\Windows\\Notes.exe", L"");
    EXPECT_FALSE(LaunchShortcut(*file, nullptr, nullptr, throwing));
}

TEST(ShortcutLaunch, MissingFilesAndProgramsFailQuietly) {
    // The platform's own calls: nothing by these names exists.
    auto file = MakeShortcut(L"\\Windows\\No Such Program.exe", L"", L"\"quoted arg\"");
    EXPECT_FALSE(LaunchShortcut(*file, nullptr, nullptr));
    Settings settings;
    settings.General.PreferredFolderApp = L"\\Windows\\nothing-here.exe";
    LaunchHooks onlyExplorerMissing;
    std::vector<std::wstring> started;
    onlyExplorerMissing.startProcess = [&started](const std::wstring& program, const std::wstring&) {
        started.push_back(program);
        return false;
    };
    auto folder = MakeShortcut(L"x", L"folder:\\Nowhere");
    EXPECT_FALSE(LaunchShortcut(*folder, nullptr, &settings, onlyExplorerMissing));
    EXPECT_EQ(started, (std::vector<std::wstring>{L"\\Windows\\nothing-here.exe", kFileExplorer}));
}

// A New menu under a throw-away key of HKEY_CURRENT_USER.
class ScratchNewMenu {
public:
    ScratchNewMenu() : m_path(L"Software\\NorvaneTest\\NewMenu" + std::to_wstring(GetCurrentProcessId())) {}
    ~ScratchNewMenu() { RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }
    void Add(const std::wstring& subkey, const wchar_t* name, DWORD type = REG_SZ) {
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (m_path + L"\\" + subkey).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr),
                  ERROR_SUCCESS);
        if (name) {
            const DWORD bytes =
                type == REG_DWORD ? 4 : static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t));
            RegSetValueExW(key.Get(), nullptr, 0, type, reinterpret_cast<const BYTE*>(name), bytes);
        }
    }
    const wchar_t* Path() const { return m_path.c_str(); }

private:
    std::wstring m_path;
};

TEST(ShortcutLaunch, NewMenuListsReadableSubkeysInOrder) {
    ScratchNewMenu menu;
    menu.Add(L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}", L"Note");
    menu.Add(L"{11111111-2222-3333-4444-555555555555}", nullptr);
    menu.Add(L"{98E38510-41E9-11d2-88E3-0000F87A49DB}", L"Appointment");
    menu.Add(L"{22222222-2222-3333-4444-555555555555}", L"bin", REG_DWORD);
    const std::vector<NewMenuEntry> entries = ReadNewMenu(HKEY_CURRENT_USER, menu.Path());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].classId, L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}");
    EXPECT_EQ(entries[0].name, L"Note");
    EXPECT_EQ(entries[1].name, L"Appointment");
    EXPECT_TRUE(ReadNewMenu(HKEY_CURRENT_USER, L"Software\\NorvaneTest\\NoSuchKey").empty());
}

TEST(ShortcutLaunch, NewMenuChoiceCreatesThatClassAboveTheLastMessagePosition) {
    const std::vector<NewMenuEntry> device = ReadNewMenu();
    Recorder recorder;
    auto shortcut = MakeShortcut(L"New", L"new:Menu");
    recorder.menuChoice = 0;
    const bool started = LaunchShortcut(*shortcut, nullptr, nullptr, recorder.Hooks());
    if (device.empty()) {
        // No New menu on this machine: no menu, nothing created.
        EXPECT_FALSE(started);
        EXPECT_TRUE(recorder.menuShown.empty());
        return;
    }
    ASSERT_TRUE(started);
    ASSERT_EQ(recorder.menuShown.size(), device.size());
    EXPECT_EQ(recorder.menuShown[0], device[0].name);
    const DWORD position = GetMessagePos();
    EXPECT_EQ(recorder.menuAt.y, static_cast<short>(HIWORD(position)) - GetSystemMetrics(SM_CYMENU));
    ClassId id;
    ASSERT_TRUE(ParseClassId(device[0].classId, id));
    EXPECT_EQ(Joined(recorder.calls), L"new item " + FormatClassId(id) + L"\n");
    // Dismissing the menu creates nothing.
    recorder.calls.clear();
    recorder.menuChoice = -1;
    EXPECT_FALSE(LaunchShortcut(*shortcut, nullptr, nullptr, recorder.Hooks()));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(ShortcutLaunch, NewItemThreadRunsAndFinishes) {
    // The platform's create-new-item call on its own thread; it only leaves a
    // trace in the device log here, so all we see is that the thread ends.
    auto shortcut = MakeShortcut(L"Task", L"new:{42650BC1-41C1-11d2-88E3-0000F87A49DB}");
    EXPECT_TRUE(LaunchShortcut(*shortcut, nullptr, nullptr));
    EXPECT_TRUE(WaitForNewItemThreads(5000));
}

} // namespace
} // namespace norvane
