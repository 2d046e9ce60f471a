// The settings file: parser states, typed values, byte-exact output, and saving
// that never loses the old file.
#include "SettingsFile.h"
#include "SettingsParser.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

using test::DumpFile;
using test::Utf16File;

std::wstring Parse(std::wstring_view text) {
    SettingsFile file;
    file.LoadFromBytes(Utf16File(text));
    return DumpFile(file);
}

TEST(SettingsFileParser, EveryStateAsTheItemReadsIt) {
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        // Text before the first section, including the mark, is ignored.
        {L"junk\r\nA=1\r\n[S]\r\nk=v\r\n", L"[S]k=v|"},
        // Blanks around "=" and before a comment: the key is trimmed, the value keeps its trailing blank.
        {L"[S]\r\nKey = value ; note\r\n", L"[S]Key=value |"},
        {L"[S]\r\nk\t=\t v\r\n", L"[S]k=v|"},
        // ";" is part of a value only as its first character.
        {L"[S]\r\nKey=;x\r\n", L"[S]Key=;x|"},
        {L"[S]\r\nKey=a;b\r\n", L"[S]Key=a|"},
        // An empty value before a line end is present; "Key=" without a line end is dropped.
        {L"[S]\r\nKey=\r\nB=2", L"[S]Key=|B=2|"},
        {L"[S]\r\nA=1\r\nKey=", L"[S]A=1|"},
        {L"[S]\r\nA=1\r\nKey=   ", L"[S]A=1|"},
        // A line without "=" runs on into the next one.
        {L"[S]\r\njunk\r\nName=1\r\n", L"[S]junk\r\nName=1|"},
        {L"[S]\r\nA=1\r\ndangling", L"[S]A=1|"},
        // Keys start at a letter or digit.
        {L"[S]\r\n_Name=x\r\n  -9=y\r\n", L"[S]Name=x|9=y|"},
        // Duplicate key: last value, first position. Duplicate header: one section.
        {L"[S]\r\na=1\r\nb=2\r\na=3\r\n[T]\r\nx=1\r\n[S]\r\nc=4\r\n", L"[S]a=3|b=2|c=4|[T]x=1|"},
        // Names are case-sensitive.
        {L"[general]\r\na=1\r\n[General]\r\na=2\r\n", L"[general]a=1|[General]a=2|"},
        // A header alone creates nothing; the section comes with its first key.
        {L"[Empty]\r\n[F]\r\nk=v\r\n", L"[F]k=v|"},
        // Section names are not trimmed and may span lines or be empty.
        {L"[ a\r\nb ]\r\nk=v\r\n[]\r\nz=1", L"[ a\r\nb ]k=v|[]z=1|"},
        // Comment lines, "[" inside values, "=" inside values.
        {L"[S]\r\n; k=v\r\nk==v [x]\r\n", L"[S]k==v [x]|"},
        // A header may follow a value on the next line only; entries right after "]".
        {L"[S]k=v\n[T]\rm=w", L"[S]k=v|[T]m=w|"},
        // A header that never closes.
        {L"[S]\r\na=1\r\n[Broken\r\nb=2\r\n", L"[S]a=1|"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.text), c.expected) << "text: " << Utf16ToUtf8(c.text);
    }
    // The zero-unit case, built explicitly (a literal stops at the zero).
    std::wstring withZero = L"[S]\r\na=1\r\nb=2";
    withZero.push_back(L'\0');
    withZero += L"\r\nc=3\r\n";
    EXPECT_EQ(Parse(withZero), L"[S]a=1|b=2|");
}

