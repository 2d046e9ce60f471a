// The status record, its updates, percentages and value texts.
#include "SystemStatus.h"

#include "TextCodec.h"

#include <cstdio>
#include <cstring>

namespace norvane {

namespace {

std::wstring Format(const wchar_t* format, unsigned a, unsigned b) {
    wchar_t buffer[48];
    std::swprintf(buffer, 48, format, a, b);
    return buffer;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerCaseUnit(a[i]) != LowerCaseUnit(b[i])) {
            return false;
        }
    }
    return true;
}

int StoragePercent(std::uint64_t freeBytes, std::uint64_t totalBytes) {
    if (totalBytes == 0) {
        return 0;
    }
    return static_cast<int>(static_cast<double>(freeBytes) * 100.0 / static_cast<double>(totalBytes));
}

} // namespace

void PowerRecordFromNotification(std::uint8_t (&record)[kPowerStatusSize], std::uint8_t batteryFlag,
                                 std::uint8_t batteryPercent, std::uint8_t backupFlag,
                                 std::uint8_t backupPercent) {
    std::memset(record, 0, sizeof record);
    record[powerbyte::kBatteryFlag] = batteryFlag;
    record[powerbyte::kBatteryPercent] = batteryPercent;
    record[powerbyte::kBackupBatteryFlag] = backupFlag;
    record[powerbyte::kBackupBatteryPercent] = backupPercent;
}

unsigned SystemStatus::UpdatePower(const std::uint8_t* given) {
    std::uint8_t asked[kPowerStatusSize] = {};
    const bool known = given != nullptr || m_platform.ReadPowerStatus(asked);
    const std::uint8_t* record = given ? given : asked;

    PowerState next;
    if (known) {
        const std::uint8_t flag = record[powerbyte::kBatteryFlag];
        const std::uint8_t percent = record[powerbyte::kBatteryPercent];
        const std::uint8_t backupFlag = record[powerbyte::kBackupBatteryFlag];
        const std::uint8_t backupPercent = record[powerbyte::kBackupBatteryPercent];
        // The flags are bit sets (high and charging read 9), and 255 means
        // unknown, not every bit.
        auto charging = [](std::uint8_t f) {
            return f != powerbyte::kUnknown && (f & powerbyte::kCharging) != 0;
        };
        next.charging = record[powerbyte::kACLine] == 1 || charging(flag);
        next.backupCharging = charging(backupFlag);
        if (percent != powerbyte::kUnknown && flag != powerbyte::kUnknown) {
            next.percent = percent;
        }
        // The main battery's flag decides for the backup battery as well.
        if (flag != powerbyte::kUnknown && backupPercent != powerbyte::kUnknown) {
            next.backupPercent = backupPercent;
        }
    }
    std::lock_guard<std::mutex> guard(m_powerLock);
    const PowerState before = m_power;
    m_power = next;
    if (!known) {
        return 0;
    }
    unsigned changed = 0;
    if (next.charging != before.charging || next.percent != before.percent) {
        changed |= statuskind::kBattery;
    }
    if (next.backupCharging != before.backupCharging || next.backupPercent != before.backupPercent) {
        changed |= statuskind::kBackupBattery;
    }
    return changed;
}

PowerState SystemStatus::Power() const {
    std::lock_guard<std::mutex> guard(m_powerLock);
    return m_power;
}

unsigned SystemStatus::UpdateMemory() {
    unsigned load = 0;
    std::uint32_t total = 0;
    std::uint32_t available = 0;
    if (!m_platform.ReadMemoryStatus(load, total, available)) {
        return 0;
    }
    const int before = m_memoryFreePercent;
    m_memoryFreePercent = 100 - static_cast<int>(load > 100 ? 100 : load);
    m_totalPhysical = total;
    m_availablePhysical = available;
    return m_memoryFreePercent != before ? statuskind::kMemory : 0;
}

unsigned SystemStatus::UpdateMainStorage() {
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;
    if (!m_platform.ReadFreeSpace(L"\\", freeBytes, totalBytes)) {
        return 0;
    }
    const bool changed = freeBytes != m_mainFree || totalBytes != m_mainTotal;
    m_mainFree = freeBytes;
    m_mainTotal = totalBytes;
    return changed ? statuskind::kMainStorage : 0;
}

void SystemStatus::Measure(StorageCardEntry& entry) {
    entry.freeBytes = 0;
    entry.totalBytes = 0;
    if (entry.valid && !m_platform.ReadFreeSpace(entry.path, entry.freeBytes, entry.totalBytes)) {
        entry.freeBytes = 0;
        entry.totalBytes = 0;
    }
}

