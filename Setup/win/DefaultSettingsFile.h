// Writes the first Norvane.ini from what the device has: its Start menu,
// games and documents folders, the control panel's applets, the special
// commands named in the user's language and the new-item classes.
#pragma once

#include <string>

namespace norvane::setup {

// Where the default settings come from and go to (device paths).
struct DefaultSettingsPlaces {
    std::wstring dataFolder;      // the settings file goes here
    std::wstring metersFolder;    // ends in "\"
    std::wstring programsFolder;  // the Start menu's programs
    std::wstring documentsFolder; // the root volume's documents
    std::wstring personalFolder;  // ends in "\": where screen captures go
    std::wstring controlPanel;    // the applet module
    std::wstring pluginModule;    // the plug-in, whose table holds the English texts
};

// The device's own places, from the registry and the shell; creates the data
// folder when it is missing.
DefaultSettingsPlaces DevicePlaces();

// Writes <data folder>\Norvane.ini unless a file or folder of that name exists.
// True when a file was written.
bool WriteDefaultSettings(bool metersInstalled, const DefaultSettingsPlaces& places);

} // namespace norvane::setup
