// norvane-meter check: what the launcher would ignore or misread, each at its
// line; the meters we ship come out clean.
#include "MeterCheck.h"
#include "MeterTool.h"
#include "PlatformServices.h"
#include "TestSupport.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace norvane::meter {
namespace {

// Pictures by file name: "w x h", all visible unless named "blank".
class FakeProbe : public PictureProbe {
public:
    std::optional<PictureInfo> Picture(const std::wstring& path) override { return Find(path, false); }
    std::optional<PictureInfo> Mask(const std::wstring& path) override { return Find(path, true); }
    std::map<std::wstring, PictureInfo> pictures;
    std::map<std::wstring, PictureInfo> masks;

private:
    std::optional<PictureInfo> Find(const std::wstring& path, bool mask) {
        auto& table = mask ? masks : pictures;
        auto found = table.find(path);
        if (found == table.end()) {
            return std::nullopt;
        }
        return found->second;
    }
};

std::vector<Finding> Check(const std::wstring& text, FakeProbe& probe) {
    return CheckMeterBytes(test::Utf16File(text), L"\\m\\", probe, &DecodeAnsiText);
}

std::string Joined(const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings) {
        out += std::to_string(f.line) + ": " + Utf16ToUtf8(f.message) + "\n";
    }
    return out;
}

// Each expected finding: its line and a piece of its message.
void ExpectFindings(const std::vector<Finding>& findings,
                    const std::vector<std::pair<int, std::string>>& expected) {
    ASSERT_EQ(findings.size(), expected.size()) << Joined(findings);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(findings[i].line, expected[i].first) << Joined(findings);
        EXPECT_NE(Utf16ToUtf8(findings[i].message).find(expected[i].second), std::string::npos)
            << "expected \"" << expected[i].second << "\" in\n"
            << Joined(findings);
    }
}

FakeProbe GoodPictures() {
    FakeProbe probe;
    for (const wchar_t* name : {L"m.tga", L"b.tga", L"c.png"}) {
        probe.pictures[std::wstring(L"\\m\\") + name] = PictureInfo{32, 32, true};
    }
    probe.pictures[L"\\m\\big.tga"] = PictureInfo{48, 32, true};
    probe.pictures[L"\\m\\blank.tga"] = PictureInfo{32, 32, false};
    probe.masks[L"\\m\\f.bmp"] = PictureInfo{32, 32, true};
    probe.masks[L"\\m\\black.bmp"] = PictureInfo{32, 32, false};
    return probe;
}

TEST(MeterCheck, ACleanFileHasNoFindings) {
    FakeProbe probe = GoodPictures();
    auto findings =
        Check(L"[general]\r\ntype=reveal\r\ndir=horizontal\r\n[32]\r\nmeter=m.tga\r\nbattery=b.tga\r\n"
              L"battery-charging=c.png\r\n[battery-32-text]\r\nrect=2,8,30,24\r\ncolor=default\r\n"
              L"shadow=glow\r\nsize=4\r\nbold=true\r\n",
              probe);
    EXPECT_TRUE(findings.empty()) << Joined(findings);
}

TEST(MeterCheck, GeneralAndSectionsThatAreIgnoredOrMisread) {
    FakeProbe probe = GoodPictures();
    auto findings = Check(L"junk\r\n"              // 1
                          L"[general]\r\n"         // 2
                          L"type=Revel\r\n"        // 3
                          L"dir=sideways\r\n"      // 4
                          L"Mode=x\r\n"            // 5
                          L"[General]\r\n"         // 6
                          L"[48]\r\n"              // 7
                          L"meter=m.tga\r\n"       // 8
                          L"[battery-48-text]\r\n" // 9
                          L"[extras]\r\n"          // 10
                          L"[32]\r\n"              // 11
                          L"Meter=m.tga\r\n"       // 12
                          L"memory=f.bmp\r\n"      // 13
                          L"memory=f.bmp\r\n"      // 14
                          L"piecenter=1,2\r\n",    // 15
                          probe);
    ExpectFindings(findings, {{1, "before the first section"},
                              {3, "neither reveal nor pie"},
                              {4, "is not horizontal"},
                              {5, "not a key of this section"},
                              {6, "names are lower case ([general])"},
                              {7, "drawn at 16, 32 and 64"},
                              {9, "kind-size-text"},
                              {10, "not part of a meter definition"},
                              {11, "no meter picture"},
                              {12, "keys are lower case ('meter')"},
                              {14, "appears again"},
                              {15, "piecenter is ignored"}});
}

