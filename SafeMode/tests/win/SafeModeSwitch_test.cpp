// Switching off and on again on prepared scratch registries and folders: the
// device after a restore equals the device before safe mode, byte for byte,
// also when entering safe mode was cut short at any step.
#include "SafeModeSwitch.h"
#include "SafeModeTestSupport.h"

#include <gtest/gtest.h>

using namespace norvane::safemode;
using namespace norvane::safemode::test;

namespace {

const std::wstring kToday = L"Software\\Microsoft\\Today";
const std::wstring kDisabled = L"Software\\Microsoft\\Today_nv_disable";
const std::wstring kStartUp = L"\\Windows\\StartUp";
const std::wstring kStartUpOff = L"\\Windows\\StartUp_nv_disable";

struct Snapshot {
    std::vector<std::wstring> today, services, clsid, startUp, windows;

    static Snapshot Of(const ScratchDevice& d) {
        return {d.Export(d.Machine(), kToday), d.Export(d.Machine(), L"Services"),
                d.Export(d.Classes(), L"CLSID"), d.Listing(kStartUp), d.Listing(L"\\Windows")};
    }
};

void ExpectSame(const Snapshot& before, const Snapshot& after) {
    EXPECT_EQ(before.today, after.today) << Difference(before.today, after.today);
    EXPECT_EQ(before.services, after.services) << Difference(before.services, after.services);
    EXPECT_EQ(before.clsid, after.clsid) << Difference(before.clsid, after.clsid);
    EXPECT_EQ(before.startUp, after.startUp) << Difference(before.startUp, after.startUp);
    EXPECT_EQ(before.windows, after.windows) << Difference(before.windows, after.windows);
}

class SafeModeSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareDevice(device);
        before = Snapshot::Of(device);
    }
    ScratchDevice device;
    SafeModeSwitch safeModeSwitch{device.Places()};
    Snapshot before;
};

} // namespace

TEST_F(SafeModeSwitchTest, DisableThenRestoreGivesBackTheDeviceByteForByte) {
    const std::vector<std::wstring> todayBefore = before.today;
    safeModeSwitch.DisableAll();

    // Today: only the safe-mode item; the whole key waits under the other name.
    std::vector<std::wstring> moved = device.Export(device.Machine(), kDisabled);
    for (auto& line : moved) {
        const size_t at = line.find(L"Today_nv_disable");
        if (at != std::wstring::npos) {
            line.replace(at, 16, L"Today");
        }
    }
    EXPECT_EQ(moved, todayBefore) << Difference(todayBefore, moved);
    EXPECT_EQ(device.Dword(device.Machine(), kToday, L"Date"), 0u);
    EXPECT_EQ(device.Dword(device.Machine(), kToday, L"Enabled"), 1u);
    const std::wstring item = kToday + L"\\Items\\NorvaneSafeMode";
    EXPECT_EQ(device.String(device.Machine(), item, L"DLL"), L"\\Windows\\NorvaneSafeMode.dll");
    EXPECT_EQ(device.Dword(device.Machine(), item, L"Type"), 4u);
    EXPECT_EQ(device.Dword(device.Machine(), item, L"Order"), 0u);
    EXPECT_EQ(device.Dword(device.Machine(), item, L"Enabled"), 1u);
    EXPECT_EQ(device.Dword(device.Machine(), item, L"Options"), 0u);
    EXPECT_FALSE(device.HasKey(device.Machine(), kToday + L"\\Items\\Norvane"));

    // Start-up folder: empty, everything in the disabled folder with its sub-folders.
    EXPECT_EQ(device.Listing(kStartUp), std::vector<std::wstring>{});
    EXPECT_EQ(device.Listing(kStartUpOff), before.startUp);

    // Input methods: only the ones on and not served by msim.dll, marked.
    const auto state = [&](const wchar_t* n) {
        return device.String(
            device.Classes(),
            std::wstring(L"CLSID\\{0000000") + n + L"-0000-0000-0000-000000000000}\\IsSIPInputMethod", L"");
    };
    const auto mark = [&](const wchar_t* n) {
        return device.Dword(device.Classes(),
                            std::wstring(L"CLSID\\{0000000") + n +
                                L"-0000-0000-0000-000000000000}\\IsSIPInputMethod",
                            L"nvDisabled");
    };
    EXPECT_EQ(state(L"1"), L"1");
    EXPECT_EQ(mark(L"1"), 0xFFFFFFFFu);
    EXPECT_EQ(state(L"2"), L"0");
    EXPECT_EQ(mark(L"2"), 1u);
    EXPECT_EQ(state(L"3"), L"0") << "already off";
    EXPECT_EQ(mark(L"3"), 0xFFFFFFFFu) << "already off: not marked, so the restore leaves it off";
    EXPECT_EQ(state(L"4"), L"1") << "msim.dll in capitals";
    EXPECT_EQ(state(L"6"), L"1") << "no InprocServer32 key: no input method";
    EXPECT_EQ(state(L"7"), L"0") << "a server key that names no DLL: not msim.dll";

    // Services: the safe list decides; OBX is built in but the list has entries.
    const auto dll = [&](const wchar_t* key) {
        return device.String(device.Machine(), L"Services\\" + std::wstring(key), L"Dll");
    };
    EXPECT_EQ(dll(L"Batt"), L"batt.dll");
    EXPECT_EQ(dll(L"Notify"), L"notify.dll");
    EXPECT_EQ(dll(L"Cards"), L"cards.dll");
    EXPECT_EQ(dll(L"NVGD"), L"NorvaneSafeMode.dll");
    EXPECT_EQ(dll(L"Obex"), L"obex.dll_nv_disable");
    EXPECT_EQ(dll(L"GpsExtra"), L"gpsx.dll_nv_disable");
    EXPECT_EQ(dll(L"NoPrefix"), L"noprefix.dll");

    safeModeSwitch.RestoreAll();
    ExpectSame(before, Snapshot::Of(device));
    EXPECT_FALSE(device.HasKey(device.Machine(), kDisabled));
    EXPECT_FALSE(device.Exists(kStartUpOff));

    // A normal start after a normal start: every restore step finds nothing to do.
    safeModeSwitch.RestoreAll();
    ExpectSame(before, Snapshot::Of(device));
}

