// Special commands: names, defaults, the rotation table and the capture options
// read from hand-edited properties.
#include "CaptureOptions.h"
#include "ShortcutRecord.h"
#include "SpecialCommands.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <set>

namespace norvane {
namespace {

TEST(SpecialCommands, NamesAreExactAndCarryTheirDisplayNames) {
    const std::pair<const wchar_t*, unsigned> names[] = {
        {L"softreset", 10149}, {L"poweroff", 10150},  {L"screencapture", 10151},
        {L"rotate", 10152},    {L"tabmenu", 10153},   {L"sms", 10154},
        {L"phonecall", 10155}, {L"jumptotab", 10190}, {L"minmax", 10194},
    };
    std::set<SpecialCommand> seen;
    for (const auto& [name, id] : names) {
        const SpecialCommand command = SpecialCommandOf(name);
        EXPECT_NE(command, SpecialCommand::Unknown) << Utf16ToUtf8(name);
        EXPECT_EQ(SpecialCommandNameId(command), id) << Utf16ToUtf8(name);
        seen.insert(command);
        EXPECT_EQ(SpecialCommandOfTarget(std::wstring(L"special:") + name), command);
    }
    EXPECT_EQ(seen.size(), 9u);
    for (const wchar_t* other : {L"SoftReset", L"softreset ", L"", L"soft", L"MinMax", L"special:sms"}) {
        EXPECT_EQ(SpecialCommandOf(other), SpecialCommand::Unknown) << Utf16ToUtf8(other);
    }
    EXPECT_EQ(SpecialCommandOfTarget(L"Special:sms"), SpecialCommand::Unknown);
    EXPECT_EQ(SpecialCommandOfTarget(L"folder:\\special:sms"), SpecialCommand::Unknown);
    EXPECT_EQ(SpecialCommandNameId(SpecialCommand::Unknown), 0u);
}

TEST(SpecialCommands, NewShortcutsGetTheirCommandsDefaults) {
    ShortcutRecord shortcut;
    shortcut.SpecialProperties().Set(L"leftover", L"x");
    shortcut.SetAdditionalTarget(L"special:screencapture");
    SetDefaultSpecialProperties(shortcut, L"\\My Documents");
    EXPECT_EQ(shortcut.SpecialProperties().ToText(),
              L"colordepth~#~0~#~count~#~1~#~delay~#~5~#~format~#~JPG~#~path~#~\\My Documents\\~#~"
              L"prefix~#~capture_~#~promptafterfinishing~#~1~#~promptbeforestarting~#~1~#~repeatdelay~#~2");
    // A documents folder that already ends in "\" keeps one.
    EXPECT_EQ(SpecialCommandDefaults(L"screencapture", L"\\Docs\\").Get(L"Path"), L"\\Docs\\");

    shortcut.SetAdditionalTarget(L"special:softreset");
    SetDefaultSpecialProperties(shortcut, L"\\My Documents");
    EXPECT_EQ(shortcut.SpecialProperties().ToText(), L"promptbeforereset~#~1");
    shortcut.SetAdditionalTarget(L"special:rotate");
    SetDefaultSpecialProperties(shortcut, L"");
    EXPECT_EQ(shortcut.SpecialProperties().ToText(), L"mode~#~left-restore");

    for (const wchar_t* none :
         {L"special:poweroff", L"special:sms", L"special:phonecall", L"special:tabmenu", L"special:jumptotab",
          L"special:minmax", L"special:SoftReset", L"", L"folder:\\x"}) {
        shortcut.SpecialProperties().Set(L"leftover", L"x");
        shortcut.SetAdditionalTarget(none);
        SetDefaultSpecialProperties(shortcut, L"\\My Documents");
        EXPECT_TRUE(shortcut.SpecialProperties().Empty()) << Utf16ToUtf8(none);
    }
}

TEST(SpecialCommands, RotationFollowsTheModeTable) {
    using namespace orientation;
    const int from[4] = {k0, k90, k180, k270};
    const std::pair<const wchar_t*, std::array<int, 4>> table[] = {
        {L"left-restore", {k90, k0, k0, k0}},   {L"right-restore", {k270, k0, k0, k0}},
        {L"left-only", {k90, k180, k270, k0}},  {L"right-only", {k270, k0, k90, k180}},
        {L"180-only", {k180, k270, k0, k90}},   {L"restore-only", {k0, k0, k0, k0}},
        {L"sideways", {k0, k0, k0, k0}},        {L"", {k90, k0, k0, k0}},
        {L"Right-Only", {k270, k0, k90, k180}}, {L"LEFT-RESTORE", {k90, k0, k0, k0}},
    };
    for (const auto& [mode, to] : table) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(NextOrientation(mode, from[i]), to[i]) << Utf16ToUtf8(mode) << " from " << from[i];
        }
    }
    // Left-restore twice comes back; an orientation the table does not know counts as 0.
    EXPECT_EQ(NextOrientation(L"left-restore", NextOrientation(L"left-restore", k0)), k0);
    EXPECT_EQ(NextOrientation(L"left-only", 3), k90);
}

