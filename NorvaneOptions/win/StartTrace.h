// Marks of the program's start for the start-up benchmark. When the
// environment names a file in NORVANE_OPTIONS_TRACE, each step's
// performance-counter reading is kept, and once the first page has painted
// the lot is written there, one "step counter" line each. Without the
// variable every call returns at once and nothing is written.
#pragma once

namespace norvane::options {

inline constexpr wchar_t kStartTraceVariable[] = L"NORVANE_OPTIONS_TRACE";

// Keeps the counter's reading under a step name (a literal: only the pointer is kept).
void TraceStep(const char* step);
// Writes the steps kept so far and stops tracing; later steps are not kept.
void TraceFlush();

} // namespace norvane::options
