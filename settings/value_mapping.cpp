#include "settings/value_mapping.h"

#include <cwchar>

const ColorRef kDefaultCustomColors[kCustomColorCount] = {
    0x000000, 0xC80000, 0x4BA532, 0xB4AA19, 0x2828B4, 0xB428AA, 0x0050A0, 0xAAAAAA,
    0x646464, 0xF08C32, 0x64FA46, 0xF0E650, 0x5A64F0, 0xF064F0, 0x28FAFA, 0xFFFFFF,
};

std::uint32_t EncodeSigned(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    // Unsigned arithmetic: v - 1 would overflow for the most negative value.
    return value < 0 ? bits - 1u : bits;
}

std::int32_t DecodeSigned(std::uint32_t stored)
{
    const std::uint32_t bits = stored < 0x7FFFFFFFu ? stored : stored + 1u;
    // Two's complement reinterpretation, defined for every pattern.
    return bits <= 0x7FFFFFFFu ? static_cast<std::int32_t>(bits)
                               : -static_cast<std::int32_t>(~bits) - 1;
}

bool DecodeFlag(std::uint32_t stored)
{
    return stored == 1;
}

std::int32_t ClampLoadDlgIndex(std::int32_t value)
{
    return value > kDefaultLoadDlgIndex ? kDefaultLoadDlgIndex : value;
}

std::int32_t ValidAdjustmentNo(std::int32_t value)
{
    return static_cast<std::uint32_t>(value) > 3u ? kDefaultAdjustmentNo : value;
}

void CustomColorValueName(int index, wchar_t (&name)[16])
{
    const int clamped = index < 0 ? 0 : index % 100;
    std::swprintf(name, 16, L"RgbColors%02d", clamped);
}
