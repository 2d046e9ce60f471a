// The settings file against the platform's own INI functions: what one writes, the
// other reads, for the values both syntaxes share.
#include "SettingsFile.h"
#include "TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace norvane {
namespace {

std::wstring ProfileString(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[1024];
    GetPrivateProfileStringW(section, key, L"<missing>", buffer, 1024, path.c_str());
    return buffer;
}

struct Entry {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
};

// Values both syntaxes read alike: no quotes, no ";" past the first character.
const Entry kEntries[] = {
    {L"General", L"ShowBrowseIcons", L"1"},
    {L"General", L"PreferredFolderApp", L"\\windows\\fexplore.exe"},
    {L"General", L"CaptionColor", L"255,128,0"},
    {L"General", L"CaptionFont", L""},
    {L"Tab1", L"Name", L"Gr\u00fc\u00dfe \u043c\u0438\u0440 \u20ac"},
    {L"Tab1", L"Shortcut1", L"\\Windows\\Start Menu\\Programs\\Calculator.lnk"},
    {L"Tab1", L"SpecialProperties1", L"a~#~1~#~b~#~two words"},
    {L"TaskManagerExceptions", L"Inbox - Outlook", L"3"},
};

TEST(ProfileApi, ReadsWhatTheSettingsFileWrites) {
    test::ScratchDir dir;
    const std::wstring path = dir.WidePath("ours.ini");
    SettingsFile file;
    for (const Entry& e : kEntries) {
        file.SetString(e.section, e.key, e.value);
    }
    ASSERT_TRUE(file.Save(path));
    for (const Entry& e : kEntries) {
        EXPECT_EQ(ProfileString(path, e.section, e.key), e.value)
            << Utf16ToUtf8(e.section) << "/" << Utf16ToUtf8(e.key);
    }
    EXPECT_EQ(ProfileString(path, L"Tab1", L"Shortcut2"), L"<missing>");
}

TEST(ProfileApi, SettingsFileReadsWhatTheProfileApiWrites) {
    test::ScratchDir dir;
    // A file that starts with the mark stays UTF-16 when the platform writes to it.
    const std::wstring unicodePath = dir.WidePath("theirs.ini");
    test::WriteBytes(dir.Path("theirs.ini"), "\xFF\xFE");
    // A new file is written in the ANSI code page: read through the fallback.
    const std::wstring ansiPath = dir.WidePath("ansi.ini");
    for (const Entry& e : kEntries) {
        ASSERT_TRUE(WritePrivateProfileStringW(e.section, e.key, e.value, unicodePath.c_str()));
    }
    const Entry ansiEntries[] = {{L"General", L"MeterBar", L"Battery"},
                                 {L"Tab1", L"Name", L"Caf\u00e9 \u00e0 la carte"},
                                 {L"Tab1", L"Shortcut1", L"\\Windows\\fexplore.exe"}};
    for (const Entry& e : ansiEntries) {
        ASSERT_TRUE(WritePrivateProfileStringW(e.section, e.key, e.value, ansiPath.c_str()));
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, unicodePath.c_str()); // flush the cache
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ansiPath.c_str());

    const std::string bytes = test::ReadBytes(dir.Path("theirs.ini"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    SettingsFile unicodeFile;
    ASSERT_TRUE(unicodeFile.Load(unicodePath));
    for (const Entry& e : kEntries) {
        std::wstring value = L"<missing>";
        EXPECT_TRUE(unicodeFile.GetString(e.section, e.key, value)) << Utf16ToUtf8(e.key);
        EXPECT_EQ(value, e.value) << Utf16ToUtf8(e.key);
    }
    SettingsFile ansiFile;
    ASSERT_TRUE(ansiFile.Load(ansiPath));
    EXPECT_NE(test::ReadBytes(dir.Path("ansi.ini")).substr(0, 2), "\xFF\xFE");
    for (const Entry& e : ansiEntries) {
        std::wstring value = L"<missing>";
        EXPECT_TRUE(ansiFile.GetString(e.section, e.key, value)) << Utf16ToUtf8(e.key);
        EXPECT_EQ(value, e.value) << Utf16ToUtf8(e.key);
    }
}

} // namespace
} // namespace norvane
