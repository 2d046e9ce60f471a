// Process-wide display facts: the screen's dots per inch, the true-VGA and
// high-resolution flags that the settings decide, and the scaling of 96-dpi
// measures to device pixels that layout and painting use everywhere.
#pragma once

namespace norvane {

// The screen's logical dots per inch, asked once from the platform and then kept;
// -1 when the display cannot be asked.
int ScreenDpiX();
int ScreenDpiY();
// Replaces what the platform said (a tool's --dpi, a test, a display change).
void SetScreenDpi(int x, int y);
// Forgets the kept figures, so the next call asks the platform again.
void ResetScreenDpi();

bool TrueVga();
bool HiResDisplay();
void SetDisplayFlags(bool trueVga, bool hiResDisplay);

// A measure in 96-dpi pixels in device pixels: v * dpi / 96, rounded half away from
// zero, doubled while the true-VGA flag is set.
int ScaleX(int v);
int ScaleY(int v);

} // namespace norvane
