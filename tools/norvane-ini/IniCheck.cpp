// Walks the file with the launcher's own parser, remembering where everything was,
// then holds each section and key against what the settings record reads.
#include "IniCheck.h"

#include "Settings.h"
#include "SettingsParser.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>

namespace norvane::ini {

namespace {

enum class Kind { String, Int, Bool, Color, Point, Any };

struct Entry {
    std::wstring section;
    std::wstring key;
    std::wstring value;
    std::size_t offset;
};

struct Header {
    std::wstring name;
    std::size_t offset;
};

class Collector final : public SettingsParseSink {
public:
    std::vector<Header> headers;
    std::vector<Entry> entries;
    std::vector<std::pair<std::size_t, std::wstring>> notes;
    std::wstring_view text;

    void OnSection(std::wstring_view name, std::size_t offset) override {
        headers.push_back({std::wstring(name), offset});
        m_section = name;
    }
    void OnEntry(std::wstring_view key, std::wstring_view value, std::size_t keyOffset,
                 std::size_t) override {
        entries.push_back({std::wstring(m_section), std::wstring(key), std::wstring(value), keyOffset});
    }
    void OnIgnoredPrologue(std::size_t offset) override {
        notes.emplace_back(offset, L"text before the first section is ignored");
    }
    void OnSkipped(std::size_t offset) override {
        // One note per run of skipped characters.
        if (m_lastSkipped + 1 != offset || m_lastSkipped == kNone) {
            notes.emplace_back(offset, std::wstring(L"'") + text[offset] +
                                           L"' is skipped: keys start with a letter or a digit");
        }
        m_lastSkipped = offset;
    }
    void OnValueCut(std::size_t offset) override {
        if (offset > 0 && text[offset - 1] != L' ' && text[offset - 1] != L'\t') {
            notes.emplace_back(offset, L"the value ends at ';': the rest of the line is read as a comment");
        }
    }
    void OnDroppedAtEnd(std::wstring_view key, std::size_t offset) override {
        notes.emplace_back(offset, L"'" + std::wstring(key) +
                                       L"' at the end of the file has no value and is dropped");
    }
    void OnUnclosedSection(std::size_t offset) override {
        notes.emplace_back(offset, L"section header without ']': the rest of the file is ignored");
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::wstring_view m_section;
    std::size_t m_lastSkipped = kNone;
};

// "Prefix" followed by a decimal number without leading zeros (or 0 when allowed).
std::optional<int> NumberAfter(std::wstring_view key, std::wstring_view prefix, bool allowZero) {
    if (!key.starts_with(prefix) || key.size() == prefix.size() || key.size() - prefix.size() > 9) {
        return std::nullopt;
    }
    std::wstring_view digits = key.substr(prefix.size());
    if (digits[0] == L'0' && !(allowZero && digits.size() == 1)) {
        return std::nullopt;
    }
    int n = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        n = n * 10 + (c - L'0');
    }
    return n;
}

bool IsDecimal(std::wstring_view text, bool allowSign) {
    std::size_t i = 0;
    if (allowSign && !text.empty() && (text[0] == L'-' || text[0] == L'+')) {
        ++i;
    }
    if (i == text.size() || text.size() - i > 10) {
        return false;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') {
            return false;
        }
        value = value * 10 + (text[i] - L'0');
    }
    return value <= static_cast<long long>(INT_MAX) + 1;
}

std::optional<std::wstring> TypeProblem(Kind kind, std::wstring_view raw) {
    const std::wstring_view value = TrimSettingsText(raw);
    switch (kind) {
    case Kind::Bool:
        if (value != L"0" && value != L"1") {
            return L"'" + std::wstring(value) + L"' is no boolean (1 or 0): it reads as 0";
        }
        break;
    case Kind::Int:
        if (!IsDecimal(value, true)) {
            return L"'" + std::wstring(value) + L"' is no whole number: it reads as " +
                   std::to_wstring(SettingsTextToInt(value));
        }
        break;
    case Kind::Color:
    case Kind::Point: {
        const std::size_t want = kind == Kind::Color ? 3 : 2;
        std::vector<std::wstring_view> parts;
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = value.find(L',', start);
            parts.push_back(TrimSettingsText(value.substr(
                start, comma == std::wstring_view::npos ? std::wstring_view::npos : comma - start)));
            if (comma == std::wstring_view::npos) {
                break;
            }
            start = comma + 1;
        }
        bool ok = parts.size() == want;
        for (std::wstring_view part : parts) {
            ok = ok && IsDecimal(part, false) && (kind == Kind::Point || SettingsTextToInt(part) <= 255);
        }
        if (!ok) {
            return L"'" + std::wstring(value) +
                   (kind == Kind::Color ? L"' is no colour R,G,B (0-255 each)"
                                        : L"' is no point X,Y (no signs)");
        }
        break;
    }
    default:
        break;
    }
    return std::nullopt;
}

Kind KindOf(GeneralKeyType type) {
    switch (type) {
    case GeneralKeyType::Bool:
        return Kind::Bool;
    case GeneralKeyType::Int:
        return Kind::Int;
    case GeneralKeyType::Color:
        return Kind::Color;
    default:
        return Kind::String;
    }
}

