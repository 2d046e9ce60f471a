// The size of a PNG or TGA picture from the first bytes of its file, so that
// the image chooser can pass over pictures too large for it without decoding
// them. Portable (no Windows header).
#pragma once

#include <string_view>

namespace norvane::options {

enum class ImageFileKind { Other, Png, Tga, Bmp };

// By the name's ending, without regard to case: ".png", ".tga", ".bmp".
ImageFileKind ImageFileKindOf(std::wstring_view name);

// Width and height from the header (the IHDR chunk of a PNG, the image
// specification of a TGA). False when the bytes are too few or no such header.
bool ReadImageHeaderSize(std::string_view bytes, ImageFileKind kind, int& width, int& height);

// How many bytes ReadImageHeaderSize needs at most.
inline constexpr std::size_t kImageHeaderBytes = 24;

} // namespace norvane::options
