// The task manager's and the task bar extensions' arithmetic, kept apart from
// the windows so that it can be tested as numbers: how the popup's selection
// moves with the keys and with alt-tab, which digits the rows get, where the
// running-program icons stand on the task bar and where the top-bar icon is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Rows of the task-manager popup.
enum class TaskRowKind { Separator = 0, Command = 1, Window = 2, Launch = 3 };

struct TaskRowShape {
    TaskRowKind kind = TaskRowKind::Separator;
    bool hasCloseBox = false;
};

// Selections 0 to n-1 are list rows; kQuickLaunchSelection + k is the k-th icon
// of the quick-launch row (the first one at the right edge).
inline constexpr int kQuickLaunchSelection = 10000;

struct TaskSelection {
    int index = 0;
    bool closeBox = false; // the selected part of the row is its close box
};

enum class TaskKey { Left, Right, Up, Down };
enum class TaskKeyResult { Moved, Hide, ActivateRow };

// Moves the selection for a direction key. quickLaunchIcons is the number of
// icons in the quick-launch row (0 when the popup has none). ActivateRow asks
// the caller to activate the selected row (Right on the launch row); Hide to
// close the popup (Left with nothing to unselect).
TaskKeyResult MoveTaskSelection(const std::vector<TaskRowShape>& rows, int quickLaunchIcons,
                                TaskSelection& selection, TaskKey key);

// Alt-tab: the window row after the given row, wrapping to the first window
// row; from -1 (or a row that is no window row) the first window row. -1 when
// there is no window row at all.
int NextWindowRow(const std::vector<TaskRowShape>& rows, int from);

// After the list is rebuilt with the popup left open: the old index, limited to
// the last row and moved one up from a separator (0 for an empty list).
int RestoredSelection(const std::vector<TaskRowShape>& rows, int previous);

// The accelerator of a caption: the character after its first "&" (0 when
// there is none, or when "&" ends the text).
wchar_t CaptionAccelerator(std::wstring_view caption);
// A title shown literally by a text call that reads "&" as a prefix.
std::wstring DoubleAmpersands(std::wstring_view text);
// The digit of the n-th numbered row (0-based): '1' to '9', then '0', then none.
wchar_t RowDigit(int n);

// One running-program icon on the task bar. An icon beyond the limit is not
// shown (x and y -1): it is neither drawn nor hit.
struct RunningIconPlace {
    bool shown = false;
    int x = -1;
    int y = -1;
};

struct RunningIconMetrics {
    int start = 28;          // RunningProgramsStart
    bool rightAlign = false; // RunningProgramsRightAlign
    int spacing = 2;         // RunningProgramsSpacing
    int limit = 10;          // the limit of the screen's orientation; 0 none
    int iconWidth = 16;      // ScaleX(16)
    int y = 5;               // ScaleY(5)
    int screenWidth = 240;
};

std::vector<RunningIconPlace> PlaceRunningIcons(int count, const RunningIconMetrics& metrics);

// The top-bar icon's x (pixels from the screen's left) from TopBarShortcutX,
// which counts from the right edge while the icon is right-aligned, and back.
int TopBarCurrentX(int storedX, bool rightAligned, int screenWidth);
int TopBarStoredX(int currentX, bool rightAligned, int screenWidth);
// The icon kept on the screen: [minimum, screen width - icon width].
int ClampTopBarX(int x, int minimum, int screenWidth, int iconWidth);

} // namespace norvane
