#pragma once
// Byte-level work on bitmap rows, apart from any platform: row sizes, the
// blue-green-red to red-green-blue exchange, and re-spacing rows for an upload.
#include <cstddef>
#include <cstdint>

// Bytes per row of GetBitmapBits/SetBitmapBits: rows are padded to 2 bytes, so a
// 24-bit row of odd width carries one byte that is no pixel. 0 for widths or
// depths that are not positive.
std::size_t GdiRowBytes(std::int32_t width, std::int32_t bitsPerPixel);

// Bytes per row when rows start at multiples of alignment (1, 2, 4 or 8, as
// OpenGL's unpack alignment); 0 for a width or pixel size that is not positive.
std::size_t AlignedRowBytes(std::int32_t width, std::int32_t bytesPerPixel, std::int32_t alignment);

// The unpack alignment (8, 4, 2 or 1) at which OpenGL reads rows of width
// pixels stored stride bytes apart; 0 when no alignment gives that stride.
std::int32_t UnpackAlignmentForStride(std::int32_t width, std::int32_t bytesPerPixel, std::size_t stride);

// Exchanges bytes 0 and 2 of every pixel in every row, leaving row padding alone;
// with 4 bytes per pixel byte 3 becomes 255. Only 3 or 4 bytes per pixel.
void SwapRedBlueInRows(std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                       std::int32_t bytesPerPixel, std::size_t rowStride);

// Moves height rows of rowBytes each from fromStride to toStride inside one
// buffer of height * max(fromStride, toStride) bytes, in the order in which no
// row is overwritten before it has moved.
void RestrideRows(std::uint8_t* pixels, std::int32_t height, std::size_t fromStride, std::size_t toStride,
                  std::size_t rowBytes);
