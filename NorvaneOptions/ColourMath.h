// The colour picker's arithmetic and the rules for colours typed by hand.
// Portable (no Windows header). Colours are 0x00BBGGRR, red in the low byte;
// the picker answers -1 for "default" and -2 for cancel.
#pragma once

#include "SettingsFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace norvane::options {

inline constexpr int kPickerDefault = -1;
inline constexpr int kPickerCancelled = -2;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

Rgb SplitColour(ColorValue colour);
ColorValue JoinColour(const Rgb& rgb);

// Sliders run from 0 to 100.
int SliderPosition(int component);
int ComponentAtSlider(int position);

// The hexadecimal field: six digits, red first ("FF8000").
std::wstring HexText(const Rgb& rgb);
// A hexadecimal colour typed by hand: exactly six hexadecimal digits, with an
// optional leading "#" and blanks around them. Anything else is no colour.
std::optional<Rgb> ParseHexColour(std::wstring_view text);
// A number field: digits only (blanks around them allowed), 0 to 255.
std::optional<int> ParseComponent(std::wstring_view text);

// The Options page hands a stored colour to the picker (0xFFFFFF, the
// automatic colour, is "default") and stores what the picker answers: "default"
// becomes 0xFFFFFF again, and a picked pure white 0xFEFFFF so that it stays
// apart from "default". No value for a cancelled picker.
int PickerStartColour(ColorValue stored);
std::optional<ColorValue> StoredColourOf(int pickerAnswer);

} // namespace norvane::options