struct TabKeyKind {
    const wchar_t* name;
    Kind kind;
};
constexpr TabKeyKind kTabKeys[] = {{L"Name", Kind::String},
                                   {L"UniqueID", Kind::Int},
                                   {L"SnapBack", Kind::Bool},
                                   {L"Image", Kind::String},
                                   {L"OverrideDisplayMode", Kind::Int},
                                   {L"CaptionsEnabled", Kind::Int},
                                   {L"Hidden", Kind::Bool},
                                   {L"SpecialType", Kind::Int},
                                   {L"FreePlacedPortrait", Kind::Bool},
                                   {L"FreePlacedLandscape", Kind::Bool},
                                   {L"ShellTray", Kind::Bool}};
// Longest prefixes first: "ShortcutAdditional" before "Shortcut".
constexpr TabKeyKind kShortcutKeys[] = {{L"ShortcutAdditional", Kind::String},
                                        {L"ShortcutBitmapIcon", Kind::String},
                                        {L"SpecialProperties", Kind::String},
                                        {L"LocationLandscape", Kind::Point},
                                        {L"LocationPortrait", Kind::Point},
                                        {L"CaptionEnabled", Kind::Int},
                                        {L"ToolTipTitle", Kind::String},
                                        {L"CommandLine", Kind::String},
                                        {L"LargeIcon", Kind::Bool},
                                        {L"Shortcut", Kind::String}};

class LineIndex {
public:
    explicit LineIndex(std::wstring_view text) {
        m_starts.push_back(0);
        for (std::size_t i = 0; i < text.size() && text[i] != 0; ++i) {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
            if (text[i] == L'\r' || text[i] == L'\n') {
                m_starts.push_back(i + 1);
            }
        }
    }
    int LineOf(std::size_t offset) const {
        return static_cast<int>(std::upper_bound(m_starts.begin(), m_starts.end(), offset) -
                                m_starts.begin());
    }

private:
    std::vector<std::size_t> m_starts;
};

} // namespace

