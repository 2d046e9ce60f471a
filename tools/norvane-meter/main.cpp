// norvane-meter: checks meter definition files and draws preview sheets of
// them from the command line.
#include "MeterTool.h"
#include "TextCodec.h"

#ifdef _WIN32
#include "MeterPreview.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Run(std::vector<std::wstring> args) {
    std::string out;
    std::string err;
#ifdef _WIN32
    const int code = norvane::meter::RunMeterTool(args, out, err, &norvane::meter::DrawPreviewSheet);
#else
    const int code = norvane::meter::RunMeterTool(args, out, err);
#endif
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fflush(stdout);
    return code;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return Run(std::move(args));
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(norvane::Utf8ToUtf16(argv[i]));
    }
    return Run(std::move(args));
}
#endif