TEST(MeterCheck, PicturesThatCannotBeDrawn) {
    FakeProbe probe = GoodPictures();
    auto findings = Check(L"[general]\r\ntype=pie\r\n"                                    // 1-2
                          L"[32]\r\n"                                                     // 3
                          L"meter=m.bmp\r\n"                                              // 4
                          L"battery=gone.tga\r\n"                                         // 5
                          L"memory=big.tga\r\n"                                           // 6
                          L"storage-main=blank.tga\r\n"                                   // 7
                          L"piecenter=16\r\n"                                             // 8
                          L"memory-charging=c.png\r\n"                                    // 9
                          L"backup-battery-charging=c.png\r\n"                            // 10
                          L"[64]\r\nmeter=m.tga\r\nbattery=b.tga\r\npiecenter=70,10\r\n", // 11-14
                          probe);
    ExpectFindings(findings, {{4, "neither .tga nor .png"},
                              {5, "missing or cannot be read"},
                              {6, "48x32, larger than the 32x32 meter"},
                              {7, "no visible pixel"},
                              {8, "two numbers"},
                              {9, "not a key of this section"},
                              {10, "has no backup-battery element"},
                              {14, "outside the 64x64 meter"}});
}

TEST(MeterCheck, ColourSteps) {
    FakeProbe probe = GoodPictures();
    auto findings = Check(L"[32]\r\nmeter=m.tga\r\nmemory=black.bmp\r\nbattery=gone.bmp\r\n" // 1-4
                          L"[colors-memory]\r\n"                                             // 5
                          L"color1=30,255,0,0\r\n"                                           // 6
                          L"color2=20,0,255,0\r\n"                                           // 7
                          L"color3=80,0,300,0\r\n"                                           // 8
                          L"color4=90,1,2\r\n"                                               // 9
                          L"color6=100,1,2,3\r\n"                                            // 10
                          L"[colors-storage-card]\r\ncolor1=100,0,0,0\r\n"                   // 11-12
                          L"[colors-battery]\r\n",                                           // 13
                          probe);
    ExpectFindings(findings, {{3, "all black"},
                              {4, "cannot be read as a BMP"},
                              {7, "never used: color1 already covers values up to 30"},
                              {8, "outside 0-255"},
                              {9, "reads as 100,0,0,255"},
                              {10, "color5 is missing"},
                              {11, "no size has a storage-card element"},
                              {13, "has no color1"}});
}

TEST(MeterCheck, ColourStepsBelongToColourFill) {
    FakeProbe probe = GoodPictures();
    auto findings = Check(L"[general]\r\ntype=reveal\r\n[32]\r\nmeter=m.tga\r\nmemory=b.tga\r\n"
                          L"[colors-memory]\r\ncolor1=100,1,2,3\r\n",
                          probe);
    ExpectFindings(findings, {{6, "only colour-fill meters"}});
}

TEST(MeterCheck, TextSections) {
    FakeProbe probe = GoodPictures();
    auto findings =
        Check(L"[32]\r\nmeter=m.tga\r\nbattery=f.bmp\r\nmemory=f.bmp\r\nstorage-main=f.bmp\r\n" // 1-5
              L"[battery-32-text]\r\n"                                                          // 6
              L"rect=0,0,40,10\r\n"                                                             // 7
              L"color=white\r\n"                                                                // 8
              L"shadow=outline\r\n"                                                             // 9
              L"shadow-color=1,2\r\n"                                                           // 10
              L"align=middle\r\n"                                                               // 11
              L"size=big\r\n"                                                                   // 12
              L"bold=1\r\n"                                                                     // 13
              L"Colour=1,2,3\r\n"                                                               // 14
              L"[memory-32-text]\r\n"                                                           // 15
              L"rect=0,0,32\r\n"                                                                // 16
              L"color=nonsense\r\n"                                                             // 17
              L"[storage-main-32-text]\r\nrect=10,0,5,8\r\n"                                    // 18-19
              L"[storage-card-32-text]\r\nrect=0,0,8,8\r\n"                                     // 20-21
              L"[backup-battery-16-text]\r\nrect=0,0,8,8\r\nsize=9999\r\n"                      // 22-24
              L"[memory-64-text]\r\ncolor=1,2,3\r\n",                                           // 25-26
              probe);
    ExpectFindings(findings, {{7, "outside the 32x32 meter"},
                              {8, "the text is white"},
                              {9, "no shadow is drawn"},
                              {10, "by the text colour"},
                              {11, "centred"},
                              {12, "the font size is 4"},
                              {13, "not bold"},
                              {14, "not a key of this section"},
                              {16, "four numbers"},
                              {19, "empty"},
                              {20, "has no storage-card element"},
                              {22, "[16] has no backup-battery element"},
                              {24, "taken as 200"},
                              {25, "[64] has no memory element"},
                              {25, "no rect"}});
}

TEST(MeterCheck, NoSizeAtAllAndBrokenSyntax) {
    FakeProbe probe;
    auto findings = Check(L"[general]\r\ntype=pie;round\r\n[32", probe);
    ExpectFindings(findings, {{1, "no section [16], [32] or [64]"}, {2, "';'"}, {3, "without ']'"}});
}

