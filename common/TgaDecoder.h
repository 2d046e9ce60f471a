// Our own decoder for the TGA files that themes carry: true-colour images,
// uncompressed (type 2) or run-length encoded (type 10), 24 or 32 bits a pixel.
//
// Row order follows the launcher's long-standing rule, which theme files rely
// on: when bit value 16 of the image descriptor is set the first row in the
// file is the top row, otherwise it is the bottom row. (Bit value 32, which
// other readers use for this, is ignored.)
#pragma once

#include "Bitmap32.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace norvane {

enum class TgaError {
    None,
    Unreadable,       // the file could not be opened or read
    TooShort,         // fewer than the 18 header bytes
    ColourMapped,     // colour-map type other than 0
    UnsupportedType,  // image type other than 2 or 10
    UnsupportedDepth, // pixel depth other than 24 or 32
    EmptySize,        // width or height 0
    TooLarge,         // more than Bitmap32::kMaxPixels pixels, or out of memory
    Truncated,        // the pixel data ends before the last pixel
};

// Decodes a TGA held in memory. The image is emptied first, so it is empty
// whenever this returns false; error (optional) says why.
bool DecodeTga(const std::uint8_t* data, std::size_t size, Bitmap32& image, TgaError* error = nullptr);

// Reads a TGA file (path as UTF-16 code units) and decodes it.
bool LoadTgaFile(const std::wstring& path, Bitmap32& image, TgaError* error = nullptr);

// A short English description of an error, for tools and logs.
const char* TgaErrorText(TgaError error);

} // namespace norvane