TEST_F(SafeModeSwitchTest, EmptySafeListFallsBackToThePlatformPrefixes) {
    device.SetString(device.Machine(), L"Software\\Tarsel\\Norvane", L"SafeServices", L"");
    safeModeSwitch.DisableServices();
    EXPECT_EQ(device.String(device.Machine(), L"Services\\Obex", L"Dll"), L"obex.dll");
    EXPECT_EQ(device.String(device.Machine(), L"Services\\GpsExtra", L"Dll"), L"gpsx.dll_nv_disable");
    // Entering again (a first attempt cut short) does not stack the suffix.
    safeModeSwitch.DisableServices();
    EXPECT_EQ(device.String(device.Machine(), L"Services\\GpsExtra", L"Dll"), L"gpsx.dll_nv_disable");
    safeModeSwitch.RestoreServices();
    ExpectSame(before, Snapshot::Of(device));
}

TEST_F(SafeModeSwitchTest, TodayMoveCutShortIsFinishedByTheRestore) {
    // The move had taken Calendar and Norvane across; Weather's "Cache" was copied
    // but not yet deleted; the Today key's own values were not copied yet.
    const HKEY m = device.Machine();
    for (const wchar_t* name : {L"Calendar", L"Norvane"}) {
        const std::wstring key = std::wstring(L"\\Items\\") + name;
        device.SetString(m, kDisabled + key, L"DLL", std::wstring(L"\\Windows\\") + name + L".dll");
        device.SetDword(m, kDisabled + key, L"Type", 4);
        device.SetDword(m, kDisabled + key, L"Order", std::wstring(name) == L"Norvane" ? 100 : 7);
        device.SetDword(m, kDisabled + key, L"Enabled", 1);
        device.SetString(m, kDisabled + key, L"Path", L"%WINDIR%\\x", REG_EXPAND_SZ);
        ASSERT_EQ(RegDeleteTreeW(m, (kToday + key).c_str()), ERROR_SUCCESS);
    }
    device.SetDword(m, kDisabled + L"\\Items\\Weather\\Cache\\Deep", L"Level", 3);
    safeModeSwitch.RestoreTodayItems();
    ExpectSame(before, Snapshot::Of(device));
    EXPECT_FALSE(device.HasKey(m, kDisabled));
}

TEST_F(SafeModeSwitchTest, CutShortAfterTheMoveOrInTheSafeModeItem) {
    const HKEY m = device.Machine();
    // Moved completely, nothing of the safe-mode Today key written yet.
    safeModeSwitch.DisableTodayItems();
    ASSERT_EQ(RegDeleteTreeW(m, kToday.c_str()), ERROR_SUCCESS);
    safeModeSwitch.RestoreTodayItems();
    ExpectSame(before, Snapshot::Of(device));

    // The safe-mode item written, the Today key's two values not yet.
    safeModeSwitch.DisableTodayItems();
    {
        HKEY today = nullptr;
        ASSERT_EQ(RegOpenKeyExW(m, kToday.c_str(), 0, KEY_ALL_ACCESS, &today), ERROR_SUCCESS);
        RegDeleteValueW(today, L"Date");
        RegDeleteValueW(today, L"Enabled");
        RegCloseKey(today);
    }
    safeModeSwitch.RestoreTodayItems();
    ExpectSame(before, Snapshot::Of(device));
}

