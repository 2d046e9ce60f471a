// Fuzzes the settings file parser, the settings record's Load and Save on whatever
// it parsed and norvane-ini's checker, from bytes only. Beyond not crashing, a
// parsed file written out and parsed again must give the same sections, keys and
// values, and the record's save must settle at once.
#include "IniCheck.h"
#include "PlatformServices.h"
#include "PropertyList.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "SettingsFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::wstring Dump(const norvane::SettingsFile& file) {
    std::wstring out;
    for (std::size_t s = 0; s < file.SectionCount(); ++s) {
        out += L'[' + file.SectionNameAt(s) + L']';
        const norvane::SettingsSection& section = file.SectionAt(s);
        for (std::size_t k = 0; k < section.KeyCount(); ++k) {
            out += section.KeyAt(k) + L'\x1F' + section.ValueAt(k) + L'\x1E';
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    norvane::SettingsFile file;
    file.LoadFromBytes(bytes);
    for (std::size_t s = 0; s < file.SectionCount(); ++s) {
        const std::wstring& name = file.SectionNameAt(s);
        const norvane::SettingsSection& section = file.SectionAt(s);
        for (std::size_t k = 0; k < section.KeyCount(); ++k) {
            int number = 0;
            norvane::ColorValue color = 0;
            norvane::SettingsPoint point;
            file.GetInt(name, section.KeyAt(k), number);
            file.GetColor(name, section.KeyAt(k), color);
            file.GetPoint(name, section.KeyAt(k), point);
            norvane::PropertyList list;
            list.Parse(section.ValueAt(k));
            list.Parse(list.ToText());
        }
    }
    norvane::SettingsFile again;
    again.LoadFromBytes(file.ToBytes());
    if (Dump(again) != Dump(file)) {
        std::abort();
    }

    // The record's save settles at once: loading what it saved and saving again
    // gives the same sections, keys and values, so the launcher does not drift the
    // user's file on every save. Only a tab saved without an image takes its
    // built-in picture in turn on that load, as such tabs always do.
    norvane::SettingsEnvironment quiet;
    norvane::Settings settings(quiet);
    settings.LoadFromBytes(bytes);
    const std::string saved = settings.SaveToBytes();
    settings.LoadFromBytes(saved);
    norvane::SettingsFile first;
    first.LoadFromBytes(saved);
    norvane::SettingsFile second;
    second.LoadFromBytes(settings.SaveToBytes());
    for (std::size_t s = 0; s < first.SectionCount(); ++s) {
        const std::wstring* image = first.SectionAt(s).Find(L"Image");
        if (image && image->empty() && second.FindValue(first.SectionNameAt(s), L"Image")) {
            second.SetString(first.SectionNameAt(s), L"Image", L"");
        }
    }
    if (Dump(second) != Dump(first)) {
        std::abort();
    }

    // norvane-ini's checker reports in line order, on lines of the file.
    for (const std::string_view text : {bytes, std::string_view(saved)}) {
        const auto findings = norvane::ini::CheckSettingsBytes(text, &norvane::DecodeAnsiText);
        const auto byLine = [](const auto& a, const auto& b) { return a.line < b.line; };
        if (!std::is_sorted(findings.begin(), findings.end(), byLine) ||
            (!findings.empty() && findings.front().line < 1)) {
            std::abort();
        }
    }
    return 0;
}
