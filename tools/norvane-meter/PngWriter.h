// A small PNG writer for the preview sheets: 24-bit RGB rows, stored without
// compression (the sheets are small), so it needs no library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace norvane::meter {

// rgb: width * height * 3 bytes, rows from the top. The file's bytes.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

} // namespace norvane::meter