TEST_F(SafeModeSwitchTest, RestoreKeepsWhatOnlyTheTodayKeyHas) {
    const HKEY m = device.Machine();
    safeModeSwitch.DisableAll();
    // A program installed during safe mode adds its item, and the user changes
    // an option of the safe-mode Today screen.
    device.SetString(m, kToday + L"\\Items\\Installed", L"DLL", L"\\Windows\\installed.dll");
    device.SetDword(m, kToday, L"Date", 1);
    device.SetDword(m, kToday, L"Added", 9);
    safeModeSwitch.RestoreAll();
    EXPECT_EQ(device.String(m, kToday + L"\\Items\\Installed", L"DLL"), L"\\Windows\\installed.dll");
    EXPECT_EQ(device.Dword(m, kToday, L"Added"), 9u);
    EXPECT_FALSE(device.HasKey(m, kToday + L"\\Items\\NorvaneSafeMode"));
    // Everything of before is back as it was.
    RegDeleteTreeW(m, (kToday + L"\\Items\\Installed").c_str());
    HKEY today = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m, kToday.c_str(), 0, KEY_ALL_ACCESS, &today), ERROR_SUCCESS);
    RegDeleteValueW(today, L"Added");
    RegCloseKey(today);
    ExpectSame(before, Snapshot::Of(device));
}

TEST_F(SafeModeSwitchTest, StartUpFilesAreNeverLost) {
    safeModeSwitch.DisableStartUpFolder();
    // During safe mode the user puts back one shortcut with other contents and
    // one exactly as it was.
    device.WriteFile(kStartUp + L"\\Check.lnk", "new contents");
    device.WriteFile(kStartUp + L"\\Sync.lnk", "21#\"\\Windows\\sync.exe\" /boot");
    safeModeSwitch.RestoreStartUpFolder();
    EXPECT_EQ(device.ReadFile(kStartUp + L"\\Check.lnk"), "new contents");
    EXPECT_EQ(device.ReadFile(kStartUp + L"\\Check (2).lnk"), "22#\"\\Windows\\check.exe\"");
    EXPECT_EQ(device.ReadFile(kStartUp + L"\\Sync.lnk"), "21#\"\\Windows\\sync.exe\" /boot");
    EXPECT_FALSE(device.Exists(kStartUp + L"\\Sync (2).lnk")) << "the same file twice is kept once";
    EXPECT_FALSE(device.Exists(kStartUpOff));
}

TEST_F(SafeModeSwitchTest, StartUpMoveCutShortAndAnEarlierLeftover) {
    // Half of the files had moved when the power went.
    device.WriteFile(kStartUpOff + L"\\Check.lnk", device.ReadFile(kStartUp + L"\\Check.lnk"));
    ASSERT_TRUE(DeleteFileW(device.Host(kStartUp + L"\\Check.lnk").c_str()));
    device.WriteFile(kStartUpOff + L"\\Tools\\Deep\\Inner.lnk",
                     device.ReadFile(kStartUp + L"\\Tools\\Deep\\Inner.lnk"));
    ASSERT_TRUE(DeleteFileW(device.Host(kStartUp + L"\\Tools\\Deep\\Inner.lnk").c_str()));
    safeModeSwitch.RestoreStartUpFolder();
    ExpectSame(before, Snapshot::Of(device));

    // A configured start-up folder that names \Windows itself is left alone.
    device.SetString(device.Machine(), L"Software\\Tarsel\\Norvane", L"WindowsStartUpPath", L"\\Windows");
    safeModeSwitch.DisableStartUpFolder();
    ExpectSame(before, Snapshot::Of(device));
    // A folder of the user's choice is moved like the default one.
    device.SetString(device.Machine(), L"Software\\Tarsel\\Norvane", L"WindowsStartUpPath",
                     L"\\Windows\\StartUp\\Tools\\");
    safeModeSwitch.DisableStartUpFolder();
    EXPECT_EQ(device.Listing(kStartUp + L"\\Tools"), std::vector<std::wstring>{});
    EXPECT_TRUE(device.Exists(kStartUpOff + L"\\Deep\\Inner.lnk"));
    safeModeSwitch.RestoreStartUpFolder();
    ExpectSame(before, Snapshot::Of(device));
}

TEST_F(SafeModeSwitchTest, InputMethodMarkedButNotYetSwitchedOff) {
    const std::wstring method = L"CLSID\\{00000002-0000-0000-0000-000000000000}\\IsSIPInputMethod";
    device.SetDword(device.Classes(), method, L"nvDisabled", 1);
    safeModeSwitch.RestoreInputMethods();
    ExpectSame(before, Snapshot::Of(device));
}

TEST_F(SafeModeSwitchTest, ASecondDisableBeforeAnyRestoreLosesNothing) {
    safeModeSwitch.DisableAll();
    safeModeSwitch.DisableAll();
    EXPECT_FALSE(device.HasKey(device.Machine(), kDisabled + L"\\Items\\NorvaneSafeMode"))
        << "the safe-mode item never goes into the copy";
    safeModeSwitch.RestoreAll();
    ExpectSame(before, Snapshot::Of(device));
}
