// The first Norvane.ini an installation writes: five tabs (Home, Games,
// Documents, Settings, Tools) filled from what the device has. This half only
// puts keys into a SettingsFile; Setup/win/ gathers the folders, applets, texts
// and new-item classes and writes the file.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace norvane {

class SettingsFile;

namespace setup {

inline constexpr int kHomeTab = 1;
inline constexpr int kGamesTab = 2;
inline constexpr int kDocumentsTab = 3;
inline constexpr int kSettingsTab = 4;
inline constexpr int kToolsTab = 5;
inline constexpr int kDefaultTabCount = 5;
// A folder tab takes at most this many shortcuts (the meters count).
inline constexpr int kFolderTabLimit = 10;

// The control-panel applets of the Settings tab, in this order.
inline constexpr std::array<int, 8> kDefaultApplets = {2, 4, 7, 10, 9, 12, 13, 16};
inline constexpr wchar_t kControlPanelModule[] = L"\\Windows\\cplmain.cpl";

// The special commands of the Tools tab: the string id of the name, the command
// word and the special properties ("" for none; the capture list is formatted).
struct DefaultSpecialCommand {
    unsigned stringId;
    const wchar_t* command;
    const wchar_t* properties;
};
inline constexpr std::array<DefaultSpecialCommand, 4> kDefaultSpecialCommands = {{
    {10149, L"softreset", L"promptbeforereset~#~1"},
    {10150, L"poweroff", L""},
    {10151, L"screencapture", nullptr},
    {10152, L"rotate", L""},
}};
// The screen capture's properties, with the personal folder (ending in "\").
std::wstring ScreenCaptureProperties(const std::wstring& personalFolder);

// The new-item classes of the Tools tab, looked up in this order under
// HKLM SOFTWARE\Microsoft\Shell\Extensions\NewMenu.
inline constexpr std::array<const wchar_t*, 8> kDefaultNewItemKeys = {
    L"{FC59C090-AB3E-11d2-8442-0000F87A584A}", L"{1D210285-ABE7-11d2-8442-0000F87A584A}",
    L"{42650BC2-41C1-11d2-88E3-0000F87A49DB}", L"{42650BC1-41C1-11d2-88E3-0000F87A49DB}",
    L"{98E38510-41E9-11d2-88E3-0000F87A49DB}", L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}",
    L"{AF10EC39-DC10-11d2-9878-00C04F8ECDC8}", L"menu",
};

// Fills a SettingsFile tab by tab, numbering each tab's shortcuts from 1.
class DefaultSettingsWriter {
public:
    explicit DefaultSettingsWriter(SettingsFile& file) : m_file(file) {}

    // The sections "Tab1" to "Tab5" with their names and images.
    void AddTabs();
    // The battery and memory meters at the start of Home; meters folder ends in "\".
    void AddMeters(const std::wstring& metersFolder);
    // A shortcut for each file of the folder (names in the order the folder
    // gave them, folders already left out), until the tab holds kFolderTabLimit.
    void AddFolderShortcuts(int tab, const std::wstring& folder, const std::vector<std::wstring>& fileNames);
    // One applet of cplmain.cpl on the Settings tab.
    void AddApplet(int appletIndex, const std::wstring& name);
    // The four special commands on the Tools tab, named by texts[i] for
    // kDefaultSpecialCommands[i].
    void AddSpecialCommands(const std::array<std::wstring, 4>& texts, const std::wstring& personalFolder);
    // One new-item command on the Tools tab.
    void AddNewItemCommand(const std::wstring& key, const std::wstring& name);

    int ShortcutCount(int tab) const { return m_count[tab - 1]; }

private:
    // Writes the next shortcut of a tab and returns its number.
    int AddShortcut(int tab, const std::wstring& target);

    SettingsFile& m_file;
    std::array<int, kDefaultTabCount> m_count{};
};

} // namespace setup
} // namespace norvane