TEST(SpecialCommands, SmsParametersQuoteBothFields) {
    EXPECT_EQ(SmsParameters(L"", L""), L"-to \"\" -body \"\" -service \"SMS\"");
    EXPECT_EQ(SmsParameters(L"+1 555 0100", L"On my way"),
              L"-to \"+1 555 0100\" -body \"On my way\" -service \"SMS\"");
}

TEST(SpecialCommands, PropertyIntegersReadLikeTheSystemsNumbers) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"5", 5},
        {L" 12", 12},
        {L"-3", -3},
        {L"+7", 7},
        {L"3 sec", 3},
        {L"", 0},
        {L"x", 0},
        {L"-", 0},
        {L"0x10", 0},
        {L"007", 7},
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"99999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-99999999999999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(PropertyInteger(text), value) << Utf16ToUtf8(text);
    }
}

TEST(CaptureOptions, ReadsPropertiesAndHoldsNumbersToTheDialogsRanges) {
    PropertyList properties;
    properties.Parse(L"count~#~3~#~delay~#~0~#~repeatdelay~#~1~#~promptbeforestarting~#~0~#~"
                     L"promptafterfinishing~#~1~#~colordepth~#~16~#~path~#~\\Captures~#~prefix~#~shot_~#~"
                     L"format~#~JPG");
    CaptureRequest request = ReadCaptureRequest(properties, L"\\My Documents");
    EXPECT_EQ(request.count, 3);
    EXPECT_EQ(request.delaySeconds, 0);
    EXPECT_EQ(request.repeatDelaySeconds, 1);
    EXPECT_FALSE(request.promptBeforeStarting);
    EXPECT_TRUE(request.promptAfterFinishing);
    EXPECT_EQ(request.colourDepth, 16);
    EXPECT_EQ(request.path, L"\\Captures\\");
    EXPECT_EQ(request.prefix, L"shot_");
    EXPECT_TRUE(IsJpegFormat(request.format));

    // Hand-edited values: negative, huge, zero, garbage; prompts only for "1".
    properties.Parse(L"count~#~-4~#~delay~#~99999999999~#~repeatdelay~#~0~#~promptbeforestarting~#~yes~#~"
                     L"promptafterfinishing~#~true~#~colordepth~#~15~#~format~#~jpg");
    request = ReadCaptureRequest(properties, L"\\My Documents");
    EXPECT_EQ(request.count, 1);
    EXPECT_EQ(request.delaySeconds, 15);
    EXPECT_EQ(request.repeatDelaySeconds, 1);
    EXPECT_FALSE(request.promptBeforeStarting);
    EXPECT_FALSE(request.promptAfterFinishing);
    EXPECT_EQ(request.colourDepth, 0);
    EXPECT_EQ(request.path, L"\\My Documents\\");
    EXPECT_EQ(request.prefix, L"");
    EXPECT_FALSE(IsJpegFormat(request.format));
    EXPECT_STREQ(CaptureExtension(request.format), L"bmp");

    properties.Parse(L"count~#~0~#~delay~#~-1~#~repeatdelay~#~40~#~path~#~\\Deep\\Folder\\");
    request = ReadCaptureRequest(properties, L"\\My Documents\\");
    EXPECT_EQ(request.count, 1);
    EXPECT_EQ(request.delaySeconds, 0);
    EXPECT_EQ(request.repeatDelaySeconds, 15);
    EXPECT_EQ(request.path, L"\\Deep\\Folder\\");
    EXPECT_EQ(request.format, L"BMP");
    EXPECT_STREQ(CaptureExtension(request.format), L"bmp");
    EXPECT_STREQ(CaptureExtension(L"JPG"), L"jpg");
    EXPECT_STREQ(CaptureExtension(L"JPEG"), L"bmp");

    // No properties at all, and no documents folder: the root.
    request = ReadCaptureRequest(PropertyList(), L"");
    EXPECT_EQ(request.path, L"\\");
    EXPECT_EQ(request.count, 1);
}

TEST(CaptureOptions, FileNamesNeverTakeAnEarlierPicturesName) {
    const CaptureTime time{2007, 12, 3, 6, 34, 18};
    EXPECT_EQ(CaptureFileName(L"\\My Documents\\", L"capture_", time, L"bmp"),
              L"\\My Documents\\capture_20071203_063418.bmp");
    std::set<std::wstring> taken;
    auto isTaken = [&](const std::wstring& name) { return taken.count(name) != 0; };
    for (int i = 0; i < 4; ++i) {
        const std::wstring name = FreeCaptureFileName(L"\\P\\", L"c_", time, L"jpg", isTaken);
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(taken.insert(name).second) << Utf16ToUtf8(name);
    }
    EXPECT_TRUE(taken.count(L"\\P\\c_20071203_063418.jpg"));
    EXPECT_TRUE(taken.count(L"\\P\\c_20071203_063418_2.jpg"));
    EXPECT_TRUE(taken.count(L"\\P\\c_20071203_063418_4.jpg"));
    // When every name is taken there is none to give.
    EXPECT_EQ(FreeCaptureFileName(L"\\P\\", L"c_", time, L"jpg", [](const std::wstring&) { return true; }),
              L"");
}

} // namespace
} // namespace norvane
