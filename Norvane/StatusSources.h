// The item's status sources on the device: the one status record of the
// process, fed by the platform's power status, memory status and free-space
// calls, and the names of the status kinds as the item shows them. The meters,
// the status refresh, the meter bar and the status dialog all read this one
// record.
#pragma once

#include "SystemStatus.h"

#include <windows.h>

#include <string>

namespace norvane {

// GetSystemPowerStatusEx2, GlobalMemoryStatus, GetDiskFreeSpaceEx and
// GetFileAttributes of the device (through the stand-in's "Ce" calls).
class DeviceStatusPlatform : public StatusPlatform {
public:
    bool ReadPowerStatus(std::uint8_t (&record)[kPowerStatusSize]) override;
    bool ReadMemoryStatus(unsigned& load, std::uint32_t& total, std::uint32_t& available) override;
    bool ReadFreeSpace(const std::wstring& folder, std::uint64_t& freeBytes,
                       std::uint64_t& totalBytes) override;
    bool IsFolder(const std::wstring& path) override;
};

// The process's status record.
SystemStatus& ProcessStatus();

// The name of a status kind from the string table: "Memory", "Battery",
// "Backup Battery", "Main storage", "Storage card"; empty for others.
std::wstring StatusKindName(unsigned kind);

// String ids of the kind names.
namespace ids {
inline constexpr UINT kKindMemory = 50120;
inline constexpr UINT kKindBattery = 50121;
inline constexpr UINT kKindBackupBattery = 50122;
inline constexpr UINT kKindMainStorage = 50123;
inline constexpr UINT kKindStorageCard = 50124;
} // namespace ids

// The platform's major version, asked once (4: Windows Mobile 2003, 5 and up).
int PlatformMajorVersion();

} // namespace norvane
