#include "settings/display_modes.h"

#include <tuple>

bool SameMode(const ModeKey& a, const ModeKey& b)
{
    return a.width == b.width && a.height == b.height && a.bits == b.bits && a.frequency == b.frequency;
}

bool ModeSortsBefore(const ModeKey& a, const ModeKey& b)
{
    return std::tie(a.width, a.height, a.bits, a.frequency) <
           std::tie(b.width, b.height, b.bits, b.frequency);
}

bool MatchesModeKey(const ModeKey& mode, std::uint32_t width, std::uint32_t height,
                    std::uint32_t bits, std::uint32_t frequency, bool rateTakesPart)
{
    return mode.width == width && mode.height == height && mode.bits == bits &&
           (!rateTakesPart || mode.frequency == frequency);
}
