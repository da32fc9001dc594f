#include "image/pixel_rows.h"

#include <cstring>
#include <utility>

std::size_t GdiRowBytes(std::int32_t width, std::int32_t bitsPerPixel)
{
    if (width <= 0 || bitsPerPixel <= 0)
        return 0;
    const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + 15) / 16 * 2;
}

std::size_t AlignedRowBytes(std::int32_t width, std::int32_t bytesPerPixel, std::int32_t alignment)
{
    if (width <= 0 || bytesPerPixel <= 0)
        return 0;
    const std::size_t step = alignment > 0 ? static_cast<std::size_t>(alignment) : 1;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
    return (bytes + step - 1) / step * step;
}

std::int32_t UnpackAlignmentForStride(std::int32_t width, std::int32_t bytesPerPixel, std::size_t stride)
{
    for (const std::int32_t alignment : {8, 4, 2, 1})
        if (stride != 0 && AlignedRowBytes(width, bytesPerPixel, alignment) == stride)
            return alignment;
    return 0;
}

void SwapRedBlueInRows(std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                       std::int32_t bytesPerPixel, std::size_t rowStride)
{
    if (!pixels || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return;
    const std::size_t step = static_cast<std::size_t>(bytesPerPixel);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* pixel = pixels + static_cast<std::size_t>(y) * rowStride;
        for (std::int32_t x = 0; x < width; ++x, pixel += step) {
            std::swap(pixel[0], pixel[2]);
            if (step == 4)
                pixel[3] = 255;
        }
    }
}

void RestrideRows(std::uint8_t* pixels, std::int32_t height, std::size_t fromStride, std::size_t toStride,
                  std::size_t rowBytes)
{
    if (!pixels || height <= 0 || toStride == fromStride || rowBytes > fromStride || rowBytes > toStride)
        return;
    const auto move = [&](std::int32_t y) {
        std::memmove(pixels + static_cast<std::size_t>(y) * toStride,
                     pixels + static_cast<std::size_t>(y) * fromStride, rowBytes);
    };
    if (toStride > fromStride) {
        for (std::int32_t y = height - 1; y > 0; --y)
            move(y);
    } else {
        for (std::int32_t y = 1; y < height; ++y)
            move(y);
    }
}
