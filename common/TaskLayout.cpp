// The task manager's selection rules and the task bar's icon places.
#include "TaskLayout.h"

#include <algorithm>

namespace norvane {

namespace {

bool IsListRow(const std::vector<TaskRowShape>& rows, int index) {
    return index >= 0 && index < static_cast<int>(rows.size());
}

// The nearest row from index in the step's direction that is not a separator;
// -1 when there is none.
int NearestRow(const std::vector<TaskRowShape>& rows, int index, int step) {
    for (int i = index + step; IsListRow(rows, i); i += step) {
        if (rows[i].kind != TaskRowKind::Separator) {
            return i;
        }
    }
    return -1;
}

void SelectRow(const std::vector<TaskRowShape>& rows, TaskSelection& selection, int index) {
    // The close box stays selected only where the new row has one.
    selection.closeBox = selection.closeBox && rows[index].hasCloseBox;
    selection.index = index;
}

void SelectQuickLaunch(TaskSelection& selection, int icon) {
    selection.index = kQuickLaunchSelection + icon;
    selection.closeBox = false;
}

} // namespace

TaskKeyResult MoveTaskSelection(const std::vector<TaskRowShape>& rows, int quickLaunchIcons,
                                TaskSelection& selection, TaskKey key) {
    const int count = static_cast<int>(rows.size());
    const bool hasQuickLaunch = quickLaunchIcons > 0;
    const bool onQuickLaunch = hasQuickLaunch && selection.index >= kQuickLaunchSelection &&
                               selection.index < kQuickLaunchSelection + quickLaunchIcons;
    const int icon = onQuickLaunch ? selection.index - kQuickLaunchSelection : -1;
    const bool onRow = IsListRow(rows, selection.index);
    const int lastIcon = quickLaunchIcons - 1;

    switch (key) {
    case TaskKey::Left:
        if (onQuickLaunch && icon < lastIcon) {
            SelectQuickLaunch(selection, icon + 1);
            return TaskKeyResult::Moved;
        }
        if (selection.closeBox) {
            selection.closeBox = false;
            return TaskKeyResult::Moved;
        }
        return TaskKeyResult::Hide;
    case TaskKey::Right:
        if (onRow) {
            if (rows[selection.index].hasCloseBox) {
                selection.closeBox = true;
            } else if (rows[selection.index].kind == TaskRowKind::Launch) {
                return TaskKeyResult::ActivateRow;
            }
        } else if (onQuickLaunch && icon > 0) {
            SelectQuickLaunch(selection, icon - 1);
        }
        return TaskKeyResult::Moved;
    case TaskKey::Up:
        if (onQuickLaunch) {
            if (count > 0) {
                SelectRow(rows, selection, count - 1);
            }
        } else if (onRow && selection.index > 0) {
            const int above = NearestRow(rows, selection.index, -1);
            if (above >= 0) {
                SelectRow(rows, selection, above);
            }
        } else if (hasQuickLaunch) {
            SelectQuickLaunch(selection, lastIcon);
        } else if (count > 0) {
            SelectRow(rows, selection, count - 1);
        }
        return TaskKeyResult::Moved;
    case TaskKey::Down:
        if (onQuickLaunch) {
            if (count > 0) {
                SelectRow(rows, selection, 0);
            }
        } else if (onRow && selection.index < count - 1) {
            const int below = NearestRow(rows, selection.index, 1);
            if (below >= 0) {
                SelectRow(rows, selection, below);
            }
        } else if (hasQuickLaunch) {
            SelectQuickLaunch(selection, lastIcon);
        } else if (count > 0) {
            SelectRow(rows, selection, 0);
        }
        return TaskKeyResult::Moved;
    }
    return TaskKeyResult::Moved;
}

int NextWindowRow(const std::vector<TaskRowShape>& rows, int from) {
    const int count = static_cast<int>(rows.size());
    const bool fromWindow = IsListRow(rows, from) && rows[from].kind == TaskRowKind::Window;
    const int begin = fromWindow ? from + 1 : 0;
    for (int step = 0; step < count; ++step) {
        const int i = (begin + step) % count;
        if (rows[i].kind == TaskRowKind::Window) {
            return i;
        }
    }
    return -1;
}

int RestoredSelection(const std::vector<TaskRowShape>& rows, int previous) {
    if (rows.empty()) {
        return 0;
    }
    int index = std::clamp(previous, 0, static_cast<int>(rows.size()) - 1);
    if (rows[index].kind == TaskRowKind::Separator && index > 0) {
        --index;
    }
    return index;
}

wchar_t CaptionAccelerator(std::wstring_view caption) {
    const std::size_t at = caption.find(L'&');
    if (at == std::wstring_view::npos || at + 1 >= caption.size()) {
        return 0;
    }
    return caption[at + 1];
}

std::wstring DoubleAmpersands(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out += c;
        if (c == L'&') {
            out += L'&';
        }
    }
    return out;
}

wchar_t RowDigit(int n) {
    if (n < 0 || n > 9) {
        return 0;
    }
    return n == 9 ? L'0' : static_cast<wchar_t>(L'1' + n);
}

std::vector<RunningIconPlace> PlaceRunningIcons(int count, const RunningIconMetrics& metrics) {
    std::vector<RunningIconPlace> places(static_cast<std::size_t>(std::max(count, 0)));
    const long long step = static_cast<long long>(metrics.iconWidth) + metrics.spacing;
    const long long x0 = metrics.rightAlign ? static_cast<long long>(metrics.screenWidth) - metrics.start
                                            : static_cast<long long>(metrics.start);
    for (int i = 0; i < count; ++i) {
        if (metrics.limit > 0 && i >= metrics.limit) {
            break;
        }
        const long long x = metrics.rightAlign ? x0 - step * (i + 1) : x0 + step * i;
        // Hostile settings must not wrap around into a place on the screen.
        places[i].shown = true;
        places[i].x = static_cast<int>(std::clamp<long long>(x, -0x3FFFFFFF, 0x3FFFFFFF));
        places[i].y = metrics.y;
    }
    return places;
}

int TopBarCurrentX(int storedX, bool rightAligned, int screenWidth) {
    // A stored value from a hand-edited file may be anything: no overflow.
    const long long x = rightAligned ? static_cast<long long>(screenWidth) - storedX : storedX;
    return static_cast<int>(std::clamp<long long>(x, -0x3FFFFFFF, 0x3FFFFFFF));
}

int TopBarStoredX(int currentX, bool rightAligned, int screenWidth) {
    return TopBarCurrentX(currentX, rightAligned, screenWidth);
}

int ClampTopBarX(int x, int minimum, int screenWidth, int iconWidth) {
    return std::max(minimum, std::min(x, screenWidth - iconWidth));
}

} // namespace norvane
