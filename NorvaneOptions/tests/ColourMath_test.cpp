// The colour picker's arithmetic and the rules for colours typed by hand.
#include "ColourMath.h"

#include <gtest/gtest.h>

namespace norvane::options {
namespace {

TEST(ColourMath, SlidersAndComponents) {
    EXPECT_EQ(SliderPosition(0), 0);
    EXPECT_EQ(SliderPosition(255), 100);
    EXPECT_EQ(SliderPosition(127), 49) << "127 * 100 / 255 = 49.8, truncated";
    EXPECT_EQ(ComponentAtSlider(50), 127);
    EXPECT_EQ(ComponentAtSlider(100), 255);
    EXPECT_EQ(ComponentAtSlider(0), 0);
    for (int position = 0; position <= 100; ++position) {
        const int component = ComponentAtSlider(position);
        EXPECT_GE(component, 0);
        EXPECT_LE(component, 255);
        EXPECT_LE(SliderPosition(component), position) << "truncation never moves a slider forward";
    }
    const Rgb rgb = SplitColour(0x000080FF);
    EXPECT_EQ(rgb, (Rgb{255, 128, 0}));
    EXPECT_EQ(JoinColour(Rgb{255, 128, 0}), 0x000080FFu);
}

TEST(ColourMath, HexadecimalFieldTakesOnlySixDigits) {
    EXPECT_EQ(HexText(Rgb{255, 128, 0}), L"FF8000");
    EXPECT_EQ(HexText(Rgb{1, 2, 3}), L"010203");
    ASSERT_TRUE(ParseHexColour(L"FF8000").has_value());
    EXPECT_EQ(*ParseHexColour(L"FF8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(JoinColour(*ParseHexColour(L"FF8000")), 0x000080FFu);
    EXPECT_EQ(*ParseHexColour(L"ff8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(*ParseHexColour(L"  #0a0B0c "), (Rgb{10, 11, 12}));
    for (const wchar_t* bad : {L"", L"FF80", L"FF800", L"FF8000FF", L"GG0000", L"0xFF80", L"-10000",
                               L"FF 800", L"#", L"12345\u0661"}) {
        EXPECT_FALSE(ParseHexColour(bad).has_value()) << testing::PrintToString(std::wstring(bad));
    }
}

TEST(ColourMath, NumberFieldsTakeZeroTo255) {
    EXPECT_EQ(ParseComponent(L"0"), 0);
    EXPECT_EQ(ParseComponent(L"255"), 255);
    EXPECT_EQ(ParseComponent(L" 7 "), 7);
    EXPECT_EQ(ParseComponent(L"007"), 7);
    for (const wchar_t* bad : {L"", L"256", L"300", L"-1", L"12a", L"1 2", L"+5", L"0007", L"99999999999"}) {
        EXPECT_FALSE(ParseComponent(bad).has_value()) << testing::PrintToString(std::wstring(bad));
    }
}

TEST(ColourMath, DefaultAndWhiteStayApart) {
    EXPECT_EQ(PickerStartColour(kAutomaticColor), kPickerDefault)
        << "0xFFFFFF is the default colour, not white";
    EXPECT_EQ(PickerStartColour(0x123456), 0x123456);
    EXPECT_EQ(PickerStartColour(0xFEFFFF), 0xFEFFFF);
    EXPECT_EQ(StoredColourOf(kPickerDefault), kAutomaticColor);
    EXPECT_EQ(StoredColourOf(0xFFFFFF), 0xFEFFFFu) << "picked white is stored apart from default";
    EXPECT_EQ(StoredColourOf(0x0080FF), 0x0080FFu);
    EXPECT_FALSE(StoredColourOf(kPickerCancelled).has_value());
}

} // namespace
} // namespace norvane::options
