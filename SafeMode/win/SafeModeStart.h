// What the service does early in every start, before its thread runs: a normal
// start puts back what a safe mode switched off and decides from `PromptMode`,
// `LastReset` and `ForceResetEnabled` whether the bar shows and whether safe
// mode is entered at once; a safe-mode start only shows the bar.
#pragma once

#include "SafeModeSwitch.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace norvane::safemode {

// A local time as the device writes dates: its date-to-text conversion with the
// user's default locale and no flags.
std::wstring DateText(const SYSTEMTIME& time);
// The same text read back, in 100-nanosecond ticks; nothing when it does not
// parse.
std::optional<int64_t> ParseDateText(const std::wstring& text);
int64_t Ticks(const SYSTEMTIME& time);

struct StartDecision {
    DWORD startMode = 0; // `SafeMode` as found: 0 normal, 1 entered by the user, 2 automatically
    bool autoSafeMode = false;
    bool showPrompt = false;
};

// Reads and deletes `SafeMode`; on a normal start restores everything first
// (through the switch) and writes `LastReset` unless safe mode follows at once.
StartDecision DecideStart(SafeModeSwitch& safeModeSwitch, HKEY machine, const SYSTEMTIME& now);

// Written before anything is switched off, so that the next start knows.
bool WriteSafeMode(HKEY machine, DWORD mode);

} // namespace norvane::safemode
