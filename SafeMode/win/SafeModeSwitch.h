// Switching off and on again what other software adds to the device: the Today
// items, the start-up folder, the input methods and the services. Entering safe
// mode switches them off; the next normal start switches them on again. Either
// may be cut short by a power loss at any step, so every step leaves something
// that the restore finishes, and nothing is ever deleted that exists in only
// one place.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace norvane::safemode {

// Where the switch works: the device's registry roots and its file system. The
// service uses the machine's own; tests give scratch keys and folders.
struct SafeModePlaces {
    HKEY machine = HKEY_LOCAL_MACHINE;
    HKEY classes = HKEY_CLASSES_ROOT;
    // Turns a device path ("\Windows\StartUp") into one the file calls take.
    std::function<std::wstring(const std::wstring&)> hostPath;
};

class SafeModeSwitch {
public:
    explicit SafeModeSwitch(SafeModePlaces places);

    // Entering safe mode, in this order: Today items, start-up folder, input
    // methods, services.
    void DisableAll();
    // The first normal start afterwards, in the same order.
    void RestoreAll();

    void DisableTodayItems();
    void RestoreTodayItems();
    void DisableStartUpFolder();
    void RestoreStartUpFolder();
    void DisableInputMethods();
    void RestoreInputMethods();
    void DisableServices();
    void RestoreServices();

    // The start-up folder as a device path: `WindowsStartUpPath`, or
    // "\Windows\StartUp" when it is missing or empty.
    std::wstring StartUpFolder() const;

private:
    SafeModePlaces m_places;
};

} // namespace norvane::safemode
