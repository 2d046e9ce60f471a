// Texts come from the language module first, then from the program's own table.
#include "StringLookup.h"
#include "TestStrings.h"
#include "TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace norvane {
namespace {

std::filesystem::path BesideTheProgram(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / name;
}

TEST(StringLookup, ModuleFirstThenOwnTableElseEmpty) {
    test::ScratchDir data;
    std::filesystem::copy_file(BesideTheProgram(L"TestLanguage.dll"), data.Root() / "NorvaneLang.dll");

    StringLookup strings(GetModuleHandleW(nullptr));
    EXPECT_EQ(strings.Get(IDS_TEST_BOTH),
              L"Could not load settings.  Norvane.ini may be missing or corrupted.");
    EXPECT_EQ(strings.Get(IDS_TEST_MODULE_ONLY), L"");

    ASSERT_TRUE(strings.LoadLanguageModuleFrom(data.Root().wstring()));
    EXPECT_NE(strings.LanguageModule(), nullptr);
    EXPECT_EQ(strings.Get(1), L"Deutsch");
    EXPECT_EQ(strings.Get(IDS_TEST_BOTH), L"Einstellungen konnten nicht geladen werden.");
    EXPECT_EQ(strings.Get(IDS_TEST_OWN_ONLY), L"Own table only");
    EXPECT_EQ(strings.Get(IDS_TEST_MODULE_ONLY), L"Nur im Modul: Gr\u00fc\u00dfe");
    EXPECT_EQ(strings.Get(IDS_TEST_NOWHERE), L"");
    EXPECT_EQ(strings.Get(IDS_TEST_LONG).size(), 120u) << "no buffer limit cuts a text";

    strings.UnloadLanguageModule();
    EXPECT_EQ(strings.Get(IDS_TEST_BOTH),
              L"Could not load settings.  Norvane.ini may be missing or corrupted.");

    // No module there, or a file that is no module: the built-in texts serve.
    test::ScratchDir empty;
    EXPECT_FALSE(strings.LoadLanguageModuleFrom(empty.Root().wstring()));
    test::WriteBytes(empty.Root() / "NorvaneLang.dll", "not a module");
    EXPECT_FALSE(strings.LoadLanguageModuleFrom(empty.Root().wstring()));
    EXPECT_EQ(strings.Get(IDS_TEST_OWN_ONLY), L"Own table only");
}

} // namespace
} // namespace norvane
