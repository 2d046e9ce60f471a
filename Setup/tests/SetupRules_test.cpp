// The installer's portable rules: folder names, the safe-services list, and
// above all which folders an uninstallation may delete.
#include "SetupRules.h"

#include <gtest/gtest.h>

namespace norvane::setup {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(SetupRules, LanguagesAndFolders) {
    EXPECT_EQ(LanguageIndex(L"English"), 0);
    EXPECT_EQ(LanguageIndex(L"Czech"), 7);
    EXPECT_EQ(LanguageIndex(L"german"), -1) << "the comparison is exact";
    EXPECT_EQ(LanguageIndex(L""), -1);
    EXPECT_EQ(LanguageModulePath(L"\\Program Files\\Tarsel\\Norvane\\", L"German"),
              L"\\Program Files\\Tarsel\\Norvane\\German.dll");

    EXPECT_EQ(ProgramFilesFolder(L""), L"\\Program Files");
    EXPECT_EQ(ProgramFilesFolder(L"\\Programme"), L"\\Programme");
    EXPECT_EQ(DataFolder(L"\\Program Files"), L"\\Program Files\\Tarsel\\Norvane");
    EXPECT_EQ(TarselFolder(L"\\Program Files"), L"\\Program Files\\Tarsel");
    EXPECT_EQ(MetersFolder(L"\\Windows\\"), L"\\Windows\\meters\\");
    EXPECT_EQ(TemporaryMetersFolder(L"\\Program Files"), L"\\Program Files\\Tarsel\\Norvane\\meters_temp");
}

TEST(SetupRules, SafeServicesList) {
    EXPECT_EQ(FormatSafeServices({}), L"");
    EXPECT_EQ(FormatSafeServices({{L"BAG", 0}}), L"BAG0");
    EXPECT_EQ(FormatSafeServices({{L"BAG", 0}, {L"NFY", 1}, {L"CRD", 12}}), L"BAG0,NFY1,CRD12");
    EXPECT_EQ(FormatSafeServices({{L"", 3}, {L"X", 4294967295ul}}), L"3,X4294967295");
}

TEST(SetupRules, ComparablePaths) {
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"\\Windows", L"\\windows"},
        {L"\\Windows\\", L"\\windows"},
        {L"/WINDOWS//StartUp/./", L"\\windows\\startup"},
        {L"\\", L"\\"},
        {L"\\.\\", L"\\"},
        {L"\\Program Files\\Tarsel.\\Norvane ", L"\\program files\\tarsel\\norvane"},
        // Nothing that could lead elsewhere: relative, drive letters, network and
        // host prefixes, climbing.
        {L"", L""},
        {L"Windows", L""},
        {L"C:\\Program Files", L""},
        {L"\\C:\\x", L""},
        {L"\\\\server\\share", L""},
        {L"\\\\?\\C:\\Windows", L""},
        {L"\\Program Files\\..\\Windows", L""},
        {L"\\Program Files\\...\\x", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComparablePath(c.path), c.expected) << Narrow(c.path);
    }
    EXPECT_TRUE(IsSameOrBelow(L"\\windows\\startup", L"\\windows"));
    EXPECT_TRUE(IsSameOrBelow(L"\\windows", L"\\windows"));
    EXPECT_FALSE(IsSameOrBelow(L"\\windowsx", L"\\windows"));
    EXPECT_FALSE(IsSameOrBelow(L"\\windows", L"\\windows\\startup"));
    EXPECT_TRUE(IsSameOrBelow(L"\\anything", L"\\"));
    EXPECT_FALSE(IsSameOrBelow(L"", L"\\"));
}

