// Conversions between the UTF-16 text the system holds (one code unit per wchar_t,
// on every platform) and the bytes found on disk and on the command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norvane {

// UTF-16 code units to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::wstring_view text);

// UTF-8 to UTF-16 code units. Malformed sequences become U+FFFD.
std::wstring Utf8ToUtf16(std::string_view text);

// Windows-1252 bytes to UTF-16: the single-byte code page used for 8-bit
// settings files where the platform offers none of its own.
std::wstring Cp1252ToUtf16(std::string_view bytes);

// Little-endian UTF-16 bytes to code units; an odd last byte is dropped.
std::wstring Utf16LeBytesToText(std::string_view bytes);

// Code units to little-endian UTF-16 bytes.
std::string TextToUtf16LeBytes(std::wstring_view text);

// Lower case as the system folds keys and meter paths: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic capitals; every other unit is kept.
wchar_t LowerCaseUnit(wchar_t c);
std::wstring LowerCase(std::wstring_view text);

} // namespace norvane
