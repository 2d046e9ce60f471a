// The status values that meters show: free program memory, the main and the
// backup battery, free main storage and free space on storage cards. One
// record keeps the current values; each source is re-read on request and says
// whether it changed, so that only the meters that depend on it are redrawn.
// Percentages and the short value texts ("87%", "5.50M", "1.50G") are worked
// out here. The platform's calls come in through StatusPlatform.
//
// The power fields are written by the power-notification thread and read by
// the window's thread; they are handed over under a lock, so a reader never
// sees half of an update. Everything else runs on the window's thread.
#pragma once

#include "MeterDefinition.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// The extended power status record of the platform: 56 bytes.
inline constexpr std::size_t kPowerStatusSize = 56;
namespace powerbyte {
inline constexpr std::size_t kACLine = 0;
inline constexpr std::size_t kBatteryFlag = 1;
inline constexpr std::size_t kBatteryPercent = 2;
inline constexpr std::size_t kBackupBatteryFlag = 13;
inline constexpr std::size_t kBackupBatteryPercent = 14;
inline constexpr std::uint8_t kCharging = 8;
inline constexpr std::uint8_t kUnknown = 255;
} // namespace powerbyte

// A power record built from a power-information notification: only the four
// battery bytes are set; the AC line reads 0.
void PowerRecordFromNotification(std::uint8_t (&record)[kPowerStatusSize], std::uint8_t batteryFlag,
                                 std::uint8_t batteryPercent, std::uint8_t backupFlag,
                                 std::uint8_t backupPercent);

class StatusPlatform {
public:
    virtual ~StatusPlatform() = default;
    // The extended power status, asked with an update request.
    virtual bool ReadPowerStatus(std::uint8_t (&record)[kPowerStatusSize]) = 0;
    // Memory load (percent), total and available physical memory.
    virtual bool ReadMemoryStatus(unsigned& load, std::uint32_t& total, std::uint32_t& available) = 0;
    // Total free bytes (not the caller's quota) and total bytes of a folder's volume.
    virtual bool ReadFreeSpace(const std::wstring& folder, std::uint64_t& freeBytes,
                               std::uint64_t& totalBytes) = 0;
    // Whether the path's attributes can be read and mark a folder.
    virtual bool IsFolder(const std::wstring& path) = 0;
};

struct PowerState {
    bool charging = false;
    bool backupCharging = false;
    int percent = -1; // 0-100, -1 unknown
    int backupPercent = -1;
};

struct StorageCardEntry {
    std::wstring path;
    bool valid = false;
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;
};

class SystemStatus {
public:
    explicit SystemStatus(StatusPlatform& platform) : m_platform(platform) {}
    SystemStatus(const SystemStatus&) = delete;
    SystemStatus& operator=(const SystemStatus&) = delete;

    // The change bits (2 battery, 4 backup battery) of a new power status: the
    // record given (a notification), or the platform's, asked now. 0 when the
    // platform cannot answer (the status then reads unknown). Safe from any
    // thread.
    unsigned UpdatePower(const std::uint8_t* record = nullptr);
    // Bit 1 when the free percent changed.
    unsigned UpdateMemory();
    // Bit 8 when free or total bytes of "\" changed.
    unsigned UpdateMainStorage();
    // Bit 16 when any card's figures changed. A card folder that appeared
    // since its entry was made becomes valid, one that went away invalid.
    unsigned UpdateStorageCards();

    // Percent and value text of a kind; storagePath names the card for kind 16.
    int Percent(unsigned kind, std::wstring_view storagePath = {});
    std::wstring ValueText(unsigned kind, std::wstring_view storagePath = {});

    PowerState Power() const;
    int MemoryFreePercent() const { return m_memoryFreePercent; }
    std::uint32_t TotalPhysicalMemory() const { return m_totalPhysical; }
    std::uint32_t AvailablePhysicalMemory() const { return m_availablePhysical; }
    std::uint64_t MainStorageFree() const { return m_mainFree; }
    std::uint64_t MainStorageTotal() const { return m_mainTotal; }
    // The cache entry of a card folder, made (and measured) on first use.
    const StorageCardEntry& StorageCard(std::wstring_view path);
    const std::vector<StorageCardEntry>& StorageCards() const { return m_cards; }

private:
    StorageCardEntry& CardEntry(std::wstring_view path);
    void Measure(StorageCardEntry& entry);

    StatusPlatform& m_platform;
    mutable std::mutex m_powerLock;
    PowerState m_power;
    int m_memoryFreePercent = 0;
    std::uint32_t m_totalPhysical = 0;
    std::uint32_t m_availablePhysical = 0;
    std::uint64_t m_mainFree = 0;
    std::uint64_t m_mainTotal = 0;
    std::vector<StorageCardEntry> m_cards;
};

// "%d.%02dM", "%d.%01dM" or "%dM" of a 32-bit byte count.
std::wstring SizeText(std::uint32_t bytes);
// Size text below 1000 MB, else "%d.%02dG", "%d.%01dG" or "%dG".
std::wstring LargeSizeText(std::uint64_t bytes);

// A meter's caption texts: with longForm the name of its first element (the
// card's folder name for a storage card), otherwise that element's value text.
// kindName gives the names of the kinds ("Memory", ..., "Storage card").
std::wstring MeterDescription(const MeterDefinition& definition, bool longForm, SystemStatus& status,
                              const std::function<std::wstring(unsigned kind)>& kindName);

} // namespace norvane