TEST(SetupRules, WhatAnUninstallationMayDelete) {
    using enum TreeRemoval;
    const ProtectedFolders device;
    struct Case {
        const wchar_t* folder;
        TreeRemoval expected;
    } cases[] = {
        // Our folders in the program-files folder go whole.
        {L"\\Program Files\\Tarsel\\Norvane", Whole},
        {L"\\program files\\tarsel\\norvane\\", Whole},
        {L"\\Program Files\\Norvane\\", Whole},
        // The device's own folders and everything above them keep all but our files.
        {L"\\Windows\\", ProductFilesOnly},
        {L"\\WINDOWS", ProductFilesOnly},
        {L"\\Program Files", ProductFilesOnly},
        {L"\\My Documents\\", ProductFilesOnly},
        {L"\\Windows\\StartUp", ProductFilesOnly},
        // Elsewhere a folder goes only when it holds nothing but ours.
        {L"\\Windows\\Norvane\\", WholeIfOnlyProducts},
        {L"\\Windows\\Start Menu", WholeIfOnlyProducts},
        {L"\\My Documents\\Norvane", WholeIfOnlyProducts},
        {L"\\Storage Card\\Norvane\\", WholeIfOnlyProducts},
        {L"\\Norvane", WholeIfOnlyProducts},
        // The root keeps everything but our files; paths that are not plain device
        // paths are never touched.
        {L"\\", ProductFilesOnly},
        {L"", Refuse},
        {L"C:\\Program Files\\Tarsel\\Norvane", Refuse},
        {L"\\Program Files\\Tarsel\\..\\..\\Windows", Refuse},
        {L"\\\\host\\share\\Norvane", Refuse},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideTreeRemoval(c.folder, device), c.expected) << Narrow(c.folder);
    }

    // A program-files folder recorded as the root or inside \Windows does not
    // make the rest of the device ours.
    ProtectedFolders root = device;
    root.programFiles = L"\\";
    EXPECT_EQ(DecideTreeRemoval(L"\\Windows\\Fonts", root), WholeIfOnlyProducts);
    EXPECT_EQ(DecideTreeRemoval(L"\\Temp", root), WholeIfOnlyProducts);
    EXPECT_EQ(DecideTreeRemoval(L"\\Program Files\\Tarsel\\Norvane", root), Whole);
    ProtectedFolders windows = device;
    windows.programFiles = L"\\Windows";
    EXPECT_EQ(DecideTreeRemoval(L"\\Windows\\Tarsel\\Norvane", windows), WholeIfOnlyProducts);
    EXPECT_EQ(DecideTreeRemoval(L"\\Windows", windows), ProductFilesOnly);

    // A device whose program-files folder has another name.
    ProtectedFolders german = device;
    german.programFiles = L"\\Programme";
    EXPECT_EQ(DecideTreeRemoval(L"\\Programme\\Tarsel\\Norvane", german), Whole);
    EXPECT_EQ(DecideTreeRemoval(L"\\Programme", german), ProductFilesOnly);
    EXPECT_EQ(DecideTreeRemoval(L"\\Program Files", german), ProductFilesOnly);
    EXPECT_EQ(DecideTreeRemoval(L"\\Program Files\\Tarsel\\Norvane", german), WholeIfOnlyProducts);
}

TEST(SetupRules, TheProductsOwnFiles) {
    struct Case {
        const wchar_t* path;
        bool isFolder;
        bool product;
        bool named;
    } cases[] = {
        {L"Norvane.dll", false, true, true},
        {L"NorvaneOptions.exe", false, true, true},
        {L"norvanetaskmanager.EXE", false, true, true},
        {L"Norvane.ini", false, true, true},
        {L"Norvane.ini.new", false, true, true},
        {L"NorvaneLang.dll", false, true, true},
        {L"German.dll", false, true, false},
        {L"czech.DLL", false, true, false},
        {L"meters", true, true, false},
        {L"images", true, true, false},
        {L"meters_temp", true, true, false},
        {L"meters\\battery-default\\meter.ini", false, true, false},
        {L"images\\up_scroll.tga", false, true, false},
        {L"Norvane", true, false, false},
        {L"Norvane.txt", false, false, false},
        {L"Norvane", false, false, false},
        {L".dll", false, false, false},
        {L"notes.txt", false, false, false},
        {L"Klingon.dll", false, false, false},
        {L"other\\Norvane.dll", false, false, false},
        {L"", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsProductEntry(c.path, c.isFolder), c.product) << Narrow(c.path);
        if (!c.isFolder) {
            EXPECT_EQ(IsProductNamedFile(c.path), c.named) << Narrow(c.path);
        }
    }
}

} // namespace
} // namespace norvane::setup
