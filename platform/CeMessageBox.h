// Message boxes the size of the device's screen. The device wraps a long text
// inside the screen's width; a desktop message box grows wider than a 240-pixel
// screen and its sides fall off. CeMessageBox is MessageBoxW with the box fitted
// to the screen: no wider than it, the text wrapped anew, the buttons centred
// below the text, and the whole box on the screen.
#pragma once

#include <windows.h>

int CeMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

namespace norvane::platform {

// Fits a message box (class "#32770") to a screen of the given size; used by
// CeMessageBox once the box has laid itself out, and by tests.
void FitMessageBoxToScreen(HWND box, int screenWidth, int screenHeight);

} // namespace norvane::platform
