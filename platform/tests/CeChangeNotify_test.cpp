// Change notifications: file events on the device drive and media events for
// storage cards, delivered as WM_FILECHANGEINFO records the receiver frees.
#include "CeChangeNotify.h"

#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using norvane::platform::test::PumpUntil;

struct Event {
    LONG id;
    std::wstring item1;
    std::wstring item2;
};

// A window that registers itself, copies every record it gets and frees it.
class Listener {
public:
    explicit Listener(DWORD mask, const wchar_t* watchDir = nullptr, bool recursive = true)
        : m_window(L"NorvaneChangeListener" + std::to_wstring(GetTickCount64())) {
        m_window.filter = [this](UINT message, WPARAM, LPARAM lParam) {
            if (message != WM_FILECHANGEINFO) {
                return false;
            }
            auto* notice = reinterpret_cast<LPFILECHANGENOTIFY>(lParam);
            EXPECT_EQ(notice->fci.cbSize, sizeof(FILECHANGEINFO));
            EXPECT_EQ(notice->fci.uFlags & SHCNF_PATH, static_cast<ULONG>(SHCNF_PATH));
            Event e{notice->fci.wEventId, reinterpret_cast<const wchar_t*>(notice->fci.dwItem1), {}};
            if (notice->fci.dwItem2 != 0) {
                e.item2 = reinterpret_cast<const wchar_t*>(notice->fci.dwItem2);
            }
            events.push_back(e);
            SHChangeNotifyFree(notice);
            return true;
        };
        std::wstring dir = watchDir != nullptr ? watchDir : L"";
        SHCHANGENOTIFYENTRY entry{mask, watchDir != nullptr ? dir.data() : nullptr, recursive};
        registered = CeSHChangeNotifyRegister(m_window.Get(), &entry) != FALSE;
    }
    ~Listener() { CeSHChangeNotifyDeregister(m_window.Get()); }

