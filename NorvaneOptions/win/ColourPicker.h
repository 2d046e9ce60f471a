// The colour picker: three sliders with number fields and a hexadecimal field
// ("RGB Values"), or a palette picture from which the colour under the stylus
// is taken ("Picker"); the strip above the tabs shows the chosen colour, and
// the soft key "Default" answers the element's default colour.
#pragma once

#include "Bitmap32.h"
#include "ColourMath.h"
#include "DialogSupport.h"

#include <string>

namespace norvane::options {

class OptionsApp;

inline constexpr int kRgbValuesTab = 0;
inline constexpr int kPickerTab = 1;

class ColourPicker : public DialogBase {
public:
    // initial: 0x00BBGGRR or kPickerDefault.
    ColourPicker(OptionsApp& app, int initial, int startTab);

    // Modal: the colour, kPickerDefault or kPickerCancelled.
    int Run(HWND owner);
    // Modeless, for tests; the answer is Answer() once the window is gone.
    HWND Create(HWND owner);
    int Answer() const { return m_answer; }
    int Colour() const { return m_colour; }
    int Tab() const { return m_tab; }
    void SelectTab(int tab);
    // The palette's place in the dialog.
    RECT PaletteRect() const;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInit();
    void SetComponent(int which, int value, bool fromSlider);
    void ShowColour(bool rewriteFields);
    void Paint(HDC dc);
    RECT StripRect() const;
    void PickAt(POINT point);
    void CommitField(int id);
    void CommitHex();
    int ComponentOf(int which) const;

    OptionsApp& m_app;
    int m_colour;
    int m_tab;
    Rgb m_rgb;
    int m_answer = kPickerCancelled;
    bool m_updating = false;
    HWND m_tabs = nullptr;
    HWND m_menuBar = nullptr;
    std::wstring m_parentCaption;
    Bitmap32 m_palette;
    DialogFonts m_fonts;
    HFONT m_stripFont = nullptr;
};

} // namespace norvane::options
