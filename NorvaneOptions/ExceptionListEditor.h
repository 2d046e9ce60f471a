// The task-manager exceptions dialog's working copy: the programs in the order
// the list shows them, the selection, and the edits (flag boxes, removal) with
// the selection rules that follow them. Portable (no Windows header).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace norvane::options {

// Flags of an exception entry.
inline constexpr int kExceptionHide = 1;
inline constexpr int kExceptionMinimizeOnly = 2;
inline constexpr int kExceptionIgnoreCloseAll = 4;

class ExceptionListEditor {
public:
    using List = std::map<std::wstring, int, std::less<>>;

    // A copy of the list; the titles sorted as a sorting list box shows them
    // (without regard to case). The first entry is selected when there is one.
    explicit ExceptionListEditor(const List& exceptions);

    const std::vector<std::wstring>& Titles() const { return m_titles; }
    // The selected position, -1 for none.
    int Selected() const { return m_selected; }
    void Select(int index);
    bool HasSelection() const { return m_selected >= 0; }

    // The selected program's flags (0 without a selection).
    int Flags() const;
    // Sets or clears one flag of the selected program.
    void SetFlag(int flag, bool on);
    // Removes the selected program; the entry now at its place is selected, or
    // the last one when it was the last, or nothing when the list is empty.
    void RemoveSelected();

    // The edited list, to replace the record's when the dialog ends with OK.
    const List& Result() const { return m_list; }

private:
    List m_list;
    std::vector<std::wstring> m_titles;
    int m_selected = -1;
};

} // namespace norvane::options
