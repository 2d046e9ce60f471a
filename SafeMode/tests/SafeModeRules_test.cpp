// The safe-mode decisions that need no system call: the safe-services rule, the
// service DLL names, the input-method tests, the start-up folder guard, the
// normal-start plan and the quick-restart window.
#include "SafeModeRules.h"

#include <gtest/gtest.h>

#include <set>

using namespace norvane::safemode;

TEST(SafeModeRulesTest, SafeServicesListDecidesWhenItHasEntries) {
    const std::wstring list = L" BAG0 ,NFY0,, CRD1\t,LAS0";
    EXPECT_EQ(ParseSafeServices(list), (std::vector<std::wstring>{L"BAG0", L"NFY0", L"CRD1", L"LAS0"}));
    // Prefix and index as the installer wrote them; another index of a listed prefix is not safe.
    EXPECT_TRUE(IsSafeService(L"BAG", 0, list));
    EXPECT_TRUE(IsSafeService(L"CRD", 1, list));
    EXPECT_FALSE(IsSafeService(L"CRD", 0, list));
    EXPECT_FALSE(IsSafeService(L"bag", 0, list)) << "list entries are compared exactly";
    // A built-in platform prefix does not count once the list has entries.
    EXPECT_FALSE(IsSafeService(L"OBX", 0, list));
    EXPECT_FALSE(IsSafeService(L"GPX", 0, list));
    // Our own service is always safe, in any case.
    EXPECT_TRUE(IsSafeService(L"NVG", 7, list));
    EXPECT_TRUE(IsSafeService(L"nvg", 0, L""));
}

TEST(SafeModeRulesTest, BuiltInPrefixesDecideWhenTheListIsEmpty) {
    for (const wchar_t* prefix : {L"BAG", L"NFY", L"OBX", L"BHL", L"CRD", L"DPT", L"LAS", L"AP1", L"PPS",
                                  L"RPS", L"SNA", L"sna", L"Ap1"}) {
        EXPECT_TRUE(IsSafeService(prefix, 3, L"")) << prefix;
        EXPECT_TRUE(IsSafeService(prefix, 0, L" , ,")) << prefix << ": a list of blanks is empty";
    }
    EXPECT_FALSE(IsSafeService(L"GPX", 0, L""));
    EXPECT_FALSE(IsSafeService(L"BAGX", 0, L""));
    EXPECT_FALSE(IsSafeService(L"", 0, L""));
}

TEST(SafeModeRulesTest, DisabledDllNamesGoBackExactly) {
    EXPECT_EQ(DisabledDllName(L"gps.dll"), L"gps.dll_nv_disable");
    EXPECT_EQ(RestoredDllName(L"gps.dll_nv_disable"), std::optional<std::wstring>(L"gps.dll"));
    // A second disable after one that was cut short does not stack the suffix.
    EXPECT_EQ(DisabledDllName(L"gps.dll_nv_disable"), L"gps.dll_nv_disable");
    EXPECT_EQ(DisabledDllName(L"gps.dll_NV_Disable"), L"gps.dll_NV_Disable");
    EXPECT_FALSE(RestoredDllName(L"gps.dll"));
    EXPECT_FALSE(RestoredDllName(L"_nv_disable")) << "nothing would be left of the name";
    for (const wchar_t* name : {L"a.dll", L"\\Windows\\x y.dll", L"z"}) {
        EXPECT_EQ(RestoredDllName(DisabledDllName(name)).value_or(L"?"), name);
    }
}

TEST(SafeModeRulesTest, InputMethodsOnAndKept) {
    EXPECT_TRUE(IsInputMethodOn(L"1"));
    EXPECT_TRUE(IsInputMethodOn(L"yes"));
    EXPECT_FALSE(IsInputMethodOn(L""));
    EXPECT_FALSE(IsInputMethodOn(L"0"));
    EXPECT_FALSE(IsInputMethodOn(L"01"));
    EXPECT_TRUE(IsKeptInputMethodServer(L"msim.dll"));
    EXPECT_TRUE(IsKeptInputMethodServer(L"MSIM.DLL"));
    EXPECT_TRUE(IsKeptInputMethodServer(L"\\Windows\\msim.dll"));
    EXPECT_TRUE(IsKeptInputMethodServer(L"\"msim.dll\""));
    EXPECT_FALSE(IsKeptInputMethodServer(L"blockrec.dll"));
    EXPECT_FALSE(IsKeptInputMethodServer(L"notmsim.dll"));
    EXPECT_FALSE(IsKeptInputMethodServer(L"msim.dll\\other.dll"));
    EXPECT_FALSE(IsKeptInputMethodServer(L""));
}

