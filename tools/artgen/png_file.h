#pragma once
// PNG files, the form an icon's 256-pixel image takes: Windows reads a PNG
// inside an .ico, and it is a fraction of the size of the bitmap.

#include <cstdint>
#include <vector>

namespace artgen {

// 8 bits per channel, top-down rows of red, green, blue and straight (not
// premultiplied) alpha. The same pixels always give the same bytes.
std::vector<std::uint8_t> RgbaPng(int width, int height, const std::vector<std::uint8_t>& rgba);

}  // namespace artgen
