// Exception keys: titles that the settings file's key syntax cannot carry are
// escaped behind a marker; all others are written as they are.
#include "ExceptionKey.h"

#include "SettingsParser.h"

namespace norvane {

namespace {

constexpr wchar_t kEscape = L'%';
constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return -1;
}

// Characters that would end the key, or vanish from it, wherever they stand.
bool NeedsEscape(wchar_t c) {
    return c == kEscape || c == L'=' || c < 0x20;
}

// Whether the parser gives the key back exactly as written.
bool ReadsBackAsItself(std::wstring_view title) {
    if (title.empty() || !IsAsciiAlnum(title.front()) || IsSettingsBlank(title.back()) ||
        title.substr(0, kExceptionKeyMarker.size()) == kExceptionKeyMarker) {
        return false;
    }
    for (wchar_t c : title) {
        if (c == L'=' || c < 0x20) {
            return false;
        }
    }
    return true;
}

} // namespace

std::wstring EncodeExceptionKey(std::wstring_view title) {
    if (ReadsBackAsItself(title)) {
        return std::wstring(title);
    }
    std::wstring key(kExceptionKeyMarker);
    key.reserve(key.size() + title.size() + 8);
    for (std::size_t i = 0; i < title.size(); ++i) {
        const wchar_t c = title[i];
        // Every character to escape is below 0x100: two digits suffice.
        const bool trailingBlank = i + 1 == title.size() && IsSettingsBlank(c);
        if (NeedsEscape(c) || trailingBlank) {
            key += kEscape;
            key += kHexDigits[(c >> 4) & 0xF];
            key += kHexDigits[c & 0xF];
        } else {
            key += c;
        }
    }
    return key;
}

std::wstring DecodeExceptionKey(std::wstring_view key) {
    if (key.substr(0, kExceptionKeyMarker.size()) != kExceptionKeyMarker) {
        return std::wstring(key);
    }
    const std::wstring_view body = key.substr(kExceptionKeyMarker.size());
    std::wstring title;
    title.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == kEscape && i + 2 < body.size() && HexValue(body[i + 1]) >= 0 &&
            HexValue(body[i + 2]) >= 0) {
            title += static_cast<wchar_t>(HexValue(body[i + 1]) * 16 + HexValue(body[i + 2]));
            i += 2;
        } else {
            title += body[i];
        }
    }
    return title;
}

} // namespace norvane
