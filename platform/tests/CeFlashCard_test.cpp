// Storage-card enumeration: present cards in a stable order, closed with FindClose.
#include "CeFlashCard.h"

#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FlashCard : public norvane::platform::test::ScratchDevice {
protected:
    // Inserts a card as the control tool does: its folder, then its key.
    void Insert(const std::wstring& name, bool present = true, bool makeFolder = true) {
        if (makeFolder) {
            CreateDirectoryW((L"C:\\" + name).c_str(), nullptr);
            m_folders.push_back(L"C:\\" + name);
        }
        norvane::platform::CardState card{name, present, 1 << 20, 1 << 19, true};
        ASSERT_TRUE(norvane::platform::WriteCardState(card));
    }
    void TearDown() override {
        for (const std::wstring& folder : m_folders) {
            norvane::platform::test::RemoveTree(folder);
        }
        ScratchDevice::TearDown();
    }
    std::vector<std::wstring> Enumerate() {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFlashCard(&data);
        if (find == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
            return names;
        }
        do {
            EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
            EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_TEMPORARY, 0u);
            names.push_back(data.cFileName);
        } while (FindNextFlashCard(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find)) << "the handle closes like a find handle";
        return names;
    }
    std::vector<std::wstring> m_folders;
};

TEST_F(FlashCard, NoCardsNoHandle) {
    Insert(L"NvGhostCard" + m_suffix, true, false); // listed, but no folder
    Insert(L"NvPulledCard" + m_suffix, false);      // folder left, but pulled
    EXPECT_TRUE(Enumerate().empty());
}

TEST_F(FlashCard, PresentCardsInAStableOrder) {
    std::wstring b = L"NvCardB" + m_suffix;
    std::wstring a = L"nvCardA" + m_suffix;
    std::wstring c = L"NvCardC" + m_suffix;
    Insert(b);
    Insert(c, false);
    Insert(a);
    std::vector<std::wstring> expected{a, b};
    EXPECT_EQ(Enumerate(), expected) << "sorted by name without regard to case";
    EXPECT_EQ(Enumerate(), expected) << "and the same again";
    // Two searches at once do not disturb each other.
    WIN32_FIND_DATAW first, second;
    HANDLE one = FindFirstFlashCard(&first);
    HANDLE two = FindFirstFlashCard(&second);
    ASSERT_NE(one, INVALID_HANDLE_VALUE);
    ASSERT_NE(two, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(FindNextFlashCard(one, &first));
    EXPECT_EQ(std::wstring(first.cFileName), b);
    EXPECT_EQ(std::wstring(second.cFileName), a);
    FindClose(one);
    FindClose(two);
    EXPECT_FALSE(FindNextFlashCard(reinterpret_cast<HANDLE>(0x4321), &first));
}

} // namespace
