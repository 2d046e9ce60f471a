// Shortcut targets: kinds by prefix, captions, applet texts, class identifiers,
// icon names and sizes.
#include "ShortcutRecord.h"
#include "ShortcutTarget.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(ShortcutTarget, KindsArePrefixesComparedExactlyInOrder) {
    const std::pair<const wchar_t*, TargetKind> cases[] = {
        {L"meter:\\Windows\\meters\\battery.ini", TargetKind::Meter},
        {L"cpl:cplmain.cpl|3", TargetKind::ControlPanel},
        {L"folder:\\My Documents", TargetKind::Folder},
        {L"new:Menu", TargetKind::NewItem},
        {L"special:softreset", TargetKind::SpecialCommand},
        {L"special:SoftReset", TargetKind::SpecialCommand},
        {L"", TargetKind::File},
        {L"Folder:\\x", TargetKind::File},
        {L"METER:x", TargetKind::File},
        {L"cpl", TargetKind::File},
        {L" folder:\\x", TargetKind::File},
        {L"folder:", TargetKind::Folder},
        {L"meter:folder:x", TargetKind::Meter},
    };
    for (const auto& [text, kind] : cases) {
        EXPECT_EQ(KindOfTarget(text), kind) << Utf16ToUtf8(text);
    }
    EXPECT_EQ(TargetArgument(L"special:SoftReset"), L"SoftReset");
    EXPECT_EQ(TargetArgument(L"folder:"), L"");
    EXPECT_EQ(TargetArgument(L"Folder:\\x"), L"Folder:\\x");

    ShortcutRecord shortcut;
    shortcut.SetAdditionalTarget(L"new:{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}");
    EXPECT_EQ(KindOf(shortcut), TargetKind::NewItem);
}

TEST(ShortcutTarget, ThemePackagesEndExactlyInTsk) {
    EXPECT_TRUE(IsThemePackage(L"\\My Documents\\Blue.tsk"));
    EXPECT_TRUE(IsThemePackage(L".tsk"));
    EXPECT_FALSE(IsThemePackage(L"\\My Documents\\Blue.TSK"));
    EXPECT_FALSE(IsThemePackage(L"\\My Documents\\Blue.tsk "));
    EXPECT_FALSE(IsThemePackage(L"tsk"));
    EXPECT_FALSE(IsThemePackage(L""));
}

TEST(ShortcutTarget, Captions) {
    struct Case {
        const wchar_t* target;
        const wchar_t* additional;
        const wchar_t* title;
        const wchar_t* caption;
        const wchar_t* stored;
    };
    const Case cases[] = {
        {L"\\Windows\\Start Menu\\Programs\\Calculator.lnk", L"", L"", L"Calculator", L""},
        {L"Notes.LNK", L"", L"", L"Notes.LNK", L""},
        {L"\\Windows\\Notes.lnk.lnk", L"", L"", L"Notes.lnk", L""},
        {L"\\Windows\\", L"", L"", L"", L""},
        {L".lnk", L"", L"", L"", L""},
        {L"plain", L"", L"", L"plain", L""},
        {L"\\My Documents\\Work", L"folder:\\My Documents\\Work", L"", L"\\My Documents\\Work", L""},
        {L"My Stuff.lnk", L"folder:\\x", L"", L"My Stuff.lnk", L""},
        {L"Files.lnk", L"Folder:\\x", L"", L"Files", L""},
        {L"Power", L"cpl:cplmain.cpl|3", L"", L"Power", L""},
        {L"\\Windows\\Calc.lnk", L"", L"Sums", L"Sums", L"Sums"},
        {L"Soft Reset", L"special:softreset", L"Reset!", L"Reset!", L"Reset!"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TargetCaption(c.target, c.additional, c.title, false), c.caption) << Utf16ToUtf8(c.target);
        EXPECT_EQ(TargetCaption(c.target, c.additional, c.title, true), c.stored) << Utf16ToUtf8(c.target);
    }
    // The record shows the same caption, and a title equal to it is not stored.
    ShortcutRecord shortcut;
    shortcut.SetTarget(L"\\Windows\\Start Menu\\Programs\\Calculator.lnk");
    EXPECT_EQ(shortcut.Caption(), L"Calculator");
    shortcut.SetToolTipTitle(L"Calculator");
    EXPECT_EQ(shortcut.Caption(true), L"");
    shortcut.SetToolTipTitle(L"Sums");
    EXPECT_EQ(shortcut.Caption(true), L"Sums");
}

