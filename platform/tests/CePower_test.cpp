// Power status from the device state, notifications across processes, and the
// reset and power-off routes to the shell.
#include "CePower.h"

#include "CeMsgQueue.h"
#include "DeviceContract.h"
#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

using norvane::platform::test::PumpUntil;
using norvane::platform::test::RecordingWindow;
using norvane::platform::test::RunChild;
namespace device = norvane::device;

// The byte offsets the product reads.
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, ACLineStatus) == 0);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryFlag) == 1);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryLifePercent) == 2);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryFlag) == 13);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryLifePercent) == 14);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryChemistry) == 52);
static_assert(offsetof(POWER_BROADCAST, SystemPowerState) == 12);
static_assert(offsetof(POWER_BROADCAST_POWER_INFO, bACLineStatus) == 20);
static_assert(offsetof(POWER_BROADCAST_POWER_INFO, bBackupBatteryLifePercent) == 24);

class Power : public norvane::platform::test::ScratchDevice {};

TEST_F(Power, StatusComesFromTheDeviceState) {
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kACLine, 1));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryFlag, 8));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryPercent, 42));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBackupBatteryFlag, 2));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBackupBatteryPercent, 7));

    BYTE raw[64];
    std::memset(raw, 0xCC, sizeof raw);
    DWORD copied = GetSystemPowerStatusEx2(reinterpret_cast<SYSTEM_POWER_STATUS_EX2*>(raw), 56, TRUE);
    EXPECT_EQ(copied, 56u);
    EXPECT_EQ(raw[0], 1) << "ACLineStatus";
    EXPECT_EQ(raw[1], 8) << "BatteryFlag";
    EXPECT_EQ(raw[2], 42) << "BatteryLifePercent";
    EXPECT_EQ(raw[13], 2) << "BackupBatteryFlag";
    EXPECT_EQ(raw[14], 7) << "BackupBatteryLifePercent";
    EXPECT_EQ(raw[56], 0xCC) << "wrote past the 56 bytes asked for";

    std::memset(raw, 0xCC, sizeof raw);
    EXPECT_EQ(GetSystemPowerStatusEx2(reinterpret_cast<SYSTEM_POWER_STATUS_EX2*>(raw), 3, TRUE), 3u);
    EXPECT_EQ(raw[2], 42);
    EXPECT_EQ(raw[3], 0xCC) << "wrote past a short length";
    EXPECT_EQ(GetSystemPowerStatusEx2(nullptr, 56, TRUE), 0u);
}

TEST_F(Power, UnknownValuesPassThrough) {
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryPercent, 255));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryFlag, 255));
    SYSTEM_POWER_STATUS_EX2 status{};
    ASSERT_EQ(GetSystemPowerStatusEx2(&status, sizeof status, TRUE), 56u);
    EXPECT_EQ(status.BatteryLifePercent, 255);
    EXPECT_EQ(status.BatteryFlag, 255);
}

