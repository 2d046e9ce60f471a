// The start-up marks (see StartTrace.h).
#include "StartTrace.h"

#include "Win32Handles.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace norvane::options {

namespace {

struct Mark {
    const char* step;
    LONGLONG counter;
};

// A start has a dozen steps; more are dropped rather than allocated for.
constexpr std::size_t kMaxMarks = 64;

struct Trace {
    bool decided = false;
    bool on = false;
    std::wstring path;
    std::array<Mark, kMaxMarks> marks{};
    std::size_t count = 0;
};

// Only the program's own thread marks its start.
Trace& State() {
    static Trace trace;
    if (!trace.decided) {
        trace.decided = true;
        wchar_t path[MAX_PATH] = L"";
        const DWORD length = GetEnvironmentVariableW(kStartTraceVariable, path, MAX_PATH);
        trace.on = length > 0 && length < MAX_PATH;
        if (trace.on) {
            trace.path = path;
        }
    }
    return trace;
}

} // namespace

void TraceStep(const char* step) {
    Trace& trace = State();
    if (!trace.on || trace.count >= trace.marks.size()) {
        return;
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    trace.marks[trace.count++] = Mark{step, now.QuadPart};
}

void TraceFlush() {
    Trace& trace = State();
    if (!trace.on) {
        return;
    }
    trace.on = false;
    UniqueFileHandle file(CreateFileW(trace.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    std::string text;
    for (std::size_t i = 0; i < trace.count; ++i) {
        char line[96];
        const int length = std::snprintf(line, sizeof line, "%s %lld\n", trace.marks[i].step,
                                         static_cast<long long>(trace.marks[i].counter));
        if (length > 0) {
            text.append(line, static_cast<std::size_t>(std::min<int>(length, sizeof line - 1)));
        }
    }
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace norvane::options
