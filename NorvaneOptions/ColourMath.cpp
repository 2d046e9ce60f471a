// The colour picker's arithmetic.
#include "ColourMath.h"

namespace norvane::options {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return -1;
}

} // namespace

Rgb SplitColour(ColorValue colour) {
    return Rgb{static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
               static_cast<int>((colour >> 16) & 0xFF)};
}

ColorValue JoinColour(const Rgb& rgb) {
    return MakeColor(rgb.red, rgb.green, rgb.blue);
}

int SliderPosition(int component) {
    return static_cast<int>(component * 100.0 / 255.0);
}

int ComponentAtSlider(int position) {
    return position * 255 / 100;
}

std::wstring HexText(const Rgb& rgb) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (int component : {rgb.red, rgb.green, rgb.blue}) {
        text += kDigits[(component >> 4) & 0xF];
        text += kDigits[component & 0xF];
    }
    return text;
}

std::optional<Rgb> ParseHexColour(std::wstring_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == L'#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6) {
        return std::nullopt;
    }
    int values[6];
    for (int i = 0; i < 6; ++i) {
        values[i] = HexDigit(text[i]);
        if (values[i] < 0) {
            return std::nullopt;
        }
    }
    return Rgb{values[0] * 16 + values[1], values[2] * 16 + values[3], values[4] * 16 + values[5]};
}

std::optional<int> ParseComponent(std::wstring_view text) {
    text = Trimmed(text);
    if (text.empty() || text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - L'0');
    }
    if (value > 255) {
        return std::nullopt;
    }
    return value;
}

int PickerStartColour(ColorValue stored) {
    return stored == kAutomaticColor ? kPickerDefault : static_cast<int>(stored & 0xFFFFFF);
}

std::optional<ColorValue> StoredColourOf(int pickerAnswer) {
    if (pickerAnswer == kPickerCancelled) {
        return std::nullopt;
    }
    if (pickerAnswer == kPickerDefault) {
        return kAutomaticColor;
    }
    const ColorValue colour = static_cast<ColorValue>(pickerAnswer) & 0xFFFFFF;
    return colour == 0xFFFFFF ? 0xFEFFFF : colour;
}

} // namespace norvane::options
