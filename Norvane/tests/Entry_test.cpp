// The real Norvane.dll as the Today screen loads it: by ordinal.
#include "TodayHost.h"

#include <gtest/gtest.h>

using namespace norvane::test;

namespace {

struct ItemDll {
    HMODULE module = LoadLibraryW(L"Norvane.dll");
    ~ItemDll() {
        if (module) {
            FreeLibrary(module);
        }
    }
    PFNCUSTOMINITIALIZEITEM Create() const {
        return reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(GetProcAddress(module, MAKEINTRESOURCEA(240)));
    }
};

int CountItemWindows(HWND parent) {
    int count = 0;
    HWND child = nullptr;
    while ((child = FindWindowExW(parent, child, L"NorvaneWindowClass", nullptr)) != nullptr) {
        ++count;
    }
    return count;
}

TEST(ItemEntry, OrdinalsAreExportedAndNamesAreNot) {
    ItemDll dll;
    ASSERT_NE(dll.module, nullptr);
    EXPECT_NE(dll.Create(), nullptr);
    EXPECT_NE(GetProcAddress(dll.module, MAKEINTRESOURCEA(241)), nullptr);
    EXPECT_EQ(GetProcAddress(dll.module, "InitializeCustomItem"), nullptr);
}

TEST(ItemEntry, DisabledRecordCreatesNothingAndASecondCallReplacesTheFirst) {
    ResetItemRegistry();
    RemoveSettingsFile();
    TodayHost host;
    ItemDll dll;
    ASSERT_NE(dll.Create(), nullptr);
    TODAYLISTITEM record = {};
    record.fEnabled = FALSE;
    EXPECT_EQ(dll.Create()(&record, host.Hwnd()), nullptr);
    EXPECT_EQ(CountItemWindows(host.Hwnd()), 0);

    record.fEnabled = TRUE;
    HWND first = dll.Create()(&record, host.Hwnd());
    ASSERT_NE(first, nullptr);
    host.Pump(50);
    HWND second = dll.Create()(&record, host.Hwnd());
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first)) << "the first window is destroyed";
    EXPECT_EQ(CountItemWindows(host.Hwnd()), 1);
    ASSERT_TRUE(host.PumpUntil([&] {
        BOOL changed = static_cast<BOOL>(
            SendMessageW(second, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0));
        return changed && record.cyp > 0;
    }));
    DestroyWindow(second);
}

} // namespace
