// The options program's start-up switches: which action each command line
// opens and what the numbers after the switches read as.
#include "OptionsCommandLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace norvane::options {
namespace {

struct Case {
    const wchar_t* line;
    StartAction action;
    int tab;
    int shortcut;
    bool hasIndices;
    int showTab;
};

const char* Name(StartAction action) {
    switch (action) {
    case StartAction::Frame:
        return "Frame";
    case StartAction::Theme:
        return "Theme";
    case StartAction::Select:
        return "Select";
    case StartAction::Image:
        return "Image";
    case StartAction::Target:
        return "Target";
    case StartAction::Additional:
        return "Additional";
    case StartAction::TaskManagerExceptions:
        return "TaskManagerExceptions";
    }
    return "?";
}

TEST(OptionsCommandLine, EachSwitchOpensItsAction) {
    using A = StartAction;
    const Case cases[] = {
        {L"", A::Frame, -1, -1, false, -1},
        {L"/theme", A::Theme, -1, -1, false, -1},
        // Exact words: anything around them is another command line.
        {L"/theme ", A::Frame, -1, -1, false, -1},
        {L" /theme", A::Frame, -1, -1, false, -1},
        {L"/Theme", A::Frame, -1, -1, false, -1},
        {L"/themes", A::Frame, -1, -1, false, -1},
        {L"/taskmanagerexceptions", A::TaskManagerExceptions, -1, -1, false, -1},
        {L"/taskmanagerexceptions2", A::Frame, -1, -1, false, -1},
        {L"/select:3", A::Select, 3, -1, false, -1},
        {L"/select:", A::Select, 0, -1, false, -1},
        {L"/select:abc", A::Select, 0, -1, false, -1},
        {L"/select:-2", A::Select, -2, -1, false, -1},
        {L"/select:12tabs", A::Select, 12, -1, false, -1},
        {L"/SELECT:3", A::Frame, -1, -1, false, -1},
        // Two indices split at the first colon; no colon means no action.
        {L"/image:0:-1", A::Image, 0, -1, true, -1},
        {L"/image:0:3", A::Image, 0, 3, true, -1},
        {L"/image:5", A::Image, -1, -1, false, -1},
        {L"/image:", A::Image, -1, -1, false, -1},
        {L"/image:a:b", A::Image, 0, 0, true, -1},
        {L"/image::", A::Image, 0, 0, true, -1},
        {L"/image:1:2:3", A::Image, 1, 2, true, -1},
        {L"/target:2:5", A::Target, 2, 5, true, -1},
        {L"/target:7", A::Target, -1, -1, false, -1},
        {L"/additional:3:0", A::Additional, 3, 0, true, -1},
        {L"/additional: 4 : 6", A::Additional, 4, 6, true, -1},
        // The frame, with a preselected tab when the first nine characters say so.
        {L"/showtab:7", A::Frame, -1, -1, false, 7},
        {L"/showtab:x", A::Frame, -1, -1, false, 0},
        {L"/showtab:40", A::Frame, -1, -1, false, 40},
        {L"/showtab", A::Frame, -1, -1, false, -1},
        {L"/SHOWTAB:3", A::Frame, -1, -1, false, -1},
        {L"anything", A::Frame, -1, -1, false, -1},
    };
    for (const Case& c : cases) {
        const StartCommand got = ParseStartCommand(c.line);
        SCOPED_TRACE(testing::Message() << "command line \"" << std::wstring(c.line).size() << " chars\"");
        EXPECT_STREQ(Name(got.action), Name(c.action))
            << "for " << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(got.tab, c.tab) << "tab for " << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(got.shortcut, c.shortcut)
            << "shortcut for " << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(got.hasIndices, c.hasIndices)
            << "colon for " << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(got.showTab, c.showTab) << "showtab for " << testing::PrintToString(std::wstring(c.line));
    }
}

TEST(OptionsCommandLine, NumbersReadAsTheCLibraryReadsThem) {
    EXPECT_EQ(DecimalPrefix(L" \t42x"), 42);
    EXPECT_EQ(DecimalPrefix(L"+7"), 7);
    EXPECT_EQ(DecimalPrefix(L"-0"), 0);
    EXPECT_EQ(DecimalPrefix(L""), 0);
    EXPECT_EQ(DecimalPrefix(L"-"), 0);
    EXPECT_EQ(DecimalPrefix(L"- 5"), 0);
    EXPECT_EQ(DecimalPrefix(L"0x10"), 0);
    // Beyond an int the number is held at its limit, never wrapped.
    EXPECT_EQ(DecimalPrefix(L"2147483647"), INT_MAX);
    EXPECT_EQ(DecimalPrefix(L"2147483648"), INT_MAX);
    EXPECT_EQ(DecimalPrefix(L"-2147483648"), INT_MIN);
    EXPECT_EQ(DecimalPrefix(L"-2147483649"), INT_MIN);
    EXPECT_EQ(DecimalPrefix(L"99999999999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseStartCommand(L"/image:99999999999:-99999999999").tab, INT_MAX);
    EXPECT_EQ(ParseStartCommand(L"/image:99999999999:-99999999999").shortcut, INT_MIN);
}

} // namespace
} // namespace norvane::options
