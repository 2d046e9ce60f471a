// The status record: power, memory and storage updates with their change bits,
// percentages, value texts and the size formats.
#include "MeterTestSource.h"
#include "SystemStatus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace norvane {
namespace {

class FakePlatform : public StatusPlatform {
public:
    bool ReadPowerStatus(std::uint8_t (&record)[kPowerStatusSize]) override {
        std::memcpy(record, power, sizeof record);
        return powerWorks;
    }
    bool ReadMemoryStatus(unsigned& l, std::uint32_t& t, std::uint32_t& a) override {
        l = load;
        t = total;
        a = available;
        return true;
    }
    bool ReadFreeSpace(const std::wstring& folder, std::uint64_t& f, std::uint64_t& t) override {
        ++freeSpaceReads[folder];
        auto found = volumes.find(folder);
        if (found == volumes.end()) {
            return false;
        }
        f = found->second.first;
        t = found->second.second;
        return true;
    }
    bool IsFolder(const std::wstring& path) override { return volumes.count(path) != 0; }

    void SetPower(int ac, int flag, int percent, int backupFlag, int backupPercent) {
        std::memset(power, 0, sizeof power);
        power[0] = static_cast<std::uint8_t>(ac);
        power[1] = static_cast<std::uint8_t>(flag);
        power[2] = static_cast<std::uint8_t>(percent);
        power[13] = static_cast<std::uint8_t>(backupFlag);
        power[14] = static_cast<std::uint8_t>(backupPercent);
    }