    bool WaitFor(LONG id, const std::wstring& item, DWORD timeoutMs = 5000) {
        return PumpUntil([&] { return Has(id, item); }, timeoutMs);
    }
    bool Has(LONG id, const std::wstring& item) const {
        for (const Event& e : events) {
            if (e.id == id && _wcsicmp(e.item1.c_str(), item.c_str()) == 0) {
                return true;
            }
        }
        return false;
    }
    std::wstring Dump() const {
        std::wstring text;
        for (const Event& e : events) {
            text +=
                std::to_wstring(e.id) + L":" + e.item1 + (e.item2.empty() ? L"" : L"->" + e.item2) + L"\n";
        }
        return text;
    }
    std::vector<Event> events;
    bool registered = false;

private:
    norvane::platform::test::RecordingWindow m_window;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class ChangeNotify : public norvane::platform::test::ScratchDevice {};

TEST_F(ChangeNotify, FileAndFolderEventsOnTheDeviceDrive) {
    Listener all(SHCNE_ALLEVENTS);
    ASSERT_TRUE(all.registered);
    std::wstring folder = L"\\NvNotifyTest" + m_suffix;
    std::wstring host = L"C:" + folder;
    ASSERT_TRUE(CreateDirectoryW(host.c_str(), nullptr));
    EXPECT_TRUE(all.WaitFor(SHCNE_MKDIR, folder)) << Narrow(all.Dump());

    std::wstring file = folder + L"\\note.txt";
    HANDLE h = CreateFileW((L"C:" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "abc", 3, &written, nullptr);
    CloseHandle(h);
    EXPECT_TRUE(all.WaitFor(SHCNE_CREATE, file)) << Narrow(all.Dump());

    std::wstring renamed = folder + L"\\renamed.txt";
    ASSERT_TRUE(MoveFileW((L"C:" + file).c_str(), (L"C:" + renamed).c_str()));
    EXPECT_TRUE(PumpUntil([&] {
        for (const Event& e : all.events) {
            if (e.id == SHCNE_RENAMEITEM && e.item1 == file && e.item2 == renamed) {
                return true;
            }
        }
        return false;
    })) << Narrow(all.Dump());

    ASSERT_TRUE(DeleteFileW((L"C:" + renamed).c_str()));
    EXPECT_TRUE(all.WaitFor(SHCNE_DELETE, renamed)) << Narrow(all.Dump());
    ASSERT_TRUE(RemoveDirectoryW(host.c_str()));
    EXPECT_TRUE(all.WaitFor(SHCNE_RMDIR, folder)) << Narrow(all.Dump());
    EXPECT_FALSE(all.Has(SHCNE_CREATE, folder)) << "a folder reported as a file";
    EXPECT_FALSE(all.Has(SHCNE_DELETE, folder)) << "a folder reported as a file";
}

TEST_F(ChangeNotify, MaskAndWatchFolderFilterEvents) {
    std::wstring watched = L"\\NvNotifyWatched" + m_suffix;
    std::wstring elsewhere = L"\\NvNotifyElsewhere" + m_suffix;
    ASSERT_TRUE(CreateDirectoryW((L"C:" + watched).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((L"C:" + elsewhere).c_str(), nullptr));
    {
        Listener foldersOnly(SHCNE_MKDIR, watched.c_str(), false);
        Listener all(SHCNE_ALLEVENTS);
        ASSERT_TRUE(foldersOnly.registered);

        ASSERT_TRUE(CreateDirectoryW((L"C:" + elsewhere + L"\\sub").c_str(), nullptr));
        HANDLE h = CreateFileW((L"C:" + watched + L"\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               0, nullptr);
        CloseHandle(h);
        ASSERT_TRUE(CreateDirectoryW((L"C:" + watched + L"\\sub").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((L"C:" + watched + L"\\sub\\deeper").c_str(), nullptr));
        // The unfiltered listener has seen all of them once the last one arrives.
        ASSERT_TRUE(all.WaitFor(SHCNE_MKDIR, watched + L"\\sub\\deeper")) << Narrow(all.Dump());
        ASSERT_TRUE(foldersOnly.WaitFor(SHCNE_MKDIR, watched + L"\\sub")) << Narrow(foldersOnly.Dump());
        EXPECT_TRUE(all.Has(SHCNE_CREATE, watched + L"\\f.txt"));
        EXPECT_TRUE(all.Has(SHCNE_MKDIR, elsewhere + L"\\sub")) << "a folder that existed before the watch";
        EXPECT_EQ(foldersOnly.events.size(), 1u) << "only direct subfolders of the watched folder\n"
                                                 << Narrow(foldersOnly.Dump());
    }
    EXPECT_TRUE(norvane::platform::test::RemoveTree(L"C:" + watched));
    EXPECT_TRUE(norvane::platform::test::RemoveTree(L"C:" + elsewhere));
}

TEST_F(ChangeNotify, InsertingAndRemovingACardRaisesMediaEvents) {
    Listener all(SHCNE_ALLEVENTS);
    Listener media(SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED);
    std::wstring name = L"NvCard" + m_suffix;
    std::wstring device = L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW((L"C:" + device).c_str(), nullptr));
    norvane::platform::CardState card{name, true, 1 << 20, 1 << 19, true};
    ASSERT_TRUE(norvane::platform::WriteCardState(card));
    EXPECT_TRUE(all.WaitFor(SHCNE_MEDIAINSERTED, device)) << Narrow(all.Dump());
    EXPECT_TRUE(all.WaitFor(SHCNE_DRIVEADD, device)) << Narrow(all.Dump());
    EXPECT_TRUE(media.WaitFor(SHCNE_MEDIAINSERTED, device));

    card.present = false;
    ASSERT_TRUE(norvane::platform::WriteCardState(card));
    EXPECT_TRUE(all.WaitFor(SHCNE_MEDIAREMOVED, device)) << Narrow(all.Dump());
    EXPECT_TRUE(all.WaitFor(SHCNE_DRIVEREMOVED, device)) << Narrow(all.Dump());
    EXPECT_TRUE(media.WaitFor(SHCNE_MEDIAREMOVED, device));
    for (const Event& e : media.events) {
        EXPECT_TRUE(e.id == SHCNE_MEDIAINSERTED || e.id == SHCNE_MEDIAREMOVED)
            << "mask not honoured: " << e.id;
    }
    RemoveDirectoryW((L"C:" + device).c_str());
}

TEST_F(ChangeNotify, ACardInsertedByAnotherProcessIsSeen) {
    Listener media(SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED);
    std::wstring name = L"NvToolCard" + m_suffix;
    ASSERT_TRUE(CreateDirectoryW((L"C:\\" + name).c_str(), nullptr));
    std::wstring cardKey = m_cardsKey + L"\\" + name;
    ASSERT_EQ(norvane::platform::test::RunChild({L"write-dword", cardKey, L"Present", L"1"}), 0u);
    EXPECT_TRUE(media.WaitFor(SHCNE_MEDIAINSERTED, L"\\" + name)) << Narrow(media.Dump());
    ASSERT_EQ(norvane::platform::test::RunChild({L"write-dword", cardKey, L"Present", L"0"}), 0u);
    EXPECT_TRUE(media.WaitFor(SHCNE_MEDIAREMOVED, L"\\" + name)) << Narrow(media.Dump());
    RemoveDirectoryW((L"C:\\" + name).c_str());
}

TEST_F(ChangeNotify, RegistrationNeedsALiveWindow) {
    SHCHANGENOTIFYENTRY entry{SHCNE_ALLEVENTS, nullptr, TRUE};
    EXPECT_FALSE(CeSHChangeNotifyRegister(nullptr, &entry));
    EXPECT_FALSE(CeSHChangeNotifyDeregister(reinterpret_cast<HWND>(0x1234)));
    SHChangeNotifyFree(nullptr); // tolerated
}

} // namespace
