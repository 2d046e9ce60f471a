// The decisions of the safe-mode service that need no system call: which
// services stay on in safe mode, how a service's DLL name is switched off and
// on, which input methods are switched off, whether a configured start-up
// folder is safe to move, and what a normal start shows. Portable: no Windows
// header, tested natively and fuzzed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::safemode {

// The suffix that switches a key, a folder or a service DLL off.
inline constexpr std::wstring_view kDisableSuffix = L"_nv_disable";
// The service's own stream-interface prefix.
inline constexpr std::wstring_view kOwnPrefix = L"NVG";
// The list `SafeServices` is read with at most this many characters.
inline constexpr size_t kMaxSafeServicesText = 1024;
// A service prefix is read with at most this many characters.
inline constexpr size_t kMaxPrefixText = 260;

// Equality of two texts with the letters A to Z taken as a to z; other
// characters must match exactly, as the device's own comparison does.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);

// The entries of a `SafeServices` list: split at commas, each trimmed of white
// space at both ends; empty entries are dropped.
std::vector<std::wstring> ParseSafeServices(std::wstring_view list);

// True when a service stays on in safe mode: its prefix is our own; or the
// list is not empty and names prefix + index ("BAG0"); or the list is empty
// and the prefix is one of the platform's own services.
bool IsSafeService(std::wstring_view prefix, uint32_t index, std::wstring_view safeList);

// The `Dll` value of a service switched off. A name that already carries the
// suffix keeps it once: a second disable (after an interrupted one) must not
// stack a suffix that a single restore could not take off again.
std::wstring DisabledDllName(std::wstring_view dll);
// The `Dll` value switched on again, or nothing when it does not end with the
// suffix (or would be empty without it).
std::optional<std::wstring> RestoredDllName(std::wstring_view dll);

// An input method counts as switched on when its `IsSIPInputMethod` text is not
// empty and does not begin with "0".
bool IsInputMethodOn(std::wstring_view isSipInputMethod);
// Input methods served by "msim.dll" stay on. The server may be named with a
// folder ("\Windows\msim.dll"): only the file name counts.
bool IsKeptInputMethodServer(std::wstring_view inprocServer);

// Path components of an absolute path for comparison: separators "\" and "/",
// "." dropped, ".." taking off the component before, trailing dots and spaces
// taken off each component (the file system ignores them). Nothing when the
// path climbs above its root or has a component that is nothing but dots and
// spaces.
std::optional<std::vector<std::wstring>> PathComponents(std::wstring_view path);

// True when the start-up folder may be moved into the disabled folder and back:
// it is no root, not the disabled folder itself, not inside it and not one of
// its ancestors (which would move the disabled folder into itself). Both are
// absolute paths of the same form (the caller resolves them).
bool IsMovableStartUpFolder(std::wstring_view startUp, std::wstring_view disabledFolder);

// What a normal start does after the restore: show the prompt bar, enter safe
// mode at once, and whether `LastReset` is written with the time of this start.
struct NormalStartPlan {
    bool showPrompt = false;
    bool autoSafeMode = false;
    bool writeLastReset = true;
};

// promptMode: `PromptMode` (absent: 1). quickRestart: `LastReset` lies before
// now by at most two minutes. forceReset: `ForceResetEnabled` when readable.
NormalStartPlan PlanNormalStart(std::optional<uint32_t> promptMode, bool quickRestart,
                                std::optional<uint32_t> forceReset);

// Times in 100-nanosecond units on one clock.
inline constexpr int64_t kTicksPerSecond = 10'000'000;
inline constexpr int64_t kQuickRestartTicks = 120 * kTicksPerSecond;
// A start counts as a quick restart when the last normal start lies before now
// and at most two minutes back.
bool IsQuickRestart(int64_t lastReset, int64_t now);

// A free name for a file that meets a different one of the same name in the
// target folder: "name (2).ext", "name (3).ext", ... (the extension kept, so a
// shortcut stays a shortcut). `taken` says whether a name is in use. Empty when
// every number up to kMaxFileNameNumber is taken.
inline constexpr int kMaxFileNameNumber = 9999;
template <typename Taken> std::wstring FreeFileName(std::wstring_view name, Taken taken);

// The name with the counter inserted before the extension.
std::wstring NumberedFileName(std::wstring_view name, int number);

template <typename Taken> std::wstring FreeFileName(std::wstring_view name, Taken taken) {
    for (int number = 2; number <= kMaxFileNameNumber; ++number) {
        std::wstring candidate = NumberedFileName(name, number);
        if (!taken(candidate)) {
            return candidate;
        }
    }
    return {};
}

} // namespace norvane::safemode
