#include "SafeModeRules.h"

#include <algorithm>
#include <array>

namespace norvane::safemode {

namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The platform's own services, which stay on when the installer recorded no list.
constexpr std::array<std::wstring_view, 11> kPlatformPrefixes = {
    L"BAG", L"NFY", L"OBX", L"BHL", L"CRD", L"DPT", L"LAS", L"AP1", L"PPS", L"RPS", L"SNA"};

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

} // namespace

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::vector<std::wstring> ParseSafeServices(std::wstring_view list) {
    std::vector<std::wstring> entries;
    while (true) {
        const size_t comma = list.find(L',');
        const std::wstring_view entry = Trim(list.substr(0, comma));
        if (!entry.empty()) {
            entries.emplace_back(entry);
        }
        if (comma == std::wstring_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    return entries;
}

bool IsSafeService(std::wstring_view prefix, uint32_t index, std::wstring_view safeList) {
    if (EqualsNoCase(prefix, kOwnPrefix)) {
        return true;
    }
    const std::vector<std::wstring> entries = ParseSafeServices(safeList);
    if (!entries.empty()) {
        // The installer wrote prefix and index exactly as the registry holds them.
        const std::wstring name = std::wstring(prefix) + std::to_wstring(index);
        for (const std::wstring& entry : entries) {
            if (entry == name) {
                return true;
            }
        }
        return false;
    }
    for (std::wstring_view platform : kPlatformPrefixes) {
        if (EqualsNoCase(prefix, platform)) {
            return true;
        }
    }
    return false;
}

std::wstring DisabledDllName(std::wstring_view dll) {
    if (EndsWithNoCase(dll, kDisableSuffix)) {
        return std::wstring(dll);
    }
    return std::wstring(dll) + std::wstring(kDisableSuffix);
}

std::optional<std::wstring> RestoredDllName(std::wstring_view dll) {
    if (dll.size() <= kDisableSuffix.size() || !EndsWithNoCase(dll, kDisableSuffix)) {
        return std::nullopt;
    }
    return std::wstring(dll.substr(0, dll.size() - kDisableSuffix.size()));
}

bool IsInputMethodOn(std::wstring_view isSipInputMethod) {
    return !isSipInputMethod.empty() && isSipInputMethod.front() != L'0';
}

bool IsKeptInputMethodServer(std::wstring_view inprocServer) {
    std::wstring_view name = Trim(inprocServer);
    // A quoted name, as some registrations write it.
    if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"') {
        name = name.substr(1, name.size() - 2);
    }
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) {
        name.remove_prefix(slash + 1);
    }
    return EqualsNoCase(name, L"msim.dll");
}

std::optional<std::vector<std::wstring>> PathComponents(std::wstring_view path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        std::wstring_view part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == L".") {
            continue;
        }
        if (part == L"..") {
            if (parts.empty()) {
                return std::nullopt;
            }
            parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) {
            part.remove_suffix(1);
        }
        if (part.empty()) {
            return std::nullopt;
        }
        std::wstring folded(part);
        for (wchar_t& c : folded) {
            c = FoldAscii(c);
        }
        parts.push_back(std::move(folded));
    }
    return parts;
}

bool IsMovableStartUpFolder(std::wstring_view startUp, std::wstring_view disabledFolder) {
    auto folder = PathComponents(startUp);
    auto disabled = PathComponents(disabledFolder);
    if (!folder || !disabled) {
        return false;
    }
    // The device has one volume: "C:\Windows" is "\Windows".
    for (auto* parts : {&*folder, &*disabled}) {
        if (!parts->empty() && parts->front().size() == 2 && parts->front()[1] == L':') {
            parts->erase(parts->begin());
        }
    }
    // A root holds the whole device.
    if (folder->empty() || disabled->empty()) {
        return false;
    }
    // One of them inside the other (or both the same folder).
    const size_t common = std::min(folder->size(), disabled->size());
    for (size_t i = 0; i < common; ++i) {
        if ((*folder)[i] != (*disabled)[i]) {
            return true;
        }
    }
    return false;
}

NormalStartPlan PlanNormalStart(std::optional<uint32_t> promptMode, bool quickRestart,
                                std::optional<uint32_t> forceReset) {
    NormalStartPlan plan;
    const uint32_t mode = promptMode.value_or(1);
    plan.showPrompt = mode != 0 && mode != 2;
    if (quickRestart) {
        if (mode == 2) {
            plan.showPrompt = true;
        }
        plan.autoSafeMode = forceReset.has_value() && *forceReset != 0;
    }
    // An automatic safe mode keeps the time of the start before it, so that the
    // next start is measured against a start that the user actually saw.
    plan.writeLastReset = !plan.autoSafeMode;
    return plan;
}

bool IsQuickRestart(int64_t lastReset, int64_t now) {
    // The difference taken without sign, so that no pair of values overflows.
    return lastReset < now && static_cast<uint64_t>(now) - static_cast<uint64_t>(lastReset) <=
                                  static_cast<uint64_t>(kQuickRestartTicks);
}

std::wstring NumberedFileName(std::wstring_view name, int number) {
    size_t dot = name.rfind(L'.');
    if (dot == 0 || dot == std::wstring_view::npos) {
        dot = name.size();
    }
    return std::wstring(name.substr(0, dot)) + L" (" + std::to_wstring(number) + L")" +
           std::wstring(name.substr(dot));
}

} // namespace norvane::safemode