StorageCardEntry& SystemStatus::CardEntry(std::wstring_view path) {
    for (StorageCardEntry& entry : m_cards) {
        if (SamePath(entry.path, path)) {
            return entry;
        }
    }
    StorageCardEntry entry;
    entry.path.assign(path);
    entry.valid = !entry.path.empty() && m_platform.IsFolder(entry.path);
    Measure(entry);
    m_cards.push_back(std::move(entry));
    return m_cards.back();
}

const StorageCardEntry& SystemStatus::StorageCard(std::wstring_view path) {
    return CardEntry(path);
}

unsigned SystemStatus::UpdateStorageCards() {
    bool changed = false;
    for (StorageCardEntry& entry : m_cards) {
        const bool wasValid = entry.valid;
        const std::uint64_t freeBefore = entry.freeBytes;
        const std::uint64_t totalBefore = entry.totalBytes;
        // A card inserted after its meter was first drawn would otherwise stay
        // at 0 % until the Today screen restarts.
        entry.valid = !entry.path.empty() && m_platform.IsFolder(entry.path);
        Measure(entry);
        if (entry.valid != wasValid || entry.freeBytes != freeBefore || entry.totalBytes != totalBefore) {
            changed = true;
        }
    }
    return changed ? statuskind::kStorageCard : 0;
}

int SystemStatus::Percent(unsigned kind, std::wstring_view storagePath) {
    switch (kind) {
    case statuskind::kMemory:
        return m_memoryFreePercent;
    case statuskind::kBattery:
        return Power().percent;
    case statuskind::kBackupBattery:
        return Power().backupPercent;
    case statuskind::kMainStorage:
        return StoragePercent(m_mainFree, m_mainTotal);
    case statuskind::kStorageCard: {
        const StorageCardEntry& card = CardEntry(storagePath);
        return StoragePercent(card.freeBytes, card.totalBytes);
    }
    default:
        return 0;
    }
}

std::wstring SystemStatus::ValueText(unsigned kind, std::wstring_view storagePath) {
    switch (kind) {
    case statuskind::kMemory:
        return SizeText(m_availablePhysical);
    case statuskind::kBattery:
    case statuskind::kBackupBattery: {
        const PowerState power = Power();
        const int percent = kind == statuskind::kBattery ? power.percent : power.backupPercent;
        return percent < 0 ? std::wstring() : std::to_wstring(percent) + L"%";
    }
    case statuskind::kMainStorage:
        return LargeSizeText(m_mainFree);
    case statuskind::kStorageCard:
        return LargeSizeText(CardEntry(storagePath).freeBytes);
    default:
        return {};
    }
}

std::wstring SizeText(std::uint32_t bytes) {
    const unsigned megabytes = bytes >> 20;
    const unsigned rest = bytes & 1048575u;
    if (bytes < 10485760u) {
        // The last 75 bytes of a megabyte would give a fraction of 100 and
        // read as ".100": the fraction stops at 99.
        unsigned hundredths = rest / 10485u;
        return Format(L"%u.%02uM", megabytes, hundredths > 99 ? 99 : hundredths);
    }
    if (bytes < 104857600u) {
        unsigned tenths = rest / 104850u;
        return Format(L"%u.%01uM", megabytes, tenths > 9 ? 9 : tenths);
    }
    return Format(L"%uM", megabytes, 0);
}

std::wstring LargeSizeText(std::uint64_t bytes) {
    constexpr std::uint64_t kGiga = 1048576000ull;
    if (bytes < kGiga) {
        return SizeText(static_cast<std::uint32_t>(bytes));
    }
    const std::uint64_t g = bytes / kGiga;
    const unsigned h = static_cast<unsigned>((bytes - g * kGiga) / 10485760ull);
    wchar_t buffer[48];
    if (g < 10) {
        std::swprintf(buffer, 48, L"%u.%02uG", static_cast<unsigned>(g), h);
    } else if (g < 100) {
        std::swprintf(buffer, 48, L"%u.%01uG", static_cast<unsigned>(g), h / 10);
    } else {
        std::swprintf(buffer, 48, L"%lluG", static_cast<unsigned long long>(g));
    }
    return buffer;
}

std::wstring MeterDescription(const MeterDefinition& definition, bool longForm, SystemStatus& status,
                              const std::function<std::wstring(unsigned kind)>& kindName) {
    for (unsigned kind : statuskind::kOrder) {
        const MeterElement* element = definition.ElementFor(kind);
        if (!element) {
            continue;
        }
        if (!longForm) {
            return status.ValueText(kind, element->StoragePath);
        }
        if (kind == statuskind::kStorageCard) {
            std::wstring_view path = element->StoragePath;
            while (!path.empty() && path.back() == L'\\') {
                path.remove_suffix(1);
            }
            const std::size_t slash = path.rfind(L'\\');
            std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
            if (!name.empty()) {
                return std::wstring(name);
            }
        }
        return kindName ? kindName(kind) : std::wstring();
    }
    return {};
}

} // namespace norvane
