// The exceptions dialog's working copy: order, selection, flag edits and
// removal.
#include "ExceptionListEditor.h"

#include <gtest/gtest.h>

namespace norvane::options {
namespace {

using List = ExceptionListEditor::List;

TEST(ExceptionListEditor, EmptyListSelectsNothing) {
    ExceptionListEditor editor(List{});
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_EQ(editor.Flags(), 0);
    editor.SetFlag(kExceptionHide, true);
    editor.RemoveSelected();
    EXPECT_TRUE(editor.Result().empty()) << "no selection: no edit";
}

TEST(ExceptionListEditor, TitlesSortedWithoutRegardToCaseFirstSelected) {
    ExceptionListEditor editor(List{{L"beta", 1}, {L"Gamma", 2}, {L"Alpha", 4}});
    ASSERT_EQ(editor.Titles().size(), 3u);
    EXPECT_EQ(editor.Titles()[0], L"Alpha");
    EXPECT_EQ(editor.Titles()[1], L"beta");
    EXPECT_EQ(editor.Titles()[2], L"Gamma");
    EXPECT_EQ(editor.Selected(), 0);
    EXPECT_EQ(editor.Flags(), 4);
    editor.Select(7);
    EXPECT_FALSE(editor.HasSelection()) << "a position beyond the list selects nothing";
}

TEST(ExceptionListEditor, FlagsChangeOnlyTheSelectedProgramsCopy) {
    const List original{{L"Notes", kExceptionHide}, {L"Calculator", kExceptionIgnoreCloseAll}};
    ExceptionListEditor editor(original);
    editor.Select(1); // Notes
    editor.SetFlag(kExceptionMinimizeOnly, true);
    EXPECT_EQ(editor.Flags(), kExceptionHide | kExceptionMinimizeOnly) << "flags 1 with Minimize Only give 3";
    editor.SetFlag(kExceptionHide, false);
    EXPECT_EQ(editor.Flags(), kExceptionMinimizeOnly);
    EXPECT_EQ(editor.Result().at(L"Notes"), kExceptionMinimizeOnly);
    EXPECT_EQ(editor.Result().at(L"Calculator"), kExceptionIgnoreCloseAll);
    EXPECT_EQ(original.at(L"Notes"), kExceptionHide) << "the record's list is untouched until OK";
}

TEST(ExceptionListEditor, RemovalSelectsTheEntryThatTakesThePlace) {
    ExceptionListEditor editor(List{{L"A", 1}, {L"B", 2}, {L"C", 4}});
    editor.Select(2);
    editor.RemoveSelected();
    EXPECT_EQ(editor.Selected(), 1) << "removing the last of three selects the new last";
    EXPECT_EQ(editor.Titles().back(), L"B");
    editor.Select(0);
    editor.RemoveSelected();
    EXPECT_EQ(editor.Selected(), 0) << "the entry that moved up takes the selection";
    EXPECT_EQ(editor.Titles()[0], L"B");
    editor.RemoveSelected();
    EXPECT_FALSE(editor.HasSelection()) << "removing the only entry leaves nothing selected";
    EXPECT_TRUE(editor.Result().empty());
}

} // namespace
} // namespace norvane::options
