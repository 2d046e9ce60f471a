// The Start menu: the shortcuts of "\Windows\Start Menu" and its folders as a
// popup menu under the start flag.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace norvane::device {

class StartMenu {
public:
    // Shows the menu at (x, y) for owner and starts the chosen program. Returns
    // false when nothing was chosen. "Today" brings the Today screen (today()).
    template <typename ShowToday> bool Run(HWND owner, int x, int y, ShowToday today) {
        int choice = Track(owner, x, y);
        if (choice == kTodayCommand) {
            today();
            return true;
        }
        return Launch(choice);
    }

private:
    static constexpr int kTodayCommand = 1;
    static constexpr int kSettingsCommand = 2;
    static constexpr int kFirstEntry = 100;

    int Track(HWND owner, int x, int y);
    bool Launch(int command);
    void AddFolder(HMENU menu, const std::wstring& folder, int depth);

    std::vector<std::wstring> m_entries; // command kFirstEntry + i
};

} // namespace norvane::device