std::vector<Finding> CheckSettingsBytes(std::string_view bytes,
                                        std::wstring (*decodeAnsi)(std::string_view)) {
    std::vector<std::pair<std::size_t, std::wstring>> found; // offset, message
    std::wstring text;
    const bool marked = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                        static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (marked) {
        text.resize((bytes.size() + 1) / 2);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned low = static_cast<unsigned char>(bytes[2 * i]);
            const unsigned high = 2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0;
            text[i] = static_cast<wchar_t>(low | (high << 8));
        }
    } else {
        found.emplace_back(0, L"no byte-order mark: the file is read as 8-bit text in the ANSI code page");
        text = decodeAnsi(bytes.substr(0, std::min(bytes.size(), bytes.find('\0'))));
    }
    if (const std::size_t zero = text.find(L'\0'); zero != std::wstring::npos) {
        found.emplace_back(zero, L"a zero character ends the text here: the rest of the file is ignored");
    }

    Collector collector;
    collector.text = text;
    ParseSettingsText(text, collector);
    for (auto& note : collector.notes) {
        found.push_back(std::move(note));
    }

    // Duplicates and sections that come to nothing.
    std::map<std::wstring, std::size_t> firstHeader;
    std::set<std::wstring> sectionsWithKeys;
    for (const Entry& e : collector.entries) {
        sectionsWithKeys.insert(e.section);
    }
    for (const Header& h : collector.headers) {
        auto [it, inserted] = firstHeader.emplace(h.name, h.offset);
        if (!inserted) {
            found.emplace_back(h.offset,
                               L"section [" + h.name + L"] appears again: its keys join the first one");
        }
    }
    std::map<std::pair<std::wstring, std::wstring>, std::size_t> firstKey;
    for (const Entry& e : collector.entries) {
        if (e.key.find_first_of(L"\r\n") != std::wstring::npos) {
            found.emplace_back(e.offset, L"a line without '=': it runs on into the next line as one key");
        }
        auto [it, inserted] = firstKey.emplace(std::make_pair(e.section, e.key), e.offset);
        if (!inserted) {
            found.emplace_back(e.offset, L"key '" + e.key + L"' appears again in [" + e.section +
                                             L"]: the last value wins");
        }
    }

    // The last value of each key, as the launcher sees it.
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> values;
    for (const Entry& e : collector.entries) {
        values[{e.section, e.key}] = e.value;
    }
    auto valueOf = [&](const std::wstring& section, const wchar_t* key) -> std::optional<std::wstring> {
        auto it = values.find({section, key});
        if (it == values.end()) {
            return std::nullopt;
        }
        return std::wstring(TrimSettingsText(it->second));
    };

    // Tab sections are read from Tab1 up to the first gap.
    std::set<int> tabNumbers;
    for (const auto& [name, offset] : firstHeader) {
        if (auto n = NumberAfter(name, L"Tab", false); n && sectionsWithKeys.count(name)) {
            tabNumbers.insert(*n);
        }
    }
    int firstMissingTab = 1;
    while (tabNumbers.count(firstMissingTab)) {
        ++firstMissingTab;
    }
    // Shortcut numbering per tab.
    std::map<std::wstring, int> firstMissingShortcut;
    for (int m : tabNumbers) {
        const std::wstring section = NumberedKey(L"Tab", m);
        int n = 1;
        while (values.count({section, NumberedKey(L"Shortcut", n)})) {
            ++n;
        }
        firstMissingShortcut[section] = n;
    }
    int firstMissingCard = 0;
    while (values.count({L"StorageCardPaths", NumberedKey(L"MeterIniPath", firstMissingCard)}) &&
           values.count({L"StorageCardPaths", NumberedKey(L"StorageCardPath", firstMissingCard)})) {
        ++firstMissingCard;
    }

    std::set<std::wstring> reportedSections;
    for (const Entry& e : collector.entries) {
        const std::wstring& section = e.section;
        std::optional<Kind> kind;
        std::wstring problem;
        if (section == L"General") {
            for (const GeneralKey& key : GeneralKeys()) {
                if (e.key == key.Name) {
                    kind = KindOf(key.Type);
                }
            }
            if (e.key == L"CenterIcons") {
                kind = Kind::Int;
            } else if (e.key == L"ExcludeTrayTab") {
                kind = Kind::Bool;
            } else if (e.key == L"TopBarMeterIni") {
                kind = Kind::String;
            }
        } else if (auto m = NumberAfter(section, L"Tab", false)) {
            if (*m > firstMissingTab) {
                if (reportedSections.insert(section).second) {
                    found.emplace_back(firstHeader[section], L"[" + section + L"] is never read: [" +
                                                                 NumberedKey(L"Tab", firstMissingTab) +
                                                                 L"] is missing");
                }
                continue;
            }
            for (const TabKeyKind& key : kTabKeys) {
                if (e.key == key.name) {
                    kind = key.kind;
                }
            }
            if (e.key == L"SpecialType") {
                const int type = SettingsTextToInt(TrimSettingsText(e.value));
                if (type < 0 || type > kSpecialTabCount) {
                    found.emplace_back(e.offset, L"SpecialType " + std::to_wstring(type) +
                                                     L" is unknown: the whole section is skipped");
                }
            }
            for (const TabKeyKind& key : kShortcutKeys) {
                if (kind) {
                    break;
                }
                auto n = NumberAfter(e.key, key.name, false);
                if (!n) {
                    continue;
                }
                kind = key.kind;
                const int gap = firstMissingShortcut[section];
                if (*n >= gap) {
                    problem =
                        L"'" + e.key + L"' is never read: Shortcut" + std::to_wstring(gap) + L" is missing";
                } else if (std::wstring_view(key.name) == L"LocationPortrait" &&
                           valueOf(section, L"FreePlacedPortrait") != L"1") {
                    problem = L"'" + e.key + L"' is ignored: the tab is not free-placed in portrait";
                } else if (std::wstring_view(key.name) == L"LocationLandscape" &&
                           valueOf(section, L"FreePlacedLandscape") != L"1") {
                    problem = L"'" + e.key + L"' is ignored: the tab is not free-placed in landscape";
                } else if (std::wstring_view(key.name) == L"SpecialProperties") {
                    const std::wstring_view text = TrimSettingsText(e.value);
                    std::size_t pieces = 1;
                    for (std::size_t at = text.find(kPropertySeparator); at != std::wstring_view::npos;
                         at = text.find(kPropertySeparator, at + kPropertySeparator.size())) {
                        ++pieces;
                    }
                    if (!text.empty() && pieces % 2 == 1) {
                        problem = L"'" + e.key + L"' ends with a key without a value: that key is dropped";
                    }
                }
            }
        } else if (section == L"StorageCardPaths") {
            auto meter = NumberAfter(e.key, L"MeterIniPath", true);
            auto card = NumberAfter(e.key, L"StorageCardPath", true);
            if (meter || card) {
                kind = Kind::String;
                if (*(meter ? meter : card) >= firstMissingCard) {
                    problem = L"'" + e.key + L"' is never read: the pair " +
                              std::to_wstring(firstMissingCard) + L" is incomplete or missing";
                }
            }
        } else if (section == L"TaskManagerExceptions") {
            kind = Kind::Int;
        } else {
            if (reportedSections.insert(section).second) {
                found.emplace_back(firstHeader[section], L"unknown section [" + section + L"] is ignored");
            }
            continue;
        }
        if (!kind) {
            found.emplace_back(e.offset, L"unknown key '" + e.key + L"' in [" + section + L"] is ignored");
            continue;
        }
        if (!problem.empty()) {
            found.emplace_back(e.offset, problem);
            continue;
        }
        if (auto typeProblem = TypeProblem(*kind, e.value)) {
            found.emplace_back(e.offset, e.key + L": " + *typeProblem);
        }
    }

    LineIndex lines(text);
    std::vector<Finding> findings;
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [offset, message] : found) {
        findings.push_back({lines.LineOf(offset), std::move(message)});
    }
    return findings;
}

} // namespace norvane::ini
