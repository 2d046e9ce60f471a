// The rows, columns and triangles meters cover, worked out by hand, and the
// text passes and font heights.
#include "MeterGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace norvane {
namespace {

TEST(MeterGeometry, RevealShowsOneLineLessThanItsShare) {
    // Rows 2..29 (28 rows) at 50 %: d = 14, rows 16..28.
    MeterSpan half = RevealSpan(2, 29, 50, false);
    EXPECT_EQ(half.first, 16);
    EXPECT_EQ(half.count, 13);
    // 3 % of 28 rows is 0: nothing.
    EXPECT_EQ(RevealSpan(2, 29, 3, false).count, 0);
    // 4 %: d = 1 leaves no row either.
    EXPECT_EQ(RevealSpan(2, 29, 4, false).count, 0);
    // 100 %: rows 2..28.
    MeterSpan full = RevealSpan(2, 29, 100, false);
    EXPECT_EQ(full.first, 2);
    EXPECT_EQ(full.count, 27);
    // Horizontal: columns from the first extent.
    MeterSpan columns = RevealSpan(0, 31, 50, true);
    EXPECT_EQ(columns.first, 0);
    EXPECT_EQ(columns.count, 15);
    // Out of range or no extent: nothing.
    EXPECT_EQ(RevealSpan(2, 29, 0, false).count, 0);
    EXPECT_EQ(RevealSpan(2, 29, 101, false).count, 0);
    EXPECT_EQ(RevealSpan(-1, -1, 50, false).count, 0);
}

TEST(MeterGeometry, ColourFillCoversItsShareAndOneColumnMoreAcross) {
    // Horizontal, columns 0..31, 50 %: columns 0..16.
    MeterSpan columns = ColourFillSpan(0, 31, 50, true);
    EXPECT_EQ(columns.first, 0);
    EXPECT_EQ(columns.count, 17);
    // Vertical, rows 4..27 (24 rows) at 25 %: the last 6 rows.
    MeterSpan rows = ColourFillSpan(4, 27, 25, false);
    EXPECT_EQ(rows.first, 22);
    EXPECT_EQ(rows.count, 6);
    EXPECT_EQ(ColourFillSpan(4, 27, 1, false).count, 0);
    EXPECT_EQ(ColourFillSpan(4, 27, 1, true).count, 1);
    EXPECT_EQ(ColourFillSpan(4, 27, 0, true).count, 0);
    EXPECT_EQ(ColourFillSpan(0, -1, 50, false).count, 0);
}

TEST(MeterGeometry, PieTrianglesFollowTheOctants) {
    // 12 %: octant 0 alone, ending at the top-right corner of the 64 x 64 mask.
    auto twelve = PieTriangles(32, 12);
    ASSERT_EQ(twelve.size(), 1u);
    EXPECT_EQ(twelve[0].a, (MeterPoint{32, 32}));
    EXPECT_EQ(twelve[0].b, (MeterPoint{32, 0}));
    EXPECT_EQ(twelve[0].c, (MeterPoint{64, 0}));
    // 13 %: octant 0 and the first step of octant 1: 32 * 0.063 = 2.
    auto thirteen = PieTriangles(32, 13);
    ASSERT_EQ(thirteen.size(), 2u);
    EXPECT_EQ(thirteen[1].b, (MeterPoint{64, 0}));
    EXPECT_EQ(thirteen[1].c, (MeterPoint{64, 2}));
    // 1 %: a sliver: 32 * 0.063 = 2.
    auto one = PieTriangles(32, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].c, (MeterPoint{34, 0}));
    // 100 % and above: all eight, each reaching the next corner or edge middle.
    for (int value : {100, 250}) {
        auto full = PieTriangles(16, value);
        ASSERT_EQ(full.size(), 8u) << value;
        const MeterPoint ends[8] = {{32, 0}, {32, 16}, {32, 32}, {16, 32}, {0, 32}, {0, 16}, {0, 0}, {16, 0}};
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(full[k].c, ends[k]) << "octant " << k;
        }
    }
    EXPECT_TRUE(PieTriangles(16, 0).empty());
    // 50 %: four octants, the last of them full.
    auto half = PieTriangles(32, 50);
    ASSERT_EQ(half.size(), 4u);
    EXPECT_EQ(half[3].c, (MeterPoint{32, 64}));
    // 60 %: octant 4 holds 10 steps: 32 * 0.727 = 23.
    auto sixty = PieTriangles(32, 60);
    ASSERT_EQ(sixty.size(), 5u);
    EXPECT_EQ(sixty[4].c, (MeterPoint{32 - 23, 64}));
}

TEST(MeterGeometry, PieMaskIsSampledAroundTheCentre) {
    int x = 0;
    int y = 0;
    ASSERT_TRUE(PieMaskPixel(32, 16, 16, 0, 0, x, y));
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 16);
    ASSERT_TRUE(PieMaskPixel(32, 0, 0, 31, 31, x, y));
    EXPECT_EQ(x, 63);
    EXPECT_FALSE(PieMaskPixel(32, 40, 0, 0, 0, x, y));
    EXPECT_FALSE(PieMaskPixel(32, -2000000000, 2000000000, 31, 0, x, y));
}

TEST(MeterGeometry, TextPassesEndInTheTextColour) {
    auto glow = MeterTextOffsets(MeterTextShadow::Glow);
    ASSERT_EQ(glow.size(), 5u);
    EXPECT_EQ(glow[0], (MeterPoint{1, 1}));
    EXPECT_EQ(glow[1], (MeterPoint{1, -1}));
    EXPECT_EQ(glow[2], (MeterPoint{-1, -1}));
    EXPECT_EQ(glow[3], (MeterPoint{-1, 1}));
    EXPECT_EQ(glow[4], (MeterPoint{0, 0}));
    EXPECT_EQ(MeterTextOffsets(MeterTextShadow::Shadow).size(), 2u);
    EXPECT_EQ(MeterTextOffsets(MeterTextShadow::None).size(), 1u);
}

TEST(MeterGeometry, FontHeightDoublesUnlessHighResolution) {
    EXPECT_EQ(MeterFontHeight(96, 4, false, false), -10); // 96 * 4 / 72 = 5, doubled
    EXPECT_EQ(MeterFontHeight(192, 4, true, false), -10);
    EXPECT_EQ(MeterFontHeight(192, 4, true, true), -20);
    EXPECT_EQ(MeterFontHeight(96, 7, false, false), -18);
    EXPECT_EQ(MeterFontHeight(192, 200, false, false), -1066);
}

} // namespace
} // namespace norvane
