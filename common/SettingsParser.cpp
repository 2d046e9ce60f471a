// Seven states, one pass, no allocation: names and values are views into the text.
#include "SettingsParser.h"

namespace norvane {

namespace {

enum class State { BeforeFirstSection, SectionName, EntryStart, Key, AfterEquals, Value, Comment };

inline bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

inline bool IsLineEnd(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

} // namespace

std::wstring_view TrimSettingsText(std::wstring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsSettingsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSettingsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

void ParseSettingsText(std::wstring_view text, SettingsParseSink& sink) {
    State state = State::BeforeFirstSection;
    bool prologueReported = false;
    std::size_t headerStart = 0;
    std::size_t keyStart = 0;
    std::size_t valueStart = 0;
    std::size_t equalsAt = 0;
    std::wstring_view key;
    const std::size_t size = text.size();
    std::size_t i = 0;
    for (; i < size; ++i) {
        const wchar_t c = text[i];
        if (c == 0) {
            break;
        }
        switch (state) {
        case State::BeforeFirstSection:
            if (c == L'[') {
                headerStart = i;
                state = State::SectionName;
            } else if (!prologueReported && !IsSettingsBlank(c) && c != 0xFEFF) {
                prologueReported = true;
                sink.OnIgnoredPrologue(i);
            }
            break;
        case State::SectionName:
            if (c == L']') {
                sink.OnSection(text.substr(headerStart + 1, i - headerStart - 1), headerStart);
                state = State::EntryStart;
            }
            break;
        case State::EntryStart:
            if (c == L'[') {
                headerStart = i;
                state = State::SectionName;
            } else if (IsAsciiAlnum(c)) {
                keyStart = i;
                state = State::Key;
            } else if (c == L';') {
                state = State::Comment;
            } else if (!IsSettingsBlank(c)) {
                sink.OnSkipped(i);
            }
            break;
        case State::Key:
            if (c == L'=') {
                key = TrimSettingsText(text.substr(keyStart, i - keyStart));
                equalsAt = i;
                state = State::AfterEquals;
            }
            break;
        case State::AfterEquals:
            if (c == L' ' || c == L'\t') {
                break;
            }
            if (IsLineEnd(c)) {
                sink.OnEntry(key, std::wstring_view(), keyStart, equalsAt + 1);
                state = State::EntryStart;
            } else {
                valueStart = i;
                state = State::Value;
            }
            break;
        case State::Value:
            if (IsLineEnd(c)) {
                sink.OnEntry(key, text.substr(valueStart, i - valueStart), keyStart, equalsAt + 1);
                state = State::EntryStart;
            } else if (c == L';') {
                sink.OnEntry(key, text.substr(valueStart, i - valueStart), keyStart, equalsAt + 1);
                sink.OnValueCut(i);
                state = State::Comment;
            }
            break;
        case State::Comment:
            if (IsLineEnd(c)) {
                state = State::EntryStart;
            }
            break;
        }
    }
    switch (state) {
    case State::Value:
        sink.OnEntry(key, text.substr(valueStart, i - valueStart), keyStart, equalsAt + 1);
        break;
    case State::Key:
        sink.OnDroppedAtEnd(TrimSettingsText(text.substr(keyStart, i - keyStart)), keyStart);
        break;
    case State::AfterEquals:
        sink.OnDroppedAtEnd(key, keyStart);
        break;
    case State::SectionName:
        sink.OnUnclosedSection(headerStart);
        break;
    default:
        break;
    }
}

} // namespace norvane
