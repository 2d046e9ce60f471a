// The checks of "norvane-ini check": everything in a settings file that the
// launcher would ignore or read differently from what its author meant.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norvane::ini {

struct Finding {
    int line = 0; // 1-based
    std::wstring message;
};

// Findings in line order. decodeAnsi turns a file without a mark into text.
std::vector<Finding> CheckSettingsBytes(std::string_view bytes, std::wstring (*decodeAnsi)(std::string_view));

} // namespace norvane::ini
