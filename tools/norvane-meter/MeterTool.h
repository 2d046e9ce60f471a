// norvane-meter's commands, run on argument strings and answering in text, so
// the same code serves the program and its tests. "check" is portable;
// "preview" draws with the launcher's own code and exists in the Windows build.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace norvane::meter {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1; // check found something
inline constexpr int kExitIo = 1;       // a file could not be read or written
inline constexpr int kExitUsage = 64;

struct PreviewRequest {
    std::wstring file;
    std::wstring output;
    int size = 32;
    int zoom = 1;
};

// Draws the preview sheet; false (with a message in err) on failure. Empty
// where the launcher's drawing is not built in.
using PreviewFunction = std::function<bool(const PreviewRequest& request, std::string& err)>;

// args: the arguments after the program name. out and err receive UTF-8 text.
int RunMeterTool(const std::vector<std::wstring>& args, std::string& out, std::string& err,
                 const PreviewFunction& preview = {});

// The folder of a file path, with its separator ("\" or "/") at the end.
std::wstring FolderOfPath(const std::wstring& path);

} // namespace norvane::meter
