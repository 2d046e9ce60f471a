#include "BuiltinImage.h"

#include <gtest/gtest.h>

using namespace norvane;

TEST(BuiltinImage, NumbersSizeLettersAndScreenDecideTheResource) {
    struct Case {
        const wchar_t* text;
        bool highResolution;
        int id;
    };
    const Case cases[] = {
        {L"builtin:3s", false, 4309},
        {L"builtin:3", true, 4311},
        {L"builtin:3", false, 4310},
        {L"builtin:3m", true, 4310},
        {L"builtin:3l", false, 4311},
        {L"builtin:20", false, 4300 + 3 * 3 + 1},
        {L"builtin:16", false, 4300 + 3 * 16 + 1},
        {L"builtin:17s", false, 4300},
        {L"builtin:", false, 4301},
        {L"builtin:s", false, 4300},
        {L"", true, 4302},
        {L"builtin:99999999999999999999999l", false, 4300 + 3 * 4 + 2}, // 10^23 - 1 mod 17 = 4
    };
    for (const Case& c : cases) {
        TabImageRef ref = ParseTabImage(c.text, c.highResolution);
        EXPECT_TRUE(ref.builtin) << "text '" << testing::PrintToString(std::wstring(c.text)) << "'";
        EXPECT_EQ(ref.resourceId, c.id) << testing::PrintToString(std::wstring(c.text));
    }
    // The last built-in image, large, is the highest resource the plug-in carries.
    EXPECT_EQ(BuiltinImageId(16, 2), 4350);
}

TEST(BuiltinImage, OtherTextsArePaths) {
    TabImageRef ref = ParseTabImage(L"\\My Documents\\tab.png", false);
    EXPECT_FALSE(ref.builtin);
    EXPECT_EQ(ref.path, L"\\My Documents\\tab.png");
    // The prefix is exact.
    EXPECT_FALSE(ParseTabImage(L"Builtin:3", false).builtin);
    EXPECT_FALSE(ParseTabImage(L"builtin", false).builtin);
}
