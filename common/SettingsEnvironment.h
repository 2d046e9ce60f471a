// What the settings record needs from the platform and from the parts of the
// program built on top of it: the programs folder, folder creation, the registry
// mirror, 8-bit decoding, the file layer, and two hooks that the special-command
// and image code fill in. The defaults here serve a platform without registry or
// folders; common/win/ has the Windows environment.
#pragma once

#include "PropertyList.h"

#include <functional>
#include <string>
#include <string_view>

namespace norvane {

class FileLayer;
class Settings;
class ShortcutRecord;

// The values other components read from the registry instead of the file.
struct RegistryMirror {
    int TrueVGA = 0;
    int TrueVGAOptions = 0;
    int SafeModePromptMode = 0;
    bool AutoSafeMode = false;
};

class SettingsEnvironment {
public:
    virtual ~SettingsEnvironment() = default;

    // "ProgramFilesPath" from the registry, or "\Program Files".
    virtual std::wstring ProgramsFolder() { return L"\\Program Files"; }
    // Creates one folder; an existing folder is no error.
    virtual bool CreateFolder(const std::wstring& path) { return true; }
    // Writes TrueVGA, TrueVGAOptions and the safe-mode switches.
    virtual void WriteRegistryMirror(const RegistryMirror& mirror) {}
    // Decodes a settings file without a byte-order mark.
    virtual std::wstring DecodeAnsi(std::string_view bytes);
    virtual FileLayer& Files();
    // Tells the user that the settings could not be saved.
    virtual void ReportSaveError(const std::wstring& text) {}
    // The meter code keeps a process-wide set of meter kinds in use; it is started
    // afresh whenever the settings path is built.
    virtual void ResetMeterKindsInUse();
    // Loads a shortcut's icon while the settings load (the image code overrides it).
    virtual void LoadShortcutIcon(ShortcutRecord& shortcut, const Settings& settings) {}

    // The special properties a new shortcut of a special command starts with, by
    // command name ("poweroff", ...). Filled in by the special-command code; empty
    // until then.
    std::function<PropertyList(std::wstring_view command)> DefaultSpecialProperties;
};

} // namespace norvane