    std::uint8_t power[kPowerStatusSize] = {};
    bool powerWorks = true;
    unsigned load = 40;
    std::uint32_t total = 64u << 20;
    std::uint32_t available = 5767168;
    std::map<std::wstring, std::pair<std::uint64_t, std::uint64_t>> volumes;
    std::map<std::wstring, int> freeSpaceReads;
};

TEST(SystemStatus, PowerReadsTheFiveBytesAndReportsWhatChanged) {
    FakePlatform platform;
    SystemStatus status(platform);
    struct Step {
        int ac, flag, percent, backupFlag, backupPercent;
        unsigned changed;
        bool charging, backupCharging;
        int readPercent, readBackup;
        const wchar_t* text;
    } steps[] = {
        {0, 1, 87, 1, 100, 6, false, false, 87, 100, L"87%"},
        {0, 1, 87, 1, 100, 0, false, false, 87, 100, L"87%"},
        {1, 1, 87, 1, 100, 2, true, false, 87, 100, L"87%"},   // on AC: charging
        {0, 9, 87, 1, 100, 0, true, false, 87, 100, L"87%"},   // high and charging
        {0, 1, 255, 1, 100, 2, false, false, -1, 100, L""},    // unknown percent
        {0, 255, 50, 1, 70, 4, false, false, -1, -1, L""},     // unknown flag: both unknown
        {0, 2, 10, 8, 70, 6, false, true, 10, 70, L"10%"},     // backup charging
        {0, 1, 10, 255, 255, 4, false, false, 10, -1, L"10%"}, // backup unknown
    };
    for (const Step& s : steps) {
        platform.SetPower(s.ac, s.flag, s.percent, s.backupFlag, s.backupPercent);
        EXPECT_EQ(status.UpdatePower(), s.changed) << s.percent << " flag " << s.flag;
        PowerState power = status.Power();
        EXPECT_EQ(power.charging, s.charging) << s.percent << " flag " << s.flag;
        EXPECT_EQ(power.backupCharging, s.backupCharging);
        EXPECT_EQ(status.Percent(statuskind::kBattery), s.readPercent);
        EXPECT_EQ(status.Percent(statuskind::kBackupBattery), s.readBackup);
        EXPECT_EQ(status.ValueText(statuskind::kBattery), s.text);
    }
    // A failed platform call leaves everything unknown and reports nothing.
    platform.powerWorks = false;
    EXPECT_EQ(status.UpdatePower(), 0u);
    EXPECT_EQ(status.Percent(statuskind::kBattery), -1);
    EXPECT_FALSE(status.Power().charging);
}

TEST(SystemStatus, NotificationRecordsCarryNoAcLine) {
    FakePlatform platform;
    SystemStatus status(platform);
    std::uint8_t record[kPowerStatusSize];
    PowerRecordFromNotification(record, 1, 60, 1, 90);
    EXPECT_EQ(status.UpdatePower(record), 6u);
    EXPECT_FALSE(status.Power().charging);
    EXPECT_EQ(status.Percent(statuskind::kBattery), 60);
    PowerRecordFromNotification(record, 9, 61, 1, 90);
    EXPECT_EQ(status.UpdatePower(record), 2u);
    EXPECT_TRUE(status.Power().charging);
    EXPECT_EQ(status.ValueText(statuskind::kBackupBattery), L"90%");
}

TEST(SystemStatus, MemoryAndMainStorage) {
    FakePlatform platform;
    SystemStatus status(platform);
    EXPECT_EQ(status.UpdateMemory(), 1u);
    EXPECT_EQ(status.Percent(statuskind::kMemory), 60);
    EXPECT_EQ(status.ValueText(statuskind::kMemory), L"5.50M");
    EXPECT_EQ(status.UpdateMemory(), 0u);
    platform.available = 15990784; // the free bytes move, the percent does not
    EXPECT_EQ(status.UpdateMemory(), 0u);
    EXPECT_EQ(status.ValueText(statuskind::kMemory), L"15.2M");
    platform.load = 41;
    EXPECT_EQ(status.UpdateMemory(), 1u);
    EXPECT_EQ(status.Percent(statuskind::kMemory), 59);

    EXPECT_EQ(status.UpdateMainStorage(), 0u) << "no figures: nothing changes";
    EXPECT_EQ(status.Percent(statuskind::kMainStorage), 0);
    platform.volumes[L"\\"] = {91ull << 20, 128ull << 20};
    EXPECT_EQ(status.UpdateMainStorage(), 8u);
    EXPECT_EQ(status.Percent(statuskind::kMainStorage), 71); // 91 / 128 = 71.09
    EXPECT_EQ(status.ValueText(statuskind::kMainStorage), L"91.0M");
    EXPECT_EQ(status.UpdateMainStorage(), 0u);
    platform.volumes[L"\\"] = {91ull << 20, 129ull << 20};
    EXPECT_EQ(status.UpdateMainStorage(), 8u) << "the total counts too";
    EXPECT_EQ(status.Percent(99), 0);
    EXPECT_EQ(status.ValueText(99), L"");
}

TEST(SystemStatus, StorageCardsAreCachedByPathAndFollowInsertion) {
    FakePlatform platform;
    SystemStatus status(platform);
    // A card that does not exist: an invalid entry at 0 %.
    EXPECT_EQ(status.Percent(statuskind::kStorageCard, L"\\Storage Card"), 0);
    EXPECT_EQ(status.ValueText(statuskind::kStorageCard, L"\\storage card"), L"0.00M");
    EXPECT_EQ(status.StorageCards().size(), 1u) << "paths compare without regard to case";
    EXPECT_FALSE(status.StorageCards()[0].valid);
    EXPECT_EQ(status.UpdateStorageCards(), 0u);

    // Inserted later: the next update finds it.
    platform.volumes[L"\\Storage Card"] = {64ull << 20, 256ull << 20};
    EXPECT_EQ(status.UpdateStorageCards(), 16u);
    EXPECT_EQ(status.Percent(statuskind::kStorageCard, L"\\Storage Card"), 25);
    EXPECT_EQ(status.ValueText(statuskind::kStorageCard, L"\\Storage Card"), L"64.0M");
    // Figures are read when asked, not at every percent.
    const int reads = platform.freeSpaceReads[L"\\Storage Card"];
    status.Percent(statuskind::kStorageCard, L"\\Storage Card");
    EXPECT_EQ(platform.freeSpaceReads[L"\\Storage Card"], reads);
    EXPECT_EQ(status.UpdateStorageCards(), 0u);
    platform.volumes[L"\\Storage Card"] = {63ull << 20, 256ull << 20};
    EXPECT_EQ(status.UpdateStorageCards(), 16u);
    // Removed: back to zeros.
    platform.volumes.erase(L"\\Storage Card");
    EXPECT_EQ(status.UpdateStorageCards(), 16u);
    EXPECT_EQ(status.Percent(statuskind::kStorageCard, L"\\Storage Card"), 0);
    // An empty path never is a card.
    EXPECT_EQ(status.Percent(statuskind::kStorageCard, L""), 0);
}

TEST(SystemStatus, SizeTexts) {
    struct Case {
        std::uint64_t bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0.00M"},
        {5767168, L"5.50M"},
        {15990784, L"15.2M"},
        {157286400, L"150M"},
        {10485759, L"9.99M"}, // the fraction stops at 99
        {10485760, L"10.0M"},
        {104857599, L"99.9M"},
        {104857600, L"100M"},
        {1572864000, L"1.50G"},
        {12582912000ull, L"12.0G"},
        {157286400000ull, L"150G"},
        {1048575999, L"999M"},
        {1048576000, L"1.00G"},
        {10485759999ull, L"9.99G"},
        {10485760000ull, L"10.0G"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LargeSizeText(c.bytes), c.text) << c.bytes;
    }
    EXPECT_EQ(SizeText(4294967295u), L"4095M");
}

TEST(SystemStatus, DescriptionsNameTheFirstElement) {
    FakePlatform platform;
    SystemStatus status(platform);
    platform.SetPower(0, 1, 42, 1, 100);
    status.UpdatePower();
    test::FakeMeterSource source;
    auto names = [](unsigned kind) { return L"kind" + std::to_wstring(kind); };
    SettingsFile file;
    file.LoadFromBytes("[32]\r\nbackup-battery=a\r\nbattery=b\r\n");
    MeterDefinition batteries;
    batteries.Load(file, L"\\m\\meter.ini", 32, nullptr, source);
    EXPECT_EQ(MeterDescription(batteries, true, status, names), L"kind2");
    EXPECT_EQ(MeterDescription(batteries, false, status, names), L"42%");

    SettingsFile cardFile;
    cardFile.LoadFromBytes("[16]\r\nstorage-card=a\r\n");
    source.firstCard = L"SD Card";
    MeterDefinition card;
    card.Load(cardFile, L"\\m\\meter.ini", 16, nullptr, source);
    EXPECT_EQ(MeterDescription(card, true, status, names), L"SD Card");
    source.firstCard.clear();
    MeterDefinition noCard;
    noCard.Load(cardFile, L"\\m\\meter.ini", 16, nullptr, source);
    EXPECT_EQ(MeterDescription(noCard, true, status, names), L"kind16");
    EXPECT_EQ(MeterDescription(noCard, false, status, names), L"0.00M");

    MeterDefinition empty;
    EXPECT_EQ(MeterDescription(empty, true, status, names), L"");
}

} // namespace
} // namespace norvane
