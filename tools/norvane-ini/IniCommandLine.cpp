// Switches and operands of norvane-ini.
#include "IniCommandLine.h"

namespace norvane::ini {

const char kUsage[] =
    "usage: norvane-ini check FILE [--dpi N]\n"
    "       norvane-ini normalize FILE -o OUT [--dpi N]\n"
    "       norvane-ini get FILE SECTION KEY [--int|--bool|--color|--point]\n"
    "       norvane-ini set FILE SECTION KEY VALUE\n"
    "\n"
    "check      reports what the launcher would ignore or misread, with line numbers\n"
    "           (exit 1 when it finds anything)\n"
    "normalize  loads FILE as the launcher's settings and writes OUT as it would save it\n"
    "get        prints a value as the typed read returns it (exit 2 when missing)\n"
    "set        sets a string value and saves FILE\n"
    "--dpi N    screen dots per inch for the scaled defaults (default: the screen's, or 96)\n";

namespace {

bool ParseDpi(const std::wstring& text, int& dpi) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + (c - L'0');
    }
    if (value < 48 || value > 1200) {
        return false;
    }
    dpi = value;
    return true;
}

} // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::wstring>& args, std::wstring& error) {
    CommandLine line;
    if (args.empty()) {
        error = L"no command given";
        return std::nullopt;
    }
    const std::wstring& verb = args[0];
    if (verb == L"--help" || verb == L"-h" || verb == L"help") {
        return line;
    }
    if (verb == L"check") {
        line.command = Command::Check;
    } else if (verb == L"normalize") {
        line.command = Command::Normalize;
    } else if (verb == L"get") {
        line.command = Command::Get;
    } else if (verb == L"set") {
        line.command = Command::Set;
    } else {
        error = L"unknown command '" + verb + L"'";
        return std::nullopt;
    }

    std::vector<std::wstring> operands;
    bool typeGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--") {
            operands.insert(operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (arg == L"-o" && line.command == Command::Normalize) {
            if (i + 1 >= args.size()) {
                error = L"-o needs a file name";
                return std::nullopt;
            }
            line.output = args[++i];
            continue;
        }
        if (arg == L"--dpi" && (line.command == Command::Check || line.command == Command::Normalize)) {
            int dpi = 0;
            if (i + 1 >= args.size() || !ParseDpi(args[i + 1], dpi)) {
                error = L"--dpi needs a number from 48 to 1200";
                return std::nullopt;
            }
            line.dpi = dpi;
            ++i;
            continue;
        }
        if (line.command == Command::Get &&
            (arg == L"--int" || arg == L"--bool" || arg == L"--color" || arg == L"--point")) {
            if (typeGiven) {
                error = L"give at most one of --int, --bool, --color, --point";
                return std::nullopt;
            }
            typeGiven = true;
            line.type = arg == L"--int"     ? ValueType::Int
                        : arg == L"--bool"  ? ValueType::Bool
                        : arg == L"--color" ? ValueType::Color
                                            : ValueType::Point;
            continue;
        }
        if (arg.size() > 1 && arg[0] == L'-' && line.command != Command::Set) {
            error = L"unknown option '" + arg + L"' for " + verb;
            return std::nullopt;
        }
        operands.push_back(arg);
    }

    std::size_t wanted = 1;
    if (line.command == Command::Get) {
        wanted = 3;
    } else if (line.command == Command::Set) {
        wanted = 4;
    }
    if (operands.size() != wanted) {
        error = verb + L" takes " + std::to_wstring(wanted) + (wanted == 1 ? L" operand" : L" operands") +
                L", got " + std::to_wstring(operands.size());
        return std::nullopt;
    }
    if (line.command == Command::Normalize && line.output.empty()) {
        error = L"normalize needs -o OUT";
        return std::nullopt;
    }
    line.file = operands[0];
    if (operands.size() >= 3) {
        line.section = operands[1];
        line.key = operands[2];
    }
    if (operands.size() == 4) {
        line.value = operands[3];
    }
    if (line.file.empty()) {
        error = L"the file name is empty";
        return std::nullopt;
    }
    return line;
}

} // namespace norvane::ini
