// The Today screen's menu bar at the bottom: two soft keys whose labels and
// programs come from HKCU Software\Microsoft\Today\Keys\112 and \113, read
// whenever the bar is painted or a key is pressed.
#pragma once

#include "Window.h"

#include <string>

namespace norvane::device {

class MenuBar : public Window {
public:
    MenuBar() = default;
    ~MenuBar() override;

    bool Create(HWND owner, const RECT& area);
    void Reposition(const RECT& area);
    // Presses soft key 0 (left, 112) or 1 (right, 113): starts its program.
    void PressSoftKey(int index);
    void Paint(HDC dc);

    struct SoftKey {
        std::wstring label;
        std::wstring program;
    };
    static SoftKey ReadSoftKey(int index);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int KeyAt(int x) const;

    int m_width = 0;
    int m_height = 0;
    int m_pressed = -1;
    std::wstring m_shownLabels;
    HFONT m_font = nullptr;
};

} // namespace norvane::device
