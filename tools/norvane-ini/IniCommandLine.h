// The command line of norvane-ini, parsed without any platform help.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace norvane::ini {

enum class Command { Help, Check, Normalize, Get, Set };
enum class ValueType { String, Int, Bool, Color, Point };

struct CommandLine {
    Command command = Command::Help;
    std::wstring file;
    std::wstring output; // normalize -o
    std::wstring section;
    std::wstring key;
    std::wstring value; // set
    ValueType type = ValueType::String;
    std::optional<int> dpi;
};

// Parses the arguments after the program name. On a mistake returns nothing and
// sets error to a one-line explanation.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::wstring>& args, std::wstring& error);

extern const char kUsage[];

} // namespace norvane::ini
