#include "CeShortcut.h"

#include "TextCodec.h"

namespace norvane::device {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view TrimLineEnd(std::wstring_view text) {
    while (!text.empty() &&
           (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'\0' || IsBlank(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<CeShortcut> ParseCeShortcut(std::wstring_view text) {
    // Only the first line counts.
    const size_t lineEnd = text.find_first_of(L"\r\n");
    if (lineEnd != std::wstring_view::npos)
        text = text.substr(0, lineEnd);
    text = TrimLineEnd(text);
    const size_t hash = text.find(L'#');
    if (hash == 0 || hash == std::wstring_view::npos || hash > 9)
        return std::nullopt;
    for (size_t i = 0; i < hash; ++i)
        if (text[i] < L'0' || text[i] > L'9')
            return std::nullopt;
    std::wstring_view rest = text.substr(hash + 1);
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return std::nullopt;
    CeShortcut result;
    if (rest.front() == L'"') {
        const size_t close = rest.find(L'"', 1);
        if (close == std::wstring_view::npos)
            return std::nullopt;
        result.target.assign(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
    } else {
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end]))
            ++end;
        result.target.assign(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    if (result.target.empty())
        return std::nullopt;
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
    result.arguments.assign(rest);
    return result;
}

std::wstring DecodeShortcutBytes(std::string_view bytes) {
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        text = Utf16LeBytesToText(bytes.substr(2));
    else
        text = Cp1252ToUtf16(bytes);
    return std::wstring(TrimLineEnd(text));
}

std::wstring FormatCeShortcut(const CeShortcut& shortcut) {
    std::wstring body = L"\"" + shortcut.target + L"\"";
    if (!shortcut.arguments.empty())
        body += L" " + shortcut.arguments;
    return std::to_wstring(body.size()) + L"#" + body;
}

} // namespace norvane::device
