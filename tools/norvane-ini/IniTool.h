// norvane-ini's commands, run on argument strings and answering in text, so the
// same code serves the program and its tests.
#pragma once

#include <string>
#include <vector>

namespace norvane::ini {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1; // check found something
inline constexpr int kExitIo = 1;       // a file could not be read or written
inline constexpr int kExitMissing = 2;  // get: no such section or key
inline constexpr int kExitUsage = 64;

// args: the arguments after the program name. out and err receive UTF-8 text.
int RunIniTool(const std::vector<std::wstring>& args, std::string& out, std::string& err);

} // namespace norvane::ini