// Reads one message with a deadline, as the product's worker does.
bool ReadNotice(HANDLE reader, POWER_BROADCAST_POWER_INFO& info, DWORD& message, DWORD timeoutMs) {
    if (WaitForSingleObject(reader, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    BYTE buffer[1024];
    DWORD read = 0;
    DWORD flags = 0;
    if (!ReadMsgQueue(reader, buffer, sizeof buffer, &read, 100, &flags) || read < 12 + sizeof info) {
        return false;
    }
    POWER_BROADCAST header;
    std::memcpy(&header, buffer, 12);
    message = header.Message;
    EXPECT_EQ(header.Length, sizeof info);
    std::memcpy(&info, buffer + 12, sizeof info);
    return true;
}

TEST_F(Power, AChangeWrittenByAnotherProcessReachesEveryQueueOnce) {
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryPercent, 50));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryFlag, 1));
    std::wstring name = L"Norvane Power Message Queue " + m_suffix;
    MSGQUEUEOPTIONS w{sizeof w, MSGQUEUE_ALLOW_BROKEN, 3, 1024, FALSE};
    MSGQUEUEOPTIONS r{sizeof r, MSGQUEUE_ALLOW_BROKEN, 3, 1024, TRUE};
    HANDLE writer = CreateMsgQueue(name.c_str(), &w);
    HANDLE reader = CreateMsgQueue(name.c_str(), &r);
    ASSERT_NE(reader, nullptr);
    ASSERT_NE(RequestPowerNotifications(writer, PBT_POWERINFOCHANGE), nullptr);
    // A second queue, registered by its read handle.
    MSGQUEUEOPTIONS r2{sizeof r2, MSGQUEUE_ALLOW_BROKEN, 3, 1024, TRUE};
    HANDLE other = CreateMsgQueue(nullptr, &r2);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(RequestPowerNotifications(other, PBT_POWERINFOCHANGE), nullptr);

    // Not a power value: no notice. The next power change must be the first notice.
    ASSERT_EQ(RunChild({L"write-dword", m_stateKey, device::kCEVersion, L"4"}), 0u);
    ASSERT_EQ(RunChild({L"write-dword", m_stateKey, device::kBatteryPercent, L"17"}), 0u);

    for (HANDLE queue : {reader, other}) {
        POWER_BROADCAST_POWER_INFO info{};
        DWORD message = 0;
        ASSERT_TRUE(ReadNotice(queue, info, message, 5000)) << "no notice";
        EXPECT_EQ(message, static_cast<DWORD>(PBT_POWERINFOCHANGE));
        EXPECT_EQ(info.bBatteryLifePercent, 17);
        EXPECT_EQ(info.bBatteryFlag, 1);
        EXPECT_EQ(WaitForSingleObject(queue, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "more than one notice";
    }

    // Charging: the flag the product watches.
    ASSERT_EQ(RunChild({L"write-dword", m_stateKey, device::kBatteryFlag, L"8"}), 0u);
    POWER_BROADCAST_POWER_INFO info{};
    DWORD message = 0;
    ASSERT_TRUE(ReadNotice(reader, info, message, 5000));
    EXPECT_EQ(info.bBatteryFlag, 8);

    // Closing the registered handle ends the registration. A probe queue
    // registered afterwards tells when the watcher has handled the next change.
    CloseMsgQueue(other);
    CloseMsgQueue(writer);
    MSGQUEUEOPTIONS rp{sizeof rp, MSGQUEUE_ALLOW_BROKEN, 3, 1024, TRUE};
    HANDLE probe = CreateMsgQueue(nullptr, &rp);
    ASSERT_NE(RequestPowerNotifications(probe, PBT_POWERINFOCHANGE), nullptr);
    ASSERT_EQ(RunChild({L"write-dword", m_stateKey, device::kACLine, L"1"}), 0u);
    ASSERT_TRUE(ReadNotice(probe, info, message, 5000));
    EXPECT_EQ(info.bACLineStatus, 1);
    EXPECT_EQ(WaitForSingleObject(reader, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "a closed registration still delivers";
    CloseMsgQueue(probe);
    CloseMsgQueue(reader);
}

TEST_F(Power, FullQueueDropsNoticesWithoutBlocking) {
    std::wstring name = L"Norvane Full Power Queue " + m_suffix;
    MSGQUEUEOPTIONS r{sizeof r, MSGQUEUE_ALLOW_BROKEN, 1, 1024, TRUE};
    HANDLE reader = CreateMsgQueue(name.c_str(), &r);
    ASSERT_NE(RequestPowerNotifications(reader, PBT_POWERINFOCHANGE), nullptr);
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryPercent, 11));
    ASSERT_EQ(WaitForSingleObject(reader, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryPercent, 12));
    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kBatteryPercent, 13));
    POWER_BROADCAST_POWER_INFO info{};
    DWORD message = 0;
    ASSERT_TRUE(ReadNotice(reader, info, message, 0));
    EXPECT_EQ(info.bBatteryLifePercent, 11) << "the first notice stays; later ones are dropped";
    EXPECT_TRUE(StopPowerNotifications(reader));
    CloseMsgQueue(reader);
}