TEST(ShortcutTarget, ControlPanelTexts) {
    struct Case {
        const wchar_t* additional;
        const wchar_t* file;
        int index;
        const wchar_t* commandLine;
        bool power;
    };
    const Case cases[] = {
        {L"cpl:cplmain.cpl|3", L"cplmain.cpl", 3, L"cplmain.cpl,3,0", true},
        {L"cpl:cplmain.cpl|4", L"cplmain.cpl", 4, L"cplmain.cpl,4,0", false},
        {L"cpl:\\Windows\\cplmain.cpl|3", L"\\Windows\\cplmain.cpl", 3, L"\\Windows\\cplmain.cpl,3,0", true},
        {L"cpl:CPLMAIN.CPL|3", L"CPLMAIN.CPL", 3, L"CPLMAIN.CPL,3,0", false},
        {L"cpl:cplmain.cpl", L"", 0, L",0,0", false},
        {L"cpl:", L"", 0, L",0,0", false},
        {L"cpl:|7", L"", 7, L",7,0", false},
        {L"cpl:a|b|2", L"a", 0, L"a,0,0", false},
        {L"cpl:mycpl.cpl| 12abc", L"mycpl.cpl", 12, L"mycpl.cpl,12,0", false},
        {L"cpl:x.cpl|-2", L"x.cpl", -2, L"x.cpl,-2,0", false},
        {L"cpl:x.cpl|99999999999", L"x.cpl", 2147483647, L"x.cpl,2147483647,0", false},
        {L"cpl", L"", 0, L",0,0", false},
    };
    for (const Case& c : cases) {
        const ControlPanelTarget applet = ParseControlPanelTarget(c.additional);
        EXPECT_EQ(applet.file, c.file) << Utf16ToUtf8(c.additional);
        EXPECT_EQ(applet.index, c.index) << Utf16ToUtf8(c.additional);
        EXPECT_EQ(ControlPanelCommandLine(applet), c.commandLine) << Utf16ToUtf8(c.additional);
        EXPECT_EQ(IsPowerApplet(applet), c.power) << Utf16ToUtf8(c.additional);
    }
    EXPECT_EQ(ParseDecimal(L"-99999999999"), -2147483647 - 1);
    EXPECT_EQ(ParseDecimal(L"+5"), 5);
    EXPECT_EQ(ParseDecimal(L""), 0);
    // The icon rule compares in lower case and also knows mycpl's applet 5.
    EXPECT_TRUE(UsesPowerProgramIcon({L"\\Windows\\CPLMAIN.CPL", 3}));
    EXPECT_TRUE(UsesPowerProgramIcon({L"MyCpl.cpl", 5}));
    EXPECT_FALSE(UsesPowerProgramIcon({L"mycpl.cpl", 3}));
    EXPECT_FALSE(UsesPowerProgramIcon({L"cplmain.cpl", 5}));
}

TEST(ShortcutTarget, ClassIdentifiers) {
    ClassId id;
    ASSERT_TRUE(ParseClassId(L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}", id));
    EXPECT_EQ(id.data1, 0x0FE5DCC1u);
    EXPECT_EQ(id.data2, 0x5413);
    EXPECT_EQ(id.data3, 0x11d2);
    EXPECT_EQ(id.data4[0], 0xA5);
    EXPECT_EQ(id.data4[7], 0xC8);
    EXPECT_EQ(FormatClassId(id), L"{0FE5DCC1-5413-11D2-A53B-00C04F8ECDC8}");
    const wchar_t* bad[] = {
        L"Menu",
        L"",
        L"0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8",
        L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8",
        L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}x",
        L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDCG}",
        L"{0FE5DCC1+5413-11d2-A53B-00C04F8ECDC8}",
        L"{ FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}",
    };
    for (const wchar_t* text : bad) {
        ClassId untouched = id;
        EXPECT_FALSE(ParseClassId(text, untouched)) << Utf16ToUtf8(text);
        EXPECT_EQ(untouched, id);
    }
}

