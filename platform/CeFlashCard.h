// Storage-card enumeration of the note-project library (projects.h).
//
// A storage card is a root folder of the device ("\Storage Card"): one that the
// device state lists as present under its Cards key, or one that carries the
// temporary attribute (Wine's C: drive does not keep that attribute on every
// host file system, so the Cards key is what the control tool relies on).
// Cards come in a stable order, sorted by name without regard to case.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// INVALID_HANDLE_VALUE (with ERROR_NO_MORE_FILES) when there is no card.
// cFileName is the card's folder name without a leading "\"; close the handle
// with FindClose, as on the device.
HANDLE FindFirstFlashCard(LPWIN32_FIND_DATAW lpFindFlashData);
BOOL FindNextFlashCard(HANDLE hFlashCard, LPWIN32_FIND_DATAW lpFindFlashData);

namespace norvane::platform {
// The present cards' folder names, in the enumeration's order.
std::vector<std::wstring> PresentCardNames();
} // namespace norvane::platform