TEST(SettingsFileParser, ReportsWhatItSkipsToASink) {
    struct Recorder : SettingsParseSink {
        std::vector<std::string> events;
        void OnSection(std::wstring_view name, std::size_t at) override {
            events.push_back("section " + Utf16ToUtf8(name) + "@" + std::to_string(at));
        }
        void OnEntry(std::wstring_view key, std::wstring_view value, std::size_t k, std::size_t v) override {
            events.push_back("entry " + Utf16ToUtf8(key) + "=" + Utf16ToUtf8(value) + "@" +
                             std::to_string(k) + "," + std::to_string(v));
        }
        void OnIgnoredPrologue(std::size_t at) override {
            events.push_back("prologue@" + std::to_string(at));
        }
        void OnSkipped(std::size_t at) override { events.push_back("skipped@" + std::to_string(at)); }
        void OnValueCut(std::size_t at) override { events.push_back("cut@" + std::to_string(at)); }
        void OnDroppedAtEnd(std::wstring_view key, std::size_t at) override {
            events.push_back("dropped " + Utf16ToUtf8(key) + "@" + std::to_string(at));
        }
        void OnUnclosedSection(std::size_t at) override {
            events.push_back("unclosed@" + std::to_string(at));
        }
    } recorder;
    //                  0123 4 5 67890 1 2 345678901 2 3 4567
    ParseSettingsText(L"x[S]\r\n_a=1\r\nb=c;d\r\n[T", recorder);
    const std::vector<std::string> expected = {"prologue@0",    "section S@1",     "skipped@6",
                                               "entry a=1@7,9", "entry b=c@12,14", "cut@15",
                                               "unclosed@19"};
    EXPECT_EQ(recorder.events, expected);

    Recorder dropped;
    ParseSettingsText(L"[S]\r\nkey = ", dropped);
    ASSERT_EQ(dropped.events.size(), 2u);
    EXPECT_EQ(dropped.events[1], "dropped key@5");
}

TEST(SettingsFileValues, TypedReadsTrimAndConvert) {
    SettingsFile file;
    file.LoadFromBytes(
        Utf16File(L"[V]\r\n"
                  L"s= padded text \r\nint1= 42 \r\nint2=-5\r\nint3=+7\r\nint4=12abc\r\n"
                  L"int5=abc\r\nint6=\r\nint7=99999999999\r\nint8=-99999999999\r\n"
                  L"b1=1\r\nb2= 1 \r\nb3=true\r\nb4=2\r\nb5=\r\nb6=0\r\n"
                  L"c1=10, 20, 30\r\nc2=\r\nc3=255\r\nc4=300,0,0\r\nc5=1,2,3,4\r\nc6=-1,+2,x3\r\n"
                  L"p1=-5,3\r\np2=\r\np3=7\r\n"));
    std::wstring s = L"unchanged";
    EXPECT_TRUE(file.GetString(L"V", L"s", s));
    EXPECT_EQ(s, L"padded text");
    EXPECT_FALSE(file.GetString(L"V", L"missing", s));
    EXPECT_FALSE(file.GetString(L"v", L"s", s)) << "section names are case-sensitive";
    EXPECT_EQ(s, L"padded text");

    const std::pair<const wchar_t*, int> ints[] = {
        {L"int1", 42}, {L"int2", -5}, {L"int3", 7},          {L"int4", 12},
        {L"int5", 0},  {L"int6", 0},  {L"int7", 2147483647}, {L"int8", -2147483647 - 1}};
    for (const auto& [key, value] : ints) {
        int out = 1234;
        EXPECT_TRUE(file.GetInt(L"V", key, out));
        EXPECT_EQ(out, value) << Utf16ToUtf8(key);
    }
    int untouched = 1234;
    EXPECT_FALSE(file.GetInt(L"V", L"nope", untouched));
    EXPECT_EQ(untouched, 1234);

    const std::pair<const wchar_t*, bool> bools[] = {{L"b1", true},  {L"b2", true},  {L"b3", false},
                                                     {L"b4", false}, {L"b5", false}, {L"b6", false}};
    for (const auto& [key, value] : bools) {
        bool out = !value;
        EXPECT_TRUE(file.GetBool(L"V", key, out));
        EXPECT_EQ(out, value) << Utf16ToUtf8(key);
    }
    bool flag = true;
    EXPECT_FALSE(file.GetBool(L"V", L"nope", flag));
    EXPECT_TRUE(flag);

    const std::pair<const wchar_t*, ColorValue> colors[] = {
        {L"c1", MakeColor(10, 20, 30)}, {L"c2", 0},
        {L"c3", MakeColor(255, 0, 0)},  {L"c4", MakeColor(44, 0, 0)},
        {L"c5", MakeColor(1, 2, 3)},    {L"c6", MakeColor(1, 2, 3)}};
    for (const auto& [key, value] : colors) {
        ColorValue out = 0xABCDEF;
        EXPECT_TRUE(file.GetColor(L"V", key, out));
        EXPECT_EQ(out, value) << Utf16ToUtf8(key);
    }
    ColorValue keep = 0x123456;
    EXPECT_FALSE(file.GetColor(L"V", L"nope", keep));
    EXPECT_EQ(keep, 0x123456u);

    SettingsPoint point{9, 9};
    EXPECT_TRUE(file.GetPoint(L"V", L"p1", point));
    EXPECT_EQ(point, (SettingsPoint{5, 3})) << "no sign is recognised";
    EXPECT_TRUE(file.GetPoint(L"V", L"p3", point));
    EXPECT_EQ(point, (SettingsPoint{7, 0}));
    point = {9, 9};
    EXPECT_TRUE(file.GetPoint(L"V", L"p2", point));
    EXPECT_EQ(point, (SettingsPoint{0, 0}));
    point = {9, 9};
    EXPECT_FALSE(file.GetPoint(L"V", L"nope", point));
    EXPECT_EQ(point, (SettingsPoint{0, 0})) << "a missing point reads as (0,0)";
}

