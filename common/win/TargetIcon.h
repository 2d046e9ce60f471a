// The picture of a shortcut's additional target: a control-panel applet's icon
// (asked from the applet module through CPlApplet), the root folder's icon for
// folders, the theme pictures of special commands and new items, and the meter
// image of a meter shortcut (through a hook of the meters code). It fills
// ShortcutIconServices::additionalTargetIcon.
#pragma once

#include "ImageLoader.h"
#include "ImageShortcutIcon.h"
#include "ShortcutTarget.h"

#include <windows.h>

#include <functional>
#include <string>

namespace norvane {

inline constexpr int kFallbackIconResource = 125;

struct TargetIconServices {
    // The system's icon of a file (CeSHGetFileInfo); the caller owns the result.
    std::function<HICON(const std::wstring& path, bool large)> systemIcon;
    // The meter's picture for its definition loaded at size (16, 32 or 64).
    // Empty until the meters code fills it: meters then have no picture.
    std::function<bool(const std::wstring& meterPath, int size, Bitmap32& image)> meterImage;
    // Theme image lookup (AdditionalImagesPath, install folder, shell readiness).
    ThemeImageContext theme;
    // The module holding icon resource 125, the picture of a special command or
    // new item without a theme image (the language module or the item itself).
    HMODULE resourceModule = nullptr;
};

// Loads the additional target's picture into icon. True when there is one.
bool LoadAdditionalTargetIcon(const ShortcutIconRequest& request, const IconDisplay& display,
                              const TargetIconServices& services, ShortcutIcon& icon);

// The icon of applet index of an applet module: CPL_INIT, then CPL_NEWINQUIRE's
// icon, the power program's icon for the power applets, CPL_INQUIRE's icon
// resource, the module file's system icon; then CPL_EXIT and the module freed.
HICON LoadAppletIcon(const ControlPanelTarget& applet, bool large, const TargetIconServices& services);

} // namespace norvane
