// Shortcut files of the device: parsing and writing the one-line text form.
#include "CeShortcut.h"

#include "TextCodec.h"

namespace norvane {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view TrimBlanks(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

} // namespace

bool ParseCeShortcut(std::wstring_view text, CeShortcut& shortcut) {
    shortcut = CeShortcut{};
    if (!text.empty() && text.front() == L'\xFEFF') {
        text.remove_prefix(1);
    }
    size_t lineEnd = text.find_first_of(L"\r\n", 0);
    size_t nul = text.find(L'\0');
    if (nul != std::wstring_view::npos && (lineEnd == std::wstring_view::npos || nul < lineEnd)) {
        lineEnd = nul;
    }
    std::wstring_view line = text.substr(0, lineEnd);
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= L'0' && line[digits] <= L'9') {
        ++digits;
    }
    if (digits == 0 || digits > 9 || digits >= line.size() || line[digits] != L'#') {
        return false;
    }
    std::wstring_view rest = TrimBlanks(line.substr(digits + 1));
    if (rest.empty()) {
        return false;
    }
    if (rest.front() == L'"') {
        size_t close = rest.find(L'"', 1);
        std::wstring_view target =
            rest.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
        target = TrimBlanks(target);
        if (target.empty()) {
            return false;
        }
        shortcut.target.assign(target);
        shortcut.quoted = true;
        if (close != std::wstring_view::npos) {
            shortcut.arguments.assign(TrimBlanks(rest.substr(close + 1)));
        }
    } else {
        size_t blank = rest.find_first_of(L" \t");
        shortcut.target.assign(rest.substr(0, blank));
        if (blank != std::wstring_view::npos) {
            shortcut.arguments.assign(TrimBlanks(rest.substr(blank + 1)));
        }
    }
    shortcut.text.assign(rest);
    return true;
}

bool ParseCeShortcutBytes(std::string_view bytes, CeShortcut& shortcut) {
    shortcut = CeShortcut{};
    if (bytes.size() > kMaxCeShortcutBytes) {
        return false;
    }
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text = Utf16LeBytesToText(bytes.substr(2));
    } else if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
               static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
        text = Utf8ToUtf16(bytes.substr(3));
    } else {
        text = Cp1252ToUtf16(bytes);
    }
    return ParseCeShortcut(text, shortcut);
}

std::wstring FormatCeShortcut(std::wstring_view target, std::wstring_view arguments) {
    std::wstring rest = L"\"";
    rest.append(target);
    rest += L'"';
    if (!arguments.empty()) {
        rest += L' ';
        rest.append(arguments);
    }
    return std::to_wstring(rest.size()) + L"#" + rest;
}

} // namespace norvane
