// The storage cards present now, as the device's flash-card enumeration
// lists them.
#pragma once

#include <string>
#include <vector>

namespace norvane {

// The present cards' folder names (no leading "\"), in the enumeration's
// order; empty when there is no card.
std::vector<std::wstring> FlashCardNames();

} // namespace norvane
