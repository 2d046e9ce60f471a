// The tab image text: "builtin:" followed by an optional number and an optional
// size letter names one of the seventeen built-in pictures; any other text is
// the path of an image file.
#pragma once

#include <string>

namespace norvane {

constexpr int kBuiltinImageFirstId = 4300;
constexpr int kBuiltinImageCount = 17;
constexpr int kBuiltinImageVariants = 3; // small, medium, large

struct TabImageRef {
    bool builtin = false;
    int resourceId = 0; // when builtin: 4300 + 3 * n + variant
    std::wstring path;  // otherwise: the image file
};

// Parses a tab's image text. An empty text counts as "builtin:0". After
// "builtin:" come the digits of n (none counts as 0; n is taken modulo 17, so
// any length of digits is safe) and an optional "s", "m" or "l" (small, medium,
// large; either case). Without a letter the large variant is used on a
// high-resolution screen and the medium one otherwise.
TabImageRef ParseTabImage(const std::wstring& text, bool highResolution);

// The resource ID of built-in image n (0 to 16) in variant 0 to 2.
constexpr int BuiltinImageId(int n, int variant) {
    return kBuiltinImageFirstId + kBuiltinImageVariants * n + variant;
}

} // namespace norvane
