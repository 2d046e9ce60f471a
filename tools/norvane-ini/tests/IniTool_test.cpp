// norvane-ini's commands on files in a scratch folder.
#include "DisplayScale.h"
#include "IniCheck.h"
#include "IniCommandLine.h"
#include "IniTool.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace norvane::ini {
namespace {

using test::Utf16File;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result Tool(std::vector<std::wstring> args) {
    Result r;
    r.code = RunIniTool(args, r.out, r.err);
    return r;
}

std::vector<std::string> Lines(const std::vector<Finding>& findings) {
    std::vector<std::string> lines;
    for (const Finding& f : findings) {
        lines.push_back(std::to_string(f.line) + ": " + Utf16ToUtf8(f.message));
    }
    return lines;
}

TEST(IniCommandLine, RejectsWhatItDoesNotKnow) {
    const std::vector<std::vector<std::wstring>> bad = {
        {},
        {L"frobnicate", L"x"},
        {L"check"},
        {L"check", L"a", L"b"},
        {L"check", L"a", L"--int"},
        {L"normalize", L"a"},
        {L"normalize", L"a", L"-o"},
        {L"check", L"a", L"--dpi"},
        {L"check", L"a", L"--dpi", L"abc"},
        {L"check", L"a", L"--dpi", L"5"},
        {L"get", L"f", L"S"},
        {L"get", L"f", L"S", L"K", L"--int", L"--bool"},
        {L"get", L"f", L"S", L"K", L"--hex"},
        {L"set", L"f", L"S", L"K"},
        {L"check", L""},
    };
    for (const auto& args : bad) {
        std::wstring error;
        EXPECT_FALSE(ParseCommandLine(args, error).has_value()) << args.size();
        EXPECT_FALSE(error.empty());
        Result r = Tool(args);
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_NE(r.err.find("usage: norvane-ini"), std::string::npos);
    }
    std::wstring error;
    auto line = ParseCommandLine({L"normalize", L"in.ini", L"--dpi", L"192", L"-o", L"out.ini"}, error);
    ASSERT_TRUE(line.has_value()) << Utf16ToUtf8(error);
    EXPECT_EQ(line->output, L"out.ini");
    EXPECT_EQ(line->dpi, 192);
    line = ParseCommandLine({L"set", L"f", L"General", L"TabWidth", L"-5"}, error);
    ASSERT_TRUE(line.has_value()) << "a value may start with a dash";
    EXPECT_EQ(line->value, L"-5");
    EXPECT_EQ(Tool({L"--help"}).code, kExitOk);
}

TEST(IniCheck, ReportsWhatTheLauncherWouldMisread) {
    const std::wstring text = L"\r\n[General]\r\n"                                               // 2
                              L"ShowBrowseIcons=true\r\n"                                        // 3
                              L"FontSize=12px\r\n"                                               // 4
                              L"CaptionColor=255,255\r\n"                                        // 5
                              L"Colour=1\r\n"                                                    // 6
                              L"FontSize=11\r\n"                                                 // 7
                              L"[Tab1]\r\n"                                                      // 8
                              L"FreePlacedLandscape=1\r\n"                                       // 9
                              L"Shortcut1=a.lnk\r\n"                                             // 10
                              L"LocationPortrait1=-5,3\r\n"                                      // 11
                              L"Shortcut3=c.lnk\r\n"                                             // 12
                              L"ToolTipTitle2=orphan\r\n"                                        // 13
                              L"junk\r\n"                                                        // 14
                              L"Image=x.tga\r\n"                                                 // 15
                              L"_Hidden=1\r\n"                                                   // 16
                              L"CommandLine1=a;b\r\n"                                            // 17
                              L"SpecialProperties1=a~#~1~#~b\r\n"                                // 18
                              L"LocationLandscape1=-5,3\r\n"                                     // 19
                              L"[Tab2]\r\nSpecialType=9\r\n"                                     // 20-21
                              L"[Tab4]\r\nName=Lost\r\n"                                         // 22-23
                              L"[Extra]\r\nk=v\r\n"                                              // 24-25
                              L"[General]\r\nRowCount=2\r\n"                                     // 26-27
                              L"[StorageCardPaths]\r\nMeterIniPath0=a\r\nStorageCardPath1=b\r\n" // 28-30
                              L"[TaskManagerExceptions]\r\nNotes=often\r\n"                      // 31-32
                              L"[Empty]\r\n"                                                     // 33
                              L"Last=";                                                          // 34
    const std::vector<std::string> expected = {
        "3: ShowBrowseIcons: 'true' is no boolean (1 or 0): it reads as 0",
        "4: FontSize: '12px' is no whole number: it reads as 12",
        "5: CaptionColor: '255,255' is no colour R,G,B (0-255 each)",
        "6: unknown key 'Colour' in [General] is ignored",
        "7: key 'FontSize' appears again in [General]: the last value wins",
        "11: 'LocationPortrait1' is ignored: the tab is not free-placed in portrait",
        "12: 'Shortcut3' is never read: Shortcut2 is missing",
        "13: 'ToolTipTitle2' is never read: Shortcut2 is missing",
        "14: a line without '=': it runs on into the next line as one key",
        "14: unknown key 'junk\nImage' in [Tab1] is ignored",
        "16: '_' is skipped: keys start with a letter or a digit",
        "17: the value ends at ';': the rest of the line is read as a comment",
        "18: 'SpecialProperties1' ends with a key without a value: that key is dropped",
        "19: LocationLandscape1: '-5,3' is no point X,Y (no signs)",
        "21: SpecialType 9 is unknown: the whole section is skipped",
        "22: [Tab4] is never read: [Tab3] is missing",
        "24: unknown section [Extra] is ignored",
        "26: section [General] appears again: its keys join the first one",
        "29: 'MeterIniPath0' is never read: the pair 0 is incomplete or missing",
        "30: 'StorageCardPath1' is never read: the pair 0 is incomplete or missing",
        "32: Notes: 'often' is no whole number: it reads as 0",
        "34: 'Last' at the end of the file has no value and is dropped",
    };
    std::vector<std::string> got = Lines(CheckSettingsBytes(Utf16File(text), &Cp1252ToUtf16));
    // The "junk" key carries its line end; show it plainly.
    for (std::string& line : got) {
        const std::size_t crlf = line.find("\r\n");
        if (crlf != std::string::npos) {
            line.replace(crlf, 2, "\n");
        }
    }
    EXPECT_EQ(got, expected);
    for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
        if (i >= got.size() || i >= expected.size() || got[i] != expected[i]) {
            ADD_FAILURE() << "first difference at " << i << ": got '" << (i < got.size() ? got[i] : "")
                          << "', expected '" << (i < expected.size() ? expected[i] : "") << "'";
            break;
        }
    }

