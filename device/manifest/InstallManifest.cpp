// The cabinet installer's manifest.
#include "InstallManifest.h"

#include "TextCodec.h"

namespace norvane::device {

namespace {

constexpr std::size_t kMaxDevicePath = 259;

std::wstring Trimmed(std::wstring_view text) {
    size_t start = 0, end = text.size();
    while (start < end && (text[start] == L' ' || text[start] == L'\t'))
        ++start;
    while (end > start && (text[end - 1] == L' ' || text[end - 1] == L'\t' || text[end - 1] == L'\r'))
        --end;
    return std::wstring(text.substr(start, end - start));
}

// "a|b" into its two halves, both non-empty.
bool SplitPair(const std::wstring& value, std::wstring& first, std::wstring& second) {
    const size_t bar = value.find(L'|');
    if (bar == std::wstring::npos)
        return false;
    first = Trimmed(std::wstring_view(value).substr(0, bar));
    second = Trimmed(std::wstring_view(value).substr(bar + 1));
    return !first.empty() && !second.empty();
}

} // namespace

bool IsPlainDevicePath(std::wstring_view path) {
    if (path.empty() || path.size() > kMaxDevicePath || path[0] != L'\\' ||
        (path.size() > 1 && path[1] == L'\\'))
        return false;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos)
            end = path.size();
        const std::wstring_view part = path.substr(start, end - start);
        // ".." climbs; so may "...", ". ." and the like once the file system drops
        // a name's trailing dots and blanks.
        if (part.size() >= 2 && part.find_first_not_of(L". ") == std::wstring_view::npos)
            return false;
        start = end + 1;
    }
    for (wchar_t c : path) {
        if (c < 0x20 || c == L':' || c == L'/' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
            c == L'>' || c == L'|')
            return false;
    }
    return true;
}

bool ParseInstallManifest(std::string_view utf8, InstallManifest& manifest) {
    manifest = InstallManifest{};
    if (utf8.size() > kMaxManifestBytes)
        return false;
    if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);
    const std::wstring text = Utf8ToUtf16(utf8);
    size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = Trimmed(std::wstring_view(text).substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.empty() || line[0] == L'#')
            continue;
        const size_t equals = line.find(L'=');
        const std::wstring key =
            equals == std::wstring::npos ? line : Trimmed(std::wstring_view(line).substr(0, equals));
        const std::wstring value =
            equals == std::wstring::npos ? L"" : Trimmed(std::wstring_view(line).substr(equals + 1));
        std::wstring first, second;
        bool ok = true;
        if (key == L"setup" && !value.empty()) {
            manifest.setup = value;
        } else if (key == L"installdir" && IsPlainDevicePath(value)) {
            manifest.installDir = value;
        } else if (key == L"file" && SplitPair(value, first, second) && IsPlainDevicePath(second)) {
            manifest.files.emplace_back(first, second);
        } else if (key == L"selfregister" && IsPlainDevicePath(value)) {
            manifest.selfRegister.push_back(value);
        } else if (key == L"item" && SplitPair(value, first, second) && IsPlainDevicePath(second)) {
            manifest.items.emplace_back(first, second);
        } else {
            ok = false;
        }
        if (!ok)
            manifest.refused.push_back(L"line " + std::to_wstring(number) + L": " + line.substr(0, 200));
    }
    return true;
}

} // namespace norvane::device
