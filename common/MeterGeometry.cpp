// Rows, columns, triangles and text passes of meter drawing.
#include "MeterGeometry.h"

#include <algorithm>

namespace norvane {

namespace {

// d = value * E / 100 for a usable extent and value; -1 when nothing is drawn.
int Covered(int extentFirst, int extentLast, int percent) {
    if (percent < 1 || percent > 100 || extentLast == -1 || extentFirst < 0 || extentLast < extentFirst) {
        return -1;
    }
    const long long lines = static_cast<long long>(extentLast) - extentFirst + 1;
    return static_cast<int>(percent * lines / 100);
}

} // namespace

MeterSpan RevealSpan(int extentFirst, int extentLast, int percent, bool horizontal) {
    const int d = Covered(extentFirst, extentLast, percent);
    if (d < 0) {
        return {};
    }
    if (horizontal) {
        const int end = extentFirst + d - 1;
        if (end < extentFirst) {
            return {};
        }
        // Columns extentFirst to end - 1: stored meters were drawn to look
        // right with one line less than d.
        return MeterSpan{extentFirst, end - extentFirst};
    }
    const int start = extentLast - d + 1;
    if (start > extentLast) {
        return {};
    }
    return MeterSpan{start, extentLast - start};
}

MeterSpan ColourFillSpan(int extentFirst, int extentLast, int percent, bool horizontal) {
    const int d = Covered(extentFirst, extentLast, percent);
    if (d < 0) {
        return {};
    }
    if (horizontal) {
        // d + 1 columns from the first: as stored meters expect.
        return MeterSpan{extentFirst, d + 1};
    }
    return MeterSpan{extentLast - d + 1, d};
}

std::vector<MeterTriangle> PieTriangles(int size, int percent) {
    std::vector<MeterTriangle> triangles;
    if (percent < 1 || size <= 0) {
        return triangles;
    }
    percent = std::min(percent, 100);
    const int s = 2 * size;
    const int h = s / 2;
    for (int k = 0; k < 8; ++k) {
        const int before = k == 0 ? 0 : kPieOctantEnds[k - 1];
        const int p = std::min(std::min(kPieOctantEnds[k], percent) - before, 13);
        const int o = static_cast<int>(h * kPieTangents[std::max(p, 0)]);
        const MeterPoint centre{h, h};
        switch (k) {
        case 0:
            triangles.push_back({centre, {h, 0}, {h + o, 0}});
            break;
        case 1:
            triangles.push_back({centre, {s, 0}, {s, o}});
            break;
        case 2:
            triangles.push_back({centre, {s, h}, {s, h + o}});
            break;
        case 3:
            triangles.push_back({centre, {s, s}, {s - o, s}});
            break;
        case 4:
            triangles.push_back({centre, {h, s}, {h - o, s}});
            break;
        case 5:
            triangles.push_back({centre, {0, s}, {0, s - o}});
            break;
        case 6:
            triangles.push_back({centre, {0, h}, {0, h - o}});
            break;
        default:
            triangles.push_back({centre, {0, 0}, {o, 0}});
            break;
        }
        if (percent <= kPieOctantEnds[k]) {
            break;
        }
    }
    return triangles;
}

std::vector<MeterPoint> MeterTextOffsets(MeterTextShadow shadow) {
    switch (shadow) {
    case MeterTextShadow::Shadow:
        return {{1, 1}, {0, 0}};
    case MeterTextShadow::Glow:
        return {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}, {0, 0}};
    default:
        return {{0, 0}};
    }
}

int MeterFontHeight(int dpiY, int fontSize, bool hiResDisplay, bool trueVga) {
    long long height = -(static_cast<long long>(dpiY) * fontSize / 72);
    if (!hiResDisplay || trueVga) {
        height *= 2;
    }
    return static_cast<int>(std::clamp<long long>(height, -100000, 100000));
}

bool PieMaskPixel(int size, int centreX, int centreY, int i, int j, int& maskX, int& maskY) {
    const long long x = static_cast<long long>(i) + size - centreX;
    const long long y = static_cast<long long>(j) + size - centreY;
    if (x < 0 || y < 0 || x >= 2LL * size || y >= 2LL * size) {
        return false;
    }
    maskX = static_cast<int>(x);
    maskY = static_cast<int>(y);
    return true;
}

} // namespace norvane
