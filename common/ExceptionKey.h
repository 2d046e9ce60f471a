// Window titles as keys of the settings file's "TaskManagerExceptions" section.
//
// The task manager stores its exceptions under the program window's title, but
// a key of the settings file cannot hold every title: a key ends at its first
// "=", must begin with an ASCII letter or digit (anything in front is skipped,
// and "[" there opens a new section, ";" a comment), and loses blanks at its
// ends. A title that would not come back as itself is therefore written in an
// escaped form: the marker "Title~" followed by the title with "%", "=",
// control characters and a blank at the end written as "%XX" or "%uXXXX".
// Titles that read back as themselves are written as they are, so files
// written before keep their meaning (unless a title of theirs happened to begin
// with the marker).
#pragma once

#include <string>
#include <string_view>

namespace norvane {

inline constexpr std::wstring_view kExceptionKeyMarker = L"Title~";

// The key to write for a title; a title that reads back as itself stays as it is.
std::wstring EncodeExceptionKey(std::wstring_view title);
// The title a key of the section stands for (the key as the file parser gives
// it, trimmed). Keys without the marker are titles; broken escapes stay literal.
std::wstring DecodeExceptionKey(std::wstring_view key);

} // namespace norvane
