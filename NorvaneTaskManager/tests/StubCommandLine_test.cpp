// The key stubs' command line: the argument string and the task-manager key's code.
#include "StubCommandLine.h"

#include <gtest/gtest.h>

#include <string>

using namespace norvane;

TEST(StubCommandLine, ArgumentsFollowTheProgramNameAndOneBlank) {
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Windows\\NorvaneTaskManager.exe\" /launch:1"), L"/launch:1");
    EXPECT_EQ(ArgumentsOf(L"NorvaneTaskManager.exe /launch:1"), L"/launch:1");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\a b\\stub.exe\"\t/launch:2"), L"/launch:2");
    EXPECT_EQ(ArgumentsOf(L"stub.exe  /launch:1"), L" /launch:1") << "only the separating blank goes";
    EXPECT_EQ(ArgumentsOf(L"stub.exe /launch:1 "), L"/launch:1 ") << "nothing is trimmed behind";
    EXPECT_EQ(ArgumentsOf(L"\"C:\\stub.exe\""), L"");
    EXPECT_EQ(ArgumentsOf(L"stub.exe"), L"");
    EXPECT_EQ(ArgumentsOf(L""), L"");
    EXPECT_EQ(ArgumentsOf(L"\"unterminated /launch:1"), L"") << "an open quote swallows the rest";
    EXPECT_EQ(ArgumentsOf(L"\"C:\\x.exe\"/launch:1"), L"") << "no blank: still part of the program's name";
}

TEST(StubCommandLine, LaunchSwitchesGiveQuickLaunchCodesInAnyCase) {
    EXPECT_EQ(TaskManagerKeyCode(L"/launch:0"), 1);
    EXPECT_EQ(TaskManagerKeyCode(L"/launch:1"), 2);
    EXPECT_EQ(TaskManagerKeyCode(L"/launch:2"), 3);
    EXPECT_EQ(TaskManagerKeyCode(L"/launch:3"), 4);
    EXPECT_EQ(TaskManagerKeyCode(L"/LAUNCH:2"), 3);
    EXPECT_EQ(TaskManagerKeyCode(L"/LaUnCh:3"), 4);
}

TEST(StubCommandLine, AnythingElseIsTheTaskManager) {
    const wchar_t* others[] = {L"",           L"/launch:4",  L"/launch:9",   L"/launch:",    L"/launch:1 ",
                               L" /launch:1", L"/launch:10", L"/launch:-1",  L"launch:1",    L"/launch;1",
                               L"/launch:01", L"\\launch:1", L"/launch:1/x", L"/taskmanager"};
    for (const wchar_t* text : others) {
        EXPECT_EQ(TaskManagerKeyCode(text), 0) << std::wstring(text).size();
    }
    // Letters outside ASCII never match, whatever they fold to elsewhere.
    EXPECT_EQ(TaskManagerKeyCode(std::wstring(L"/l\u0100unch:1")), 0);
    EXPECT_EQ(TaskManagerKeyCode(std::wstring(L"/\uFF2Caunch:1")), 0) << "a full-width L";
    std::wstring nul(L"/launch:1");
    nul.push_back(L'\0');
    EXPECT_EQ(TaskManagerKeyCode(nul), 0) << "an embedded terminator is a character too";
}
