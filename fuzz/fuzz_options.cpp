// Fuzzes the options program's parsers: the start-up switches (the input as
// UTF-16 text), dialog templates and picture headers (the input as bytes).
#include "DialogTemplate.h"
#include "ImageHeader.h"
#include "OptionsCommandLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    using namespace norvane::options;
    const StartCommand command = ParseStartCommand(text);
    if (command.action == StartAction::Image && !command.hasIndices && (command.tab != -1 || command.shortcut != -1)) {
        __builtin_trap();
    }
    DialogTemplateInfo info;
    if (!ReadDialogTemplate(bytes, info) && !info.items.empty()) {
        __builtin_trap();
    }
    int width = 0;
    int height = 0;
    for (ImageFileKind kind : {ImageFileKind::Png, ImageFileKind::Tga}) {
        if (ReadImageHeaderSize(bytes, kind, width, height) && (width <= 0 || height <= 0)) {
            __builtin_trap();
        }
    }
    return 0;
}
