// The platform's status calls behind the item's status record.
#include "StatusSources.h"

#include "CePower.h"
#include "Module.h"

#include <atomic>
#include <cstring>

namespace norvane {

bool DeviceStatusPlatform::ReadPowerStatus(std::uint8_t (&record)[kPowerStatusSize]) {
    SYSTEM_POWER_STATUS_EX2 status = {};
    static_assert(sizeof(status) == kPowerStatusSize, "the 56-byte record");
    if (CeGetSystemPowerStatusEx2(&status, sizeof(status), TRUE) == 0) {
        return false;
    }
    std::memcpy(record, &status, kPowerStatusSize);
    return true;
}

bool DeviceStatusPlatform::ReadMemoryStatus(unsigned& load, std::uint32_t& total, std::uint32_t& available) {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    CeGlobalMemoryStatus(&status);
    load = status.dwMemoryLoad;
    total = static_cast<std::uint32_t>(status.dwTotalPhys);
    available = static_cast<std::uint32_t>(status.dwAvailPhys);
    return true;
}

bool DeviceStatusPlatform::ReadFreeSpace(const std::wstring& folder, std::uint64_t& freeBytes,
                                         std::uint64_t& totalBytes) {
    ULARGE_INTEGER available = {};
    ULARGE_INTEGER total = {};
    ULARGE_INTEGER free = {};
    if (!CeGetDiskFreeSpaceEx(folder.c_str(), &available, &total, &free)) {
        return false;
    }
    freeBytes = free.QuadPart;
    totalBytes = total.QuadPart;
    return true;
}

bool DeviceStatusPlatform::IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

SystemStatus& ProcessStatus() {
    static DeviceStatusPlatform platform;
    static SystemStatus status(platform);
    return status;
}

std::wstring StatusKindName(unsigned kind) {
    switch (kind) {
    case statuskind::kMemory:
        return Module::Text(ids::kKindMemory);
    case statuskind::kBattery:
        return Module::Text(ids::kKindBattery);
    case statuskind::kBackupBattery:
        return Module::Text(ids::kKindBackupBattery);
    case statuskind::kMainStorage:
        return Module::Text(ids::kKindMainStorage);
    case statuskind::kStorageCard:
        return Module::Text(ids::kKindStorageCard);
    default:
        return {};
    }
}

int PlatformMajorVersion() {
    static std::atomic<int> major{0};
    if (major == 0) {
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        major = CeGetVersionEx(&info) ? static_cast<int>(info.dwMajorVersion) : 5;
    }
    return major;
}

} // namespace norvane
