// Meter definition files: drawing types and directions, elements per size,
// colour steps, text elements, extents, storage paths and the kinds in use.
#include "MeterDefinition.h"
#include "MeterTestSource.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

const std::wstring kPath = L"\\Meters\\m\\meter.ini";
const std::wstring kFolder = L"\\Meters\\m\\";

struct Loaded {
    std::unique_ptr<MeterDefinition> definition = std::make_unique<MeterDefinition>();
    MeterDefinition* operator->() { return definition.get(); }
};

Loaded LoadText(const std::wstring& text, int size, test::FakeMeterSource& source) {
    SettingsFile file;
    file.LoadFromBytes(test::Utf16File(text));
    Loaded loaded;
    loaded.definition->Load(file, kPath, size, nullptr, source);
    return loaded;
}

TEST(MeterDefinition, DrawingTypeAndDirectionIgnoreCaseAndDefaultToVerticalColourFill) {
    test::FakeMeterSource source;
    struct Case {
        const wchar_t* general;
        MeterDrawingType type;
        bool horizontal;
    } cases[] = {
        {L"type=Pie\r\n", MeterDrawingType::Pie, false},
        {L"type=REVEAL\r\ndir=Horizontal\r\n", MeterDrawingType::Reveal, true},
        {L"type=bar\r\ndir=up\r\n", MeterDrawingType::ColourFill, false},
        {L"", MeterDrawingType::ColourFill, false},
        {L"type= pie \r\ndir= horizontal\r\n", MeterDrawingType::Pie, true},
    };
    for (const Case& c : cases) {
        auto meter = LoadText(std::wstring(L"[general]\r\n") + c.general, 32, source);
        EXPECT_EQ(meter->Type, c.type) << c.general;
        EXPECT_EQ(meter->Horizontal, c.horizontal) << c.general;
    }
}

TEST(MeterDefinition, ElementsComeFromTheSectionOfTheSizeOnly) {
    test::FakeMeterSource source;
    source.AddImage(kFolder + L"bat.tga", 32, 32, 2, 29);
    source.AddImage(kFolder + L"meter.tga", 32, 32, 0, 31);
    const std::wstring text = L"[general]\r\ntype=reveal\r\n[32]\r\nmeter=meter.tga\r\nbattery= bat.tga \r\n"
                              L"memory=missing.tga\r\nunknown=x.tga\r\n";
    auto at32 = LoadText(text, 32, source);
    EXPECT_EQ(at32->Kinds, statuskind::kBattery | statuskind::kMemory);
    EXPECT_EQ(at32->MeterImagePath, kFolder + L"meter.tga");
    EXPECT_EQ(at32->Size, 32);
    EXPECT_EQ(at32->Path, kPath);
    ASSERT_NE(at32->ElementFor(statuskind::kBattery), nullptr);
    EXPECT_FALSE(at32->ElementFor(statuskind::kBattery)->Image.IsEmpty());
    // An element whose image is missing exists but keeps no extent and draws nothing.
    const MeterElement* memory = at32->ElementFor(statuskind::kMemory);
    ASSERT_NE(memory, nullptr);
    EXPECT_TRUE(memory->Image.IsEmpty());
    EXPECT_EQ(memory->ExtentFirst, -1);
    EXPECT_EQ(memory->ExtentLast, -1);
    EXPECT_EQ(at32->ElementFor(statuskind::kBackupBattery), nullptr);

    auto at16 = LoadText(text, 16, source);
    EXPECT_TRUE(at16->Elements.empty());
    EXPECT_EQ(at16->Kinds, 0u);
    EXPECT_TRUE(at16->MeterImagePath.empty());
}

TEST(MeterDefinition, ImageProbeReadsTheMeterImageOfTheSize) {
    test::ScratchDir dir;
    const std::wstring path = dir.WidePath("meter.ini");
    test::WriteBytes(dir.Path("meter.ini"),
                     test::Utf16File(L"[32]\r\nmeter=big.tga\r\n[16]\r\nmeter=gone.tga\r\n"));
    const std::wstring folder = MeterFolderOf(path);
    test::FakeMeterSource source;
    source.AddImage(folder + L"big.tga", 32, 32, 0, 31);
    Bitmap32 image;
    EXPECT_TRUE(MeterImageProbe(path, 32, nullptr, source));
    EXPECT_TRUE(MeterImageProbe(path, 32, &image, source));
    EXPECT_EQ(image.Width(), 32);
    EXPECT_FALSE(MeterImageProbe(path, 16, nullptr, source));
    EXPECT_FALSE(MeterImageProbe(path, 16, &image, source));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_FALSE(MeterImageProbe(path, 64, nullptr, source));
}