    // A clean file, and one without a mark.
    EXPECT_TRUE(CheckSettingsBytes(Utf16File(L"\r\n[General]\r\nFontSize=12\r\n[Tab1]\r\nName=x\r\n"
                                             L"Shortcut1=a\r\nLargeIcon1=1\r\nCaptionEnabled1=0\r\n"),
                                   &Cp1252ToUtf16)
                    .empty());
    EXPECT_EQ(Lines(CheckSettingsBytes("[Tab1]\r\nName=x\r\n", &Cp1252ToUtf16)),
              (std::vector<std::string>{
                  "1: no byte-order mark: the file is read as 8-bit text in the ANSI code page"}));
}

TEST(IniTool, CommandsOnFiles) {
    test::ScratchDir dir;
    const std::wstring file = dir.WidePath("Norvane.ini");
    test::WriteBytes(
        dir.Path("Norvane.ini"),
        Utf16File(L"\r\n[General]\r\nCaptionColor= 10, 20, 300 \r\nTrueVGA=2\r\nName=Gr\u00fc\u00df\r\n"
                  L"[Tab1]\r\nName=Main\r\nShortcut1=a.lnk\r\nLocationLandscape1=4,5\r\n"));

    Result r = Tool({L"get", file, L"General", L"CaptionColor", L"--color"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, "10,20,44\n");
    EXPECT_EQ(Tool({L"get", file, L"General", L"CaptionColor"}).out, "10, 20, 300\n");
    EXPECT_EQ(Tool({L"get", file, L"General", L"Name"}).out, "Gr\xC3\xBC\xC3\x9F\n") << "UTF-8 on stdout";
    EXPECT_EQ(Tool({L"get", file, L"General", L"TrueVGA", L"--int"}).out, "2\n");
    EXPECT_EQ(Tool({L"get", file, L"General", L"TrueVGA", L"--bool"}).out, "0\n");
    EXPECT_EQ(Tool({L"get", file, L"Tab1", L"LocationLandscape1", L"--point"}).out, "4,5\n");
    EXPECT_EQ(Tool({L"get", file, L"Tab1", L"Missing"}).code, kExitMissing);
    EXPECT_EQ(Tool({L"get", file, L"NoSuch", L"Name"}).code, kExitMissing);
    r = Tool({L"get", dir.WidePath("absent.ini"), L"General", L"Name"});
    EXPECT_EQ(r.code, kExitIo);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos);

    EXPECT_EQ(Tool({L"set", file, L"Tab1", L"Name", L"Renamed"}).code, kExitOk);
    EXPECT_EQ(Tool({L"get", file, L"Tab1", L"Name"}).out, "Renamed\n");
    EXPECT_EQ(Tool({L"set", file, L"Tab1", L"Bad=Key", L"x"}).code, kExitUsage);
    EXPECT_EQ(Tool({L"set", dir.WidePath("absent.ini"), L"S", L"K", L"V"}).code, kExitIo);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("absent.ini")));

    // Normalize writes what the launcher's Save would, with the scaled defaults of the dpi asked for.
    const std::wstring out = dir.WidePath("out.ini");
    EXPECT_EQ(Tool({L"normalize", file, L"-o", out, L"--dpi", L"192"}).code, kExitOk);
    EXPECT_EQ(Tool({L"get", out, L"General", L"TabWidth"}).out, "80\n");
    EXPECT_EQ(Tool({L"get", out, L"General", L"CaptionColor"}).out, "10,20,44\n");
    EXPECT_EQ(Tool({L"get", out, L"Tab1", L"LocationLandscape1"}).code, kExitMissing)
        << "not written for a tab that is not free-placed";
    EXPECT_EQ(Tool({L"get", out, L"General", L"Name"}).code, kExitMissing)
        << "unknown keys are not carried over";
    const Result check = Tool({L"check", out});
    EXPECT_EQ(check.code, kExitOk) << check.out;
    EXPECT_NE(check.out.find("no problems found"), std::string::npos);
    // Special tabs written without images get built-in ones on the next load; from
    // then on normalising changes nothing.
    EXPECT_EQ(Tool({L"normalize", out, L"-o", out, L"--dpi", L"96"}).code, kExitOk);
    const std::string first = test::ReadBytes(dir.Path("out.ini"));
    EXPECT_EQ(Tool({L"normalize", out, L"-o", out, L"--dpi", L"96"}).code, kExitOk);
    EXPECT_EQ(test::ReadBytes(dir.Path("out.ini")), first) << "normalising twice changes nothing";

    EXPECT_EQ(Tool({L"check", file}).code, kExitFindings);
    EXPECT_EQ(Tool({L"check", dir.WidePath("absent.ini")}).code, kExitIo);
    EXPECT_EQ(Tool({L"normalize", dir.WidePath("absent.ini"), L"-o", out}).code, kExitIo);
    EXPECT_EQ(Tool({L"normalize", file, L"-o", dir.WidePath("no/such/folder/out.ini")}).code, kExitIo);
    SetScreenDpi(96, 96);
}

} // namespace
} // namespace norvane::ini