TEST(SettingsFileValues, WritesKeepOrderAndSetTheDirtyFlag) {
    SettingsFile file;
    EXPECT_FALSE(file.IsDirty());
    EXPECT_TRUE(file.AddSection(L"First"));
    EXPECT_TRUE(file.IsDirty());
    EXPECT_FALSE(file.AddSection(L"First"));
    file.SetInt(L"Second", L"n", -17);
    file.SetBool(L"Second", L"yes", true);
    file.SetBool(L"Second", L"no", false);
    file.SetColor(L"First", L"c", MakeColor(1, 128, 255));
    file.SetPoint(L"First", L"p", SettingsPoint{-3, 40});
    file.SetString(L"Second", L"n", L"replaced");
    file.SetInt(L"Second", L"min", -2147483647 - 1);
    EXPECT_EQ(DumpFile(file), L"[First]c=1,128,255|p=-3,40|[Second]n=replaced|yes=1|no=0|min=-2147483648|");
    const SettingsSection* second = file.FindSection(L"Second");
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second->Find(L"yes"), nullptr);
    EXPECT_EQ(*second->Find(L"yes"), L"1");
    EXPECT_EQ(file.FindSection(L"second"), nullptr);
    file.Clear();
    EXPECT_FALSE(file.IsDirty());
    EXPECT_EQ(file.SectionCount(), 0u);
}

TEST(SettingsFileDisk, WritesExactBytesAndReadsThemBack) {
    test::ScratchDir dir;
    const std::wstring path = dir.WidePath("Norvane.ini");
    {
        SettingsFile file;
        file.SetString(L"General", L"A", L"1");
        file.SetString(L"General", L"B", L"x");
        EXPECT_EQ(file.ToBytes(), Utf16File(L"\r\n[General]\r\nA=1\r\nB=x\r\n"));
        file.AddSection(L"Empty");
        file.SetString(L"Text", L"Unicode", L"Gr\u00fc\u00dfe \u043f\u0440\u0438\u0432\u0435\u0442 \u20ac");
        EXPECT_TRUE(file.Save(path));
        EXPECT_FALSE(file.IsDirty());
        EXPECT_EQ(file.Path(), path);
    }
    const std::string expected =
        Utf16File(L"\r\n[General]\r\nA=1\r\nB=x\r\n\r\n[Empty]\r\n\r\n[Text]\r\n"
                  L"Unicode=Gr\u00fc\u00dfe \u043f\u0440\u0438\u0432\u0435\u0442 \u20ac\r\n");
    EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), expected);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("Norvane.ini.new")));

    SettingsFile again(path);
    std::wstring value;
    EXPECT_TRUE(again.GetString(L"Text", L"Unicode", value));
    EXPECT_EQ(value, L"Gr\u00fc\u00dfe \u043f\u0440\u0438\u0432\u0435\u0442 \u20ac");
    EXPECT_EQ(again.FindSection(L"Empty"), nullptr) << "an empty section does not survive a reload";

    // Missing file: false, empty, not dirty. Empty path: Save refuses.
    SettingsFile missing;
    EXPECT_FALSE(missing.Load(dir.WidePath("nothing.ini")));
    EXPECT_EQ(missing.SectionCount(), 0u);
    SettingsFile unnamed;
    unnamed.SetString(L"S", L"k", L"v");
    EXPECT_FALSE(unnamed.Save());
}

