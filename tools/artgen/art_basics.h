#pragma once
// Colours and points shared by every picture artgen draws. Only arithmetic and
// sqrt are used while drawing: both are exactly rounded, so the output does
// not depend on the maths library.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace artgen {

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

inline Rgb Hex(std::uint32_t v)
{
    return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}

inline Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Rgb Scale(Rgb c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}

inline double Clamp01(double v)
{
    return std::min(1.0, std::max(0.0, v));
}

// 0 below edge0, 1 above edge1, an S-curve between: soft edges without kinks.
inline double SmoothStep(double edge0, double edge1, double v)
{
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

struct Point {
    double x = 0.0;
    double y = 0.0;
};

inline double Distance(Point a, Point b)
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace artgen
