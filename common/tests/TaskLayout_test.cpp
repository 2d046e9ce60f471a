// The task manager's selection rules and the task bar's icon places.
#include "TaskLayout.h"

#include <gtest/gtest.h>

#include <climits>

namespace norvane {
namespace {

using K = TaskRowKind;

// The default popup: four commands, a separator, the desktop, three programs,
// a separator and the launch row.
std::vector<TaskRowShape> DefaultRows() {
    return {{K::Command, false},   {K::Command, false},   {K::Command, false}, {K::Command, false},
            {K::Separator, false}, {K::Window, false},    {K::Window, true},   {K::Window, true},
            {K::Window, true},     {K::Separator, false}, {K::Launch, false}};
}

struct Step {
    TaskKey key;
    int index;
    bool closeBox;
    TaskKeyResult result;
};

void Walk(const std::vector<TaskRowShape>& rows, int icons, TaskSelection start,
          const std::vector<Step>& steps) {
    TaskSelection selection = start;
    int n = 0;
    for (const Step& step : steps) {
        const TaskKeyResult result = MoveTaskSelection(rows, icons, selection, step.key);
        EXPECT_EQ(static_cast<int>(result), static_cast<int>(step.result)) << "step " << n;
        EXPECT_EQ(selection.index, step.index) << "step " << n;
        EXPECT_EQ(selection.closeBox, step.closeBox) << "step " << n;
        ++n;
    }
}

TEST(TaskLayout, UpAndDownSkipSeparatorsAndWrapThroughTheQuickLaunchRow) {
    const auto M = TaskKeyResult::Moved;
    Walk(DefaultRows(), 3, {3, false},
         {{TaskKey::Down, 5, false, M},   // over the separator to the desktop
          {TaskKey::Down, 6, false, M},   // the first program
          {TaskKey::Right, 6, true, M},   // its close box
          {TaskKey::Down, 7, true, M},    // the close box stays on a row that has one
          {TaskKey::Up, 6, true, M},      //
          {TaskKey::Up, 5, false, M},     // the desktop row has none
          {TaskKey::Up, 3, false, M},     // over the separator
          {TaskKey::Up, 2, false, M},     //
          {TaskKey::Up, 1, false, M},     //
          {TaskKey::Up, 0, false, M},     //
          {TaskKey::Up, 10002, false, M}, // from the first row to the last icon
          {TaskKey::Up, 10, false, M},    // from the icons to the last row
          {TaskKey::Down, 10002, false, M},
          {TaskKey::Down, 0, false, M}});
    // Without a quick-launch row the ends meet directly.
    Walk(DefaultRows(), 0, {0, false},
         {{TaskKey::Up, 10, false, TaskKeyResult::Moved}, {TaskKey::Down, 0, false, TaskKeyResult::Moved}});
}

TEST(TaskLayout, LeftAndRightWalkTheCloseBoxTheLaunchRowAndTheIcons) {
    const auto M = TaskKeyResult::Moved;
    Walk(DefaultRows(), 3, {7, false},
         {{TaskKey::Right, 7, true, M},
          {TaskKey::Right, 7, true, M},
          {TaskKey::Left, 7, false, M},
          {TaskKey::Left, 7, false, TaskKeyResult::Hide}});
    Walk(DefaultRows(), 3, {10, false},
         {{TaskKey::Right, 10, false, TaskKeyResult::ActivateRow},
          {TaskKey::Left, 10, false, TaskKeyResult::Hide}});
    // A command row has nothing to the right.
    Walk(DefaultRows(), 3, {1, false}, {{TaskKey::Right, 1, false, M}});
    // Icons: Left goes one cell further left (the next icon), Right back; the
    // last icon's Left and the first icon's Right end there.
    Walk(DefaultRows(), 3, {10000, false},
         {{TaskKey::Right, 10000, false, M},
          {TaskKey::Left, 10001, false, M},
          {TaskKey::Left, 10002, false, M},
          {TaskKey::Left, 10002, false, TaskKeyResult::Hide},
          {TaskKey::Right, 10001, false, M}});
}

TEST(TaskLayout, EmptyListsAndOnlyIcons) {
    const std::vector<TaskRowShape> none;
    Walk(none, 0, {0, false},
         {{TaskKey::Down, 0, false, TaskKeyResult::Moved},
          {TaskKey::Up, 0, false, TaskKeyResult::Moved},
          {TaskKey::Right, 0, false, TaskKeyResult::Moved},
          {TaskKey::Left, 0, false, TaskKeyResult::Hide}});
    Walk(none, 2, {0, false},
         {{TaskKey::Up, 10001, false, TaskKeyResult::Moved},
          {TaskKey::Down, 10001, false, TaskKeyResult::Moved},
          {TaskKey::Right, 10000, false, TaskKeyResult::Moved}});
}

TEST(TaskLayout, AltTabStepsThroughTheWindowRowsAndWraps) {
    const auto rows = DefaultRows();
    EXPECT_EQ(NextWindowRow(rows, -1), 5);
    EXPECT_EQ(NextWindowRow(rows, 2), 5) << "from a command row: the first window row";
    EXPECT_EQ(NextWindowRow(rows, 5), 6);
    EXPECT_EQ(NextWindowRow(rows, 8), 5) << "wraps";
    EXPECT_EQ(NextWindowRow(rows, 10), 5);
    EXPECT_EQ(NextWindowRow({{K::Command, false}, {K::Launch, false}}, -1), -1);
    EXPECT_EQ(NextWindowRow({{K::Window, false}}, 0), 0) << "a single window row selects itself";
    EXPECT_EQ(NextWindowRow({}, 0), -1);
}

TEST(TaskLayout, SelectionRestoredAfterARebuild) {
    const auto rows = DefaultRows();
    EXPECT_EQ(RestoredSelection(rows, 6), 6);
    EXPECT_EQ(RestoredSelection(rows, 4), 3) << "a separator moves one up";
    EXPECT_EQ(RestoredSelection(rows, 40), 10) << "limited to the last row";
    EXPECT_EQ(RestoredSelection(rows, 10003), 10);
    EXPECT_EQ(RestoredSelection(rows, -3), 0);
    EXPECT_EQ(RestoredSelection({}, 5), 0);
}

TEST(TaskLayout, AcceleratorsAndDigits) {
    EXPECT_EQ(CaptionAccelerator(L"Close &All"), L'A');
    EXPECT_EQ(CaptionAccelerator(L"&Minimize"), L'M');
    EXPECT_EQ(CaptionAccelerator(L"No prefix"), 0);
    EXPECT_EQ(CaptionAccelerator(L"Ends&"), 0);
    EXPECT_EQ(DoubleAmpersands(L"Tom & Jerry &&"), L"Tom && Jerry &&&&");
    std::wstring digits;
    for (int n = 0; n < 12; ++n) {
        digits += RowDigit(n) ? RowDigit(n) : L'-';
    }
    EXPECT_EQ(digits, L"1234567890--");
}

TEST(TaskLayout, RunningIconsFromTheLeftOrTheRightUpToTheLimit) {
    RunningIconMetrics m;
    m.start = 28;
    m.spacing = 2;
    m.iconWidth = 16;
    m.screenWidth = 240;
    m.limit = 3;
    auto places = PlaceRunningIcons(4, m);
    ASSERT_EQ(places.size(), 4u);
    EXPECT_EQ(places[0].x, 28);
    EXPECT_EQ(places[2].x, 28 + 2 * 18);
    EXPECT_EQ(places[2].y, 5);
    EXPECT_FALSE(places[3].shown);
    EXPECT_EQ(places[3].x, -1);

    m.rightAlign = true;
    m.limit = 0;
    places = PlaceRunningIcons(4, m);
    EXPECT_EQ(places[0].x, 240 - 28 - 16 - 2) << "the first icon's left edge";
    EXPECT_EQ(places[1].x, places[0].x - 18) << "further icons extend to the left";
    EXPECT_TRUE(places[3].shown);

    m.start = INT_MIN;
    m.spacing = INT_MAX;
    places = PlaceRunningIcons(3, m);
    EXPECT_TRUE(places[2].shown) << "hostile settings give far-away places, not wrapped ones";
    EXPECT_TRUE(PlaceRunningIcons(-1, m).empty());
}

TEST(TaskLayout, TopBarPositionsKeepTheirDistanceFromTheRightEdge) {
    EXPECT_EQ(TopBarCurrentX(100, true, 240), 140);
    EXPECT_EQ(TopBarCurrentX(100, true, 320), 220) << "turning the screen keeps the distance to the right";
    EXPECT_EQ(TopBarCurrentX(100, false, 320), 100);
    EXPECT_EQ(TopBarStoredX(150, true, 240), 90);
    EXPECT_EQ(TopBarStoredX(TopBarCurrentX(77, true, 480), true, 480), 77);
    EXPECT_EQ(ClampTopBarX(-20, 0, 240, 16), 0);
    EXPECT_EQ(ClampTopBarX(235, 0, 240, 16), 224);
    EXPECT_EQ(ClampTopBarX(100, 0, 240, 16), 100);
    EXPECT_GT(TopBarCurrentX(INT_MIN, true, 240), 0) << "no overflow";
}

} // namespace
} // namespace norvane
