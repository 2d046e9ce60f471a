#include "MeterBarRules.h"

#include "MeterDefinition.h"
#include "TextCodec.h"

namespace norvane {

namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
    return LowerCase(a) == LowerCase(b);
}

constexpr unsigned kUnknownByte = 255;
constexpr unsigned kChargingFlag = 8;

} // namespace

MeterBarSelection SelectMeterBar(std::wstring_view selection, const MeterBarNames& names) {
    MeterBarSelection result;
    if (selection.empty() || SameText(selection, names.none)) {
        return result;
    }
    const struct {
        const std::wstring& name;
        unsigned kind;
    } fixed[] = {{names.battery, statuskind::kBattery},
                 {names.backupBattery, statuskind::kBackupBattery},
                 {names.memory, statuskind::kMemory},
                 {names.mainStorage, statuskind::kMainStorage}};
    for (const auto& entry : fixed) {
        if (SameText(selection, entry.name)) {
            result.kind = entry.kind;
            return result;
        }
    }
    result.kind = statuskind::kStorageCard;
    result.storagePath.assign(selection);
    return result;
}

MeterBarSelection SelectMeterBar(std::wstring_view selection, const MeterBarNames& names,
                                 const MeterBarNames& ownNames) {
    MeterBarSelection chosen = SelectMeterBar(selection, names);
    if (chosen.kind == statuskind::kStorageCard) {
        MeterBarSelection own = SelectMeterBar(selection, ownNames);
        if (own.kind != statuskind::kStorageCard) {
            return own;
        }
    }
    return chosen;
}

bool SameMeterBarSelection(const MeterBarSelection& a, const MeterBarSelection& b) {
    return a.kind == b.kind && SameText(a.storagePath, b.storagePath);
}

int MeterBarRevealWidth(int percent, int barWidth) {
    if (barWidth <= 0 || percent <= 0) {
        return 0;
    }
    if (percent >= 100) {
        return barWidth;
    }
    return static_cast<int>(static_cast<long long>(percent) * barWidth / 100);
}

std::wstring BatteryStatusText(unsigned acLine, unsigned batteryFlag, unsigned percent,
                               std::wstring_view charging, std::wstring_view unknown) {
    const bool percentKnown = percent != kUnknownByte && batteryFlag != kUnknownByte;
    const bool isCharging = acLine == 1 || (batteryFlag != kUnknownByte && (batteryFlag & kChargingFlag));
    if (isCharging) {
        std::wstring text(charging);
        if (percent != kUnknownByte) {
            text += L" (" + std::to_wstring(percent) + L"%)";
        }
        return text;
    }
    if (!percentKnown) {
        return std::wstring(unknown);
    }
    return std::to_wstring(percent) + L"%";
}

bool ParseColourTriple(std::wstring_view text, int& red, int& green, int& blue) {
    int values[3] = {};
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        while (at < text.size() && text[at] == L' ') {
            ++at;
        }
        int value = 0;
        size_t digits = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
            value = value * 10 + (text[at] - L'0');
            ++at;
            if (++digits > 3) {
                return false;
            }
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        values[i] = value;
        while (at < text.size() && text[at] == L' ') {
            ++at;
        }
        if (i < 2) {
            if (at >= text.size() || text[at] != L',') {
                return false;
            }
            ++at;
        }
    }
    if (at != text.size()) {
        return false;
    }
    red = values[0];
    green = values[1];
    blue = values[2];
    return true;
}

} // namespace norvane
