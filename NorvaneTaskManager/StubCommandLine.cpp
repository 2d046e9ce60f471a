// The key stubs' command line.
#include "StubCommandLine.h"

namespace norvane {

namespace {
constexpr std::wstring_view kLaunchSwitches[] = {L"/launch:0", L"/launch:1", L"/launch:2", L"/launch:3"};

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The switches are plain ASCII, so folding ASCII letters is the whole of the
// case-insensitive comparison: no other character can equal one of theirs.
bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view lowerSwitch) {
    if (text.size() != lowerSwitch.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (FoldAscii(text[i]) != lowerSwitch[i]) {
            return false;
        }
    }
    return true;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
} // namespace

std::wstring_view ArgumentsOf(std::wstring_view commandLine) {
    size_t end = 0;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        size_t closing = commandLine.find(L'"', 1);
        end = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
    }
    while (end < commandLine.size() && !IsBlank(commandLine[end])) {
        ++end;
    }
    if (end < commandLine.size()) {
        ++end; // the separating blank
    }
    return commandLine.substr(end);
}

int TaskManagerKeyCode(std::wstring_view arguments) {
    for (size_t i = 0; i < std::size(kLaunchSwitches); ++i) {
        if (EqualsIgnoringCase(arguments, kLaunchSwitches[i])) {
            return stubcode::kQuickLaunch1 + static_cast<int>(i);
        }
    }
    return stubcode::kTaskManager;
}

} // namespace norvane