TEST(MeterDefinition, ColourStepsPickTheFirstThresholdAtOrAboveTheValue) {
    test::FakeMeterSource source;
    source.AddMask(kFolder + L"m.bmp", 32, 32, 0, 31);
    const ColorValue red = MakeColor(255, 0, 0);
    const ColorValue green = MakeColor(0, 255, 0);
    auto meter = LoadText(L"[32]\r\nbattery=m.bmp\r\nmemory=m.bmp\r\nbackup-battery=m.bmp\r\n"
                          L"[colors-battery]\r\ncolor1= 40 , 255,0, 0\r\ncolor2=100,0,255,0\r\n"
                          L"[colors-backup-battery]\r\ncolor1=50,1,2\r\ncolor3=10,9,9,9\r\n",
                          32, source);
    const MeterElement* battery = meter->ElementFor(statuskind::kBattery);
    ASSERT_NE(battery, nullptr);
    ASSERT_EQ(battery->ColourSteps.size(), 2u);
    EXPECT_EQ(MeterColourFor(*battery, 1), red);
    EXPECT_EQ(MeterColourFor(*battery, 40), red);
    EXPECT_EQ(MeterColourFor(*battery, 41), green);
    EXPECT_EQ(MeterColourFor(*battery, 100), green);
    EXPECT_EQ(MeterColourFor(*battery, 101), kMeterDefaultColour);
    // No section: one step (100, blue).
    const MeterElement* memory = meter->ElementFor(statuskind::kMemory);
    ASSERT_EQ(memory->ColourSteps.size(), 1u);
    EXPECT_EQ(MeterColourFor(*memory, 30), kMeterDefaultColour);
    // A malformed step is (100, blue); reading stops at the first missing key.
    const MeterElement* backup = meter->ElementFor(statuskind::kBackupBattery);
    ASSERT_EQ(backup->ColourSteps.size(), 1u);
    EXPECT_EQ(backup->ColourSteps[0].threshold, 100);
    EXPECT_EQ(backup->ColourSteps[0].colour, kMeterDefaultColour);

    EXPECT_EQ(ParseColourStep(L"1,2,3,4,5").colour, kMeterDefaultColour);
    EXPECT_EQ(ParseColourStep(L"20,300,-4,7").colour, MakeColor(255, 0, 7));
    EXPECT_EQ(ParseColourStep(L"x,1,2,3").threshold, 100);
}

TEST(MeterDefinition, NumbersAreCommaSeparatedIntegers) {
    int out[4] = {};
    EXPECT_EQ(ParseMeterNumbers(L" 1, -2 ,+3,4 ", out, 4), 4);
    EXPECT_EQ(out[1], -2);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(ParseMeterNumbers(L"", out, 4), 0);
    EXPECT_EQ(ParseMeterNumbers(L"1,,2", out, 4), -1);
    EXPECT_EQ(ParseMeterNumbers(L"1,2x", out, 4), -1);
    EXPECT_EQ(ParseMeterNumbers(L"1,2,3,4,5,6", out, 4), 6);
    EXPECT_EQ(ParseMeterNumbers(L"99999999999999,-99999999999999", out, 4), 2);
    EXPECT_EQ(out[0], 2147483647);
    EXPECT_EQ(out[1], -2147483647 - 1);
}

