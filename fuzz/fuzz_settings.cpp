// Fuzzes the settings file parser and the settings record's Load on whatever it
// parsed, from bytes only. Beyond not crashing, a parsed file written out and
// parsed again must give the same sections, keys and values.
#include "PropertyList.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "SettingsFile.h"

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

    norvane::SettingsEnvironment quiet;
    norvane::Settings settings(quiet);
    settings.LoadFromBytes(bytes);
    const std::string saved = settings.SaveToBytes();
    settings.LoadFromBytes(saved);
    return 0;
}
