// Feeds arbitrary text to the special-property reader and to the target-text
// rules (kinds, applet texts, class identifiers, captions, icon names) and
// checks their promises.
#include "PropertyList.h"
#include "ShortcutTarget.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckPropertyList(const std::wstring& text) {
    norvane::PropertyList list;
    list.Set(L"stale", L"gone");
    list.Parse(text);
    Check(text.find(L"stale") != std::wstring::npos || list.Get(L"stale").empty());
    // Pieces come from splitting at the separator, so none holds one.
    bool plain = true;
    for (const auto& [key, value] : list.Items()) {
        Check(key.find(norvane::kPropertySeparator) == std::wstring::npos);
        Check(value.find(norvane::kPropertySeparator) == std::wstring::npos);
        plain = plain && key.find(L'~') == std::wstring::npos && value.find(L'~') == std::wstring::npos;
    }
    const std::wstring written = list.ToText();
    Check(list.Empty() == list.Items().empty());
    // Without any "~" in the pieces the written text reads back as the pairs
    // with a value.
    if (plain) {
        norvane::PropertyList again;
        again.Parse(written);
        std::size_t kept = 0;
        for (const auto& [key, value] : list.Items()) {
            if (value.empty()) {
                continue;
            }
            ++kept;
            auto it = again.Items().find(key);
            Check(it != again.Items().end() && it->second == value);
        }
        Check(again.Items().size() == kept);
        Check(again.ToText() == written);
    }
}

void CheckTargetText(const std::wstring& text) {
    using namespace norvane;
    const TargetKind kind = KindOfTarget(text);
    const std::wstring_view argument = TargetArgument(text);
    Check(argument.size() <= text.size());
    Check((kind == TargetKind::File) == (argument.size() == text.size()));

    const ControlPanelTarget applet = ParseControlPanelTarget(text);
    Check(applet.file.size() <= text.size());
    Check(applet.file.find(L'|') == std::wstring::npos);
    const std::wstring commandLine = ControlPanelCommandLine(applet);
    Check(commandLine.ends_with(L",0") && commandLine.starts_with(applet.file));
    (void)IsPowerApplet(applet);
    (void)UsesPowerProgramIcon(applet);
    (void)ParseDecimal(text);

    ClassId id;
    if (ParseClassId(argument, id)) {
        ClassId again;
        Check(ParseClassId(FormatClassId(id), again) && again == id);
        Check(LowerCase(FormatClassId(id)) == LowerCase(std::wstring(argument)));
    }
    const std::wstring caption = TargetCaption(text, text, L"", false);
    Check(caption.size() <= text.size());
    Check(TargetCaption(text, L"", L"title", false) == L"title");
    Check(TargetCaption(text, L"", L"", true).empty());
    const std::wstring icon = TargetIconImageName(text, 32);
    Check(icon.empty() || icon.ends_with(L"32.tga"));
    (void)IsThemePackage(text);
    Check(StripEnclosingQuotes(text).size() + 2 >= text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // UTF-16LE code units, so that every unit value reaches the parsers.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    CheckPropertyList(text);
    CheckTargetText(text);
    return 0;
}
