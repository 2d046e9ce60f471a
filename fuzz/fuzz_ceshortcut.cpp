// Feeds arbitrary bytes to the shortcut file parser and checks its promises.
#include "CeShortcut.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    norvane::CeShortcut shortcut;
    if (norvane::ParseCeShortcutBytes(bytes, shortcut)) {
        // A parsed shortcut always names a target, on one line.
        if (shortcut.target.empty() || shortcut.target.find_first_of(L"\r\n") != std::wstring::npos ||
            shortcut.arguments.find_first_of(L"\r\n") != std::wstring::npos) {
            std::abort();
        }
        // Writing it back and reading that again keeps target and arguments.
        norvane::CeShortcut again;
        if (shortcut.target.find(L'"') == std::wstring::npos &&
            (!norvane::ParseCeShortcut(norvane::FormatCeShortcut(shortcut.target, shortcut.arguments),
                                       again) ||
             again.target != shortcut.target || again.arguments != shortcut.arguments)) {
            std::abort();
        }
    }
    return 0;
}
