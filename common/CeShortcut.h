// Shortcut files of the device: one line of text, "NN#target args", where NN is
// the length of what follows "#" and the target is a device path, in double
// quotes when it holds blanks:
//   17#\Windows\calc.exe
//   34#"\Program Files\App\app.exe" -open
// Portable: no Windows header.
#pragma once

#include <string>
#include <string_view>

namespace norvane {

struct CeShortcut {
    std::wstring target;    // without quotes
    std::wstring arguments; // the rest, leading blanks removed, may be empty
    bool quoted = false;    // the target was written in double quotes
    // For an unquoted target: everything after "#", so that a caller that can
    // test for files may split a target with blanks differently.
    std::wstring text;
};

// Parses the text of a shortcut file. Leading blanks, a byte-order mark and
// anything after the first line are ignored; the count NN must be there (1 to 9
// digits) but a count that does not match the text is tolerated. False when the
// text is no shortcut (no count, no "#", or an empty target).
bool ParseCeShortcut(std::wstring_view text, CeShortcut& shortcut);

// Parses a shortcut file's bytes: UTF-16LE with a byte-order mark, UTF-8 with a
// byte-order mark, otherwise single-byte text (Windows-1252). Files larger than
// kMaxCeShortcutBytes are no shortcuts.
inline constexpr size_t kMaxCeShortcutBytes = 4096;
bool ParseCeShortcutBytes(std::string_view bytes, CeShortcut& shortcut);

// Writes the file text for a target and arguments (quoted target, correct count).
std::wstring FormatCeShortcut(std::wstring_view target, std::wstring_view arguments);

} // namespace norvane