TEST(MeterDefinition, TextElementsFollowTheirRules) {
    test::FakeMeterSource source;
    source.themeText = MakeColor(9, 8, 7);
    auto meter =
        LoadText(L"[32]\r\nbattery=b.tga\r\nmemory=m.tga\r\nbackup-battery=k.tga\r\n"
                 L"storage-main=s.tga\r\nstorage-card=c.tga\r\n"
                 L"[battery-32-text]\r\nrect=2, 20,30,31\r\ncolor=200,200,200\r\nshadow=GLOW\r\n"
                 L"align=Right\r\nsize=7\r\nbold=True\r\n"
                 L"[memory-32-text]\r\nrect=0,0,32\r\ncolor=0,0,0\r\nshadow=shadow\r\n"
                 L"[backup-battery-32-text]\r\nrect=0,0,32,32\r\ncolor=10,20,30\r\nshadow=shadow\r\n"
                 L"shadow-color=default\r\nsize=0\r\nbold=1\r\n"
                 L"[storage-main-32-text]\r\nrect=0,0,32,32\r\ncolor=default\r\nshadow-color=1,2,3\r\n"
                 L"align=middle\r\nsize=99999\r\n"
                 L"[storage-card-16-text]\r\nrect=0,0,16,16\r\n",
                 32, source);
    const MeterText& battery = meter->ElementFor(statuskind::kBattery)->Text;
    EXPECT_EQ(battery.Rect.left, 2);
    EXPECT_EQ(battery.Rect.top, 20);
    EXPECT_EQ(battery.Rect.right, 30);
    EXPECT_EQ(battery.Rect.bottom, 31);
    EXPECT_EQ(battery.Colour, MakeColor(200, 200, 200));
    EXPECT_EQ(battery.ShadowColour, kMeterBlack) << "light text gets a black shadow";
    EXPECT_EQ(battery.Shadow, MeterTextShadow::Glow);
    EXPECT_EQ(battery.Align, MeterTextAlign::Right);
    EXPECT_EQ(battery.FontSize, 7);
    EXPECT_TRUE(battery.Bold);

    // Three numbers are no rectangle: nothing else of the section is read.
    const MeterText& memory = meter->ElementFor(statuskind::kMemory)->Text;
    EXPECT_TRUE(memory.Rect.IsEmpty());
    EXPECT_EQ(memory.Colour, kMeterWhite);
    EXPECT_EQ(memory.Shadow, MeterTextShadow::None);

    const MeterText& backup = meter->ElementFor(statuskind::kBackupBattery)->Text;
    EXPECT_EQ(backup.ShadowColour, kMeterWhite) << "dark text gets a white shadow";
    EXPECT_EQ(backup.FontSize, 4);
    EXPECT_FALSE(backup.Bold) << "only \"true\" makes the font bold";
    EXPECT_EQ(backup.Shadow, MeterTextShadow::Shadow);

    const MeterText& main = meter->ElementFor(statuskind::kMainStorage)->Text;
    EXPECT_EQ(main.Colour, MakeColor(9, 8, 7)) << "\"default\" is the theme's text colour";
    EXPECT_EQ(main.ShadowColour, MakeColor(1, 2, 3));
    EXPECT_EQ(main.Align, MeterTextAlign::Centre);
    EXPECT_EQ(main.FontSize, meterfile::kMaxFontSize);

    // A text section of another size does not count.
    EXPECT_TRUE(meter->ElementFor(statuskind::kStorageCard)->Text.Rect.IsEmpty());
}

TEST(MeterDefinition, ExtentsAreTheLinesThatCarrySomething) {
    test::FakeMeterSource source;
    source.AddImage(kFolder + L"rows.tga", 32, 32, 4, 31);
    source.AddImage(kFolder + L"cols.tga", 32, 20, 3, 28, true);
    source.AddImage(kFolder + L"empty.tga", 20, 24, 99, 99);
    source.AddMask(kFolder + L"mask.bmp", 32, 32, 6, 25);

    auto vertical =
        LoadText(L"[general]\r\ntype=reveal\r\n[32]\r\nbattery=rows.tga\r\nmemory=empty.tga\r\n", 32, source);
    EXPECT_EQ(vertical->ElementFor(statuskind::kBattery)->ExtentFirst, 4);
    EXPECT_EQ(vertical->ElementFor(statuskind::kBattery)->ExtentLast, 31);
    // Nothing visible: the whole image.
    EXPECT_EQ(vertical->ElementFor(statuskind::kMemory)->ExtentFirst, 0);
    EXPECT_EQ(vertical->ElementFor(statuskind::kMemory)->ExtentLast, 23);

    auto horizontal =
        LoadText(L"[general]\r\ntype=reveal\r\ndir=horizontal\r\n[32]\r\nbattery=cols.tga\r\n", 32, source);
    EXPECT_EQ(horizontal->ElementFor(statuskind::kBattery)->ExtentFirst, 3);
    EXPECT_EQ(horizontal->ElementFor(statuskind::kBattery)->ExtentLast, 28);

    auto fill = LoadText(L"[32]\r\nmemory=mask.bmp\r\nbattery=nomask.bmp\r\n", 32, source);
    EXPECT_EQ(fill->ElementFor(statuskind::kMemory)->ExtentFirst, 6);
    EXPECT_EQ(fill->ElementFor(statuskind::kMemory)->ExtentLast, 25);
    EXPECT_EQ(fill->ElementFor(statuskind::kBattery)->Mask, nullptr);
    EXPECT_EQ(fill->ElementFor(statuskind::kBattery)->ExtentLast, -1);

    // Pie meters have no extents, only a centre.
    auto pie = LoadText(L"[general]\r\ntype=pie\r\n[32]\r\nbattery=rows.tga\r\npiecenter=16, 17\r\n"
                        L"[64]\r\nbattery=rows.tga\r\npiecenter=16\r\n",
                        32, source);
    EXPECT_EQ(pie->ElementFor(statuskind::kBattery)->ExtentLast, -1);
    EXPECT_EQ(pie->ElementFor(statuskind::kBattery)->PieCentreX, 16);
    EXPECT_EQ(pie->ElementFor(statuskind::kBattery)->PieCentreY, 17);
    auto pie64 =
        LoadText(L"[general]\r\ntype=pie\r\n[64]\r\nbattery=rows.tga\r\npiecenter=16\r\n", 64, source);
    EXPECT_EQ(pie64->ElementFor(statuskind::kBattery)->PieCentreX, 0);
    EXPECT_EQ(pie64->ElementFor(statuskind::kBattery)->PieCentreY, 0);
}

