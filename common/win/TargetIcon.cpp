// Pictures of applets, folders, special commands, new items and meters.
#include "TargetIcon.h"

#include "ImageNames.h"
#include "ShortcutLaunch.h"
#include "ShortcutTarget.h"

#include <cpl.h>

namespace norvane {

namespace {

// Frees the applet module however the icon search ends.
struct AppletModule {
    HMODULE module = nullptr;
    APPLET_PROC entry = nullptr;
    bool initialised = false;

    explicit AppletModule(const std::wstring& file) {
        module = LoadLibraryW(file.c_str());
        if (module) {
            entry = reinterpret_cast<APPLET_PROC>(GetProcAddress(module, "CPlApplet"));
        }
        if (entry) {
            initialised = entry(nullptr, CPL_INIT, 0, 0) != 0;
        }
    }
    ~AppletModule() {
        if (initialised) {
            entry(nullptr, CPL_EXIT, 0, 0);
        }
        if (module) {
            FreeLibrary(module);
        }
    }
    AppletModule(const AppletModule&) = delete;
    AppletModule& operator=(const AppletModule&) = delete;
};

// A copy that stays valid after the module is freed; the applet's own handle
// is given back.
HICON OwnCopy(HICON icon) {
    if (!icon) {
        return nullptr;
    }
    HICON copy = CopyIcon(icon);
    DestroyIcon(icon);
    return copy;
}

HICON SystemIcon(const TargetIconServices& services, const std::wstring& path, bool large) {
    return services.systemIcon ? services.systemIcon(path, large) : nullptr;
}

} // namespace

HICON LoadAppletIcon(const ControlPanelTarget& applet, bool large, const TargetIconServices& services) {
    if (applet.file.empty()) {
        return nullptr; // "cpl:" without "|": no module to ask
    }
    AppletModule module(applet.file);
    if (!module.entry) {
        return nullptr;
    }
    if (module.initialised) {
        NEWCPLINFOW info{};
        info.dwSize = sizeof info;
        if (module.entry(nullptr, CPL_NEWINQUIRE, applet.index, reinterpret_cast<LPARAM>(&info)) == 0 &&
            info.hIcon) {
            if (HICON icon = OwnCopy(info.hIcon)) {
                return icon;
            }
        }
    }
    if (UsesPowerProgramIcon(applet)) {
        if (HICON icon = SystemIcon(services, kPowerProgram, large)) {
            return icon;
        }
    }
    if (module.initialised) {
        CPLINFO info{};
        if (module.entry(nullptr, CPL_INQUIRE, applet.index, reinterpret_cast<LPARAM>(&info)) == 0 &&
            info.idIcon != 0) {
            const int size = GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
            HICON icon = static_cast<HICON>(
                LoadImageW(module.module, MAKEINTRESOURCEW(info.idIcon), IMAGE_ICON, size, size, 0));
            if (icon) {
                return icon;
            }
        }
    }
    return SystemIcon(services, applet.file, large);
}

bool LoadAdditionalTargetIcon(const ShortcutIconRequest& request, const IconDisplay& display,
                              const TargetIconServices& services, ShortcutIcon& icon) {
    const bool largeSystemIcon = WantsLargeSystemIcon(request.large, request.inSpecialTab, display.trueVga);
    switch (KindOfTarget(request.additionalTarget)) {
    case TargetKind::ControlPanel:
        icon.icon.reset(
            LoadAppletIcon(ParseControlPanelTarget(request.additionalTarget), largeSystemIcon, services));
        break;
    case TargetKind::Folder:
        icon.icon.reset(SystemIcon(services, L"\\", largeSystemIcon));
        break;
    case TargetKind::SpecialCommand:
    case TargetKind::NewItem: {
        if (!services.theme.shellReady) {
            return false;
        }
        const int number = CommandIconNumber(request.large, display.highResolution);
        const std::wstring name = TargetIconImageName(request.additionalTarget, number);
        if (!name.empty()) {
            LoadThemeImage(icon.image, name, 0, services.theme);
        }
        if (icon.image.IsEmpty() && services.resourceModule) {
            const int size =
                ShortcutIconSize(request.large, request.inSpecialTab, display.dpi, display.trueVga);
            icon.icon.reset(static_cast<HICON>(LoadImageW(services.resourceModule,
                                                          MAKEINTRESOURCEW(kFallbackIconResource), IMAGE_ICON,
                                                          size, size, 0)));
        }
        break;
    }
    case TargetKind::Meter:
        if (services.meterImage) {
            const int size =
                MeterIconSize(request.large, display.highResolution, display.trueVga, request.inSpecialTab);
            if (!services.meterImage(std::wstring(TargetArgument(request.additionalTarget)), size,
                                     icon.image)) {
                icon.image.Empty();
            }
        }
        break;
    case TargetKind::File:
        // An additional target of no known kind ("Folder:\x") is opened as a file,
        // so it shows that file's icon.
        if (!request.target.empty()) {
            icon.icon.reset(SystemIcon(services, request.target, largeSystemIcon));
        }
        break;
    }
    return icon.IsLoaded();
}

} // namespace norvane