TEST(SafeModeRulesTest, StartUpFolderMustNotCarryTheDeviceAlong) {
    const std::wstring disabled = L"\\Windows\\StartUp_nv_disable";
    EXPECT_TRUE(IsMovableStartUpFolder(L"\\Windows\\StartUp", disabled));
    EXPECT_TRUE(IsMovableStartUpFolder(L"\\Windows\\StartUp\\", disabled));
    EXPECT_TRUE(IsMovableStartUpFolder(L"\\My Documents\\Start", disabled));
    for (const wchar_t* bad :
         {L"\\", L"", L"C:\\", L"\\Windows", L"\\windows\\.", L"\\Windows\\StartUp_nv_disable",
          L"\\WINDOWS\\startup_nv_disable. ", L"\\Windows\\StartUp_nv_disable\\x",
          L"\\Windows\\StartUp\\..\\StartUp_nv_disable", L"\\..\\Windows\\StartUp", L"\\Windows\\...",
          L"/windows/startup_nv_disable", L"C:\\Windows", L"c:\\windows\\startup_nv_disable"}) {
        EXPECT_FALSE(IsMovableStartUpFolder(bad, disabled)) << bad;
    }
}

TEST(SafeModeRulesTest, NormalStartPlan) {
    struct Case {
        std::optional<uint32_t> prompt;
        bool quick;
        std::optional<uint32_t> force;
        bool show, autoMode, write;
    };
    const Case cases[] = {
        {std::nullopt, false, std::nullopt, true, false, true}, // absent prompt mode shows the bar
        {0u, false, 1u, false, false, true},
        {0u, true, std::nullopt, false, false, true},
        {0u, true, 1u, false, true, false}, // automatic safe mode without the bar being wanted
        {1u, false, 1u, true, false, true},
        {2u, false, 1u, false, false, true}, // the bar only on a quick restart
        {2u, true, 0u, true, false, true},
        {2u, true, 5u, true, true, false}, // LastReset kept on an automatic safe mode
        {7u, false, std::nullopt, true, false, true},
    };
    for (const Case& c : cases) {
        const NormalStartPlan plan = PlanNormalStart(c.prompt, c.quick, c.force);
        EXPECT_EQ(plan.showPrompt, c.show) << c.prompt.value_or(99) << " " << c.quick;
        EXPECT_EQ(plan.autoSafeMode, c.autoMode) << c.prompt.value_or(99) << " " << c.quick;
        EXPECT_EQ(plan.writeLastReset, c.write) << c.prompt.value_or(99) << " " << c.quick;
    }
}

TEST(SafeModeRulesTest, QuickRestartIsWithinTwoMinutesBeforeNow) {
    const int64_t now = 133'000'000'000'000'000;
    EXPECT_TRUE(IsQuickRestart(now - 1, now));
    EXPECT_TRUE(IsQuickRestart(now - kQuickRestartTicks, now));
    EXPECT_FALSE(IsQuickRestart(now - kQuickRestartTicks - 1, now));
    EXPECT_FALSE(IsQuickRestart(now, now)) << "not before now";
    EXPECT_FALSE(IsQuickRestart(now + kTicksPerSecond, now)) << "a clock set back";
    EXPECT_FALSE(IsQuickRestart(INT64_MIN, INT64_MAX));
    EXPECT_FALSE(IsQuickRestart(INT64_MAX, INT64_MIN));
}

TEST(SafeModeRulesTest, FreeFileNamesKeepTheExtension) {
    EXPECT_EQ(NumberedFileName(L"Check.lnk", 2), L"Check (2).lnk");
    EXPECT_EQ(NumberedFileName(L"a.b.lnk", 3), L"a.b (3).lnk");
    EXPECT_EQ(NumberedFileName(L"README", 2), L"README (2)");
    EXPECT_EQ(NumberedFileName(L".profile", 2), L".profile (2)");
    std::set<std::wstring> taken = {L"Check (2).lnk", L"Check (3).lnk"};
    EXPECT_EQ(FreeFileName(L"Check.lnk", [&](const std::wstring& n) { return taken.count(n) > 0; }),
              L"Check (4).lnk");
    EXPECT_EQ(FreeFileName(L"x", [](const std::wstring&) { return true; }), L"") << "every number taken";
}