TEST(MeterDefinition, ChargingImagesBelongToBatteriesAndLoadOnce) {
    test::FakeMeterSource source;
    source.AddImage(kFolder + L"plug.tga", 32, 32, 0, 31);
    auto meter = LoadText(L"[32]\r\nbattery=b.bmp\r\nbattery-charging=plug.tga\r\nmemory=m.bmp\r\n"
                          L"memory-charging=plug.tga\r\nbackup-battery=k.bmp\r\n"
                          L"backup-battery-charging=gone.tga\r\n",
                          32, source);
    MeterElement* battery = meter->ElementFor(statuskind::kBattery);
    EXPECT_EQ(battery->ChargingImagePath, kFolder + L"plug.tga");
    EXPECT_TRUE(meter->ElementFor(statuskind::kMemory)->ChargingImagePath.empty());
    EXPECT_EQ(source.imageLoads[kFolder + L"plug.tga"], 0) << "loaded on first use";
    EXPECT_NE(meter->ChargingImage(*battery, source), nullptr);
    EXPECT_NE(meter->ChargingImage(*battery, source), nullptr);
    EXPECT_EQ(source.imageLoads[kFolder + L"plug.tga"], 1);
    MeterElement* backup = meter->ElementFor(statuskind::kBackupBattery);
    EXPECT_EQ(meter->ChargingImage(*backup, source), nullptr);
    EXPECT_EQ(meter->ChargingImage(*backup, source), nullptr);
    EXPECT_EQ(source.imageLoads[kFolder + L"gone.tga"], 1);
}

TEST(MeterDefinition, StorageCardsTakeTheStoredPathElseTheFirstCard) {
    test::FakeMeterSource source;
    const std::wstring text = L"[32]\r\nstorage-card=c.bmp\r\nstorage-main=s.bmp\r\n";
    source.firstCard = L"Storage Card";
    auto first = LoadText(text, 32, source);
    EXPECT_EQ(first->ElementFor(statuskind::kStorageCard)->StoragePath, L"\\Storage Card");
    EXPECT_TRUE(first->ElementFor(statuskind::kMainStorage)->StoragePath.empty());

    source.storedCards[kPath] = L"\\SD Card";
    auto stored = LoadText(text, 32, source);
    EXPECT_EQ(stored->ElementFor(statuskind::kStorageCard)->StoragePath, L"\\SD Card");

    source.storedCards.clear();
    source.firstCard.clear();
    auto none = LoadText(text, 32, source);
    EXPECT_TRUE(none->ElementFor(statuskind::kStorageCard)->StoragePath.empty());
}

TEST(MeterDefinition, KindsInUseCollectEveryLoadUntilReset) {
    test::FakeMeterSource source;
    ResetMeterKindsInUse();
    EXPECT_EQ(MeterKindsInUse(), 0u);
    LoadText(L"[16]\r\nmemory=a.bmp\r\n", 16, source);
    LoadText(L"[16]\r\nstorage-card=a.bmp\r\n", 16, source);
    LoadText(L"[32]\r\nbattery=a.bmp\r\n", 16, source);
    EXPECT_EQ(MeterKindsInUse(), statuskind::kMemory | statuskind::kStorageCard);
    ResetMeterKindsInUse();
    EXPECT_EQ(MeterKindsInUse(), 0u);
}

TEST(MeterDefinition, KindWordsAndFolders) {
    EXPECT_EQ(StatusKindFromWord(L"Backup-Battery"), statuskind::kBackupBattery);
    EXPECT_EQ(StatusKindFromWord(L"STORAGE-CARD"), statuskind::kStorageCard);
    EXPECT_EQ(StatusKindFromWord(L"storage"), 0u);
    EXPECT_EQ(MeterTextSectionName(statuskind::kMainStorage, 64), L"storage-main-64-text");
    EXPECT_EQ(MeterFolderOf(L"\\a\\b\\meter.ini"), L"\\a\\b\\");
    EXPECT_EQ(MeterFolderOf(L"meter.ini"), L"");
}

} // namespace
} // namespace norvane
