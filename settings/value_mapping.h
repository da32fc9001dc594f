#pragma once
// How settings travel between members and the registry's DWORDs.
#include <cstdint>

#include "settings/settings.h"

// Negative values are stored as the pattern of v - 1, so -1 is 0xFFFFFFFE.
std::uint32_t EncodeSigned(std::int32_t value);
// The inverse: 0x7FFFFFFF and above are taken as d + 1, so 0xFFFFFFFF reads as 0.
std::int32_t DecodeSigned(std::uint32_t stored);

// Load rules applied after decoding.
bool DecodeFlag(std::uint32_t stored);               // true only for exactly 1
std::int32_t ClampLoadDlgIndex(std::int32_t value);  // above 6 becomes 6
std::int32_t ValidAdjustmentNo(std::int32_t value);  // 0..3, anything else 2

constexpr std::int32_t kDefaultMaxTextureSize = 2048;
constexpr std::int32_t kDefaultLoadDlgIndex = 6;
constexpr std::int32_t kDefaultAdjustmentNo = 2;

extern const ColorRef kDefaultCustomColors[kCustomColorCount];

// "RgbColors00" to "RgbColors15".
void CustomColorValueName(int index, wchar_t (&name)[16]);
