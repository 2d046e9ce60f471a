// The state machine that reads the INI-style text of the settings file and of the
// meter definition files. It only finds sections and entries and hands them to a
// sink; SettingsFile stores them, the norvane-ini checker reports on them.
#pragma once

#include <cstddef>
#include <string_view>

namespace norvane {

class SettingsParseSink {
public:
    virtual ~SettingsParseSink() = default;
    // A header "[name]" closed at last; offset is that of its "[".
    virtual void OnSection(std::wstring_view name, std::size_t offset) = 0;
    // One entry of the current section. The key is trimmed; the value is raw (it may
    // end in blanks). keyOffset is the key's first character, valueOffset the
    // position after "=".
    virtual void OnEntry(std::wstring_view key, std::wstring_view value, std::size_t keyOffset,
                         std::size_t valueOffset) = 0;
    // Text in front of the first section that is not blank (reported once).
    virtual void OnIgnoredPrologue(std::size_t offset) {}
    // A character skipped where an entry may begin (not a blank, a line end or ";").
    virtual void OnSkipped(std::size_t offset) {}
    // A ";" that ended a value: the rest of its line is a comment.
    virtual void OnValueCut(std::size_t offset) {}
    // A key still waiting for "=" or for its value's line end when the text ended.
    virtual void OnDroppedAtEnd(std::wstring_view key, std::size_t keyOffset) {}
    // A "[" whose "]" never came.
    virtual void OnUnclosedSection(std::size_t offset) {}
};

// Blanks as the settings file trims them.
inline bool IsSettingsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring_view TrimSettingsText(std::wstring_view text);

// Walks text (up to its first zero unit) and reports what it finds to sink.
void ParseSettingsText(std::wstring_view text, SettingsParseSink& sink);

} // namespace norvane
