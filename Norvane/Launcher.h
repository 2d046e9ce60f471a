// Launching from the item: activating a shortcut (execute, then snap-back,
// popup hiding and auto-minimize), quick launch and the soft-key shortcuts that
// the key stubs ask for, the tab menu, jumping to a tab, and starting the
// options program with the switch that opens the right editor.
#pragma once

#include "ShortcutLaunch.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace norvane {

class TodayItemWindow;
class ShortcutRecord;
struct TabRecord;

// Codes of "NorvaneLauncherMsg", posted by the key stubs.
namespace launchercode {
inline constexpr int kTaskManager = 0;
inline constexpr int kQuickLaunchFirst = 1;
inline constexpr int kQuickLaunchLast = 4;
inline constexpr int kLeftSoftKey = 112;
inline constexpr int kRightSoftKey = 113;
inline constexpr int kOkButton = 1000;
} // namespace launchercode

// String ids of the launcher's texts.
namespace ids {
inline constexpr UINT kNoQuickLaunchShortcut = 50039;
inline constexpr UINT kCannotJumpToHiddenTab = 50080;
} // namespace ids

// The switches of the options program; each opens one focused editor.
namespace optionsswitch {
// Opens the options at a tab; special tabs come after the ordinary ones
// (number of tabs + SpecialType - 1).
std::wstring ShowTab(int tab);
std::wstring Select(int tab);
std::wstring Target(int tab, int shortcut);
// The tab's own image when shortcut is -1.
std::wstring Image(int tab, int shortcut);
std::wstring Additional(int tab, int shortcut);
inline constexpr wchar_t kTaskManagerExceptions[] = L"/taskmanagerexceptions";
inline constexpr wchar_t kTheme[] = L"/theme";
} // namespace optionsswitch

// What the launcher asks of the system; tests replace these.
struct LauncherServices {
    // The shell's execute facility (CeShellExecuteEx).
    std::function<BOOL(SHELLEXECUTEINFOW& info)> shellExecute;
    // A message box with the item's caption, brought to the foreground; returns
    // the button chosen.
    std::function<int(HWND owner, const std::wstring& text, UINT flags)> messageBox;
    // Opens the tab menu of a tab that has shortcuts at a screen point and
    // returns the chosen shortcut's 1-based position, 0 for none. The owner-drawn
    // menu comes with the item's menus; until then a plain menu of captions.
    std::function<int(HWND owner, TabRecord& tab, POINT screenPoint)> chooseFromTabMenu;
    // The install folder, with its "\" at the end (ReadInstallFolder()).
    std::function<std::wstring()> installFolder;
    // What executing a target may call (meters, special commands, the status
    // dialog, and the platform seams); filled by those capabilities and by tests.
    LaunchHooks launchHooks;
};

class Launcher {
public:
    explicit Launcher(TodayItemWindow& item);

    LauncherServices& Services() { return m_services; }

    // Executes the shortcut's target; when that succeeds and the activation came
    // from a tap, a snap-back tab other than the current one becomes current one
    // second later; the view's popup hides; with "RunMinimized" the item minimizes
    // one second later. False when the target could not be executed.
    bool Activate(ShortcutRecord& shortcut, bool fromTap);

    // Executes a shortcut's target with the item window as owner.
    bool ExecuteTarget(ShortcutRecord& shortcut);

    // The codes of "NorvaneLauncherMsg" that launch: 1 to 4 quick launch, 112 and
    // 113 the soft keys. Other codes do nothing here.
    void OnCode(int code);
    void QuickLaunch(int number);
    void SoftKeyShortcut(int code);

    // WM_APP + 15 and WM_APP + 16. True when a shortcut of the menu was chosen
    // and executed, or the tab is now the current one.
    bool ShowTabMenu(int uniqueId, POINT screenPoint);
    bool JumpToTab(int uniqueId);

    // Starts the options program of the install folder with one switch (empty:
    // none). False when it could not be started.
    bool StartOptions(const std::wstring& optionsSwitch);

    // Where menus that an executed shortcut opens appear; (-1, -1) when they
    // open at the tap.
    POINT MenuAnchor() const { return m_menuAnchor; }
    bool HasMenuAnchor() const { return m_menuAnchor.x != -1 || m_menuAnchor.y != -1; }

private:
    // Sets the menu anchor for one scope and puts the previous one back.
    class AnchorScope {
    public:
        AnchorScope(Launcher& launcher, POINT anchor)
            : m_launcher(launcher), m_previous(launcher.m_menuAnchor) {
            m_launcher.m_menuAnchor = anchor;
        }
        ~AnchorScope() { m_launcher.m_menuAnchor = m_previous; }
        AnchorScope(const AnchorScope&) = delete;
        AnchorScope& operator=(const AnchorScope&) = delete;

    private:
        Launcher& m_launcher;
        POINT m_previous;
    };

    TabRecord* FindTab(int uniqueId) const;
    int Ask(UINT textId, UINT flags, int number = -1);

    TodayItemWindow& m_item;
    LauncherServices m_services;
    POINT m_menuAnchor{-1, -1};
    // The switch handed to the shell lives as long as the launcher.
    std::wstring m_lastSwitch;
};

} // namespace norvane