TEST(ShortcutTarget, IconNamesFromTheTwoTables) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"special:softreset", L"SoftReset32.tga"},
        {L"special:SoftReset", L"SoftReset32.tga"},
        {L"special:rotate", L"Rotate32.tga"},
        {L"special:screencapture", L"ScreenCapture32.tga"},
        {L"special:poweroff", L"PowerOff32.tga"},
        {L"special:sms", L"SendSMS32.tga"},
        {L"special:phonecall", L"SpeedDial32.tga"},
        {L"special:tabmenu", L"TabItemsMenu32.tga"},
        {L"special:jumptotab", L"JumpToTab32.tga"},
        {L"special:minmax", L"MinMax32.tga"},
        {L"special:unknown", L""},
        {L"special:", L""},
        {L"new:{FC59C090-AB3E-11d2-8442-0000F87A584A}", L"new_excel32.tga"},
        {L"new:{1D210285-ABE7-11d2-8442-0000F87A584A}", L"new_message32.tga"},
        {L"new:{42650BC2-41C1-11d2-88E3-0000F87A49DB}", L"new_contact32.tga"},
        {L"new:{42650BC1-41C1-11d2-88E3-0000F87A49DB}", L"new_task32.tga"},
        {L"new:{98E38510-41E9-11d2-88E3-0000F87A49DB}", L"new_appointment32.tga"},
        {L"new:{0fe5dcc1-5413-11D2-a53b-00c04f8ecdc8}", L"new_note32.tga"},
        {L"new:{AF10EC39-DC10-11d2-9878-00C04F8ECDC8}", L"new_word32.tga"},
        {L"new:Menu", L"new_menu32.tga"},
        {L"new:{00000000-0000-0000-0000-000000000000}", L""},
        {L"folder:\\", L""},
        {L"", L""},
    };
    for (const auto& [additional, name] : cases) {
        EXPECT_EQ(TargetIconImageName(additional, 32), name) << Utf16ToUtf8(additional);
    }
    EXPECT_EQ(TargetIconImageName(L"special:minmax", 16), L"MinMax16.tga");
    EXPECT_EQ(TargetIconImageName(L"new:menu", 64), L"new_menu64.tga");
}

TEST(ShortcutTarget, MeterImageSizes) {
    struct Case {
        bool large, highResolution, trueVga, inSpecialTab;
        int size;
    };
    const Case cases[] = {
        {true, true, false, false, 64},   {true, false, false, false, 32}, {false, true, false, false, 32},
        {false, false, false, false, 16}, {true, true, true, true, 16},    {true, true, true, false, 64},
        {true, false, false, true, 32},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MeterIconSize(c.large, c.highResolution, c.trueVga, c.inSpecialTab), c.size)
            << c.large << c.highResolution << c.trueVga << c.inSpecialTab;
    }
}

TEST(ShortcutTarget, EnclosingQuotes) {
    EXPECT_EQ(StripEnclosingQuotes(L"\"\\My Documents\""), L"\\My Documents");
    EXPECT_EQ(StripEnclosingQuotes(L"\"a\" \"b\""), L"a\" \"b");
    EXPECT_EQ(StripEnclosingQuotes(L"\""), L"\"");
    EXPECT_EQ(StripEnclosingQuotes(L"\"\""), L"");
    EXPECT_EQ(StripEnclosingQuotes(L"\\x\""), L"\\x\"");
}

} // namespace
} // namespace norvane
