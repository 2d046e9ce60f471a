// Feeds arbitrary text to the special-property reader, to what the special
// commands and the screen capture read from the properties, and to the
// target-text rules (kinds, applet texts, class identifiers, captions, icon
// names) and checks their promises.
#include "CaptureOptions.h"
#include "MeterBarRules.h"
#include "MeterDefinition.h"
#include "PropertyList.h"
#include "ShortcutTarget.h"
#include "SpecialCommands.h"
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

// A hand-edited shortcut's properties never ask the commands for more than
// their ranges allow.
void CheckSpecialProperties(const std::wstring& text) {
    using namespace norvane;
    PropertyList list;
    list.Parse(text);
    const CaptureRequest request = ReadCaptureRequest(list, L"\\My Documents");
    Check(request.count >= capturelimit::kMinCount && request.count <= capturelimit::kMaxCount);
    Check(request.delaySeconds >= capturelimit::kMinDelay && request.delaySeconds <= capturelimit::kMaxDelay);
    Check(request.repeatDelaySeconds >= capturelimit::kMinRepeatDelay &&
          request.repeatDelaySeconds <= capturelimit::kMaxRepeatDelay);
    const int depth = request.colourDepth;
    Check(depth == 0 || depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 ||
          depth == 32);
    Check(!request.path.empty() && request.path.back() == L'\\');
    Check(!request.format.empty());
    const std::wstring extension = CaptureExtension(request.format);
    Check(IsJpegFormat(request.format) == (extension == L"jpg"));
    const CaptureTime time{2007, 12, 3, 6, 34, 18};
    const std::wstring name = CaptureFileName(request.path, request.prefix, time, extension);
    Check(name.size() == request.path.size() + request.prefix.size() + 19);
    int probes = 0;
    const std::wstring free = FreeCaptureFileName(request.path, request.prefix, time, extension,
                                                  [&probes](const std::wstring&) { return ++probes < 3; });
    Check(free.ends_with(L"_3." + extension));

    for (int current : {0, 1, 2, 4, PropertyInteger(text)}) {
        const int next = NextOrientation(list.Get(specialkey::kMode), current);
        Check(next == 0 || next == 1 || next == 2 || next == 4);
    }
    const std::wstring sms =
        SmsParameters(list.Get(specialkey::kPhoneNumber), list.Get(specialkey::kSmsDefaultBody));
    Check(sms.starts_with(L"-to \"") && sms.ends_with(L"\" -service \"SMS\""));
    const SpecialCommand command = SpecialCommandOf(text);
    Check((command == SpecialCommand::Unknown) == (SpecialCommandNameId(command) == 0));
    const PropertyList defaults = SpecialCommandDefaults(text, text);
    Check(defaults.Empty() || command == SpecialCommand::SoftReset || command == SpecialCommand::Rotate ||
          command == SpecialCommand::ScreenCapture);
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

    // The browser's anchor colours and the meter bar's selection.
    int red = -1, green = -1, blue = -1;
    if (ParseColourTriple(text, red, green, blue)) {
        Check(red >= 0 && red <= 255 && green >= 0 && green <= 255 && blue >= 0 && blue <= 255);
        int r = -1, g = -1, b = -1;
        const std::wstring again =
            std::to_wstring(red) + L"," + std::to_wstring(green) + L"," + std::to_wstring(blue);
        Check(ParseColourTriple(again, r, g, b) && r == red && g == green && b == blue);
    } else {
        Check(red == -1 && green == -1 && blue == -1);
    }
    const MeterBarSelection selection =
        SelectMeterBar(text, MeterBarNames{L"None", L"Battery", L"Backup Battery", L"Memory", L"Main Storage"});
    Check((selection.kind == statuskind::kStorageCard) == !selection.storagePath.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // UTF-16LE code units, so that every unit value reaches the parsers.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    CheckPropertyList(text);
    CheckSpecialProperties(text);
    CheckTargetText(text);
    return 0;
}
