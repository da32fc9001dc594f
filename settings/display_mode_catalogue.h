#pragma once
// The primary display's modes, distinct and sorted, gathered once at start-up.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings/display_modes.h"

class DisplayModeCatalogue {
public:
    void Enumerate();
    std::size_t Count() const { return modes.size(); }
    const DEVMODEW& Mode(std::size_t index) const { return modes[index]; }

    std::vector<DEVMODEW> modes;
    DEVMODEW currentMode = {}; // scratch record for the current display settings
};

ModeKey KeyOfMode(const DEVMODEW& mode);

// Does the record show this mode? The refresh rate counts only on NT platforms.
bool MatchesMode(const DEVMODEW& mode, std::uint32_t width, std::uint32_t height,
                 std::uint32_t bits, std::uint32_t frequency);
