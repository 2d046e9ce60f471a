// Special properties: the "~#~" text form and lower-cased keys.
#include "PropertyList.h"
#include "ShortcutRecord.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

std::wstring Dump(const PropertyList& list) {
    std::wstring out;
    for (const auto& [key, value] : list.Items()) {
        out += key + L"=" + value + L";";
    }
    return out;
}

TEST(PropertyList, ReadsTheTextForm) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"first~#~one~#~second~#~two", L"first=one;second=two;"},
        {L"a~#~1~#~b", L"a=1;"},
        {L"a~#~", L"a=;"},
        {L"a~#~1~#~a~#~2", L"a=2;"},
        {L"Mixed~#~Case", L"Mixed=Case;"},
        {L"", L""},
        {L"lonely", L""},
        {L"~#~v", L"=v;"},
        {L"a~#~x~#", L"a=x~#;"},
        {L"a~#~~#~b~#~2", L"a=;b=2;"},
    };
    for (const auto& [text, expected] : cases) {
        PropertyList list;
        list.Set(L"stale", L"gone");
        list.Parse(text);
        EXPECT_EQ(Dump(list), expected) << Utf16ToUtf8(text);
    }
}

TEST(PropertyList, WritesPairsInKeyOrderWithoutEmptyValues) {
    PropertyList list;
    EXPECT_EQ(list.ToText(), L"");
    list.Set(L"b", L"");
    list.Set(L"a", L"1");
    EXPECT_EQ(list.ToText(), L"a~#~1");
    list.Set(L"Zeta", L"z");
    list.Set(L"Delay", L"5");
    EXPECT_EQ(list.ToText(), L"a~#~1~#~delay~#~5~#~zeta~#~z");
    list.Set(L"a", L"");
    EXPECT_EQ(list.ToText(), L"delay~#~5~#~zeta~#~z");

    PropertyList reread;
    reread.Parse(list.ToText());
    EXPECT_EQ(reread.Get(L"DELAY"), L"5");
}

TEST(PropertyList, GetAndSetLowerCaseTheKey) {
    PropertyList list;
    list.Set(L"PromptBeforeReset", L"1");
    EXPECT_EQ(list.Get(L"promptbeforereset"), L"1");
    EXPECT_EQ(list.Get(L"PROMPTBEFORERESET"), L"1");
    EXPECT_EQ(list.Get(L"missing"), L"");
    list.Set(L"\u00c9CRAN", L"x");
    EXPECT_EQ(list.Get(L"\u00e9cran"), L"x");
    // Read keys stay as written, so a capitalised key is out of reach of Get.
    list.Parse(L"Delay~#~3");
    EXPECT_EQ(list.Get(L"Delay"), L"");
    EXPECT_EQ(Dump(list), L"Delay=3;");
}

TEST(PropertyList, ThroughTheShortcutKeysAreLowerCased) {
    ShortcutRecord shortcut;
    shortcut.SetAdditionalTarget(L"special:sms");
    shortcut.SpecialProperties().Set(L"PhoneNumber", L"555 0100");
    shortcut.SpecialProperties().Set(L"SMSDefaultBody", L"On my way");
    EXPECT_EQ(shortcut.SpecialProperties().Get(L"phonenumber"), L"555 0100");
    EXPECT_EQ(shortcut.SpecialProperties().ToText(), L"phonenumber~#~555 0100~#~smsdefaultbody~#~On my way");
    // A copy of the stored fields carries the properties.
    const auto copy = shortcut.CloneStored();
    EXPECT_EQ(copy->SpecialProperties(), shortcut.SpecialProperties());
    // Writing then reading keeps every non-empty pair, values with blanks,
    // separators' parts and non-Latin text included.
    PropertyList list;
    list.Set(L"path", L"\\My Documents\\");
    list.Set(L"prefix", L"a~b#c");
    list.Set(L"name", L"\u0416\u00e9");
    list.Set(L"gone", L"");
    PropertyList reread;
    reread.Parse(list.ToText());
    EXPECT_EQ(reread.Items().size(), 3u);
    EXPECT_EQ(reread.Get(L"prefix"), L"a~b#c");
    EXPECT_EQ(reread.Get(L"name"), L"\u0416\u00e9");
    EXPECT_EQ(reread.Get(L"gone"), L"");
}

TEST(TextCodecLowerCase, FoldsTheCommonScripts) {
    EXPECT_EQ(LowerCase(L"ABCxyz-09"), L"abcxyz-09");
    EXPECT_EQ(LowerCase(L"\u00c0\u00d6\u00d7\u00d8\u00de\u00df"), L"\u00e0\u00f6\u00d7\u00f8\u00fe\u00df");
    EXPECT_EQ(LowerCase(L"\u0100\u0139\u0178\u017d\u0391\u03a9\u0410\u042f\u0401"),
              L"\u0101\u013a\u00ff\u017e\u03b1\u03c9\u0430\u044f\u0451");
}

} // namespace
} // namespace norvane
