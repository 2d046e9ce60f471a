// Portable helpers for image files: which decoder a path goes to, and reading
// a whole file into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace norvane {

enum class ImageFileKind { Png, Tga, Other };

// Decided by the last four characters, compared without regard to case:
// ".png" and ".tga". A path of four characters or fewer is Other.
ImageFileKind ClassifyImagePath(const std::wstring& path);

// Reads the whole file. Fails when it cannot be opened or read, or when it is
// longer than maxBytes.
bool ReadFileBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes, std::size_t maxBytes);

} // namespace norvane
