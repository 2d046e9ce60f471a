// Feeds arbitrary titles and keys to the task-manager exception keys: every
// title written as a key must read back from a settings file as exactly that
// one key, decode to the title and give norvane-ini's checker nothing to
// report; decoding never fails. (The settings record's own round trip is the
// settings target's.)
#include "ExceptionKey.h"
#include "IniCheck.h"
#include "PlatformServices.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // UTF-16LE code units, so that every unit value reaches the encoder.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    // A zero unit ends the text of a file; titles never hold one.
    text = text.substr(0, text.find(L'\0'));

    const std::wstring key = norvane::EncodeExceptionKey(text);
    Check(norvane::DecodeExceptionKey(key) == text);
    Check(norvane::EncodeExceptionKey(norvane::DecodeExceptionKey(key)) == key);

    norvane::SettingsFile file;
    file.LoadFromBytes("\xFF\xFE" + norvane::TextToUtf16LeBytes(L"\r\n[TaskManagerExceptions]\r\n" + key +
                                                                L"=4\r\n[After]\r\nNext=2\r\n"));
    Check(file.SectionCount() == 2 && file.SectionAt(1).KeyCount() == 1);
    const norvane::SettingsSection& section = file.SectionAt(0);
    Check(section.KeyCount() == 1 && section.KeyAt(0) == key && section.ValueAt(0) == L"4");

    // As the settings record writes it: the file read back holds exactly this
    // key, and norvane-ini's checker finds nothing to say about it.
    norvane::SettingsFile written;
    written.SetInt(norvane::settings_keys::kTaskManagerExceptions, key, 4);
    const std::string bytes = written.ToBytes();
    norvane::SettingsFile read;
    read.LoadFromBytes(bytes);
    const norvane::SettingsSection* exceptions =
        read.FindSection(norvane::settings_keys::kTaskManagerExceptions);
    Check(read.SectionCount() == 1 && exceptions && exceptions->KeyCount() == 1 &&
          exceptions->KeyAt(0) == key);
    Check(norvane::ini::CheckSettingsBytes(bytes, &norvane::DecodeAnsiText).empty());

    // Any key text decodes without harm.
    (void)norvane::DecodeExceptionKey(text);
    return 0;
}
