// The boot service's start: NVG_Init decides on the services manager's thread
// and hands the bar to a worker thread of its own, which in the end deregisters
// the service so that the manager unloads the DLL.
#pragma once

#include "SafeModeSwitch.h"

#include <windows.h>

namespace norvane::safemode {

// The device's own registry and file system.
SafeModePlaces DevicePlaces();

// NVG_Init's work: true when the worker thread runs.
bool StartService();

} // namespace norvane::safemode
