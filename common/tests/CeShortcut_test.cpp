// Shortcut files of the device: the text form, tolerated variations and
// refusals.
#include "CeShortcut.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using norvane::CeShortcut;
using norvane::ParseCeShortcut;
using norvane::ParseCeShortcutBytes;

struct Case {
    const wchar_t* text;
    const wchar_t* target;
    const wchar_t* arguments;
    bool quoted;
};

TEST(CeShortcut, ParsesTheFormsFoundOnDevices) {
    const Case cases[] = {
        {L"17#\\Windows\\calc.exe", L"\\Windows\\calc.exe", L"", false},
        {L"34#\"\\Program Files\\App\\app.exe\" -open", L"\\Program Files\\App\\app.exe", L"-open", true},
        {L"26#\\Windows\\pword.exe -opendialog", L"\\Windows\\pword.exe", L"-opendialog", false},
        {L"18#\"\\My Documents\"", L"\\My Documents", L"", true},
        // Blanks around the parts, and a line end, are not part of anything.
        {L"  20#  \"\\Windows\\a b.exe\"   x  y  \r\n", L"\\Windows\\a b.exe", L"x  y", true},
        // A count that does not match the text is tolerated.
        {L"99#\\Windows\\fexplore.exe \\My Documents", L"\\Windows\\fexplore.exe", L"\\My Documents", false},
        {L"1#\\Windows\\tmail.exe", L"\\Windows\\tmail.exe", L"", false},
        // An unterminated quote takes the rest of the line.
        {L"10#\"\\Windows\\x.exe", L"\\Windows\\x.exe", L"", true},
        // Only the first line counts.
        {L"5#a.exe\nsecond line", L"a.exe", L"", false},
        {L"\xFEFF"
         L"5#a.exe",
         L"a.exe", L"", false},
    };
    for (const Case& c : cases) {
        CeShortcut s;
        ASSERT_TRUE(ParseCeShortcut(c.text, s)) << "text: " << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(s.target, c.target);
        EXPECT_EQ(s.arguments, c.arguments);
        EXPECT_EQ(s.quoted, c.quoted);
    }
}

TEST(CeShortcut, RefusesWhatIsNoShortcut) {
    const wchar_t* texts[] = {
        L"",
        L"#\\Windows\\calc.exe",      // no count
        L"17\\Windows\\calc.exe",     // no "#"
        L"17#",                       // nothing after it
        L"17#   ",                    // only blanks
        L"3#\"\"",                    // empty quoted target
        L"1234567890#\\x.exe",        // a count too long to be real
        L"x17#\\Windows\\calc.exe",   // text before the count
        L"\r\n17#\\Windows\\calc.exe" // the first line is empty
    };
    for (const wchar_t* text : texts) {
        CeShortcut s;
        s.target = L"stale";
        EXPECT_FALSE(ParseCeShortcut(text, s)) << testing::PrintToString(std::wstring(text));
        EXPECT_TRUE(s.target.empty()) << "a refused text leaves an empty record";
    }
    // A NUL ends the text.
    CeShortcut s;
    EXPECT_FALSE(ParseCeShortcut(std::wstring(L"17\0#\\Windows\\calc.exe", 21), s));
}

TEST(CeShortcut, UnquotedTargetKeepsTheWholeTextForLaterSplitting) {
    CeShortcut s;
    ASSERT_TRUE(ParseCeShortcut(L"30#\\Program Files\\My App\\a.exe -x", s));
    EXPECT_EQ(s.target, L"\\Program");
    EXPECT_EQ(s.arguments, L"Files\\My App\\a.exe -x");
    EXPECT_EQ(s.text, L"\\Program Files\\My App\\a.exe -x");
}

TEST(CeShortcut, DecodesTheFileEncodings) {
    CeShortcut s;
    // Single-byte text: "\xE9" is "é" in Windows-1252.
    ASSERT_TRUE(ParseCeShortcutBytes(std::string("12#\\Caf\xE9.exe\r\n"), s));
    EXPECT_EQ(s.target, L"\\Caf\x00E9.exe");
    // UTF-16LE with its byte-order mark.
    std::wstring wide = L"6#\\\x4E2D.exe";
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    ASSERT_TRUE(ParseCeShortcutBytes(bytes, s));
    EXPECT_EQ(s.target, L"\\\x4E2D.exe");
    // UTF-8 with its byte-order mark.
    ASSERT_TRUE(ParseCeShortcutBytes(std::string("\xEF\xBB\xBF"
                                                 "6#\\\xE4\xB8\xAD.exe"),
                                     s));
    EXPECT_EQ(s.target, L"\\\x4E2D.exe");
    // A desktop (binary) shortcut is no CE shortcut.
    EXPECT_FALSE(ParseCeShortcutBytes(std::string("L\0\0\0\x01\x14\x02\0", 8), s));
    // Oversized files are refused without being read.
    EXPECT_FALSE(ParseCeShortcutBytes(std::string(norvane::kMaxCeShortcutBytes + 1, '1'), s));
}

TEST(CeShortcut, WritingGivesTheCountAndReadsBack) {
    std::wstring text = norvane::FormatCeShortcut(L"\\Program Files\\App\\app.exe", L"-open");
    EXPECT_EQ(text, L"34#\"\\Program Files\\App\\app.exe\" -open");
    CeShortcut s;
    ASSERT_TRUE(ParseCeShortcut(text, s));
    EXPECT_EQ(s.target, L"\\Program Files\\App\\app.exe");
    EXPECT_EQ(s.arguments, L"-open");
    EXPECT_EQ(norvane::FormatCeShortcut(L"\\Windows\\calc.exe", L""), L"19#\"\\Windows\\calc.exe\"");
}

} // namespace
