#pragma once
// Uncompressed BMP files, the form the resource compiler embeds and the
// picture decoder reads.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "art_basics.h"

namespace artgen {

// Top-down rows of colours, each channel 0..1.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

std::uint8_t ToByte(double channel);

// 24 bits per pixel.
std::vector<std::uint8_t> TrueColourBmp(const RgbImage& image);

// 8 bits per pixel with a palette of 256 greys, each pixel the grey nearest
// its brightness: our grey pictures lose nothing to the palette.
std::vector<std::uint8_t> GreyPaletteBmp(const RgbImage& image);

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& data);

}  // namespace artgen