// The source tree as the test sees it (Z: under Wine).
std::wstring SourcePath(const std::string& relative) {
    std::string path = std::string(NORVANE_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
    path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
#endif
    return Utf8ToUtf16(path);
}

TEST(MeterCheck, TheMetersWeShipAreClean) {
    int checked = 0;
    for (const auto& folder :
         std::filesystem::directory_iterator(std::string(NORVANE_SOURCE_DIR) + "/meters")) {
        const std::wstring file = SourcePath("meters/" + folder.path().filename().string() + "/meter.ini");
        std::string out;
        std::string err;
        EXPECT_EQ(RunMeterTool({L"check", file}, out, err), kExitOk) << out << err;
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

std::string Le32(std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

// A BMP file: header, info header of 40 bytes, then the pixel bytes given.
std::string Bmp(int width, int height, int bits, const std::string& pixels, std::uint32_t compression = 0) {
    std::string info = Le32(40) + Le32(static_cast<std::uint32_t>(width)) +
                       Le32(static_cast<std::uint32_t>(height)) +
                       std::string{1, 0, static_cast<char>(bits), 0} + Le32(compression) +
                       Le32(static_cast<std::uint32_t>(pixels.size())) + std::string(16, '\0');
    return "BM" + Le32(static_cast<std::uint32_t>(54 + pixels.size())) + Le32(0) + Le32(54) + info + pixels;
}

TEST(MeterCheck, PicturesAreReadAsTheLauncherReadsThem) {
    test::ScratchDir dir;
    FilePictureProbe probe;
    auto write = [&](const std::string& name, const std::string& bytes) {
        test::WriteBytes(dir.Path(name), bytes);
        return dir.WidePath(name);
    };
    // A 2 x 2 24-bit mask, rows padded to four bytes: one lit pixel, then none.
    const std::string lit = std::string("\0\0\0\xff\xff\xff\0\0", 8) + std::string(8, '\0');
    auto mask = probe.Mask(write("lit.bmp", Bmp(2, 2, 24, lit)));
    ASSERT_TRUE(mask.has_value());
    EXPECT_EQ(mask->width, 2);
    EXPECT_TRUE(mask->anyVisible);
    auto black = probe.Mask(write("black.bmp", Bmp(2, -2, 32, std::string(16, '\0'))));
    ASSERT_TRUE(black.has_value()) << "a top-down 32-bit mask";
    EXPECT_EQ(black->height, 2);
    EXPECT_FALSE(black->anyVisible);
    // Other depths: the size only.
    auto eight = probe.Mask(write("eight.bmp", Bmp(4, 4, 8, std::string(16, '\0'))));
    ASSERT_TRUE(eight.has_value());
    EXPECT_TRUE(eight->anyVisible);
    EXPECT_FALSE(probe.Mask(write("short.bmp", Bmp(8, 8, 24, std::string(10, '\0')))).has_value())
        << "pixels cut short";
    EXPECT_FALSE(probe.Mask(write("wide.bmp", Bmp(0, 8, 24, ""))).has_value());
    EXPECT_FALSE(probe.Mask(write("huge.bmp", Bmp(100000, 100000, 24, ""))).has_value());
    EXPECT_FALSE(probe.Mask(write("text.bmp", std::string(60, 'x'))).has_value());
    EXPECT_FALSE(probe.Mask(dir.WidePath("none.bmp")).has_value());

    // PNG: the size from its header.
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0dIHDR", 8) +
                      std::string("\0\0\0\x30\0\0\0\x20", 8) + std::string(8, '\0');
    auto picture = probe.Picture(write("p.png", png));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 48);
    EXPECT_EQ(picture->height, 32);
    EXPECT_FALSE(probe.Picture(write("bad.png", "PNG?")).has_value());
    EXPECT_FALSE(probe
                     .Picture(write("zero.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                                                    std::string(16, '\0')))
                     .has_value());
    // TGA through the launcher's decoder: a 1 x 1 transparent pixel.
    const std::string tga =
        std::string("\0\0\x02\0\0\0\0\0\0\0\0\0\x01\0\x01\0\x20\x28", 18) + std::string(4, '\0');
    auto clear = probe.Picture(write("clear.tga", tga));
    ASSERT_TRUE(clear.has_value());
    EXPECT_FALSE(clear->anyVisible);
    EXPECT_FALSE(probe.Picture(write("cut.tga", tga.substr(0, 19))).has_value());
}

TEST(MeterCheck, CommandLine) {
    std::string out;
    std::string err;
    EXPECT_EQ(RunMeterTool({}, out, err), kExitUsage);
    EXPECT_NE(err.find("usage: norvane-meter"), std::string::npos);
    EXPECT_EQ(RunMeterTool({L"preview", L"a.ini", L"b.png", L"--size", L"48"}, out, err), kExitUsage);
    EXPECT_EQ(RunMeterTool({L"preview", L"a.ini", L"--zoom", L"2"}, out, err), kExitUsage);
    EXPECT_EQ(RunMeterTool({L"preview", L"a.ini", L"b.png", L"--bold"}, out, err), kExitUsage);
    EXPECT_EQ(RunMeterTool({L"check", L"no-such-meter.ini"}, out, err), kExitIo);
    EXPECT_EQ(FolderOfPath(L"a/b\\c.ini"), L"a/b\\");
    EXPECT_EQ(FolderOfPath(L"c.ini"), L"");
}

} // namespace
} // namespace norvane::meter
