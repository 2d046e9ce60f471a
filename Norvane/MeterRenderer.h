// Drawing a meter's live part over its picture: for each status kind of the
// definition the value picture (colour fill, reveal or pie), the charging
// overlay and the value text. The same drawing serves the Today screen, the
// popup panel, the notification-area icons, owner-drawn menus and the meter
// tool's preview sheets. Everything a meter draws stays inside its own N x N
// square, whatever its file says.
#pragma once

#include "MeterDefinition.h"
#include "SystemStatus.h"

#include <windows.h>

namespace norvane {

struct MeterDrawContext {
    SystemStatus* status = nullptr;
    // Loads the charging overlays on first use; the device's own when null.
    MeterImageSource* images = nullptr;
    // False when the shortcut's caption shows the value instead.
    bool drawText = true;
    // The display facts of the text font; the process's when left at -1.
    int dpiY = -1;
    int hiResDisplay = -1;
    int trueVga = -1;
};

// Draws every element of the definition, in kind-bit order, with the meter's
// top-left corner at (x, y).
void DrawMeter(MeterDefinition& definition, HDC dc, int x, int y, const MeterDrawContext& context);

// One element: its value picture, its charging overlay, then its text.
void DrawMeterElement(MeterDefinition& definition, MeterElement& element, HDC dc, int x, int y,
                      const MeterDrawContext& context);

// The 2N x 2N pie mask of a value as GDI draws it: one byte per pixel, row 0
// at the top, non-zero where the sector covers it. Empty when nothing is
// covered.
std::vector<std::uint8_t> RenderPieMask(int size, int percent);

// The fonts of the value texts and the pie masks are kept between paints; the
// item lets them go when it ends.
void ReleaseMeterCaches();

} // namespace norvane
