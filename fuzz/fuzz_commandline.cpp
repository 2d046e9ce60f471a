// Feeds arbitrary command lines to the command-line rules of the key stubs and of
// norvane-ini and checks their promises. The input is UTF-16LE; for norvane-ini a
// zero unit separates the arguments.
#include "IniCommandLine.h"
#include "StubCommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckStubCommandLine(std::wstring_view commandLine) {
    const std::wstring_view arguments = norvane::ArgumentsOf(commandLine);
    // The arguments are the tail of the command line, never more.
    Check(arguments.size() <= commandLine.size());
    Check(commandLine.ends_with(arguments));
    const int code = norvane::TaskManagerKeyCode(arguments);
    Check(code >= norvane::stubcode::kTaskManager && code <= norvane::stubcode::kQuickLaunch1 + 3);
    // Only the four "/launch:N" switches, the whole argument string, give a quick launch.
    Check(code == norvane::stubcode::kTaskManager ||
          (arguments.size() == 9 && arguments[8] == L'0' + (code - norvane::stubcode::kQuickLaunch1)));
}

void CheckIniCommandLine(const std::vector<std::wstring>& args) {
    using namespace norvane::ini;
    std::wstring error;
    const std::optional<CommandLine> line = ParseCommandLine(args, error);
    if (!line) {
        Check(!error.empty());
        return;
    }
    Check(error.empty());
    if (line->command == Command::Help) {
        return;
    }
    // Every command names a file, one of the arguments; normalize also its output.
    Check(!line->file.empty());
    bool fileGiven = false;
    bool outputGiven = line->command != Command::Normalize;
    for (const std::wstring& arg : args) {
        fileGiven = fileGiven || arg == line->file;
        outputGiven = outputGiven || arg == line->output;
    }
    Check(fileGiven && outputGiven);
    Check(!line->dpi || (*line->dpi >= 48 && *line->dpi <= 1200));
    Check(line->command == Command::Get || line->type == ValueType::String);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    CheckStubCommandLine(text);

    std::vector<std::wstring> args;
    if (!text.empty()) {
        std::size_t start = 0;
        while (true) {
            const std::size_t zero = text.find(L'\0', start);
            args.push_back(
                text.substr(start, zero == std::wstring::npos ? std::wstring::npos : zero - start));
            if (zero == std::wstring::npos) {
                break;
            }
            start = zero + 1;
        }
    }
    CheckIniCommandLine(args);
    return 0;
}
