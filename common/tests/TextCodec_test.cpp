#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace norvane;

TEST(TextCodec, Utf8RoundTripsBmpAndAstralCharacters) {
    std::wstring text = {L'A', static_cast<wchar_t>(0x00E9), static_cast<wchar_t>(0x20AC),
                         static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    std::string utf8 = Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(utf8), text);
}

TEST(TextCodec, MalformedInputBecomesReplacementCharacters) {
    std::wstring lone = {static_cast<wchar_t>(0xD800), L'x'};
    EXPECT_EQ(Utf16ToUtf8(lone), "\xEF\xBF\xBDx");
    // Truncated sequence, overlong encoding and a stray continuation byte.
    std::wstring got = Utf8ToUtf16("\xE2\x82");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(static_cast<unsigned>(got[0]), 0xFFFDu);
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF").size(), 2u);
    EXPECT_EQ(static_cast<unsigned>(Utf8ToUtf16("\x80")[0]), 0xFFFDu);
}

TEST(TextCodec, Cp1252MapsTheHighControlsRange) {
    std::wstring got = Cp1252ToUtf16("\x80\xE9\x9F");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(static_cast<unsigned>(got[0]), 0x20ACu);
    EXPECT_EQ(static_cast<unsigned>(got[1]), 0x00E9u);
    EXPECT_EQ(static_cast<unsigned>(got[2]), 0x0178u);
}

TEST(TextCodec, Utf16LeBytesRoundTripAndOddByteIsDropped) {
    std::wstring text = {static_cast<wchar_t>(0xFEFF), L'[', static_cast<wchar_t>(0x20AC)};
    std::string bytes = TextToUtf16LeBytes(text);
    EXPECT_EQ(bytes, std::string("\xFF\xFE[\x00\xAC\x20", 6));
    EXPECT_EQ(Utf16LeBytesToText(bytes + "\x41"), text);
}
