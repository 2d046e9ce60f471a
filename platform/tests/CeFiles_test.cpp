// Folder listings: the device root and \Windows read as a Pocket PC's, everything else as listed.
#include "CeFiles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using norvane::platform::test::RemoveTree;

struct Entry {
    std::wstring name;
    bool folder;
};

std::vector<Entry> List(const std::wstring& pattern) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW data;
    HANDLE search = CeFindFirstFile(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (CeFindNextFile(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search)) << "the handle closes like a find handle";
    return entries;
}

bool Has(const std::vector<Entry>& entries, const std::wstring& name) {
    return std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.name == name; });
}

bool HasNoCase(const std::vector<Entry>& entries, const std::wstring& name) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const Entry& e) { return lstrcmpiW(e.name.c_str(), name.c_str()) == 0; });
}

class DeviceRootListing : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = L"NvRootProbe" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW((L"C:\\" + m_folder).c_str(), nullptr));
        // A folder of Wine's name below the root is the user's own and stays listed.
        ASSERT_TRUE(CreateDirectoryW((L"C:\\" + m_folder + L"\\users").c_str(), nullptr));
        HANDLE file = CreateFileW((L"C:\\" + m_folder + L".txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    void TearDown() override {
        RemoveTree(L"C:\\" + m_folder);
        DeleteFileW((L"C:\\" + m_folder + L".txt").c_str());
    }
    std::wstring m_folder;
};

TEST_F(DeviceRootListing, TheRootShowsTheDevicesFoldersAndNotWines) {
    // Every way of naming the root lists the same entries.
    for (const wchar_t* pattern : {L"\\*", L"C:\\*.*", L"c:\\*", L"\\Windows\\..\\*"}) {
        SCOPED_TRACE(::testing::Message() << "pattern " << std::string(pattern, pattern + wcslen(pattern)));
        const std::vector<Entry> root = List(pattern);
        EXPECT_TRUE(Has(root, L"Windows")) << "the system folder in the device's spelling";
        EXPECT_FALSE(Has(root, L"windows"));
        for (const wchar_t* wine : {L"users", L"ProgramData", L"Program Files (x86)"}) {
            EXPECT_FALSE(HasNoCase(root, wine)) << std::string(wine, wine + wcslen(wine));
        }
        EXPECT_TRUE(Has(root, m_folder)) << "the user's own folders stay";
        EXPECT_TRUE(Has(root, m_folder + L".txt")) << "and their files";
        // Nothing else of the host's listing goes missing.
        WIN32_FIND_DATAW data;
        HANDLE host = FindFirstFileW(L"C:\\*", &data);
        ASSERT_NE(host, INVALID_HANDLE_VALUE);
        std::size_t hostCount = 0;
        std::size_t wineCount = 0;
        do {
            ++hostCount;
            for (const wchar_t* wine : {L"users", L"ProgramData", L"Program Files (x86)"}) {
                wineCount += lstrcmpiW(data.cFileName, wine) == 0 ? 1 : 0;
            }
        } while (FindNextFileW(host, &data));
        FindClose(host);
        EXPECT_GE(wineCount, 2u) << "the prefix has Wine's folders to leave out";
        EXPECT_EQ(root.size(), hostCount - wineCount);
    }
    // Wine's folders themselves are still there for Wine.
    EXPECT_NE(GetFileAttributesW(L"C:\\users"), INVALID_FILE_ATTRIBUTES);
    // A search for one of them alone finds nothing, as on the device.
    WIN32_FIND_DATAW data;
    SetLastError(0);
    EXPECT_EQ(CeFindFirstFile(L"\\ProgramData", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // One matching name at the root comes in the device's spelling.
    HANDLE one = CeFindFirstFile(L"\\WINDOWS", &data);
    ASSERT_NE(one, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, L"Windows");
    FindClose(one);
}

TEST_F(DeviceRootListing, FoldersBelowTheRootAreListedAsTheyAre) {
    const std::vector<Entry> below = List(L"\\" + m_folder + L"\\*");
    EXPECT_TRUE(Has(below, L"users")) << "only the root's Wine folders are left out";
    // \Windows keeps the device's folders and leaves Wine's out.
    const std::wstring own = L"C:\\windows\\" + m_folder;
    ASSERT_TRUE(CreateDirectoryW(own.c_str(), nullptr));
    const std::vector<Entry> windows = List(L"\\Windows\\*");
    RemoveTree(own);
    EXPECT_TRUE(Has(windows, m_folder));
    for (const wchar_t* wine : {L"system32", L"winsxs", L"inf"}) {
        EXPECT_FALSE(HasNoCase(windows, wine)) << std::string(wine, wine + wcslen(wine));
    }
    EXPECT_NE(GetFileAttributesW(L"C:\\windows\\system32"), INVALID_FILE_ATTRIBUTES);
    // A root search and one below it, interleaved, each keep their own rule.
    WIN32_FIND_DATAW rootData;
    WIN32_FIND_DATAW belowData;
    HANDLE root = CeFindFirstFile(L"\\*", &rootData);
    HANDLE inner = CeFindFirstFile((L"\\" + m_folder + L"\\*").c_str(), &belowData);
    ASSERT_NE(root, INVALID_HANDLE_VALUE);
    ASSERT_NE(inner, INVALID_HANDLE_VALUE);
    bool innerUsers = lstrcmpW(belowData.cFileName, L"users") == 0;
    bool rootUsers = lstrcmpiW(rootData.cFileName, L"users") == 0;
    while (CeFindNextFile(inner, &belowData)) {
        innerUsers = innerUsers || lstrcmpW(belowData.cFileName, L"users") == 0;
        if (CeFindNextFile(root, &rootData)) {
            rootUsers = rootUsers || lstrcmpiW(rootData.cFileName, L"users") == 0;
        }
    }
    while (CeFindNextFile(root, &rootData)) {
        rootUsers = rootUsers || lstrcmpiW(rootData.cFileName, L"users") == 0;
    }
    FindClose(root);
    FindClose(inner);
    EXPECT_TRUE(innerUsers);
    EXPECT_FALSE(rootUsers);
    EXPECT_EQ(CeFindFirstFile(nullptr, &rootData), INVALID_HANDLE_VALUE);
}

} // namespace
