// The start-up switches of the options program.
#include "OptionsCommandLine.h"

#include <climits>

namespace norvane::options {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// "tab:shortcut": split at the first colon; without one both are -1.
void ReadIndexPair(std::wstring_view rest, StartCommand& command) {
    const std::size_t colon = rest.find(L':');
    if (colon == std::wstring_view::npos) {
        command.tab = -1;
        command.shortcut = -1;
        command.hasIndices = false;
        return;
    }
    command.tab = DecimalPrefix(rest.substr(0, colon));
    command.shortcut = DecimalPrefix(rest.substr(colon + 1));
    command.hasIndices = true;
}

} // namespace

int DecimalPrefix(std::wstring_view text) {
    std::size_t i = 0;
    // The C library's blanks: space, tab, line feed, vertical tab, form feed, return.
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[i] - L'0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

StartCommand ParseStartCommand(std::wstring_view arguments) {
    StartCommand command;
    if (arguments == switches::kTheme) {
        command.action = StartAction::Theme;
    } else if (StartsWith(arguments, switches::kSelect)) {
        command.action = StartAction::Select;
        command.tab = DecimalPrefix(arguments.substr(switches::kSelect.size()));
    } else if (StartsWith(arguments, switches::kImage)) {
        command.action = StartAction::Image;
        ReadIndexPair(arguments.substr(switches::kImage.size()), command);
    } else if (StartsWith(arguments, switches::kTarget)) {
        command.action = StartAction::Target;
        ReadIndexPair(arguments.substr(switches::kTarget.size()), command);
    } else if (StartsWith(arguments, switches::kAdditional)) {
        command.action = StartAction::Additional;
        ReadIndexPair(arguments.substr(switches::kAdditional.size()), command);
    } else if (arguments == switches::kTaskManagerExceptions) {
        command.action = StartAction::TaskManagerExceptions;
    } else if (StartsWith(arguments, switches::kShowTab)) {
        command.showTab = DecimalPrefix(arguments.substr(switches::kShowTab.size()));
    }
    return command;
}

} // namespace norvane::options