TEST(SettingsFileDisk, EightBitFilesGoThroughTheAnsiDecoder) {
    test::ScratchDir dir;
    // Windows-1252 bytes: e-acute, euro sign, then a zero byte that ends the text.
    test::WriteBytes(dir.Path("ansi.ini"), std::string("[S]\r\nName=Caf\xE9 \x80\r\n\0Hidden=1\r\n", 27));
    SettingsFile file;
    file.SetAnsiDecoder(&Cp1252ToUtf16);
    ASSERT_TRUE(file.Load(dir.WidePath("ansi.ini")));
    EXPECT_EQ(DumpFile(file), L"[S]Name=Caf\u00e9 \u20ac|");
    // Saving turns it into UTF-16 with a mark.
    file.SetString(L"S", L"Name", L"Caf\u00e9 \u20ac");
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(test::ReadBytes(dir.Path("ansi.ini")), Utf16File(L"\r\n[S]\r\nName=Caf\u00e9 \u20ac\r\n"));

    // The decoder is what it is told to be.
    SettingsFile custom;
    custom.SetAnsiDecoder([](std::string_view) { return std::wstring(L"[Decoded]\r\nk=v\r\n"); });
    custom.LoadFromBytes("anything");
    EXPECT_EQ(DumpFile(custom), L"[Decoded]k=v|");

    // A mark alone, and an odd last byte that pairs with the buffer's closing zero.
    SettingsFile odd;
    odd.LoadFromBytes(Utf16File(L"[S]\r\nk=v") + "w");
    EXPECT_EQ(DumpFile(odd), L"[S]k=vw|");
}

TEST(SettingsFileDisk, AFailedSaveLeavesTheOldFileWhole) {
    test::ScratchDir dir;
    const std::wstring path = dir.WidePath("Norvane.ini");
    const std::string original = Utf16File(L"\r\n[General]\r\nKeep=me\r\n");
    test::WriteBytes(dir.Path("Norvane.ini"), original);

    for (int failAt : {1, 2, 4}) {
        test::FailingFileLayer layer;
        layer.FailWriteNumber = failAt;
        SettingsFile file;
        file.SetFileLayer(layer);
        file.SetString(L"General", L"Keep", L"changed");
        file.SetString(L"General", L"More", L"lines");
        file.SetString(L"Other", L"x", L"y");
        EXPECT_FALSE(file.Save(path)) << "write " << failAt;
        EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), original) << "write " << failAt;
        EXPECT_FALSE(std::filesystem::exists(dir.Path("Norvane.ini.new")));
        EXPECT_LT(layer.Writes, 6) << "writing stops at the first failure";
        EXPECT_FALSE(file.IsDirty()) << "the file was created, so the flag is cleared";
    }
    for (bool failCreate : {true, false}) {
        test::FailingFileLayer layer;
        layer.FailCreate = failCreate;
        layer.FailMove = !failCreate;
        SettingsFile file;
        file.SetFileLayer(layer);
        file.SetString(L"General", L"Keep", L"changed");
        EXPECT_FALSE(file.Save(path));
        EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), original);
        EXPECT_FALSE(std::filesystem::exists(dir.Path("Norvane.ini.new")));
        EXPECT_EQ(file.IsDirty(), failCreate) << "a file never created leaves the changes unsaved";
        file.Clear(); // keep the destructor from trying again
    }
    // With every write going through, the same layer replaces the file.
    test::FailingFileLayer working;
    SettingsFile file;
    file.SetFileLayer(working);
    file.SetString(L"General", L"Keep", L"changed");
    EXPECT_TRUE(file.Save(path));
    EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), Utf16File(L"\r\n[General]\r\nKeep=changed\r\n"));
}

TEST(SettingsFileDisk, DestroyingAChangedFileSavesIt) {
    test::ScratchDir dir;
    const std::wstring path = dir.WidePath("auto.ini");
    {
        SettingsFile file;
        file.SetPath(path);
        file.SetInt(L"S", L"n", 5);
    }
    EXPECT_EQ(test::ReadBytes(dir.Path("auto.ini")), Utf16File(L"\r\n[S]\r\nn=5\r\n"));
    test::WriteBytes(dir.Path("auto.ini"), "[S]\r\nn=6\r\n");
    {
        SettingsFile file(path); // loaded, not changed: nothing written
    }
    EXPECT_EQ(test::ReadBytes(dir.Path("auto.ini")), "[S]\r\nn=6\r\n");
}

} // namespace
} // namespace norvane
