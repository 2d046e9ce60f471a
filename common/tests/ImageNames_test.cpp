#include "ImageFile.h"
#include "ImageNames.h"

#include <gtest/gtest.h>

using namespace norvane;

TEST(ImageNames, ThemeNameIsLowerCasedAndPngIsTriedBeforeTgaInBothFolders) {
    auto candidates = ThemeImageCandidates(L"Battery.TGA", L"\\Storage Card\\Theme\\", L"\\Windows\\");
    std::vector<std::wstring> expected = {
        L"\\Storage Card\\Theme\\battery.png", L"\\Storage Card\\Theme\\battery.tga",
        L"\\Windows\\images\\battery.png", L"\\Windows\\images\\battery.tga"};
    EXPECT_EQ(candidates, expected);
    // Only the name is lower-cased, not the folders; the stem ends at the last dot.
    candidates = ThemeImageCandidates(L"Up.Scroll_VGA.tga", L"", L"\\Program Files\\Norvane\\");
    EXPECT_EQ(candidates[0], L"up.scroll_vga.png");
    EXPECT_EQ(candidates[3], L"\\Program Files\\Norvane\\images\\up.scroll_vga.tga");
    // A name without an extension gets one rather than losing its last letters.
    EXPECT_EQ(ThemeImageCandidates(L"settings", L"", L"\\W\\")[2], L"\\W\\images\\settings.png");
    EXPECT_EQ(LowerCaseName(std::wstring(L"\u00C4PFEL\u00D7")), std::wstring(L"\u00E4pfel\u00D7"));
}

TEST(ImageNames, VariantSuffixesAndInstallFolder) {
    EXPECT_EQ(ThemeVariantName(L"top_indicator_background", true, true),
              L"top_indicator_background_vga_ls.tga");
    EXPECT_EQ(ThemeVariantName(L"top_indicator_reveal", false, true), L"top_indicator_reveal_ls.tga");
    EXPECT_EQ(ThemeVariantName(L"settings", true, false), L"settings_vga.tga");
    EXPECT_EQ(ThemeVariantName(L"settings", false, false), L"settings.tga");

    EXPECT_EQ(NormalizeInstallFolder(L"", false), L"\\Windows\\");
    EXPECT_EQ(NormalizeInstallFolder(L"", true), L"\\Windows\\");
    EXPECT_EQ(NormalizeInstallFolder(L"\\Program Files\\Norvane", true), L"\\Program Files\\Norvane\\");
    EXPECT_EQ(NormalizeInstallFolder(L"\\Windows\\", true), L"\\Windows\\");
}

TEST(ImageNames, PathsGoToTheirDecoderByTheLastFourCharacters) {
    EXPECT_EQ(ClassifyImagePath(L"\\x\\Icon.PNG"), ImageFileKind::Png);
    EXPECT_EQ(ClassifyImagePath(L"a.tga"), ImageFileKind::Tga);
    EXPECT_EQ(ClassifyImagePath(L".tga"), ImageFileKind::Other); // four characters or fewer
    EXPECT_EQ(ClassifyImagePath(L"icon.bmp"), ImageFileKind::Other);
    EXPECT_EQ(ClassifyImagePath(L"icon.tgax"), ImageFileKind::Other);
}

TEST(ImageNames, ShortcutIconSizesAndSystemIconChoice) {
    EXPECT_EQ(ShortcutIconSize(true, false, 96, false), 32);
    EXPECT_EQ(ShortcutIconSize(false, false, 96, false), 16);
    EXPECT_EQ(ShortcutIconSize(false, false, 192, false), 32);
    EXPECT_EQ(ShortcutIconSize(true, false, 96, true), 64);    // true VGA doubles
    EXPECT_EQ(ShortcutIconSize(true, true, 96, true), 16);     // special tab under true VGA
    EXPECT_EQ(ShortcutIconSize(false, false, 131, false), 22); // 16 * 131 / 96 = 21.8

    EXPECT_TRUE(WantsLargeSystemIcon(true, true, false));
    EXPECT_FALSE(WantsLargeSystemIcon(false, false, false));
    EXPECT_TRUE(WantsLargeSystemIcon(false, false, true));
    EXPECT_FALSE(WantsLargeSystemIcon(false, true, true));

    EXPECT_EQ(CommandIconNumber(true, true), 64);
    EXPECT_EQ(CommandIconNumber(false, false), 16);
    EXPECT_EQ(CommandIconNumber(true, false), 32);
    EXPECT_EQ(CommandIconNumber(false, true), 32);
    EXPECT_EQ(CommandIconFileName(L"SoftReset", true, false), L"SoftReset32.tga");
    EXPECT_EQ(CommandIconFileName(L"new_note", true, true), L"new_note64.tga");
}

TEST(ImageNames, HalvingCountsMatchTheIconRules) {
    EXPECT_EQ(HalvingsToFit(64, 64, 16), 2);
    EXPECT_EQ(HalvingsToFit(40, 20, 16), 2); // 20 x 10, then 10 x 5
    EXPECT_EQ(HalvingsToFit(16, 16, 16), 0);
    EXPECT_EQ(HalvingsToFit(17, 3, 16), 1);
    EXPECT_EQ(HalvingsToFit(4000, 1, 16), 0); // one more halving would leave nothing
}
