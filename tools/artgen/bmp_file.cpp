#include "bmp_file.h"

#include <fstream>
#include <iostream>

namespace artgen {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::uint32_t RowBytes(int width, int bitsPerPixel)
{
    return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4);
}

// BITMAPFILEHEADER and BITMAPINFOHEADER for a bottom-up, uncompressed picture.
std::vector<std::uint8_t> Headers(int width, int height, int bitsPerPixel, std::uint32_t paletteEntries)
{
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteEntries * 4;
    const std::uint32_t pixelBytes = RowBytes(width, bitsPerPixel) * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + pixelBytes);
    Put32(out, 0);  // reserved
    Put32(out, pixelOffset);
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: rows stored bottom-up
    Put16(out, 1);                                   // planes
    Put16(out, static_cast<unsigned>(bitsPerPixel));
    Put32(out, 0);  // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dots per inch, both ways
    Put32(out, 2835);
    Put32(out, paletteEntries);
    Put32(out, 0);  // all colours important
    return out;
}

void PadRow(std::vector<std::uint8_t>& out, std::size_t rowStart, std::uint32_t rowBytes)
{
    while (out.size() - rowStart < rowBytes) out.push_back(0);
}

}  // namespace

std::uint8_t ToByte(double channel)
{
    return static_cast<std::uint8_t>(Clamp01(channel) * 255.0 + 0.5);
}

std::vector<std::uint8_t> TrueColourBmp(const RgbImage& image)
{
    std::vector<std::uint8_t> out = Headers(image.width, image.height, 24, 0);
    const std::uint32_t rowBytes = RowBytes(image.width, 24);
    for (int y = image.height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            const Rgb& c = image.At(x, y);
            out.push_back(ToByte(c.b));
            out.push_back(ToByte(c.g));
            out.push_back(ToByte(c.r));
        }
        PadRow(out, rowStart, rowBytes);
    }
    return out;
}

std::vector<std::uint8_t> GreyPaletteBmp(const RgbImage& image)
{
    std::vector<std::uint8_t> out = Headers(image.width, image.height, 8, 256);
    for (unsigned i = 0; i < 256; ++i) {
        for (int channel = 0; channel < 3; ++channel) out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(0);
    }
    const std::uint32_t rowBytes = RowBytes(image.width, 8);
    for (int y = image.height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            const Rgb& c = image.At(x, y);
            out.push_back(ToByte(0.299 * c.r + 0.587 * c.g + 0.114 * c.b));
        }
        PadRow(out, rowStart, rowBytes);
    }
    return out;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) std::cerr << "artgen: cannot write " << path.string() << "\n";
    return static_cast<bool>(out);
}

}  // namespace artgen
