// The arithmetic of meter drawing, apart from any device context: which rows
// or columns a reveal or colour-fill meter covers at a value, the triangles of
// a pie meter's sector, the passes of a value text with its shadow, and the
// height of the text's font. The renderer draws what these say; tests check
// them against pictures worked out by hand.
#pragma once

#include "MeterDefinition.h"

#include <vector>

namespace norvane {

// A run of rows (vertical meters) or columns (horizontal ones): first and
// count; count 0 draws nothing.
struct MeterSpan {
    int first = 0;
    int count = 0;
};

// The rows (columns) of the element image a reveal meter shows at the value:
// with E lines between the extents and d = value * E / 100, the last d - 1
// lines of the extent (vertical) or its first d - 1 (horizontal). Nothing
// outside 1..100 or without an extent.
MeterSpan RevealSpan(int extentFirst, int extentLast, int percent, bool horizontal);

// The rows a vertical colour-fill meter colours (the last d of the extent) or
// the columns a horizontal one colours (d + 1 from the first). Nothing outside
// 1..100 or without an extent.
MeterSpan ColourFillSpan(int extentFirst, int extentLast, int percent, bool horizontal);

struct MeterPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const MeterPoint&, const MeterPoint&) = default;
};

struct MeterTriangle {
    MeterPoint a, b, c;
};

// The octant triangles of a pie at the value on a mask of 2N x 2N pixels
// around (N, N), starting straight up and running clockwise. Values above 100
// count as 100; nothing below 1.
std::vector<MeterTriangle> PieTriangles(int size, int percent);

// Cumulative percent at the end of each octant, and the tangent table.
inline constexpr int kPieOctantEnds[8] = {12, 25, 37, 50, 62, 75, 87, 100};
inline constexpr double kPieTangents[14] = {0.0,   0.063, 0.126, 0.191, 0.257, 0.325, 0.396,
                                            0.471, 0.55,  0.635, 0.727, 0.827, 1.0,   1.0};

// Where the text goes on each pass, in drawing order: the shadow passes in the
// shadow colour, then (0, 0) in the text colour, which is always last.
std::vector<MeterPoint> MeterTextOffsets(MeterTextShadow shadow);

// The value text's font height for GDI: -(dpiY * size / 72), doubled when the
// high-resolution flag is clear or the true-VGA flag is set.
int MeterFontHeight(int dpiY, int fontSize, bool hiResDisplay, bool trueVga);

// The pie mask pixel that decides pixel (i, j) of the meter's square: (i + N -
// centre x, j + N - centre y); false when it lies outside the 2N x 2N mask.
bool PieMaskPixel(int size, int centreX, int centreY, int i, int j, int& maskX, int& maskY);

} // namespace norvane
