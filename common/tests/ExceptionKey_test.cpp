// Task-manager exception keys: any window title survives the settings file,
// and no title can disturb the file around it.
#include "ExceptionKey.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "SettingsFile.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace norvane {
namespace {

std::string Show(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x20 || c > 0x7E) {
            char code[12];
            std::snprintf(code, sizeof code, "\\x%04X", static_cast<unsigned>(c));
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Titles a user meets, and titles made to break the file.
const wchar_t* const kHostileTitles[] = {
    L"a=b",
    L"[Draft] Report",
    L"[TaskManagerExceptions]",
    L";not a comment",
    L"Notes ; draft",
    L"=",
    L"==",
    L"50% done",
    L"%41",
    L"Title~Notes",
    L"Title~",
    L"\x00DC"
    L"bersicht",
    L"\x65E5\x672C",
    L"- Untitled -",
    L"(1) Inbox",
    L"_tmp",
    L"tab\there",
    L"two\r\nlines",
    L"end\r",
    L"trailing blank ",
    L"trailing tab\t",
    L" leading blank",
    L"x\x0001y",
    L"Calendar",
};

TEST(ExceptionKey, PlainTitlesStayAsTheyAre) {
    for (const wchar_t* title : {L"Calendar", L"Notes - Draft", L"9 Lives", L"Inbox (3)", L"a;b", L"a[b]"}) {
        EXPECT_EQ(EncodeExceptionKey(title), title) << Show(title);
        EXPECT_EQ(DecodeExceptionKey(title), title) << Show(title);
    }
    EXPECT_EQ(EncodeExceptionKey(L"a=b"), L"Title~a%3Db");
    EXPECT_EQ(EncodeExceptionKey(L"[Draft] 50%"), L"Title~[Draft] 50%25");
    EXPECT_EQ(EncodeExceptionKey(L"trailing "), L"Title~trailing%20");
    EXPECT_EQ(EncodeExceptionKey(L"Title~x"), L"Title~Title~x");
}

TEST(ExceptionKey, EveryTitleComesBackAndOnlyAsItself) {
    std::vector<std::wstring> keys;
    for (const wchar_t* title : kHostileTitles) {
        const std::wstring key = EncodeExceptionKey(title);
        EXPECT_EQ(DecodeExceptionKey(key), title) << Show(title) << " -> " << Show(key);
        // What the parser would make of it: one key, exactly this one.
        SettingsFile file;
        file.LoadFromBytes("\xFF\xFE" + TextToUtf16LeBytes(L"\r\n[S]\r\n" + key + L"=4\r\nAfter=1\r\n"));
        ASSERT_EQ(file.SectionCount(), 1u) << Show(title);
        ASSERT_EQ(file.SectionAt(0).KeyCount(), 2u) << Show(title);
        EXPECT_EQ(file.SectionAt(0).KeyAt(0), key) << Show(title);
        EXPECT_EQ(file.SectionAt(0).ValueAt(0), L"4") << Show(title);
        keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << "two titles share a key";
}

TEST(ExceptionKey, BrokenEscapesStayLiteral) {
    EXPECT_EQ(DecodeExceptionKey(L"Title~%"), L"%");
    EXPECT_EQ(DecodeExceptionKey(L"Title~%4"), L"%4");
    EXPECT_EQ(DecodeExceptionKey(L"Title~%G1x"), L"%G1x");
    EXPECT_EQ(DecodeExceptionKey(L"Title~%3d%3D"), L"==");
    EXPECT_EQ(DecodeExceptionKey(L"Title"), L"Title");
}

TEST(ExceptionKey, HostileTitlesLeaveTheRecordAsItWas) {
    SettingsEnvironment quiet;
    Settings settings(quiet);
    settings.LoadFromBytes("");
    settings.General.XButtonCloses = true;
    int bits = 1;
    for (const wchar_t* title : kHostileTitles) {
        settings.ToggleExceptionFlags(title, bits);
        bits = bits % 7 + 1;
    }
    const std::map<std::wstring, int, std::less<>> before = settings.Exceptions();
    const std::string saved = settings.SaveToBytes();

    Settings again(quiet);
    again.LoadFromBytes(saved);
    EXPECT_EQ(again.Exceptions(), before);
    EXPECT_TRUE(again.General.XButtonCloses);

    // Every exception is a key of the one section, nothing else appeared, and a
    // second save writes the section as the first did.
    auto section = [](const std::string& bytes) {
        SettingsFile file;
        file.LoadFromBytes(bytes);
        std::vector<std::wstring> lines;
        if (const SettingsSection* found = file.FindSection(settings_keys::kTaskManagerExceptions)) {
            for (std::size_t i = 0; i < found->KeyCount(); ++i) {
                lines.push_back(found->KeyAt(i) + L"=" + found->ValueAt(i));
            }
        }
        EXPECT_EQ(file.SectionNameAt(file.SectionCount() - 1), settings_keys::kTaskManagerExceptions);
        return lines;
    };
    const std::vector<std::wstring> written = section(saved);
    EXPECT_EQ(written.size(), before.size());
    EXPECT_EQ(section(again.SaveToBytes()), written);
}

} // namespace
} // namespace norvane
