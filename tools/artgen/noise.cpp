#include "noise.h"

#include <cmath>

namespace artgen {

namespace {

// A well-mixing integer hash: neighbouring lattice points get unrelated
// gradients, and no unseeded randomness enters the pictures.
std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

struct Gradient {
    double x;
    double y;
};

// Directions spread all round the circle: with only the axes and diagonals
// the noise shows a faint grid.
Gradient GradientAt(int ix, int iy, int cells, std::uint32_t seed)
{
    const int wx = ((ix % cells) + cells) % cells;
    const int wy = ((iy % cells) + cells) % cells;
    const std::uint32_t h =
        Hash(seed ^ Hash(static_cast<std::uint32_t>(wx) * 0x9E3779B9u + static_cast<std::uint32_t>(wy)));
    double gx = (h & 0xFFFFu) / 32767.5 - 1.0;
    double gy = (h >> 16) / 32767.5 - 1.0;
    double length = std::sqrt(gx * gx + gy * gy);
    if (length < 1e-3) {
        gx = 1.0;
        gy = 0.0;
        length = 1.0;
    }
    return {gx / length, gy / length};
}

// Quintic fade: continuous slope and curvature across cell borders, so no
// lattice lines show.
double Fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double Lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

}  // namespace

double PeriodicNoise(double x, double y, int cells, std::uint32_t seed)
{
    const double fx = x * cells;
    const double fy = y * cells;
    const double cx = std::floor(fx);
    const double cy = std::floor(fy);
    const int ix = static_cast<int>(cx);
    const int iy = static_cast<int>(cy);
    const double tx = fx - cx;
    const double ty = fy - cy;
    auto corner = [&](int dx, int dy) {
        const Gradient g = GradientAt(ix + dx, iy + dy, cells, seed);
        return g.x * (tx - dx) + g.y * (ty - dy);
    };
    const double top = Lerp(corner(0, 0), corner(1, 0), Fade(tx));
    const double bottom = Lerp(corner(0, 1), corner(1, 1), Fade(tx));
    return Lerp(top, bottom, Fade(ty));
}

double PeriodicFractal(double x, double y, int cells, int octaves, std::uint32_t seed)
{
    double sum = 0.0;
    double weight = 0.0;
    double amplitude = 1.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * PeriodicNoise(x, y, cells << i, seed + static_cast<std::uint32_t>(i) * 1013u);
        weight += amplitude;
        amplitude *= 0.5;
    }
    return sum / weight;
}

}  // namespace artgen
