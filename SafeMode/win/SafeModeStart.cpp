#include "SafeModeStart.h"

#include "SafeModeKeys.h"
#include "SafeModeRules.h"
#include "Win32Handles.h"

#include <oleauto.h>

namespace norvane::safemode {

namespace {

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> ReadLastReset(HKEY key) {
    wchar_t text[kMaxLastResetText + 1] = L"";
    DWORD type = 0;
    DWORD size = kMaxLastResetText * sizeof(wchar_t);
    if (RegQueryValueExW(key, kLastResetValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    text[std::min<DWORD>(size / sizeof(wchar_t), kMaxLastResetText)] = L'\0';
    return std::wstring(text);
}

} // namespace

std::wstring DateText(const SYSTEMTIME& time) {
    DATE date = 0;
    SYSTEMTIME copy = time;
    // The conversion keeps whole seconds.
    copy.wMilliseconds = 0;
    if (!SystemTimeToVariantTime(&copy, &date)) {
        return {};
    }
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &text)) || !text) {
        return {};
    }
    std::wstring result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

std::optional<int64_t> ParseDateText(const std::wstring& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    DATE date = 0;
    if (FAILED(VarDateFromStr(const_cast<LPOLESTR>(text.c_str()), LOCALE_USER_DEFAULT, 0, &date))) {
        return std::nullopt;
    }
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date, &time)) {
        return std::nullopt;
    }
    return Ticks(time);
}

int64_t Ticks(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) {
        return 0;
    }
    return static_cast<int64_t>((static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
}

bool WriteSafeMode(HKEY machine, DWORD mode) {
    UniqueRegKey service;
    if (RegCreateKeyExW(machine, kServiceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, service.Receive(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool written = RegSetValueExW(service.Get(), kSafeModeValue, 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&mode), sizeof mode) == ERROR_SUCCESS;
    RegFlushKey(service.Get());
    return written;
}

StartDecision DecideStart(SafeModeSwitch& safeModeSwitch, HKEY machine, const SYSTEMTIME& now) {
    StartDecision decision;
    UniqueRegKey service;
    if (RegOpenKeyExW(machine, kServiceKey, 0, KEY_READ | KEY_SET_VALUE, service.Receive()) !=
        ERROR_SUCCESS) {
        service.Reset();
    }
    if (service) {
        decision.startMode = ReadDword(service.Get(), kSafeModeValue).value_or(0);
    }
    if (decision.startMode == 0) {
        if (service) {
            RegDeleteValueW(service.Get(), kSafeModeValue);
        }
        safeModeSwitch.RestoreAll();
        std::optional<DWORD> promptMode;
        std::optional<DWORD> forceReset;
        bool quickRestart = false;
        if (service) {
            promptMode = ReadDword(service.Get(), kPromptModeValue);
            forceReset = ReadDword(service.Get(), kForceResetValue);
            if (const auto text = ReadLastReset(service.Get())) {
                if (const auto last = ParseDateText(*text)) {
                    quickRestart = IsQuickRestart(*last, Ticks(now));
                }
            }
        }
        const NormalStartPlan plan = PlanNormalStart(promptMode, quickRestart, forceReset);
        decision.showPrompt = plan.showPrompt;
        decision.autoSafeMode = plan.autoSafeMode;
        if (plan.writeLastReset && service) {
            const std::wstring text = DateText(now);
            if (!text.empty()) {
                RegSetValueExW(service.Get(), kLastResetValue, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            }
        }
    } else {
        decision.showPrompt = true;
        decision.autoSafeMode = false;
    }
    if (service) {
        RegDeleteValueW(service.Get(), kSafeModeValue);
        RegFlushKey(service.Get());
    }
    return decision;
}

} // namespace norvane::safemode
