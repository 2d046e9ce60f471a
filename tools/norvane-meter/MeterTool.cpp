// The commands of norvane-meter.
#include "MeterTool.h"

#include "FileLayer.h"
#include "MeterCheck.h"
#include "PlatformServices.h"
#include "TextCodec.h"

namespace norvane::meter {

namespace {

constexpr char kUsage[] = "usage: norvane-meter check FILE\n"
                          "       norvane-meter preview FILE OUT.png [--size 16|32|64] [--zoom N]\n";

std::string Utf8(std::wstring_view text) {
    return Utf16ToUtf8(text);
}

int Usage(std::string& err, const std::string& problem = {}) {
    if (!problem.empty()) {
        err += "norvane-meter: " + problem + "\n";
    }
    err += kUsage;
    return kExitUsage;
}

bool ParseNumber(const std::wstring& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return false;
    }
    const int value = std::stoi(text);
    if (value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

int RunCheck(const std::wstring& file, std::string& out, std::string& err) {
    std::string bytes;
    if (!DefaultFileLayer().ReadAll(file, bytes)) {
        err += "norvane-meter: cannot read '" + Utf8(file) + "'\n";
        return kExitIo;
    }
    FilePictureProbe probe;
    const std::vector<Finding> findings = CheckMeterBytes(bytes, FolderOfPath(file), probe, &DecodeAnsiText);
    for (const Finding& f : findings) {
        out += Utf8(file) + ":" + std::to_string(f.line) + ": " + Utf8(f.message) + "\n";
    }
    if (findings.empty()) {
        out += Utf8(file) + ": no problems found\n";
        return kExitOk;
    }
    return kExitFindings;
}

} // namespace

std::wstring FolderOfPath(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

int RunMeterTool(const std::vector<std::wstring>& args, std::string& out, std::string& err,
                 const PreviewFunction& preview) {
    if (args.empty()) {
        return Usage(err);
    }
    if (args[0] == L"check") {
        if (args.size() != 2) {
            return Usage(err, "check takes one file");
        }
        return RunCheck(args[1], out, err);
    }
    if (args[0] != L"preview") {
        return Usage(err, "unknown command '" + Utf8(args[0]) + "'");
    }
    PreviewRequest request;
    std::vector<std::wstring> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == L"--size" || args[i] == L"--zoom") {
            if (i + 1 >= args.size()) {
                return Usage(err, Utf8(args[i]) + " needs a number");
            }
            const std::wstring& value = args[++i];
            if (args[i - 1] == L"--size") {
                if (!ParseNumber(value, 16, 64, request.size) ||
                    (request.size != 16 && request.size != 32 && request.size != 64)) {
                    return Usage(err, "--size is 16, 32 or 64");
                }
            } else if (!ParseNumber(value, 1, 16, request.zoom)) {
                return Usage(err, "--zoom is 1 to 16");
            }
        } else if (args[i].starts_with(L"--")) {
            return Usage(err, "unknown option '" + Utf8(args[i]) + "'");
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        return Usage(err, "preview takes a meter file and a picture to write");
    }
    request.file = files[0];
    request.output = files[1];
    if (!preview) {
        err += "norvane-meter: preview draws with the launcher's own code: use the Windows build "
               "(tools/norvane-meter/norvane-meter)\n";
        return kExitUsage;
    }
    std::string bytes;
    if (!DefaultFileLayer().ReadAll(request.file, bytes)) {
        err += "norvane-meter: cannot read '" + Utf8(request.file) + "'\n";
        return kExitIo;
    }
    if (!preview(request, err)) {
        return kExitIo;
    }
    out += Utf8(request.output) + ": " + std::to_string(request.size) +
           "-pixel meter at 0, 5, 25, 50, 75 and 100 %\n";
    return kExitOk;
}

} // namespace norvane::meter
