// Feeds arbitrary text to the safe-mode rules that read what the registry
// holds: the installer's list of safe services, service prefixes and DLL names,
// input-method values and the configured start-up folder, and checks their
// promises.
#include "SafeModeRules.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckText(const std::wstring& text) {
    using namespace norvane::safemode;
    // The list: entries are trimmed, without commas, never empty.
    const auto entries = ParseSafeServices(text);
    for (const auto& entry : entries) {
        Check(!entry.empty() && entry.find(L',') == std::wstring::npos);
        Check(entry.front() != L' ' && entry.back() != L' ');
    }
    // The first piece as a prefix against the whole text as the list.
    const size_t comma = text.find(L',');
    const std::wstring prefix = text.substr(0, comma == std::wstring::npos ? text.size() : comma);
    const bool safe = IsSafeService(prefix, 0, text);
    Check(!EqualsNoCase(prefix, kOwnPrefix) || safe);
    if (!entries.empty() && !EqualsNoCase(prefix, kOwnPrefix)) {
        bool listed = false;
        for (const auto& entry : entries) {
            listed = listed || entry == prefix + L"0";
        }
        Check(safe == listed);
    }
    // A DLL name switched off comes back as it was; twice off is once off.
    const std::wstring off = DisabledDllName(text);
    Check(DisabledDllName(off) == off);
    const auto back = RestoredDllName(off);
    if (!text.empty() && !EndsWithNoCase(text, kDisableSuffix)) {
        Check(back.has_value() && *back == text);
    }
    IsInputMethodOn(text);
    IsKeptInputMethodServer(text);
    // The start-up folder guard: the disabled folder itself never moves, nor
    // anything above it.
    const std::wstring disabled = L"\\Windows\\StartUp_nv_disable";
    if (IsMovableStartUpFolder(text, disabled)) {
        Check(PathComponents(text).has_value() && !PathComponents(text)->empty());
    }
    Check(!IsMovableStartUpFolder(disabled + L"\\" + text, disabled) ||
          text.find(L"..") != std::wstring::npos);
    const std::wstring numbered = NumberedFileName(text, 12);
    Check(numbered.size() == text.size() + 5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckText(norvane::Utf16LeBytesToText(bytes));
    CheckText(norvane::Utf8ToUtf16(bytes));
    return 0;
}
