#include "png_file.h"

#include <zlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace artgen {

namespace {

constexpr int kChannels = 4;
constexpr std::uint8_t kPaethFilter = 4;

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

// Length, type, data, then the CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart));
    PutBigEndian32(out, static_cast<std::uint32_t>(crc));
}

int Paeth(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return left;
    return toUp <= toUpLeft ? up : upLeft;
}

// Every row with the Paeth predictor: the icon's gradients and flat areas
// turn into long runs of small differences, which deflate well.
std::vector<std::uint8_t> FilteredRows(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    const std::size_t stride = static_cast<std::size_t>(width) * kChannels;
    std::vector<std::uint8_t> out;
    out.reserve((stride + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        out.push_back(kPaethFilter);
        const std::uint8_t* row = rgba.data() + stride * static_cast<std::size_t>(y);
        const std::uint8_t* above = y > 0 ? row - stride : nullptr;
        for (std::size_t i = 0; i < stride; ++i) {
            const int left = i >= kChannels ? row[i - kChannels] : 0;
            const int up = above ? above[i] : 0;
            const int upLeft = above && i >= kChannels ? above[i - kChannels] : 0;
            out.push_back(static_cast<std::uint8_t>(row[i] - Paeth(left, up, upLeft)));
        }
    }
    return out;
}

// zlib at its best level: its output depends only on the input and the
// level, so the committed icon reproduces.
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    const int status = compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION);
    if (status != Z_OK) throw std::runtime_error("zlib failed with status " + std::to_string(status));
    out.resize(size);
    return out;
}

std::vector<std::uint8_t> Header(int width, int height)
{
    std::vector<std::uint8_t> header;
    PutBigEndian32(header, static_cast<std::uint32_t>(width));
    PutBigEndian32(header, static_cast<std::uint32_t>(height));
    header.push_back(8);  // bits per channel
    header.push_back(6);  // colour type: RGB with alpha
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering
    header.push_back(0);  // not interlaced
    return header;
}

}  // namespace

std::vector<std::uint8_t> RgbaPng(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    if (rgba.size() != static_cast<std::size_t>(width) * height * kChannels) {
        throw std::logic_error("pixel count does not match the PNG's size");
    }
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(out, "IHDR", Header(width, height));
    PutChunk(out, "IDAT", Deflate(FilteredRows(width, height, rgba)));
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace artgen
