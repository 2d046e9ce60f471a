#include "CeShortcut.h"

#include <gtest/gtest.h>

using norvane::device::CeShortcut;
using norvane::device::DecodeShortcutBytes;
using norvane::device::FormatCeShortcut;
using norvane::device::ParseCeShortcut;

TEST(CeShortcut, ParsesQuotedTargetWithArguments) {
    auto s = ParseCeShortcut(L"33#\"\\Windows\\ctlpnl.exe\" cplmain.cpl,3,0");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->target, L"\\Windows\\ctlpnl.exe");
    EXPECT_EQ(s->arguments, L"cplmain.cpl,3,0");
}

TEST(CeShortcut, ParsesUnquotedTargetAndIgnoresWrongLength) {
    auto s = ParseCeShortcut(L"5#\\Windows\\Notes.exe   -new\r\n");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->target, L"\\Windows\\Notes.exe");
    EXPECT_EQ(s->arguments, L"-new");
    auto bare = ParseCeShortcut(L"20#\"\\My Documents\\a b.txt\"");
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->target, L"\\My Documents\\a b.txt");
    EXPECT_EQ(bare->arguments, L"");
}

TEST(CeShortcut, RejectsTextThatIsNoShortcut) {
    for (const wchar_t* text : {L"", L"#\"\\x\"", L"12", L"ab#\"\\x\"", L"12#", L"12#\"\\never closed",
                                L"12#\"\"", L"1234567890123#\\x", L"[InternetShortcut]"}) {
        EXPECT_FALSE(ParseCeShortcut(text).has_value())
            << "text: " << testing::PrintToString(std::wstring(text));
    }
}

TEST(CeShortcut, OnlyTheFirstLineCounts) {
    auto s = ParseCeShortcut(L"20#\"\\Windows\\a.exe\"\n30#\"\\Windows\\b.exe\"");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->target, L"\\Windows\\a.exe");
}

TEST(CeShortcut, DecodesEightBitAndUtf16Files) {
    EXPECT_EQ(DecodeShortcutBytes(std::string("10#\"\\caf\xE9.exe\"\r\n")), L"10#\"\\caf\u00E9.exe\"");
    const char utf16[] = "\xFF\xFE"
                         "1\0"
                         "#\0"
                         "\\\0"
                         "x\0"
                         "\r\0"
                         "\n\0";
    EXPECT_EQ(DecodeShortcutBytes(std::string(utf16, sizeof utf16 - 1)), L"1#\\x");
}

TEST(CeShortcut, FormatRoundTripsAndCountsTheBody) {
    CeShortcut s{L"\\Windows\\Start Menu\\Programs\\Games\\Bubbles.exe", L"-level 2"};
    const std::wstring text = FormatCeShortcut(s);
    const std::wstring body = text.substr(text.find(L'#') + 1);
    EXPECT_EQ(text.substr(0, text.find(L'#')), std::to_wstring(body.size()));
    auto back = ParseCeShortcut(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->target, s.target);
    EXPECT_EQ(back->arguments, s.arguments);
}
