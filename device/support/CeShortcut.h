// CE text shortcuts ("NN#\"\\path\\target\" args"): the device's .lnk format.
// Portable: the device shell, the boot program and the start menu all read the
// same files through this parser.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvane::device {

struct CeShortcut {
    std::wstring target;    // device path, without quotes
    std::wstring arguments; // what follows the target, leading blanks removed
};

// Parses the text of a CE shortcut. The number before '#' is the length of the
// rest on the device; files written by hand often get it wrong, so it is only
// checked for being a number. Returns nothing for text that is no shortcut.
std::optional<CeShortcut> ParseCeShortcut(std::wstring_view text);

// Decodes a shortcut file's bytes: UTF-16LE with a byte-order mark, else 8-bit
// text (Windows-1252). Trailing line breaks and NULs are dropped.
std::wstring DecodeShortcutBytes(std::string_view bytes);

// Writes the text of a shortcut to target with arguments (the length prefix
// counts the characters after '#').
std::wstring FormatCeShortcut(const CeShortcut& shortcut);

} // namespace norvane::device