TEST_F(Power, ResetAndPowerOffArePostedToTheTodayWindow) {
    RecordingWindow today(norvane::platform::TodayClassName(), device::kTodayTitle);
    ASSERT_NE(today.Get(), nullptr);
    const UINT reset = RegisterWindowMessageW(norvane::platform::ResetMessageName().c_str());
    const UINT powerOff = RegisterWindowMessageW(norvane::platform::PowerOffMessageName().c_str());
    auto count = [&](UINT message) {
        size_t n = 0;
        for (const auto& m : today.messages) {
            n += m.message == message;
        }
        return n;
    };

    EXPECT_TRUE(CeExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_TRUE(PumpUntil([&] { return count(reset) == 1; }));
    EXPECT_EQ(CeSetSystemPowerState(nullptr, POWER_STATE_RESET, POWER_FORCE),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(PumpUntil([&] { return count(reset) == 2; }));

    CeKeybdEvent(VK_OFF, 0, KEYEVENTF_SILENT, 0);
    CeKeybdEvent(VK_OFF, 0, KEYEVENTF_SILENT | KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(PumpUntil([&] { return count(powerOff) == 1; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(count(powerOff), 1u) << "the key's release must not suspend again";
    EXPECT_EQ(count(reset), 2u);

    EXPECT_FALSE(CeExitWindowsEx(EWX_LOGOFF, 0)) << "log-off has no meaning on the device";
}

TEST_F(Power, WithoutAShellResetFails) {
    EXPECT_FALSE(CeExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_EQ(CeSetSystemPowerState(nullptr, POWER_STATE_RESET, 0),
              static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
}

TEST_F(Power, MemoryStorageAndVersionFigures) {
    ASSERT_TRUE(norvane::platform::WriteStateQword(device::kMemoryTotal, 64ull << 20));
    ASSERT_TRUE(norvane::platform::WriteStateQword(device::kMemoryAvail, 16ull << 20));
    MEMORYSTATUS memory{};
    CeGlobalMemoryStatus(&memory);
    EXPECT_EQ(memory.dwTotalPhys, static_cast<SIZE_T>(64u << 20));
    EXPECT_EQ(memory.dwAvailPhys, static_cast<SIZE_T>(16u << 20));
    EXPECT_EQ(memory.dwMemoryLoad, 75u);

    DWORD store = 0, ram = 0, page = 0;
    ASSERT_TRUE(CeGetSystemMemoryDivision(&store, &ram, &page));
    EXPECT_EQ(page, 4096u);
    EXPECT_EQ(ram, (64u << 20) / 4096);

    // Host figures far beyond 32 bits are clamped, never wrapped.
    ASSERT_TRUE(norvane::platform::WriteStateQword(device::kMemoryTotal, 6ull << 30));
    ASSERT_TRUE(norvane::platform::WriteStateQword(device::kMemoryAvail, 5ull << 30));
    CeGlobalMemoryStatus(&memory);
    EXPECT_EQ(memory.dwTotalPhys, static_cast<SIZE_T>(0xFFFFFFFFu));

    ASSERT_TRUE(norvane::platform::WriteStateQword(device::kStoreTotal, 100ull << 20));
    ASSERT_TRUE(norvane::platform::WriteStateQword(device::kStoreFree, 30ull << 20));
    ULARGE_INTEGER avail{}, total{}, free{};
    ASSERT_TRUE(CeGetDiskFreeSpaceEx(L"\\", &avail, &total, &free));
    EXPECT_EQ(total.QuadPart, 100ull << 20);
    EXPECT_EQ(free.QuadPart, 30ull << 20);
    ASSERT_TRUE(CeGetDiskFreeSpaceEx(L"\\Windows", &avail, &total, &free)) << "a folder of the main store";
    EXPECT_EQ(total.QuadPart, 100ull << 20);
    EXPECT_FALSE(CeGetDiskFreeSpaceEx(L"\\No Such Folder 12345", &avail, &total, &free));

    std::wstring card = L"NvTestDiskCard" + m_suffix;
    ASSERT_TRUE(CreateDirectoryW((L"C:\\" + card).c_str(), nullptr));
    norvane::platform::CardState state{card, true, 2ull << 30, 1ull << 30, true};
    ASSERT_TRUE(norvane::platform::WriteCardState(state));
    ASSERT_TRUE(CeGetDiskFreeSpaceEx((L"\\" + card).c_str(), &avail, &total, &free));
    EXPECT_EQ(total.QuadPart, 2ull << 30) << "a card answers its own figures";
    EXPECT_EQ(free.QuadPart, 1ull << 30);
    RemoveDirectoryW((L"C:\\" + card).c_str());

    ASSERT_TRUE(norvane::platform::WriteStateDword(device::kCEVersion, 4));
    OSVERSIONINFOW version{sizeof version};
    ASSERT_TRUE(CeGetVersionEx(&version));
    EXPECT_EQ(version.dwMajorVersion, 4u);
    EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_CE));
}

} // namespace

namespace {

TEST(CoreDll, ExportsTheMemoryDivisionByName) {
    HMODULE coredll = LoadLibraryW(L"coredll.dll");
    ASSERT_NE(coredll, nullptr) << "coredll.dll is built beside the tests";
    using Division = BOOL(WINAPI*)(LPDWORD, LPDWORD, LPDWORD);
    auto division = reinterpret_cast<Division>(GetProcAddress(coredll, "GetSystemMemoryDivision"));
    ASSERT_NE(division, nullptr);
    DWORD store = 0, ram = 0, page = 0;
    ASSERT_TRUE(division(&store, &ram, &page));
    DWORD expectedStore = 0, expectedRam = 0, expectedPage = 0;
    ASSERT_TRUE(CeGetSystemMemoryDivision(&expectedStore, &expectedRam, &expectedPage));
    EXPECT_EQ(page, expectedPage);
    EXPECT_EQ(ram, expectedRam);
    EXPECT_EQ(store, expectedStore);
    EXPECT_EQ(GetProcAddress(coredll, "GlobalMemoryStatus"), nullptr) << "nothing else is exported";
    FreeLibrary(coredll);
}

} // namespace
