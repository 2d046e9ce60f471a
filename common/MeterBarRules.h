// Portable rules of the top meter bar and the system status dialog: which
// status kind a MeterBar text selects, how much of the bar is revealed for a
// percentage, and the battery line of the status dialog.
#pragma once

#include <string>
#include <string_view>

namespace norvane {

// The texts of the bar's fixed choices, from the plug-in's string table.
struct MeterBarNames {
    std::wstring none;          // "None"
    std::wstring battery;       // "Battery"
    std::wstring backupBattery; // "Backup Battery"
    std::wstring memory;        // "Memory"
    std::wstring mainStorage;   // "Main Storage"
};

struct MeterBarSelection {
    unsigned kind = 0;        // a status kind bit, 0 for no bar
    std::wstring storagePath; // the card's folder for the storage-card kind
};

// The kind a MeterBar text selects, each text compared without regard to
// case: empty or "None" no bar, the four fixed names their kinds, any other
// text a storage card whose folder is that text.
MeterBarSelection SelectMeterBar(std::wstring_view selection, const MeterBarNames& names);

// The same with a language module's names first and the plug-in's own names
// after them: the setting's default ("Battery") and a choice saved before the
// language changed keep their meaning, rather than naming a card.
MeterBarSelection SelectMeterBar(std::wstring_view selection, const MeterBarNames& names,
                                 const MeterBarNames& ownNames);

// Whether two selections show the same thing (the card folders compared
// without regard to case): the menu's check mark.
bool SameMeterBarSelection(const MeterBarSelection& a, const MeterBarSelection& b);

// The width of the revealed part: percent of the bar's width, rounded down,
// held to 0..width (a status source never reports more than 100, but a bad
// reading must not draw beyond the bar).
int MeterBarRevealWidth(int percent, int barWidth);

// The battery line of the status dialog. Charging (AC line 1 or battery flag
// 8): the charging word, then " (n%)" when the percent is known; otherwise
// "n%", or the unknown word when the percent or the flag is 255.
std::wstring BatteryStatusText(unsigned acLine, unsigned batteryFlag, unsigned percent,
                               std::wstring_view charging, std::wstring_view unknown);

// A colour written "r,g,b" (the browser's anchor colours), each a decimal
// number from 0 to 255, spaces allowed around them. False, leaving the
// outputs alone, for anything else.
bool ParseColourTriple(std::wstring_view text, int& red, int& green, int& blue);

} // namespace norvane
