// The device's look: the Today background with its watermark, the bars'
// gradients, the start mark and the colours the Today items ask for. Everything
// is drawn with GDI here; no image files are involved.
#pragma once

#include <windows.h>

#include <vector>

namespace norvane::device {

class Theme {
public:
    Theme() = default;
    ~Theme();
    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;

    // Rebuilds the full-screen background for the current screen size.
    void Rebuild(int screenWidth, int screenHeight);

    // Paints the background of the screen area whose top-left corner is
    // screenOrigin into dest of dc (dest's size is the area's size).
    void PaintBackground(HDC dc, const RECT& dest, POINT screenOrigin) const;

    COLORREF TextColor() const { return RGB(0, 0, 0); }
    COLORREF HighlightColor() const { return RGB(49, 106, 197); }
    COLORREF HighlightedTextColor() const { return RGB(255, 255, 255); }
    // The answer to TODAYM_GETCOLOR; CLR_INVALID for an unknown id.
    COLORREF TodayColor(WPARAM id) const;

    // The shell's colour table as the "SHColor" registry value holds it.
    static std::vector<BYTE> ShColorTable();

    static void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
    // The start button's mark (the device's own compass star badge), fitted
    // into rect; drawn once per size and kept.
    void DrawStartMark(HDC dc, const RECT& rect) const;

private:
    HBITMAP m_background = nullptr;
    int m_width = 0;
    int m_height = 0;
    mutable HBITMAP m_startMark = nullptr;
    mutable SIZE m_startMarkSize{};
};

} // namespace norvane::device
