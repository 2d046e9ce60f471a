// Portable rules for naming and sizing the launcher's pictures: where a theme
// image is looked for, its "_vga" and "_ls" variants, the install folder text,
// and the sizes shortcut icons are reduced to.
#pragma once

#include <string>
#include <vector>

namespace norvane {

// Lower-cases ASCII and Latin-1 letters, as theme file names are stored.
std::wstring LowerCaseName(const std::wstring& name);

// The files tried for a theme image, in order: the name is lower-cased and its
// extension (after the last ".") replaced by "png", then by "tga"; each is
// looked for first under additionalImagesPath (a plain prefix, normally ending
// with "\") and then in installFolder + "images\". An empty additional path is
// still a prefix, as it always has been (a name relative to the current
// folder). A name without "." gets ".png" and ".tga" appended.
std::vector<std::wstring> ThemeImageCandidates(const std::wstring& name,
                                               const std::wstring& additionalImagesPath,
                                               const std::wstring& installFolder);

// base + "_vga" (high-resolution or true-VGA) + "_ls" (landscape) + ".tga".
std::wstring ThemeVariantName(const std::wstring& base, bool highResolution, bool landscape);

// The install folder from the registry value "InstallPath": "\Windows\" when
// the value is missing or empty, otherwise the value with a "\" appended when it
// does not end with one.
std::wstring NormalizeInstallFolder(const std::wstring& value, bool present);

// The scaling helper for icon measures: v * dpi / 96 rounded to the nearest,
// doubled while true-VGA is on.
int ScaleIconMeasure(int value, int dpi, bool trueVga);

// The size S a shortcut's picture is reduced to: 32 (large) or 16 (small)
// through the scaling helper, but 16 unscaled for a shortcut in a special tab
// while true-VGA is on.
int ShortcutIconSize(bool large, bool inSpecialTab, int dpi, bool trueVga);

// Whether the system's large icon is asked for: for a large shortcut, and for a
// small one while true-VGA is on and the shortcut is not in a special tab.
bool WantsLargeSystemIcon(bool large, bool inSpecialTab, bool trueVga);

// The icon number of special-command and new-item pictures: 64 for a large
// shortcut on a high-resolution screen, 16 for a small shortcut on a normal
// screen, 32 otherwise.
int CommandIconNumber(bool large, bool highResolution);

// The theme file of a special-command or new-item picture: base name, icon
// number and ".tga", as in "SoftReset32.tga" or "new_note16.tga".
std::wstring CommandIconFileName(const std::wstring& base, bool large, bool highResolution);

// How many times an image of width x height is halved before it fits into
// size x size (halving while either side exceeds size).
int HalvingsToFit(int width, int height, int size);

} // namespace norvane
