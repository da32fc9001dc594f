#include "settings/display_mode_catalogue.h"

#include "common/os_version.h"

ModeKey KeyOfMode(const DEVMODEW& mode)
{
    return ModeKey{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel, mode.dmDisplayFrequency};
}

void DisplayModeCatalogue::Enumerate()
{
    modes.clear();
    for (DWORD index = 0;; ++index) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsW(nullptr, index, &mode))
            break;
        AddDistinctMode(modes, mode, KeyOfMode);
    }
    SortModes(modes, KeyOfMode);
    currentMode = DEVMODEW{};
    currentMode.dmSize = sizeof currentMode;
}

bool MatchesMode(const DEVMODEW& mode, std::uint32_t width, std::uint32_t height,
                 std::uint32_t bits, std::uint32_t frequency)
{
    return MatchesModeKey(KeyOfMode(mode), width, height, bits, frequency, IsNtPlatform());
}
